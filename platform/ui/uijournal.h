// Internal: the UI journal, one JSON object per line in the file named by ZORVALINE_UI_LOG,
// so tests and scripts can see what the user would have seen.
#pragma once

#include <string>
#include <string_view>

namespace zorplat {

// A JSON string literal for `text`. Bytes that are not valid UTF-8 (texts in the original
// platform's 8-bit code page) are written as the Latin-1 characters of the same value, so
// every line stays valid JSON.
std::string JsonString(std::string_view text);

// Builds {"event":...,"key":value,...}.
class UiJournalEntry {
public:
    explicit UiJournalEntry(std::string_view event);
    UiJournalEntry &add(std::string_view key, std::string_view text);
    UiJournalEntry &add(std::string_view key, const char *text) { return add(key, std::string_view(text)); }
    UiJournalEntry &add(std::string_view key, long long number);
    // Appends the entry to the journal when ZORVALINE_UI_LOG names a file.
    void write() const;
    std::string line() const { return m_line + "}"; }

private:
    std::string m_line;
};

} // namespace zorplat
