#include "manager/database/RecordLists.h"

#include "manager/database/NameCompare.h"

namespace zordb {

GroupRecord *FindGroupIn(const GroupList &groups, const std::string &name)
{
    for (const auto &group : groups)
        if (SameName(group->MainGroupName, name))
            return group.get();
    return nullptr;
}

PrinterRecord *FindPrinterIn(const PrinterList &printers, const std::string &name)
{
    for (const auto &printer : printers)
        if (SameName(printer->PrinterName, name))
            return printer.get();
    return nullptr;
}

} // namespace zordb
