#include "manager/database/CDatabaseReader.h"

#include "manager/database/DatabaseLayout.h"
#include "manager/database/NameCompare.h"
#include "platform/profile/profile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

using namespace zordb;

namespace {

// Values and a section's key list are read through 5000 bytes, as every reader of the
// database does. The index is read whole instead: 150 printers and 50 groups with names
// of the allowed length need more than 5000 bytes, and names cut off there would drop out
// of the database at the next save.
constexpr DWORD kValueBufferSize = 5000;
constexpr DWORD kIndexBufferStart = 5000;
constexpr DWORD kIndexBufferLimit = 16u << 20;

// One list item of a sub-group list holds at most 249 characters, of a printer list 255.
constexpr std::size_t kSubGroupItemLimit = 249;
constexpr std::size_t kPrinterItemLimit = 255;

// A NUL-separated name list; the call says it filled the whole buffer (size - 2) when the
// list did not fit.
std::vector<std::string> readNameList(const char *section, const std::string &path,
                                      DWORD bufferSize, bool growUntilWhole)
{
    std::vector<char> buffer;
    DWORD length = 0;
    for (;;) {
        buffer.assign(bufferSize, '\0');
        length = GetPrivateProfileString(section, nullptr, "", buffer.data(), bufferSize,
                                         path.c_str());
        if (!growUntilWhole || length + 2 < bufferSize || bufferSize >= kIndexBufferLimit)
            break;
        bufferSize *= 2;
    }
    std::vector<std::string> names;
    for (std::size_t start = 0; start < length;) {
        std::string name(buffer.data() + start);
        start += name.size() + 1;
        if (!name.empty())
            names.push_back(std::move(name));
    }
    return names;
}

std::vector<std::string> splitList(const std::string &value, std::size_t itemLimit)
{
    std::vector<std::string> items;
    if (value.empty())
        return items;
    for (std::size_t start = 0;;) {
        std::size_t comma = value.find(kListSeparator, start);
        std::string item = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        items.push_back(item.substr(0, itemLimit));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

bool readBoolean(const std::string &value)
{
    return value == kTrue;
}

// A leading decimal number as the original's conversion reads it; anything else is 0.
int readInteger(const std::string &value)
{
    errno = 0;
    long number = std::strtol(value.c_str(), nullptr, 10);
    if (errno == ERANGE || number > INT_MAX || number < INT_MIN)
        return 0;
    return static_cast<int>(number);
}

} // namespace

void CDatabaseReader::ReadIndex(const std::string &path)
{
    m_sectionNames = readNameList(kIndexSection, path, kIndexBufferStart, true);
}

bool CDatabaseReader::CheckDatabaseFile(const std::string &path)
{
    ReadIndex(path);
    if (m_sectionNames.empty())
        return false;
    for (const std::string &section : m_sectionNames)
        if (readNameList(section.c_str(), path, kValueBufferSize, false).empty())
            return false;
    return true;
}

void CDatabaseReader::readSectionKeys(const std::string &section, const std::string &path)
{
    m_sectionName = section;
    m_keyNames = readNameList(section.c_str(), path, kValueBufferSize, false);
}

const std::string &CDatabaseReader::readValue(const std::string &key, const std::string &path)
{
    char buffer[kValueBufferSize];
    GetPrivateProfileString(m_sectionName.c_str(), key.c_str(), "", buffer, sizeof buffer, path.c_str());
    m_value = buffer;
    return m_value;
}

void CDatabaseReader::ReadRecords(const std::string &path)
{
    m_groups.clear();
    m_printers.clear();
    m_groupsTitle.clear();
    m_printersTitle.clear();
    m_defaultItem.clear();
    m_itemType.clear();
    for (const std::string &section : m_sectionNames) {
        readSectionKeys(section, path);
        if (m_keyNames.empty())
            continue;
        if (SameName(m_keyNames.front(), "MainGroupName"))
            readGroup(path);
        else if (SameName(m_keyNames.front(), "PrinterName"))
            readPrinter(path);
        else
            readTitle(path);
    }
}

void CDatabaseReader::readGroup(const std::string &path)
{
    auto group = std::make_unique<GroupRecord>();
    for (const std::string &key : m_keyNames) {
        const std::string &value = readValue(key, path);
        if (SameName(key, "MainGroupName"))
            group->MainGroupName = value;
        else if (SameName(key, "SubGroups"))
            for (std::string &item : splitList(value, kSubGroupItemLimit))
                group->SubGroups.push_back(std::move(item));
        else if (SameName(key, "Printers"))
            for (std::string &item : splitList(value, kPrinterItemLimit))
                group->Printers.push_back(std::move(item));
        else if (SameName(key, "GroupDriver"))
            group->GroupDriver = value;
        else if (SameName(key, "GroupDescription"))
            group->GroupDescription = value;
    }
    m_groups.push_back(std::move(group));
}

void CDatabaseReader::readPrinter(const std::string &path)
{
    auto printer = std::make_unique<PrinterRecord>();
    const struct {
        const char *key;
        std::string PrinterRecord::*field;
    } texts[] = {
        {"PrinterName", &PrinterRecord::PrinterName},
        {"PrinterDescription", &PrinterRecord::PrinterDescription},
        {"PrinterDriver", &PrinterRecord::PrinterDriver},
        {"PrinterEmail", &PrinterRecord::PrinterEmail},
        {"PrinterPassword", &PrinterRecord::PrinterPassword},
        {"DefaultRecipient", &PrinterRecord::DefaultRecipient},
        {"RecipientLocation", &PrinterRecord::RecipientLocation},
    };
    const struct {
        const char *key;
        bool PrinterRecord::*field;
    } booleans[] = {
        {"LimitPacketSize", &PrinterRecord::LimitPacketSize},
        {"HeaderPage", &PrinterRecord::HeaderPage},
        {"TrailerPage", &PrinterRecord::TrailerPage},
    };
    for (const std::string &key : m_keyNames) {
        const std::string &value = readValue(key, path);
        for (const auto &text : texts)
            if (SameName(key, text.key))
                (*printer).*text.field = value;
        for (const auto &boolean : booleans)
            if (SameName(key, boolean.key))
                (*printer).*boolean.field = readBoolean(value);
        if (SameName(key, "MaxPacketSizeInKb"))
            printer->MaxPacketSizeInKb = readInteger(value);
    }
    m_printers.push_back(std::move(printer));
}

void CDatabaseReader::readTitle(const std::string &path)
{
    m_groupsTitle = readValue(kGroupsTitleKey, path);
    m_printersTitle = readValue(kPrintersTitleKey, path);
    m_defaultItem = readValue(kDefaultItemKey, path);
    m_itemType = readValue(kItemTypeKey, path);
}
