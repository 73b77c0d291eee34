// Crash-safe file replacement and a cross-process lock, for files that several processes
// read and rewrite (profiles, the registry store).
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace zorplat {

// What a replacement promises about a crash of the machine (a killed process never matters:
// the kernel has the data either way).
enum class Durability {
    // The crash leaves the whole old file or the whole new one; the new one only once the
    // folder has been synced (SyncFolderOf, or the kernel's own writeback a few seconds on).
    Atomic,
    // As Atomic, and the new file is on disk when the call returns.
    Durable,
};

// Replaces linuxPath with content so that any reader (in any process, or after a crash or
// kill -9) sees either the whole old file or the whole new one: a temporary file in the
// same folder is written, its data synced, renamed over the target, and for Durable the
// folder is synced. A new file gets modeForNewFile; an existing file keeps its mode; a
// symbolic link is written through to its target. Returns false with the last error set
// (ERROR_PATH_NOT_FOUND when the folder does not exist, ERROR_ACCESS_DENIED,
// ERROR_DISK_FULL, ERROR_WRITE_FAULT) and leaves the target untouched. Temporaries that
// killed writers left beside the target are removed first (see TemporaryFile).
bool AtomicWriteFile(const std::string &linuxPath, std::string_view content,
                     mode_t modeForNewFile = 0600, Durability durability = Durability::Durable);

// Makes the renames done in the folder of linuxPath durable.
void SyncFolderOf(const std::string &linuxPath);

// Reads the whole file. False with the last error set (ERROR_FILE_NOT_FOUND when it does
// not exist, ERROR_ACCESS_DENIED, ERROR_READ_FAULT) otherwise.
bool ReadWholeFile(const std::string &linuxPath, std::string &content);
// Reads from fd up to the end of the file; false with errno set on a read error.
bool ReadFromDescriptor(int fd, std::string &content);

// Exclusive lock across processes (and threads) on "<linuxPath>.lock", held from
// construction to destruction; blocks until it is granted. The lock file is left in place:
// removing it would let two processes lock two different files. locked() is false (with the
// last error set) when the lock file cannot be created, e.g. the folder is missing or
// read-only; callers then go on without the lock or fail, as their contract says.
class FileLock {
public:
    explicit FileLock(const std::string &linuxPath);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    bool locked() const { return m_fd >= 0; }
    // The open lock file, for a holder that keeps a small record in it; -1 when not locked.
    int descriptor() const { return m_fd; }

private:
    int m_fd = -1;
};

// The last error matching an errno value from a failed file call.
unsigned ErrorFromErrno(int error);

} // namespace zorplat
