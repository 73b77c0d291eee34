// The in-memory registry tree of one file and its text form.
//
// Text form (one file per predefined root):
//   ZORVALINE REGISTRY 1
//   "Value of the root"=sz:"text"
//   [Enum\SERENUM\COM1]
//   "PortName"=sz:"COM1"
//   @=binary:hex:01,ff
//   "Flags"=dword:0000002a
//   "List"=multi_sz:"one\0two\0"
// Every key has a header line with its full path; parents come before their children, and
// keys and values appear in creation order. A value is its quoted name (@ for the default
// value), '=', its type (none, sz, expand_sz, binary, dword, dword_be, link, multi_sz, or
// typeN for any other number), ':' and its bytes: for the string types a quoted string
// standing for the bytes plus one terminating NUL; for a 4-byte dword 8 hex digits; else
// hex: and the bytes as comma-separated hex pairs. Quoted strings escape \\ \" \0 \n \r \t
// and any other byte below 0x20 or above 0x7e as \xHH, so every value round-trips exactly.
// Blank lines and lines starting with ';' are ignored.
#pragma once

#include "platform/base/windef.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zorplat {

struct RegistryValue {
    std::string name;
    DWORD type = 0;
    std::string data;
};

class RegistryKey {
public:
    explicit RegistryKey(std::string name = {}) : m_name(std::move(name)) {}

    const std::string &name() const { return m_name; }
    const std::vector<std::unique_ptr<RegistryKey>> &subkeys() const { return m_subkeys; }
    const std::vector<RegistryValue> &values() const { return m_values; }

    // Lookups ignore case.
    RegistryKey *findSubkey(std::string_view name) const;
    const RegistryValue *findValue(std::string_view name) const;

    RegistryKey &addSubkey(std::string name);
    bool removeSubkey(std::string_view name);
    // Returns false when the value already held exactly this type and data.
    bool setValue(std::string_view name, DWORD type, std::string_view data);
    bool removeValue(std::string_view name);

private:
    std::string m_name;
    std::vector<std::unique_ptr<RegistryKey>> m_subkeys;
    std::vector<RegistryValue> m_values;
};

// Key and value names compare without regard to case.
bool SameRegistryName(std::string_view a, std::string_view b);

std::string FormatRegistry(const RegistryKey &root);

// Fills an empty root from text; empty text is an empty registry. On a malformed file
// returns false and describes the first fault as "line N: what".
bool ParseRegistry(std::string_view text, RegistryKey &root, std::string &problem);

} // namespace zorplat
