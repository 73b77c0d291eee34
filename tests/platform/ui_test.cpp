// Message boxes, the foreground timer and the progress window, as the journal records them.
#include "platform/base/lasterror.h"
#include "platform/ui/ui.h"
#include "tests/support/TempRoot.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

class UiTest : public ::testing::Test {
protected:
    ~UiTest() override { zorplat::SetUiBackend(nullptr); }

    zortest::TempRoot root;
    zortest::UiJournal journal {root.path() + "/ui.jsonl"};
};

TEST_F(UiTest, HeadlessBoxesTakeTheDefaultButtonAndAreJournalled)
{
    EXPECT_EQ(MessageBox(nullptr, "Sent", "Print Success", MB_OK | MB_ICONINFORMATION), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "Delete?", "Sendaro", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "Save?", "Sendaro", MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Go on?", "Sendaro", MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON3), IDOK)
        << "a default past the last button falls back to the first";
    EXPECT_EQ(MessageBox(GetDesktopWindow(), "Failed", "Print Manager", MB_ICONSTOP | MB_SYSTEMMODAL), IDOK);

    const std::vector<zortest::UiEvent> boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].at("caption"), "Print Success");
    EXPECT_EQ(boxes[0].at("text"), "Sent");
    EXPECT_EQ(boxes[0].at("icon"), "information");
    EXPECT_EQ(boxes[0].at("answer"), std::to_string(IDOK));
    EXPECT_EQ(boxes[1].at("icon"), "question");
    EXPECT_EQ(boxes[1].at("buttons"), "yesno");
    EXPECT_EQ(boxes[1].at("answer"), std::to_string(IDNO));
    EXPECT_EQ(boxes[2].at("icon"), "none");
    EXPECT_EQ(boxes[3].at("icon"), "exclamation");
    EXPECT_EQ(boxes[4].at("icon"), "stop");
    EXPECT_EQ(boxes[4].at("type"), std::to_string(MB_ICONSTOP | MB_SYSTEMMODAL));

    EXPECT_EQ(MessageBox(nullptr, nullptr, "x", MB_OK), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(journal.events("messagebox").size(), 5u);
}

TEST_F(UiTest, TextsSurviveTheJournalAndGoToStandardError)
{
    const std::string text = "Line \"one\"\n\tback\\slash \x01 Gr\xc3\xbc\xc3\x9f" "e, Latin-1 \xe9 end\n";
    testing::internal::CaptureStderr();
    MessageBox(nullptr, text.c_str(), nullptr, MB_OK);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_EQ(shown, "Error: " + text.substr(0, text.size() - 1) + "\n") << "a null caption reads Error";

    const std::vector<zortest::UiEvent> boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].at("caption"), "Error");
    // Every byte comes back, the stray 8-bit one as the Latin-1 character of that value.
    EXPECT_EQ(boxes[0].at("text"),
              "Line \"one\"\n\tback\\slash \x01 Gr\xc3\xbc\xc3\x9f" "e, Latin-1 \xc3\xa9 end\n");
}

// Keeps each box up for a while and counts the foreground requests it gets meanwhile.
class SlowBackend : public zorplat::UiBackend {
public:
    explicit SlowBackend(std::atomic<int> &raised) : m_raised(raised) {}
    int showMessageBox(const zorplat::MessageBoxRequest &) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        return IDYES;
    }
    void bringMessageBoxToForeground(const zorplat::MessageBoxRequest &request) override
    {
        if (request.caption == "Zorvaline Internet Port")
            ++m_raised;
    }
    void progressWindowCreated(HWND, const zorplat::ProgressState &) override {}
    void progressWindowChanged(HWND, const zorplat::ProgressState &) override {}
    void progressWindowToForeground(HWND) override {}
    void progressWindowDestroyed(HWND) override {}

private:
    std::atomic<int> &m_raised;
};

TEST_F(UiTest, BoxIsBroughtToTheForegroundWhileItIsUp)
{
    std::atomic<int> raised {0};
    zorplat::SetUiBackend(std::make_unique<SlowBackend>(raised));

    EXPECT_EQ(MessageBox(nullptr, "plain", "Zorvaline Internet Port", MB_YESNO), IDYES);
    EXPECT_EQ(raised.load(), 0) << "a plain box has no timer";

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(zorplat::MessageBoxKeptInForeground(nullptr, "kept", "Zorvaline Internet Port",
                                                  MB_OK | MB_ICONSTOP, 10),
              IDYES);
    const auto upFor = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    const int whileUp = raised.load();
    EXPECT_GE(whileUp, 3);
    EXPECT_LE(whileUp, upFor.count() / 10) << "at most one request per period";
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_EQ(raised.load(), whileUp) << "the timer stops with the box";
    EXPECT_EQ(journal.events("foreground").size(), static_cast<size_t>(whileUp));
    ASSERT_EQ(journal.events("messagebox").size(), 2u);
    EXPECT_EQ(journal.events("messagebox")[1].at("answer"), std::to_string(IDYES));

    zorplat::SetUiBackend(nullptr);
    EXPECT_EQ(MessageBox(nullptr, "headless again", "x", MB_YESNO), IDYES);
}

TEST_F(UiTest, ProgressWindowStepsWrapsAndIsJournalled)
{
    HWND window = zorplat::CreateProgressWindow("Vireon Internet Printing on Sales ");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(SetForegroundWindow(window));
    EXPECT_TRUE(zorplat::SetProgressRange(window, 0, 10));
    EXPECT_TRUE(zorplat::SetProgressStep(window, 1));
    EXPECT_TRUE(zorplat::StepProgress(window));
    EXPECT_EQ(zorplat::ProgressWindowState(window)->position, 1);
    EXPECT_TRUE(SetWindowText(window, "Sending piece 1 of 2"));
    EXPECT_TRUE(zorplat::SetProgressPosition(window, 25));
    EXPECT_EQ(zorplat::ProgressWindowState(window)->position, 10) << "clamped to the range";
    EXPECT_TRUE(zorplat::SetProgressStep(window, 3));
    EXPECT_TRUE(zorplat::StepProgress(window));
    EXPECT_EQ(zorplat::ProgressWindowState(window)->position, 3) << "past the end it starts over";
    EXPECT_FALSE(zorplat::SetProgressRange(window, 5, 5));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(DestroyWindow(window));

    EXPECT_FALSE(zorplat::StepProgress(window));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(SetWindowText(window, "gone"));
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_FALSE(DestroyWindow(GetDesktopWindow()));

    const std::vector<zortest::UiEvent> events = journal.events();
    std::vector<std::string> kinds;
    for (const zortest::UiEvent &event : events)
        kinds.push_back(event.at("event"));
    EXPECT_EQ(kinds, (std::vector<std::string>{"progress-created", "foreground", "progress", "progress",
                                               "progress", "title", "progress", "progress", "progress",
                                               "progress-destroyed"}));
    EXPECT_EQ(events[0].at("title"), "Vireon Internet Printing on Sales ");
    EXPECT_EQ(events[4].at("pos"), "1");
    EXPECT_EQ(events[4].at("max"), "10");
    EXPECT_EQ(events[5].at("title"), "Sending piece 1 of 2");
    EXPECT_EQ(events[8].at("title"), "Sending piece 1 of 2");
    EXPECT_EQ(events[8].at("pos"), "3");
}

} // namespace
