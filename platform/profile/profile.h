// INI ("profile") functions with the semantics of the original platform: sections and keys
// without regard to case, values cut to the caller's buffer, NUL-separated name lists,
// deletion by null value or null key, CR LF lines, order kept. Writes are atomic and locked
// across processes; reads come from a parsed copy revalidated against the file. A single
// write is atomic but may be lost to a crash of the machine until the file is flushed
// (WritePrivateProfileString with section, key and value all null); a batch commit is
// flushed before it returns.
#pragma once

#include "platform/base/windef.h"
#include "platform/files/atomicfile.h"

#include <memory>
#include <string>
#include <string_view>

DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                              DWORD size, LPCSTR fileName);
UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR fileName);
DWORD GetPrivateProfileSection(LPCSTR section, LPSTR buffer, DWORD size, LPCSTR fileName);
BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

// The win.ini forms: the file is win.ini in the Windows directory.
DWORD GetProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size);
UINT GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue);
BOOL WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value);

namespace zorplat {

// A sequence of profile calls on one file applied in memory and committed once, atomically:
// the file afterwards is byte-identical to what the same calls made one by one give, and
// other processes see either the whole old file or the whole new one.
class ProfileBatch {
public:
    explicit ProfileBatch(std::string_view fileName);
    ~ProfileBatch();
    ProfileBatch(const ProfileBatch &) = delete;
    ProfileBatch &operator=(const ProfileBatch &) = delete;

    // Same contracts as the free functions, on the batch's pending state.
    DWORD GetString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size);
    BOOL WriteString(LPCSTR section, LPCSTR key, LPCSTR value);

    // Writes the result; FALSE with the last error set when the file cannot be written.
    // Durable by default: a batch saves a whole document, which the user counts on finding
    // after a crash. Atomic skips the folder's sync for state that matters only meanwhile.
    BOOL Commit(Durability durability = Durability::Durable);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace zorplat
