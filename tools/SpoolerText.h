// Texts the spooler commands share: why a spooler call failed, in words a user can act on.
#pragma once

#include "platform/base/windef.h"

#include <string>

// "unknown port (error 1796)" and the like; any code gets at least its number. A damaged
// registry file is named, with the line at fault when the registry told it.
std::string DescribeSpoolerError(DWORD error);

// The exit status of a spooler command whose spooler call failed with `error`: 2 when the
// registry file is damaged (nothing works until it is mended), else 1.
int SpoolerFailureStatus(DWORD error);
