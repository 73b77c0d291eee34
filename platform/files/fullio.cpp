#include "platform/files/fullio.h"

#include <cerrno>
#include <unistd.h>

namespace zorplat {

ssize_t ReadFully(int fd, void *buffer, std::size_t size)
{
    auto *bytes = static_cast<char *>(buffer);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

bool WriteFully(int fd, const void *data, std::size_t size)
{
    const auto *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace zorplat
