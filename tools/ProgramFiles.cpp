#include "tools/ProgramFiles.h"

#include <filesystem>
#include <system_error>

namespace {

// The folder this program was started from.
std::filesystem::path programDirectory()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path(".") : self.parent_path();
}

} // namespace

ProgramFiles ProgramFiles::Locate()
{
    const std::filesystem::path here = programDirectory();
    const std::filesystem::path installedResources = (here / ZORVALINE_INSTALLED_RESOURCES).lexically_normal();
    std::error_code error;
    ProgramFiles files;
    files.programFolder = here.string();
    if (std::filesystem::is_directory(installedResources, error)) {
        files.installed = true;
        files.moduleFolder = (here / ZORVALINE_INSTALLED_MODULES).lexically_normal().string();
        files.resourceFolder = installedResources.string();
    } else {
        files.moduleFolder = here.string();
        files.resourceFolder = ZORVALINE_RESOURCE_DIR;
    }
    return files;
}
