// The Add Printer wizard through the Add Printer command: the pages' flow and checks, the
// driver list, the summary, and what Finish creates (the Windows printer, Sendaro.Cfg).
#include "manager/setup/Page1.h"
#include "manager/setup/Page2.h"
#include "manager/setup/Page4.h"
#include "manager/setup/Page5.h"
#include "manager/setup/Page6.h"
#include "manager/dialogs/UpDownControl.h"
#include "manager/shell/SpoolerPrinters.h"
#include "manager/shell/WizardResults.h"
#include "platform/profile/profile.h"
#include "tests/setup/WizardFixture.h"

using namespace wizardtest;

namespace {

class AddPrinter : public WizardTest {
protected:
    AddPrinter()
    {
        installDriver(kFamilyH7, "ZH7");
        installDriver(kFamilyJ8, "ZJ8");
        installDriver("Zorlan X9 Plotter", "ZX9"); // of the maker, but not a model offered
        installDriver("Borlan H7 Laser", "BH7");   // the model's number, another maker
        openFrame();
    }

    // Page1 to Page5 with valid values, the driver of row `driverRow` chosen.
    static void fillUpToDetails(CMyWizard &wizard, const QString &name = "Head Office", int driverRow = 0)
    {
        ASSERT_TRUE(next(wizard)) << "check list";
        type(wizard, "1040", name);
        type(wizard, "1054", "office@print.example");
        ASSERT_TRUE(next(wizard)) << "name and e-mail";
        control<QListWidget>(wizard, "1055")->setCurrentRow(driverRow);
        ASSERT_TRUE(next(wizard)) << "driver";
        ASSERT_EQ(wizard.currentPage(), wizard.page5());
    }

    static QString summary(CMyWizard &wizard) { return control<QPlainTextEdit>(wizard, "1005")->toPlainText(); }

    static QStringList listed(QListWidget *list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }

    std::string value(const std::string &section, const std::string &key) const
    {
        char buffer[512] = {};
        GetPrivateProfileString(section.c_str(), key.c_str(), "<none>", buffer, sizeof buffer,
                                root.driveC("ZORVALINE/Sendaro.Cfg").c_str());
        return buffer;
    }
};

TEST_F(AddPrinter, PagesTextsIdsAndPictureAreThere)
{
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        EXPECT_EQ(wizard.windowTitle(), "Add Printer Wizard");
        EXPECT_EQ(wizard.pageIds().size(), 5);
        auto *checkList = wizard.page1()->findChild<QLabel *>("checkListLabel");
        ASSERT_NE(checkList, nullptr);
        EXPECT_TRUE(checkList->text().startsWith("Printer Name:\n\tName of the remote printer that will be listed in the\n\tSendaro. \n\n"));
        EXPECT_TRUE(checkList->text().endsWith("Default Recipient:\n\tThis is for whom the job is printed."));
        for (QWizardPage *page : {static_cast<QWizardPage *>(wizard.page1()), static_cast<QWizardPage *>(wizard.page2()),
                                  static_cast<QWizardPage *>(wizard.page4()), static_cast<QWizardPage *>(wizard.page5()),
                                  static_cast<QWizardPage *>(wizard.page6())}) {
            auto *picture = page->findChild<QLabel *>("153");
            ASSERT_NE(picture, nullptr) << page->metaObject()->className();
            EXPECT_FALSE(picture->pixmap().isNull());
        }
        EXPECT_FALSE(wizard.button(QWizard::BackButton)->isEnabled()) << "Next only on the check list";
        ASSERT_TRUE(next(wizard));
        EXPECT_TRUE(wizard.button(QWizard::BackButton)->isEnabled());
        EXPECT_EQ(control<QLineEdit>(wizard, "1040")->accessibleName(), "Printer Name:");
        EXPECT_EQ(hintOver(wizard, "1040"), "Enter the printer name here.");
        EXPECT_EQ(hintOver(wizard, "1054"), "Enter the printer's e-mail address here.");
        EXPECT_EQ(helpPageOf(wizard), "qrc:/help/add-printer.html");
    }));
}

TEST_F(AddPrinter, BackFromTheNamePageChecksNothingAndNextChecksNameThenEmail)
{
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        ASSERT_TRUE(next(wizard));
        type(wizard, "1040", "Bad.Name");
        wizard.back(); // no message: the prompt queue fails the test on any box
        EXPECT_EQ(wizard.currentPage(), wizard.page1());
        ASSERT_TRUE(next(wizard));
        EXPECT_EQ(control<QLineEdit>(wizard, "1040")->text(), "Bad.Name") << "values survive moving back";

        prompts.expectBox(zordb::ManagerString(zordb::IDS_NAME_CHARACTERS));
        EXPECT_FALSE(next(wizard));
        EXPECT_TRUE(control(wizard, "1040")->hasFocus() || !wizard.isActiveWindow());

        type(wizard, "1040", " Head Office");
        prompts.expectBox("Space can not be the first or the last character.");
        EXPECT_FALSE(next(wizard));

        type(wizard, "1040", "Internet-connected Printers");
        prompts.expectBox("Entered name is the same as one of the headers' names.");
        EXPECT_FALSE(next(wizard));

        type(wizard, "1040", "Head Office (2nd) & #1's");
        prompts.expectBox("Printer e-mail cannot be NULL");
        EXPECT_FALSE(next(wizard)) << "the name passes, the empty e-mail does not";

        type(wizard, "1054", "office@print.example");
        EXPECT_TRUE(next(wizard));
        EXPECT_EQ(wizard.page2()->PrinterName(), "Head Office (2nd) & #1's");
        EXPECT_EQ(wizard.page2()->PrinterEmail(), "office@print.example");
    }));
}

TEST_F(AddPrinter, NameOfAnExistingDestinationOrWindowsPrinterIsRefused)
{
    addPrinter("North");
    rebuild();
    installDriver(shelltest::kDriverH7, "LASER");
    HANDLE made = sendaro::CreateDestinationPrinter(shelltest::kDriverH7, "Lobby");
    ASSERT_NE(made, nullptr);
    ClosePrinter(made);
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        ASSERT_TRUE(next(wizard));
        type(wizard, "1054", "x@print.example");
        for (const char *taken : {"north", "LOBBY"}) {
            type(wizard, "1040", taken);
            prompts.expectBox("This printer/group name already exists");
            EXPECT_FALSE(next(wizard)) << taken;
        }
    }));
}

TEST_F(AddPrinter, DriverListOffersTheFamilysModelsInUpperCaseAndNeedsAChoice)
{
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        ASSERT_TRUE(next(wizard));
        type(wizard, "1040", "Head Office");
        type(wizard, "1054", "office@print.example");
        ASSERT_TRUE(next(wizard));
        auto *list = control<QListWidget>(wizard, "1055");
        EXPECT_EQ(listed(list), (QStringList{"ZORLAN H7 LASER", "ZORLAN J8 INKJET"}));
        EXPECT_TRUE(list->selectedItems().isEmpty());
        EXPECT_EQ(wizard.page4()->InstalledDrivers(),
                  (std::vector<std::string>{"ZORLAN H7 LASER", "ZORLAN J8 INKJET", "ZORLAN X9 PLOTTER"}));
        EXPECT_EQ(hintOver(wizard, "1056"), "Use this option to install new drivers.");

        prompts.expectBox("Printer Driver cannot be NULL");
        EXPECT_FALSE(next(wizard));
        list->setCurrentRow(1);
        EXPECT_EQ(wizard.page4()->SelectedDriver(), "ZORLAN J8 INKJET");
        EXPECT_TRUE(next(wizard));
        wizard.back();
        wizard.back();
        ASSERT_TRUE(next(wizard));
        EXPECT_EQ(listed(list).size(), 2) << "the list is built once";
        EXPECT_EQ(list->currentItem()->text(), "ZORLAN J8 INKJET");
    }));
}

TEST_F(AddPrinter, NewDriverAsksForAnInfFileAndACancelChangesNothing)
{
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        ASSERT_TRUE(next(wizard));
        type(wizard, "1040", "Head Office");
        type(wizard, "1054", "office@print.example");
        ASSERT_TRUE(next(wizard));
        prompts.expectFile("", [](const sendaro::FileDialogRequest &request) {
            EXPECT_FALSE(request.save);
            EXPECT_EQ(request.caption, "Browse");
            EXPECT_EQ(request.fileName, "*.inf");
            EXPECT_EQ(request.filter, "Inf Files (*.inf)");
        });
        control<QAbstractButton>(wizard, "1056")->click();
        EXPECT_EQ(control<QListWidget>(wizard, "1055")->count(), 2);
        EXPECT_TRUE(wizard.page4()->InfPath().empty());
    }));
}

TEST_F(AddPrinter, NewDriverAddsTheDisksModelsOnceAndFinishWillInstallFromThatDisk)
{
    std::filesystem::create_directories(root.driveC("DISK/FAMILY"));
    std::filesystem::copy(std::string(ZORVALINE_SOURCE_DIR) + "/resources/drivers/family", root.driveC("DISK/FAMILY"));
    tree->pendingInfPath = "C:\\EARLIER\\OLD.INF";
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        ASSERT_TRUE(next(wizard));
        type(wizard, "1040", "Head Office");
        type(wizard, "1054", "office@print.example");
        ASSERT_TRUE(next(wizard));
        auto *list = control<QListWidget>(wizard, "1055");
        // The disk offers six models; the two this machine has already are not offered again.
        const QStringList disk{"ZORLAN H3 LASER", "ZORLAN J7 INKJET", "ZORLAN K7 COLOUR", "ZORLAN K8 COLOUR"};
        for (int round = 0; round < 2; ++round) {
            prompts.expectFile("C:\\DISK\\FAMILY\\ZORFAM.INF");
            control<QAbstractButton>(wizard, "1056")->click();
            EXPECT_EQ(listed(list), (QStringList{"ZORLAN H7 LASER", "ZORLAN J8 INKJET"} + disk)) << "round " << round;
        }
        ASSERT_EQ(wizard.page4()->InfModels().size(), 4u);
        EXPECT_EQ(wizard.page4()->InfModels()[1].modelName, "ZORLAN J7 INKJET");
        EXPECT_EQ(wizard.page4()->InfPath(), "C:\\DISK\\FAMILY\\ZORFAM.INF");

        list->setCurrentRow(3);
        sendaro::TakeAddPrinterValues(wizard, *tree);
        EXPECT_EQ(tree->pendingPrinter.PrinterDriver, "ZORLAN J7 INKJET");
        EXPECT_TRUE(tree->driverInstallPending) << "a model of the disk is installed from it";
        EXPECT_EQ(tree->pendingInfPath, wizard.page4()->InfModels()[1].infPath);
        EXPECT_FALSE(tree->pendingInfPath.empty());

        tree->pendingInfPath = "C:\\EARLIER\\OLD.INF";
        list->setCurrentRow(0);
        sendaro::TakeAddPrinterValues(wizard, *tree);
        EXPECT_FALSE(tree->driverInstallPending) << "an installed driver";
        EXPECT_EQ(tree->pendingInfPath, "C:\\EARLIER\\OLD.INF") << "kept as it was";
    }));
    tree->driverInstallPending = false;
}

TEST_F(AddPrinter, NoMoreThanEightyModelsFromDriverDisks)
{
    // Two disks of 50 models each: the table takes 80, and the list offers no model that the
    // table could not install.
    for (const char *disk : {"ONE", "TWO"}) {
        std::string inf = "[Version]\r\nSignature=\"$CHICAGO$\"\r\n\r\n[Zorvaline]\r\n";
        for (int i = 0; i < 50; ++i)
            inf += "\"Zorvaline " + std::string(disk) + " H7 No " + std::to_string(i) + "\"=H7.INSTALL\r\n";
        root.writeFile(root.driveC(std::string("DISK/") + disk + "/DISK.INF"), inf);
    }
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        ASSERT_TRUE(next(wizard));
        type(wizard, "1040", "Head Office");
        type(wizard, "1054", "office@print.example");
        ASSERT_TRUE(next(wizard));
        for (const char *disk : {"ONE", "TWO"}) {
            prompts.expectFile(std::string("C:\\DISK\\") + disk + "\\DISK.INF");
            control<QAbstractButton>(wizard, "1056")->click();
        }
        EXPECT_EQ(wizard.page4()->InfModels().size(), 80u);
        auto *list = control<QListWidget>(wizard, "1055");
        EXPECT_EQ(list->count(), 2 + 80);
        EXPECT_EQ(list->item(list->count() - 1)->text(), "ZORVALINE TWO H7 NO 29");
    }));
}

TEST_F(AddPrinter, SizeStartsAtTwoDisabledAndIsCheckedEvenWhenNotLimited)
{
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        fillUpToDetails(wizard);
        auto *size = control<QLineEdit>(wizard, "1023");
        EXPECT_EQ(size->text(), "2");
        EXPECT_FALSE(size->isEnabled());
        EXPECT_FALSE(control(wizard, "1025")->isEnabled());
        tick(wizard, "1021");
        EXPECT_TRUE(size->isEnabled());
        EXPECT_TRUE(control(wizard, "1025")->isEnabled());
        tick(wizard, "1021", false);
        EXPECT_FALSE(size->isEnabled());

        for (const char *outside : {"1", "101"}) {
            size->setText(outside);
            prompts.expectBox("Please enter an integer between 2 and 100.");
            EXPECT_FALSE(next(wizard)) << outside;
        }
        size->setText("lots");
        prompts.expectBox("Please enter a positive integer."); // once, not once per check
        EXPECT_FALSE(next(wizard));
        size->setText("-3");
        prompts.expectBox("Please enter a positive integer.");
        EXPECT_FALSE(next(wizard));
        size->setText(" 100 ");
        EXPECT_TRUE(next(wizard));
        EXPECT_EQ(wizard.page5()->MessageSize(), 100);
    }));
}

TEST_F(AddPrinter, ArrowsStepTheSizeWithinItsRange)
{
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        fillUpToDetails(wizard);
        tick(wizard, "1021");
        auto *size = control<QLineEdit>(wizard, "1023");
        auto *arrows = control<sendaro::UpDownControl>(wizard, "1025");
        arrows->Step(-1);
        EXPECT_EQ(size->text(), "2");
        arrows->Step(1);
        EXPECT_EQ(size->text(), "3");
        size->setText("100");
        arrows->Step(1);
        EXPECT_EQ(size->text(), "100");
        size->setText("x");
        arrows->Step(1);
        EXPECT_EQ(size->text(), "2");
        EXPECT_EQ(hintOver(wizard, "1025"), "Use this to change the spilt size");
    }));
}

TEST_F(AddPrinter, EveryDetailShowsItsHint)
{
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        fillUpToDetails(wizard);
        const std::pair<const char *, QString> hints[] = {
            {"1042", "Enter the printer description here, for example, 4th floor printer."},
            {"1044", "Default recipient is a person who receives the print jobs. "},
            {"1010", "Location of default recipient, for example, Bangalore"},
            {"1013", "Enter the printer password here"},
            {"1046", "Retype the printer password to confirm."},
            {"1016", "Check this, if a header is required."},
            {"1045", "Check this if a trailer page is required"},
            {"1021", "Check this to enable the spilt mail option."},
        };
        for (const auto &[id, hint] : hints)
            EXPECT_EQ(hintOver(wizard, id), hint) << id;
        for (const char *masked : {"1013", "1046"})
            EXPECT_EQ(control<QLineEdit>(wizard, masked)->echoMode(), QLineEdit::Password) << masked;
    }));
}

TEST_F(AddPrinter, PasswordsMustMatchExactly)
{
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        fillUpToDetails(wizard);
        type(wizard, "1013", "Sesame");
        type(wizard, "1046", "sesame");
        prompts.expectBox("Retype the password again");
        EXPECT_FALSE(next(wizard));
        const QString tooLong(257, 'p');
        type(wizard, "1013", tooLong);
        type(wizard, "1046", tooLong);
        prompts.expectBox("Printer password should not exceed 255 characters in length");
        prompts.expectBox("Printer password must be less than 256 characters.");
        EXPECT_FALSE(next(wizard)) << "the warning goes on, the pair's own limit stops";
        type(wizard, "1013", "Sesame");
        type(wizard, "1046", "Sesame");
        EXPECT_TRUE(next(wizard));
        EXPECT_EQ(wizard.page5()->PrinterPassword(), "Sesame");
        EXPECT_EQ(summary(wizard).indexOf("Sesame"), -1) << "the password is not shown";
    }));
}

TEST_F(AddPrinter, LongTextsWarnInOrderButTheWizardGoesOn)
{
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        fillUpToDetails(wizard);
        const QString longText(300, 'x');
        type(wizard, "1042", longText);
        type(wizard, "1010", QString(256, 'l'));
        type(wizard, "1044", QString(255, 'r')); // 255 is still allowed
        prompts.expectBox("Recipient location should not exceed 255 characters in length");
        prompts.expectBox("Printer description should not exceed 255 characters in lenth");
        EXPECT_TRUE(next(wizard));
        EXPECT_EQ(wizard.currentPage(), wizard.page6());
        EXPECT_TRUE(summary(wizard).contains("Printer Description : " + longText + "\n"));
    }));
}

TEST_F(AddPrinter, SummaryListsTheValuesAndFollowsAChangedRecipient)
{
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        fillUpToDetails(wizard, "Head Office", 1);
        type(wizard, "1042", "4th floor printer");
        type(wizard, "1044", "Ada");
        type(wizard, "1010", "Bangalore");
        tick(wizard, "1016");
        tick(wizard, "1021");
        type(wizard, "1023", "12");
        ASSERT_TRUE(next(wizard));
        EXPECT_EQ(wizard.page6()->Summary(),
                  "Printer Name : Head Office\r\n"
                  "Printer E-mail : office@print.example\r\n"
                  "Printer Driver : ZORLAN J8 INKJET\r\n"
                  "Printer Description : 4th floor printer\r\n"
                  "Default Recipient : Ada\r\n"
                  "Recipient Location : Bangalore\r\n"
                  "LimitMessageSize : Enabled\r\n"
                  "MaxMessageSize : 12\r\n"
                  "BannerPage : Enabled\r\n"
                  "TrailerPage : Disabled\r\n");
        EXPECT_TRUE(wizard.button(QWizard::FinishButton)->isVisible());
        wizard.back();
        type(wizard, "1044", "Grace");
        ASSERT_TRUE(next(wizard));
        EXPECT_TRUE(summary(wizard).contains("Default Recipient : Grace\n"));
    }));
}

TEST_F(AddPrinter, FinishCreatesTheWindowsPrinterAndSavesThePrinter)
{
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        fillUpToDetails(wizard);
        type(wizard, "1042", "Lobby");
        type(wizard, "1013", "Sesame");
        type(wizard, "1046", "Sesame");
        tick(wizard, "1045");
        tick(wizard, "1021");
        type(wizard, "1023", "8");
        ASSERT_TRUE(next(wizard));
        finish(wizard);
    }));
    EXPECT_EQ(windowsPrinters(), (std::vector<std::string>{"Head Office"}));
    const WindowsPrinter made = windowsPrinter("Head Office");
    EXPECT_EQ(made.driver, "ZORLAN H7 LASER") << "the driver as the list shows it";
    EXPECT_EQ(made.port, "ZORVALINE_INTERNET:");
    EXPECT_FALSE(tree->driverInstallPending);
    ASSERT_NE(printerItem("Head Office"), nullptr);
    EXPECT_EQ(value("Head Office", "PrinterDriver"), "ZORLAN H7 LASER");
    EXPECT_EQ(value("Head Office", "PrinterEmail"), "office@print.example");
    EXPECT_EQ(value("Head Office", "PrinterDescription"), "Lobby");
    EXPECT_EQ(value("Head Office", "PrinterPassword"), "Sesame");
    EXPECT_EQ(value("Head Office", "LimitPacketSize"), "TRUE");
    EXPECT_EQ(value("Head Office", "MaxPacketSizeInKb"), "8");
    EXPECT_EQ(value("Head Office", "TrailerPage"), "TRUE");
    EXPECT_EQ(value("Head Office", "HeaderPage"), "FALSE");
}

TEST_F(AddPrinter, FinishWithAGroupSelectedPutsThePrinterIntoIt)
{
    addGroup("Sales");
    rebuild();
    select(groupItem("Sales"));
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        fillUpToDetails(wizard);
        ASSERT_TRUE(next(wizard));
        finish(wizard);
    }));
    EXPECT_EQ(windowsPrinters(), (std::vector<std::string>{"Head Office", "Sales"}));
    EXPECT_EQ(value("Sales", "Printers"), "Head Office");
    EXPECT_EQ(value("Sales", "GroupDriver"), "ZORLAN H7 LASER");
}

TEST_F(AddPrinter, CancelOnAnyPageCreatesNothing)
{
    const std::string before = databaseText();
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        fillUpToDetails(wizard);
        ASSERT_TRUE(next(wizard));
        wizard.button(QWizard::CancelButton)->click();
    }));
    EXPECT_TRUE(windowsPrinters().empty());
    EXPECT_TRUE(doc.Printers().empty());
    EXPECT_EQ(databaseText(), before);
}

TEST_F(AddPrinter, AFailingSpoolerAddsNothingAndSaysSo)
{
    // Another program takes the name between the name page and Finish.
    ASSERT_TRUE(runWizard("AddPrinter", [&](CMyWizard &wizard) {
        fillUpToDetails(wizard);
        ASSERT_TRUE(next(wizard));
        HANDLE other = sendaro::CreateDestinationPrinter(kFamilyJ8, "Head Office");
        ASSERT_NE(other, nullptr);
        ClosePrinter(other);
        prompts.expectBox("Add Printer operation has failed");
        finish(wizard);
    }));
    EXPECT_EQ(windowsPrinter("Head Office").driver, kFamilyJ8) << "the other printer is left alone";
    EXPECT_TRUE(doc.Printers().empty());
    EXPECT_EQ(printerItem("Head Office"), nullptr);
    EXPECT_EQ(tree->lastSpoolerError, 1802u);
}

} // namespace
