#include "monitor/NetworkRefresh.h"

#include "monitor/DebugLine.h"
#include "monitor/MonitorLock.h"
#include "monitor/PortScans.h"
#include "monitor/PortTable.h"
#include "platform/base/handles.h"
#include "platform/kernel/network.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/system_info.h"
#include "platform/kernel/threads.h"

#include <atomic>
#include <new>
#include <vector>

namespace zormon {

namespace {

constexpr DWORD kRefreshIntervalMs = 10000;
constexpr DWORD kEnumerationWaitMs = 3000;
// The thread takes the default stack rather than a small fixed one: the registry is read
// through the standard library's file and string code, whose stack use is not bounded here.
constexpr size_t kDefaultStackSize = 0;
// Each batch takes as many connections as fit in this many bytes.
constexpr DWORD kBatchBufferSize = 4096;
constexpr DWORD kAsManyAsFit = 0xFFFFFFFF;

std::atomic<TickSource> g_tickSource{nullptr};
std::atomic<DWORD> g_enumerationsStarted{0};

// Guarded by the monitor lock.
bool g_enabled = false;
bool g_refreshedOnce = false;
DWORD g_lastRefresh = 0;
DWORD g_runningThreads = 0;
// The event of the refresh waiting for the thread; null once that refresh stopped waiting,
// so a late thread never signals a handle that was closed (and perhaps given out again).
HANDLE g_doneEvent = nullptr;

DWORD now()
{
    TickSource source = g_tickSource.load();
    return source ? source() : GetTickCount();
}

void markResource(const NETRESOURCE &resource)
{
    MonitorLockGuard lock;
    PortRecord *record = FindPort(resource.lpLocalName);
    if (!record)
        record = AppendPort(std::string(resource.lpLocalName) + ':', nullptr, 0);
    if (!record)
        return;
    record->set(PortFlagNetwork);
    record->set(PortFlagSeen);
    SetRemoteName(record, resource.lpRemoteName);
}

void enumerateConnections()
{
    HANDLE enumeration = nullptr;
    if (WNetOpenEnum(RESOURCE_CONNECTED, RESOURCETYPE_PRINT, 0, nullptr, &enumeration) != NO_ERROR)
        return;
    // NETRESOURCE holds pointers: keep the buffer aligned for them.
    std::vector<NETRESOURCE> buffer(kBatchBufferSize / sizeof(NETRESOURCE));
    for (;;) {
        DWORD count = kAsManyAsFit;
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(NETRESOURCE));
        const DWORD result = WNetEnumResource(enumeration, &count, buffer.data(), &size);
        if (result != NO_ERROR && result != ERROR_MORE_DATA)
            break;
        for (DWORD i = 0; i < count; ++i)
            if (buffer[i].lpLocalName && *buffer[i].lpLocalName)
                markResource(buffer[i]);
        if (result == NO_ERROR)
            continue; // the next call reports ERROR_NO_MORE_ITEMS
        // A single connection larger than the buffer: make room for it rather than asking
        // for it for ever.
        if (count == 0)
            buffer.resize(size / sizeof(NETRESOURCE) + 1);
    }
    WNetCloseEnum(enumeration);
}

void sweepNetworkRecords()
{
    MonitorLockGuard lock;
    for (PortRecord *record = FirstPort(), *next = nullptr; record; record = next) {
        next = record->next;
        if (!record->has(PortFlagNetwork))
            continue;
        if (record->has(PortFlagSeen)) {
            record->clear(PortFlagSeen);
            continue;
        }
        SetRemoteName(record, nullptr);
        if (record->has(PortFlagPermanent))
            record->clear(PortFlagNetwork);
        else
            RemovePort(record);
    }
}

} // namespace

void SetTickSource(TickSource source)
{
    g_tickSource = source;
}

void EnableNetworkEnumeration()
{
    MonitorLockGuard lock;
    g_enabled = true;
}

DWORD NetworkEnumerationsStarted()
{
    return g_enumerationsStarted.load();
}

DWORD EnumNetworkPrintResource(LPVOID)
{
    enumerateConnections();
    sweepNetworkRecords();
    MonitorLockGuard lock;
    g_runningThreads = 0;
    if (g_doneEvent)
        SetEvent(g_doneEvent);
    return 0;
}

void RefreshPortsIfDue()
{
    const DWORD started = now();
    // The first refresh is always due, whatever the clock reads.
    const bool due = !g_refreshedOnce || started - g_lastRefresh > kRefreshIntervalMs;
    if (!g_enabled || !due || g_runningThreads > 0)
        return;
    // 1. the enumeration thread
    HANDLE done = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    g_refreshedOnce = true;
    g_lastRefresh = started;
    g_runningThreads = 1;
    g_doneEvent = done;
    ++g_enumerationsStarted;
    HANDLE thread = CreateThread(nullptr, kDefaultStackSize, EnumNetworkPrintResource, nullptr, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    else
        EnumNetworkPrintResource(nullptr);
    // 2. the scans again
    ScanDeviceRegistry();
    ScanWinIniPorts();
    // 3. the wait, with the lock released
    MonitorLock::Leave();
    if (done && WaitForSingleObject(done, kEnumerationWaitMs) == WAIT_TIMEOUT)
        DebugLine("zormon!EnumNetworkPrintResource Timeout");
    MonitorLock::Enter();
    g_doneEvent = nullptr;
    if (done)
        CloseHandle(done);
}

} // namespace zormon
