// The file name and the folder of a path, with '\' and '/' both separators: driver disks
// are named by Windows paths from the INF and by Linux paths from the file dialog.
#pragma once

#include <string>

namespace sendaro {

inline std::string FileNameOf(const std::string &path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder with its closing separator; "" for a bare name.
inline std::string DirectoryOf(const std::string &path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace sendaro
