// Diagnostic output. Each call is appended as one line to the file named by
// ZORVALINE_DEBUG_LOG (read at every call; a newline is added when the text has none) in a
// single write, so lines of several processes never interleave. Without the variable, or
// when the file cannot be opened, the text is discarded.
#pragma once

#include "platform/base/windef.h"

void OutputDebugString(LPCSTR text);
