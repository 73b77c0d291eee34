// Per-module string tables. A table is a text file of lines "<id><TAB><text>", where the
// text is UTF-8 with the escapes \n \t \r \\ and \" ; empty lines and lines starting with
// '#' are ignored. zor_embed_strings() (cmake/StringTable.cmake) compiles a table into a
// module, which registers it for its own instance when it is loaded and withdraws it when
// it is unloaded, so a module copied anywhere keeps its texts.
#pragma once

#include "platform/base/windef.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Copies string `id` of the module's table into `buffer` and returns its length. A text
// longer than size - 1 bytes is cut there (back to the start of a UTF-8 character, so the
// result stays valid text); the buffer is always NUL-terminated when size > 0. Returns 0
// with ERROR_RESOURCE_NAME_NOT_FOUND when the module has no such string, and 0 when size
// is 0. A null instance means the executable.
int LoadString(HINSTANCE instance, UINT id, LPSTR buffer, int size);

namespace zorplat {

struct StringTable {
    std::map<UINT, std::string> texts;
    // "line N: reason" for every line that is not a valid entry (such lines are skipped).
    std::vector<std::string> errors;
};

StringTable ParseStringTable(std::string_view source);

// The whole text of string `id`, or nothing.
std::optional<std::string> LoadStringText(HINSTANCE instance, UINT id);

// Made by the generated source of zor_embed_strings: registers the table for the module
// that holds `source` while the object lives. Malformed lines are reported through
// OutputDebugString.
class StringTableRegistration {
public:
    StringTableRegistration(const unsigned char *source, size_t size);
    ~StringTableRegistration();
    StringTableRegistration(const StringTableRegistration &) = delete;
    StringTableRegistration &operator=(const StringTableRegistration &) = delete;

private:
    HINSTANCE m_instance;
    const void *m_key;
};

} // namespace zorplat
