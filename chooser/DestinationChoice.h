// Which destination a job goes to when nobody is asked: the destination named like the
// job's printer (every destination has a Windows printer of its own name), else the
// database's default item; and the printers it stands for.
#pragma once

#include "manager/database/GroupRecord.h"
#include "manager/database/PrinterRecord.h"

#include <optional>
#include <string>
#include <vector>

namespace selvra {

struct ChosenDestination {
    std::string name;        // as the database spells it
    bool isPrinter = false;
    bool isDefaultItem = false; // taken because no destination bears the job printer's name
    // A printer stands for itself; a group for the printers of its SubGroupClosure, in
    // closure order, each record once. Names that name no printer are skipped.
    std::vector<const PrinterRecord *> printers;
};

struct DatabaseContents {
    const GroupList &groups;
    const PrinterList &printers;
    std::string defaultItem;
    std::string itemType; // "TRUE" printer, "FALSE" group, anything else unknown
};

// Names are compared without regard to case; a printer is looked for before a group. The
// default item is looked for among the kind its item type names first, then the other kind.
// Nothing when neither the job's printer nor the default item names a destination.
std::optional<ChosenDestination> ChooseDestination(const DatabaseContents &database,
                                                   const std::string &jobPrinter);

// The printer (isPrinter) or group of that name, compared without regard to case, with the
// printers it stands for; nothing when the database has none.
std::optional<ChosenDestination> FindDestination(const DatabaseContents &database, const std::string &name,
                                                 bool isPrinter);

} // namespace selvra
