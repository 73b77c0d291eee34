// Internal: appending whole lines to log files shared by threads and processes.
#pragma once

#include <string>

namespace zorplat {

// Appends `line` plus a newline (unless it ends with one) to the file at `linuxPath`,
// creating it, in a single O_APPEND write so concurrent writers never interleave within a
// line. Failures are ignored: logging must not change what the program does.
void AppendLine(const std::string &linuxPath, std::string line);

} // namespace zorplat
