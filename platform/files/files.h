// Files and folders by Windows path (mapped through zorplat::ToLinuxPath, so names are
// matched without regard to case): create/open, read, write, seek, truncate, size, copy,
// move, delete, folders, attributes and wildcard searches.
#pragma once

#include "platform/base/windef.h"

// Access rights.
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;

// Sharing modes: accepted and not enforced.
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

// Dispositions.
constexpr DWORD CREATE_NEW = 1;        // fails with ERROR_FILE_EXISTS when the file exists
constexpr DWORD CREATE_ALWAYS = 2;     // creates or truncates (ERROR_ALREADY_EXISTS noted)
constexpr DWORD OPEN_EXISTING = 3;     // fails with ERROR_FILE_NOT_FOUND when missing
constexpr DWORD OPEN_ALWAYS = 4;       // opens or creates (ERROR_ALREADY_EXISTS noted)
constexpr DWORD TRUNCATE_EXISTING = 5; // opens and truncates; needs GENERIC_WRITE

// Attributes and flags.
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;
constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// Seek origins and failure values.
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

// Times are 100-ns intervals since 1601-01-01 UTC.
struct WIN32_FIND_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    char cFileName[MAX_PATH];
    char cAlternateFileName[14]; // always empty: there are no short names
};
using LPWIN32_FIND_DATA = WIN32_FIND_DATA *;

// Opens or creates a file. securityAttributes, overlapped-style flags and templateFile are
// ignored. FILE_FLAG_DELETE_ON_CLOSE removes the file when the last handle to it in this
// process is closed. Opening a folder fails with ERROR_ACCESS_DENIED. On success the last
// error is ERROR_ALREADY_EXISTS when OPEN_ALWAYS or CREATE_ALWAYS found the file, else 0.
// Fails with INVALID_HANDLE_VALUE and ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// ERROR_FILE_EXISTS, ERROR_ACCESS_DENIED or ERROR_INVALID_PARAMETER.
HANDLE CreateFile(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                  LPSECURITY_ATTRIBUTES securityAttributes,
                  DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);

namespace zorplat {
// CreateFile for a work file that must be the caller's own: whatever is at the name is
// removed first (a symbolic link is removed, never followed) and the file is created
// exclusively, readable and writable by its owner only (see OpenFreshFile). Fails as
// CreateFile does.
HANDLE CreateFreshFile(LPCSTR fileName, DWORD desiredAccess, DWORD flagsAndAttributes);
} // namespace zorplat

// Reads up to `toRead` bytes; at the end of the file succeeds with *read = 0. `overlapped`
// must be null. ERROR_ACCESS_DENIED on a handle opened without GENERIC_READ.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, void *overlapped);
// Writes all `toWrite` bytes (short writes are continued); *written says how many were
// written when it fails part-way (ERROR_DISK_FULL, ERROR_WRITE_FAULT, ERROR_ACCESS_DENIED).
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, void *overlapped);

// Moves the file pointer. With distanceHigh null the distance is a signed 32-bit value;
// otherwise *distanceHigh holds the high 32 bits and receives those of the new position.
// Returns the low 32 bits of the new position, or INVALID_SET_FILE_POINTER with the last
// error set (ERROR_NEGATIVE_SEEK, ERROR_INVALID_PARAMETER); callers that pass distanceHigh
// must check GetLastError() for 0, as the low part may legitimately be 0xFFFFFFFF.
DWORD SetFilePointer(HANDLE file, LONG distance, LONG *distanceHigh, DWORD moveMethod);
// Cuts or extends the file at the current file pointer.
BOOL SetEndOfFile(HANDLE file);
// Low 32 bits of the size; *sizeHigh (if given) receives the high part. INVALID_FILE_SIZE
// with the last error set on failure (0 when the size merely has those low bits).
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL FlushFileBuffers(HANDLE file);

// Copies the contents and permissions. Over an existing target unless failIfExists
// (ERROR_FILE_EXISTS). Copying a file onto itself fails with ERROR_SHARING_VIOLATION and
// leaves it intact.
BOOL CopyFile(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists);
// Renames a file or folder; fails with ERROR_ALREADY_EXISTS when the target exists (a change
// of case only is allowed). Across file systems a file is copied and the original removed.
BOOL MoveFile(LPCSTR existingFileName, LPCSTR newFileName);
// ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, or ERROR_ACCESS_DENIED for a folder.
BOOL DeleteFile(LPCSTR fileName);
// ERROR_ALREADY_EXISTS, ERROR_PATH_NOT_FOUND (parent missing). securityAttributes ignored.
BOOL CreateDirectory(LPCSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes);
// Only an empty folder: ERROR_DIR_NOT_EMPTY otherwise.
BOOL RemoveDirectory(LPCSTR pathName);
// FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_READONLY (no write permission for the owner),
// or FILE_ATTRIBUTE_NORMAL; INVALID_FILE_ATTRIBUTES with the last error when missing.
DWORD GetFileAttributes(LPCSTR fileName);

// Wildcard search in one folder: the last component of `fileName` may hold '*' (any run of
// characters) and '?' (one character), matched without regard to case; "*.*" matches every
// name, "name.*" also matches "name". The entries "." and ".." are never returned. Entries
// come in case-insensitive name order. Fails with INVALID_HANDLE_VALUE and
// ERROR_FILE_NOT_FOUND (no match) or ERROR_PATH_NOT_FOUND (no such folder).
HANDLE FindFirstFile(LPCSTR fileName, LPWIN32_FIND_DATA findData);
// FALSE with ERROR_NO_MORE_FILES after the last match.
BOOL FindNextFile(HANDLE findFile, LPWIN32_FIND_DATA findData);
BOOL FindClose(HANDLE findFile);

// Device control and communication time-outs have no meaning for the files this layer
// opens: they validate the handle (ERROR_INVALID_HANDLE) and then fail with
// ERROR_NOT_SUPPORTED, leaving the buffers alone (*bytesReturned becomes 0).
BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                     LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                     void *overlapped);
BOOL GetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts);
BOOL SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts);
