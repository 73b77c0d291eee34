#include "monitor/TextCharset.h"

#include <algorithm>
#include <optional>

namespace zormon {

namespace {

// Windows-1252, bytes 0x80 to 0x9F.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

struct Utf8Sequence {
    int length;        // bytes of the sequence
    char32_t minimum;  // smallest character of that length (shorter forms are overlong)
    char32_t leadBits; // the bits the lead byte contributes
};

// The sequence a lead byte opens; nothing for a byte that opens none.
std::optional<Utf8Sequence> sequenceOf(unsigned char lead)
{
    if (lead < 0x80)
        return Utf8Sequence{1, 0, lead};
    if ((lead & 0xE0) == 0xC0)
        return Utf8Sequence{2, 0x80, lead & 0x1Fu};
    if ((lead & 0xF0) == 0xE0)
        return Utf8Sequence{3, 0x800, lead & 0x0Fu};
    if ((lead & 0xF8) == 0xF0)
        return Utf8Sequence{4, 0x10000, lead & 0x07u};
    return std::nullopt;
}

// RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF.
std::optional<std::u32string> decodeUtf8(std::string_view bytes)
{
    std::u32string text;
    bool multiByte = false; // seen a whole character of more than one byte
    for (size_t i = 0; i < bytes.size();) {
        const std::optional<Utf8Sequence> sequence = sequenceOf(static_cast<unsigned char>(bytes[i]));
        if (!sequence)
            return std::nullopt;
        char32_t c = sequence->leadBits;
        int k = 1;
        for (; k < sequence->length && i + k < bytes.size(); ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (next & 0x3Fu);
        }
        // Cut short by the end of the value: UTF-8 cut at its buffer length when whole UTF-8
        // characters came before, else simply not UTF-8.
        if (k < sequence->length)
            return multiByte ? std::optional<std::u32string>(text) : std::nullopt;
        if (c < sequence->minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return std::nullopt;
        text += c;
        multiByte = multiByte || sequence->length > 1;
        i += static_cast<size_t>(sequence->length);
    }
    return text;
}

} // namespace

bool IsPlainAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::u32string DecodeJobText(std::string_view bytes)
{
    if (std::optional<std::u32string> text = decodeUtf8(bytes))
        return *text;
    std::u32string text;
    for (char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text += value >= 0x80 && value < 0xA0 ? kWindows1252High[value - 0x80] : char32_t{value};
    }
    return text;
}

std::string ToUtf8(std::u32string_view text)
{
    std::string bytes;
    for (char32_t c : text) {
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | (c >> 6));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += static_cast<char>(0xE0 | (c >> 12));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (c >> 18));
            bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

std::string ToLatin1(std::u32string_view text)
{
    std::string bytes;
    for (char32_t c : text)
        bytes += c < 0x80 || (c >= 0xA0 && c <= 0xFF) ? static_cast<char>(c) : '?';
    return bytes;
}

} // namespace zormon
