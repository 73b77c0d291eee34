// File handles: open/create with delete-on-close, read, write, seek, truncate, size.
#include "platform/files/files.h"

#include "platform/files/filesupport.h"
#include "platform/files/freshfile.h"
#include "platform/base/kernelobject.h"
#include "platform/base/paths.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zorplat {

namespace {

using FileIdentity = std::pair<dev_t, ino_t>;

// Every file open through a handle, so a file marked delete-on-close is removed when the
// last handle to it closes, not when the handle that asked for it does.
struct OpenFiles {
    struct Record {
        int handles = 0;
        bool deletePending = false;
        std::string path;
    };
    std::mutex mutex;
    std::map<FileIdentity, Record> records;
};

OpenFiles &openFiles()
{
    static OpenFiles *instance = new OpenFiles; // handles may be closed from exit handlers
    return *instance;
}

class FileObject : public KernelObject {
public:
    FileObject(int fd, const struct stat &info, std::string path, bool deleteOnClose)
        : m_fd(fd), m_identity(info.st_dev, info.st_ino)
    {
        OpenFiles &files = openFiles();
        std::lock_guard lock(files.mutex);
        OpenFiles::Record &record = files.records[m_identity];
        ++record.handles;
        if (deleteOnClose) {
            record.deletePending = true;
            record.path = std::move(path);
        }
    }

    ~FileObject() override
    {
        close(m_fd);
        OpenFiles &files = openFiles();
        std::lock_guard lock(files.mutex);
        auto found = files.records.find(m_identity);
        if (found == files.records.end() || --found->second.handles > 0)
            return;
        // Remove the name only while it still names this file: it may have been replaced.
        struct stat info {};
        if (found->second.deletePending && stat(found->second.path.c_str(), &info) == 0
            && FileIdentity(info.st_dev, info.st_ino) == m_identity)
            unlink(found->second.path.c_str());
        files.records.erase(found);
    }

    int fd() const { return m_fd; }

private:
    int m_fd;
    FileIdentity m_identity;
};

HANDLE failHandle(DWORD error)
{
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

BOOL fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// The handle of a file just opened as fd.
HANDLE handleFor(int fd, const std::string &path, DWORD flagsAndAttributes)
{
    struct stat info {};
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(fd);
        return failHandle(ERROR_ACCESS_DENIED);
    }
    return AddHandle(std::make_shared<FileObject>(fd, info, path, (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0));
}

int accessFlags(DWORD desiredAccess)
{
    const bool read = desiredAccess & GENERIC_READ;
    const bool write = desiredAccess & GENERIC_WRITE;
    return read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
}

// Read and write on a handle opened without the matching access fail with EBADF.
DWORD transferError(int error)
{
    return error == EBADF ? ERROR_ACCESS_DENIED : FileErrorFromErrno(error, {});
}

} // namespace

} // namespace zorplat

using zorplat::FileObject;
using zorplat::HandleObject;

HANDLE CreateFile(LPCSTR fileName, DWORD desiredAccess, DWORD /*shareMode*/,
                  LPSECURITY_ATTRIBUTES /*securityAttributes*/, DWORD creationDisposition,
                  DWORD flagsAndAttributes, HANDLE /*templateFile*/)
{
    if (!fileName || !*fileName)
        return zorplat::failHandle(ERROR_PATH_NOT_FOUND);
    const bool write = desiredAccess & GENERIC_WRITE;
    int flags = O_CLOEXEC | zorplat::accessFlags(desiredAccess);
    switch (creationDisposition) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_EXISTING:
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        if (!write)
            return zorplat::failHandle(ERROR_INVALID_PARAMETER);
        flags |= O_TRUNC;
        break;
    default:
        return zorplat::failHandle(ERROR_INVALID_PARAMETER);
    }

    const std::string path = zorplat::ToLinuxPath(fileName);
    struct stat before {};
    const bool existed = stat(path.c_str(), &before) == 0;
    if (existed && S_ISDIR(before.st_mode))
        return zorplat::failHandle(ERROR_ACCESS_DENIED);
    const mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    int fd;
    do
        fd = open(path.c_str(), flags, mode);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return zorplat::failHandle(zorplat::FileErrorFromErrno(errno, path));

    HANDLE handle = zorplat::handleFor(fd, path, flagsAndAttributes);
    if (handle == INVALID_HANDLE_VALUE)
        return handle;
    const bool reportExisting =
        existed && (creationDisposition == OPEN_ALWAYS || creationDisposition == CREATE_ALWAYS);
    SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

HANDLE zorplat::CreateFreshFile(LPCSTR fileName, DWORD desiredAccess, DWORD flagsAndAttributes)
{
    if (!fileName || !*fileName)
        return failHandle(ERROR_PATH_NOT_FOUND);
    const std::string path = ToLinuxPath(fileName);
    const int fd = OpenFreshFile(path, accessFlags(desiredAccess | GENERIC_WRITE));
    if (fd < 0)
        return failHandle(FileErrorFromErrno(errno, path));
    HANDLE handle = handleFor(fd, path, flagsAndAttributes);
    if (handle != INVALID_HANDLE_VALUE)
        SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, void *overlapped)
{
    if (read)
        *read = 0;
    auto object = HandleObject<FileObject>(file);
    if (!object)
        return FALSE;
    if (overlapped || (!buffer && toRead > 0))
        return zorplat::fail(ERROR_INVALID_PARAMETER);
    ssize_t got;
    do
        got = ::read(object->fd(), buffer, toRead);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return zorplat::fail(zorplat::transferError(errno));
    if (read)
        *read = static_cast<DWORD>(got);
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, void *overlapped)
{
    if (written)
        *written = 0;
    auto object = HandleObject<FileObject>(file);
    if (!object)
        return FALSE;
    if (overlapped || (!buffer && toWrite > 0))
        return zorplat::fail(ERROR_INVALID_PARAMETER);
    const char *bytes = static_cast<const char *>(buffer);
    DWORD done = 0;
    while (done < toWrite) {
        const ssize_t put = ::write(object->fd(), bytes + done, toWrite - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (written)
                *written = done;
            return zorplat::fail(put == 0 ? ERROR_WRITE_FAULT : zorplat::transferError(errno));
        }
        done += static_cast<DWORD>(put);
    }
    if (written)
        *written = done;
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG *distanceHigh, DWORD moveMethod)
{
    auto object = HandleObject<FileObject>(file);
    if (!object)
        return INVALID_SET_FILE_POINTER;
    const int64_t move = distanceHigh
        ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32)
                               | static_cast<uint32_t>(distance))
        : static_cast<int64_t>(distance);
    int64_t origin = 0;
    if (moveMethod == FILE_CURRENT) {
        origin = lseek(object->fd(), 0, SEEK_CUR);
    } else if (moveMethod == FILE_END) {
        struct stat info {};
        origin = fstat(object->fd(), &info) == 0 ? info.st_size : -1;
    } else if (moveMethod != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (origin < 0) {
        SetLastError(zorplat::transferError(errno));
        return INVALID_SET_FILE_POINTER;
    }
    const int64_t target = origin + move;
    if (target < 0 || (!distanceHigh && target > 0xFFFFFFFF)) {
        SetLastError(target < 0 ? ERROR_NEGATIVE_SEEK : ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(object->fd(), target, SEEK_SET) < 0) {
        SetLastError(zorplat::transferError(errno));
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(target) >> 32);
    // Callers tell a low part of 0xFFFFFFFF from a failure by the last error.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(target);
}

BOOL SetEndOfFile(HANDLE file)
{
    auto object = HandleObject<FileObject>(file);
    if (!object)
        return FALSE;
    const off_t position = lseek(object->fd(), 0, SEEK_CUR);
    if (position < 0 || ftruncate(object->fd(), position) != 0)
        return zorplat::fail(zorplat::transferError(errno == EINVAL ? EBADF : errno));
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh)
{
    auto object = HandleObject<FileObject>(file);
    if (!object)
        return INVALID_FILE_SIZE;
    struct stat info {};
    if (fstat(object->fd(), &info) != 0) {
        SetLastError(zorplat::transferError(errno));
        return INVALID_FILE_SIZE;
    }
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    if (sizeHigh)
        *sizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

BOOL FlushFileBuffers(HANDLE file)
{
    auto object = HandleObject<FileObject>(file);
    if (!object)
        return FALSE;
    if (fsync(object->fd()) != 0)
        return zorplat::fail(zorplat::transferError(errno));
    return TRUE;
}

BOOL DeviceIoControl(HANDLE device, DWORD, LPVOID, DWORD, LPVOID, DWORD, LPDWORD bytesReturned,
                     void *)
{
    if (!zorplat::FindHandle(device))
        return zorplat::fail(ERROR_INVALID_HANDLE);
    if (bytesReturned)
        *bytesReturned = 0;
    return zorplat::fail(ERROR_NOT_SUPPORTED);
}

BOOL GetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS)
{
    return zorplat::fail(zorplat::FindHandle(file) ? ERROR_NOT_SUPPORTED : ERROR_INVALID_HANDLE);
}

BOOL SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS)
{
    return zorplat::fail(zorplat::FindHandle(file) ? ERROR_NOT_SUPPORTED : ERROR_INVALID_HANDLE);
}
