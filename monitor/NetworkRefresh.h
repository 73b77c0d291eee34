// Keeping the port table in step with the machine while the spooler runs: port enumeration
// refreshes it at most every 10 s, rescanning the device registry and win.ini and starting
// one thread that enumerates the connected network print resources.
#pragma once

#include "platform/base/windef.h"

namespace zormon {

// The clock the refresh rule reads, in milliseconds; GetTickCount unless a test installs its
// own (null puts GetTickCount back).
using TickSource = DWORD (*)();
void SetTickSource(TickSource source);

// Called by InitializeMonitorEx once the table is built: refreshes may run from then on.
void EnableNetworkEnumeration();

// Called by EnumPorts with the monitor lock held (entered once). When more than 10,000 ms
// have passed since the last refresh and no enumeration thread is running: starts the
// network enumeration thread (or runs the enumeration here when no thread can be started),
// rescans the device registry and win.ini, then waits for the enumeration at most 3,000 ms
// with the lock released ("zormon!EnumNetworkPrintResource Timeout" when it does not end).
void RefreshPortsIfDue();

// How many network enumerations have been started since the process began.
DWORD NetworkEnumerationsStarted();

// The enumeration thread: every connected print resource with a local name becomes (or
// marks) a network record holding its remote name; network records not seen in this pass
// lose their remote name and are removed, or only un-marked when permanent. `parameter` is
// unused; the routine signals the refresh's event when done.
DWORD EnumNetworkPrintResource(LPVOID parameter);

} // namespace zormon
