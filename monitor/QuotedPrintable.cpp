#include "monitor/QuotedPrintable.h"

#include <array>
#include <cstring>

// The block path uses the compiler's portable vector extensions; it needs a byte shuffle with
// a mask known only at run time, which x86-64 has from SSSE3 on (checked at run time) and
// AArch64 always has. Elsewhere the plain path does all the work.
#if defined(__GNUC__) && !defined(__clang__) && (defined(__x86_64__) || defined(__aarch64__))
#define ZORMON_QP_BLOCKS 1
#if defined(__x86_64__)
#define ZORMON_QP_BLOCK_TARGET __attribute__((target("ssse3")))
#else
#define ZORMON_QP_BLOCK_TARGET
#endif
#endif

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

// The encoder's state while it works, kept in registers.
struct Cursor {
    const uint8_t *in;
    char *out;
    unsigned column;
    bool afterLineFeed;
};

// Encodes [c.in, end) one byte at a time: the reference for every case, and the path for the
// bytes the block path leaves (line starts, line ends, soft breaks, the tail).
inline void encodePlain(Cursor &c, const uint8_t *end)
{
    char *o = c.out;
    unsigned column = c.column;
    bool afterLineFeed = c.afterLineFeed;
    const uint8_t *p = c.in;
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
        // One table entry and one store per byte, no branch on its kind. Each byte has at
        // least 6 bytes of room in the output, so the 4-byte store stays inside.
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
    c.in = p;
    c.out = o;
    c.column = column;
    c.afterLineFeed = afterLineFeed;
}

#ifdef ZORMON_QP_BLOCKS

typedef uint8_t Bytes16 __attribute__((vector_size(16)));

// The block path takes 16 input bytes at a time and works on four groups of four. Each byte
// becomes a 4-byte slot, [byte or '=', high hex digit, low hex digit, 0]; a shuffle keeps the
// first byte of a slot whose byte stays as it is and the first three of one that is encoded.
// The mask of that shuffle and the group's output length are looked up by the group's 4-bit
// "encoded" pattern.
struct GroupShuffle {
    alignas(16) uint8_t mask[16][16];
    std::array<uint8_t, 16> length;
};

constexpr GroupShuffle makeGroupShuffle()
{
    GroupShuffle shuffle{};
    for (unsigned pattern = 0; pattern < 16; ++pattern) {
        uint8_t *mask = shuffle.mask[pattern];
        unsigned n = 0;
        for (unsigned slot = 0; slot < 4; ++slot) {
            mask[n++] = static_cast<uint8_t>(4 * slot);
            if (pattern & (1u << slot)) {
                mask[n++] = static_cast<uint8_t>(4 * slot + 1);
                mask[n++] = static_cast<uint8_t>(4 * slot + 2);
            }
        }
        shuffle.length[pattern] = static_cast<uint8_t>(n);
    }
    return shuffle;
}

constexpr GroupShuffle kGroupShuffle = makeGroupShuffle();

// One bit per byte of a comparison result (0xFF or 0x00), byte i to bit i.
inline unsigned bitsOf(Bytes16 flags)
{
    uint64_t half[2];
    std::memcpy(half, &flags, sizeof half);
    constexpr uint64_t kLowBits = 0x0101010101010101ull;
    constexpr uint64_t kGather = 0x0102040810204080ull;
    const unsigned low = static_cast<unsigned>(((half[0] & kLowBits) * kGather) >> 56);
    const unsigned high = static_cast<unsigned>(((half[1] & kLowBits) * kGather) >> 56);
    return low | high << 8;
}

// Hex digits of 16 nibbles.
inline Bytes16 hexDigits(Bytes16 nibbles)
{
    return nibbles + '0' + ((nibbles > 9) & 7);
}

// Encodes whole blocks of 16 bytes while at least one is left; the plain path takes the line
// starts, the groups that reach the soft-break column and the bytes up to each line feed.
ZORMON_QP_BLOCK_TARGET void encodeBlocks(Cursor &cursor, const uint8_t *end)
{
    // A copy of its own, which the output stores cannot alias, so it stays in registers.
    Cursor c = cursor;
    while (end - c.in >= 16) {
        Bytes16 x;
        std::memcpy(&x, c.in, 16);
        Bytes16 literal = (x >= 0x21) & (x <= 0x7E) & (x != 0x3D);
        const unsigned lineFeeds = bitsOf(x == '\n');
        // Groups wholly before the first line feed go through the shuffle.
        const unsigned groups = lineFeeds ? static_cast<unsigned>(__builtin_ctz(lineFeeds)) / 4 : 4;
        if (c.afterLineFeed && groups > 0) {
            // The first byte of a line is always encoded, and counts four (see encodePlain).
            c.afterLineFeed = false;
            c.column += literal[0] & 1;
            literal &= Bytes16{0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        }
        const unsigned encoded = ~bitsOf(literal) & 0xFFFF;

        const Bytes16 first = (literal & x) | (~literal & '=');
        const Bytes16 high = hexDigits(x >> 4);
        const Bytes16 low = hexDigits(x & 0x0F);
        const Bytes16 zero = {};
        const Bytes16 firstHighLow = __builtin_shuffle(first, high, Bytes16{0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23});
        const Bytes16 firstHighHigh = __builtin_shuffle(first, high, Bytes16{8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31});
        const Bytes16 lowZeroLow = __builtin_shuffle(low, zero, Bytes16{0, 16, 1, 16, 2, 16, 3, 16, 4, 16, 5, 16, 6, 16, 7, 16});
        const Bytes16 lowZeroHigh = __builtin_shuffle(low, zero, Bytes16{8, 16, 9, 16, 10, 16, 11, 16, 12, 16, 13, 16, 14, 16, 15, 16});
        const Bytes16 slots[4] = {
            __builtin_shuffle(firstHighLow, lowZeroLow, Bytes16{0, 1, 16, 17, 2, 3, 18, 19, 4, 5, 20, 21, 6, 7, 22, 23}),
            __builtin_shuffle(firstHighLow, lowZeroLow, Bytes16{8, 9, 24, 25, 10, 11, 26, 27, 12, 13, 28, 29, 14, 15, 30, 31}),
            __builtin_shuffle(firstHighHigh, lowZeroHigh, Bytes16{0, 1, 16, 17, 2, 3, 18, 19, 4, 5, 20, 21, 6, 7, 22, 23}),
            __builtin_shuffle(firstHighHigh, lowZeroHigh, Bytes16{8, 9, 24, 25, 10, 11, 26, 27, 12, 13, 28, 29, 14, 15, 30, 31}),
        };

        const uint8_t *const block = c.in;
#pragma GCC unroll 4
        for (unsigned g = 0; g < groups; ++g) {
            const unsigned pattern = (encoded >> (4 * g)) & 0x0F;
            const unsigned length = kGroupShuffle.length[pattern];
            if (c.column + length < kSoftBreakColumn) {
                // 16 bytes stored, `length` kept: the group's 4 input bytes leave at least 24
                // bytes of room.
                Bytes16 mask;
                std::memcpy(&mask, kGroupShuffle.mask[pattern], 16);
                const Bytes16 text = __builtin_shuffle(slots[g], mask);
                std::memcpy(c.out, &text, 16);
                c.out += length;
                c.column += length;
                c.in += 4;
            } else {
                encodePlain(c, c.in + 4);
            }
        }
        if (groups < 4) // through the line feed
            encodePlain(c, block + __builtin_ctz(lineFeeds) + 1);
    }
    cursor = c;
}

#endif

} // namespace

QuotedPrintableEncoder::QuotedPrintableEncoder(Method method)
    : m_blocks(method == Method::Fastest && BlockPathAvailable())
{
}

bool QuotedPrintableEncoder::BlockPathAvailable()
{
#if defined(ZORMON_QP_BLOCKS) && defined(__x86_64__)
    static const bool available = __builtin_cpu_supports("ssse3");
    return available;
#elif defined(ZORMON_QP_BLOCKS)
    return true;
#else
    return false;
#endif
}

std::size_t QuotedPrintableEncoder::encode(const uint8_t *data, std::size_t size, char *out)
{
    Cursor cursor{data, out, m_column, m_afterLineFeed};
#ifdef ZORMON_QP_BLOCKS
    if (m_blocks)
        encodeBlocks(cursor, data + size);
#endif
    encodePlain(cursor, data + size);
    m_column = cursor.column;
    m_afterLineFeed = cursor.afterLineFeed;
    return static_cast<std::size_t>(cursor.out - out);
}

void QuotedPrintableEncoder::encode(const uint8_t *data, std::size_t size, std::string &out)
{
    const std::size_t start = out.size();
    out.resize(start + size * kMaxOutputPerByte);
    out.resize(start + encode(data, size, out.data() + start));
}

} // namespace zormon
