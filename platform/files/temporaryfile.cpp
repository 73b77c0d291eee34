#include "platform/files/temporaryfile.h"

#include <cctype>
#include <cerrno>
#include <cstdio> // renameat2
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorplat {

namespace {

constexpr std::string_view kMarker = ".tmp-";
constexpr size_t kRandomLength = 6; // the XXXXXX that mkostemp fills with letters and digits

// The prefix of a name of the form "<prefix>.tmp-XXXXXX"; empty for any other name.
std::string_view temporaryPrefix(std::string_view name)
{
    if (name.size() <= kMarker.size() + kRandomLength)
        return {};
    const size_t marker = name.size() - kRandomLength - kMarker.size();
    if (name.substr(marker, kMarker.size()) != kMarker)
        return {};
    for (const char c : name.substr(name.size() - kRandomLength))
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return {};
    return name.substr(0, marker);
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool lockExclusive(int fd, int how)
{
    for (;;) {
        if (::flock(fd, LOCK_EX | how) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

// Removes `name` when nobody holds its lock. The name is checked to still be the file that
// was locked: a writer that renamed its temporary away has released the lock as well.
bool removeIfStale(int folder, const char *name)
{
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened {};
    struct stat named {};
    const bool stale = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && lockExclusive(fd, LOCK_NB)
        && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(opened, named);
    const bool removed = stale && ::unlinkat(folder, name, 0) == 0;
    ::close(fd);
    return removed;
}

// Sweeps `linuxFolder` for temporaries whose prefix `wanted` accepts.
template <typename Wanted>
std::vector<std::string> sweep(const std::string &linuxFolder, Wanted wanted)
{
    std::vector<std::string> removed;
    DIR *folder = ::opendir(linuxFolder.c_str());
    if (!folder)
        return removed;
    while (const dirent *entry = ::readdir(folder)) {
        const std::string_view prefix = temporaryPrefix(entry->d_name);
        if (!prefix.empty() && wanted(prefix) && removeIfStale(::dirfd(folder), entry->d_name))
            removed.push_back(linuxFolder + "/" + entry->d_name);
    }
    ::closedir(folder);
    return removed;
}

void splitPath(const std::string &linuxPath, std::string &folder, std::string &name)
{
    const size_t slash = linuxPath.rfind('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : linuxPath.substr(0, slash);
    name = slash == std::string::npos ? linuxPath : linuxPath.substr(slash + 1);
}

} // namespace

TemporaryFile::TemporaryFile(const std::string &linuxTarget) : m_target(linuxTarget)
{
    // A sweep that locked the file between its creation and our lock has removed it; such a
    // name is given up for a new one. A file system without flock leaves the lock out, and
    // then no sweep can take the temporary for stale either.
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::string path = linuxTarget + std::string(kMarker) + "XXXXXX";
        const int fd = ::mkostemp(path.data(), O_CLOEXEC);
        if (fd < 0)
            return;
        lockExclusive(fd, 0);
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && sameFile(opened, named)) {
            m_fd = fd;
            m_path = std::move(path);
            return;
        }
        ::close(fd);
    }
    errno = EEXIST;
}

TemporaryFile::~TemporaryFile()
{
    if (m_fd < 0)
        return;
    if (!m_renamed)
        ::unlink(m_path.c_str());
    ::close(m_fd);
}

bool TemporaryFile::replaceTarget(unsigned flags)
{
    if (::renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, m_target.c_str(), flags) != 0)
        return false;
    m_renamed = true;
    return true;
}

std::vector<std::string> RemoveStaleTemporaries(const std::string &linuxTarget)
{
    std::string folder;
    std::string name;
    splitPath(linuxTarget, folder, name);
    return sweep(folder, [&](std::string_view prefix) { return prefix == name; });
}

std::vector<std::string> RemoveStaleTemporariesIn(const std::string &linuxFolder)
{
    return sweep(linuxFolder, [](std::string_view) { return true; });
}

} // namespace zorplat
