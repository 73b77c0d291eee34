// The main frame: every command's enable rule (one case per row of the command table and
// per edge case), the dialog or message each command opens, the title, the status bar.
#include "manager/dialogs/HelpWindow.h"
#include "tests/shell/ShellFixture.h"

#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

using namespace shelltest;

namespace {

class Frame : public ShellTest {
protected:
    Frame() { openFrame(); }

    void addPrinters(int count)
    {
        for (int i = 0; i < count; ++i)
            addPrinter("P" + std::to_string(i));
    }
    void addGroups(int count)
    {
        for (int i = 0; i < count; ++i)
            addGroup("G" + std::to_string(i));
    }
};

TEST_F(Frame, MenusToolbarAndStatusBarAreThere)
{
    QStringList menus;
    for (QAction *menu : frame->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Organizer", "&View", "&Help"}));
    auto *toolBar = frame->findChild<QToolBar *>("toolbar");
    ASSERT_NE(toolBar, nullptr);
    QStringList buttons;
    for (QAction *action : toolBar->actions()) {
        buttons << action->objectName();
        EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
    }
    EXPECT_EQ(buttons, (QStringList{"AddPrinter", "AddGroup", "Import", "Export", "Print", "About", "ContextHelp"}));
    EXPECT_EQ(frame->statusBar()->currentMessage(), "Ready");
    EXPECT_EQ(frame->Command("AddGroup")->statusTip(), "Creates a new group icon on the left pane");
    EXPECT_EQ(frame->Command("AddGroup")->toolTip(), "New Group");
    EXPECT_EQ(frame->Command("Print")->shortcut(), QKeySequence("Ctrl+P"));
    EXPECT_EQ(frame->Command("Save")->shortcut(), QKeySequence("Ctrl+S"));
}

TEST_F(Frame, TitleIsPutBackWithinATenthOfASecond)
{
    EXPECT_EQ(frame->windowTitle(), "Sendaro");
    frame->setWindowTitle("Sendaro - Sendaro.Cfg");
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame->windowTitle() == "Sendaro"; }, 300));
}

TEST_F(Frame, AddPrinterFollowsThePrinterCountTheSelectionAndTheGroupSize)
{
    addPrinters(150);
    rebuild();
    EXPECT_TRUE(enabled("AddPrinter")) << "150 printers";
    EXPECT_TRUE(enabled("Import")) << "150 printers";
    addPrinter("One too many");
    rebuild();
    EXPECT_FALSE(enabled("AddPrinter")) << "151 printers";
    EXPECT_FALSE(enabled("Import")) << "151 printers";
}

TEST_F(Frame, AddPrinterIsDisabledOnAFullGroupAndOnAMemberItem)
{
    addPrinters(8);
    addGroup("Full", {}, {"P0", "P1", "P2", "P3", "P4", "P5", "P6"});
    addGroup("Six", {}, {"P0", "P1", "P2", "P3", "P4", "P5"});
    rebuild();
    select(groupItem("Six"));
    EXPECT_TRUE(enabled("AddPrinter"));
    select(groupItem("Full"));
    EXPECT_FALSE(enabled("AddPrinter")) << "a group that lists 7 printers";
    select(child(groupItem("Six"), "P0"));
    EXPECT_FALSE(enabled("AddPrinter")) << "a member item";
    select(tree->PrintersRoot());
    EXPECT_TRUE(enabled("AddPrinter"));
}

TEST_F(Frame, AddGroupUpToFiftyGroups)
{
    addGroups(50);
    rebuild();
    EXPECT_TRUE(enabled("AddGroup"));
    addGroup("G50");
    rebuild();
    EXPECT_FALSE(enabled("AddGroup"));
}

TEST_F(Frame, CommandsThatAreAlwaysEnabled)
{
    for (const char *command : {"Export", "PrintSetup", "Exit", "CommunicationSetup", "JobOptions", "HelpContents",
                                "About", "ContextHelp"})
        EXPECT_TRUE(enabled(command)) << command << " with nothing selected";
    addPrinter("P1");
    rebuild();
    select(printerItem("P1"));
    for (const char *command : {"Export", "PrintSetup", "Exit", "CommunicationSetup", "JobOptions", "HelpContents",
                                "About", "ContextHelp"})
        EXPECT_TRUE(enabled(command)) << command << " with a printer selected";
}

TEST_F(Frame, PrintWhileTheTreeIsTheActiveView)
{
    QApplication::setActiveWindow(frame.get());
    select(tree->GroupsRoot()); // the list shows its report
    list->Report()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == list->Report(); }, 1000));
    EXPECT_FALSE(enabled("Print")) << "the list has no print command";
    frame->Command("NextPane")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == tree; }, 1000)) << "F6";
    EXPECT_TRUE(enabled("Print"));
}

TEST_F(Frame, AddPrinterToGroupOnlyForAPrinterUnderThePrintersRootThatAGroupCanTake)
{
    addPrinter("P1");
    addPrinter("P2", kDriverJ8);
    addGroup("Lasers", {}, {"P1"}, kDriverH7);
    rebuild();
    select(printerItem("P1"));
    EXPECT_FALSE(enabled("AddPrinterToGroup")) << "every compatible group lists it";
    select(printerItem("P2"));
    EXPECT_FALSE(enabled("AddPrinterToGroup")) << "no group is compatible";
    addGroup("Empty");
    rebuild();
    select(printerItem("P1"));
    EXPECT_TRUE(enabled("AddPrinterToGroup")) << "a group without driver takes any printer";
    select(child(groupItem("Lasers"), "P1"));
    EXPECT_FALSE(enabled("AddPrinterToGroup")) << "a printer shown inside a group";
    select(groupItem("Lasers"));
    EXPECT_FALSE(enabled("AddPrinterToGroup")) << "a group";
}

TEST_F(Frame, DeleteForTopLevelAndMemberItemsButNotTheRoots)
{
    addPrinter("P1");
    addGroup("Sales", {"Sub"}, {"P1"});
    addGroup("Sub", {}, {"P1"});
    rebuild();
    EXPECT_FALSE(enabled("Delete")) << "nothing selected";
    select(tree->GroupsRoot());
    EXPECT_FALSE(enabled("Delete"));
    select(tree->PrintersRoot());
    EXPECT_FALSE(enabled("Delete"));
    select(printerItem("P1"));
    EXPECT_TRUE(enabled("Delete"));
    select(groupItem("Sales"));
    EXPECT_TRUE(enabled("Delete"));
    select(child(groupItem("Sales"), "Sub"));
    EXPECT_TRUE(enabled("Delete")) << "a member item";
    EXPECT_TRUE(enabled("ContextDelete"));
}

TEST_F(Frame, RenameForTheRootsAndTopLevelItems)
{
    addPrinter("P1");
    addGroup("Sales", {}, {"P1"});
    rebuild();
    EXPECT_FALSE(enabled("Rename")) << "nothing selected";
    select(tree->GroupsRoot());
    EXPECT_TRUE(enabled("Rename"));
    select(tree->PrintersRoot());
    EXPECT_TRUE(enabled("Rename"));
    select(groupItem("Sales"));
    EXPECT_TRUE(enabled("Rename"));
    select(child(groupItem("Sales"), "P1"));
    EXPECT_FALSE(enabled("Rename")) << "a member item";
}

TEST_F(Frame, PropertiesForAnyItemButTheRoots)
{
    addPrinter("P1");
    addGroup("Sales", {}, {"P1"});
    rebuild();
    EXPECT_FALSE(enabled("Properties"));
    select(tree->PrintersRoot());
    EXPECT_FALSE(enabled("Properties"));
    select(child(groupItem("Sales"), "P1"));
    EXPECT_TRUE(enabled("Properties"));
    select(groupItem("Sales"));
    EXPECT_TRUE(enabled("Properties"));
}

TEST_F(Frame, CommandsOpenTheirDialogs)
{
    addPrinter("P1");
    addGroup("Sales", {}, {"P1"});
    rebuild();
    EXPECT_EQ(dialogOpenedBy("AddGroup"), "CNewGroupDlg");
    EXPECT_EQ(dialogOpenedBy("CommunicationSetup"), "CCommSetupDlg");
    EXPECT_EQ(dialogOpenedBy("JobOptions"), "CJobOptionsDlg");
    EXPECT_EQ(dialogOpenedBy("About"), "CAboutDlg");
    select(groupItem("Sales"));
    EXPECT_EQ(dialogOpenedBy("Rename"), "CRenameDlg");
    EXPECT_EQ(dialogOpenedBy("Delete"), "CDeleteGroupDlg");
    EXPECT_EQ(dialogOpenedBy("Properties"), "CGroupPropertiesDlg");
    select(printerItem("P1"));
    EXPECT_EQ(dialogOpenedBy("Delete"), "CDeletePrinterDlg");
    EXPECT_EQ(dialogOpenedBy("ContextRename"), "CRenameDlg");
}

TEST_F(Frame, HelpContentsOpensTheContentsPage)
{
    frame->Command("HelpContents")->trigger();
    sendaro::HelpWindow *help = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *window = qobject_cast<sendaro::HelpWindow *>(widget); window && window->isVisible())
            help = window;
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->currentPage().endsWith("/index.html")) << help->currentPage().toStdString();
    help->close();
}

TEST_F(Frame, CancelledDialogsSaveNothing)
{
    const std::string before = databaseText();
    std::filesystem::remove(root.driveC("ZORVALINE/Sendaro.Cfg"));
    dialogOpenedBy("AddGroup");
    EXPECT_FALSE(std::filesystem::exists(root.driveC("ZORVALINE/Sendaro.Cfg")));
    EXPECT_FALSE(before.empty());
}

TEST_F(Frame, SaveThatFailsNamesTheFileAndKeepsTheChange)
{
    addGroup("Sales");
    rebuild();
    // A folder where the database file should be: it cannot be replaced.
    const std::string file = root.driveC("ZORVALINE/Sendaro.Cfg");
    std::filesystem::remove(file);
    std::filesystem::create_directories(file + "/blocked");
    prompts.expectBox("The destination database could not be saved to " + file +
                      ".\nYour change is kept in this window: correct the problem (free space, permissions), "
                      "then save with Ctrl+S.");
    frame->Command("Save")->trigger();
    EXPECT_EQ(doc.Groups().size(), 1u) << "the change stays in memory";
}

} // namespace
