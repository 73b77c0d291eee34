#include "platform/files/filesupport.h"

#include "platform/files/atomicfile.h"
#include "platform/files/files.h"
#include "platform/base/lasterror.h"

#include <cerrno>
#include <sys/stat.h>

namespace zorplat {

namespace {

bool parentExists(const std::string &linuxPath)
{
    const size_t slash = linuxPath.find_last_of('/');
    if (slash == std::string::npos)
        return true; // relative to the current folder
    const std::string parent = slash == 0 ? "/" : linuxPath.substr(0, slash);
    struct stat info {};
    return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

DWORD FileErrorFromErrno(int error, const std::string &linuxPath)
{
    switch (error) {
    case ENOENT:
        return parentExists(linuxPath) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case EISDIR:
    case ETXTBSY:
        return ERROR_ACCESS_DENIED;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EIO:
        return ERROR_GEN_FAILURE;
    default:
        return ErrorFromErrno(error);
    }
}

BOOL FailWithErrno(int error, const std::string &linuxPath)
{
    SetLastError(FileErrorFromErrno(error, linuxPath));
    return FALSE;
}

DWORD FileAttributesOf(const struct stat &info)
{
    if (S_ISDIR(info.st_mode))
        return FILE_ATTRIBUTE_DIRECTORY;
    return (info.st_mode & S_IWUSR) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}

FILETIME FileTimeOf(const struct timespec &time)
{
    constexpr int64_t secondsFrom1601To1970 = 11644473600;
    const uint64_t ticks = static_cast<uint64_t>(time.tv_sec + secondsFrom1601To1970) * 10000000
        + static_cast<uint64_t>(time.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

} // namespace zorplat
