#include "monitor/QuotedPrintable.h"

#include <array>
#include <cstring>

namespace zormon {

namespace {

// RFC 2045, section 6.7 (5): a soft break once a line holds 76 characters.
constexpr unsigned kSoftBreakColumn = 76;

enum ByteClass : uint8_t {
    Literal,  // 0x21-0x3C, 0x3E-0x7E: copied, except as the first byte of a line
    Encoded,  // everything else, CR included: "=XX"
    LineFeed, // LF: written as CR LF
};

struct Tables {
    std::array<ByteClass, 256> byteClass{};
    std::array<std::array<char, 4>, 256> escape{}; // "=XX" (the fourth byte is padding)
};

constexpr Tables makeTables()
{
    Tables tables;
    constexpr char hexDigits[] = "0123456789ABCDEF";
    for (unsigned b = 0; b < 256; ++b) {
        const bool literal = (b >= 0x21 && b <= 0x3C) || (b >= 0x3E && b <= 0x7E);
        tables.byteClass[b] = b == '\n' ? LineFeed : literal ? Literal : Encoded;
        tables.escape[b] = {'=', hexDigits[b >> 4], hexDigits[b & 0x0F], 0};
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
    for (const uint8_t *p = data, *end = data + size; p != end; ++p) {
        const uint8_t b = *p;
        switch (kTables.byteClass[b]) {
        case Literal:
            if (!afterLineFeed) {
                *o++ = static_cast<char>(b);
                column += 1;
                break;
            }
            // The first byte of a line is always encoded, so no line can start with "." or
            // "From " however the mail is relayed. It counts as four.
            std::memcpy(o, kTables.escape[b].data(), 3);
            o += 3;
            column += 4;
            break;
        case Encoded:
            std::memcpy(o, kTables.escape[b].data(), 3);
            o += 3;
            column += 3;
            break;
        case LineFeed:
            *o++ = '\r';
            *o++ = '\n';
            column = 0;
            break;
        }
        afterLineFeed = b == '\n';
        if (column >= kSoftBreakColumn) {
            std::memcpy(o, "=\r\n", 3);
            o += 3;
            column = 0;
        }
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
