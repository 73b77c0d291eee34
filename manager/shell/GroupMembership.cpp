#include "manager/shell/GroupMembership.h"

#include "manager/database/RecordLists.h"
#include "manager/shell/SpoolerPrinters.h"

#include <algorithm>

bool GroupMembership::ApplyGroupPrinterRule(GroupRecord &group)
{
    if (!group.Printers.empty() || !group.SubGroups.empty())
        return false;
    if (!group.GroupDriver.empty()) {
        sendaro::DeleteWindowsPrinter(group.MainGroupName);
        group.GroupDriver.clear();
    }
    return true;
}

void GroupMembership::RemoveFromEveryGroup(const std::string &name, bool fromSubGroups,
                                           std::vector<std::string> *emptied)
{
    for (const auto &group : m_groups) {
        auto &list = fromSubGroups ? group->SubGroups : group->Printers;
        const bool hadMembers = !group->Printers.empty() || !group->SubGroups.empty();
        list.erase(std::remove(list.begin(), list.end(), name), list.end());
        if (ApplyGroupPrinterRule(*group) && hadMembers && emptied)
            emptied->push_back(group->MainGroupName);
    }
}

void GroupMembership::DropSubGroupsWithoutMembers()
{
    for (const auto &group : m_groups) {
        auto &subGroups = group->SubGroups;
        subGroups.erase(std::remove_if(subGroups.begin(), subGroups.end(),
                                       [this](const std::string &subGroup) {
                                           const GroupRecord *record = zordb::FindGroupIn(m_groups, subGroup);
                                           return record && record->GroupDriver.empty();
                                       }),
                        subGroups.end());
        ApplyGroupPrinterRule(*group);
    }
}
