// Connected network resources from the persistent-connection keys of the registry.
#include "platform/kernel/network.h"

#include "platform/base/kernelobject.h"
#include "platform/base/lasterror.h"
#include "platform/registry/registry.h"

#include <cctype>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr const char *kPersistentConnectionsKey = "Network\\Persistent";
// Registry key names are at most 255 characters; a remote path may be longer.
constexpr DWORD kMaxKeyName = 256;
constexpr DWORD kConnectionTypeDisk = 1;
constexpr DWORD kConnectionTypePrint = 2;

struct Connection {
    DWORD type;
    std::string localName;
    std::string remoteName;
    std::string provider;
};

// The snapshot taken by WNetOpenEnum, handed out in order by WNetEnumResource.
struct NetworkEnumeration : zorplat::KernelObject {
    explicit NetworkEnumeration(std::vector<Connection> taken) : connections(std::move(taken)) {}

    const std::vector<Connection> connections;
    std::mutex mutex;
    size_t next = 0; // the first connection not handed out yet
};

DWORD fail(DWORD error)
{
    SetLastError(error);
    return error;
}

std::string readString(HKEY key, const char *name)
{
    DWORD size = 0;
    DWORD type = 0;
    if (RegQueryValueEx(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return {};
    std::string value(size + 1, '\0');
    if (RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE *>(value.data()), &size) != ERROR_SUCCESS)
        return {};
    value.resize(std::strlen(value.c_str()));
    return value;
}

bool isDriveLetter(const std::string &name)
{
    return (name.size() == 1 || (name.size() == 2 && name[1] == ':')) &&
           std::isalpha(static_cast<unsigned char>(name[0]));
}

DWORD connectionType(HKEY key, const std::string &localName)
{
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueEx(key, "ConnectionType", nullptr, &type, reinterpret_cast<BYTE *>(&value), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && (value == kConnectionTypeDisk || value == kConnectionTypePrint))
        return value == kConnectionTypeDisk ? RESOURCETYPE_DISK : RESOURCETYPE_PRINT;
    return isDriveLetter(localName) ? RESOURCETYPE_DISK : RESOURCETYPE_PRINT;
}

// Keys without a RemotePath are not connections and are passed over.
std::vector<Connection> readConnections(DWORD wantedType)
{
    std::vector<Connection> connections;
    HKEY persistent = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kPersistentConnectionsKey, 0, KEY_READ, &persistent) != ERROR_SUCCESS)
        return connections;
    char name[kMaxKeyName];
    for (DWORD index = 0; RegEnumKey(persistent, index, name, sizeof name) == ERROR_SUCCESS; ++index) {
        HKEY key = nullptr;
        if (RegOpenKeyEx(persistent, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        Connection connection{connectionType(key, name), name, readString(key, "RemotePath"),
                              readString(key, "ProviderName")};
        RegCloseKey(key);
        if (connection.remoteName.empty())
            continue;
        if (wantedType == RESOURCETYPE_ANY || wantedType == connection.type)
            connections.push_back(std::move(connection));
    }
    RegCloseKey(persistent);
    return connections;
}

size_t stringSize(const std::string &text)
{
    return text.size() + 1;
}

size_t entrySize(const Connection &connection)
{
    return sizeof(NETRESOURCE) + stringSize(connection.localName) + stringSize(connection.remoteName) +
           stringSize(connection.provider);
}

} // namespace

DWORD WNetOpenEnum(DWORD scope, DWORD type, DWORD, LPNETRESOURCE, HANDLE *enumHandle)
{
    if (!enumHandle)
        return fail(ERROR_INVALID_PARAMETER);
    if (scope != RESOURCE_CONNECTED && scope != RESOURCE_REMEMBERED)
        return fail(ERROR_NOT_SUPPORTED);
    if (type != RESOURCETYPE_ANY && type != RESOURCETYPE_DISK && type != RESOURCETYPE_PRINT)
        return fail(ERROR_INVALID_PARAMETER);
    *enumHandle = zorplat::AddHandle(std::make_shared<NetworkEnumeration>(readConnections(type)));
    return NO_ERROR;
}

DWORD WNetEnumResource(HANDLE enumHandle, LPDWORD count, LPVOID buffer, LPDWORD bufferSize)
{
    std::shared_ptr<NetworkEnumeration> enumeration = zorplat::HandleObject<NetworkEnumeration>(enumHandle);
    if (!enumeration)
        return ERROR_INVALID_HANDLE;
    if (!count || *count == 0 || !bufferSize || (*bufferSize > 0 && !buffer))
        return fail(ERROR_INVALID_PARAMETER);

    std::lock_guard lock(enumeration->mutex);
    const std::vector<Connection> &connections = enumeration->connections;
    if (enumeration->next >= connections.size()) {
        *count = 0;
        return fail(ERROR_NO_MORE_ITEMS);
    }
    auto *entries = static_cast<NETRESOURCE *>(buffer);
    char *stringsEnd = static_cast<char *>(buffer) + *bufferSize;
    size_t used = 0;
    DWORD written = 0;
    auto pack = [&stringsEnd](const std::string &text) {
        stringsEnd -= stringSize(text);
        std::memcpy(stringsEnd, text.c_str(), stringSize(text));
        return stringsEnd;
    };
    while (written < *count && enumeration->next < connections.size()) {
        const Connection &connection = connections[enumeration->next];
        if (used + entrySize(connection) > *bufferSize)
            break;
        used += entrySize(connection);
        LPSTR localName = pack(connection.localName);
        LPSTR remoteName = pack(connection.remoteName);
        LPSTR provider = pack(connection.provider);
        entries[written++] = NETRESOURCE{RESOURCE_CONNECTED, connection.type, RESOURCEDISPLAYTYPE_SHARE,
                                         RESOURCEUSAGE_CONNECTABLE, localName, remoteName, nullptr, provider};
        ++enumeration->next;
    }
    *count = written;
    if (written == 0) {
        *bufferSize = static_cast<DWORD>(entrySize(connections[enumeration->next]));
        return fail(ERROR_MORE_DATA);
    }
    if (enumeration->next < connections.size())
        return fail(ERROR_MORE_DATA);
    return NO_ERROR;
}

DWORD WNetCloseEnum(HANDLE enumHandle)
{
    if (!zorplat::HandleObject<NetworkEnumeration>(enumHandle))
        return ERROR_INVALID_HANDLE;
    zorplat::RemoveHandle(enumHandle);
    return NO_ERROR;
}
