#include "monitor/QuotedPrintable.h"

#include "platform/base/lasterror.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using zormon::QuotedPrintableEncoder;

namespace {

std::string encode(const std::string &input)
{
    QuotedPrintableEncoder encoder;
    std::string out;
    encoder.encode(reinterpret_cast<const uint8_t *>(input.data()), input.size(), out);
    return out;
}

// Decodes the encoder's dialect: "=XX", soft breaks "=" CR LF, and CR LF for an input LF.
std::string decode(const std::string &encoded)
{
    std::string out;
    for (std::size_t i = 0; i < encoded.size();) {
        if (encoded.compare(i, 3, "=\r\n") == 0) {
            i += 3;
        } else if (encoded[i] == '=') {
            out += static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16));
            i += 3;
        } else if (encoded.compare(i, 2, "\r\n") == 0) {
            out += '\n';
            i += 2;
        } else {
            out += encoded[i++];
        }
    }
    return out;
}

std::string randomBytes(std::size_t size, unsigned seed, bool textLike)
{
    std::mt19937 generator(seed);
    const std::string alphabet = "abcdefghij /()=.\n\n\r\t0123456789";
    std::string bytes(size, '\0');
    for (char &b : bytes)
        b = textLike ? alphabet[generator() % alphabet.size()] : static_cast<char>(generator() & 0xFF);
    return bytes;
}

} // namespace

TEST(QuotedPrintable, FirstLineEdgeCasesAndNoBareCarriageReturn)
{
    // Space, '=' and CR are always encoded; a CR of the job never reaches the wire bare.
    EXPECT_EQ(encode("a b=c\r\n"), "a=20b=3Dc=0D\r\n");
    EXPECT_EQ(encode("x\ry"), "x=0Dy");
    EXPECT_EQ(encode("\t~\x7F"), "=09~=7F");
    // The first byte of the file is not after an LF; every first byte of a later line is.
    EXPECT_EQ(encode("ab\ncd\n\nef"), "ab\r\n=63d\r\n\r\n=65f");
    EXPECT_EQ(encode("x\n.\n"), "x\r\n=2E\r\n");
    EXPECT_EQ(encode("\n \n"), "\r\n=20\r\n");
}

TEST(QuotedPrintable, HighBytesAreDataAndEncodingGoesOn)
{
    EXPECT_EQ(encode("\xE9t\xE9"), "=E9t=E9");
    EXPECT_EQ(encode(std::string("a\xFF" "b\0c", 5)), "a=FFb=00c");
}

TEST(QuotedPrintable, SoftBreaks)
{
    const std::string letters(100, 'x');
    // First line: 76 letters, then the break.
    EXPECT_EQ(encode(letters), std::string(76, 'x') + "=\r\n" + std::string(24, 'x'));
    // A later line: its first letter is encoded and counts four, so the break comes after 73.
    EXPECT_EQ(encode("\n" + letters), "\r\n=78" + std::string(72, 'x') + "=\r\n" + std::string(27, 'x'));
    // An encoded byte that crosses 76 still goes whole on the line: 75 + 3 = 78 characters.
    EXPECT_EQ(encode(std::string(75, 'x') + " y"), std::string(75, 'x') + "=20=\r\ny");
    // A line ending exactly at 76 gets the soft break before its hard break.
    EXPECT_EQ(encode(std::string(76, 'x') + "\n"), std::string(76, 'x') + "=\r\n\r\n");
}

TEST(QuotedPrintable, RandomInputRoundTripsWithShortCleanLines)
{
    for (bool textLike : {true, false}) {
        const std::string input = randomBytes(200000, textLike ? 1 : 2, textLike);
        const std::string encoded = encode(input);
        EXPECT_EQ(decode(encoded), input);

        std::size_t lineLength = 0, longest = 0;
        for (std::size_t i = 0; i < encoded.size(); ++i) {
            const char c = encoded[i];
            if (c == '\r') {
                ASSERT_TRUE(i + 1 < encoded.size() && encoded[i + 1] == '\n') << "bare CR at " << i;
            } else if (c == '\n') {
                ASSERT_TRUE(i > 0 && encoded[i - 1] == '\r') << "bare LF at " << i;
                longest = std::max(longest, lineLength);
                lineLength = 0;
                continue;
            } else {
                ASSERT_TRUE(c >= 0x21 && c <= 0x7E) << "raw byte " << int(c) << " at " << i;
            }
            if (c != '\r')
                ++lineLength;
        }
        // 78 characters and the soft break "=" at most.
        EXPECT_LE(longest, 79u);
    }
}

TEST(QuotedPrintable, ChunkBoundariesDoNotChangeTheOutput)
{
    const std::string input = randomBytes(50000, 3, true);
    const std::string whole = encode(input);
    std::mt19937 generator(4);
    QuotedPrintableEncoder encoder;
    std::string pieces;
    for (std::size_t at = 0; at < input.size();) {
        const std::size_t size = std::min<std::size_t>(generator() % 200, input.size() - at);
        encoder.encode(reinterpret_cast<const uint8_t *>(input.data() + at), size, pieces);
        at += size;
    }
    EXPECT_EQ(pieces, whole);
}

// Bytes of a chosen mix: the share of bytes that must be encoded and of line feeds decides
// where runs, groups, soft breaks and line ends fall in the 16-byte path.
std::string mixedBytes(std::size_t size, std::mt19937 &generator, unsigned encodedPercent, unsigned lineFeedPercent)
{
    const std::string plain = "abcdefghijklmnopqrstuvwxyz0123456789()/.%<>{}[]~!";
    const std::string encoded = std::string(" \t\r=\x04\x7F\x80\xE9\xFF", 9) + '\0';
    std::string bytes(size, '\0');
    for (char &b : bytes) {
        const unsigned roll = generator() % 100;
        if (roll < lineFeedPercent)
            b = '\n';
        else if (roll < lineFeedPercent + encodedPercent)
            b = encoded[generator() % encoded.size()];
        else
            b = plain[generator() % plain.size()];
    }
    return bytes;
}

TEST(QuotedPrintable, BlockPathWritesWhatThePlainPathWrites)
{
    if (!QuotedPrintableEncoder::BlockPathAvailable())
        GTEST_SKIP() << "this processor has no 16-byte path";
    std::mt19937 generator(20261208);
    const unsigned encodedPercents[] = {0, 3, 20, 60, 100};
    const unsigned lineFeedPercents[] = {0, 1, 3, 12, 50};
    for (int round = 0; round < 400; ++round) {
        const std::size_t size = round < 200 ? static_cast<std::size_t>(round) : generator() % 20000;
        const std::string input = mixedBytes(size, generator, encodedPercents[generator() % 5],
                                             lineFeedPercents[generator() % 5]);
        const auto *bytes = reinterpret_cast<const uint8_t *>(input.data());

        QuotedPrintableEncoder plain(QuotedPrintableEncoder::Method::Plain);
        std::string expected;
        plain.encode(bytes, input.size(), expected);

        // The fast encoder in pieces of random sizes, so blocks start anywhere on a line.
        QuotedPrintableEncoder fastest;
        std::string actual;
        for (std::size_t at = 0; at < input.size();) {
            const std::size_t piece = std::min<std::size_t>(1 + generator() % 97, input.size() - at);
            fastest.encode(bytes + at, piece, actual);
            at += piece;
        }
        ASSERT_EQ(actual, expected) << "round " << round << ", " << size << " bytes";
    }
    // Every line length around the soft break, every line feed position in a block.
    for (std::size_t length = 0; length < 100; ++length) {
        for (const char filler : {'x', ' '}) {
            const std::string input = std::string(length, filler) + "\n" + std::string(length, 'y') + ".\n\nz";
            QuotedPrintableEncoder plain(QuotedPrintableEncoder::Method::Plain);
            std::string expected;
            plain.encode(reinterpret_cast<const uint8_t *>(input.data()), input.size(), expected);
            EXPECT_EQ(encode(input), expected) << length << " bytes of '" << filler << "'";
        }
    }
}

TEST(QuotedPrintableFile, EncodesFilesLargerThanOneBlockAndReplacesTheOutput)
{
    zortest::TempRoot root;
    const std::string input = randomBytes(3 * (1 << 20) + 12345, 5, true);
    root.writeFile(root.driveC("ZORVALINE/Varnel.tmp"), input);
    root.writeFile(root.driveC("ZORVALINE/Varnel.cod"), std::string(10 << 20, 'z'));

    ASSERT_TRUE(zormon::EncodeQuotedPrintable("C:\\ZORVALINE\\Varnel.tmp", "C:\\ZORVALINE\\Varnel.cod"));
    EXPECT_EQ(zortest::TempRoot::readFile(root.driveC("ZORVALINE/Varnel.cod")), encode(input));

    root.writeFile(root.driveC("ZORVALINE/empty"), "");
    ASSERT_TRUE(zormon::EncodeQuotedPrintable(root.driveC("ZORVALINE/empty"), root.driveC("ZORVALINE/empty.cod")));
    EXPECT_TRUE(std::filesystem::exists(root.driveC("ZORVALINE/empty.cod")));
    EXPECT_EQ(std::filesystem::file_size(root.driveC("ZORVALINE/empty.cod")), 0u);
}

TEST(QuotedPrintableFile, FailuresAreReportedAndLeaveNoOutput)
{
    zortest::TempRoot root;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(zormon::EncodeQuotedPrintable("C:\\ZORVALINE\\missing.tmp", "C:\\ZORVALINE\\Varnel.cod"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(std::filesystem::exists(root.driveC("ZORVALINE/Varnel.cod")));

    root.writeFile(root.driveC("ZORVALINE/Varnel.tmp"), "job");
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(zormon::EncodeQuotedPrintable("C:\\ZORVALINE\\Varnel.tmp", "C:\\NOFOLDER\\Varnel.cod"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}
