#include "chooser/DestinationChoice.h"

#include "manager/database/DatabaseLayout.h"
#include "manager/database/GroupRules.h"
#include "manager/database/RecordLists.h"

#include <algorithm>

namespace selvra {

namespace {

std::vector<const PrinterRecord *> groupPrinters(const DatabaseContents &database, const std::string &group)
{
    std::vector<const PrinterRecord *> printers;
    for (const std::string &member : zordb::SubGroupClosure(group, database.groups)) {
        const GroupRecord *record = zordb::FindGroupIn(database.groups, member);
        if (!record)
            continue;
        for (const std::string &name : record->Printers) {
            const PrinterRecord *printer = zordb::FindPrinterIn(database.printers, name);
            if (printer && std::find(printers.begin(), printers.end(), printer) == printers.end())
                printers.push_back(printer);
        }
    }
    return printers;
}

std::optional<ChosenDestination> findDestination(const DatabaseContents &database, const std::string &name,
                                                 bool printersFirst)
{
    for (int pass = 0; pass < 2; ++pass) {
        const bool lookForPrinter = (pass == 0) == printersFirst;
        if (lookForPrinter) {
            if (const PrinterRecord *printer = zordb::FindPrinterIn(database.printers, name))
                return ChosenDestination{printer->PrinterName, true, false, {printer}};
        } else if (const GroupRecord *group = zordb::FindGroupIn(database.groups, name)) {
            return ChosenDestination{group->MainGroupName, false, false,
                                     groupPrinters(database, group->MainGroupName)};
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<ChosenDestination> ChooseDestination(const DatabaseContents &database,
                                                   const std::string &jobPrinter)
{
    if (!jobPrinter.empty())
        if (auto named = findDestination(database, jobPrinter, true))
            return named;
    if (database.defaultItem.empty())
        return std::nullopt;
    const bool defaultIsGroup = database.itemType == zordb::kFalse;
    auto fallback = findDestination(database, database.defaultItem, !defaultIsGroup);
    if (fallback)
        fallback->isDefaultItem = true;
    return fallback;
}

std::optional<ChosenDestination> FindDestination(const DatabaseContents &database, const std::string &name,
                                                 bool isPrinter)
{
    std::optional<ChosenDestination> found = findDestination(database, name, isPrinter);
    if (found && found->isPrinter != isPrinter)
        return std::nullopt;
    return found;
}

} // namespace selvra
