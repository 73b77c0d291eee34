// Critical sections and events.
#include "platform/kernel/sync.h"

#include "platform/base/handles.h"
#include "platform/base/kernelobject.h"

namespace zorplat {

namespace {

class EventObject : public KernelObject {
public:
    EventObject(bool manualReset, bool signalled) : m_manualReset(manualReset), m_signalled(signalled) {}

    DWORD wait(DWORD milliseconds) override
    {
        std::unique_lock lock(m_mutex);
        if (!WaitUntilReady(m_changed, lock, milliseconds, [this] { return m_signalled; }))
            return WAIT_TIMEOUT;
        if (!m_manualReset)
            m_signalled = false;
        return WAIT_OBJECT_0;
    }

    void set()
    {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
        // An auto-reset event releases a single waiter; the others keep waiting.
        if (m_manualReset)
            m_changed.notify_all();
        else
            m_changed.notify_one();
    }

    void reset()
    {
        std::lock_guard lock(m_mutex);
        m_signalled = false;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    const bool m_manualReset;
    bool m_signalled;
};

} // namespace

} // namespace zorplat

void InitializeCriticalSection(LPCRITICAL_SECTION section)
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&section->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

void EnterCriticalSection(LPCRITICAL_SECTION section)
{
    pthread_mutex_lock(&section->mutex);
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section)
{
    return pthread_mutex_trylock(&section->mutex) == 0;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section)
{
    pthread_mutex_unlock(&section->mutex);
}

void DeleteCriticalSection(LPCRITICAL_SECTION section)
{
    pthread_mutex_destroy(&section->mutex);
}

HANDLE CreateEvent(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    if (name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return zorplat::AddHandle(std::make_shared<zorplat::EventObject>(manualReset, initialState));
}

BOOL SetEvent(HANDLE event)
{
    auto object = zorplat::HandleObject<zorplat::EventObject>(event);
    if (!object)
        return FALSE;
    object->set();
    return TRUE;
}

BOOL ResetEvent(HANDLE event)
{
    auto object = zorplat::HandleObject<zorplat::EventObject>(event);
    if (!object)
        return FALSE;
    object->reset();
    return TRUE;
}
