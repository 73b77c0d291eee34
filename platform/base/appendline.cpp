#include "platform/base/appendline.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zorplat {

void AppendLine(const std::string &linuxPath, std::string line)
{
    if (line.empty() || line.back() != '\n')
        line += '\n';
    const int fd = open(linuxPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    while (write(fd, line.data(), line.size()) < 0 && errno == EINTR) {
    }
    close(fd);
}

} // namespace zorplat
