// The rules of group membership: driver and model compatibility, the sub-group closure,
// the recursion rule, and the limits on members and on the size of the database.
#pragma once

#include "manager/database/CheckResult.h"
#include "manager/database/GroupRecord.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zordb {

// True when `first` is empty or names `second` (without regard to case), or when section
// [first] of VZorDrv.ini lists `second` in DownwardCompatibleDrivers. The list is split at
// every comma and nothing is trimmed, so "A, B" does not list "B". Shows nothing.
// For a printer joining a group: first = PrinterDriver, second = GroupDriver.
bool IsDriverCompatible(const std::string &first, const std::string &second);

// The model numbers H3, H7, J7, J8, K8, K7 are looked for in that order in the group's
// driver (case-sensitive substrings); the first one found must also be in the item's
// driver. A group driver with none of them accepts every item. On false the caller shows
// the warning IDS_NOT_COMPATIBLE and goes ahead with the addition.
bool IsModelCompatible(const std::string &groupDriver, const std::string &itemDriver);

// Finds a group by name (without regard to case) or answers null.
using GroupFinder = std::function<const GroupRecord *(const std::string &)>;

// Every group reachable from `group` through SubGroups, depth-first in pre-order: the
// group's own name first, then each listed sub-group (when not yet collected, compared
// exactly) followed by its own closure. Names that name no group are skipped, and each
// name is collected once, so cycles in the data end the walk.
std::vector<std::string> SubGroupClosure(const std::string &group, const GroupFinder &findGroup);
std::vector<std::string> SubGroupClosure(const std::string &group, const GroupList &groups);

// Adding group `group` under `target` is refused (32854) when target is the group itself
// or lies in the group's SubGroupClosure.
CheckResult CheckRecursion(const std::string &target, const std::string &group,
                           const GroupFinder &findGroup);

// A group that already holds 7 printers (32868), or 7 sub-groups (32869), takes no more
// of that kind.
CheckResult CheckMembershipLimit(const GroupRecord &group, bool addingPrinter);

// More than 150 printers (32784) or 50 groups (32785). `count` is the number the document
// holds, or the number in a file being imported.
CheckResult CheckPrinterCount(std::size_t count);
CheckResult CheckGroupCount(std::size_t count);

} // namespace zordb
