// The built module as its hosts load it: the exports are found by name, and the module
// carries its own string table.
#include "platform/kernel/module.h"
#include "platform/profile/profile.h"
#include "platform/kernel/stringtable.h"
#include "tests/support/TempRoot.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>

#include <string>

namespace zortest {
namespace {

using ChooserGetStatusFn = int (*)(LPSTR address);
using ProgressDlgProcFn = BOOL (*)(HWND, UINT, uintptr_t, intptr_t);

class MonitorModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module = LoadLibrary(ZORVALINE_BIN_DIR "/libzormon.so");
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override
    {
        if (module)
            FreeLibrary(module);
    }

    TempRoot root;
    UiJournal journal{root.path() + "/ui.log"};
    HMODULE module = nullptr;
};

TEST_F(MonitorModuleTest, ExportsAreFoundByName)
{
    EXPECT_NE(GetProcAddress(module, "InitializeMonitorEx"), nullptr);
    auto progressDlgProc = reinterpret_cast<ProgressDlgProcFn>(GetProcAddress(module, "ProgressDlgProc"));
    ASSERT_NE(progressDlgProc, nullptr);
    EXPECT_EQ(progressDlgProc(nullptr, 0x0110, 0, 0), TRUE) << "WM_INITDIALOG";
    EXPECT_EQ(progressDlgProc(nullptr, 0x0111, 0, 0), FALSE);
    EXPECT_EQ(progressDlgProc(nullptr, 0x0010, 0, 0), FALSE);
}

TEST_F(MonitorModuleTest, StatusRequestThroughTheModuleShowsItsOwnTexts)
{
    char text[120];
    ASSERT_GT(LoadString(module, 500, text, sizeof text), 0);
    EXPECT_STREQ(text, "Zorvaline Internet Port Monitor");

    // No communication setup at all: the request is refused with the module's message 311.
    root.writeFile(root.driveC("WINDOWS/SYSTEM/Varnel.ini"), "[Install]\r\nDirectory=C:\\ZORVALINE\r\n");
    auto chooserGetStatus = reinterpret_cast<ChooserGetStatusFn>(GetProcAddress(module, "ChooserGetStatus"));
    ASSERT_NE(chooserGetStatus, nullptr);
    char address[] = "laser7@printers.example.test";
    EXPECT_EQ(chooserGetStatus(address), 1);
    std::vector<UiEvent> boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["caption"], "Zorvaline Internet Port Monitor");
    EXPECT_EQ(boxes[0]["text"], "No SMTP Server Specified in the communication setup: Printjob not sent.\n");
}

} // namespace
} // namespace zortest
