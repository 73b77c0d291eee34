#include "platform/base/paths.h"
#include "platform/base/text.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zorplat {

namespace {

constexpr std::string_view kWindowsDirectory = "C:\\WINDOWS";
constexpr std::string_view kSystemDirectory = "C:\\WINDOWS\\SYSTEM";

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::string homeDirectory()
{
    if (const char *home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd *entry = getpwuid(getuid()))
        return entry->pw_dir;
    return "/";
}

std::string currentDirectory()
{
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return "/";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

// Splits on both separators, dropping empty and "." components and applying ".." lexically,
// as the original platform does; ".." never climbs above the base folder.
void appendComponents(std::vector<std::string> &components, std::string_view path)
{
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !isSeparator(path[end]))
            ++end;
        const std::string_view part = path.substr(start, end - start);
        if (part == "..") {
            if (!components.empty())
                components.pop_back();
        } else if (!part.empty() && part != ".") {
            components.emplace_back(part);
        }
        start = end + 1;
    }
}

// The entry of `folder` spelled like `name` without regard to case; the smallest such name
// when several differ only in case, so the choice does not depend on directory order.
bool findIgnoringCase(const std::string &folder, const std::string &name, std::string &found)
{
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return false;
    bool any = false;
    while (const dirent *entry = readdir(dir)) {
        if (zorplat::EqualsIgnoringCase(entry->d_name, name) && (!any || found > entry->d_name)) {
            found = entry->d_name;
            any = true;
        }
    }
    closedir(dir);
    return any;
}

std::string joined(const std::string &folder, const std::string &name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// Walks the components from `base`; an existing component is used as spelled on disk, and
// once one is missing the rest keep the spelling given.
std::string resolve(std::string base, const std::vector<std::string> &components)
{
    bool exists = true;
    for (const std::string &component : components) {
        std::string next = joined(base, component);
        if (exists) {
            struct stat info {};
            if (lstat(next.c_str(), &info) != 0) {
                std::string onDisk;
                if (findIgnoringCase(base, component, onDisk))
                    next = joined(base, onDisk);
                else
                    exists = false;
            }
        }
        base = std::move(next);
    }
    return base;
}

UINT copyName(std::string_view name, LPSTR buffer, UINT size)
{
    if (!buffer || size <= name.size())
        return static_cast<UINT>(name.size() + 1);
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    return static_cast<UINT>(name.size());
}

} // namespace

std::string RootDirectory()
{
    if (const char *root = std::getenv("ZORVALINE_ROOT"); root && *root)
        return root;
    if (const char *data = std::getenv("XDG_DATA_HOME"); data && *data)
        return std::string(data) + "/zorvaline";
    return homeDirectory() + "/.local/share/zorvaline";
}

std::string ToLinuxPath(std::string_view windowsPath)
{
    if (windowsPath.empty())
        return {};
    std::string base;
    std::string_view rest = windowsPath;
    std::vector<std::string> components;
    if (windowsPath.size() >= 2 && windowsPath[1] == ':' && std::isalpha(static_cast<unsigned char>(windowsPath[0]))) {
        // Z: is the Linux root; every other drive letter is a folder of the root, of which
        // only drive_c is set up.
        const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
        base = drive == 'z' ? "/" : RootDirectory() + "/drive_" + drive;
        rest.remove_prefix(2);
    } else if (windowsPath[0] == '/') {
        base = "/";
    } else if (windowsPath[0] == '\\') {
        base = RootDirectory() + "/drive_c";
    } else {
        // Relative: the current directory's components may be climbed out of with "..".
        base = "/";
        appendComponents(components, currentDirectory());
    }
    appendComponents(components, rest);
    return resolve(base, components);
}

} // namespace zorplat

UINT GetSystemDirectory(LPSTR buffer, UINT size)
{
    return zorplat::copyName(zorplat::kSystemDirectory, buffer, size);
}

UINT GetWindowsDirectory(LPSTR buffer, UINT size)
{
    return zorplat::copyName(zorplat::kWindowsDirectory, buffer, size);
}
