#include "monitor/BodyReader.h"

#include "monitor/MessageBoxRoutine.h"
#include "monitor/MonitorStrings.h"
#include "platform/files/files.h"
#include "platform/base/lasterror.h"
#include "platform/ui/ui.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace zormon {

namespace {

void showCannotRead(HWND owner)
{
    ShowMonitorMessage(owner, MB_ICONSTOP, MonitorString::MonitorCaption, MonitorString::CannotReadBody);
}

// The bytes from the file's current position to its end; false when either is unknown.
bool bytesLeft(HANDLE file, uint64_t &left)
{
    DWORD sizeHigh = 0;
    SetLastError(ERROR_SUCCESS);
    const DWORD sizeLow = GetFileSize(file, &sizeHigh);
    if (sizeLow == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
        return false;
    LONG positionHigh = 0;
    SetLastError(ERROR_SUCCESS);
    const DWORD positionLow = SetFilePointer(file, 0, &positionHigh, FILE_CURRENT);
    if (positionLow == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
        return false;
    const uint64_t size = (uint64_t{sizeHigh} << 32) | sizeLow;
    const uint64_t position = (uint64_t{static_cast<DWORD>(positionHigh)} << 32) | positionLow;
    left = position < size ? size - position : 0;
    return true;
}

} // namespace

bool BodyReader::begin(HANDLE file, uint64_t size, HWND owner)
{
    m_file = file;
    m_owner = owner;
    m_read = 0;
    m_length = 0;
    uint64_t left = 0;
    if (!bytesLeft(file, left)) {
        showCannotRead(owner);
        return false;
    }
    m_length = std::min(size, left);
    if (m_length > 0 && !m_block) {
        m_block.reset(new (std::nothrow) char[kBlockSize]);
        if (!m_block) {
            ShowMonitorMessage(owner, MB_ICONSTOP, MonitorString::MonitorCaption, MonitorString::NoMemory);
            return false;
        }
    }
    return true;
}

bool BodyReader::next(std::string_view &block)
{
    block = {};
    if (m_read == m_length)
        return true;
    const DWORD wanted = static_cast<DWORD>(std::min(m_length - m_read, kBlockSize));
    DWORD filled = 0;
    while (filled < wanted) {
        DWORD read = 0;
        // A file that ends early was cut short behind our back, after its length was told.
        if (!ReadFile(m_file, m_block.get() + filled, wanted - filled, &read, nullptr) || read == 0) {
            showCannotRead(m_owner);
            return false;
        }
        filled += read;
    }
    m_read += filled;
    block = std::string_view(m_block.get(), filled);
    return true;
}

bool BodyReader::readTail(std::string &tail)
{
    // The tail completes the line the body stopped in (or, after an LF, holds the next one),
    // so that no piece ends in the middle of a line.
    char bytes[kMaxTailLength];
    DWORD filled = 0;
    bool endOfFile = false;
    bool readError = false;
    while (filled < kMaxTailLength && !std::memchr(bytes, '\n', filled)) {
        DWORD read = 0;
        if (!ReadFile(m_file, bytes + filled, kMaxTailLength - filled, &read, nullptr)) {
            readError = true;
            break;
        }
        if (read == 0) {
            endOfFile = true;
            break;
        }
        filled += read;
    }
    const char *lineFeed = static_cast<const char *>(std::memchr(bytes, '\n', filled));
    const DWORD kept = lineFeed ? static_cast<DWORD>(lineFeed - bytes + 1) : filled;
    tail.assign(bytes, kept);
    if (kept < filled) {
        // A 64-bit move (the high part all ones), so files past 4 GB can be put back too.
        LONG backHigh = -1;
        SetLastError(ERROR_SUCCESS);
        if (SetFilePointer(m_file, -static_cast<LONG>(filled - kept), &backHigh, FILE_CURRENT) ==
                INVALID_SET_FILE_POINTER &&
            GetLastError() != ERROR_SUCCESS) {
            showCannotRead(m_owner);
            return false;
        }
        return true;
    }
    if ((endOfFile || readError) && !tail.empty() && tail.back() != '\n')
        tail += "\r\n";
    else if (endOfFile && tail.empty())
        tail = "\r\n";
    return true;
}

} // namespace zormon
