#include "platform/profile/inifile.h"

#include "platform/base/text.h"

#include <algorithm>

namespace zorplat {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Names and values are C strings to every caller, so a NUL in the file ends them.
std::string_view meaningful(std::string_view line)
{
    const size_t nul = line.find('\0');
    return trimmed(nul == std::string_view::npos ? line : line.substr(0, nul));
}

// FNV-1a over the case-folded name.
uint64_t nameHash(std::string_view name)
{
    uint64_t hash = 14695981039346656037ull;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(FoldAsciiCase(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

std::optional<std::string_view> headerName(std::string_view line)
{
    const std::string_view text = meaningful(line);
    if (text.empty() || text.front() != '[')
        return std::nullopt;
    const size_t close = text.rfind(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimmed(text.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view line)
{
    const std::string_view text = meaningful(line);
    if (text.empty() || text.front() == ';')
        return std::nullopt;
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{trimmed(text.substr(0, equals)), trimmed(text.substr(equals + 1))};
}

std::string keyValueLine(std::string_view key, std::string_view value)
{
    std::string line;
    line.reserve(key.size() + 1 + value.size());
    line.append(key).append(1, '=').append(value);
    return line;
}

bool isBlankLine(std::string_view line)
{
    return trimmed(line).empty();
}

} // namespace

void IniFile::Section::indexKeys()
{
    keyIndex.clear();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (const auto parsed = keyLine(lines[i]))
            keyIndex.push_back({nameHash(parsed->key), i});
    }
    std::sort(keyIndex.begin(), keyIndex.end());
}

std::optional<size_t> IniFile::Section::findKey(std::string_view key) const
{
    const std::string_view name = trimmed(key);
    const uint64_t hash = nameHash(name);
    for (auto entry = std::lower_bound(keyIndex.begin(), keyIndex.end(), NameEntry{hash, 0});
         entry != keyIndex.end() && entry->hash == hash; ++entry) {
        if (EqualsIgnoringCase(keyLine(lines[entry->position])->key, name))
            return entry->position;
    }
    return std::nullopt;
}

void IniFile::Section::keyInserted(size_t at)
{
    // Moving the entries keeps their order, so nothing is hashed or sorted again.
    for (NameEntry &entry : keyIndex)
        if (entry.position >= at)
            ++entry.position;
    // Callers refuse keys that would not read back as keys; such a line gets no entry.
    if (const auto parsed = keyLine(lines[at])) {
        const NameEntry added{nameHash(parsed->key), at};
        keyIndex.insert(std::upper_bound(keyIndex.begin(), keyIndex.end(), added), added);
    }
}

void IniFile::indexSections()
{
    m_sectionIndex.clear();
    for (size_t i = 1; i < m_sections.size(); ++i)
        m_sectionIndex.push_back({nameHash(*headerName(m_sections[i].header)), i});
    std::sort(m_sectionIndex.begin(), m_sectionIndex.end());
}

std::string_view IniFile::keep(std::string text)
{
    m_texts.push_back(std::make_shared<const std::string>(std::move(text)));
    return *m_texts.back();
}

IniFile IniFile::Parse(std::string content)
{
    IniFile file;
    const std::string_view text = file.keep(std::move(content));
    Section *current = &file.m_sections.front();
    size_t start = 0;
    while (start < text.size()) {
        // A plain scan: find_first_of would search the two-character set once per byte.
        size_t end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        const std::string_view line = text.substr(start, end - start);
        if (headerName(line)) {
            current->indexKeys();
            current = &file.m_sections.emplace_back();
            current->header = line;
        } else {
            current->lines.push_back(line);
        }
        start = end;
        if (start < text.size())
            start += text.compare(start, 2, "\r\n") == 0 ? 2 : 1;
    }
    current->indexKeys();
    file.indexSections();
    return file;
}

std::string IniFile::Serialize() const
{
    size_t size = 0;
    for (const Section &section : m_sections) {
        size += section.header.size() + 2;
        for (const std::string_view line : section.lines)
            size += line.size() + 2;
    }
    std::string out;
    out.reserve(size);
    for (size_t i = 0; i < m_sections.size(); ++i) {
        if (i > 0)
            out.append(m_sections[i].header).append("\r\n");
        for (const std::string_view line : m_sections[i].lines)
            out.append(line).append("\r\n");
    }
    return out;
}

std::optional<size_t> IniFile::findSection(std::string_view section) const
{
    const std::string_view name = trimmed(section);
    const uint64_t hash = nameHash(name);
    for (auto entry = std::lower_bound(m_sectionIndex.begin(), m_sectionIndex.end(), NameEntry{hash, 0});
         entry != m_sectionIndex.end() && entry->hash == hash; ++entry) {
        if (EqualsIgnoringCase(*headerName(m_sections[entry->position].header), name))
            return entry->position;
    }
    return std::nullopt;
}

std::optional<std::string_view> IniFile::Value(std::string_view section, std::string_view key) const
{
    const auto index = findSection(section);
    if (!index)
        return std::nullopt;
    const Section &found = m_sections[*index];
    const auto line = found.findKey(key);
    if (!line)
        return std::nullopt;
    return keyLine(found.lines[*line])->value;
}

std::vector<std::string_view> IniFile::SectionNames() const
{
    std::vector<std::string_view> names;
    for (size_t i = 1; i < m_sections.size(); ++i)
        names.push_back(*headerName(m_sections[i].header));
    return names;
}

std::optional<std::vector<std::string_view>> IniFile::KeyNames(std::string_view section) const
{
    const auto index = findSection(section);
    if (!index)
        return std::nullopt;
    std::vector<std::string_view> names;
    for (const std::string_view line : m_sections[*index].lines) {
        if (const auto parsed = keyLine(line))
            names.push_back(parsed->key);
    }
    return names;
}

std::optional<std::vector<std::string>> IniFile::SectionEntries(std::string_view section) const
{
    const auto index = findSection(section);
    if (!index)
        return std::nullopt;
    std::vector<std::string> entries;
    for (const std::string_view line : m_sections[*index].lines) {
        if (const auto parsed = keyLine(line)) {
            entries.push_back(keyValueLine(parsed->key, parsed->value));
        } else {
            const std::string_view text = meaningful(line);
            if (!text.empty() && text.front() != ';')
                entries.emplace_back(text);
        }
    }
    return entries;
}

bool IniFile::SetValue(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string_view keyName = trimmed(key);
    const auto index = findSection(section);
    if (!index) {
        // A blank line sets the new section apart from what precedes it.
        const Section &last = m_sections.back();
        const bool empty = m_sections.size() == 1 && last.lines.empty();
        if (!empty && (last.lines.empty() || !isBlankLine(last.lines.back())))
            m_sections.back().lines.emplace_back();
        Section &added = m_sections.emplace_back();
        std::string header(1, '[');
        header.append(trimmed(section)).append(1, ']');
        added.header = keep(std::move(header));
        added.lines.push_back(keep(keyValueLine(keyName, value)));
        added.indexKeys();
        const NameEntry entry{nameHash(trimmed(section)), m_sections.size() - 1};
        m_sectionIndex.insert(std::upper_bound(m_sectionIndex.begin(), m_sectionIndex.end(), entry), entry);
        return true;
    }
    Section &found = m_sections[*index];
    if (const auto line = found.findKey(keyName)) {
        std::string replacement = keyValueLine(keyLine(found.lines[*line])->key, value);
        if (replacement == found.lines[*line])
            return false;
        found.lines[*line] = keep(std::move(replacement));
        return true;
    }
    size_t position = found.lines.size();
    while (position > 0 && isBlankLine(found.lines[position - 1]))
        --position;
    found.lines.insert(found.lines.begin() + static_cast<std::ptrdiff_t>(position),
                       keep(keyValueLine(keyName, value)));
    found.keyInserted(position);
    return true;
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key)
{
    const auto index = findSection(section);
    if (!index)
        return false;
    Section &found = m_sections[*index];
    const auto line = found.findKey(key);
    if (!line)
        return false;
    found.lines.erase(found.lines.begin() + static_cast<std::ptrdiff_t>(*line));
    // Another line of the section may hold the same key; it takes over from the one removed.
    found.indexKeys();
    return true;
}

bool IniFile::DeleteSection(std::string_view section)
{
    const auto index = findSection(section);
    if (!index)
        return false;
    m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(*index));
    indexSections();
    return true;
}

} // namespace zorplat
