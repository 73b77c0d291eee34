#include "platform/registry/registry.h"

#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/registry/registry_store.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_set>
#include <vector>

using zorplat::RegistryKey;
using zorplat::RegistryStore;
using zorplat::RegistryValue;

// What an opened key handle points at: a file and a path of key names in it.
struct HKEY__ {
    std::string file;
    std::vector<std::string> path;
};

namespace {

// Longest key name the original platform accepts.
constexpr size_t kMaxKeyNameLength = 255;

thread_local std::string t_problem;

struct Handles {
    std::mutex mutex;
    std::unordered_set<HKEY> live;
};

Handles &handles()
{
    // Never destroyed, like the stores: other threads may close keys while the process exits.
    static auto *instance = new Handles;
    return *instance;
}

bool isPredefined(HKEY key)
{
    const auto value = reinterpret_cast<uintptr_t>(key);
    const auto first = reinterpret_cast<uintptr_t>(HKEY_CLASSES_ROOT);
    return value >= first && value <= first + 6;
}

// The key a handle stands for. predefined is set for the roots, whose key always exists.
struct KeyRef {
    std::string file;
    std::vector<std::string> path;
    bool predefined = false;
};

LONG resolve(HKEY key, KeyRef &ref)
{
    if (isPredefined(key)) {
        HKEY root = key == HKEY_CLASSES_ROOT ? HKEY_LOCAL_MACHINE : key;
        ref.file = zorplat::RegistryFilePath(root);
        if (ref.file.empty())
            return ERROR_INVALID_HANDLE;
        if (key == HKEY_CLASSES_ROOT)
            ref.path = {"Software", "Classes"};
        ref.predefined = true;
        return ERROR_SUCCESS;
    }
    Handles &table = handles();
    const std::lock_guard guard(table.mutex);
    if (!key || !table.live.count(key))
        return ERROR_INVALID_HANDLE;
    ref.file = key->file;
    ref.path = key->path;
    return ERROR_SUCCESS;
}

// Splits "A\B\C" into names; empty names (doubled or outer backslashes) are skipped.
std::vector<std::string> splitPath(LPCSTR subKey)
{
    std::vector<std::string> names;
    if (!subKey)
        return names;
    std::string_view rest(subKey);
    while (!rest.empty()) {
        const size_t slash = rest.find('\\');
        const std::string_view name = rest.substr(0, slash);
        if (!name.empty())
            names.emplace_back(name);
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    return names;
}

bool validKeyName(const std::string &name)
{
    return name.size() <= kMaxKeyNameLength &&
           std::none_of(name.begin(), name.end(), [](char c) {
               const auto byte = static_cast<unsigned char>(c);
               return byte < 0x20 || byte == 0x7f;
           });
}

RegistryKey *walk(RegistryKey &root, const std::vector<std::string> &path)
{
    RegistryKey *key = &root;
    for (const std::string &name : path) {
        key = key->findSubkey(name);
        if (!key)
            return nullptr;
    }
    return key;
}

const RegistryKey *walk(const RegistryKey &root, const std::vector<std::string> &path)
{
    return walk(const_cast<RegistryKey &>(root), path);
}

// Ends every call: failures also become the thread's last error.
LONG finish(LONG result)
{
    if (result != ERROR_SUCCESS)
        SetLastError(static_cast<DWORD>(result));
    return result;
}

// Runs reader on the handle's key (an empty key for a root that has none in the file yet).
LONG readKey(HKEY hKey, const std::function<LONG(const RegistryKey &, FILETIME)> &reader)
{
    t_problem.clear();
    KeyRef ref;
    LONG result = resolve(hKey, ref);
    if (result != ERROR_SUCCESS)
        return finish(result);
    result = RegistryStore::forFile(ref.file).read(
        [&](const RegistryKey &root, FILETIME written) -> LONG {
            static const RegistryKey empty;
            const RegistryKey *key = walk(root, ref.path);
            if (!key && !ref.predefined)
                return ERROR_KEY_DELETED;
            return reader(key ? *key : empty, written);
        },
        t_problem);
    return finish(result);
}

// Runs change on the handle's key; a root's own path is created when missing.
LONG modifyKey(HKEY hKey, const std::function<LONG(RegistryKey &, bool &)> &change)
{
    t_problem.clear();
    KeyRef ref;
    LONG result = resolve(hKey, ref);
    if (result != ERROR_SUCCESS)
        return finish(result);
    result = RegistryStore::forFile(ref.file).modify(
        [&](RegistryKey &root, bool &changed) -> LONG {
            RegistryKey *key = walk(root, ref.path);
            if (key)
                return change(*key, changed);
            if (!ref.predefined)
                return ERROR_KEY_DELETED;
            // A root's own path (HKEY_CLASSES_ROOT's) is created for the change and removed
            // again when the change fails, which must leave the tree as it was.
            RegistryKey *firstParent = nullptr;
            std::string firstName;
            key = &root;
            for (const std::string &name : ref.path) {
                RegistryKey *child = key->findSubkey(name);
                if (!child && !firstParent) {
                    firstParent = key;
                    firstName = name;
                }
                key = child ? child : &key->addSubkey(name);
            }
            const LONG status = change(*key, changed);
            if (status != ERROR_SUCCESS)
                firstParent->removeSubkey(firstName);
            else
                changed = true;
            return status;
        },
        t_problem);
    return finish(result);
}

LONG newHandle(const KeyRef &ref, std::vector<std::string> path, PHKEY result)
{
    auto *key = new HKEY__{ref.file, std::move(path)};
    Handles &table = handles();
    const std::lock_guard guard(table.mutex);
    table.live.insert(key);
    *result = key;
    return ERROR_SUCCESS;
}

std::vector<std::string> joined(const std::vector<std::string> &base, const std::vector<std::string> &more)
{
    std::vector<std::string> path = base;
    path.insert(path.end(), more.begin(), more.end());
    return path;
}

bool isStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The size rules shared by RegQueryValueEx and RegEnumValue.
LONG copyData(const RegistryValue &value, LPDWORD type, LPBYTE data, LPDWORD size)
{
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    if (type)
        *type = value.type;
    if (!size)
        return ERROR_SUCCESS;
    const auto needed = static_cast<DWORD>(value.data.size());
    const DWORD available = *size;
    *size = needed;
    if (!data)
        return ERROR_SUCCESS;
    if (available < needed)
        return ERROR_MORE_DATA;
    std::memcpy(data, value.data.data(), needed);
    if (isStringType(value.type) && available > needed && (needed == 0 || value.data.back() != '\0'))
        data[needed] = 0;
    return ERROR_SUCCESS;
}

// Copies a name into a buffer of *size characters (including the NUL); on return *size is
// the name length, also when the buffer is too small.
LONG copyName(const std::string &name, LPSTR buffer, LPDWORD size)
{
    if (!buffer || !size)
        return ERROR_INVALID_PARAMETER;
    const auto length = static_cast<DWORD>(name.size());
    const DWORD available = *size;
    *size = length;
    if (available <= length)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.c_str(), length + 1);
    return ERROR_SUCCESS;
}

} // namespace

LONG RegOpenKeyEx(HKEY hKey, LPCSTR subKey, DWORD, REGSAM, PHKEY result)
{
    t_problem.clear();
    if (!result)
        return finish(ERROR_INVALID_PARAMETER);
    const std::vector<std::string> names = splitPath(subKey);
    KeyRef ref;
    LONG status = resolve(hKey, ref);
    if (status != ERROR_SUCCESS)
        return finish(status);
    if (names.empty() && ref.predefined) {
        *result = hKey;
        return ERROR_SUCCESS;
    }
    std::vector<std::string> path = joined(ref.path, names);
    status = readKey(hKey, [&](const RegistryKey &key, FILETIME) -> LONG {
        return walk(key, names) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
    if (status != ERROR_SUCCESS)
        return status;
    return newHandle(ref, std::move(path), result);
}

LONG RegOpenKey(HKEY hKey, LPCSTR subKey, PHKEY result)
{
    return RegOpenKeyEx(hKey, subKey, 0, KEY_ALL_ACCESS, result);
}

LONG RegCreateKeyEx(HKEY hKey, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                    PHKEY result, LPDWORD disposition)
{
    t_problem.clear();
    if (!result)
        return finish(ERROR_INVALID_PARAMETER);
    const std::vector<std::string> names = splitPath(subKey);
    if (!std::all_of(names.begin(), names.end(), validKeyName))
        return finish(ERROR_INVALID_PARAMETER);
    KeyRef ref;
    LONG status = resolve(hKey, ref);
    if (status != ERROR_SUCCESS)
        return finish(status);

    bool created = false;
    status = modifyKey(hKey, [&](RegistryKey &base, bool &changed) -> LONG {
        RegistryKey *key = &base;
        for (const std::string &name : names) {
            RegistryKey *child = key->findSubkey(name);
            created = !child;
            key = child ? child : &key->addSubkey(name);
        }
        changed = changed || created;
        return ERROR_SUCCESS;
    });
    if (status != ERROR_SUCCESS)
        return status;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    if (names.empty() && ref.predefined) {
        *result = hKey;
        return ERROR_SUCCESS;
    }
    return newHandle(ref, joined(ref.path, names), result);
}

LONG RegCreateKey(HKEY hKey, LPCSTR subKey, PHKEY result)
{
    return RegCreateKeyEx(hKey, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                          result, nullptr);
}

LONG RegQueryValueEx(HKEY hKey, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    const std::string name = valueName ? valueName : "";
    return readKey(hKey, [&](const RegistryKey &key, FILETIME) -> LONG {
        const RegistryValue *value = key.findValue(name);
        return value ? copyData(*value, type, data, size) : LONG(ERROR_FILE_NOT_FOUND);
    });
}

LONG RegSetValueEx(HKEY hKey, LPCSTR valueName, DWORD, DWORD type, const BYTE *data, DWORD size)
{
    if (!data && size)
        return finish(ERROR_INVALID_PARAMETER);
    const std::string name = valueName ? valueName : "";
    const std::string_view bytes(reinterpret_cast<const char *>(data), data ? size : 0);
    return modifyKey(hKey, [&](RegistryKey &key, bool &changed) -> LONG {
        if (key.setValue(name, type, bytes))
            changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegEnumKeyEx(HKEY hKey, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPSTR keyClass,
                  LPDWORD classSize, PFILETIME lastWriteTime)
{
    return readKey(hKey, [&](const RegistryKey &key, FILETIME written) -> LONG {
        if (index >= key.subkeys().size())
            return ERROR_NO_MORE_ITEMS;
        const LONG result = copyName(key.subkeys()[index]->name(), name, nameSize);
        if (result != ERROR_SUCCESS)
            return result;
        if (keyClass && classSize && *classSize)
            keyClass[0] = '\0';
        if (classSize)
            *classSize = 0;
        if (lastWriteTime)
            *lastWriteTime = written;
        return ERROR_SUCCESS;
    });
}

LONG RegEnumKey(HKEY hKey, DWORD index, LPSTR name, DWORD nameSize)
{
    return RegEnumKeyEx(hKey, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
}

LONG RegEnumValue(HKEY hKey, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD,
                  LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    return readKey(hKey, [&](const RegistryKey &key, FILETIME) -> LONG {
        if (index >= key.values().size())
            return ERROR_NO_MORE_ITEMS;
        const RegistryValue &value = key.values()[index];
        const LONG result = copyName(value.name, valueName, valueNameSize);
        if (result != ERROR_SUCCESS)
            return result;
        return copyData(value, type, data, dataSize);
    });
}

LONG RegQueryInfoKey(HKEY hKey, LPSTR keyClass, LPDWORD classSize, LPDWORD, LPDWORD subKeys,
                     LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values,
                     LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                     LPDWORD securityDescriptorSize, PFILETIME lastWriteTime)
{
    return readKey(hKey, [&](const RegistryKey &key, FILETIME written) -> LONG {
        DWORD longestKey = 0, longestName = 0, longestData = 0;
        for (const auto &child : key.subkeys())
            longestKey = std::max(longestKey, static_cast<DWORD>(child->name().size()));
        for (const RegistryValue &value : key.values()) {
            longestName = std::max(longestName, static_cast<DWORD>(value.name.size()));
            longestData = std::max(longestData, static_cast<DWORD>(value.data.size()));
        }
        if (keyClass && classSize && *classSize)
            keyClass[0] = '\0';
        const std::pair<LPDWORD, DWORD> outputs[] = {
            {classSize, 0},
            {subKeys, static_cast<DWORD>(key.subkeys().size())},
            {maxSubKeyLength, longestKey},
            {maxClassLength, 0},
            {values, static_cast<DWORD>(key.values().size())},
            {maxValueNameLength, longestName},
            {maxValueLength, longestData},
            {securityDescriptorSize, 0},
        };
        for (const auto &[out, number] : outputs)
            if (out)
                *out = number;
        if (lastWriteTime)
            *lastWriteTime = written;
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteKey(HKEY hKey, LPCSTR subKey)
{
    const std::vector<std::string> names = splitPath(subKey);
    if (names.empty())
        return finish(ERROR_INVALID_PARAMETER);
    return modifyKey(hKey, [&](RegistryKey &base, bool &changed) -> LONG {
        RegistryKey *parent = walk(base, std::vector<std::string>(names.begin(), names.end() - 1));
        if (!parent || !parent->removeSubkey(names.back()))
            return ERROR_FILE_NOT_FOUND;
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValue(HKEY hKey, LPCSTR valueName)
{
    const std::string name = valueName ? valueName : "";
    return modifyKey(hKey, [&](RegistryKey &key, bool &changed) -> LONG {
        if (!key.removeValue(name))
            return ERROR_FILE_NOT_FOUND;
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegCloseKey(HKEY hKey)
{
    if (isPredefined(hKey))
        return ERROR_SUCCESS;
    Handles &table = handles();
    {
        const std::lock_guard guard(table.mutex);
        if (!hKey || !table.live.erase(hKey))
            return finish(ERROR_INVALID_HANDLE);
    }
    delete hKey;
    return ERROR_SUCCESS;
}

namespace zorplat {

std::string RegistryFilePath(HKEY root)
{
    const char *file = nullptr;
    if (root == HKEY_LOCAL_MACHINE || root == HKEY_CLASSES_ROOT)
        file = "system.reg";
    else if (root == HKEY_CURRENT_USER)
        file = "user.reg";
    else if (root == HKEY_DYN_DATA)
        file = "dyndata.reg";
    if (!file)
        return {};
    return RootDirectory() + '/' + file;
}

std::string RegistryProblem()
{
    return t_problem;
}

} // namespace zorplat
