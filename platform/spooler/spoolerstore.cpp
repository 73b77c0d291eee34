#include "platform/spooler/spoolerstore.h"

#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/spooler/spooler.h"
#include "platform/kernel/system_info.h"
#include "platform/base/text.h"

#include <cctype>

namespace zorplat::spooler {

std::string DriversKey(const std::string &environment)
{
    return std::string(kPrintKey) + "\\Environments\\" + environment + "\\Drivers";
}

RegKey RegKey::Open(const std::string &path)
{
    RegKey key;
    key.m_error = RegOpenKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key.m_key);
    if (key.m_error != ERROR_SUCCESS)
        key.m_key = nullptr;
    return key;
}

RegKey RegKey::Create(const std::string &path)
{
    RegKey key;
    key.m_error = RegCreateKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_ALL_ACCESS, nullptr, &key.m_key, nullptr);
    if (key.m_error != ERROR_SUCCESS)
        key.m_key = nullptr;
    return key;
}

RegKey::~RegKey()
{
    if (m_key)
        RegCloseKey(m_key);
}

RegKey::RegKey(RegKey &&other) noexcept : m_key(other.m_key), m_error(other.m_error), m_readError(other.m_readError)
{
    other.m_key = nullptr;
}

RegKey &RegKey::operator=(RegKey &&other) noexcept
{
    if (this != &other) {
        if (m_key)
            RegCloseKey(m_key);
        m_key = other.m_key;
        m_error = other.m_error;
        m_readError = other.m_readError;
        other.m_key = nullptr;
    }
    return *this;
}

namespace {

// The raw bytes of a value and its type, or nullopt when it is missing or cannot be read
// (*result says which). The last error is kept as it was: a missing value is an answer here,
// not a failure.
std::optional<std::string> rawValue(HKEY key, const char *name, DWORD *type, LONG *result)
{
    *result = ERROR_FILE_NOT_FOUND;
    if (!key)
        return std::nullopt;
    const DWORD savedError = GetLastError();
    for (;;) {
        DWORD size = 0;
        *result = RegQueryValueEx(key, name, nullptr, type, nullptr, &size);
        if (*result != ERROR_SUCCESS)
            break;
        std::string data(size + 1, '\0'); // room for the NUL a string stored without one gets
        DWORD got = size + 1;
        *result = RegQueryValueEx(key, name, nullptr, type, reinterpret_cast<LPBYTE>(data.data()), &got);
        if (*result == ERROR_MORE_DATA)
            continue; // changed by another process between the two calls
        if (*result != ERROR_SUCCESS)
            break;
        data.resize(got);
        SetLastError(savedError);
        return data;
    }
    SetLastError(savedError);
    return std::nullopt;
}

bool setRaw(HKEY key, const char *name, DWORD type, const std::string &bytes)
{
    const LONG result = RegSetValueEx(key, name, 0, type, reinterpret_cast<const BYTE *>(bytes.data()),
                                      static_cast<DWORD>(bytes.size()));
    if (result != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(result));
        return false;
    }
    return true;
}

} // namespace

LONG RegKey::readError() const
{
    if (m_readError != ERROR_SUCCESS)
        return m_readError;
    return m_error == ERROR_FILE_NOT_FOUND ? LONG(ERROR_SUCCESS) : m_error;
}

// A key or value that is not there, or a key another process deleted meanwhile, is an
// answer; anything else means the registry could not be read.
void RegKey::noteReadResult(LONG result) const
{
    if (m_readError == ERROR_SUCCESS && result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND
        && result != ERROR_KEY_DELETED && result != ERROR_NO_MORE_ITEMS)
        m_readError = result;
}

bool ReadFailed(const RegKey &key)
{
    if (key.readError() == ERROR_SUCCESS)
        return false;
    SetLastError(static_cast<DWORD>(key.readError()));
    return true;
}

std::optional<std::string> RegKey::string(const char *name) const
{
    DWORD type = REG_NONE;
    LONG result = ERROR_SUCCESS;
    std::optional<std::string> data = rawValue(m_key, name, &type, &result);
    noteReadResult(result);
    if (!data || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    if (const size_t end = data->find('\0'); end != std::string::npos)
        data->resize(end);
    return data;
}

std::optional<std::string> RegKey::binary(const char *name) const
{
    DWORD type = REG_NONE;
    LONG result = ERROR_SUCCESS;
    std::optional<std::string> data = rawValue(m_key, name, &type, &result);
    noteReadResult(result);
    if (!data || type != REG_BINARY)
        return std::nullopt;
    return data;
}

std::optional<std::vector<std::string>> RegKey::multiString(const char *name) const
{
    DWORD type = REG_NONE;
    LONG result = ERROR_SUCCESS;
    const std::optional<std::string> data = rawValue(m_key, name, &type, &result);
    noteReadResult(result);
    if (!data || type != REG_MULTI_SZ)
        return std::nullopt;
    std::vector<std::string> values;
    size_t start = 0;
    while (start < data->size()) {
        const size_t end = data->find('\0', start);
        const std::string item = data->substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (item.empty())
            break;
        values.push_back(item);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return values;
}

DWORD RegKey::dword(const char *name, DWORD fallback) const
{
    DWORD type = REG_NONE;
    LONG result = ERROR_SUCCESS;
    const std::optional<std::string> data = rawValue(m_key, name, &type, &result);
    noteReadResult(result);
    if (!data || type != REG_DWORD || data->size() < sizeof(DWORD))
        return fallback;
    DWORD value = 0;
    for (size_t i = 0; i < sizeof(DWORD); ++i)
        value |= static_cast<DWORD>(static_cast<unsigned char>((*data)[i])) << (8 * i);
    return value;
}

std::vector<std::string> RegKey::subkeys() const
{
    std::vector<std::string> names;
    if (!m_key)
        return names;
    const DWORD savedError = GetLastError();
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD size = sizeof name;
        const LONG result = RegEnumKeyEx(m_key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        noteReadResult(result);
        if (result != ERROR_SUCCESS)
            break;
        names.emplace_back(name, size);
    }
    SetLastError(savedError);
    return names;
}

bool RegKey::setString(const char *name, const std::string &value)
{
    return setRaw(m_key, name, REG_SZ, value + '\0');
}

bool RegKey::setOptionalString(const char *name, const std::optional<std::string> &value)
{
    if (value)
        return setString(name, *value);
    const LONG result = RegDeleteValue(m_key, name);
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
        SetLastError(static_cast<DWORD>(result));
        return false;
    }
    return true;
}

bool RegKey::setBinary(const char *name, const std::string &bytes)
{
    return setRaw(m_key, name, REG_BINARY, bytes);
}

bool RegKey::setMultiString(const char *name, const std::vector<std::string> &values)
{
    std::string bytes;
    for (const std::string &value : values)
        bytes += value + '\0';
    bytes += '\0';
    return setRaw(m_key, name, REG_MULTI_SZ, bytes);
}

bool RegKey::setDword(const char *name, DWORD value)
{
    std::string bytes(sizeof(DWORD), '\0');
    for (size_t i = 0; i < sizeof(DWORD); ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return setRaw(m_key, name, REG_DWORD, bytes);
}

bool DeleteKey(const std::string &path)
{
    const LONG result = RegDeleteKey(HKEY_LOCAL_MACHINE, path.c_str());
    if (result != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(result));
        return false;
    }
    return true;
}

SpoolerLock::SpoolerLock() : m_lock(RootDirectory() + "/spooler"), m_batch(HKEY_LOCAL_MACHINE) {}

bool SpoolerLock::commit()
{
    return m_batch.commit() == ERROR_SUCCESS;
}

bool CheckLocalServer(const char *serverName)
{
    if (serverName && *serverName) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    return true;
}

std::optional<std::string> ResolveEnvironment(const char *environment)
{
    const std::string name = environment ? environment : CurrentEnvironment();
    for (const char *known : {kEnvironmentWindows95, kEnvironmentWindowsNT})
        if (zorplat::EqualsIgnoringCase(name, known))
            return std::string(known);
    SetLastError(ERROR_INVALID_ENVIRONMENT);
    return std::nullopt;
}

std::optional<std::string> OptionalString(const char *text)
{
    if (!text)
        return std::nullopt;
    return std::string(text);
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

} // namespace zorplat::spooler

namespace zorplat {

std::string CurrentEnvironment()
{
    OSVERSIONINFO version{};
    version.dwOSVersionInfoSize = sizeof version;
    const DWORD savedError = GetLastError();
    const BOOL known = GetVersionEx(&version);
    SetLastError(savedError);
    if (!known)
        return "";
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return kEnvironmentWindows95;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT)
        return kEnvironmentWindowsNT;
    return "";
}

} // namespace zorplat
