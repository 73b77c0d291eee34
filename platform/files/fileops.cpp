// Whole-file and folder operations by name: copy, move, delete, folders, attributes.
#include "platform/files/files.h"

#include "platform/files/filesupport.h"
#include "platform/files/temporaryfile.h"
#include "platform/base/lasterror.h"
#include "platform/base/paths.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

BOOL fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool copyContents(int from, int to)
{
    // The kernel copies without a trip through user space; where it cannot (another file
    // system on an old kernel, a special file), the loop below goes on from where it stopped.
    for (;;) {
        const ssize_t moved = copy_file_range(from, nullptr, to, nullptr, size_t{1} << 30, 0);
        if (moved == 0)
            return true;
        if (moved > 0 || errno == EINTR)
            continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return false;
        break;
    }
    char buffer[64 * 1024];
    for (;;) {
        ssize_t got = read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(to, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += put;
        }
    }
}

// The copy goes to a temporary file beside the target that is renamed over it at the end,
// so a failed copy (a full disk) leaves an existing target as it was.
BOOL copyFile(const std::string &source, const std::string &target, bool failIfExists)
{
    const int from = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0)
        return zorplat::FailWithErrno(errno, source);
    struct stat sourceInfo {};
    struct stat targetInfo {};
    DWORD refusal = ERROR_SUCCESS;
    if (fstat(from, &sourceInfo) != 0 || S_ISDIR(sourceInfo.st_mode))
        refusal = ERROR_ACCESS_DENIED;
    else if (stat(target.c_str(), &targetInfo) == 0)
        refusal = sameFile(sourceInfo, targetInfo) ? ERROR_SHARING_VIOLATION
            : failIfExists                          ? ERROR_FILE_EXISTS
            : S_ISDIR(targetInfo.st_mode)           ? ERROR_ACCESS_DENIED
                                                    : ERROR_SUCCESS;
    if (refusal != ERROR_SUCCESS) {
        close(from);
        return fail(refusal);
    }

    zorplat::RemoveStaleTemporaries(target);
    zorplat::TemporaryFile temporary(target);
    if (!temporary.valid()) {
        const int error = errno;
        close(from);
        return zorplat::FailWithErrno(error, target);
    }
    const struct timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
    bool copied = copyContents(from, temporary.fd()) && fchmod(temporary.fd(), sourceInfo.st_mode & 07777) == 0
        && futimens(temporary.fd(), times) == 0
        && temporary.replaceTarget(failIfExists ? RENAME_NOREPLACE : 0);
    const int error = errno;
    close(from);
    if (!copied)
        return fail(error == EEXIST ? ERROR_FILE_EXISTS
                                    : error == ENOSPC ? ERROR_DISK_FULL
                                                      : zorplat::FileErrorFromErrno(error, target));
    return TRUE;
}

// The target's folder as it resolves, with the last component spelled as given: renaming
// "report.txt" to "REPORT.TXT" changes the spelling instead of finding the file itself.
std::string spelledAsGiven(const std::string &resolved, std::string_view windowsPath)
{
    const size_t givenSlash = windowsPath.find_last_of("\\/:");
    const std::string_view givenName =
        givenSlash == std::string_view::npos ? windowsPath : windowsPath.substr(givenSlash + 1);
    const size_t slash = resolved.find_last_of('/');
    return (slash == std::string::npos ? std::string() : resolved.substr(0, slash + 1))
        + std::string(givenName);
}

} // namespace

BOOL CopyFile(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists)
{
    if (!existingFileName || !*existingFileName || !newFileName || !*newFileName)
        return fail(ERROR_PATH_NOT_FOUND);
    return copyFile(zorplat::ToLinuxPath(existingFileName), zorplat::ToLinuxPath(newFileName),
                    failIfExists);
}

BOOL MoveFile(LPCSTR existingFileName, LPCSTR newFileName)
{
    if (!existingFileName || !*existingFileName || !newFileName || !*newFileName)
        return fail(ERROR_PATH_NOT_FOUND);
    const std::string source = zorplat::ToLinuxPath(existingFileName);
    std::string target = zorplat::ToLinuxPath(newFileName);
    struct stat sourceInfo {};
    struct stat targetInfo {};
    if (lstat(source.c_str(), &sourceInfo) != 0)
        return zorplat::FailWithErrno(errno, source);
    if (lstat(target.c_str(), &targetInfo) == 0) {
        if (!sameFile(sourceInfo, targetInfo))
            return fail(ERROR_ALREADY_EXISTS);
        target = spelledAsGiven(target, newFileName);
        if (target == source)
            return TRUE;
        if (rename(source.c_str(), target.c_str()) != 0)
            return zorplat::FailWithErrno(errno, target);
        return TRUE;
    }
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return TRUE;
    if (errno == EEXIST)
        return fail(ERROR_ALREADY_EXISTS);
    if (errno == EXDEV && S_ISREG(sourceInfo.st_mode)) {
        if (!copyFile(source, target, true))
            return FALSE;
        unlink(source.c_str());
        return TRUE;
    }
    return zorplat::FailWithErrno(errno, target);
}

BOOL DeleteFile(LPCSTR fileName)
{
    if (!fileName || !*fileName)
        return fail(ERROR_PATH_NOT_FOUND);
    const std::string path = zorplat::ToLinuxPath(fileName);
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0)
        return zorplat::FailWithErrno(errno, path);
    if (S_ISDIR(info.st_mode))
        return fail(ERROR_ACCESS_DENIED);
    if (unlink(path.c_str()) != 0)
        return zorplat::FailWithErrno(errno, path);
    return TRUE;
}

BOOL CreateDirectory(LPCSTR pathName, LPSECURITY_ATTRIBUTES)
{
    if (!pathName || !*pathName)
        return fail(ERROR_PATH_NOT_FOUND);
    const std::string path = zorplat::ToLinuxPath(pathName);
    if (mkdir(path.c_str(), 0777) != 0)
        return fail(errno == EEXIST ? ERROR_ALREADY_EXISTS
                                    : errno == ENOENT ? ERROR_PATH_NOT_FOUND
                                                      : zorplat::FileErrorFromErrno(errno, path));
    return TRUE;
}

BOOL RemoveDirectory(LPCSTR pathName)
{
    if (!pathName || !*pathName)
        return fail(ERROR_PATH_NOT_FOUND);
    const std::string path = zorplat::ToLinuxPath(pathName);
    if (rmdir(path.c_str()) == 0)
        return TRUE;
    if (errno == ENOTEMPTY || errno == EEXIST)
        return fail(ERROR_DIR_NOT_EMPTY);
    return fail(errno == ENOTDIR ? ERROR_DIRECTORY : zorplat::FileErrorFromErrno(errno, path));
}

DWORD GetFileAttributes(LPCSTR fileName)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    const std::string path = zorplat::ToLinuxPath(fileName);
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        SetLastError(zorplat::FileErrorFromErrno(errno, path));
        return INVALID_FILE_ATTRIBUTES;
    }
    return zorplat::FileAttributesOf(info);
}
