// Where the manager's files lie: in the installation directory named by [Install]
// Directory of Varnel.ini in the system directory. The directory is used as it is read;
// each file name is appended with a leading backslash, so a missing entry puts the files
// at the root of the current drive ("\Sendaro.Cfg").
#pragma once

#include "platform/base/windef.h"

#include <string>

namespace zordb {

inline constexpr const char *kDatabaseFileName = "Sendaro.Cfg";
inline constexpr const char *kCommDefaultsFileName = "VComdef.ini";
inline constexpr const char *kDriverTableFileName = "VZorDrv.ini";
inline constexpr const char *kHandOverFileName = "VTemp.ini";

// Readers use a 5000-byte buffer; opening the database reads through 256 bytes.
constexpr DWORD kProfileValueBufferSize = 5000;
constexpr DWORD kInstallDirectoryBufferAtOpen = 256;

// [Install] Directory of Varnel.ini, cut to bufferSize - 1 characters; empty when missing.
std::string InstallDirectory(DWORD bufferSize = kProfileValueBufferSize);

// The installation directory, a backslash and fileName.
std::string InstallFilePath(const char *fileName, DWORD bufferSize = kProfileValueBufferSize);

} // namespace zordb
