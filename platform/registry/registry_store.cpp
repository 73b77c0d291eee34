#include "platform/registry/registry_store.h"

#include "platform/files/atomicfile.h"
#include "platform/base/lasterror.h"

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace zorplat {

namespace {

// A file written in place (by hand, by another tool) shortly before the check may have been
// written again within one tick of its time stamp, keeping its size: its content is then
// compared as well. Our own writers replace the file, which the held file tells. A time
// stamp in whole seconds comes from a file system that keeps no finer ones (2 s covers FAT);
// a finer one ticks with the kernel's coarse clock, a few milliseconds.
constexpr int64_t kRacyWindowCoarseNs = 2'000'000'000;
constexpr int64_t kRacyWindowFineNs = 50'000'000;

bool writtenRecently(const timespec &modified)
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const int64_t age = (int64_t{now.tv_sec} - modified.tv_sec) * 1'000'000'000 + (now.tv_nsec - modified.tv_nsec);
    return age < (modified.tv_nsec == 0 ? kRacyWindowCoarseNs : kRacyWindowFineNs);
}

// Seconds between 1601-01-01 and 1970-01-01, the epochs of FILETIME and of Unix time.
constexpr uint64_t kFileTimeEpochOffset = 11644473600ull;

LONG readError(int error)
{
    return (error == EACCES || error == EPERM) ? LONG(ERROR_ACCESS_DENIED) : LONG(ERROR_CANTREAD);
}

} // namespace

bool RegistryStore::FileStamp::operator==(const FileStamp &other) const
{
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec && changed.tv_sec == other.changed.tv_sec &&
           changed.tv_nsec == other.changed.tv_nsec;
}

RegistryStore &RegistryStore::forFile(const std::string &linuxPath)
{
    static std::mutex mutex;
    // Never destroyed: handles may still be used by other threads while the process exits.
    static auto *stores = new std::map<std::string, std::unique_ptr<RegistryStore>>;
    const std::lock_guard guard(mutex);
    auto &store = (*stores)[linuxPath];
    if (!store)
        store = std::make_unique<RegistryStore>(linuxPath);
    return *store;
}

RegistryStore::FileStamp RegistryStore::stampOf(const struct stat &info)
{
    return FileStamp{true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

void RegistryStore::holdFile(int fd, const FileStamp &stamp)
{
    if (m_heldFile >= 0)
        ::close(m_heldFile);
    m_heldFile = fd;
    m_stamp = stamp;
}

// One stat tells whether the parsed tree is still the file's: the file it was read from is
// held open, so its inode cannot pass to a new file, and every writer replaces the file
// (a new inode) or changes its size or times, unless it writes in place within one tick.
LONG RegistryStore::refresh(std::string &problem)
{
    struct stat info {};
    if (::stat(m_path.c_str(), &info) != 0) {
        if (errno != ENOENT)
            return readError(errno);
        // No file yet is an empty registry.
        if (!m_valid || m_stamp.exists) {
            m_root = RegistryKey();
            m_text.clear();
        }
        holdFile(-1, FileStamp());
        m_valid = true;
        return ERROR_SUCCESS;
    }
    if (m_valid && stampOf(info) == m_stamp && !writtenRecently(info.st_mtim))
        return ERROR_SUCCESS;

    // The stamp is taken from the descriptor read, so a replacement between the stat above
    // and the open is noticed on the next call.
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return readError(errno);
    std::string text;
    const bool readOk = ::fstat(fd, &info) == 0 && ReadFromDescriptor(fd, text);
    if (!readOk) {
        const int error = errno;
        ::close(fd);
        return readError(error);
    }
    if (m_valid && text == m_text) {
        holdFile(fd, stampOf(info));
        return ERROR_SUCCESS;
    }

    RegistryKey root;
    std::string what;
    if (!ParseRegistry(text, root, what)) {
        ::close(fd);
        m_valid = false;
        problem = m_path + ": " + what;
        return ERROR_BADDB;
    }
    m_root = std::move(root);
    m_text = std::move(text);
    holdFile(fd, stampOf(info));
    m_valid = true;
    return ERROR_SUCCESS;
}

FILETIME RegistryStore::lastWriteTime() const
{
    if (!m_stamp.exists)
        return FILETIME{0, 0};
    const uint64_t ticks = (static_cast<uint64_t>(m_stamp.modified.tv_sec) + kFileTimeEpochOffset) * 10000000ull +
                           static_cast<uint64_t>(m_stamp.modified.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

LONG RegistryStore::read(const std::function<LONG(const RegistryKey &, FILETIME)> &reader,
                         std::string &problem)
{
    const std::lock_guard guard(m_mutex);
    // Under a batch's lock nobody else writes the file: once read, the tree is current.
    // Under a snapshot the tree checked at its first read is the one wanted.
    if (!m_batchFresh && !m_snapshotFresh) {
        const LONG result = refresh(problem);
        if (result != ERROR_SUCCESS)
            return result;
        m_batchFresh = m_batchLock != nullptr;
        m_snapshotFresh = m_snapshotDepth > 0;
    }
    return reader(m_root, lastWriteTime());
}

LONG RegistryStore::modify(const std::function<LONG(RegistryKey &, bool &)> &change, std::string &problem)
{
    const std::lock_guard guard(m_mutex);
    std::unique_ptr<FileLock> ownLock;
    if (!m_batchLock) {
        ownLock = std::make_unique<FileLock>(m_path);
        if (!ownLock->locked())
            return static_cast<LONG>(GetLastError());
    }
    LONG result = ERROR_SUCCESS;
    if (!m_batchFresh) {
        result = refresh(problem);
        if (result != ERROR_SUCCESS)
            return result;
        m_batchFresh = m_batchLock != nullptr;
    }

    bool changed = false;
    result = change(m_root, changed);
    if (result != ERROR_SUCCESS || !changed)
        return result;
    if (m_batchLock) {
        m_batchChanged = true;
        return ERROR_SUCCESS;
    }
    return writeTree();
}

void RegistryStore::beginBatch()
{
    m_mutex.lock();
    if (m_batchDepth++ > 0)
        return;
    const DWORD savedError = GetLastError();
    auto lock = std::make_unique<FileLock>(m_path);
    if (lock->locked())
        m_batchLock = std::move(lock);
    SetLastError(savedError);
}

LONG RegistryStore::endBatch()
{
    LONG result = ERROR_SUCCESS;
    if (--m_batchDepth == 0) {
        if (m_batchChanged)
            result = writeTree();
        m_batchLock.reset();
        m_batchFresh = false;
        m_batchChanged = false;
    }
    m_mutex.unlock();
    return result;
}

void RegistryStore::beginSnapshot()
{
    m_mutex.lock();
    ++m_snapshotDepth;
}

void RegistryStore::endSnapshot()
{
    if (--m_snapshotDepth == 0)
        m_snapshotFresh = false;
    m_mutex.unlock();
}

// Writes the tree as the file; called with the file's lock held.
LONG RegistryStore::writeTree()
{
    std::string text = FormatRegistry(m_root);
    if (!AtomicWriteFile(m_path, text)) {
        // The tree now holds a change the file does not: read the file again next time.
        m_valid = false;
        m_snapshotFresh = false;
        return static_cast<LONG>(GetLastError());
    }
    // The file just written is held as if it had been read.
    struct stat info {};
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0)
            ::close(fd);
        m_valid = false;
        return ERROR_SUCCESS;
    }
    m_text = std::move(text);
    holdFile(fd, stampOf(info));
    return ERROR_SUCCESS;
}

} // namespace zorplat
