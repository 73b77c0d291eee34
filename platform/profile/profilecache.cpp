#include "platform/profile/profilecache.h"

#include "platform/files/atomicfile.h"

#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>

namespace zorplat {

namespace {

// Enough for every file the system keeps; past it the cache starts over.
constexpr size_t kMaxCachedFiles = 64;

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    bool operator==(const Identity &other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

Identity identityOf(const struct stat &info)
{
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

struct CachedFile {
    Identity identity;
    int fd = -1;
    std::shared_ptr<const IniFile> content;

    CachedFile() = default;
    CachedFile(const CachedFile &) = delete;
    CachedFile &operator=(const CachedFile &) = delete;
    ~CachedFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

std::mutex g_mutex;
std::unordered_map<std::string, CachedFile> g_files;

CachedFile &slotFor(const std::string &linuxPath)
{
    if (g_files.size() >= kMaxCachedFiles && !g_files.count(linuxPath))
        g_files.clear();
    return g_files[linuxPath];
}

} // namespace

std::shared_ptr<const IniFile> CachedProfile(const std::string &linuxPath)
{
    std::lock_guard lock(g_mutex);
    struct stat info {};
    if (::stat(linuxPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        g_files.erase(linuxPath);
        return nullptr;
    }
    if (const auto found = g_files.find(linuxPath); found != g_files.end() && found->second.identity == identityOf(info))
        return found->second.content;

    // The identity is taken from the descriptor read, so a replacement between the stat
    // above and the open is noticed on the next call.
    const int fd = ::open(linuxPath.c_str(), O_RDONLY | O_CLOEXEC);
    std::string content;
    if (fd < 0 || ::fstat(fd, &info) != 0 || !ReadFromDescriptor(fd, content)) {
        if (fd >= 0)
            ::close(fd);
        g_files.erase(linuxPath);
        return nullptr;
    }
    CachedFile &slot = slotFor(linuxPath);
    if (slot.fd >= 0)
        ::close(slot.fd);
    slot.fd = fd;
    slot.identity = identityOf(info);
    slot.content = std::make_shared<const IniFile>(IniFile::Parse(std::move(content)));
    return slot.content;
}

void StoreProfile(const std::string &linuxPath, std::shared_ptr<const IniFile> content)
{
    std::lock_guard lock(g_mutex);
    struct stat info {};
    const int fd = ::open(linuxPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0)
            ::close(fd);
        g_files.erase(linuxPath);
        return;
    }
    CachedFile &slot = slotFor(linuxPath);
    if (slot.fd >= 0)
        ::close(slot.fd);
    slot.fd = fd;
    slot.identity = identityOf(info);
    slot.content = std::move(content);
}

} // namespace zorplat
