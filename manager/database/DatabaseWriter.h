// Writing the destination database in its canonical layout: the title section, the index,
// then one section per group and one per printer, keys in record order.
#pragma once

#include "manager/database/GroupRecord.h"
#include "manager/database/PrinterRecord.h"
#include "manager/database/ProfileSink.h"

#include <string>

namespace zordb {

// The title section's four values.
struct DatabaseTitle {
    std::string groupsTitle;   // caption of the tree's groups root
    std::string printersTitle; // caption of the tree's printers root
    std::string defaultItem;   // name of the default destination, empty when none
    std::string itemType;      // "TRUE" default is a printer, "FALSE" a group, else empty
};

// One record's index line, then its section's keys in record order. A section already
// in the file keeps its place; keys it holds beyond the record's are left alone.
void WriteRecord(ProfileSink &sink, const GroupRecord &group);
void WriteRecord(ProfileSink &sink, const PrinterRecord &printer);

// The save: deletes the title section and the index, writes the title section, the index
// line "TitleName", then every group and every printer in list order. Sections of records
// no longer listed stay in the file, out of the index.
void WriteDatabase(ProfileSink &sink, const DatabaseTitle &title, const GroupList &groups,
                   const PrinterList &printers);

// A new database: the title section with the two captions and the index line "TitleName".
void WriteNewDatabase(ProfileSink &sink, const std::string &groupsTitle,
                      const std::string &printersTitle);

// Names joined by commas, without blanks.
std::string JoinList(const std::vector<std::string> &names);

} // namespace zordb
