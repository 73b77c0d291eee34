// The registry: keys and typed values kept in text files under the root, one file per
// predefined root (<root>/system.reg for HKEY_LOCAL_MACHINE, user.reg for
// HKEY_CURRENT_USER, dyndata.reg for HKEY_DYN_DATA). HKEY_CLASSES_ROOT is
// HKEY_LOCAL_MACHINE\Software\Classes, as on the Windows 95 family; the other predefined
// roots are not kept and fail with ERROR_INVALID_HANDLE.
//
// Semantics the callers rely on: key and value names without regard to case (a key keeps
// the spelling it was created with), the empty or null value name is the key's default
// value, creating a key creates the keys above it, deleting a key deletes everything below
// it. Every function returns ERROR_SUCCESS or the Windows error code, and a failing call
// also sets the thread's last error to that code. Common results:
//   ERROR_FILE_NOT_FOUND   key or value does not exist
//   ERROR_KEY_DELETED      the key behind an open handle was deleted
//   ERROR_INVALID_HANDLE   not a handle from this module, or already closed
//   ERROR_MORE_DATA        the caller's buffer is too small (sizes report what is needed)
//   ERROR_NO_MORE_ITEMS    enumeration index past the end
//   ERROR_BADDB            the registry file is damaged; it is neither read nor overwritten
//                          (zorplat::RegistryProblem() says where)
//   ERROR_ACCESS_DENIED, ERROR_PATH_NOT_FOUND, ERROR_DISK_FULL   the file cannot be written
//
// Each change is written at once (or, under a RegistryBatch, with the batch's other
// changes), atomically, under a lock shared with other processes; every call sees the
// changes other processes have made. All functions are thread-safe.
#pragma once

#include "platform/base/windef.h"

#include <cstdint>
#include <string>

struct HKEY__;
using HKEY = HKEY__ *;
using PHKEY = HKEY *;
using REGSAM = DWORD;

// Predefined roots, with the values of the original platform.
inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000000)));
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000001)));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000002)));
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000003)));
inline HKEY const HKEY_PERFORMANCE_DATA = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000004)));
inline HKEY const HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000005)));
inline HKEY const HKEY_DYN_DATA = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000006)));

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;

// Access rights are accepted and not enforced: the files carry no security.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_EXECUTE = 0x20019;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key below hKey (a path of names joined by '\'). An empty or null
// subKey opens hKey itself: a predefined root is returned as it is, any other key as a
// new handle.
LONG RegOpenKeyEx(HKEY hKey, LPCSTR subKey, DWORD options, REGSAM samDesired, PHKEY result);
LONG RegOpenKey(HKEY hKey, LPCSTR subKey, PHKEY result);

// Opens the key, creating it and any missing key above it. disposition (may be null)
// receives REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY. Names may not hold control
// characters and are at most 255 characters each (ERROR_INVALID_PARAMETER). keyClass,
// options and security are accepted and not kept.
LONG RegCreateKeyEx(HKEY hKey, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                    REGSAM samDesired, LPSECURITY_ATTRIBUTES security, PHKEY result,
                    LPDWORD disposition);
LONG RegCreateKey(HKEY hKey, LPCSTR subKey, PHKEY result);

// Reads a value. type (may be null) receives the type. With data null and size non-null,
// only the size is reported. With data non-null, *size is the buffer size on entry and the
// data size on return; a buffer that is too small gives ERROR_MORE_DATA with the needed
// size in *size and the buffer unspecified. Sizes of the string types count the
// terminating NUL as stored. A string stored without its terminating NUL is returned with
// one added when the buffer has room for it (not counted in *size), so callers always get a
// terminated string. data non-null with size null is ERROR_INVALID_PARAMETER.
LONG RegQueryValueEx(HKEY hKey, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                     LPDWORD size);

// Stores size bytes of data as the value, exactly as given (the string types should
// include their terminating NUL in size, as on the original platform).
LONG RegSetValueEx(HKEY hKey, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE *data,
                   DWORD size);

// Enumerate subkeys and values in the order they were created. The name sizes are in
// characters: on entry the buffer size including the NUL, on return the name length
// without it; a buffer that is too small gives ERROR_MORE_DATA and reports the needed
// length (without the NUL). An index past the end gives ERROR_NO_MORE_ITEMS. Classes are
// always empty; the last write time is that of the file holding the key.
LONG RegEnumKeyEx(HKEY hKey, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                  LPSTR keyClass, LPDWORD classSize, PFILETIME lastWriteTime);
LONG RegEnumKey(HKEY hKey, DWORD index, LPSTR name, DWORD nameSize);
// Value data follows the size rules of RegQueryValueEx.
LONG RegEnumValue(HKEY hKey, DWORD index, LPSTR valueName, LPDWORD valueNameSize,
                  LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);

// Counts and the longest names (characters, without the NUL) and data (bytes) of the key's
// direct subkeys and values. Every out parameter may be null.
LONG RegQueryInfoKey(HKEY hKey, LPSTR keyClass, LPDWORD classSize, LPDWORD reserved,
                     LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                     LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                     LPDWORD securityDescriptorSize, PFILETIME lastWriteTime);

// Deletes subKey of hKey together with all the keys below it. subKey must name a key
// (null or empty is ERROR_INVALID_PARAMETER). Handles still open on deleted keys report
// ERROR_KEY_DELETED.
LONG RegDeleteKey(HKEY hKey, LPCSTR subKey);
LONG RegDeleteValue(HKEY hKey, LPCSTR valueName);

// Releases a handle. Closing a predefined root succeeds and does nothing.
LONG RegCloseKey(HKEY hKey);

namespace zorplat {

// The Linux path of the file that holds a predefined root's keys in the current root;
// empty for a root that is not kept.
std::string RegistryFilePath(HKEY root);

// What was wrong with the registry file that made this thread's last call fail with
// ERROR_BADDB ("<file>: line N: <what>"), for messages to the user; empty otherwise.
std::string RegistryProblem();

} // namespace zorplat
