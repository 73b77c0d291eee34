// The tree's operations that keep the spooler's Windows printers in step with the database:
// new printers and groups, members added and removed, renames, property changes.
#include "manager/shell/DatabaseSaver.h"
#include "manager/shell/PrinterSnapshot.h"
#include "tests/drivers/CopyDialogDriver.h"
#include "tests/shell/ShellFixture.h"

using namespace shelltest;
using Strings = std::vector<std::string>;

namespace {

class Registration : public ShellTest {
protected:
    Registration() { openFrame(); }

    // Adds printer `name` as the Add Printer command does after its wizard.
    int addNewPrinter(const std::string &name, const std::string &driver = kDriverH7)
    {
        tree->pendingPrinter = PendingPrinter{};
        tree->pendingPrinter.PrinterName = name;
        tree->pendingPrinter.PrinterDriver = driver;
        tree->pendingPrinter.PrinterEmail = "queue@print.example";
        tree->pendingPrinter.LimitPacketSize = "true";
        tree->pendingPrinter.MaxPacketSizeInKb = 64;
        tree->pendingPrinter.HeaderPage = 1;
        return tree->AddNewDestination(name, true);
    }
    int addNewGroup(const std::string &name)
    {
        tree->SetGroupDescription("Group " + name);
        return tree->AddNewDestination(name, false);
    }
    GroupRecord &group(const std::string &name) { return *tree->FindGroup(name); }
};

TEST_F(Registration, NewPrinterIsAWindowsPrinterOnTheInternetPort)
{
    ASSERT_EQ(addNewPrinter("Head Office"), 1);
    const WindowsPrinter printer = windowsPrinter("Head Office");
    ASSERT_TRUE(printer.found);
    EXPECT_EQ(printer.port, "ZORVALINE_INTERNET:");
    EXPECT_EQ(printer.driver, kDriverH7);
    EXPECT_EQ(printer.comment, "Zorvaline Remote Internet Printing Port");
    EXPECT_EQ(printer.processor, "WinPrint");
    EXPECT_EQ(printer.datatype, "RAW");
    EXPECT_EQ(printer.attributes, 0x2u);
    EXPECT_EQ(printer.priority, 1u);
    ASSERT_EQ(doc.Printers().size(), 1u);
    const PrinterRecord &record = *doc.Printers()[0];
    EXPECT_TRUE(record.LimitPacketSize) << "\"true\" in any case";
    EXPECT_EQ(record.MaxPacketSizeInKb, 64);
    EXPECT_TRUE(record.HeaderPage);
    EXPECT_FALSE(record.TrailerPage);
    EXPECT_EQ(childTexts(tree->PrintersRoot()), (Strings{"Head Office"}));
    ASSERT_TRUE(sendaro::SaveDatabase(doc));
    EXPECT_NE(databaseText().find("[Head Office]"), std::string::npos);
}

TEST_F(Registration, PrinterThatTheSpoolerRefusesChangesNothing)
{
    prompts.expectBox("Add Printer operation has failed");
    EXPECT_EQ(addNewPrinter("Head Office", "Driver Nobody Installed"), 0);
    EXPECT_EQ(tree->lastSpoolerError, 1797u) << "ERROR_UNKNOWN_PRINTER_DRIVER";
    EXPECT_TRUE(doc.Printers().empty());
    EXPECT_TRUE(childTexts(tree->PrintersRoot()).empty());
    EXPECT_TRUE(windowsPrinters().empty());
}

TEST_F(Registration, NewPrinterInAnEmptyGroupGivesTheGroupItsWindowsPrinter)
{
    addNewGroup("Sales");
    EXPECT_TRUE(windowsPrinters().empty()) << "an empty group has no Windows printer";
    select(groupItem("Sales"));
    ASSERT_EQ(addNewPrinter("P1", kDriverJ8), 1);
    EXPECT_EQ(group("Sales").Printers, (Strings{"P1"}));
    EXPECT_EQ(group("Sales").GroupDriver, kDriverJ8);
    EXPECT_EQ(windowsPrinter("Sales").driver, kDriverJ8);
    EXPECT_EQ(childTexts(groupItem("Sales")), (Strings{"P1"}));
    EXPECT_EQ(childTexts(tree->PrintersRoot()), (Strings{"P1"}));
    EXPECT_EQ(group("Sales").GroupDescription, "Group Sales");
}

TEST_F(Registration, IncompatibleNewPrinterIsWarnedAboutAndStillAdded)
{
    addNewGroup("Lasers");
    select(groupItem("Lasers"));
    addNewPrinter("P1", kDriverH7);
    select(groupItem("Lasers"));
    prompts.expectBox("Item to be added is not compatible with the group");
    ASSERT_EQ(addNewPrinter("P2", kDriverJ8), 1);
    EXPECT_EQ(group("Lasers").Printers, (Strings{"P1", "P2"}));
    EXPECT_EQ(group("Lasers").GroupDriver, kDriverH7) << "the first member's driver stays";
}

TEST_F(Registration, FirstPrinterIntoAGroupThenOutAgain)
{
    addNewPrinter("P1");
    addNewGroup("Sales");
    tree->pendingPrinter.PrinterDriver = kDriverH7;
    tree->AddPrinterToGroup("sales", "P1");
    EXPECT_EQ(group("Sales").Printers, (Strings{"P1"}));
    EXPECT_EQ(doc.Printers()[0]->ContainingGroups, (Strings{"Sales"}));
    EXPECT_TRUE(windowsPrinter("Sales").found);
    EXPECT_EQ(childTexts(groupItem("Sales")), (Strings{"P1"}));

    select(child(groupItem("Sales"), "P1"));
    tree->RemoveSelectedItem(true, true);
    EXPECT_TRUE(group("Sales").Printers.empty());
    EXPECT_TRUE(group("Sales").GroupDriver.empty());
    EXPECT_FALSE(windowsPrinter("Sales").found) << "the emptied group loses its Windows printer";
    EXPECT_TRUE(windowsPrinter("P1").found) << "the printer itself stays";
    EXPECT_TRUE(doc.Printers()[0]->ContainingGroups.empty());
}

TEST_F(Registration, PrinterIntoAGroupThatHoldsOnlySubGroups)
{
    addNewPrinter("P1");
    addNewPrinter("P2");
    addGroup("Sub", {}, {"P1"});
    addGroup("Top", {"Sub"}, {});
    rebuild();
    tree->AddWindowsPrinter(kDriverH7, "Top");
    tree->pendingPrinter.PrinterDriver = kDriverH7;
    tree->AddPrinterToGroup("Top", "P2");
    EXPECT_EQ(group("Top").Printers, (Strings{"P2"})) << "the group's existing Windows printer is kept";
}

TEST_F(Registration, DeletingAPrinterEmptiesItsGroupsAndTheirParents)
{
    addNewPrinter("P1");
    addNewPrinter("P2");
    addGroup("Sub", {}, {"P1"});
    addGroup("Top", {"Sub"}, {});
    addGroup("Other", {}, {"P1", "P2"});
    rebuild();
    for (const char *name : {"Sub", "Top", "Other"})
        tree->AddWindowsPrinter(kDriverH7, name);
    // The Delete Printer dialog deletes the printer's own Windows printer first.
    select(printerItem("P1"));
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinter(const_cast<LPSTR>("P1"), &handle, nullptr));
    DeletePrinter(handle);
    tree->RemoveSelectedItem(true, false);
    ClosePrinter(handle);

    EXPECT_EQ(doc.Printers().size(), 1u);
    EXPECT_TRUE(group("Sub").Printers.empty());
    EXPECT_TRUE(group("Top").SubGroups.empty()) << "the emptied sub-group leaves its parent";
    EXPECT_EQ(group("Other").Printers, (Strings{"P2"}));
    EXPECT_EQ(windowsPrinters(), (Strings{"Other", "P2"}));
    EXPECT_TRUE(childTexts(groupItem("Top")).empty());
}

TEST_F(Registration, DeletingAGroupOrTakingASubGroupOut)
{
    addNewPrinter("P1");
    addGroup("Sub", {}, {"P1"});
    addGroup("Top", {"Sub"}, {});
    addGroup("Side", {"Sub"}, {"P1"});
    rebuild();
    for (const char *name : {"Sub", "Top", "Side"})
        tree->AddWindowsPrinter(kDriverH7, name);

    select(child(groupItem("Top"), "Sub"));
    tree->RemoveSelectedItem(false, true);
    EXPECT_NE(tree->FindGroup("Sub"), nullptr) << "taken out, not deleted";
    EXPECT_TRUE(group("Top").SubGroups.empty());
    EXPECT_TRUE(group("Side").SubGroups.empty()) << "a sub-group taken out leaves every group";
    EXPECT_FALSE(windowsPrinter("Top").found);

    select(groupItem("Sub"));
    tree->RemoveSelectedItem(false, false);
    EXPECT_EQ(tree->FindGroup("Sub"), nullptr);
    EXPECT_EQ(doc.Printers()[0]->ContainingGroups, (Strings{"Side"}));
    EXPECT_EQ(windowsPrinters(), (Strings{"P1", "Side"}));
}

TEST_F(Registration, RenamingAPrinterKeepsItsWindowsPrinterSettings)
{
    addNewPrinter("P1");
    addGroup("Sales", {}, {"P1"});
    doc.SetDefaultItem("P1", true);
    rebuild();
    select(printerItem("P1{DEFAULT}"));
    tree->RenameSelectedItem("Front Desk", true);
    EXPECT_EQ(doc.Printers()[0]->PrinterName, "Front Desk");
    EXPECT_EQ(group("Sales").Printers, (Strings{"Front Desk"}));
    EXPECT_EQ(doc.DefaultItem(), "Front Desk");
    EXPECT_NE(printerItem("Front Desk{DEFAULT}"), nullptr);
    EXPECT_EQ(windowsPrinters(), (Strings{"Front Desk"}));
    const WindowsPrinter renamed = windowsPrinter("Front Desk");
    EXPECT_EQ(renamed.comment, "Zorvaline Remote Internet Printing Port");
    EXPECT_EQ(renamed.port, "ZORVALINE_INTERNET:");
    EXPECT_FALSE(PrinterSnapshot::Instance().valid);
    EXPECT_TRUE(PrinterSnapshot::Instance().buffer.empty()) << "the snapshot's buffer goes with its use";
}

TEST_F(Registration, RenamingAPrinterWithoutWindowsPrinterCreatesOne)
{
    addPrinter("Lost");
    rebuild();
    select(printerItem("Lost"));
    tree->RenameSelectedItem("Found", true);
    EXPECT_EQ(windowsPrinters(), (Strings{"Found"}));
}

TEST_F(Registration, RenamingAGroupMovesItsWindowsPrinterAnEmptyGroupTouchesNone)
{
    addNewPrinter("P1");
    addGroup("Sales", {}, {"P1"});
    addGroup("Top", {"Sales"}, {});
    addGroup("Empty");
    rebuild();
    tree->AddWindowsPrinter(kDriverH7, "Sales");
    select(groupItem("Sales"));
    tree->SetGroupDescription("Renamed");
    tree->RenameSelectedItem("Marketing", false);
    EXPECT_EQ(group("Marketing").GroupDescription, "Renamed");
    EXPECT_EQ(group("Top").SubGroups, (Strings{"Marketing"}));
    EXPECT_EQ(doc.Printers()[0]->ContainingGroups, (Strings{"Marketing"}));
    EXPECT_EQ(windowsPrinter("Marketing").driver, kDriverH7);
    EXPECT_FALSE(windowsPrinter("Sales").found);

    const Strings before = windowsPrinters();
    select(groupItem("Empty"));
    tree->RenameSelectedItem("Still Empty", false);
    EXPECT_EQ(windowsPrinters(), before);
}

TEST_F(Registration, PrinterPropertiesRenameAndUpdateInPlace)
{
    addNewPrinter("P1");
    addGroup("Sales", {}, {"P1"});
    rebuild();
    select(printerItem("P1"));
    tree->pendingPrinter.PrinterName = "P9";
    tree->pendingPrinter.PrinterDriver = kDriverJ8;
    tree->pendingPrinter.PrinterEmail = "new@print.example";
    tree->ApplyPrinterProperties();
    EXPECT_EQ(doc.Printers()[0]->PrinterName, "P9");
    EXPECT_EQ(doc.Printers()[0]->PrinterEmail, "new@print.example");
    EXPECT_EQ(group("Sales").Printers, (Strings{"P9"}));
    EXPECT_EQ(windowsPrinters(), (Strings{"P9"}));
    EXPECT_EQ(windowsPrinter("P9").driver, kDriverJ8);
}

TEST_F(Registration, DriverFromAMissingDiskFailsAndAddsNothing)
{
    tree->driverInstallPending = true;
    tree->pendingInfPath = "A:\\OEMSETUP.INF";
    prompts.expectBox("Zorvaline Printers not present");
    prompts.expectBox("Add Printer operation has failed");
    EXPECT_EQ(addNewPrinter("P1"), 0);
    EXPECT_FALSE(tree->driverInstallPending);
    EXPECT_TRUE(doc.Printers().empty());
    EXPECT_TRUE(windowsPrinters().empty());
}

TEST_F(Registration, DriverFromTheSampleDiskIsInstalledBeforeThePrinterIsMade)
{
    std::filesystem::copy(std::string(ZORVALINE_SOURCE_DIR) + "/resources/drivers/family", root.driveC("DISK"));
    drivertest::CopyDialogDriver copyDialog;
    tree->driverInstallPending = true;
    tree->pendingInfPath = "C:\\DISK\\ZORFAM.INF";
    ASSERT_EQ(addNewPrinter("P1", "Zorlan K7 Colour"), 1);
    EXPECT_TRUE(copyDialog.opened);
    EXPECT_FALSE(tree->driverInstallPending);
    EXPECT_EQ(windowsPrinter("P1").driver, "Zorlan K7 Colour");
    EXPECT_TRUE(std::filesystem::exists(root.driveC("WINDOWS/SYSTEM/ZORK7.PPD")));
    ASSERT_EQ(doc.Printers().size(), 1u);
    EXPECT_EQ(doc.Printers()[0]->PrinterDriver, "Zorlan K7 Colour");
}

TEST_F(Registration, SnapshotOwnsTheBufferItsTextsPointInto)
{
    addNewPrinter("P1");
    PrinterSnapshot snapshot;
    snapshot.Take("P1");
    ASSERT_TRUE(snapshot.valid);
    ASSERT_FALSE(snapshot.buffer.empty());
    const BYTE *begin = snapshot.buffer.data();
    const BYTE *end = begin + snapshot.buffer.size();
    const auto *comment = reinterpret_cast<const BYTE *>(snapshot.info.pComment);
    EXPECT_TRUE(comment >= begin && comment < end);
    EXPECT_STREQ(snapshot.info.pComment, "Zorvaline Remote Internet Printing Port");
    EXPECT_EQ(snapshot.sourceName, "P1");
    snapshot.Take("No Such Printer");
    EXPECT_EQ(snapshot.sourceName, "P1") << "a printer that cannot be opened leaves the snapshot";
}

} // namespace
