// Messages of the manager's string table that name what they are about.
#pragma once

#include "platform/base/windef.h"

#include <string>

namespace sendaro {

// String `id`, a printf format taking a text and an error code ("%s ... %lu").
std::string FormatMessageText(UINT id, const std::string &subject, DWORD error);
// String `id` with its "%s" replaced by `subject`.
std::string MessageNaming(UINT id, const std::string &subject);

} // namespace sendaro
