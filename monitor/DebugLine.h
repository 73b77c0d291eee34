// The monitor's diagnostic lines: what the program saw, for whoever reads the debugger
// output; the user is told by message boxes instead.
#pragma once

namespace zormon {

// Formats printf-style, cuts the text at 256 bytes, appends a carriage return and writes the
// line to the debugger output.
void DebugLine(const char *format, ...) __attribute__((format(printf, 1, 2)));

} // namespace zormon
