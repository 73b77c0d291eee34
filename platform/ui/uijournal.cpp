#include "platform/ui/uijournal.h"

#include "platform/base/appendline.h"

#include <cstdio>
#include <cstdlib>

namespace zorplat {

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0.
size_t utf8Length(std::string_view text, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length;
    unsigned minimum;
    unsigned code;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < minimum || code > 0x10FFFF || surrogate ? 0 : length;
}

} // namespace

std::string JsonString(std::string_view text)
{
    std::string json = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        char escape[8];
        switch (c) {
        case '"': json += "\\\""; continue;
        case '\\': json += "\\\\"; continue;
        case '\n': json += "\\n"; continue;
        case '\r': json += "\\r"; continue;
        case '\t': json += "\\t"; continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            json += escape;
        } else if (c < 0x80) {
            json += static_cast<char>(c);
        } else if (const size_t length = utf8Length(text, i)) {
            json.append(text.substr(i, length));
            i += length - 1;
        } else {
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            json += escape;
        }
    }
    return json + "\"";
}

UiJournalEntry::UiJournalEntry(std::string_view event) : m_line("{\"event\":" + JsonString(event))
{
}

UiJournalEntry &UiJournalEntry::add(std::string_view key, std::string_view text)
{
    // Appended piece by piece: "," + std::string draws a false -Wrestrict from GCC 12.
    m_line.append(",").append(JsonString(key)).append(":").append(JsonString(text));
    return *this;
}

UiJournalEntry &UiJournalEntry::add(std::string_view key, long long number)
{
    m_line.append(",").append(JsonString(key)).append(":").append(std::to_string(number));
    return *this;
}

void UiJournalEntry::write() const
{
    if (const char *path = std::getenv("ZORVALINE_UI_LOG"); path && *path)
        AppendLine(path, line());
}

} // namespace zorplat
