// The Windows printers that stand for destinations: all on the Internet port, made with the
// values this system gives every one of them.
#pragma once

#include "platform/base/windef.h"

#include <string>

namespace sendaro {

inline constexpr const char *kInternetPort = "ZORVALINE_INTERNET:";
inline constexpr const char *kPrinterComment = "Zorvaline Remote Internet Printing Port";

// AddPrinter at level 2 for destination `name` with `driver`; the open handle, or null with
// the last error set.
HANDLE CreateDestinationPrinter(const std::string &driver, const std::string &name);

// Deletes the Windows printer `name`; one that cannot be opened is skipped silently.
void DeleteWindowsPrinter(const std::string &name);

} // namespace sendaro
