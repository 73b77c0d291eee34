// Temporary files beside a target, written and then renamed over it, and the sweep that
// removes the ones a killed writer left behind.
#pragma once

#include <string>
#include <vector>

namespace zorplat {

// "<target>.tmp-XXXXXX" in the target's folder, mode 0600, open for writing. It holds an
// exclusive flock for as long as it is open: that is how a sweep tells a live writer's
// temporary from a dead one's, since the kernel drops the lock with the writer's process,
// however it ends. Removed when destroyed unless it was renamed over the target.
class TemporaryFile {
public:
    // valid() is false, with errno set, when it cannot be created.
    explicit TemporaryFile(const std::string &linuxTarget);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    bool valid() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    const std::string &path() const { return m_path; }

    // Renames the temporary over the target (renameat2 flags: 0 or RENAME_NOREPLACE); the
    // lock stays until destruction. False with errno set.
    bool replaceTarget(unsigned flags = 0);

private:
    std::string m_target;
    std::string m_path;
    int m_fd = -1;
    bool m_renamed = false;
};

// Removes the temporaries of linuxTarget that no live writer holds; returns their paths.
std::vector<std::string> RemoveStaleTemporaries(const std::string &linuxTarget);
// The same for the temporaries of every file in linuxFolder.
std::vector<std::string> RemoveStaleTemporariesIn(const std::string &linuxFolder);

} // namespace zorplat
