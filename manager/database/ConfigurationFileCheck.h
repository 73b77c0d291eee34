// Whether a configuration file (*.ZOR) may be imported at all. The import refuses single
// records whose names are taken; a file that is not sound is refused as a whole before
// anything is merged, so a damaged file never leaves half its records behind.
#pragma once

#include "manager/database/CheckResult.h"

#include <cstdint>
#include <string>

namespace zordb {

// A full database of 150 printers and 50 groups is about 100 KB; anything near this size
// is not a configuration file, and is not parsed at all.
inline constexpr std::uintmax_t kConfigurationFileLimit = 4u << 20;

// Accepted, or refused with IDS_IMPORT_CORRUPTED and, as the text, what is wrong, naming
// the file (as given) and the section or record at fault. Refused are: a file that cannot
// be read, is larger than kConfigurationFileLimit or holds control bytes other than tab,
// CR and LF; no index, or an indexed section that is missing or has no keys; a record
// section (first key PrinterName or MainGroupName) lacking one of its keys, or whose name
// differs from the section's; names, e-mail addresses and texts that the record checks
// refuse or that pass the record limits; booleans other than TRUE and FALSE, a packet
// size that is not a decimal number; member lists with an empty name or more than 7
// names; a group that reaches itself through the file's sub-groups. Sections whose first
// key is neither (the title section of a database file) are ignored, as the reader does.
CheckResult CheckConfigurationFile(const std::string &path);

} // namespace zordb
