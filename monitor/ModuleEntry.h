// The module's entry point and what it keeps for the rest of the module: its own instance
// (every string-table load names it) and one thread-local-storage slot (the message-box
// routine keeps the box it shows there). Run when the module is loaded, as the original
// entry point ran when the module was attached to a process.
#pragma once

#include "platform/base/windef.h"

namespace zormon {

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

// On process attach stores the instance and allocates the slot; on process detach frees
// the slot. Returns TRUE for every reason.
BOOL WINAPI DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID reserved);

// The instance the module was attached with.
HINSTANCE ModuleInstance();
// The slot of the message-box routine (TLS_OUT_OF_INDEXES when none could be allocated).
DWORD MessageBoxSlot();

} // namespace zormon
