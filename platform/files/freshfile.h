// Work files that must be the creating process's own.
#pragma once

#include <string>

namespace zorplat {

// Opens linuxPath as a new file, readable and writable by its owner only: whatever is at the
// name is removed first (a symbolic link is removed, never followed) and the file is created
// exclusively, so nothing written to it lands anywhere else. accessFlags is O_WRONLY or
// O_RDWR. Returns the descriptor (close-on-exec), or -1 with errno set.
int OpenFreshFile(const std::string &linuxPath, int accessFlags);

} // namespace zorplat
