// End to end: on a fresh root set up by zorvaline, a user makes a group, adds a printer with
// the Add Printer wizard and puts it into the group with the Add Printer to Group wizard,
// all through the manager's real widgets; then `zorvaline print -P <group>` mails the job to
// the printer's address through a real SMTP server on 127.0.0.1.
#include "manager/shell/CManagerApp.h"
#include "platform/base/text.h"
#include "platform/profile/profile.h"
#include "tests/e2e/ProgramRun.h"
#include "tests/drivers/CopyDialogDriver.h"
#include "tests/setup/WizardFixture.h"
#include "tests/support/ScriptedSmtpServer.h"

#include <fstream>
#include <sstream>

using namespace wizardtest;

namespace {

const std::string kBin = ZORVALINE_BIN_DIR;
const std::string kAddress = "front.desk@printers.test";

class WizardsEndToEnd : public WizardTest {
protected:
    WizardsEndToEnd() : WizardTest(false) {}

    // The recipients of the mails the recording server stored, in arrival order, and the
    // text of the last one.
    std::vector<std::string> recipients(std::string &lastMail) const
    {
        std::vector<std::string> found;
        std::ifstream index(mailFolder + "/index");
        for (std::string line; std::getline(index, line);) {
            std::istringstream fields(line);
            std::string file, connection, recipient;
            fields >> file >> connection >> recipient;
            found.push_back(recipient);
            lastMail = zortest::TempRoot::readFile(mailFolder + "/" + file);
        }
        return found;
    }

    std::string mailFolder = root.path() + "/mail";
};

// Fills the New Group dialog the command opens and presses OK.
bool makeGroup(CMainFrame &frame, const QString &name)
{
    bool made = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->findChild<QLineEdit *>("1000")->setText(name);
        dialog->findChild<QLineEdit *>("1001")->setText("The front office");
        dialog->findChild<QAbstractButton *>("1")->click();
        made = !dialog->isVisible();
        if (!made)
            dialog->reject();
    });
    frame.Command("AddGroup")->trigger();
    return made;
}

TEST_F(WizardsEndToEnd, PrinterAddedAndGroupedInTheWizardsReceivesTheGroupsJob)
{
    ASSERT_EQ(zortest::RunProgram({kBin + "/zorvaline", "setup"}).exitCode, 0);
    root.writeFile(root.driveC("WINDOWS/SYSTEM/ZH7PS.DRV"), "driver");
    root.writeFile(root.driveC("WINDOWS/SYSTEM/ZH7PS.PPD"), "*PPD-Adobe: \"4.3\"\n");
    const zortest::ProgramResult driver = zortest::RunProgram(
        {kBin + "/zorvaline", "drivers", "add", "Zorlan H7 PostScript", "--driver", "ZH7PS.DRV", "--data", "ZH7PS.PPD"});
    ASSERT_EQ(driver.exitCode, 0) << driver.output;
    zortest::ServerProcess server{
        {"/usr/bin/python3", std::string(ZORVALINE_SOURCE_DIR) + "/tests/support/recording_smtp_server.py", mailFolder}};
    ASSERT_GT(server.port(), 0) << "the SMTP server did not start";
    zortest::WriteSmtpServicesFile(root, static_cast<uint16_t>(server.port()));
    for (const auto &[key, value] : {std::pair{"SmtpServer", "127.0.0.1"}, std::pair{"SenderEmail", "office@example.test"}})
        ASSERT_TRUE(WritePrivateProfileString("IntranetSetup", key, value, "C:\\ZORVALINE\\VComDef.ini"));
    {
        CManagerApp app;
        ASSERT_TRUE(app.InitInstance({}));
        CMainFrame &programFrame = *app.MainFrame();
        TreeView *programTree = programFrame.Tree();
        ASSERT_TRUE(makeGroup(programFrame, "Front Office"));

        programTree->setCurrentItem(programTree->PrintersRoot());
        QTimer::singleShot(0, [&] {
            auto *wizard = qobject_cast<CMyWizard *>(QApplication::activeModalWidget());
            ASSERT_NE(wizard, nullptr);
            ASSERT_TRUE(next(*wizard));
            type(*wizard, "1040", "Front Desk");
            type(*wizard, "1054", QString::fromStdString(kAddress));
            ASSERT_TRUE(next(*wizard));
            auto *drivers = control<QListWidget>(*wizard, "1055");
            const QList<QListWidgetItem *> found = drivers->findItems("ZORLAN H7 POSTSCRIPT", Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            drivers->setCurrentItem(found.front());
            ASSERT_TRUE(next(*wizard));
            ASSERT_TRUE(next(*wizard));
            finish(*wizard);
        });
        programFrame.Command("AddPrinter")->trigger();
        ASSERT_NE(programTree->FindPrinterItem("Front Desk"), nullptr);

        programTree->setCurrentItem(programTree->FindPrinterItem("Front Desk"));
        ASSERT_TRUE(programFrame.Command("AddPrinterToGroup")->isEnabled());
        QTimer::singleShot(0, [&] {
            auto *wizard = qobject_cast<CMyWizard *>(QApplication::activeModalWidget());
            ASSERT_NE(wizard, nullptr);
            ASSERT_TRUE(next(*wizard));
            ASSERT_TRUE(next(*wizard)) << "the only group is selected";
            finish(*wizard);
        });
        programFrame.Command("AddPrinterToGroup")->trigger();
        EXPECT_EQ(windowsPrinters(), (std::vector<std::string>{"Front Desk", "Front Office"}));
        EXPECT_EQ(windowsPrinter("Front Office").driver, "ZORLAN H7 POSTSCRIPT");
    }
    const std::string job = "%!PS-Adobe-3.0\n72 700 moveto (Hello, front desk) show\nshowpage\n";
    root.writeFile(root.path() + "/hello.ps", job);
    const zortest::ProgramResult print =
        zortest::RunProgram({kBin + "/zorvaline", "print", "-P", "Front Office", root.path() + "/hello.ps"});
    ASSERT_EQ(print.exitCode, 0) << print.output;
    std::string mail;
    EXPECT_EQ(recipients(mail), (std::vector<std::string>{kAddress}));
    // Quoted-printable, as every job travels: the blanks are encoded.
    EXPECT_NE(mail.find("(Hello,=20front=20desk)"), std::string::npos) << mail;
}

TEST_F(WizardsEndToEnd, ModelFromTheSampleDiskIsInstalledWhenTheWizardFinishes)
{
    ASSERT_EQ(zortest::RunProgram({kBin + "/zorvaline", "setup"}).exitCode, 0);
    CManagerApp app;
    ASSERT_TRUE(app.InitInstance({}));
    CMainFrame &programFrame = *app.MainFrame();
    programFrame.Tree()->setCurrentItem(programFrame.Tree()->PrintersRoot());
    drivertest::CopyDialogDriver copyDialog;
    QTimer::singleShot(0, [&] {
        auto *wizard = qobject_cast<CMyWizard *>(QApplication::activeModalWidget());
        ASSERT_NE(wizard, nullptr);
        ASSERT_TRUE(next(*wizard));
        type(*wizard, "1040", "Colour Room");
        type(*wizard, "1054", "colour@printers.test");
        ASSERT_TRUE(next(*wizard));
        prompts.expectFile("C:\\ZORVALINE\\DRIVERS\\FAMILY\\ZORFAM.INF");
        control<QAbstractButton>(*wizard, "1056")->click();
        auto *drivers = control<QListWidget>(*wizard, "1055");
        const QList<QListWidgetItem *> found = drivers->findItems("ZORLAN K7 COLOUR", Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        drivers->setCurrentItem(found.front());
        ASSERT_TRUE(next(*wizard));
        ASSERT_TRUE(next(*wizard));
        finish(*wizard);
    });
    programFrame.Command("AddPrinter")->trigger();
    EXPECT_TRUE(copyDialog.opened) << "the driver's files were copied under the user's eyes";
    EXPECT_EQ(windowsPrinters(), (std::vector<std::string>{"Colour Room"}));
    EXPECT_TRUE(zorplat::EqualsIgnoringCase(windowsPrinter("Colour Room").driver, "Zorlan K7 Colour"))
        << windowsPrinter("Colour Room").driver;
    EXPECT_TRUE(std::filesystem::exists(root.driveC("WINDOWS/SYSTEM/ZORK7.PPD")));
    char stored[256] = {};
    GetPrivateProfileString("Colour Room", "PrinterDriver", "", stored, sizeof stored, "C:\\ZORVALINE\\Sendaro.Cfg");
    EXPECT_STREQ(stored, "ZORLAN K7 COLOUR");
}

} // namespace
