// The groups' member lists and the group printer rule: a group has a Windows printer (and a
// GroupDriver) exactly while it has members; the one that loses its last member loses both.
#pragma once

#include "manager/database/GroupRecord.h"

#include <string>
#include <vector>

class GroupMembership {
public:
    explicit GroupMembership(GroupList &groups) : m_groups(groups) {}

    // True when the group has no member; its Windows printer is then deleted and its driver
    // cleared.
    static bool ApplyGroupPrinterRule(GroupRecord &group);
    // Removes `name` (exact) from every group's SubGroups, or Printers, applying the rule;
    // the names of the groups that lost their last member here go to `emptied` when given.
    void RemoveFromEveryGroup(const std::string &name, bool fromSubGroups, std::vector<std::string> *emptied);
    // Drops every SubGroups entry that names a group without driver, applying the rule.
    void DropSubGroupsWithoutMembers();

private:
    GroupList &m_groups;
};
