#include "platform/registry/registry_store.h"

#include "platform/files/atomicfile.h"
#include "platform/base/lasterror.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace zorplat {

namespace {

// A file rewritten within this many seconds of the check may have been rewritten again
// with the same time stamp (time stamps are coarser than writes can follow each other), so
// its content is compared as well.
constexpr time_t kRacyWriteSeconds = 2;

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

LONG RegistryStore::refresh(std::string &problem)
{
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            return readError(errno);
        // No file yet is an empty registry.
        if (!m_valid || m_stamp.exists) {
            m_root = RegistryKey();
            m_text.clear();
        }
        m_stamp = FileStamp();
        m_valid = true;
        return ERROR_SUCCESS;
    }

    struct stat info {};
    std::string text;
    const bool statted = ::fstat(fd, &info) == 0;
    FileStamp stamp{true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
    const bool racy = ::time(nullptr) - info.st_mtim.tv_sec < kRacyWriteSeconds;
    if (statted && m_valid && stamp == m_stamp && !racy) {
        ::close(fd);
        return ERROR_SUCCESS;
    }
    const bool readOk = statted && ReadFromDescriptor(fd, text);
    const int error = errno;
    ::close(fd);
    if (!readOk)
        return readError(error);
    if (m_valid && text == m_text) {
        m_stamp = stamp;
        return ERROR_SUCCESS;
    }

    RegistryKey root;
    std::string what;
    if (!ParseRegistry(text, root, what)) {
        m_valid = false;
        problem = m_path + ": " + what;
        return ERROR_BADDB;
    }
    m_root = std::move(root);
    m_text = std::move(text);
    m_stamp = stamp;
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
    if (!m_batchFresh) {
        const LONG result = refresh(problem);
        if (result != ERROR_SUCCESS)
            return result;
        m_batchFresh = m_batchLock != nullptr;
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

// Writes the tree as the file; called with the file's lock held.
LONG RegistryStore::writeTree()
{
    std::string text = FormatRegistry(m_root);
    if (!AtomicWriteFile(m_path, text)) {
        // The tree now holds a change the file does not: read the file again next time.
        m_valid = false;
        return static_cast<LONG>(GetLastError());
    }
    struct stat info {};
    if (::stat(m_path.c_str(), &info) != 0) {
        m_valid = false;
        return ERROR_SUCCESS;
    }
    m_text = std::move(text);
    m_stamp = FileStamp{true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
    return ERROR_SUCCESS;
}

} // namespace zorplat
