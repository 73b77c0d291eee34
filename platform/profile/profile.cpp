#include "platform/profile/profile.h"

#include "platform/files/atomicfile.h"
#include "platform/profile/inifile.h"
#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/profile/profilecache.h"

#include <cctype>
#include <cstring>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zorplat {

namespace {

// One recorded write: no key deletes the section, no value deletes the key.
struct ProfileEdit {
    std::string section;
    std::optional<std::string> key;
    std::optional<std::string> value;
};

// A bare file name lives in the Windows directory, as on the original platform; no name
// at all means win.ini.
std::string profilePath(LPCSTR fileName)
{
    if (!fileName)
        return ToLinuxPath("C:\\WINDOWS\\win.ini");
    const std::string_view name = fileName;
    if (name.find_first_of("\\/") == std::string_view::npos && !(name.size() >= 2 && name[1] == ':'))
        return ToLinuxPath("C:\\WINDOWS\\" + std::string(name));
    return ToLinuxPath(name);
}

bool dependsOnCurrentDirectory(LPCSTR fileName)
{
    if (!fileName)
        return false;
    const std::string_view name = fileName;
    if ((name.size() >= 2 && name[1] == ':') || (!name.empty() && (name[0] == '\\' || name[0] == '/')))
        return false;
    return name.find_first_of("\\/") != std::string_view::npos;
}

// Resolving a name costs a look-up per path component. The answer for an absolute name is
// kept while the file it names exists, which every read checks anyway; a relative name
// depends on the current directory and is resolved each time.
class ResolvedNames {
public:
    std::shared_ptr<const IniFile> read(LPCSTR fileName)
    {
        const bool absolute = !dependsOnCurrentDirectory(fileName);
        std::string key;
        if (absolute) {
            key = RootDirectory() + '\0' + (fileName ? fileName : "");
            if (const auto known = find(key)) {
                if (auto ini = CachedProfile(*known))
                    return ini;
            }
        }
        const std::string linuxPath = profilePath(fileName);
        auto ini = CachedProfile(linuxPath);
        if (absolute && ini)
            remember(key, linuxPath);
        return ini;
    }

private:
    // Enough for every file the system keeps; past it the memory starts over.
    static constexpr size_t kMaxNames = 64;

    std::optional<std::string> find(const std::string &key)
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_names.find(key);
        return found == m_names.end() ? std::nullopt : std::optional(found->second);
    }
    void remember(const std::string &key, const std::string &linuxPath)
    {
        std::lock_guard lock(m_mutex);
        if (m_names.size() >= kMaxNames)
            m_names.clear();
        m_names[key] = linuxPath;
    }

    std::mutex m_mutex;
    std::unordered_map<std::string, std::string> m_names;
};

ResolvedNames g_resolvedNames;

std::string_view unquoted(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

DWORD copyCut(std::string_view text, LPSTR buffer, DWORD size)
{
    const size_t count = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

// Each string NUL-terminated, then one more NUL. When they do not fit, the last string that
// fits in part is cut, two NULs close the buffer and the result is size - 2.
template <typename Strings>
DWORD packStrings(const Strings &strings, LPSTR buffer, DWORD size)
{
    if (size == 0)
        return 0;
    buffer[0] = '\0';
    if (size == 1)
        return 0;
    buffer[1] = '\0';
    size_t used = 0;
    for (const auto &text : strings) {
        if (used + text.size() + 2 > size) {
            const size_t room = size - 2;
            const size_t part = std::min(text.size(), room - std::min(room, used));
            std::memcpy(buffer + used, text.data(), part);
            std::memset(buffer + used + part, '\0', size - used - part);
            return size - 2;
        }
        std::memcpy(buffer + used, text.data(), text.size());
        used += text.size();
        buffer[used++] = '\0';
    }
    buffer[used] = '\0';
    return static_cast<DWORD>(used);
}

// ini is null when the file does not exist.
DWORD readString(const IniFile *ini, LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                 DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    if (!section) {
        if (!ini)
            SetLastError(ERROR_FILE_NOT_FOUND);
        return ini ? packStrings(ini->SectionNames(), buffer, size)
                   : packStrings(std::vector<std::string_view>{}, buffer, size);
    }
    if (!key) {
        const auto names = ini ? ini->KeyNames(section) : std::nullopt;
        if (!names)
            SetLastError(ERROR_FILE_NOT_FOUND);
        return packStrings(names ? *names : std::vector<std::string_view>{}, buffer, size);
    }
    const auto value = ini ? ini->Value(section, key) : std::nullopt;
    if (!value) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return copyCut(defaultValue ? defaultValue : "", buffer, size);
    }
    return copyCut(unquoted(*value), buffer, size);
}

// Leading blanks, an optional sign, then decimal digits; arithmetic wraps as on the
// original platform.
UINT leadingInteger(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    UINT value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value * 10 + static_cast<UINT>(text[i] - '0');
    return negative ? 0u - value : value;
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Refuses what would not read back as written: a line break would start a new line (and
// could forge keys or sections), a key with '=' would split elsewhere, and a key that looks
// like a comment or a header would not be a key at all.
std::optional<ProfileEdit> makeEdit(LPCSTR section, LPCSTR key, LPCSTR value)
{
    if (!section || hasLineBreak(section)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    ProfileEdit edit{section, std::nullopt, std::nullopt};
    if (key) {
        std::string_view name = key;
        // The blanks the file's reader trims, or "\v;x" would be written as a comment.
        while (!name.empty() && std::string_view(" \t\v\f").find(name.front()) != std::string_view::npos)
            name.remove_prefix(1);
        if (hasLineBreak(name) || name.find('=') != std::string_view::npos ||
            (!name.empty() && (name.front() == ';' || name.front() == '['))) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return std::nullopt;
        }
        edit.key = key;
        if (value) {
            if (hasLineBreak(value)) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return std::nullopt;
            }
            edit.value = value;
        }
    }
    return edit;
}

bool applyEdit(IniFile &ini, const ProfileEdit &edit)
{
    if (!edit.key)
        return ini.DeleteSection(edit.section);
    if (!edit.value)
        return ini.DeleteKey(edit.section, *edit.key);
    return ini.SetValue(edit.section, *edit.key, *edit.value);
}

BOOL fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// Read-modify-write under the file's lock, from the file as it is now (not the cache), so
// that writers in other processes lose nothing. The result, when anything changed, replaces
// the file atomically. `result` receives the file as it stands afterwards.
BOOL commitEdits(const std::string &linuxPath, const std::vector<ProfileEdit> &edits, Durability durability,
                 IniFile *result)
{
    const size_t slash = linuxPath.rfind('/');
    const std::string folder = slash == 0 ? "/" : linuxPath.substr(0, slash);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return fail(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
    if (::access(linuxPath.c_str(), F_OK) == 0 && ::access(linuxPath.c_str(), W_OK) != 0)
        return fail(ERROR_ACCESS_DENIED);

    FileLock lock(linuxPath);
    if (!lock.locked())
        return FALSE;
    std::string content;
    if (!ReadWholeFile(linuxPath, content) && GetLastError() != ERROR_FILE_NOT_FOUND)
        return FALSE;
    auto ini = std::make_shared<IniFile>(IniFile::Parse(std::move(content)));
    bool changed = false;
    for (const ProfileEdit &edit : edits)
        changed = applyEdit(*ini, edit) || changed;
    if (changed) {
        if (!AtomicWriteFile(linuxPath, ini->Serialize(), 0600, durability))
            return FALSE;
        StoreProfile(linuxPath, ini);
    }
    if (result)
        *result = *ini;
    return TRUE;
}

} // namespace

struct ProfileBatch::Impl {
    std::string linuxPath;
    IniFile pending;
    std::vector<ProfileEdit> edits;
};

ProfileBatch::ProfileBatch(std::string_view fileName) : m_impl(std::make_unique<Impl>())
{
    m_impl->linuxPath = profilePath(std::string(fileName).c_str());
    if (const auto current = CachedProfile(m_impl->linuxPath))
        m_impl->pending = *current;
}

ProfileBatch::~ProfileBatch() = default;

DWORD ProfileBatch::GetString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size)
{
    return readString(&m_impl->pending, section, key, defaultValue, buffer, size);
}

BOOL ProfileBatch::WriteString(LPCSTR section, LPCSTR key, LPCSTR value)
{
    if (!section && !key && !value)
        return TRUE;
    auto edit = makeEdit(section, key, value);
    if (!edit)
        return FALSE;
    applyEdit(m_impl->pending, *edit);
    m_impl->edits.push_back(std::move(*edit));
    return TRUE;
}

BOOL ProfileBatch::Commit(Durability durability)
{
    if (m_impl->edits.empty())
        return TRUE;
    if (!commitEdits(m_impl->linuxPath, m_impl->edits, durability, &m_impl->pending))
        return FALSE;
    m_impl->edits.clear();
    return TRUE;
}

} // namespace zorplat

DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                              LPCSTR fileName)
{
    const auto ini = zorplat::g_resolvedNames.read(fileName);
    return zorplat::readString(ini.get(), section, key, defaultValue, buffer, size);
}

UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR fileName)
{
    const auto ini = zorplat::g_resolvedNames.read(fileName);
    const auto value = ini && section && key ? ini->Value(section, key) : std::nullopt;
    if (!value) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return static_cast<UINT>(defaultValue);
    }
    // An empty value reads as no value at all.
    const std::string_view text = zorplat::unquoted(*value);
    return text.empty() ? static_cast<UINT>(defaultValue) : zorplat::leadingInteger(text);
}

DWORD GetPrivateProfileSection(LPCSTR section, LPSTR buffer, DWORD size, LPCSTR fileName)
{
    if (!buffer || size == 0)
        return 0;
    const auto ini = zorplat::g_resolvedNames.read(fileName);
    const auto entries = ini && section ? ini->SectionEntries(section) : std::nullopt;
    if (!entries)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return zorplat::packStrings(entries ? *entries : std::vector<std::string>{}, buffer, size);
}

BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName)
{
    // All three null asks to flush the write cache: the writes made so far reach the disk.
    if (!section && !key && !value) {
        zorplat::SyncFolderOf(zorplat::profilePath(fileName));
        return TRUE;
    }
    auto edit = zorplat::makeEdit(section, key, value);
    if (!edit)
        return FALSE;
    return zorplat::commitEdits(zorplat::profilePath(fileName), {std::move(*edit)}, zorplat::Durability::Atomic,
                                nullptr);
}

DWORD GetProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size)
{
    return GetPrivateProfileString(section, key, defaultValue, buffer, size, nullptr);
}

UINT GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue)
{
    return GetPrivateProfileInt(section, key, defaultValue, nullptr);
}

BOOL WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value)
{
    return WritePrivateProfileString(section, key, value, nullptr);
}
