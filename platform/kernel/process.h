// Starting programs and waiting for them. A program is a native executable stored under a
// Windows path (C:\ZORVALINE\Selvra.exe is an ELF binary or a script with a #! line); it
// inherits the environment, so it works on the same Windows root.
#pragma once

#include "platform/base/windef.h"

constexpr DWORD STILL_ACTIVE = 259;

// Creation flags and start-up flags are accepted and ignored: there are no consoles or
// windows to configure.
struct STARTUPINFO {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};
using LPSTARTUPINFO = STARTUPINFO *;

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread; // waits like hProcess; close both
    DWORD dwProcessId;
    DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION *;

// Starts `applicationName` (a Windows or Linux path), or, when it is null, the first word of
// `commandLine`. The command line is split into arguments as the original platform's C
// run-time does (blanks separate, double quotes group, backslashes escape quotes); its first
// word becomes argv[0]. `currentDirectory` (a Windows path) is the child's working folder
// when given. `environment` must be null (the child inherits this process's environment).
// Fails with ERROR_FILE_NOT_FOUND (no such program), ERROR_ACCESS_DENIED (not executable),
// ERROR_BAD_EXE_FORMAT, ERROR_DIRECTORY (bad current folder) or ERROR_INVALID_PARAMETER.
BOOL CreateProcess(LPCSTR applicationName, LPSTR commandLine,
                   LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                   BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                   LPCSTR currentDirectory, LPSTARTUPINFO startupInfo,
                   LPPROCESS_INFORMATION processInformation);

// STILL_ACTIVE while it runs; then its exit status, or 128 + the signal number when a
// signal ended it.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);

DWORD GetCurrentProcessId();
