// Registration of the port monitor with the spooler, made each time the manager opens its
// database, before any database file is read.
#pragma once

#include <string>

class CMonitorSetup {
public:
    // Environment from the version query: "Windows 4.0" on the Windows 95 family, "Windows
    // NT x86" on Windows NT, "NotWin32" otherwise (which the spooler then refuses).
    CMonitorSetup();

    // 1 when the spooler lists a monitor named exactly "Zorvaline Internet Port"
    // (byte for byte, case-sensitive), else 0, also when the list cannot be had.
    int IsMonitorInstalled();
    // 0 when the monitor is installed already; otherwise the result of adding it (level 2,
    // the local machine, "ZORMON.DLL" from the system directory): nonzero on success.
    int InstallMonitor();

    const std::string &Environment() const { return m_environment; }
    const std::string &DllName() const { return m_dllName; }
    const std::string &MonitorName() const { return m_monitorName; }

private:
    std::string m_environment;
    std::string m_dllName;
    std::string m_monitorName;
};

namespace zordb {

// The registration step of opening the database: true when the monitor is installed or
// could be added. Shows nothing; the caller reports a failure.
bool RegisterPortMonitor();

} // namespace zordb
