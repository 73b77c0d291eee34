#include "monitor/CoverPageAttach.h"

#include "tests/monitor/SettingsRoot.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

class CoverPageAttach : public ::testing::Test {
protected:
    void SetUp() override
    {
        root.writeFile(root.install("banner.ps"), "%!PS banner page\n");
        root.writeFile(root.install("trailer.ps"), "%!PS trailer page\n");
    }

    // Reads the pages asked for and returns the one message box shown, "" when none.
    std::string failureOf(bool banner, bool trailer)
    {
        zortest::UiJournal journal(root.path() + "/ui.log");
        zormon::CoverPages pages{"stale", "stale"};
        const bool read = zormon::ReadCoverPages(banner, trailer, nullptr, pages);
        const auto boxes = journal.events("messagebox");
        EXPECT_EQ(read, boxes.empty());
        if (boxes.empty())
            return "";
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].at("caption"), "Zorvaline Internet Port");
        return boxes[0].at("text");
    }

    zortest::SettingsRoot root;
};

} // namespace

TEST_F(CoverPageAttach, OnlyThePagesAskedForAreRead)
{
    for (bool banner : {false, true}) {
        for (bool trailer : {false, true}) {
            zormon::CoverPages pages{"stale", "stale"};
            ASSERT_TRUE(zormon::ReadCoverPages(banner, trailer, nullptr, pages));
            EXPECT_EQ(pages.banner, banner ? "%!PS banner page\n" : "");
            EXPECT_EQ(pages.trailer, trailer ? "%!PS trailer page\n" : "");
        }
    }
}

TEST_F(CoverPageAttach, APageThatCannotBeOpenedIsNamed)
{
    std::filesystem::remove(root.install("banner.ps"));
    EXPECT_EQ(failureOf(true, false), "Could not open Header file\n");
    EXPECT_EQ(failureOf(true, true), "Could not open Header file\n");
    EXPECT_EQ(failureOf(false, true), "");

    root.writeFile(root.install("banner.ps"), "%!PS banner page\n");
    std::filesystem::remove(root.install("trailer.ps"));
    EXPECT_EQ(failureOf(false, true), "Could not open Trailer file\n");
    EXPECT_EQ(failureOf(true, true), "Could not open Trailer file\n");
    EXPECT_EQ(failureOf(true, false), "");
}
