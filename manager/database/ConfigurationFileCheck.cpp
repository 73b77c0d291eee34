#include "manager/database/ConfigurationFileCheck.h"

#include "manager/database/CDatabaseReader.h"
#include "manager/database/ConfigurationStrings.h"
#include "manager/database/DatabaseLayout.h"
#include "manager/database/GroupRules.h"
#include "manager/database/ManagerStrings.h"
#include "manager/database/NameCompare.h"
#include "manager/database/RecordChecks.h"
#include "manager/database/RecordLimits.h"
#include "platform/base/paths.h"
#include "platform/profile/profile.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <tuple>
#include <vector>

namespace zordb {

namespace {

// Values are read through 5000 bytes, as every reader of the database does.
constexpr DWORD kValueBufferSize = 5000;
constexpr DWORD kKeyBufferSize = 64 * 1024;

constexpr std::array kPrinterKeys = {"PrinterName", "PrinterDescription", "PrinterDriver", "PrinterEmail",
                                     "PrinterPassword", "DefaultRecipient", "RecipientLocation",
                                     "LimitPacketSize", "MaxPacketSizeInKb", "HeaderPage", "TrailerPage"};
constexpr std::array kGroupKeys = {"MainGroupName", "SubGroups", "Printers", "GroupDriver", "GroupDescription"};

CheckResult refuse(UINT id, std::initializer_list<std::string> arguments)
{
    return CheckResult::Refuse(IDS_IMPORT_CORRUPTED, FormatString(id, arguments));
}

bool isControlByte(unsigned char c)
{
    return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7f;
}

std::vector<std::string> sectionKeys(const std::string &section, const std::string &path)
{
    std::vector<char> buffer(kKeyBufferSize, '\0');
    const DWORD length = GetPrivateProfileString(section.c_str(), nullptr, "", buffer.data(),
                                                 kKeyBufferSize, path.c_str());
    std::vector<std::string> keys;
    for (std::size_t start = 0; start < length;) {
        std::string key(buffer.data() + start);
        start += key.size() + 1;
        if (!key.empty())
            keys.push_back(std::move(key));
    }
    return keys;
}

std::vector<std::string> splitNames(const std::string &value)
{
    std::vector<std::string> names;
    if (value.empty())
        return names;
    for (std::size_t start = 0;;) {
        const std::size_t comma = value.find(kListSeparator, start);
        names.push_back(value.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return names;
        start = comma + 1;
    }
}

// One record section: its values by key, and the checks on them.
class SectionCheck {
public:
    SectionCheck(std::string file, std::string path, std::string section)
        : m_file(std::move(file)), m_path(std::move(path)), m_section(std::move(section))
    {
    }

    template <std::size_t N>
    CheckResult ReadKeys(const std::vector<std::string> &present, const std::array<const char *, N> &keys)
    {
        for (const char *key : keys) {
            if (std::none_of(present.begin(), present.end(), [&](const std::string &k) { return SameName(k, key); }))
                return refuse(IDS_FILE_MISSING_KEY, {m_file, m_section, key});
            std::vector<char> buffer(kValueBufferSize, '\0');
            GetPrivateProfileString(m_section.c_str(), key, "", buffer.data(), kValueBufferSize, m_path.c_str());
            m_values[key] = buffer.data();
        }
        return CheckResult::Accept();
    }

    const std::string &Value(const char *key) { return m_values[key]; }

    CheckResult NameIsSection(const char *key)
    {
        if (!SameName(Value(key), m_section))
            return refuse(IDS_FILE_NAME_MISMATCH, {m_file, m_section, Value(key)});
        return CheckResult::Accept();
    }

    CheckResult Length(const char *key, std::size_t limit)
    {
        const std::size_t length = Value(key).size();
        if (length > limit)
            return refuse(IDS_FILE_TOO_LONG,
                          {m_file, m_section, key, std::to_string(length), std::to_string(limit)});
        return CheckResult::Accept();
    }

    CheckResult Boolean(const char *key)
    {
        if (Value(key) != kTrue && Value(key) != kFalse)
            return badValue(key);
        return CheckResult::Accept();
    }

    CheckResult Number(const char *key)
    {
        const std::string &value = Value(key);
        if (value.empty() || value.size() > 9 ||
            !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return badValue(key);
        return CheckResult::Accept();
    }

    CheckResult NotEmpty(const char *key)
    {
        if (Value(key).empty())
            return badValue(key);
        return CheckResult::Accept();
    }

private:
    CheckResult badValue(const char *key) { return refuse(IDS_FILE_BAD_VALUE, {m_file, m_section, key, Value(key)}); }

    std::string m_file;
    std::string m_path;
    std::string m_section;
    std::map<std::string, std::string> m_values;
};

// The printer-name rule without the uniqueness and caption tests: characters, below 32
// characters, not empty, no space first or last.
CheckResult checkPrinterName(const std::string &name)
{
    std::string taken;
    return ValidatePrinterName(name, PrinterNameContext{}, taken);
}

// The group-name rule: characters, at most 32 characters, not empty, no space first or last.
CheckResult checkGroupName(const std::string &name)
{
    if (CheckResult characters = CheckGroupNameCharacters(name); !characters.accepted)
        return characters;
    if (name.size() > kGroupNameLength)
        return CheckResult::Refuse(IDS_GROUP_NAME_LENGTH);
    if (name.empty())
        return CheckResult::Refuse(IDS_PRINTER_NAME_EMPTY);
    return CheckNoEdgeSpace(name);
}

#define ZOR_CHECK(expression)                                                                      \
    if (CheckResult result = (expression); !result.accepted)                                       \
    return result

class FileCheck {
public:
    explicit FileCheck(const std::string &path) : m_path(path), m_file(path) {}

    CheckResult Run()
    {
        ZOR_CHECK(checkBytes());
        CDatabaseReader reader;
        reader.ReadIndex(m_path);
        if (reader.SectionNames().empty())
            return refuse(IDS_FILE_NO_INDEX, {m_file});
        for (const std::string &section : reader.SectionNames()) {
            const std::vector<std::string> keys = sectionKeys(section, m_path);
            if (keys.empty())
                return refuse(IDS_FILE_MISSING_SECTION, {m_file, section});
            CheckResult record = CheckResult::Accept();
            if (SameName(keys.front(), "PrinterName"))
                record = checkPrinter(section, keys);
            else if (SameName(keys.front(), "MainGroupName"))
                record = checkGroup(section, keys);
            if (!record.accepted)
                return record;
        }
        return checkCycles();
    }

private:
    CheckResult checkBytes()
    {
        const std::string linuxPath = zorplat::ToLinuxPath(m_path);
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(linuxPath, error);
        std::ifstream in(linuxPath, std::ios::binary);
        if (error || !in)
            return refuse(IDS_FILE_UNREADABLE, {m_file});
        if (size > kConfigurationFileLimit)
            return refuse(IDS_FILE_TOO_LARGE, {m_file, std::to_string(size), std::to_string(kConfigurationFileLimit)});
        const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (std::any_of(content.begin(), content.end(), [](char c) { return isControlByte(static_cast<unsigned char>(c)); }))
            return refuse(IDS_FILE_BINARY, {m_file});
        return CheckResult::Accept();
    }

    CheckResult recordRefused(UINT id, const std::string &name, const CheckResult &why)
    {
        return refuse(id, {m_file, name, why.text});
    }

    CheckResult checkPrinter(const std::string &section, const std::vector<std::string> &keys)
    {
        SectionCheck check(m_file, m_path, section);
        ZOR_CHECK(check.ReadKeys(keys, kPrinterKeys));
        ZOR_CHECK(check.NameIsSection("PrinterName"));
        const std::string &name = check.Value("PrinterName");
        if (CheckResult result = checkPrinterName(name); !result.accepted)
            return recordRefused(IDS_FILE_BAD_PRINTER, name, result);
        std::string email;
        if (CheckResult result = ValidatePrinterEmail(check.Value("PrinterEmail"), email); !result.accepted)
            return recordRefused(IDS_FILE_BAD_PRINTER, name, result);
        ZOR_CHECK(check.NotEmpty("PrinterDriver"));
        ZOR_CHECK(check.Length("PrinterDescription", kDescriptionMaxLength));
        ZOR_CHECK(check.Length("PrinterPassword", kPasswordMaxLength));
        ZOR_CHECK(check.Length("DefaultRecipient", kDescriptionMaxLength));
        ZOR_CHECK(check.Length("RecipientLocation", kDescriptionMaxLength));
        for (const char *key : {"LimitPacketSize", "HeaderPage", "TrailerPage"})
            ZOR_CHECK(check.Boolean(key));
        return check.Number("MaxPacketSizeInKb");
    }

    CheckResult checkGroup(const std::string &section, const std::vector<std::string> &keys)
    {
        SectionCheck check(m_file, m_path, section);
        ZOR_CHECK(check.ReadKeys(keys, kGroupKeys));
        ZOR_CHECK(check.NameIsSection("MainGroupName"));
        const std::string &name = check.Value("MainGroupName");
        if (CheckResult result = checkGroupName(name); !result.accepted)
            return recordRefused(IDS_FILE_BAD_GROUP, name, result);
        ZOR_CHECK(check.Length("GroupDescription", kDescriptionMaxLength));
        const std::vector<std::string> subGroups = splitNames(check.Value("SubGroups"));
        const std::vector<std::string> printers = splitNames(check.Value("Printers"));
        for (const auto &[list, key, fullId] : {std::tuple{&subGroups, "SubGroups", IDS_GROUP_SUBGROUPS_FULL},
                                                std::tuple{&printers, "Printers", IDS_GROUP_PRINTERS_FULL}}) {
            if (list->size() > kGroupMemberLimit)
                return recordRefused(IDS_FILE_BAD_GROUP, name, CheckResult::Refuse(fullId));
            for (const std::string &member : *list) {
                if (member.empty())
                    return refuse(IDS_FILE_EMPTY_MEMBER, {m_file, name, key});
                CheckResult memberName = list == &printers ? checkPrinterName(member) : checkGroupName(member);
                if (!memberName.accepted)
                    return recordRefused(list == &printers ? IDS_FILE_BAD_PRINTER : IDS_FILE_BAD_GROUP, member,
                                         memberName);
            }
        }
        auto group = std::make_unique<GroupRecord>();
        group->MainGroupName = name;
        group->SubGroups = subGroups;
        m_groups.push_back(std::move(group));
        return CheckResult::Accept();
    }

    CheckResult checkCycles()
    {
        for (const auto &group : m_groups)
            for (const std::string &subGroup : group->SubGroups) {
                const std::vector<std::string> reached = SubGroupClosure(subGroup, m_groups);
                if (std::any_of(reached.begin(), reached.end(),
                                [&](const std::string &n) { return SameName(n, group->MainGroupName); }))
                    return refuse(IDS_FILE_GROUP_CYCLE, {m_file, group->MainGroupName});
            }
        return CheckResult::Accept();
    }

    std::string m_path;
    std::string m_file;
    GroupList m_groups; // names and sub-groups of the file's groups, for the cycle test
};

#undef ZOR_CHECK

} // namespace

CheckResult CheckConfigurationFile(const std::string &path)
{
    return FileCheck(path).Run();
}

} // namespace zordb
