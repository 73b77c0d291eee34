// The entry the spooler calls once, after loading the module: it builds the port table and
// hands over the table of port operations.
#include "monitor/JobSpooling.h"
#include "monitor/MonitorLock.h"
#include "monitor/NetworkRefresh.h"
#include "monitor/PortOperations.h"
#include "platform/base/lasterror.h"
#include "platform/spooler/monitor_interface.h"

namespace zormon {

namespace {

// In the order the spooler reads the slots.
const MONITOR kMonitorFunctions = {
    EnumPorts,
    OpenPort,
    nullptr, // OpenPortEx
    StartDocPort,
    WritePort,
    ReadPort,
    EndDocPort,
    ClosePort,
    AddPort,
    ConfigurePort,
    DeletePort,
    GetPrinterDataFromPort,
    SetPortTimeOuts,
};
static_assert(sizeof kMonitorFunctions == 13 * sizeof(void *), "the spooler reads exactly 13 slots");

} // namespace

} // namespace zormon

// The registry root is not used: the monitor keeps no settings of its own.
extern "C" __attribute__((visibility("default"))) BOOL InitializeMonitorEx(LPSTR, MONITOR *monitor)
{
    if (!monitor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // 1. the lock, held while the table is built
    zormon::MonitorLock::Initialize();
    zormon::MonitorLockGuard lock;
    // 2. The INI paths need no resolving here: they are formed afresh at every use
    //    (monitor/JobSettings.h), so a moved install directory is followed.
    // 3.-5. the device registry, FILE:, win.ini
    zormon::BuildPortTable();
    // 6. the table and network enumeration
    *monitor = zormon::kMonitorFunctions;
    zormon::EnableNetworkEnumeration();
    return TRUE;
}
