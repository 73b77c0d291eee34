#include "manager/database/CMonitorSetup.h"

#include "platform/spooler/spooler.h"
#include "platform/kernel/system_info.h"

#include <cstring>
#include <new>
#include <vector>

CMonitorSetup::CMonitorSetup()
    : m_dllName("ZORMON.DLL"), m_monitorName("Zorvaline Internet Port")
{
    OSVERSIONINFO version{};
    version.dwOSVersionInfoSize = sizeof version;
    static_assert(sizeof(OSVERSIONINFO) == 148, "the ANSI version structure");
    DWORD platform = GetVersionEx(&version) ? version.dwPlatformId : VER_PLATFORM_WIN32s;
    if (platform == VER_PLATFORM_WIN32_WINDOWS)
        m_environment = "Windows 4.0";
    else if (platform == VER_PLATFORM_WIN32_NT)
        m_environment = "Windows NT x86";
    else
        m_environment = "NotWin32";
}

int CMonitorSetup::IsMonitorInstalled()
{
    DWORD needed = 0;
    DWORD returned = 0;
    EnumMonitors(nullptr, 1, nullptr, 0, &needed, &returned);
    if (needed == 0)
        return 0;
    std::vector<BYTE> buffer;
    try {
        buffer.resize(needed);
    } catch (const std::bad_alloc &) {
        return 0;
    }
    if (!EnumMonitors(nullptr, 1, buffer.data(), needed, &needed, &returned))
        return 0;
    const auto *monitors = reinterpret_cast<const MONITOR_INFO_1A *>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
        if (monitors[i].pName && std::strcmp(monitors[i].pName, m_monitorName.c_str()) == 0)
            return 1;
    return 0;
}

int CMonitorSetup::InstallMonitor()
{
    if (IsMonitorInstalled())
        return 0;
    MONITOR_INFO_2A info{m_monitorName.data(), m_environment.data(), m_dllName.data()};
    return AddMonitor(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
}

namespace zordb {

bool RegisterPortMonitor()
{
    CMonitorSetup setup;
    return setup.IsMonitorInstalled() || setup.InstallMonitor();
}

} // namespace zordb
