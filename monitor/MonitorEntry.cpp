// The entry the spooler calls once, after loading the module: it builds the port table and
// hands over the table of port operations.
#include "monitor/JobSpooling.h"
#include "monitor/MonitorLock.h"
#include "monitor/PortOperations.h"
#include "platform/lasterror.h"
#include "platform/monitor_interface.h"

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
    nullptr, // AddPort: comes with the full port table
    nullptr, // ConfigurePort: likewise
    nullptr, // DeletePort: likewise
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
    zormon::MonitorLock::Initialize();
    zormon::BuildPortTable();
    *monitor = zormon::kMonitorFunctions;
    return TRUE;
}
