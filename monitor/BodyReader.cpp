#include "monitor/BodyReader.h"

#include "monitor/MessageBoxRoutine.h"
#include "monitor/MonitorStrings.h"
#include "platform/files.h"
#include "platform/ui.h"

#include <algorithm>
#include <new>

namespace zormon {

namespace {

constexpr uint64_t kLargestRead = 1u << 30;

} // namespace

bool ReadBody(HANDLE file, uint64_t size, MessageBody &out, HWND owner)
{
    out.body.clear();
    out.tail.clear();
    try {
        out.body.resize(size);
        out.tail.reserve(kMaxTailLength + 2);
    } catch (const std::bad_alloc &) {
        out.body = std::string();
        ShowMonitorMessage(owner, MB_ICONSTOP, MonitorString::MonitorCaption, MonitorString::NoMemory);
        return false;
    }

    uint64_t filled = 0;
    while (filled < size) {
        DWORD read = 0;
        const DWORD wanted = static_cast<DWORD>(std::min(size - filled, kLargestRead));
        if (!ReadFile(file, out.body.data() + filled, wanted, &read, nullptr)) {
            ShowMonitorMessage(owner, MB_ICONSTOP, MonitorString::MonitorCaption, MonitorString::CannotReadBody);
            return false;
        }
        if (read == 0)
            break;
        filled += read;
    }
    out.body.resize(filled);

    // The tail completes the line the body stopped in (or, after an LF, holds the next one),
    // so that no piece ends in the middle of a line.
    bool endOfFile = false;
    bool readError = false;
    while (out.tail.size() < kMaxTailLength) {
        char byte = 0;
        DWORD read = 0;
        if (!ReadFile(file, &byte, 1, &read, nullptr)) {
            readError = true;
            break;
        }
        if (read == 0) {
            endOfFile = true;
            break;
        }
        out.tail += byte;
        if (byte == '\n')
            break;
    }
    if ((endOfFile || readError) && !out.tail.empty() && out.tail.back() != '\n')
        out.tail += "\r\n";
    else if (endOfFile && out.tail.empty())
        out.tail = "\r\n";
    return true;
}

} // namespace zormon
