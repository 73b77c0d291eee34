// Texts of the monitor's string table (ids in monitor/MonitorStrings.h) for uses other than
// message boxes, such as port descriptions.
#pragma once

#include "platform/base/windef.h"

#include <string>

namespace zormon {

// The text of string `id` of the module's table; empty when it cannot be loaded.
std::string MonitorText(UINT id);

} // namespace zormon
