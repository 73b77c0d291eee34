// Per-module string tables: parsing, registration by module instance, look-up.
#include "platform/kernel/stringtable.h"

#include "platform/kernel/debug.h"
#include "platform/base/lasterror.h"
#include "platform/kernel/module.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace zorplat {

namespace {

// String ids are 16-bit on the original platform.
constexpr unsigned long kLargestId = 0xFFFF;

struct RegisteredTable {
    HINSTANCE instance;
    const void *key;
    std::map<UINT, std::string> texts;
};

struct Registry {
    std::mutex mutex;
    std::vector<RegisteredTable> tables;
};

Registry &registry()
{
    static Registry *instance = new Registry; // modules unregister from their destructors at exit
    return *instance;
}

// The text after the tab with its escapes resolved; false for an unknown or unfinished one.
bool unescape(std::string_view text, std::string &result, std::string &problem)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            result += text[i];
            continue;
        }
        if (++i == text.size()) {
            problem = "backslash at the end of the line";
            return false;
        }
        switch (text[i]) {
        case 'n': result += '\n'; break;
        case 't': result += '\t'; break;
        case 'r': result += '\r'; break;
        case '\\': result += '\\'; break;
        case '"': result += '"'; break;
        default:
            problem = std::string("unknown escape \\") + text[i];
            return false;
        }
    }
    return true;
}

} // namespace

StringTable ParseStringTable(std::string_view source)
{
    StringTable table;
    size_t lineNumber = 0;
    while (!source.empty()) {
        ++lineNumber;
        const size_t end = source.find('\n');
        std::string_view line = source.substr(0, end);
        source = end == std::string_view::npos ? std::string_view() : source.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;

        const auto fail = [&](const std::string &reason) {
            table.errors.push_back("line " + std::to_string(lineNumber) + ": " + reason);
        };
        const size_t tab = line.find('\t');
        const std::string_view id = line.substr(0, tab);
        if (tab == std::string_view::npos || id.empty() || id.size() > 5
            || !std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            fail("expected <id><TAB><text>");
            continue;
        }
        const unsigned long number = std::stoul(std::string(id));
        if (number > kLargestId) {
            fail("id " + std::string(id) + " is larger than 65535");
            continue;
        }
        std::string text;
        std::string problem;
        if (!unescape(line.substr(tab + 1), text, problem)) {
            fail(problem);
            continue;
        }
        if (!table.texts.emplace(static_cast<UINT>(number), std::move(text)).second)
            fail("id " + std::string(id) + " appears twice; the first text is kept");
    }
    return table;
}

std::optional<std::string> LoadStringText(HINSTANCE instance, UINT id)
{
    if (!instance)
        instance = GetModuleHandle(nullptr);
    Registry &tables = registry();
    std::lock_guard lock(tables.mutex);
    for (const RegisteredTable &table : tables.tables) {
        if (table.instance != instance)
            continue;
        if (auto found = table.texts.find(id); found != table.texts.end())
            return found->second;
    }
    return std::nullopt;
}

StringTableRegistration::StringTableRegistration(const unsigned char *source, size_t size)
    : m_instance(ModuleInstanceOf(source)), m_key(this)
{
    StringTable table = ParseStringTable(std::string_view(reinterpret_cast<const char *>(source), size));
    for (const std::string &error : table.errors)
        OutputDebugString(("string table: " + error).c_str());
    Registry &tables = registry();
    std::lock_guard lock(tables.mutex);
    tables.tables.push_back(RegisteredTable{m_instance, m_key, std::move(table.texts)});
}

StringTableRegistration::~StringTableRegistration()
{
    Registry &tables = registry();
    std::lock_guard lock(tables.mutex);
    std::erase_if(tables.tables, [this](const RegisteredTable &table) { return table.key == m_key; });
}

} // namespace zorplat

int LoadString(HINSTANCE instance, UINT id, LPSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    const std::optional<std::string> text = zorplat::LoadStringText(instance, id);
    if (!text) {
        buffer[0] = '\0';
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    size_t length = std::min(text->size(), static_cast<size_t>(size - 1));
    // Never end on part of a UTF-8 character.
    while (length > 0 && length < text->size() && (static_cast<unsigned char>((*text)[length]) & 0xC0) == 0x80)
        --length;
    std::memcpy(buffer, text->data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}
