// Internal: the objects behind kernel handles and the process-wide handle table. Handles
// are small numbers, never addresses, so a stale or foreign handle is recognised instead of
// being dereferenced; the table holds shared ownership so a handle closed by one thread
// while another still uses its object does not free it under that thread.
#pragma once

#include "platform/base/lasterror.h"
#include "platform/base/windef.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace zorplat {

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // WAIT_OBJECT_0 or WAIT_TIMEOUT; objects that cannot be waited on give WAIT_FAILED with
    // ERROR_INVALID_HANDLE.
    virtual DWORD wait(DWORD milliseconds);
};

HANDLE AddHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> FindHandle(HANDLE handle);
// Takes the handle out of the table; the object lives on while others still use it.
bool RemoveHandle(HANDLE handle);

// The object of `handle` if it is a T, else null with ERROR_INVALID_HANDLE.
template <class T>
std::shared_ptr<T> HandleObject(HANDLE handle)
{
    std::shared_ptr<T> object = std::dynamic_pointer_cast<T>(FindHandle(handle));
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

// Waits on `condition` until `ready()` holds or `milliseconds` pass (INFINITE: for ever).
// Returns whether `ready()` held.
template <class Ready>
bool WaitUntilReady(std::condition_variable &condition, std::unique_lock<std::mutex> &lock,
                    DWORD milliseconds, Ready ready)
{
    if (milliseconds == INFINITE) {
        condition.wait(lock, ready);
        return true;
    }
    return condition.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
}

} // namespace zorplat
