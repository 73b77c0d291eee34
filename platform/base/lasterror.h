// The per-thread last error. C linkage, so any host of the monitor can read the error of a
// failed port operation without this library's C++ headers.
#pragma once

#include "platform/base/windef.h"

extern "C" {
DWORD GetLastError();
void SetLastError(DWORD error);
}
