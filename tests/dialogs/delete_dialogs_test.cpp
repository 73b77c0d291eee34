// Delete Group and Delete Printer: what leaves the database, the file and the spooler, and
// what stays when an item is only taken out of a group.
#include "manager/database/CDatabaseReader.h"
#include "manager/dialogs/CDeleteGroupDlg.h"
#include "manager/dialogs/CDeletePrinterDlg.h"
#include "tests/dialogs/DialogTestSupport.h"

using namespace dialogtest;
using Kind = TreeOperations::ItemKind;

namespace {

class DeleteDialogs : public DialogTest {
protected:
    DeleteDialogs()
    {
        addPrinter("Front Desk");
        addPrinter("Lab");
        addGroup("Sales", kDriver, {"Floor 2"}, {"Front Desk"});
        addGroup("Floor 2", kDriver, {}, {"Lab"});
        save();
    }

    // The file as it stands before the caller's save still opens.
    static bool databaseStillReadable()
    {
        CDatabaseReader reader;
        return reader.CheckDatabaseFile(kDatabasePath);
    }
};

TEST_F(DeleteDialogs, DeleteGroupShowsTheSelectedNameReadOnlyWithItsHint)
{
    tree.select(Kind::Group, "Sales", Kind::GroupsRoot);
    CDeleteGroupDlg dialog(tree);
    EXPECT_EQ(dialog.windowTitle(), "Delete Group");
    auto *edit = Find<QLineEdit>(dialog, "1030");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "Sales");
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->accessibleName(), "Deleting :");
    EXPECT_EQ(HintOver(dialog, "1030"), "Shows the selected group name.  This field is read-only.");
}

TEST_F(DeleteDialogs, GroupUnderTheGroupsRootLeavesTheDatabaseAndItsSectionGoesAtOnce)
{
    tree.select(Kind::Group, "Sales", Kind::GroupsRoot);
    CDeleteGroupDlg dialog(tree);
    dialog.show();
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(tree.calls, std::vector<std::string>{"RemoveSelectedItem(group, whole)"});
    EXPECT_FALSE(hasSection("Sales"));
    EXPECT_FALSE(indexLists("Sales")) << "the index no longer names the section it lost";
    EXPECT_TRUE(databaseStillReadable()) << "even if the caller's save never comes";
    save();
    EXPECT_FALSE(hasSection("Sales"));
    EXPECT_TRUE(hasSection("Floor 2"));
}

TEST_F(DeleteDialogs, SubGroupInsideAGroupIsOnlyTakenOutOfIt)
{
    tree.select(Kind::Group, "Floor 2", Kind::Group, "Sales");
    CDeleteGroupDlg dialog(tree);
    dialog.show();
    Click(dialog, "1");
    EXPECT_EQ(tree.calls, std::vector<std::string>{"RemoveSelectedItem(group, in group)"});
    EXPECT_TRUE(hasSection("Floor 2")) << "the group stays in the database, and so does its section";
    EXPECT_TRUE(indexLists("Floor 2"));
}

TEST_F(DeleteDialogs, CancelChangesNothing)
{
    addWindowsPrinter("Lab");
    const std::string before = databaseText();
    tree.select(Kind::Printer, "Lab", Kind::PrintersRoot);
    CDeletePrinterDlg printerDialog(tree);
    printerDialog.show();
    Click(printerDialog, "2");
    tree.select(Kind::Group, "Sales", Kind::GroupsRoot);
    CDeleteGroupDlg groupDialog(tree);
    groupDialog.show();
    Click(groupDialog, "2");
    EXPECT_EQ(printerDialog.result(), QDialog::Rejected);
    EXPECT_EQ(groupDialog.result(), QDialog::Rejected);
    EXPECT_TRUE(tree.calls.empty());
    EXPECT_EQ(databaseText(), before);
    EXPECT_TRUE(windowsPrinterExists("Lab"));
}

TEST_F(DeleteDialogs, PrinterUnderThePrintersRootLeavesTheDatabaseAndTheSpooler)
{
    addWindowsPrinter("Lab");
    tree.select(Kind::Printer, "Lab", Kind::PrintersRoot);
    CDeletePrinterDlg dialog(tree);
    EXPECT_EQ(dialog.windowTitle(), "Delete Printer");
    EXPECT_EQ(Text(dialog, "1031"), "Lab");
    EXPECT_EQ(Find(dialog, "1031")->accessibleName(), "Deleting    :");
    EXPECT_EQ(HintOver(dialog, "1031"), "Shows the selected printer name. This field is read-only.");
    dialog.show();
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(windowsPrinterExists("Lab"));
    EXPECT_EQ(tree.calls, std::vector<std::string>{"RemoveSelectedItem(printer, whole)"});
    EXPECT_FALSE(hasSection("Lab"));
    EXPECT_TRUE(databaseStillReadable());
}

TEST_F(DeleteDialogs, PrinterWhoseWindowsPrinterIsGoneStillLeavesTheDatabase)
{
    tree.select(Kind::Printer, "Lab", Kind::PrintersRoot);
    CDeletePrinterDlg dialog(tree);
    dialog.show();
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(tree.calls, std::vector<std::string>{"RemoveSelectedItem(printer, whole)"});
    EXPECT_EQ(doc.FindPrinter("Lab"), nullptr);
    save();
    EXPECT_FALSE(hasSection("Lab"));
}

TEST_F(DeleteDialogs, PrinterInsideAGroupIsOnlyTakenOutOfIt)
{
    addWindowsPrinter("Front Desk");
    tree.select(Kind::Printer, "Front Desk", Kind::Group, "Sales");
    CDeletePrinterDlg dialog(tree);
    dialog.show();
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(tree.calls, std::vector<std::string>{"RemoveSelectedItem(printer, in group)"});
    EXPECT_TRUE(windowsPrinterExists("Front Desk"));
    save();
    EXPECT_TRUE(hasSection("Front Desk"));
    EXPECT_TRUE(doc.FindGroup("Sales")->Printers.empty());
}

} // namespace
