// One INI file held line by line, so that a rewrite keeps every line it does not change
// (comments, lines without '=', keys before the first section, blank lines) in its place.
// Names are trimmed and compared without regard to case; the first match wins.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorplat {

class IniFile {
public:
    // Any bytes are accepted: CR LF, LF or CR alone end a line, a final line needs no end,
    // and a NUL ends the name or value it appears in (the line itself is kept whole).
    static IniFile Parse(std::string content);
    // Every line followed by CR LF.
    std::string Serialize() const;

    // The trimmed value of the key, quotes kept; nullopt when section or key is missing.
    // The view lives as long as this object.
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
    // A name's hash (of its trimmed, case-folded text) and the line or section that holds it;
    // kept sorted, so the first match of a name is the first of its hash to compare equal.
    struct NameEntry {
        uint64_t hash;
        size_t position;
        bool operator<(const NameEntry &other) const
        {
            return hash != other.hash ? hash < other.hash : position < other.position;
        }
    };

    struct Section {
        std::string_view header;             // the header line as read; empty for the prelude
        std::vector<std::string_view> lines; // every line up to the next header
        std::vector<NameEntry> keyIndex;     // key -> line
        void indexKeys();
        std::optional<size_t> findKey(std::string_view key) const;
        // A key line inserted at `at`: the lines from there on move one down.
        void keyInserted(size_t at);
    };

    std::optional<size_t> findSection(std::string_view section) const;
    void indexSections();
    // Keeps `text` for as long as this object or a copy of it lives; the view stays valid.
    std::string_view keep(std::string text);

    // The text every line views: the parsed content and each line made since, shared with
    // copies and never changed, so copying a file copies no text and parsing allocates
    // nothing per line.
    std::vector<std::shared_ptr<const std::string>> m_texts;
    // [0] holds the lines before the first header, which belong to no section.
    std::vector<Section> m_sections{1};
    std::vector<NameEntry> m_sectionIndex; // section name -> section
};

} // namespace zorplat
