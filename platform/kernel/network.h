// The network provider's enumeration of connected resources. Connections are kept as the
// original platform kept its persistent ones: one key per local name under
// HKEY_CURRENT_USER\Network\Persistent, with the value RemotePath ("\\server\queue"), and
// optionally ProviderName and a DWORD ConnectionType (1 disk, 2 print). Without
// ConnectionType a local name that is a drive letter ("F" or "F:") is a disk connection and
// anything else ("LPT3") a print connection.
#pragma once

#include "platform/base/windef.h"

struct NETRESOURCE {
    DWORD dwScope;
    DWORD dwType;
    DWORD dwDisplayType;
    DWORD dwUsage;
    LPSTR lpLocalName;
    LPSTR lpRemoteName;
    LPSTR lpComment;
    LPSTR lpProvider;
};
using LPNETRESOURCE = NETRESOURCE *;

constexpr DWORD NO_ERROR = 0;

constexpr DWORD RESOURCE_CONNECTED = 0x1;
constexpr DWORD RESOURCE_GLOBALNET = 0x2;
constexpr DWORD RESOURCE_REMEMBERED = 0x3;

constexpr DWORD RESOURCETYPE_ANY = 0x0;
constexpr DWORD RESOURCETYPE_DISK = 0x1;
constexpr DWORD RESOURCETYPE_PRINT = 0x2;

constexpr DWORD RESOURCEUSAGE_CONNECTABLE = 0x1;
constexpr DWORD RESOURCEDISPLAYTYPE_SHARE = 0x3;

// Takes a snapshot of the connections of `type` (RESOURCETYPE_ANY: all) for
// RESOURCE_CONNECTED or RESOURCE_REMEMBERED, which here are the same list; `usage` and
// `container` are ignored for them. Other scopes give ERROR_NOT_SUPPORTED. Returns
// NO_ERROR and the handle in *enumHandle, or the error code (also the last error).
DWORD WNetOpenEnum(DWORD scope, DWORD type, DWORD usage, LPNETRESOURCE container,
                   HANDLE *enumHandle);

// Fills `buffer` with up to *count entries (0xFFFFFFFF: as many as fit), the NETRESOURCE
// structures from the start and their strings packed from the end, and sets *count to the
// number written. Results:
//   NO_ERROR             the entries written are the last ones
//   ERROR_MORE_DATA      more entries follow in later calls; when not even one entry fit,
//                        *count is 0 and *bufferSize receives the size the next one needs
//   ERROR_NO_MORE_ITEMS  nothing was left
//   ERROR_INVALID_HANDLE not a handle from WNetOpenEnum
DWORD WNetEnumResource(HANDLE enumHandle, LPDWORD count, LPVOID buffer, LPDWORD bufferSize);

DWORD WNetCloseEnum(HANDLE enumHandle);
