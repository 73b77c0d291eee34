#include "tools/SetupContext.h"

#include "platform/registry/registry.h"
#include "platform/base/windef.h"

#include <cstdio>

void SetupContext::created(const std::string &what) const
{
    std::printf("created %s\n", what.c_str());
}

void SetupContext::updated(const std::string &what) const
{
    std::printf("updated %s\n", what.c_str());
}

void SetupContext::upToDate(const std::string &what) const
{
    std::printf("up to date %s\n", what.c_str());
}

void SetupContext::removed(const std::string &what) const
{
    std::printf("removed %s\n", what.c_str());
}

bool SetupContext::fail(std::string why)
{
    failure = std::move(why);
    return false;
}

std::string DescribeError(unsigned long error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return "not found";
    case ERROR_PATH_NOT_FOUND: return "folder not found";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_DISK_FULL: return "disk full";
    case ERROR_SHARING_VIOLATION: return "file in use";
    case ERROR_BADDB: {
        const std::string problem = zorplat::RegistryProblem();
        return "the registry file is damaged (" + (problem.empty() ? std::string("no details") : problem) +
               "); mend or remove it";
    }
    default: return "error " + std::to_string(error);
    }
}
