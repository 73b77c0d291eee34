// Texts the spooler commands share: why a spooler call failed, in words a user can act on.
#pragma once

#include "platform/base/windef.h"

#include <string>

// "unknown port (error 1796)" and the like; any code gets at least its number.
std::string DescribeSpoolerError(DWORD error);
