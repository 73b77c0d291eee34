// The parsed copies of profile files that reads are served from. Each use checks the file
// (size, modification time to the nanosecond, inode) and parses it again when it changed.
// An open descriptor is kept on every cached file so that its inode number cannot be
// reused by a later file while the copy is held.
#pragma once

#include "platform/profile/inifile.h"

#include <memory>
#include <string>

namespace zorplat {

// The current parsed file, or nullptr when it does not exist or cannot be read.
std::shared_ptr<const IniFile> CachedProfile(const std::string &linuxPath);

// Records the content just written to linuxPath by the caller, who holds the file's lock.
void StoreProfile(const std::string &linuxPath, std::shared_ptr<const IniFile> content);

} // namespace zorplat
