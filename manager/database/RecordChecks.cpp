#include "manager/database/RecordChecks.h"

#include "manager/database/DestinationLookup.h"
#include "manager/database/ManagerStrings.h"
#include "manager/database/NameCompare.h"
#include "manager/database/RecordLimits.h"

#include <cstdio>

namespace zordb {

CheckResult CheckResult::Refuse(UINT id)
{
    return Refuse(id, ManagerString(id));
}

namespace {

bool isLetterOrDigit(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool allCharactersIn(std::string_view text, std::string_view extra)
{
    for (char c : text)
        if (!isLetterOrDigit(c) && extra.find(c) == std::string_view::npos)
            return false;
    return true;
}

std::string_view controlText(std::string_view typed)
{
    return typed.substr(0, kControlTextMaxLength);
}

// " %d characters." after a leading text, as the length messages are built.
std::string withCharacterCount(std::string text, std::size_t count)
{
    char tail[64];
    std::snprintf(tail, sizeof tail, " %zu characters.", count);
    return text + tail;
}

} // namespace

CheckResult CheckPrinterNameCharacters(std::string_view name)
{
    if (!allCharactersIn(name, " -_()&#'"))
        return CheckResult::Refuse(IDS_NAME_CHARACTERS);
    return CheckResult::Accept();
}

CheckResult CheckGroupNameCharacters(std::string_view name)
{
    if (!allCharactersIn(name, " -_'"))
        return CheckResult::Refuse(IDS_NAME_CHARACTERS);
    return CheckResult::Accept();
}

CheckResult CheckNoEdgeSpace(std::string_view name)
{
    if (!name.empty() && (name.front() == ' ' || name.back() == ' '))
        return CheckResult::Refuse(IDS_NAME_EDGE_SPACE);
    return CheckResult::Accept();
}

CheckResult CheckGroupNameLength(std::string_view name)
{
    if (name.size() > kGroupNameWarningLength)
        return CheckResult::Refuse(IDS_GROUP_NAME_LENGTH);
    return CheckResult::Accept();
}

CheckResult CheckNotRootCaption(std::string_view name, std::string_view groupsTitle,
                                std::string_view printersTitle, bool printersTitleExact)
{
    bool printersRoot = printersTitleExact ? name == printersTitle : SameName(name, printersTitle);
    if (SameName(name, groupsTitle) || printersRoot)
        return CheckResult::Refuse(IDS_NAME_IS_HEADER);
    return CheckResult::Accept();
}

CheckResult CheckNameUnused(const std::string &name, DestinationLookup &lookup, bool printersFirst)
{
    if (lookup.DestinationNameExists(name, printersFirst))
        return CheckResult::Refuse(IDS_NAME_EXISTS);
    return CheckResult::Accept();
}

CheckResult ValidatePrinterName(std::string_view typed, const PrinterNameContext &context,
                                std::string &name)
{
    name = controlText(typed);
    if (auto result = CheckPrinterNameCharacters(name); !result.accepted)
        return result;
    if (name.size() >= kPrinterNameLimit) {
        char text[96];
        std::snprintf(text, sizeof text, " Printer Name must be less than %zu characters.",
                      kPrinterNameLimit);
        return CheckResult::Refuse(0, text);
    }
    if (name.empty())
        return CheckResult::Refuse(IDS_PRINTER_NAME_EMPTY);
    if (context.propertiesMode && SameName(name, context.selectedName))
        return CheckResult::Accept();
    if (auto result = CheckNoEdgeSpace(name); !result.accepted)
        return result;
    if (context.lookup) {
        if (auto result = CheckNameUnused(name, *context.lookup, true); !result.accepted)
            return result;
    }
    return CheckNotRootCaption(name, context.groupsTitle, context.printersTitle, true);
}

CheckResult ValidatePrinterEmail(std::string_view typed, std::string &email)
{
    email = controlText(typed);
    if (!allCharactersIn(email, "@-_."))
        return CheckResult::Refuse(IDS_EMAIL_CHARACTERS);
    if (email.size() > kEmailMaxLength)
        return CheckResult::Refuse(IDS_EMAIL_LENGTH,
                                   withCharacterCount(ManagerString(IDS_EMAIL_LENGTH), kEmailMaxLength));
    if (email.empty())
        return CheckResult::Refuse(IDS_EMAIL_EMPTY);
    return CheckResult::Accept();
}

CheckResult ValidatePasswordPair(std::string_view confirmation, std::string_view passwordText,
                                 std::string &password)
{
    if (password.size() > kPasswordMaxLength)
        return CheckResult::Refuse(
            IDS_PASSWORD_LENGTH,
            withCharacterCount(ManagerString(IDS_PASSWORD_LENGTH), kPasswordMaxLength));
    password = controlText(confirmation);
    if (password != controlText(passwordText))
        return CheckResult::Refuse(IDS_PASSWORD_RETYPE);
    return CheckResult::Accept();
}

CheckResult CheckGroupName(std::string_view name, std::string_view groupsTitle,
                           std::string_view printersTitle, DestinationLookup &lookup)
{
    if (auto result = CheckNoEdgeSpace(name); !result.accepted)
        return result;
    if (auto result = CheckGroupNameCharacters(name); !result.accepted)
        return result;
    if (auto result = CheckNotRootCaption(name, groupsTitle, printersTitle, false); !result.accepted)
        return result;
    return CheckNameUnused(std::string(name), lookup, false);
}

} // namespace zordb
