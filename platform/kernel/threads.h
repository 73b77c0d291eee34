// Threads, thread-local storage slots, sleeping.
#pragma once

#include "platform/base/windef.h"

#include <cstddef>

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

constexpr DWORD TLS_OUT_OF_INDEXES = 0xFFFFFFFF;

// Runs start(parameter) on a new thread. The handle is signalled when the routine returns
// (WaitForSingleObject) and its result is then read with GetExitCodeThread; closing the
// handle lets the thread run on. stackSize 0 takes the default. creationFlags must be 0
// (ERROR_INVALID_PARAMETER otherwise: suspended creation is not offered). threadId, if
// given, receives an id unique within the process.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES securityAttributes, size_t stackSize,
                    LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD creationFlags,
                    LPDWORD threadId);
// STILL_ACTIVE (259) while the thread runs, then the routine's result.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
DWORD GetCurrentThreadId();

void Sleep(DWORD milliseconds);

// Slots hold one pointer per thread, null until set. TlsGetValue sets the last error to
// ERROR_SUCCESS on success, so a stored null can be told from a failure
// (ERROR_INVALID_PARAMETER for a slot that is not allocated).
DWORD TlsAlloc();
LPVOID TlsGetValue(DWORD index);
BOOL TlsSetValue(DWORD index, LPVOID value);
BOOL TlsFree(DWORD index);
