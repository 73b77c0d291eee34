// The Add Printer to Group wizard through its command: the groups offered, the group's
// summary, and what Finish changes (membership, the group's Windows printer, Sendaro.Cfg).
#include "manager/setup/FirstPage.h"
#include "manager/setup/SecondPage.h"
#include "manager/setup/ThirdPage.h"
#include "tests/setup/WizardFixture.h"

using namespace wizardtest;

namespace {

class AddToGroup : public WizardTest {
protected:
    AddToGroup() { openFrame(); }

    static QStringList offered(CMyWizard &wizard)
    {
        QStringList texts;
        auto *list = control<QListWidget>(wizard, "1043");
        for (int i = 0; list && i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }
    static QString summary(CMyWizard &wizard) { return wizard.thirdPage()->SummaryText(); }
};

TEST_F(AddToGroup, OffersTheGroupsThatCanStillTakeThePrinterTheFirstSelected)
{
    for (int i = 1; i <= 8; ++i)
        addPrinter("P" + std::to_string(i));
    addGroup("Full", {}, {"P2", "P3", "P4", "P5", "P6", "P7", "P8"});
    addGroup("Holds", {}, {"p1"}); // the printer, in another case
    addGroup("Empty");
    addGroup("Other", {}, {"P2"});
    rebuild();
    select(printerItem("P1"));
    ASSERT_TRUE(runWizard("AddPrinterToGroup", [&](CMyWizard &wizard) {
        EXPECT_EQ(wizard.windowTitle(), "Add Printer to a Group");
        EXPECT_EQ(wizard.pageIds().size(), 3);
        EXPECT_NE(wizard.firstPage()->findChild<QLabel *>("153"), nullptr);
        EXPECT_FALSE(wizard.button(QWizard::BackButton)->isEnabled());
        EXPECT_EQ(helpPageOf(wizard), "qrc:/help/add-printer-to-group.html");
        ASSERT_TRUE(next(wizard));
        EXPECT_EQ(offered(wizard), (QStringList{"Empty", "Other"}));
        auto *list = control<QListWidget>(wizard, "1043");
        ASSERT_EQ(list->selectedItems().size(), 1);
        EXPECT_EQ(list->selectedItems().front()->text(), "Empty");
        EXPECT_FALSE(list->item(0)->icon().isNull());
        ASSERT_TRUE(next(wizard)) << "the first group is selected already";
        EXPECT_TRUE(wizard.button(QWizard::FinishButton)->isVisible());
        EXPECT_TRUE(summary(wizard).startsWith("GroupName          : Empty\n"));
    }));
}

TEST_F(AddToGroup, TheDefaultPrinterIsKnownInTheGroupsThatHoldIt)
{
    addPrinter("P1");
    addPrinter("P2");
    addGroup("Holds", {}, {"P1"});
    addGroup("Other", {}, {"P2"});
    doc.SetDefaultItem("P1", true);
    rebuild();
    select(printerItem("P1{DEFAULT}"));
    ASSERT_TRUE(runWizard("AddPrinterToGroup", [&](CMyWizard &wizard) {
        ASSERT_TRUE(next(wizard));
        EXPECT_EQ(offered(wizard), (QStringList{"Other"}));
    }));
}

TEST_F(AddToGroup, SummaryJoinsMembersWithoutBlanksAndFollowsANewChoice)
{
    for (const char *name : {"P1", "P2", "P3"})
        addPrinter(name);
    addGroup("A");
    addGroup("B");
    addGroup("Top", {"A", "B"}, {"P1", "P2"}).GroupDescription = "Both floors";
    rebuild();
    select(printerItem("P3"));
    ASSERT_TRUE(runWizard("AddPrinterToGroup", [&](CMyWizard &wizard) {
        ASSERT_TRUE(next(wizard));
        ASSERT_EQ(offered(wizard), (QStringList{"A", "B", "Top"}));
        control<QListWidget>(wizard, "1043")->setCurrentRow(2);
        ASSERT_TRUE(next(wizard));
        EXPECT_EQ(summary(wizard), "GroupName          : Top\n"
                                   "Groupdescription   : Both floors\n"
                                   "SubGroups            : A,B\n"
                                   "Printers                  : P1,P2\n"
                                   "GroupDriver          : Laser H7\n");
        wizard.back();
        control<QListWidget>(wizard, "1043")->setCurrentRow(1);
        ASSERT_TRUE(next(wizard));
        EXPECT_TRUE(summary(wizard).startsWith("GroupName          : B\n"));
        EXPECT_EQ(wizard.secondPage()->ChosenGroup(), "B");
    }));
}

TEST_F(AddToGroup, WithoutAGroupToChooseOnlyBackAndCancelLeadOut)
{
    for (int i = 1; i <= 8; ++i)
        addPrinter("P" + std::to_string(i));
    addGroup("Full", {}, {"P2", "P3", "P4", "P5", "P6", "P7", "P8"});
    rebuild();
    select(printerItem("P1"));
    ASSERT_TRUE(runWizard("AddPrinterToGroup", [&](CMyWizard &wizard) {
        ASSERT_TRUE(next(wizard));
        EXPECT_TRUE(offered(wizard).isEmpty());
        prompts.expectBox("Select a group item");
        EXPECT_FALSE(next(wizard));
        prompts.expectBox("Select a group item");
        EXPECT_FALSE(next(wizard)) << "every time";
        wizard.back();
        EXPECT_EQ(wizard.currentPage(), wizard.firstPage());
    }));
    EXPECT_EQ(doc.Groups()[0]->Printers.size(), 7u);
}

TEST_F(AddToGroup, ASelectionTakenAwayIsAskedFor)
{
    addPrinter("P1");
    addGroup("Sales");
    rebuild();
    select(printerItem("P1"));
    ASSERT_TRUE(runWizard("AddPrinterToGroup", [&](CMyWizard &wizard) {
        ASSERT_TRUE(next(wizard));
        control<QListWidget>(wizard, "1043")->clearSelection();
        prompts.expectBox("Select a group item");
        EXPECT_FALSE(next(wizard));
    }));
}

TEST_F(AddToGroup, FinishPutsThePrinterIntoTheGroupAndGivesTheGroupItsPrinter)
{
    addPrinter("P1");
    addGroup("Sales");
    rebuild();
    select(printerItem("P1"));
    ASSERT_TRUE(runWizard("AddPrinterToGroup", [&](CMyWizard &wizard) {
        ASSERT_TRUE(next(wizard));
        ASSERT_TRUE(next(wizard));
        finish(wizard);
    }));
    EXPECT_EQ(windowsPrinters(), (std::vector<std::string>{"Sales"}));
    EXPECT_EQ(windowsPrinter("Sales").driver, shelltest::kDriverH7);
    EXPECT_EQ(childTexts(groupItem("Sales")), (std::vector<std::string>{"P1"}));
    EXPECT_EQ(doc.Printers()[0]->ContainingGroups, (std::vector<std::string>{"Sales"}));
    const std::string saved = databaseText();
    EXPECT_NE(saved.find("Printers=P1\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("GroupDriver=Laser H7\r\n"), std::string::npos) << saved;
}

TEST_F(AddToGroup, AnotherModelIsWarnedAboutAndAddedAllTheSame)
{
    // The group's driver takes the printer's by the drivers' file, but the models differ.
    root.writeFile(root.driveC("ZORVALINE/VZorDrv.ini"),
                   "[Zorlan H7 Laser]\r\nDownwardCompatibleDrivers=Zorlan J8 Inkjet\r\n");
    addPrinter("P1", kFamilyJ8);
    addPrinter("P2", kFamilyH7);
    addGroup("Mixed", {}, {"P2"}, kFamilyH7);
    rebuild();
    select(printerItem("P1"));
    ASSERT_TRUE(runWizard("AddPrinterToGroup", [&](CMyWizard &wizard) {
        ASSERT_TRUE(next(wizard));
        ASSERT_TRUE(next(wizard));
        prompts.expectBox("Item to be added is not compatible with the group");
        finish(wizard);
    }));
    EXPECT_EQ(doc.Groups()[0]->Printers, (std::vector<std::string>{"P2", "P1"}));
    EXPECT_NE(databaseText().find("Printers=P2,P1\r\n"), std::string::npos);
}

TEST_F(AddToGroup, CancelChangesNothing)
{
    addPrinter("P1");
    addGroup("Sales");
    rebuild();
    select(printerItem("P1"));
    const std::string before = databaseText();
    ASSERT_TRUE(runWizard("AddPrinterToGroup", [&](CMyWizard &wizard) {
        ASSERT_TRUE(next(wizard));
        ASSERT_TRUE(next(wizard));
        wizard.button(QWizard::CancelButton)->click();
    }));
    EXPECT_TRUE(doc.Groups()[0]->Printers.empty());
    EXPECT_TRUE(windowsPrinters().empty());
    EXPECT_EQ(databaseText(), before);
}

} // namespace
