#include "monitor/QuotedPrintable.h"

#include <array>
#include <cstring>

namespace zormon {

namespace {

// RFC 2045, section 6.7 (5): a soft break once a line holds 76 characters.
constexpr unsigned kSoftBreakColumn = 76;
constexpr char kHexDigits[] = "0123456789ABCDEF";

// What one input byte becomes: its text (1 or 3 bytes, stored in the first bytes of `text`,
// written as one 4-byte store), or the flag for LF, which ends the line.
struct ByteEntry {
    char text[4];
    uint8_t length;
    bool lineFeed;
};

struct Tables {
    std::array<ByteEntry, 256> entry{};
    std::array<bool, 256> literal{}; // 0x21-0x3C, 0x3E-0x7E: copied unless first on a line
};

constexpr Tables makeTables()
{
    Tables tables;
    for (unsigned b = 0; b < 256; ++b) {
        const bool literal = (b >= 0x21 && b <= 0x3C) || (b >= 0x3E && b <= 0x7E);
        tables.literal[b] = literal;
        if (literal)
            tables.entry[b] = {{static_cast<char>(b), 0, 0, 0}, 1, false};
        else // CR included: the output never holds a bare CR
            tables.entry[b] = {{'=', kHexDigits[b >> 4], kHexDigits[b & 0x0F], 0}, 3, b == '\n'};
    }
    return tables;
}

constexpr Tables kTables = makeTables();

} // namespace

std::size_t QuotedPrintableEncoder::encode(const uint8_t *data, std::size_t size, char *out)
{
    char *o = out;
    unsigned column = m_column;
    bool afterLineFeed = m_afterLineFeed;
    const uint8_t *p = data;
    const uint8_t *const end = data + size;
    while (p != end) {
        if (afterLineFeed) {
            afterLineFeed = false;
            // The first byte of a line is always encoded, so no line can start with "." or
            // "From " however the mail is relayed. It counts as four.
            if (kTables.literal[*p]) {
                o[0] = '=';
                o[1] = kHexDigits[*p >> 4];
                o[2] = kHexDigits[*p & 0x0F];
                o += 3;
                column += 4;
                ++p;
                continue;
            }
        }
        // The bulk of the work: one table entry and one store per byte, no branch on its kind.
        // Each byte has at least 6 bytes of room in `out`, so the 4-byte store stays inside.
        for (; p != end; ++p) {
            const ByteEntry &entry = kTables.entry[*p];
            if (entry.lineFeed)
                break;
            std::memcpy(o, entry.text, 4);
            o += entry.length;
            column += entry.length;
            if (column >= kSoftBreakColumn) {
                std::memcpy(o, "=\r\n", 3);
                o += 3;
                column = 0;
            }
        }
        if (p == end)
            break;
        *o++ = '\r';
        *o++ = '\n';
        column = 0;
        afterLineFeed = true;
        ++p;
    }
    m_column = column;
    m_afterLineFeed = afterLineFeed;
    return static_cast<std::size_t>(o - out);
}

void QuotedPrintableEncoder::encode(const uint8_t *data, std::size_t size, std::string &out)
{
    const std::size_t start = out.size();
    out.resize(start + size * kMaxOutputPerByte);
    out.resize(start + encode(data, size, out.data() + start));
}

} // namespace zormon
