// Internal: what the file calls share: last-error codes of failed calls, attributes and
// times of a file.
#pragma once

#include "platform/base/windef.h"

#include <string>
#include <sys/stat.h>

namespace zorplat {

// For a call on `linuxPath` that failed with `error`: a missing file in an existing folder
// is ERROR_FILE_NOT_FOUND, a missing folder ERROR_PATH_NOT_FOUND, and so on.
DWORD FileErrorFromErrno(int error, const std::string &linuxPath);

// Sets the last error for `error` on `linuxPath` and returns FALSE.
BOOL FailWithErrno(int error, const std::string &linuxPath);

// FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_READONLY (a file its owner cannot write) or
// FILE_ATTRIBUTE_NORMAL.
DWORD FileAttributesOf(const struct stat &info);

// 100-ns intervals since 1601-01-01 UTC.
FILETIME FileTimeOf(const struct timespec &time);

} // namespace zorplat
