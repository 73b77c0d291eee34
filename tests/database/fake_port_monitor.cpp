// A port monitor module that only lists its port, so tests can register a monitor and
// create Windows printers on "ZORVALINE_INTERNET:" without the real monitor.
#include "platform/base/lasterror.h"
#include "platform/spooler/monitor_interface.h"

#include <cstring>

namespace {

constexpr const char kPortName[] = "ZORVALINE_INTERNET:";

BOOL enumPorts(LPSTR, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed, LPDWORD returned)
{
    if (level != 1) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    *needed = sizeof(PORT_INFO_1A) + sizeof kPortName;
    *returned = 0;
    if (size < *needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    char *name = reinterpret_cast<char *>(ports) + sizeof(PORT_INFO_1A);
    std::memcpy(name, kPortName, sizeof kPortName);
    reinterpret_cast<PORT_INFO_1A *>(ports)->pName = name;
    *returned = 1;
    return TRUE;
}

} // namespace

extern "C" __attribute__((visibility("default"))) BOOL InitializeMonitorEx(LPSTR, MONITOR *monitor)
{
    *monitor = MONITOR{};
    monitor->pfnEnumPorts = enumPorts;
    return TRUE;
}
