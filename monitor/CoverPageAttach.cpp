#include "monitor/CoverPageAttach.h"

#include "monitor/JobSettings.h"
#include "monitor/MessageBoxRoutine.h"
#include "monitor/MonitorStrings.h"
#include "monitor/ScopedHandle.h"
#include "platform/files/files.h"
#include "platform/base/lasterror.h"
#include "platform/ui/ui.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

namespace zormon {

namespace {

// ReadFile and WriteFile take 32-bit sizes; larger files go through in chunks of this size.
constexpr uint64_t kMaxTransfer = uint64_t{1} << 30;
// The job is moved behind the banner through a block of this size, never held whole.
constexpr uint64_t kShiftBlock = uint64_t{1} << 20;

enum class ReadResult { Ok, Failed, NoMemory };

bool fail(HWND owner, UINT textId)
{
    ShowMonitorMessage(owner, MB_ICONSTOP, MonitorString::InternetPort, textId);
    return false;
}

ScopedHandle openPage(const char *name)
{
    return ScopedHandle(CreateFile(InstallPath(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// The file from its current position to its end.
ReadResult readRest(HANDLE file, std::string &out)
{
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
        return ReadResult::Failed;
    const uint64_t size = (uint64_t{high} << 32) | low;
    try {
        out.resize(size);
    } catch (const std::bad_alloc &) {
        return ReadResult::NoMemory;
    }
    uint64_t done = 0;
    while (done < size) {
        DWORD read = 0;
        DWORD want = static_cast<DWORD>(std::min(size - done, kMaxTransfer));
        if (!ReadFile(file, out.data() + done, want, &read, nullptr))
            return ReadResult::Failed;
        if (read == 0)
            break;
        done += read;
    }
    out.resize(done);
    return ReadResult::Ok;
}

bool writeAll(HANDLE file, const std::string &data)
{
    uint64_t done = 0;
    while (done < data.size()) {
        DWORD written = 0;
        DWORD want = static_cast<DWORD>(std::min<uint64_t>(data.size() - done, kMaxTransfer));
        if (!WriteFile(file, data.data() + done, want, &written, nullptr) || written != want)
            return false;
        done += written;
    }
    return true;
}

bool seekTo(HANDLE file, uint64_t position)
{
    LONG high = static_cast<LONG>(position >> 32);
    SetLastError(ERROR_SUCCESS);
    return SetFilePointer(file, static_cast<LONG>(position & 0xFFFFFFFFu), &high, FILE_BEGIN) !=
               INVALID_SET_FILE_POINTER ||
           GetLastError() == ERROR_SUCCESS;
}

bool readExactly(HANDLE file, char *buffer, DWORD size)
{
    DWORD done = 0;
    while (done < size) {
        DWORD read = 0;
        if (!ReadFile(file, buffer + done, size - done, &read, nullptr) || read == 0)
            return false;
        done += read;
    }
    return true;
}

enum class ShiftResult { Ok, ReadFailed, WriteFailed, NoMemory };

// Moves the whole file `distance` bytes towards its end, leaving room at its start. The last
// block goes first, so no byte is overwritten before it has been read.
ShiftResult shiftForward(HANDLE file, uint64_t distance)
{
    DWORD high = 0;
    SetLastError(ERROR_SUCCESS);
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
        return ShiftResult::ReadFailed;
    uint64_t end = (uint64_t{high} << 32) | low;
    if (distance == 0 || end == 0)
        return ShiftResult::Ok;
    std::unique_ptr<char[]> block(new (std::nothrow) char[kShiftBlock]);
    if (!block)
        return ShiftResult::NoMemory;
    while (end > 0) {
        const DWORD length = static_cast<DWORD>(std::min(end, kShiftBlock));
        const uint64_t start = end - length;
        if (!seekTo(file, start) || !readExactly(file, block.get(), length))
            return ShiftResult::ReadFailed;
        DWORD written = 0;
        if (!seekTo(file, start + distance) || !WriteFile(file, block.get(), length, &written, nullptr) ||
            written != length)
            return ShiftResult::WriteFailed;
        end = start;
    }
    return ShiftResult::Ok;
}

bool seekToEnd(HANDLE file)
{
    LONG high = 0;
    SetLastError(ERROR_SUCCESS);
    return SetFilePointer(file, 0, &high, FILE_END) != INVALID_SET_FILE_POINTER ||
           GetLastError() == ERROR_SUCCESS;
}

// Reads `file` whole into `out`; on failure shows `readFailedId` (or 316) and returns false.
bool readWhole(HANDLE file, std::string &out, UINT readFailedId, HWND owner)
{
    switch (readRest(file, out)) {
    case ReadResult::Ok:
        return true;
    case ReadResult::NoMemory:
        return fail(owner, MonitorString::NoMemory);
    case ReadResult::Failed:
        break;
    }
    return fail(owner, readFailedId);
}

// Puts the banner page before the job; on failure shows the message of the step, a failed
// write as `writeFailedId`.
bool putBannerFirst(HANDLE jobCopy, HANDLE banner, UINT writeFailedId, HWND owner)
{
    std::string bannerText;
    if (!readWhole(banner, bannerText, MonitorString::CannotReadHeader, owner))
        return false;
    switch (shiftForward(jobCopy, bannerText.size())) {
    case ShiftResult::Ok:
        break;
    case ShiftResult::NoMemory:
        return fail(owner, MonitorString::NoMemory);
    case ShiftResult::ReadFailed:
        return fail(owner, MonitorString::CannotReadPrintFile);
    case ShiftResult::WriteFailed:
        return fail(owner, writeFailedId);
    }
    if (!seekTo(jobCopy, 0) || !writeAll(jobCopy, bannerText))
        return fail(owner, writeFailedId);
    return true;
}

bool attachBanner(HANDLE jobCopy, HWND owner)
{
    ScopedHandle banner = openPage("banner.ps");
    if (!banner.valid())
        return fail(owner, MonitorString::CannotOpenHeader);
    return putBannerFirst(jobCopy, banner.get(), MonitorString::CannotWritePrintFile, owner);
}

bool attachTrailer(HANDLE jobCopy, HWND owner)
{
    ScopedHandle trailer = openPage("trailer.ps");
    if (!trailer.valid())
        return fail(owner, MonitorString::CannotOpenTrailer);
    std::string trailerText;
    if (!readWhole(trailer.get(), trailerText, MonitorString::CannotReadTrailer, owner))
        return false;
    if (!seekToEnd(jobCopy) || !writeAll(jobCopy, trailerText) || !SetEndOfFile(jobCopy))
        return fail(owner, MonitorString::CannotAppendTrailer);
    return true;
}

bool attachBoth(HANDLE jobCopy, HWND owner)
{
    ScopedHandle banner = openPage("banner.ps");
    if (!banner.valid())
        return fail(owner, MonitorString::CannotOpenHeader);
    ScopedHandle trailer = openPage("trailer.ps");
    if (!trailer.valid())
        return fail(owner, MonitorString::CannotOpenTrailer);
    if (!putBannerFirst(jobCopy, banner.get(), MonitorString::CannotAppendTrailer, owner))
        return false;
    std::string trailerText;
    if (!readWhole(trailer.get(), trailerText, MonitorString::TrailerNotFound, owner))
        return false;
    if (!seekToEnd(jobCopy) || !writeAll(jobCopy, trailerText) || !SetEndOfFile(jobCopy))
        return fail(owner, MonitorString::CannotAppendTrailer);
    return true;
}

} // namespace

bool AttachCoverPages(HANDLE jobCopy, bool banner, bool trailer, HWND owner)
{
    if (banner && trailer)
        return attachBoth(jobCopy, owner);
    if (banner)
        return attachBanner(jobCopy, owner);
    if (trailer)
        return attachTrailer(jobCopy, owner);
    return true;
}

} // namespace zormon
