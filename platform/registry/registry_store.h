// One registry file shared by threads and processes: a parsed copy kept per process and
// checked against the file before each use, and changes written under the file's lock.
#pragma once

#include "platform/registry/registry_tree.h"
#include "platform/base/windef.h"

#include <ctime>
#include <functional>
#include <mutex>
#include <string>
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

    LONG refresh(std::string &problem);
    FILETIME lastWriteTime() const;

    const std::string m_path;
    std::mutex m_mutex;
    RegistryKey m_root;
    std::string m_text;          // the file content m_root was parsed from
    FileStamp m_stamp;
    bool m_valid = false;
};

} // namespace zorplat
