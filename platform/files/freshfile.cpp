#include "platform/files/freshfile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zorplat {

int OpenFreshFile(const std::string &linuxPath, int accessFlags)
{
    // A name put back between removal and creation (a link planted again) makes the
    // exclusive creation fail rather than follow it; it is removed again a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (::unlink(linuxPath.c_str()) != 0 && errno != ENOENT)
            return -1;
        int fd;
        do
            fd = ::open(linuxPath.c_str(), accessFlags | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace zorplat
