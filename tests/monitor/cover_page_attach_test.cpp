#include "monitor/CoverPageAttach.h"

#include "platform/files/files.h"
#include "platform/base/handles.h"
#include "tests/monitor/SettingsRoot.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class CoverPageAttach : public ::testing::Test {
protected:
    // A job of several megabytes, so that it is moved behind the banner block by block; each
    // line tells where it stood, so a block put in the wrong place shows.
    void SetUp() override
    {
        for (int line = 0; job.size() < (size_t{5} << 20) / 2; ++line)
            job += "(line " + std::to_string(line) + ") show\n";
        root.writeFile(root.install("banner.ps"), "%!PS banner page\n");
        root.writeFile(root.install("trailer.ps"), "%!PS trailer page\n");
    }

    // Attaches to a fresh copy of the job; the copy as it stands afterwards.
    std::string attach(bool banner, bool trailer, bool expected = true)
    {
        root.writeFile(root.install("Varnel.tmp"), job);
        HANDLE copy = CreateFile("C:\\ZORVALINE\\Varnel.tmp", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(copy, INVALID_HANDLE_VALUE);
        EXPECT_EQ(zormon::AttachCoverPages(copy, banner, trailer, nullptr), expected);
        CloseHandle(copy);
        return zortest::TempRoot::readFile(root.install("Varnel.tmp"));
    }

    zortest::SettingsRoot root;
    std::string job;
};

} // namespace

TEST_F(CoverPageAttach, PagesGoAroundALargeJobByteForByte)
{
    EXPECT_TRUE(attach(true, false) == "%!PS banner page\n" + job);
    EXPECT_TRUE(attach(false, true) == job + "%!PS trailer page\n");
    EXPECT_TRUE(attach(true, true) == "%!PS banner page\n" + job + "%!PS trailer page\n");
    EXPECT_TRUE(attach(false, false) == job);
}

TEST_F(CoverPageAttach, AMissingBannerLeavesTheJobAsItWas)
{
    zortest::UiJournal journal(root.path() + "/ui.log");
    std::filesystem::remove(root.install("banner.ps"));
    EXPECT_TRUE(attach(true, true, false) == job);
    const auto boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].at("caption"), "Zorvaline Internet Port");
    EXPECT_EQ(boxes[0].at("text"), "Could not open Header file\n");
}
