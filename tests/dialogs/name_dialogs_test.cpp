// New Group and Rename: the name checks in their order, the question on an empty
// description, the calls made on the tree, and what the database file keeps.
#include "manager/dialogs/CNewGroupDlg.h"
#include "manager/dialogs/CRenameDlg.h"
#include "tests/dialogs/DialogTestSupport.h"

using namespace dialogtest;
using Kind = TreeOperations::ItemKind;

namespace {

const char *const kCharacterMessage =
    "Name can have any of the following characters\n Alphabet ( A - Z or a - z  ),\n Number ( 0 - 9 ),\n Hyphen "
    "( - ),\n Underscore ( _ ),\n Apostrophe ( ' ) and \n Space. Space cannot be the first or the last character.";
const char *const kEdgeSpaceMessage = "Space can not be the first or the last character.";
const char *const kHeaderMessage = "Entered name is the same as one of the headers' names.";
const char *const kExistsMessage = "This printer/group name already exists";

class NameDialogs : public DialogTest {
protected:
    NameDialogs()
    {
        addPrinter("Lab");
        addGroup("Sales", kDriver, {}, {"Lab"}, "Everyone on the second floor");
        save();
    }

    bool okEnabled(QDialog &dialog) { return Find(dialog, "1")->isEnabled(); }
};

TEST_F(NameDialogs, NewGroupOffersOkOnlyWithAName)
{
    CNewGroupDlg dialog(tree);
    EXPECT_EQ(dialog.windowTitle(), "New Group");
    EXPECT_EQ(Find<QLineEdit>(dialog, "1000")->maxLength(), 32);
    EXPECT_EQ(Find<QLineEdit>(dialog, "1001")->maxLength(), 255);
    EXPECT_EQ(Find(dialog, "1000")->accessibleName(), "Group Name           :");
    EXPECT_EQ(HintOver(dialog, "1000"), "Enter the group name here.");
    EXPECT_EQ(HintOver(dialog, "1001"), "Enter the  group description here.");
    dialog.show();
    EXPECT_FALSE(okEnabled(dialog));
    Type(dialog, "1000", "N");
    EXPECT_TRUE(okEnabled(dialog));
    QTest::keyClick(Find(dialog, "1000"), Qt::Key_Backspace);
    EXPECT_FALSE(okEnabled(dialog));
}

TEST_F(NameDialogs, NewGroupAsksAboutAnEmptyDescription)
{
    CNewGroupDlg dialog(tree);
    dialog.show();
    Type(dialog, "1000", "Warehouse");
    prompts.expectBox("Description field is empty", IDCANCEL);
    Click(dialog, "1");
    EXPECT_TRUE(dialog.isVisible()) << "Cancel returns to the dialog";
    EXPECT_TRUE(tree.calls.empty());
    EXPECT_TRUE(HasFocus(dialog, "1001"));

    prompts.expectBox("Description field is empty", IDOK);
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(tree.calls, (std::vector<std::string>{"SetGroupDescription()", "AddNewDestination(Warehouse, group)"}));
}

TEST_F(NameDialogs, NewGroupKeepsItsDescription)
{
    CNewGroupDlg dialog(tree);
    dialog.show();
    Type(dialog, "1000", "Warehouse");
    Type(dialog, "1001", "Dock printers");
    Click(dialog, "1");
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    const GroupRecord *group = doc.FindGroup("Warehouse");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GroupDescription, "Dock printers");
    save();
    char stored[256] = {};
    GetPrivateProfileString("Warehouse", "GroupDescription", "", stored, sizeof stored, kDatabasePath);
    EXPECT_STREQ(stored, "Dock printers");
}

TEST_F(NameDialogs, NewGroupRefusesNamesInTheOrderOfItsChecks)
{
    CNewGroupDlg dialog(tree);
    dialog.show();
    const struct {
        const char *name;
        const char *message;
    } refused[] = {
        {"Floor.2 ", kEdgeSpaceMessage}, // the edge space is tested before the characters
        {"Floor.2", kCharacterMessage},
        {"INTERNET-CONNECTED printers", kHeaderMessage},
        {"sales", kExistsMessage},
        {"LAB", kExistsMessage},
    };
    for (const auto &entry : refused) {
        Find<QLineEdit>(dialog, "1000")->clear();
        Type(dialog, "1000", entry.name);
        Type(dialog, "1001", "x");
        prompts.expectBox(entry.message);
        Click(dialog, "1");
        EXPECT_TRUE(dialog.isVisible()) << entry.name;
        EXPECT_TRUE(HasFocus(dialog, "1000")) << entry.name;
    }
    EXPECT_TRUE(tree.calls.empty());
}

TEST_F(NameDialogs, NewGroupWithA32CharacterNameIsWarnedAboutAndCreated)
{
    const std::string name(32, 'G');
    CNewGroupDlg dialog(tree);
    dialog.show();
    Type(dialog, "1000", QString::fromStdString(name) + "more");
    Type(dialog, "1001", "Long name");
    EXPECT_EQ(Text(dialog, "1000").toStdString(), name) << "the edit takes 32 characters";
    prompts.expectBox("GroupName should not exceed 32 characters in length");
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(tree.calls.back(), "AddNewDestination(" + name + ", group)");
}

TEST_F(NameDialogs, RenameOffersOkOnlyWithANewName)
{
    tree.select(Kind::Printer, "Lab", Kind::PrintersRoot);
    CRenameDlg dialog(tree);
    EXPECT_EQ(dialog.windowTitle(), "Rename");
    EXPECT_EQ(Text(dialog, "1035"), "Lab");
    EXPECT_TRUE(Find<QLineEdit>(dialog, "1035")->isReadOnly());
    EXPECT_EQ(Find<QLineEdit>(dialog, "1036")->maxLength(), 31);
    EXPECT_FALSE(Find(dialog, "1048")->isEnabled());
    EXPECT_EQ(Text(dialog, "1048"), "") << "a printer has no group description";
    EXPECT_EQ(HintOver(dialog, "1035"), "Shows the name of the selected printer or group.");
    EXPECT_EQ(HintOver(dialog, "1036"), "Enter the new name for the group or printer.");
    dialog.show();
    EXPECT_FALSE(okEnabled(dialog));
    Type(dialog, "1036", "Lab 2");
    EXPECT_TRUE(okEnabled(dialog));
}

TEST_F(NameDialogs, RenamingTheSecondRootChangesItsCaptionOnce)
{
    tree.select(Kind::PrintersRoot, doc.PrintersTitle(), Kind::None);
    {
        CRenameDlg dialog(tree);
        EXPECT_EQ(Find<QLineEdit>(dialog, "1036")->maxLength(), 255);
        dialog.show();
        Type(dialog, "1036", "Office Printers");
        Click(dialog, "1");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(tree.calls, std::vector<std::string>{"RenameRoot(printers, Office Printers)"});
    save();
    char caption[256] = {};
    GetPrivateProfileString("TitleName", "PrintersTitle", "", caption, sizeof caption, kDatabasePath);
    EXPECT_STREQ(caption, "Office Printers");

    CRenameDlg again(tree);
    again.show();
    Type(again, "1036", "office printers");
    prompts.expectBox(kHeaderMessage);
    Click(again, "1");
    EXPECT_TRUE(again.isVisible());
    EXPECT_EQ(tree.calls.size(), 1u);
}

TEST_F(NameDialogs, RenameRefusesNamesInTheOrderOfItsChecks)
{
    addWindowsPrinter("Outside Queue");
    doc.SetGroupsTitle("All Groups"); // a printer's new name is too short for the default caption
    tree.select(Kind::Printer, "Lab", Kind::PrintersRoot);
    CRenameDlg dialog(tree);
    dialog.show();
    const struct {
        const char *name;
        const char *message;
    } refused[] = {
        {"ALL groups", kHeaderMessage},
        {" Lab(2)", kCharacterMessage}, // the characters are tested before the edge space
        {" Lab 2", kEdgeSpaceMessage},
        {"OUTSIDE QUEUE", kExistsMessage},
        {"Sales", kExistsMessage},
    };
    for (const auto &entry : refused) {
        Find<QLineEdit>(dialog, "1036")->clear();
        Type(dialog, "1036", entry.name);
        prompts.expectBox(entry.message);
        Click(dialog, "1");
        EXPECT_TRUE(dialog.isVisible()) << entry.name;
        EXPECT_TRUE(HasFocus(dialog, "1036")) << entry.name;
    }
    EXPECT_TRUE(tree.calls.empty());
    EXPECT_TRUE(hasSection("Lab"));
}

TEST_F(NameDialogs, RenamingAPrinterDropsItsOldSection)
{
    tree.select(Kind::Printer, "Lab", Kind::PrintersRoot);
    CRenameDlg dialog(tree);
    dialog.show();
    Type(dialog, "1036", "Lab West");
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(tree.calls, std::vector<std::string>{"RenameSelectedItem(Lab West, printer)"});
    EXPECT_FALSE(hasSection("Lab"));
    EXPECT_FALSE(indexLists("Lab"));
    save();
    EXPECT_TRUE(hasSection("Lab West"));
}

TEST_F(NameDialogs, RenamingAGroupShowsAndKeepsItsDescription)
{
    tree.select(Kind::Group, "Sales", Kind::GroupsRoot);
    CRenameDlg dialog(tree);
    auto *description = Find<QLineEdit>(dialog, "1048");
    EXPECT_EQ(description->text(), "Everyone on the second floor");
    EXPECT_FALSE(description->isEnabled());
    EXPECT_EQ(description->accessibleName(), "Group Description:");
    dialog.show();
    Type(dialog, "1036", "Sales Team");
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(tree.calls, (std::vector<std::string>{"SetGroupDescription(Everyone on the second floor)",
                                                    "RenameSelectedItem(Sales Team, group)"}));
    save();
    char stored[256] = {};
    GetPrivateProfileString("Sales Team", "GroupDescription", "", stored, sizeof stored, kDatabasePath);
    EXPECT_STREQ(stored, "Everyone on the second floor");
    EXPECT_FALSE(hasSection("Sales"));
}

} // namespace
