// Threads, events, critical sections and thread-local slots.
#include "platform/base/handles.h"
#include "platform/base/lasterror.h"
#include "platform/kernel/process.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/system_info.h"
#include "platform/kernel/threads.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

HANDLE startThread(LPTHREAD_START_ROUTINE routine, void *parameter, DWORD *id = nullptr)
{
    return CreateThread(nullptr, 0, routine, parameter, 0, id);
}

TEST(ThreadsTest, ThreadWaitsOnAnEventAndReturnsItsCode)
{
    HANDLE go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(go, nullptr);
    DWORD id = 0;
    HANDLE thread = startThread(
        [](LPVOID event) -> DWORD { return WaitForSingleObject(event, 5000) == WAIT_OBJECT_0 ? 7 : 1; },
        go, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());

    EXPECT_EQ(WaitForSingleObject(thread, 30), WAIT_TIMEOUT);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);

    EXPECT_TRUE(SetEvent(go));
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_TRUE(CloseHandle(go));
    EXPECT_EQ(WaitForSingleObject(go, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(ThreadsTest, ManualAndAutoResetEvents)
{
    HANDLE manual = CreateEvent(nullptr, TRUE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0) << "stays set";
    EXPECT_TRUE(ResetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 10), WAIT_TIMEOUT);
    CloseHandle(manual);

    // An auto-reset event lets exactly one of two waiters through per SetEvent.
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    struct Waiters {
        HANDLE event;
        std::atomic<int> released {0};
    } waiters {event};
    const auto waiter = [](LPVOID data) -> DWORD {
        auto *shared = static_cast<Waiters *>(data);
        if (WaitForSingleObject(shared->event, 3000) == WAIT_OBJECT_0)
            ++shared->released;
        return 0;
    };
    HANDLE first = startThread(waiter, &waiters);
    HANDLE second = startThread(waiter, &waiters);
    Sleep(30);
    SetEvent(event);
    Sleep(100);
    EXPECT_EQ(waiters.released.load(), 1);
    SetEvent(event);
    EXPECT_EQ(WaitForSingleObject(first, 3000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second, 3000), WAIT_OBJECT_0);
    EXPECT_EQ(waiters.released.load(), 2);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT) << "each release reset the event";
    CloseHandle(first);
    CloseHandle(second);
    CloseHandle(event);

    EXPECT_EQ(CreateEvent(nullptr, TRUE, FALSE, "Global\\named"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(ThreadsTest, CriticalSectionIsRecursiveAndExcludesOtherThreads)
{
    static CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    const auto tryFromOtherThread = [] {
        HANDLE thread = startThread(
            [](LPVOID) -> DWORD {
                if (!TryEnterCriticalSection(&section))
                    return 0;
                LeaveCriticalSection(&section);
                return 1;
            },
            nullptr);
        WaitForSingleObject(thread, INFINITE);
        DWORD entered = 0;
        GetExitCodeThread(thread, &entered);
        CloseHandle(thread);
        return entered;
    };
    EXPECT_EQ(tryFromOtherThread(), 0u);
    LeaveCriticalSection(&section);
    EXPECT_EQ(tryFromOtherThread(), 0u) << "entered twice, left once";
    LeaveCriticalSection(&section);
    EXPECT_EQ(tryFromOtherThread(), 1u);
    DeleteCriticalSection(&section);
}

TEST(ThreadsTest, ThreadLocalSlotsHoldOneValuePerThread)
{
    static DWORD slot;
    slot = TlsAlloc();
    ASSERT_NE(slot, TLS_OUT_OF_INDEXES);
    int mine = 1;
    ASSERT_TRUE(TlsSetValue(slot, &mine));
    HANDLE thread = startThread(
        [](LPVOID) -> DWORD {
            SetLastError(0xDEADBEEF);
            if (TlsGetValue(slot) != nullptr || GetLastError() != ERROR_SUCCESS)
                return 1;
            int theirs = 2;
            TlsSetValue(slot, &theirs);
            return *static_cast<int *>(TlsGetValue(slot)) == 2 ? 0 : 2;
        },
        nullptr);
    WaitForSingleObject(thread, INFINITE);
    DWORD code = 99;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(code, 0u) << "a new thread starts with null and keeps its own value";
    EXPECT_EQ(TlsGetValue(slot), &mine);

    EXPECT_TRUE(TlsFree(slot));
    EXPECT_EQ(TlsGetValue(slot), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(TlsSetValue(slot, &mine));
    EXPECT_FALSE(TlsFree(slot));
}

TEST(ThreadsTest, SleepAndTickCount)
{
    const DWORD before = GetTickCount();
    Sleep(50);
    const DWORD elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 49u);
    EXPECT_LT(elapsed, 5000u);
}

} // namespace
