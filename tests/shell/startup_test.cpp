// Start-up of the program object: the window on a fresh database, one copy per root, and a
// database that cannot be opened.
#include "manager/shell/CManagerApp.h"
#include "manager/shell/SingleInstance.h"
#include "tests/shell/ShellFixture.h"

#include <QSignalSpy>

using namespace shelltest;

namespace {

using StartUp = ShellTest;

TEST_F(StartUp, FreshRootShowsTheWindowWithOnlyTheTwoRoots)
{
    CManagerApp app;
    ASSERT_TRUE(app.InitInstance({}));
    CMainFrame *mainFrame = app.MainFrame();
    ASSERT_NE(mainFrame, nullptr);
    EXPECT_TRUE(mainFrame->isVisible());
    EXPECT_FALSE(mainFrame->isMinimized());
    EXPECT_EQ(mainFrame->windowTitle(), "Sendaro");
    EXPECT_EQ(mainFrame->Tree()->topLevelItemCount(), 2);
    EXPECT_EQ(mainFrame->Tree()->PrintersRoot()->childCount(), 0);
    EXPECT_TRUE(std::filesystem::exists(root.driveC("ZORVALINE/Sendaro.Cfg")));
    EXPECT_FALSE(app.propertiesMode);
}

TEST_F(StartUp, SecondCopyOnTheSameRootSaysSoAndShowsNoWindow)
{
    CManagerApp first;
    ASSERT_TRUE(first.InitInstance({}));
    CManagerApp second;
    prompts.expectBox("Already one instance is running");
    EXPECT_FALSE(second.InitInstance({}));
    EXPECT_EQ(second.MainFrame(), nullptr);
}

TEST_F(StartUp, SecondStartAsksTheFirstToShowItsWindow)
{
    const QString rootPath = QString::fromStdString(root.path());
    SingleInstance first(rootPath);
    ASSERT_TRUE(first.Acquire());
    QSignalSpy asked(&first, &SingleInstance::activationRequested);
    SingleInstance second(rootPath);
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(asked.count() > 0 || asked.wait(2000));
}

TEST_F(StartUp, WithoutThePortMonitorTheDatabaseIsNotOpened)
{
    std::filesystem::remove(root.driveC("WINDOWS/SYSTEM/ZORMON.DLL"));
    CManagerApp app;
    prompts.expectBox("Adding the Zorvaline Port Monitor failed");
    EXPECT_FALSE(app.InitInstance({}));
    EXPECT_FALSE(app.MainFrame() && app.MainFrame()->isVisible());
    EXPECT_FALSE(std::filesystem::exists(root.driveC("ZORVALINE/Sendaro.Cfg")));
}

TEST_F(StartUp, DatabaseNamedOnTheCommandLine)
{
    const std::string other = root.path() + "/other.cfg";
    root.writeFile(other, "[TitleName]\r\nGroupsTitle=Our Groups\r\nPrintersTitle=Our Printers\r\n"
                          "DefaultItem=\r\nItemType=\r\n\r\n[ChoosersDatabaseSectionNames]\r\n"
                          "TitleName=TitleName\r\n");
    {
        CManagerApp app;
        ASSERT_TRUE(app.InitInstance({QString::fromStdString(other)}));
        EXPECT_EQ(app.MainFrame()->Tree()->GroupsRoot()->text(0), "Our Groups");
    }
    CManagerApp missing;
    prompts.expectBox("Failed to open document.");
    EXPECT_FALSE(missing.InitInstance({QString::fromStdString(root.path() + "/none.cfg")}));
}

} // namespace
