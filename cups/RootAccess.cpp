#include "cups/RootAccess.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

RootAccessResult refuse(const std::string &problem)
{
    return {false, problem};
}

} // namespace

RootAccessResult EnterRoot(const std::string &root)
{
    struct stat info {};
    if (stat(root.c_str(), &info) != 0)
        return refuse("the Windows root " + root + " cannot be used: " + std::strerror(errno));
    if (!S_ISDIR(info.st_mode))
        return refuse("the Windows root " + root + " is not a folder");
    if (info.st_mode & (S_IWGRP | S_IWOTH))
        return refuse("the Windows root " + root +
                      " may be written by other users; it is not used (make it writable by its owner only)");

    if (geteuid() == 0 && info.st_uid != 0) {
        const passwd *owner = getpwuid(info.st_uid);
        if (!owner)
            return refuse("the owner (user id " + std::to_string(info.st_uid) + ") of the Windows root " + root +
                          " is not a known user");
        if (initgroups(owner->pw_name, owner->pw_gid) != 0 || setgid(owner->pw_gid) != 0 ||
            setuid(owner->pw_uid) != 0)
            return refuse("cannot become " + std::string(owner->pw_name) + ", the owner of the Windows root " + root +
                          ": " + std::strerror(errno));
        setenv("HOME", owner->pw_dir, 1);
        setenv("USER", owner->pw_name, 1);
        setenv("LOGNAME", owner->pw_name, 1);
    }
    if (access(root.c_str(), R_OK | W_OK | X_OK) != 0) {
        const passwd *self = getpwuid(geteuid());
        return refuse("the Windows root " + root + " cannot be read and written by user " +
                      (self ? std::string(self->pw_name) : std::to_string(geteuid())) + ": " + std::strerror(errno));
    }
    return {true, {}};
}
