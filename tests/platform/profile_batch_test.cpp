#include "platform/profile/profile.h"

#include "platform/base/lasterror.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

struct Call {
    std::optional<std::string> section, key, value;
};

const char *text(const std::optional<std::string> &value)
{
    return value ? value->c_str() : nullptr;
}

class ProfileBatchTest : public testing::Test {
protected:
    ProfileBatchTest() { fs::create_directories(m_root.driveC("ZORVALINE")); }

    // The same calls made one by one on one copy of `start` and in a batch on another; both
    // files must end byte for byte the same.
    void expectSameResult(const std::string &start, const std::vector<Call> &calls)
    {
        m_root.writeFile(m_root.driveC("ZORVALINE/OneByOne.ini"), start);
        m_root.writeFile(m_root.driveC("ZORVALINE/Batch.ini"), start);
        zorplat::ProfileBatch batch("C:\\ZORVALINE\\Batch.ini");
        for (const Call &call : calls) {
            const BOOL single = WritePrivateProfileString(text(call.section), text(call.key), text(call.value),
                                                          "C:\\ZORVALINE\\OneByOne.ini");
            EXPECT_EQ(batch.WriteString(text(call.section), text(call.key), text(call.value)), single);
        }
        ASSERT_TRUE(batch.Commit());
        EXPECT_EQ(zortest::TempRoot::readFile(m_root.driveC("ZORVALINE/Batch.ini")),
                  zortest::TempRoot::readFile(m_root.driveC("ZORVALINE/OneByOne.ini")));
    }

    std::string file() const { return zortest::TempRoot::readFile(m_root.driveC("ZORVALINE/Batch.ini")); }

    zortest::TempRoot m_root;
};

const std::string kStart = "; kept\nstray=1\n[Title]\nName=Book\n\n[Index]\n; list\nA=1\nB\n[Index]\nC=dup\n";

TEST_F(ProfileBatchTest, AScriptedSequenceMatchesTheCallsOneByOne)
{
    expectSameResult(kStart, {
                                 {"Index", "C", "3"},        // a new key in the first [Index]
                                 {"index", "a", "one"},      // replaced in place
                                 {"INDEX", "A", "one"},      // the same value again
                                 {"Title", "Name", std::nullopt}, // deleted
                                 {"Title", "none", std::nullopt}, // nothing to delete
                                 {"Fresh", "x", "\"q\""},    // a new section
                                 {"Index", std::nullopt, std::nullopt},
                                 {"Index", "C", "again"},    // now the second [Index]
                                 {"Gone", std::nullopt, std::nullopt},
                                 {"Fresh", "bad", "a\nb"},   // refused both ways
                                 {"Title", "Name", "Back"},
                             });
    EXPECT_NE(file().find("[Fresh]\r\nx=\"q\"\r\n"), std::string::npos);
}

TEST_F(ProfileBatchTest, RandomSequencesMatchTheCallsOneByOne)
{
    std::mt19937 random(42);
    const char *sections[] = {"Title", "Index", "Printer A", "printer a", "Group"};
    const char *keys[] = {"Name", "name", "Address", "Flags", "Members"};
    const char *values[] = {"", "x", " padded ", "\"quoted\"", "a=b", "long value with spaces"};
    auto pick = [&](auto &choices) { return choices[random() % std::size(choices)]; };
    std::vector<Call> calls;
    for (int i = 0; i < 50; ++i) {
        const unsigned kind = random() % 10;
        if (kind == 0)
            calls.push_back({pick(sections), std::nullopt, std::nullopt});
        else if (kind < 3)
            calls.push_back({pick(sections), pick(keys), std::nullopt});
        else
            calls.push_back({pick(sections), pick(keys), pick(values)});
    }
    expectSameResult(kStart, calls);
}

TEST_F(ProfileBatchTest, PendingWritesAreVisibleToTheBatchOnlyUntilCommitted)
{
    m_root.writeFile(m_root.driveC("ZORVALINE/Batch.ini"), "[A]\r\nx=1\r\n");
    char buffer[64];
    {
        zorplat::ProfileBatch batch("C:\\ZORVALINE\\batch.INI");
        ASSERT_TRUE(batch.WriteString("A", "y", "'two'"));
        ASSERT_TRUE(batch.WriteString("B", "z", "3"));
        EXPECT_EQ(batch.GetString("a", "Y", "", buffer, sizeof buffer), 3u);
        EXPECT_STREQ(buffer, "two");
        EXPECT_EQ(batch.GetString(nullptr, nullptr, "", buffer, sizeof buffer), 4u);
        EXPECT_EQ(std::string(buffer, 5), "A\0B\0\0"s);
        EXPECT_EQ(GetPrivateProfileString("A", "y", "none", buffer, sizeof buffer, "C:\\ZORVALINE\\Batch.ini"), 4u);
        EXPECT_EQ(file(), "[A]\r\nx=1\r\n");
    }
    // Dropped without a commit: nothing written.
    EXPECT_EQ(file(), "[A]\r\nx=1\r\n");
}

TEST_F(ProfileBatchTest, CommitAppliesTheCallsToTheFileAsItIsThen)
{
    m_root.writeFile(m_root.driveC("ZORVALINE/Batch.ini"), "[A]\r\nx=1\r\n");
    zorplat::ProfileBatch batch("C:\\ZORVALINE\\Batch.ini");
    ASSERT_TRUE(batch.WriteString("A", "mine", "m"));
    // Another writer comes in between.
    ASSERT_TRUE(WritePrivateProfileString("A", "theirs", "t", "C:\\ZORVALINE\\Batch.ini"));
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(file(), "[A]\r\nx=1\r\ntheirs=t\r\nmine=m\r\n");

    zorplat::ProfileBatch lost("C:\\ZORVALINE\\Missing\\x.ini");
    ASSERT_TRUE(lost.WriteString("A", "b", "c"));
    SetLastError(0);
    EXPECT_FALSE(lost.Commit());
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

} // namespace
