// The Windows printers installed on the machine, as the name checks see them.
#pragma once

#include <string>

namespace zordb {

// True when a local Windows printer bears the name (without regard to case). The printers
// are enumerated at level 5 into 2000 bytes; when the enumeration fails, also because its
// results need more room, no Windows printer is considered.
bool WindowsPrinterExists(const std::string &name);

} // namespace zordb
