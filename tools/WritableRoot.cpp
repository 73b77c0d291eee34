#include "tools/WritableRoot.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

bool CheckRootWritable(const char *command, const std::string &root)
{
    std::string probe = root + "/.write-probe-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        std::fprintf(stderr, "zorvaline %s: cannot write to the root %s: %s\n", command, root.c_str(),
                     std::strerror(errno));
        return false;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}
