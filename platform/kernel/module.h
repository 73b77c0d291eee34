// Loading shared libraries by Windows path. A module's HINSTANCE/HMODULE is its load base
// address, so the instance a module computes for itself (zorplat::ModuleInstanceOf) and the
// handle LoadLibrary returned to its host are the same value; string tables are keyed on it.
#pragma once

#include "platform/base/windef.h"

using FARPROC = void (*)();

// `fileName` with a folder (any '\', '/' or ':') is mapped through zorplat::ToLinuxPath. A
// bare name is looked up in the system folder (C:\WINDOWS\SYSTEM), then in the current
// folder; a bare name without an extension gets ".DLL". Every load must be matched by
// FreeLibrary. Fails with null and ERROR_MOD_NOT_FOUND when the file is missing or cannot be
// loaded (the loader's reason goes to OutputDebugString).
HMODULE LoadLibrary(LPCSTR fileName);
// The exported symbol `procName` (C linkage), or null with ERROR_PROC_NOT_FOUND;
// ERROR_INVALID_HANDLE for a module that is not loaded.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL FreeLibrary(HMODULE module);
// Null: the executable. A name: the loaded module whose file name (without folder) matches
// it without regard to case, else null with ERROR_MOD_NOT_FOUND. No reference is taken.
HMODULE GetModuleHandle(LPCSTR moduleName);

namespace zorplat {

// The instance of the module (executable or shared library) that holds `address`, or null.
// Pass the address of a function or object with internal linkage (static, or in an unnamed
// namespace) of the calling module: a symbol with external linkage may resolve into
// another module.
HINSTANCE ModuleInstanceOf(const void *address);

} // namespace zorplat
