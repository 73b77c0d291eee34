#include "platform/files/atomicfile.h"

#include "platform/base/lasterror.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorplat {

unsigned ErrorFromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_WRITE_FAULT;
    }
}

namespace {

bool failWith(int error)
{
    SetLastError(ErrorFromErrno(error));
    return false;
}

std::string folderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Makes the rename itself durable; a failure here is not worth failing the write for.
void syncFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool AtomicWriteFile(const std::string &requestedPath, std::string_view content, mode_t modeForNewFile)
{
    // A rename would replace a symbolic link itself; the file it points to is meant.
    std::string linuxPath = requestedPath;
    struct stat link {};
    if (::lstat(requestedPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char *target = ::realpath(requestedPath.c_str(), nullptr)) {
            linuxPath = target;
            std::free(target);
        }
    }
    mode_t mode = modeForNewFile;
    struct stat existing {};
    if (::stat(linuxPath.c_str(), &existing) == 0)
        mode = existing.st_mode & 07777;

    // The temporary file sits beside the target so the rename stays on one file system.
    std::string temporary = linuxPath + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failWith(errno);
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, content) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), linuxPath.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return failWith(error);
    }
    syncFolder(folderOf(linuxPath));
    return true;
}

bool ReadFromDescriptor(int fd, std::string &content)
{
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.append(chunk, static_cast<size_t>(got));
    }
}

bool ReadWholeFile(const std::string &linuxPath, std::string &content)
{
    content.clear();
    const int fd = ::open(linuxPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ErrorFromErrno(errno));
        return false;
    }
    const bool ok = ReadFromDescriptor(fd, content);
    const int error = errno;
    ::close(fd);
    if (!ok)
        SetLastError(error == EISDIR ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT);
    return ok;
}

FileLock::FileLock(const std::string &linuxPath)
{
    const std::string lockPath = linuxPath + ".lock";
    m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        SetLastError(ErrorFromErrno(errno));
        return;
    }
    // flock locks belong to the open file description, so two threads of one process that
    // each open the lock file exclude each other as two processes do.
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            SetLastError(ErrorFromErrno(errno));
            ::close(m_fd);
            m_fd = -1;
            return;
        }
    }
}

FileLock::~FileLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace zorplat
