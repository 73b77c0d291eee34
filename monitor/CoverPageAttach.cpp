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
#include <new>
#include <stdexcept>

namespace zormon {

namespace {

// ReadFile takes 32-bit sizes; larger files go through in chunks of this size.
constexpr uint64_t kMaxTransfer = uint64_t{1} << 30;

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
    SetLastError(ERROR_SUCCESS);
    DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
        return ReadResult::Failed;
    const uint64_t size = (uint64_t{high} << 32) | low;
    try {
        out.resize(size);
    } catch (const std::bad_alloc &) {
        return ReadResult::NoMemory;
    } catch (const std::length_error &) {
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

} // namespace

bool ReadCoverPages(bool banner, bool trailer, HWND owner, CoverPages &pages)
{
    pages = CoverPages();
    // Both pages are opened before either is read, and a trailer read after a banner fails
    // with a message of its own.
    ScopedHandle bannerFile;
    ScopedHandle trailerFile;
    if (banner) {
        bannerFile = openPage("banner.ps");
        if (!bannerFile.valid())
            return fail(owner, MonitorString::CannotOpenHeader);
    }
    if (trailer) {
        trailerFile = openPage("trailer.ps");
        if (!trailerFile.valid())
            return fail(owner, MonitorString::CannotOpenTrailer);
    }
    if (banner && !readWhole(bannerFile.get(), pages.banner, MonitorString::CannotReadHeader, owner))
        return false;
    const UINT trailerReadFailed = banner ? MonitorString::TrailerNotFound : MonitorString::CannotReadTrailer;
    if (trailer && !readWhole(trailerFile.get(), pages.trailer, trailerReadFailed, owner))
        return false;
    return true;
}

} // namespace zormon
