// The Windows root: maps Windows paths onto the Linux file system (drive C: is
// <root>/drive_c, Z: is /), resolving existing components without regard to case.
#pragma once

#include "platform/base/windef.h"

#include <string>
#include <string_view>

namespace zorplat {

// ZORVALINE_ROOT, else ${XDG_DATA_HOME:-$HOME/.local/share}/zorvaline. Read on every call,
// so tests can switch roots within one process.
std::string RootDirectory();

// Linux path for a Windows path ("C:\X\y.ini", "\X\y.ini", "Z:\tmp\f") or a Linux absolute
// path. Each existing component is matched without regard to case; components that do not
// exist keep the spelling given.
std::string ToLinuxPath(std::string_view windowsPath);

} // namespace zorplat

// "C:\WINDOWS\SYSTEM" and "C:\WINDOWS". Return the length copied (without the NUL), or the
// size needed (with the NUL) when the buffer is too small.
UINT GetSystemDirectory(LPSTR buffer, UINT size);
UINT GetWindowsDirectory(LPSTR buffer, UINT size);
