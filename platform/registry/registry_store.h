// One registry file shared by threads and processes: a parsed copy kept per process and
// checked against the file (one stat) before each use, and changes written under the
// file's lock.
#pragma once

#include "platform/files/atomicfile.h"
#include "platform/registry/registry_tree.h"
#include "platform/base/windef.h"

#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace zorplat {

class RegistryStore {
public:
    // The one store of a file in this process.
    static RegistryStore &forFile(const std::string &linuxPath);

    explicit RegistryStore(std::string linuxPath) : m_path(std::move(linuxPath)) {}

    // Runs reader on the file's current tree, with the file's last write time. Returns the
    // reader's result, or the error that kept the file from being read (ERROR_BADDB with
    // problem filled for a damaged file).
    LONG read(const std::function<LONG(const RegistryKey &, FILETIME)> &reader, std::string &problem);

    // Runs change on the current tree under the file's lock and writes the result when
    // change succeeds and reports (through its bool) that it changed something. change must
    // leave the tree untouched when it fails. A damaged file is neither changed nor written.
    LONG modify(const std::function<LONG(RegistryKey &, bool &changed)> &change, std::string &problem);

    // A batch: from beginBatch to endBatch the calling thread holds the store and the
    // file's lock, its changes stay in memory and endBatch writes them in one replacement
    // (the result is that write's error). Other threads wait; other processes read the old
    // file until then. Batches nest; the outermost endBatch writes. Without the file's lock
    // (a folder that cannot hold the lock file) changes are written one by one as ever.
    void beginBatch();
    LONG endBatch();

    // A snapshot: from beginSnapshot to endSnapshot the calling thread holds the store and
    // its reads check the file only once. Snapshots nest, also inside batches.
    void beginSnapshot();
    void endSnapshot();

private:
    struct FileStamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        bool operator==(const FileStamp &other) const;
    };

    static FileStamp stampOf(const struct stat &info);
    // Keeps fd (the file the tree now stands for, or -1) open in place of the one held before.
    void holdFile(int fd, const FileStamp &stamp);
    LONG refresh(std::string &problem);
    LONG writeTree();
    FILETIME lastWriteTime() const;

    const std::string m_path;
    std::recursive_mutex m_mutex; // recursive for the thread holding a batch
    RegistryKey m_root;
    std::string m_text;          // the file content m_root was parsed from
    FileStamp m_stamp;
    int m_heldFile = -1;         // open on the file m_stamp describes
    bool m_valid = false;

    int m_batchDepth = 0;
    std::unique_ptr<FileLock> m_batchLock; // set while a batch holds the file's lock
    bool m_batchFresh = false;             // the tree was read from the file under that lock
    bool m_batchChanged = false;           // the tree holds changes the file does not

    int m_snapshotDepth = 0;
    bool m_snapshotFresh = false; // the file was checked since the snapshot began
};

} // namespace zorplat
