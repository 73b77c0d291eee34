// Quoted-printable encoding of a print job (RFC 2045, section 6.7), in the dialect the
// receiving printers expect: every byte other than 0x21-0x3C and 0x3E-0x7E is written as
// "=XX" (space and tab too, so no line can end in white space), the first byte of every line
// after the first is encoded as well (so no line starts with "." or "From "), an LF becomes
// CR LF, and a soft break "=" CR LF follows as soon as a line holds 76 or more characters.
// A CR of the input is data and is written as "=0D": the output holds no bare CR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zormon {

// Encodes a byte stream in chunks; the state (line length, previous byte) carries across
// calls, so any split of the input gives the same output.
class QuotedPrintableEncoder {
public:
    // Fastest takes runs of 16 bytes at a time where the processor allows it; Plain takes one
    // byte at a time. Both write the same bytes.
    enum class Method { Fastest, Plain };

    explicit QuotedPrintableEncoder(Method method = Method::Fastest);

    // Whether this processor can take the 16-byte path.
    static bool BlockPathAvailable();

    // Longest output one input byte can produce: "=XX" and a soft break "=" CR LF.
    static constexpr std::size_t kMaxOutputPerByte = 6;

    // Appends the encoding of [data, data + size) to `out`.
    void encode(const uint8_t *data, std::size_t size, std::string &out);
    // Writes the encoding to `out`, which must hold size * kMaxOutputPerByte bytes; returns
    // the number of bytes written.
    std::size_t encode(const uint8_t *data, std::size_t size, char *out);

private:
    bool m_blocks;
    unsigned m_column = 0;
    bool m_afterLineFeed = false;
};

// Encodes the file `inputPath` into `outputPath` (created afresh, owner-only, whatever was at
// the name removed first, see OpenFreshFile). Paths may be Windows
// paths of the root or Linux absolute paths. False, with the last error set, when the input
// cannot be read or the output cannot be written completely; no partial output is left then.
bool EncodeQuotedPrintable(const std::string &inputPath, const std::string &outputPath);

// The same, with `before` encoded ahead of the file and `after` behind it through one
// encoder: the output is that of the three put together in one file, which is never made.
bool EncodeQuotedPrintable(std::string_view before, const std::string &inputPath, std::string_view after,
                           const std::string &outputPath);

} // namespace zormon
