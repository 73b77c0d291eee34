// The message-box routine and the progress window, as the user-interface journal sees them.
#include "monitor/MessageBoxRoutine.h"
#include "monitor/MonitorStrings.h"
#include "monitor/ProgressWindow.h"
#include "platform/ui/ui.h"
#include "tests/support/TempRoot.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>

#include <string>

namespace zortest {
namespace {

class MonitorMessagesTest : public ::testing::Test {
protected:
    TempRoot root;
    UiJournal journal{root.path() + "/ui.log"};
};

TEST_F(MonitorMessagesTest, TextIsFormattedAndEndsWithANewLine)
{
    EXPECT_EQ(ShowMonitorMessage(nullptr, MB_ICONSTOP, MonitorString::MonitorCaption, MonitorString::CannotConnect,
                                 "smtp.example.test"),
              IDOK);
    EXPECT_EQ(ShowMonitorMessage(nullptr, MB_ICONINFORMATION, MonitorString::PrintSuccess, MonitorString::JobSent),
              IDOK);

    std::vector<UiEvent> boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0]["caption"], "Zorvaline Internet Port Monitor");
    EXPECT_EQ(boxes[0]["text"], "Network Error: Could not connect to SMTP Server - smtp.example.test.\n");
    EXPECT_EQ(boxes[0]["icon"], "stop");
    EXPECT_EQ(boxes[1]["caption"], "Print Success");
    EXPECT_EQ(boxes[1]["text"], "The Print Job was successfully sent\n");
    EXPECT_EQ(boxes[1]["icon"], "information");
}

TEST_F(MonitorMessagesTest, OverlongArgumentIsCutToTheMessageBuffer)
{
    const std::string server(3000, 's');
    ShowMonitorMessage(nullptr, MB_ICONSTOP, MonitorString::MonitorCaption, MonitorString::CannotResolveHost,
                       server.c_str());

    std::vector<UiEvent> boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    const std::string text = boxes[0]["text"];
    EXPECT_EQ(text.size(), 1023u) << "text, new line and terminator share 1,024 bytes";
    EXPECT_EQ(text.rfind("Network Error: Could not resolve SMTP Hostname - sss", 0), 0u);
    EXPECT_EQ(text.back(), '\n');
}

TEST_F(MonitorMessagesTest, TextOrCaptionMissingFromTheTableShowsNothing)
{
    EXPECT_EQ(ShowMonitorMessage(nullptr, MB_ICONSTOP, MonitorString::MonitorCaption, 4242), 0);
    EXPECT_EQ(ShowMonitorMessage(nullptr, MB_ICONSTOP, 4242, MonitorString::NoRecipient), 0);
    EXPECT_TRUE(journal.events("messagebox").empty());
}

TEST_F(MonitorMessagesTest, ProgressWindowOpensAtOneOfTenAndIgnoresCallsOnceClosed)
{
    ProgressWindow::Open("Sales Floor");
    EXPECT_TRUE(ProgressWindow::IsOpen());
    EXPECT_EQ(ProgressWindow::PrinterName(), "Sales Floor");
    std::vector<UiEvent> created = journal.events("progress-created");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0]["title"], "Vireon Internet Printing on Sales Floor ");
    std::vector<UiEvent> progress = journal.events("progress");
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back()["min"], "0");
    EXPECT_EQ(progress.back()["max"], "10");
    EXPECT_EQ(progress.back()["pos"], "1");

    ProgressWindow::ShowStage("Vireon Internet Printing on %s Connecting");
    EXPECT_EQ(journal.events("title").back()["title"], "Vireon Internet Printing on Sales Floor Connecting");
    EXPECT_EQ(journal.events("progress").back()["pos"], "2");

    ProgressWindow::Close();
    EXPECT_FALSE(ProgressWindow::IsOpen());
    EXPECT_EQ(journal.events("progress-destroyed").size(), 1u);
    const size_t eventsWhenClosed = journal.events().size();
    ProgressWindow::Step();
    ProgressWindow::SetTitle("nobody sees this");
    ProgressWindow::ShowStage("Vireon Internet Printing on %s Data Sent");
    EXPECT_EQ(journal.events().size(), eventsWhenClosed);
}

} // namespace
} // namespace zortest
