// The printer property sheet with real widgets: its pages, the limits of its edits, the
// exchange of values on OK, the buddy up-down, the hints, and the status request with the
// password handed to the monitor and taken back on every path.
#include "manager/dialogs/PrinterProperty.h"
#include "manager/dialogs/StatusRequest.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/support/ScriptedSmtpServer.h"

#include <QCryptographicHash>
#include <QListWidget>
#include <QTabWidget>
#include <QToolButton>

namespace {

using namespace dialogtest;

const char *const kCommDefaults = "C:\\ZORVALINE\\VComdef.ini";
const char *const kAddress = "laser7@printers.example.test";
const std::string kConfirmation = std::string("An e-mail has been sent to the printer \"Laser 7\" at \"") + kAddress +
                                  "\" requesting its status. \n\nDepending on the printer availability and e-mail "
                                  "traffic, you should shortly receive an e-mail message on printer status to the "
                                  "e-mail address specified in the communication setup.";

class PrinterPropertyTest : public DialogTest {
protected:
    PrinterPropertyTest()
    {
        PrinterRecord &printer = addPrinter("Laser 7");
        printer.PrinterEmail = kAddress;
        printer.PrinterDescription = "Second floor";
        printer.PrinterPassword = "s3cret";
        printer.MaxPacketSizeInKb = 64;
        printer.HeaderPage = true;
    }

    PrinterRecord &printer() { return *doc.Printers().front(); }

    std::vector<QString> tabs(PrinterProperty &sheet)
    {
        std::vector<QString> titles;
        auto *pages = sheet.findChild<QTabWidget *>();
        for (int i = 0; pages && i < pages->count(); ++i)
            titles.push_back(pages->tabText(i));
        return titles;
    }
    QString currentTab(PrinterProperty &sheet)
    {
        auto *pages = sheet.findChild<QTabWidget *>();
        return pages->tabText(pages->currentIndex());
    }

    static std::string commPassword(const char *address = kAddress)
    {
        char value[256] = {};
        GetPrivateProfileString(address, "Password", "<none>", value, sizeof value, kCommDefaults);
        return value;
    }
};

TEST_F(PrinterPropertyTest, PagesFollowTheGroupsOfThePrinter)
{
    PrinterProperty alone("Printer Properties", doc, "LASER 7");
    ASSERT_TRUE(alone.Found()) << "the name is compared without regard to case";
    EXPECT_EQ(alone.windowTitle(), "Printer Properties");
    EXPECT_EQ(tabs(alone), (std::vector<QString>{"General Info", "Advanced Info"}));

    printer().ContainingGroups = {"Sales", "Lab"};
    PrinterProperty member("Printer Properties", doc, "Laser 7");
    EXPECT_EQ(tabs(member), (std::vector<QString>{"General Info", "Member Of", "Advanced Info"}));
    auto *groups = Find<QListWidget>(member, "1022");
    ASSERT_EQ(groups->count(), 2);
    EXPECT_EQ(groups->item(0)->text(), "Sales");
    EXPECT_EQ(groups->item(1)->text(), "Lab");

    PrinterProperty missing("Printer Properties", doc, "Laser 8");
    EXPECT_FALSE(missing.Found());
}

TEST_F(PrinterPropertyTest, EditsShowTheValuesWithinTheirLimits)
{
    PrinterProperty sheet("Printer Properties", doc, "Laser 7");
    EXPECT_FALSE(Find(sheet, "1004")->isEnabled()) << "the name is changed by Rename only";
    EXPECT_EQ(Text(sheet, "1004"), "Laser 7");
    EXPECT_TRUE(Find<QLineEdit>(sheet, "1015")->isReadOnly());
    EXPECT_EQ(Find<QLineEdit>(sheet, "1007")->maxLength(), 255);
    EXPECT_EQ(Find<QLineEdit>(sheet, "1009")->maxLength(), 255);
    EXPECT_EQ(Find<QLineEdit>(sheet, "1004")->maxLength(), 31);
    EXPECT_EQ(Text(sheet, "1034"), "s3cret") << "the confirmation starts with the password";
    EXPECT_EQ(Find<QLineEdit>(sheet, "1033")->echoMode(), QLineEdit::Password);

    Find<QLineEdit>(sheet, "1033")->clear();
    Type(sheet, "1033", "12345678901");
    EXPECT_EQ(Text(sheet, "1033"), "1234567890") << "an 11th character cannot be typed";
}

TEST_F(PrinterPropertyTest, StoredTextLongerThanItsLimitIsShownWholeAndRefused)
{
    printer().PrinterDescription = std::string(300, 'd');
    PrinterProperty sheet("Printer Properties", doc, "Laser 7");
    EXPECT_EQ(Text(sheet, "1007").size(), 300) << "nothing is cut silently";
    prompts.expectBox("Please enter no more than 255 characters.");
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Rejected) << "the sheet stays open";
    EXPECT_EQ(currentTab(sheet), "General Info");
}

TEST_F(PrinterPropertyTest, SizeFollowsItsBoxAndTheUpDownCountsWithinTheRange)
{
    PrinterProperty sheet("Printer Properties", doc, "Laser 7");
    EXPECT_FALSE(Find(sheet, "1029")->isEnabled());
    EXPECT_FALSE(Find(sheet, "1026")->isEnabled());
    Find<QTabWidget>(sheet, "pages")->setCurrentIndex(1);
    sheet.show();
    Click(sheet, "1024");
    EXPECT_TRUE(Find(sheet, "1029")->isEnabled());
    EXPECT_TRUE(Find(sheet, "1026")->isEnabled());

    QList<QToolButton *> arrows = Find(sheet, "1026")->findChildren<QToolButton *>();
    ASSERT_EQ(arrows.size(), 2);
    arrows[0]->click();
    EXPECT_EQ(Text(sheet, "1029"), "65");
    Find<QLineEdit>(sheet, "1029")->setText("100");
    arrows[0]->click();
    EXPECT_EQ(Text(sheet, "1029"), "100");
    Find<QLineEdit>(sheet, "1029")->setText("2");
    arrows[1]->click();
    EXPECT_EQ(Text(sheet, "1029"), "2");

    Click(sheet, "1024");
    EXPECT_FALSE(Find(sheet, "1029")->isEnabled());
}

TEST_F(PrinterPropertyTest, OkTakesEveryPagesValues)
{
    PrinterProperty sheet("Printer Properties", doc, "Laser 7");
    Find<QLineEdit>(sheet, "1007")->setText("Third floor");
    Find<QLineEdit>(sheet, "1009")->setText("laser9@printers.example.test");
    Find<QLineEdit>(sheet, "1012")->setText("Reception");
    Find<QLineEdit>(sheet, "1014")->setText("Hall");
    Find<QLineEdit>(sheet, "1033")->setText("pw");
    Find<QLineEdit>(sheet, "1034")->setText("pw");
    Find<QAbstractButton>(sheet, "1037")->setChecked(false);
    Find<QAbstractButton>(sheet, "1038")->setChecked(true);
    Find<QAbstractButton>(sheet, "1024")->setChecked(true);
    Find<QLineEdit>(sheet, "1029")->setText("12");
    sheet.accept();
    ASSERT_EQ(sheet.result(), QDialog::Accepted);
    const PrinterRecord &values = sheet.Values();
    EXPECT_EQ(values.PrinterName, "Laser 7");
    EXPECT_EQ(values.PrinterDescription, "Third floor");
    EXPECT_EQ(values.PrinterEmail, "laser9@printers.example.test");
    EXPECT_EQ(values.DefaultRecipient, "Reception");
    EXPECT_EQ(values.RecipientLocation, "Hall");
    EXPECT_EQ(values.PrinterDriver, kDriver);
    EXPECT_EQ(values.PrinterPassword, "pw");
    EXPECT_FALSE(values.HeaderPage);
    EXPECT_TRUE(values.TrailerPage);
    EXPECT_TRUE(values.LimitPacketSize);
    EXPECT_EQ(values.MaxPacketSizeInKb, 12);
    EXPECT_EQ(printer().PrinterDescription, "Second floor") << "the caller applies the values, not the sheet";
}

TEST_F(PrinterPropertyTest, RefusedValuesKeepTheSheetOnTheirPage)
{
    PrinterProperty sheet("Printer Properties", doc, "Laser 7");
    Find<QLineEdit>(sheet, "1034")->setText("other");
    prompts.expectBox("Retype the password again");
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_EQ(currentTab(sheet), "Advanced Info");

    // The size is checked while its edit is disabled too.
    Find<QLineEdit>(sheet, "1034")->setText("s3cret");
    Find<QLineEdit>(sheet, "1029")->setText("fast");
    prompts.expectBox("Please enter an integer.");
    sheet.accept();
    Find<QLineEdit>(sheet, "1029")->setText("101");
    prompts.expectBox("Please enter an integer between 2 and 100.");
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Rejected);

    // General Info is taken first: a bad address is the only message.
    Find<QLineEdit>(sheet, "1009")->setText("no room@example");
    prompts.expectBox(zordb::ManagerString(32840));
    sheet.accept();
    EXPECT_EQ(currentTab(sheet), "General Info");
    EXPECT_EQ(prompts.pending(), 0u);
}

TEST_F(PrinterPropertyTest, HintsNameTheControlUnderTheMouse)
{
    PrinterProperty sheet("Printer Properties", doc, "Laser 7");
    QWidget *general = Find(sheet, "134");
    auto hintOver = [](QWidget *page, const char *id) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(page->findChild<QWidget *>(id), &enter);
        return page->findChild<QLabel *>("1032")->text();
    };
    EXPECT_EQ(hintOver(general, "1009"), "Enter the printer e-mail here.");
    EXPECT_EQ(hintOver(general, "1015"), "Enter the printer e-mail here.") << "the driver field leaves the line";
    EXPECT_EQ(hintOver(Find(sheet, "146"), "1034"), "Retype the printer password to confirm.");
}

TEST_F(PrinterPropertyTest, GetStatusWithoutAddressDoesNothing)
{
    PrinterProperty sheet("Printer Properties", doc, "Laser 7");
    Find<QLineEdit>(sheet, "1009")->clear();
    prompts.expectBox("Printer e-mail cannot be NULL");
    Find<QAbstractButton>(sheet, "1017")->click();
    EXPECT_EQ(prompts.boxes().size(), 1u) << "only the check's own message";
    EXPECT_FALSE(std::filesystem::exists(root.driveC("ZORVALINE/VComdef.ini")));
}

TEST_F(PrinterPropertyTest, PasswordLeavesVComdefWhenTheModuleLacksTheExport)
{
    save();
    PrinterProperty sheet("Printer Properties", doc, "Laser 7");
    prompts.expectBox(kConfirmation, IDOK);
    Find<QAbstractButton>(sheet, "1017")->click();
    EXPECT_EQ(commPassword(), "") << "the stand-in monitor has no ChooserGetStatus";
}

TEST_F(PrinterPropertyTest, PasswordLeavesVComdefWhenTheModuleIsMissing)
{
    save();
    std::filesystem::remove(root.driveC("WINDOWS/SYSTEM/ZORMON.DLL"));
    EXPECT_EQ(sendaro::RequestPrinterStatus("Laser 7", kAddress), sendaro::StatusRequestResult::ModuleMissing);
    EXPECT_EQ(commPassword(), "");
}

TEST_F(PrinterPropertyTest, StatusRequestMailsThePasswordDigestAndTakesThePasswordBack)
{
    save();
    std::filesystem::copy_file(ZORMON_MODULE, root.driveC("WINDOWS/SYSTEM/ZORMON.DLL"),
                               std::filesystem::copy_options::overwrite_existing);
    zortest::ScriptedSmtpServer server;
    zortest::WriteSmtpServicesFile(root, server.port());
    ASSERT_TRUE(WritePrivateProfileString("IntranetSetup", "SmtpServer", "127.0.0.1", kCommDefaults));
    ASSERT_TRUE(WritePrivateProfileString("IntranetSetup", "SenderEmail", "admin@office.example", kCommDefaults));

    PrinterProperty sheet("Printer Properties", doc, "Laser 7");
    prompts.expectBox(kConfirmation);
    Find<QAbstractButton>(sheet, "1017")->click();

    ASSERT_EQ(server.messages().size(), 1u);
    const std::string mail = server.messages()[0];
    EXPECT_NE(mail.find("Subject: Get Printer Status "), std::string::npos) << mail;
    const size_t idAt = mail.find("Message-ID:<");
    ASSERT_NE(idAt, std::string::npos) << mail;
    const std::string id = mail.substr(idAt + 12, mail.find('@', idAt) - idAt - 12);
    const QByteArray digest = QCryptographicHash::hash(QByteArray::fromStdString(id + "s3cret"), QCryptographicHash::Md5).toHex();
    EXPECT_NE(mail.find("Keyword:password=" + digest.toStdString()), std::string::npos) << mail;
    EXPECT_EQ(mail.find("s3cret"), std::string::npos);
    EXPECT_EQ(commPassword(), "");
}

} // namespace
