#include "monitor/MonitorLock.h"

#include "platform/kernel/sync.h"

#include <mutex>

namespace zormon {

namespace {

// Lives for the whole process and is never deleted: a spooler thread may still hold it while
// the process ends.
CRITICAL_SECTION g_monitorLock;
std::once_flag g_monitorLockCreated;

} // namespace

void MonitorLock::Initialize()
{
    std::call_once(g_monitorLockCreated, [] { InitializeCriticalSection(&g_monitorLock); });
}

void MonitorLock::Enter()
{
    Initialize();
    EnterCriticalSection(&g_monitorLock);
}

void MonitorLock::Leave()
{
    LeaveCriticalSection(&g_monitorLock);
}

} // namespace zormon
