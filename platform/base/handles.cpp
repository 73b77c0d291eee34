#include "platform/base/handles.h"

#include "platform/base/kernelobject.h"

#include <cstdint>
#include <unordered_map>

namespace zorplat {

namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
    // Multiples of 4 from 4 up, like the original's handle values; never null and never
    // INVALID_HANDLE_VALUE.
    uintptr_t lastValue = 0;
};

HandleTable &table()
{
    // Never destroyed: threads may still close handles while the process exits.
    static HandleTable *instance = new HandleTable;
    return *instance;
}

} // namespace

DWORD KernelObject::wait(DWORD)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

HANDLE AddHandle(std::shared_ptr<KernelObject> object)
{
    HandleTable &handles = table();
    std::lock_guard lock(handles.mutex);
    handles.lastValue += 4;
    handles.objects.emplace(handles.lastValue, std::move(object));
    return reinterpret_cast<HANDLE>(handles.lastValue);
}

std::shared_ptr<KernelObject> FindHandle(HANDLE handle)
{
    HandleTable &handles = table();
    std::lock_guard lock(handles.mutex);
    auto found = handles.objects.find(reinterpret_cast<uintptr_t>(handle));
    return found == handles.objects.end() ? nullptr : found->second;
}

bool RemoveHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> object;
    HandleTable &handles = table();
    {
        std::lock_guard lock(handles.mutex);
        auto found = handles.objects.find(reinterpret_cast<uintptr_t>(handle));
        if (found == handles.objects.end())
            return false;
        object = std::move(found->second);
        handles.objects.erase(found);
    }
    // The object may be released here, outside the table lock: closing a file can unlink it.
    return true;
}

} // namespace zorplat

BOOL CloseHandle(HANDLE handle)
{
    if (!zorplat::RemoveHandle(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    std::shared_ptr<zorplat::KernelObject> object = zorplat::FindHandle(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->wait(milliseconds);
}
