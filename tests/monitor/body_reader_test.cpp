#include "monitor/BodyReader.h"

#include "monitor/PiecePlan.h"
#include "monitor/QuotedPrintable.h"

#include "platform/files/files.h"
#include "platform/base/handles.h"
#include "tests/support/TempRoot.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using zormon::BodyReader;

namespace {

class BodyReaderTest : public ::testing::Test {
protected:
    // Opens a file holding `content` the way the delivery opens the encoded file.
    HANDLE open(const std::string &content)
    {
        root.writeFile(root.driveC("ZORVALINE/Varnel.cod"), content);
        file = CreateFile("C:\\ZORVALINE\\Varnel.cod", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        return file;
    }
    void TearDown() override
    {
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }

    zortest::TempRoot root;
    HANDLE file = INVALID_HANDLE_VALUE;
};

struct MessageBody {
    std::string body;
    std::string tail;
};

// Reads one body the way a send does: its blocks, then its tail.
MessageBody read(HANDLE file, uint64_t size)
{
    BodyReader reader;
    MessageBody read;
    EXPECT_TRUE(reader.begin(file, size, nullptr));
    std::string_view block;
    do {
        EXPECT_TRUE(reader.next(block));
        EXPECT_LE(block.size(), BodyReader::kBlockSize);
        read.body += block;
    } while (!block.empty());
    EXPECT_EQ(read.body.size(), reader.length());
    EXPECT_TRUE(reader.readTail(read.tail));
    return read;
}

} // namespace

TEST_F(BodyReaderTest, TailCompletesTheLineAndPiecesFollowOneAnother)
{
    HANDLE f = open("abcdef\r\nghij\r\nklm\r\n");
    MessageBody first = read(f, 3);
    EXPECT_EQ(first.body, "abc");
    EXPECT_EQ(first.tail, "def\r\n");
    // The body ends in LF: the tail is the whole next line.
    MessageBody second = read(f, 0);
    EXPECT_EQ(second.body, "");
    EXPECT_EQ(second.tail, "ghij\r\n");
    MessageBody third = read(f, 2);
    EXPECT_EQ(third.body, "kl");
    EXPECT_EQ(third.tail, "m\r\n");
    // A planned piece past the end comes out empty, with an empty line as its tail.
    MessageBody last = read(f, 2);
    EXPECT_EQ(last.body, "");
    EXPECT_EQ(last.tail, "\r\n");
}

TEST_F(BodyReaderTest, TailAtTheEndOfTheFileIsCompleted)
{
    HANDLE f = open("abc\r\nde");
    MessageBody body = read(f, 6);
    EXPECT_EQ(body.body, "abc\r\nd");
    EXPECT_EQ(body.tail, "e\r\n");
}

TEST_F(BodyReaderTest, TailHoldsTheLongestEncodedLine)
{
    // 78 characters and a soft break: the longest line the encoder writes, 81 bytes in all.
    const std::string longest = std::string(78, 'x') + "=\r\n";
    HANDLE f = open("ab\r\n" + longest + std::string(200, 'y') + "\r\n");
    MessageBody first = read(f, 4);
    EXPECT_EQ(first.tail, longest);
    // Past that the tail stops at its limit, in the middle of an over-long line.
    MessageBody second = read(f, 1);
    EXPECT_EQ(second.tail.size(), zormon::kMaxTailLength);
    EXPECT_EQ(second.tail, std::string(zormon::kMaxTailLength, 'y'));
}

TEST_F(BodyReaderTest, BodiesOfManyBlocksAreReadWholeAndInOrder)
{
    std::string content;
    for (int line = 0; content.size() < 3 * BodyReader::kBlockSize; ++line)
        content += "line " + std::to_string(line) + " of the encoded job=20with=3Dtext\r\n";
    HANDLE f = open(content);
    const size_t firstSize = BodyReader::kBlockSize * 2 + 5; // ends inside a line
    MessageBody first = read(f, firstSize);
    ASSERT_EQ(first.body.size(), firstSize);
    EXPECT_TRUE(first.body == content.substr(0, firstSize));
    const size_t lineEnd = content.find('\n', firstSize);
    EXPECT_EQ(first.tail, content.substr(firstSize, lineEnd + 1 - firstSize));

    // More is asked for than is left: the length is what is left, the tail becomes CR LF.
    MessageBody second = read(f, content.size());
    EXPECT_TRUE(second.body == content.substr(lineEnd + 1));
    EXPECT_EQ(second.tail, "\r\n");
}

TEST_F(BodyReaderTest, FileCutShortWhileReadShowsMessage315)
{
    zortest::UiJournal journal(root.path() + "/ui.log");
    HANDLE f = open(std::string(BodyReader::kBlockSize + 100, 'x'));
    BodyReader reader;
    ASSERT_TRUE(reader.begin(f, BodyReader::kBlockSize + 100, nullptr));
    std::string_view block;
    ASSERT_TRUE(reader.next(block));
    EXPECT_EQ(block.size(), BodyReader::kBlockSize);
    // The length was told in the header already; fewer bytes must not pass as the body.
    std::filesystem::resize_file(root.driveC("ZORVALINE/Varnel.cod"), 50);
    EXPECT_FALSE(reader.next(block));
    const auto boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].at("text"), "System Error: Could not retrieve printjob.\n");
}

TEST_F(BodyReaderTest, UnreadableFileShowsMessage315)
{
    zortest::UiJournal journal(root.path() + "/ui.log");
    root.writeFile(root.driveC("ZORVALINE/Varnel.cod"), "text\r\n");
    // A handle without read access: the read fails.
    file = CreateFile("C:\\ZORVALINE\\Varnel.cod", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    BodyReader reader;
    ASSERT_TRUE(reader.begin(file, 4, nullptr));
    EXPECT_EQ(reader.length(), 4u);
    std::string_view block;
    EXPECT_FALSE(reader.next(block));
    EXPECT_TRUE(block.empty());
    const auto boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].at("text"), "System Error: Could not retrieve printjob.\n");
}

TEST_F(BodyReaderTest, PiecesOfAnEncodedJobEndInCrLfAndJoinToTheWhole)
{
    // Text with many spaces, so lines of every length up to the longest occur, and piece
    // boundaries land on every kind of position within them.
    std::mt19937 random(7);
    std::string job;
    while (job.size() < 300000)
        job += random() % 40 == 0 ? '\n' : random() % 5 == 0 ? ' ' : static_cast<char>('a' + random() % 26);
    root.writeFile(root.driveC("ZORVALINE/Varnel.tmp"), job);
    ASSERT_TRUE(zormon::EncodeQuotedPrintable("C:\\ZORVALINE\\Varnel.tmp", "C:\\ZORVALINE\\encoded"));
    const std::string encoded = zortest::TempRoot::readFile(root.driveC("ZORVALINE/encoded"));

    for (const char *split : {"2", "3", "7"}) {
        const zormon::PiecePlan plan = zormon::PlanPieces(split, encoded.size());
        ASSERT_GT(plan.pieceCount, 50u);
        HANDLE f = open(encoded);
        std::string joined;
        for (uint64_t k = 1; k <= plan.pieceCount; ++k) {
            const MessageBody piece = read(f, plan.pieceSize);
            const std::string text = piece.body + piece.tail;
            ASSERT_GE(text.size(), 2u);
            ASSERT_EQ(text.substr(text.size() - 2), "\r\n") << "piece " << k << " of split " << split;
            joined += text;
        }
        CloseHandle(f);
        file = INVALID_HANDLE_VALUE;
        // The whole encoding, then at most the empty lines of pieces planned past its end.
        ASSERT_EQ(joined.substr(0, encoded.size()), encoded);
        EXPECT_EQ(joined.find_first_not_of("\r\n", encoded.size()), std::string::npos);
    }
}
