// Critical sections and events.
#pragma once

#include "platform/base/windef.h"

#include <pthread.h>

// Recursive, as on the original platform: the owning thread may enter again and must leave
// as often as it entered. Initialize before use and Delete after; a zero-filled object is
// not usable.
struct CRITICAL_SECTION {
    pthread_mutex_t mutex;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION *;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
// TRUE when entered without waiting.
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);

// An event is waited on with WaitForSingleObject and closed with CloseHandle. A manual-reset
// event stays set until ResetEvent; an auto-reset event releases one waiter and resets
// itself. `name` must be null (named events are not offered: ERROR_INVALID_PARAMETER).
HANDLE CreateEvent(LPSECURITY_ATTRIBUTES securityAttributes, BOOL manualReset, BOOL initialState,
                   LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
