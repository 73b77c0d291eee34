#include "monitor/DebugLine.h"

#include "platform/kernel/debug.h"

#include <cstdarg>
#include <cstdio>

namespace zormon {

namespace {
// Longest diagnostic text; longer ones are cut.
constexpr int kMaxDebugText = 256;
} // namespace

void DebugLine(const char *format, ...)
{
    char text[kMaxDebugText + 2];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(text, kMaxDebugText + 1, format, args);
    va_end(args);
    if (length < 0)
        return;
    if (length > kMaxDebugText)
        length = kMaxDebugText;
    text[length] = '\r';
    text[length + 1] = '\0';
    OutputDebugString(text);
}

} // namespace zormon
