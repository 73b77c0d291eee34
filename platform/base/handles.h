// Closing and waiting on kernel handles: files, find searches, events, threads and
// processes all close through CloseHandle; events, threads and processes can be waited on.
#pragma once

#include "platform/base/windef.h"

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
// WAIT_TIMEOUT (258) is in windef.h, with the error codes.

// Closes a handle of any kind. An unknown or already closed handle gives FALSE with
// ERROR_INVALID_HANDLE and is otherwise harmless. Closing a running thread or process does
// not stop it.
BOOL CloseHandle(HANDLE handle);

// WAIT_OBJECT_0 when the event is set (an auto-reset event is reset by the wait), the thread
// has returned or the process has ended; WAIT_TIMEOUT after `milliseconds` (INFINITE waits
// for ever); WAIT_FAILED with ERROR_INVALID_HANDLE for a handle that cannot be waited on.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
