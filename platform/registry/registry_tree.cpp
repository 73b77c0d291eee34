#include "platform/registry/registry_tree.h"

#include "platform/base/text.h"
#include "platform/registry/registry.h"

#include <algorithm>
#include <cstdio>

namespace zorplat {

namespace {

constexpr std::string_view kSignature = "ZORVALINE REGISTRY 1";

struct TypeName {
    DWORD type;
    std::string_view name;
};

constexpr TypeName kTypeNames[] = {
    {REG_NONE, "none"},           {REG_SZ, "sz"},     {REG_EXPAND_SZ, "expand_sz"},
    {REG_BINARY, "binary"},       {REG_DWORD, "dword"}, {REG_DWORD_BIG_ENDIAN, "dword_be"},
    {REG_LINK, "link"},           {REG_MULTI_SZ, "multi_sz"},
};

bool isStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

void appendHexByte(std::string &out, unsigned char byte)
{
    static const char digits[] = "0123456789abcdef";
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

void appendQuoted(std::string &out, std::string_view text)
{
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\0': out += "\\0"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20 || byte > 0x7e) {
                out += "\\x";
                appendHexByte(out, byte);
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void appendTypeName(std::string &out, DWORD type)
{
    for (const TypeName &t : kTypeNames)
        if (t.type == type) {
            out += t.name;
            return;
        }
    out += "type" + std::to_string(type);
}

void appendValue(std::string &out, const RegistryValue &value)
{
    if (value.name.empty())
        out += '@';
    else
        appendQuoted(out, value.name);
    out += '=';
    appendTypeName(out, value.type);
    out += ':';
    const std::string &data = value.data;
    if (isStringType(value.type) && !data.empty() && data.back() == '\0') {
        appendQuoted(out, std::string_view(data).substr(0, data.size() - 1));
    } else if (value.type == REG_DWORD && data.size() == 4) {
        char number[9];
        const auto *b = reinterpret_cast<const unsigned char *>(data.data());
        std::snprintf(number, sizeof number, "%08x",
                      static_cast<unsigned>(b[0] | b[1] << 8 | b[2] << 16 | unsigned(b[3]) << 24));
        out += number;
    } else {
        out += "hex:";
        for (size_t i = 0; i < data.size(); ++i) {
            if (i)
                out += ',';
            appendHexByte(out, static_cast<unsigned char>(data[i]));
        }
    }
    out += '\n';
}

void appendKey(std::string &out, const RegistryKey &key, const std::string &path)
{
    if (!path.empty()) {
        out += "\n[" + path + "]\n";
    }
    for (const RegistryValue &value : key.values())
        appendValue(out, value);
    for (const auto &child : key.subkeys())
        appendKey(out, *child, path.empty() ? child->name() : path + '\\' + child->name());
}

// Reads a quoted string at the start of rest and removes it from rest.
bool takeQuoted(std::string_view &rest, std::string &out, std::string &problem)
{
    if (rest.empty() || rest.front() != '"') {
        problem = "a quoted string was expected";
        return false;
    }
    size_t i = 1;
    while (i < rest.size() && rest[i] != '"') {
        if (rest[i] != '\\') {
            out += rest[i++];
            continue;
        }
        if (i + 1 >= rest.size()) {
            problem = "unterminated quoted string";
            return false;
        }
        const char escape = rest[i + 1];
        i += 2;
        switch (escape) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case '0': out += '\0'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            const int high = i + 1 < rest.size() ? HexDigitValue(rest[i]) : -1;
            const int low = high >= 0 ? HexDigitValue(rest[i + 1]) : -1;
            if (low < 0) {
                problem = "bad \\x escape";
                return false;
            }
            out += static_cast<char>(high << 4 | low);
            i += 2;
            break;
        }
        default:
            problem = std::string("unknown escape \\") + escape;
            return false;
        }
    }
    if (i >= rest.size()) {
        problem = "unterminated quoted string";
        return false;
    }
    rest.remove_prefix(i + 1);
    return true;
}

bool takeType(std::string_view &rest, DWORD &type, std::string &problem)
{
    const size_t colon = rest.find(':');
    if (colon == std::string_view::npos) {
        problem = "a value type followed by ':' was expected";
        return false;
    }
    const std::string_view name = rest.substr(0, colon);
    rest.remove_prefix(colon + 1);
    for (const TypeName &t : kTypeNames)
        if (t.name == name) {
            type = t.type;
            return true;
        }
    if (name.size() > 4 && name.substr(0, 4) == "type" && name.size() <= 14 &&
        std::all_of(name.begin() + 4, name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const unsigned long long number = std::stoull(std::string(name.substr(4)));
        if (number <= 0xFFFFFFFFull) {
            type = static_cast<DWORD>(number);
            return true;
        }
    }
    problem = "unknown value type '" + std::string(name) + "'";
    return false;
}

bool takeHexBytes(std::string_view rest, std::string &data, std::string &problem)
{
    size_t i = 0;
    bool ok = true;
    while (ok && i < rest.size()) {
        if (i) {
            ok = rest[i] == ',';
            ++i;
        }
        const int high = ok && i + 1 < rest.size() ? HexDigitValue(rest[i]) : -1;
        const int low = high >= 0 ? HexDigitValue(rest[i + 1]) : -1;
        ok = low >= 0;
        if (ok)
            data += static_cast<char>(high << 4 | low);
        i += 2;
    }
    if (!ok) {
        problem = "malformed hex bytes";
        return false;
    }
    return true;
}

bool takeData(std::string_view rest, DWORD type, std::string &data, std::string &problem)
{
    if (rest.substr(0, 4) == "hex:")
        return takeHexBytes(rest.substr(4), data, problem);
    if (!rest.empty() && rest.front() == '"') {
        if (!isStringType(type)) {
            problem = "a quoted string is only allowed for string types";
            return false;
        }
        if (!takeQuoted(rest, data, problem))
            return false;
        if (!rest.empty()) {
            problem = "unexpected text after the value";
            return false;
        }
        data += '\0';
        return true;
    }
    if (type == REG_DWORD && rest.size() == 8 &&
        std::all_of(rest.begin(), rest.end(), [](char c) { return HexDigitValue(c) >= 0; })) {
        const unsigned long number = std::stoul(std::string(rest), nullptr, 16);
        for (int shift = 0; shift < 32; shift += 8)
            data += static_cast<char>((number >> shift) & 0xFF);
        return true;
    }
    problem = "malformed value data";
    return false;
}

bool parseValueLine(std::string_view line, RegistryKey &key, std::string &problem)
{
    std::string name;
    std::string_view rest = line;
    if (!rest.empty() && rest.front() == '@') {
        rest.remove_prefix(1);
    } else if (!takeQuoted(rest, name, problem)) {
        return false;
    }
    if (rest.empty() || rest.front() != '=') {
        problem = "'=' was expected after the value name";
        return false;
    }
    rest.remove_prefix(1);
    DWORD type = 0;
    std::string data;
    if (!takeType(rest, type, problem) || !takeData(rest, type, data, problem))
        return false;
    key.setValue(name, type, data);
    return true;
}

bool parseKeyLine(std::string_view line, RegistryKey &root, RegistryKey *&current,
                  std::string &problem)
{
    const std::string_view path = line.substr(1, line.size() - 2);
    RegistryKey *key = &root;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view name = path.substr(start, end - start);
        if (name.empty()) {
            problem = "empty key name in path";
            return false;
        }
        RegistryKey *child = key->findSubkey(name);
        key = child ? child : &key->addSubkey(std::string(name));
        start = end + 1;
    }
    current = key;
    return true;
}

} // namespace

bool SameRegistryName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upper(x) == upper(y); });
}

RegistryKey *RegistryKey::findSubkey(std::string_view name) const
{
    for (const auto &child : m_subkeys)
        if (SameRegistryName(child->name(), name))
            return child.get();
    return nullptr;
}

const RegistryValue *RegistryKey::findValue(std::string_view name) const
{
    for (const RegistryValue &value : m_values)
        if (SameRegistryName(value.name, name))
            return &value;
    return nullptr;
}

RegistryKey &RegistryKey::addSubkey(std::string name)
{
    m_subkeys.push_back(std::make_unique<RegistryKey>(std::move(name)));
    return *m_subkeys.back();
}

bool RegistryKey::removeSubkey(std::string_view name)
{
    const auto it = std::find_if(m_subkeys.begin(), m_subkeys.end(),
                                 [&](const auto &child) { return SameRegistryName(child->name(), name); });
    if (it == m_subkeys.end())
        return false;
    m_subkeys.erase(it);
    return true;
}

bool RegistryKey::setValue(std::string_view name, DWORD type, std::string_view data)
{
    for (RegistryValue &value : m_values)
        if (SameRegistryName(value.name, name)) {
            if (value.type == type && value.data == data)
                return false;
            value.type = type;
            value.data = data;
            return true;
        }
    m_values.push_back({std::string(name), type, std::string(data)});
    return true;
}

bool RegistryKey::removeValue(std::string_view name)
{
    const auto it = std::find_if(m_values.begin(), m_values.end(),
                                 [&](const RegistryValue &value) { return SameRegistryName(value.name, name); });
    if (it == m_values.end())
        return false;
    m_values.erase(it);
    return true;
}

std::string FormatRegistry(const RegistryKey &root)
{
    std::string out(kSignature);
    out += '\n';
    appendKey(out, root, {});
    return out;
}

bool ParseRegistry(std::string_view text, RegistryKey &root, std::string &problem)
{
    RegistryKey *current = &root;
    size_t lineNumber = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        // Trailing blanks and a CR, which an editor may have added, carry no meaning.
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
            line.remove_suffix(1);

        std::string what;
        bool ok = true;
        if (lineNumber == 1) {
            ok = line == kSignature;
            if (!ok)
                what = "not a registry file (the first line is not \"" + std::string(kSignature) + "\")";
        } else if (line.empty() || line.front() == ';') {
            continue;
        } else if (line.front() == '[') {
            ok = line.size() > 2 && line.back() == ']' && parseKeyLine(line, root, current, what);
            if (!ok && what.empty())
                what = "malformed key line";
        } else {
            ok = parseValueLine(line, *current, what);
        }
        if (!ok) {
            problem = "line " + std::to_string(lineNumber) + ": " + what;
            return false;
        }
    }
    return true;
}

} // namespace zorplat
