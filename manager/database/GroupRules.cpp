#include "manager/database/GroupRules.h"

#include "manager/database/InstallPaths.h"
#include "manager/database/ManagerStrings.h"
#include "manager/database/NameCompare.h"
#include "manager/database/RecordLimits.h"
#include "manager/database/RecordLists.h"
#include "platform/profile/profile.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace zordb {

bool IsDriverCompatible(const std::string &first, const std::string &second)
{
    if (first.empty() || SameName(first, second))
        return true;
    std::string table = InstallFilePath(kDriverTableFileName);
    std::vector<char> buffer(kProfileValueBufferSize);
    GetPrivateProfileString(first.c_str(), "DownwardCompatibleDrivers", "", buffer.data(),
                            kProfileValueBufferSize, table.c_str());
    std::string_view list = buffer.data();
    if (list.empty())
        return false;
    for (std::size_t start = 0;;) {
        std::size_t comma = list.find(',', start);
        if (SameName(list.substr(start, comma - start), second))
            return true;
        if (comma == std::string_view::npos)
            return false;
        start = comma + 1;
    }
}

bool IsModelCompatible(const std::string &groupDriver, const std::string &itemDriver)
{
    static constexpr std::array<const char *, 6> kModels = {"H3", "H7", "J7", "J8", "K8", "K7"};
    for (const char *model : kModels)
        if (groupDriver.find(model) != std::string::npos)
            return itemDriver.find(model) != std::string::npos;
    return true;
}

namespace {

void collectSubGroups(const GroupRecord &group, const GroupFinder &findGroup,
                      std::vector<std::string> &closure)
{
    for (const std::string &name : group.SubGroups) {
        if (std::find(closure.begin(), closure.end(), name) != closure.end())
            continue;
        const GroupRecord *subGroup = findGroup(name);
        if (!subGroup)
            continue;
        closure.push_back(name);
        collectSubGroups(*subGroup, findGroup, closure);
    }
}

} // namespace

std::vector<std::string> SubGroupClosure(const std::string &group, const GroupFinder &findGroup)
{
    std::vector<std::string> closure{group};
    if (const GroupRecord *record = findGroup(group))
        collectSubGroups(*record, findGroup, closure);
    return closure;
}

std::vector<std::string> SubGroupClosure(const std::string &group, const GroupList &groups)
{
    return SubGroupClosure(group, [&groups](const std::string &name) {
        return static_cast<const GroupRecord *>(FindGroupIn(groups, name));
    });
}

CheckResult CheckRecursion(const std::string &target, const std::string &group,
                           const GroupFinder &findGroup)
{
    for (const std::string &reached : SubGroupClosure(group, findGroup))
        if (SameName(reached, target))
            return CheckResult::Refuse(IDS_RECURSION);
    return CheckResult::Accept();
}

CheckResult CheckMembershipLimit(const GroupRecord &group, bool addingPrinter)
{
    if (addingPrinter && group.Printers.size() >= kGroupMemberLimit)
        return CheckResult::Refuse(IDS_GROUP_PRINTERS_FULL);
    if (!addingPrinter && group.SubGroups.size() >= kGroupMemberLimit)
        return CheckResult::Refuse(IDS_GROUP_SUBGROUPS_FULL);
    return CheckResult::Accept();
}

CheckResult CheckPrinterCount(std::size_t count)
{
    if (count > kPrinterCountLimit)
        return CheckResult::Refuse(IDS_MAX_PRINTERS);
    return CheckResult::Accept();
}

CheckResult CheckGroupCount(std::size_t count)
{
    if (count > kGroupCountLimit)
        return CheckResult::Refuse(IDS_MAX_GROUPS);
    return CheckResult::Accept();
}

} // namespace zordb
