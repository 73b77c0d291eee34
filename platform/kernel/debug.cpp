#include "platform/kernel/debug.h"

#include "platform/base/appendline.h"

#include <cstdlib>

void OutputDebugString(LPCSTR text)
{
    const char *logPath = std::getenv("ZORVALINE_DEBUG_LOG");
    if (text && logPath && *logPath)
        zorplat::AppendLine(logPath, text);
}
