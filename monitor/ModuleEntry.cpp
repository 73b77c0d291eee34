#include "monitor/ModuleEntry.h"

#include "platform/kernel/module.h"
#include "platform/kernel/threads.h"

#include <atomic>

namespace zormon {

namespace {

std::atomic<HINSTANCE> g_instance{nullptr};
std::atomic<DWORD> g_messageBoxSlot{TLS_OUT_OF_INDEXES};

// The loader's attach and detach notifications: the module's own instance is found from an
// address inside it, so the same code serves the module and a program that links the core.
__attribute__((constructor)) void attachToProcess()
{
    DllEntryPoint(zorplat::ModuleInstanceOf(reinterpret_cast<const void *>(&attachToProcess)),
                  DLL_PROCESS_ATTACH, nullptr);
}

__attribute__((destructor)) void detachFromProcess()
{
    DllEntryPoint(g_instance.load(), DLL_PROCESS_DETACH, nullptr);
}

} // namespace

BOOL WINAPI DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        g_messageBoxSlot = TlsAlloc();
    } else if (reason == DLL_PROCESS_DETACH) {
        DWORD slot = g_messageBoxSlot.exchange(TLS_OUT_OF_INDEXES);
        if (slot != TLS_OUT_OF_INDEXES)
            TlsFree(slot);
    }
    return TRUE;
}

HINSTANCE ModuleInstance()
{
    return g_instance.load();
}

DWORD MessageBoxSlot()
{
    return g_messageBoxSlot.load();
}

} // namespace zormon
