// One INI file held line by line, so that a rewrite keeps every line it does not change
// (comments, lines without '=', keys before the first section, blank lines) in its place.
// Names are trimmed and compared without regard to case; the first match wins.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zorplat {

class IniFile {
public:
    // Any bytes are accepted: CR LF, LF or CR alone end a line, a final line needs no end,
    // and a NUL ends the name or value it appears in (the line itself is kept whole).
    static IniFile Parse(std::string_view content);
    // Every line followed by CR LF.
    std::string Serialize() const;

    // The trimmed value of the key, quotes kept; nullopt when section or key is missing.
    // The view lives as long as this object is not edited.
    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;
    // Every section header in file order, duplicates included.
    std::vector<std::string_view> SectionNames() const;
    // The keys of the section (lines with '='); nullopt when the section is missing.
    std::optional<std::vector<std::string_view>> KeyNames(std::string_view section) const;
    // "key=value" for each key line and the trimmed text of each other line of the section,
    // comments and blank lines left out; nullopt when the section is missing.
    std::optional<std::vector<std::string>> SectionEntries(std::string_view section) const;

    // Edits; each returns whether the file changed. A new section is appended at the end of
    // the file, a new key after the last non-blank line of its section; a replaced value
    // keeps the key's spelling in the file.
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool DeleteSection(std::string_view section);

private:
    struct Section {
        std::string header;             // the header line as read; empty for the prelude
        std::vector<std::string> lines; // every line up to the next header
        std::unordered_map<std::string, size_t> keyIndex; // lower-case key -> first line
        void indexKeys();
    };

    std::optional<size_t> findSection(std::string_view section) const;
    std::optional<size_t> findKey(const Section &section, std::string_view key) const;
    void indexSections();

    // [0] holds the lines before the first header, which belong to no section.
    std::vector<Section> m_sections{1};
    std::unordered_map<std::string, size_t> m_sectionIndex; // lower-case name -> first section
};

} // namespace zorplat
