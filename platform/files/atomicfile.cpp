#include "platform/files/atomicfile.h"
#include "platform/files/fullio.h"

#include "platform/base/lasterror.h"
#include "platform/files/temporaryfile.h"

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

} // namespace

void SyncFolderOf(const std::string &linuxPath)
{
    // A failure here is not worth failing a write for: the rename itself has happened.
    const int fd = ::open(folderOf(linuxPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool AtomicWriteFile(const std::string &requestedPath, std::string_view content, mode_t modeForNewFile,
                     Durability durability)
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

    RemoveStaleTemporaries(linuxPath);
    // The temporary file sits beside the target so the rename stays on one file system.
    TemporaryFile temporary(linuxPath);
    if (!temporary.valid())
        return failWith(errno);
    // The data must be on disk before the rename is, or a crash could leave the name with
    // no content; fdatasync is enough, as the size is part of what it syncs.
    const bool written = ::fchmod(temporary.fd(), mode) == 0
        && WriteFully(temporary.fd(), content.data(), content.size()) && ::fdatasync(temporary.fd()) == 0
        && temporary.replaceTarget();
    if (!written)
        return failWith(errno);
    if (durability == Durability::Durable)
        SyncFolderOf(linuxPath);
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
