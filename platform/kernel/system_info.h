// Facts about the system: version (as the program's target platform is configured), user
// and computer name, tick count.
#pragma once

#include "platform/base/windef.h"

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;
constexpr DWORD UNLEN = 256;

struct OSVERSIONINFO {
    DWORD dwOSVersionInfoSize; // set by the caller to sizeof(OSVERSIONINFO)
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};
using LPOSVERSIONINFO = OSVERSIONINFO *;

// The platform the program behaves as, from ZORVALINE_PLATFORM, read at every call:
// "win95" (default, also for unknown values) 4.0 build 950 VER_PLATFORM_WIN32_WINDOWS;
// "nt" 4.0 build 1381 VER_PLATFORM_WIN32_NT; "nt3" 3.51 build 1057 VER_PLATFORM_WIN32_NT;
// "other" 3.10 VER_PLATFORM_WIN32s. Fails with ERROR_INSUFFICIENT_BUFFER when
// dwOSVersionInfoSize is smaller than the structure.
BOOL GetVersionEx(LPOSVERSIONINFO versionInfo);
// Low byte major version, next byte minor; the high bit is set except on NT, whose high
// word holds the build number.
DWORD GetVersion();

// The Linux login name of the effective user. *size holds the buffer size and receives the
// length including the NUL; ERROR_INSUFFICIENT_BUFFER (with *size the size needed) when the
// buffer is too small.
BOOL GetUserName(LPSTR buffer, LPDWORD size);
// The name setup stored in the registry (value "ComputerName" of the key
// HKLM\System\CurrentControlSet\Control\ComputerName\ComputerName), else the host name
// up to its first dot, upper-cased and cut to MAX_COMPUTERNAME_LENGTH. *size holds the
// buffer size and receives the length without the NUL; ERROR_BUFFER_OVERFLOW (with *size
// the size needed, NUL included) when the buffer is too small.
BOOL GetComputerName(LPSTR buffer, LPDWORD size);

// Milliseconds since an arbitrary fixed point (the system start), wrapping after 49.7 days.
DWORD GetTickCount();
