// Version (as configured), user and computer name, tick count.
#include "platform/kernel/system_info.h"

#include "platform/base/lasterror.h"
#include "platform/registry/registry.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <pwd.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

struct PlatformVersion {
    DWORD major;
    DWORD minor;
    DWORD build;
    DWORD platformId;
};

PlatformVersion configuredVersion()
{
    const char *value = std::getenv("ZORVALINE_PLATFORM");
    const std::string_view name = value ? value : "";
    if (name == "nt")
        return {4, 0, 1381, VER_PLATFORM_WIN32_NT};
    if (name == "nt3")
        return {3, 51, 1057, VER_PLATFORM_WIN32_NT};
    if (name == "other")
        return {3, 10, 0, VER_PLATFORM_WIN32s};
    return {4, 0, 950, VER_PLATFORM_WIN32_WINDOWS};
}

std::string loginName()
{
    std::vector<char> buffer(16384);
    passwd entry {};
    passwd *found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found
        && *found->pw_name)
        return found->pw_name;
    // Containers often run users without a password entry.
    for (const char *variable : {"USER", "LOGNAME"})
        if (const char *name = std::getenv(variable); name && *name)
            return name;
    return std::to_string(geteuid());
}

std::string registeredComputerName()
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                     0, KEY_READ, &key)
        != ERROR_SUCCESS)
        return {};
    char name[256] = {};
    DWORD size = sizeof name - 1;
    DWORD type = REG_NONE;
    const LONG result = RegQueryValueEx(key, "ComputerName", nullptr, &type,
                                        reinterpret_cast<LPBYTE>(name), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return {};
    return std::string(name, strnlen(name, size));
}

// The NetBIOS-style name the original platform reports: upper case, at most 15 characters.
std::string hostComputerName()
{
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0)
        return "LOCALHOST";
    std::string name(host, strcspn(host, "."));
    name.resize(std::min<size_t>(name.size(), MAX_COMPUTERNAME_LENGTH));
    for (char &c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

} // namespace

BOOL GetVersionEx(LPOSVERSIONINFO versionInfo)
{
    if (!versionInfo || versionInfo->dwOSVersionInfoSize < sizeof(OSVERSIONINFO)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const PlatformVersion version = configuredVersion();
    versionInfo->dwMajorVersion = version.major;
    versionInfo->dwMinorVersion = version.minor;
    versionInfo->dwBuildNumber = version.build;
    versionInfo->dwPlatformId = version.platformId;
    versionInfo->szCSDVersion[0] = '\0';
    return TRUE;
}

DWORD GetVersion()
{
    const PlatformVersion version = configuredVersion();
    const DWORD high = version.platformId == VER_PLATFORM_WIN32_NT ? version.build : 0x8000 | version.build;
    return (high << 16) | (version.minor << 8) | version.major;
}

BOOL GetUserName(LPSTR buffer, LPDWORD size)
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string name = loginName();
    const DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (!buffer || *size < needed) {
        *size = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, name.c_str(), needed);
    *size = needed;
    return TRUE;
}

BOOL GetComputerName(LPSTR buffer, LPDWORD size)
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The registry look-up may fail harmlessly; the caller's last error stays as it was.
    const DWORD previousError = GetLastError();
    std::string name = registeredComputerName();
    if (name.empty())
        name = hostComputerName();
    SetLastError(previousError);
    if (!buffer || *size < name.size() + 1) {
        *size = static_cast<DWORD>(name.size() + 1);
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
    return TRUE;
}

DWORD GetTickCount()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000);
}
