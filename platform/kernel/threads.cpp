// Threads, thread-local storage slots, sleeping.
#include "platform/kernel/threads.h"

#include "platform/base/handles.h"
#include "platform/base/kernelobject.h"
#include "platform/kernel/process.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace zorplat {

namespace {

struct ThreadState {
    std::mutex mutex;
    std::condition_variable changed;
    DWORD id = 0; // set by the thread as it starts
    bool finished = false;
    DWORD exitCode = STILL_ACTIVE;
};

struct ThreadStart {
    LPTHREAD_START_ROUTINE routine;
    LPVOID parameter;
    std::shared_ptr<ThreadState> state;
};

class ThreadObject : public KernelObject {
public:
    explicit ThreadObject(std::shared_ptr<ThreadState> state) : m_state(std::move(state)) {}

    DWORD wait(DWORD milliseconds) override
    {
        std::unique_lock lock(m_state->mutex);
        return WaitUntilReady(m_state->changed, lock, milliseconds, [this] { return m_state->finished; })
            ? WAIT_OBJECT_0
            : WAIT_TIMEOUT;
    }

    DWORD exitCode()
    {
        std::lock_guard lock(m_state->mutex);
        return m_state->exitCode;
    }

private:
    std::shared_ptr<ThreadState> m_state;
};

void *runThread(void *argument)
{
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart *>(argument));
    {
        std::lock_guard lock(start->state->mutex);
        start->state->id = GetCurrentThreadId();
    }
    start->state->changed.notify_all();
    const DWORD result = start->routine(start->parameter);
    {
        std::lock_guard lock(start->state->mutex);
        start->state->exitCode = result;
        start->state->finished = true;
    }
    start->state->changed.notify_all();
    return nullptr;
}

// Which slots TlsAlloc handed out, so a stray index fails instead of touching another slot.
std::atomic<bool> allocatedSlots[PTHREAD_KEYS_MAX];

bool isAllocatedSlot(DWORD index)
{
    return index < PTHREAD_KEYS_MAX && allocatedSlots[index].load();
}

} // namespace

} // namespace zorplat

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, size_t stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId)
{
    if (!start || creationFlags != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto state = std::make_shared<zorplat::ThreadState>();
    auto startInfo = std::make_unique<zorplat::ThreadStart>(zorplat::ThreadStart{start, parameter, state});

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (stackSize > 0)
        pthread_attr_setstacksize(&attributes, std::max<size_t>(stackSize, PTHREAD_STACK_MIN));
    pthread_t thread;
    const int error = pthread_create(&thread, &attributes, zorplat::runThread, startInfo.get());
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    startInfo.release(); // the thread owns it now

    std::unique_lock lock(state->mutex);
    state->changed.wait(lock, [&] { return state->id != 0; });
    if (threadId)
        *threadId = state->id;
    lock.unlock();
    return zorplat::AddHandle(std::make_shared<zorplat::ThreadObject>(std::move(state)));
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode)
{
    auto object = zorplat::HandleObject<zorplat::ThreadObject>(thread);
    if (!object || !exitCode) {
        if (object)
            SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *exitCode = object->exitCode();
    return TRUE;
}

DWORD GetCurrentThreadId()
{
    return static_cast<DWORD>(gettid());
}

void Sleep(DWORD milliseconds)
{
    if (milliseconds == 0)
        std::this_thread::yield();
    else if (milliseconds == INFINITE)
        for (;;)
            pause();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

DWORD TlsAlloc()
{
    pthread_key_t key;
    if (pthread_key_create(&key, nullptr) != 0 || key >= PTHREAD_KEYS_MAX) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return TLS_OUT_OF_INDEXES;
    }
    zorplat::allocatedSlots[key] = true;
    return key;
}

LPVOID TlsGetValue(DWORD index)
{
    if (!zorplat::isAllocatedSlot(index)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return pthread_getspecific(index);
}

BOOL TlsSetValue(DWORD index, LPVOID value)
{
    if (!zorplat::isAllocatedSlot(index) || pthread_setspecific(index, value) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

BOOL TlsFree(DWORD index)
{
    if (!zorplat::isAllocatedSlot(index)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    zorplat::allocatedSlots[index] = false;
    pthread_key_delete(index);
    return TRUE;
}
