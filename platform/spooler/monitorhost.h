// Internal to the spooler: the registered port monitors and their modules. A module is
// loaded from the system directory and initialised through InitializeMonitorEx once per
// process; it stays loaded until the process ends, as in a spooler process.
#pragma once

#include "platform/spooler/monitor_interface.h"

#include <optional>
#include <string>
#include <vector>

namespace zorplat::spooler {

struct RegisteredMonitor {
    std::string keyName; // below the Monitors key; differs from name only to keep case variants apart
    std::string name;
    std::string environment;
    std::string dllName;
};

// Every monitor in the registry, in the order they were added; nullopt with the last error
// set when the registry cannot be read.
std::optional<std::vector<RegisteredMonitor>> RegisteredMonitors();

// The module with the InitializeMonitorEx export, loaded to check it and unloaded again.
// ERROR_MOD_NOT_FOUND when the file is missing from the system directory or cannot be
// loaded, ERROR_PROC_NOT_FOUND when it lacks the entry.
bool CheckMonitorModule(const std::string &dllName);

struct LoadedMonitor {
    std::string name;
    MONITOR table{};
};

// The monitor, loaded and initialised if this process has not done so yet. Null with the
// last error set, and *failedCall naming the monitor operation when it was the monitor that
// failed ("InitializeMonitorEx").
const LoadedMonitor *LoadMonitor(const RegisteredMonitor &monitor, std::string *failedCall);

// The names of the monitor's ports (EnumPorts, level 1); nullopt with the monitor's error.
std::optional<std::vector<std::string>> MonitorPorts(const LoadedMonitor &monitor);

// Why a monitor could not be asked for its ports.
struct MonitorProblem {
    std::string monitorName;
    DWORD error = ERROR_SUCCESS;
    std::string failedCall; // the monitor operation that failed, "" when the module could not be loaded
};

// The registered monitor that lists `port` (without regard to case); null with
// ERROR_UNKNOWN_PORT when none does, or with the registry's error when the monitors cannot
// be read. Monitors that cannot be loaded or asked are passed over; the first of them is
// described in *problem when given.
const LoadedMonitor *FindPortMonitor(const std::string &port, MonitorProblem *problem = nullptr);

} // namespace zorplat::spooler
