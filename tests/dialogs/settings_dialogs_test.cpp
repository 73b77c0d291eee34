// Communication Setup and Job Options: what they read from and write to VComdef.ini, their
// checks, and a file that cannot be written.
#include "manager/dialogs/CCommSetupDlg.h"
#include "manager/dialogs/CJobOptionsDlg.h"
#include "tests/dialogs/DialogTestSupport.h"

#include <QCheckBox>
#include <QComboBox>

#include <sys/stat.h>

using namespace dialogtest;

namespace {

const char *const kVComDef = "C:\\ZORVALINE\\VComdef.ini";

class SettingsDialogs : public DialogTest {
protected:
    static void setValue(const char *section, const char *key, const char *value)
    {
        ASSERT_TRUE(WritePrivateProfileString(section, key, value, kVComDef));
    }
    static std::string value(const char *section, const char *key)
    {
        char buffer[512] = {};
        GetPrivateProfileString(section, key, "<absent>", buffer, sizeof buffer, kVComDef);
        return buffer;
    }
    std::string file() const { return root.driveC("ZORVALINE/VComdef.ini"); }

    static bool checked(QDialog &dialog, const char *id)
    {
        auto *box = Find<QCheckBox>(dialog, id);
        return box && box->isChecked();
    }
};

TEST_F(SettingsDialogs, CommunicationSetupShowsAndWritesTheServerAndTheSender)
{
    setValue("IntranetSetup", "SmtpServer", "mail.example");
    setValue("IntranetSetup", "SenderEmail", "me@example");
    CCommSetupDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "Communication Setup");
    EXPECT_EQ(Text(dialog, "1027"), "mail.example");
    EXPECT_EQ(Text(dialog, "1028"), "me@example");
    EXPECT_EQ(Find<QLineEdit>(dialog, "1027")->maxLength(), 255);
    EXPECT_EQ(Find(dialog, "1028")->accessibleName(), "User e-mail       :");
    EXPECT_EQ(HintOver(dialog, "1027"), "Enter the SMTP server name here.");
    EXPECT_EQ(HintOver(dialog, "1028"), "Enter the user's e-mail address here. The sender will get feedback on the "
                                        "print job at this address.");
    dialog.show();
    Find<QLineEdit>(dialog, "1027")->clear();
    Type(dialog, "1027", " smtp.example");
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << "a leading blank is accepted";
    EXPECT_NE(zortest::TempRoot::readFile(file()).find("SmtpServer= smtp.example\r\n"), std::string::npos);
    EXPECT_EQ(value("IntranetSetup", "SenderEmail"), "me@example");
}

TEST_F(SettingsDialogs, CommunicationSetupChecksInOrderAndWritesNothingOnARefusal)
{
    CCommSetupDlg dialog;
    dialog.show();
    prompts.expectBox("Host's address cannot be NULL");
    Click(dialog, "1");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(HasFocus(dialog, "1027"));

    Type(dialog, "1027", "smtp.example ");
    prompts.expectBox("User's e-mail cannot be NULL");
    Click(dialog, "1");
    EXPECT_TRUE(HasFocus(dialog, "1028"));

    Type(dialog, "1028", "me@example");
    prompts.expectBox("Space can not be the first or the last character.");
    Click(dialog, "1");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(HasFocus(dialog, "1027"));
    EXPECT_FALSE(std::filesystem::exists(file())) << "nothing is written after a refusal";
    EXPECT_EQ(prompts.pending(), 0u);
}

TEST_F(SettingsDialogs, CommunicationSetupShowsAndWritesPortSecurityAndLogin)
{
    setValue("IntranetSetup", "SmtpServer", "mail.example");
    setValue("IntranetSetup", "SenderEmail", "me@example");
    setValue("IntranetSetup", "SmtpPort", "465");
    setValue("IntranetSetup", "SmtpSecurity", "TLS");
    setValue("IntranetSetup", "SmtpUser", "office");
    setValue("IntranetSetup", "SmtpPassword", "s3cret");
    CCommSetupDlg dialog;
    EXPECT_EQ(Text(dialog, "1090"), "465");
    auto *security = Find<QComboBox>(dialog, "1091");
    ASSERT_NE(security, nullptr);
    EXPECT_EQ(security->currentText(), "TLS");
    EXPECT_EQ(Text(dialog, "1092"), "office");
    auto *password = Find<QLineEdit>(dialog, "1093");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password) << "the password is masked";
    EXPECT_EQ(password->text(), "s3cret");
    EXPECT_EQ(Find(dialog, "1093")->accessibleName(), "Password:");
    EXPECT_EQ(HintOver(dialog, "1091"), "Choose how the connection to the SMTP server is encrypted. Most mail "
                                        "providers require STARTTLS or TLS.");

    dialog.show();
    Find<QLineEdit>(dialog, "1090")->clear();
    Type(dialog, "1090", "587");
    security->setCurrentIndex(1);
    Find<QLineEdit>(dialog, "1093")->clear();
    Type(dialog, "1093", "n3w pass");
    Click(dialog, "1");
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(value("IntranetSetup", "SmtpPort"), "587");
    EXPECT_EQ(value("IntranetSetup", "SmtpSecurity"), "starttls");
    EXPECT_EQ(value("IntranetSetup", "SmtpUser"), "office");
    EXPECT_EQ(value("IntranetSetup", "SmtpPassword"), "n3w pass");
    struct stat info {};
    ASSERT_EQ(stat(file().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(SettingsDialogs, CommunicationSetupRefusesABadPortAndAnUnknownSecurity)
{
    setValue("IntranetSetup", "SmtpServer", "mail.example");
    setValue("IntranetSetup", "SenderEmail", "me@example");
    setValue("IntranetSetup", "SmtpSecurity", "ssl");
    CCommSetupDlg dialog;
    dialog.show();
    for (const char *port : {"0", "65536", "58x"}) {
        Find<QLineEdit>(dialog, "1090")->clear();
        Type(dialog, "1090", port);
        prompts.expectBox("Port must be a number from 1 to 65535, or empty for the standard SMTP port.");
        Click(dialog, "1");
        EXPECT_TRUE(HasFocus(dialog, "1090")) << port;
    }
    Find<QLineEdit>(dialog, "1090")->clear();
    // A stored value the monitor would refuse is not replaced behind the user's back.
    prompts.expectBox("Choose how the connection to the SMTP server is secured.");
    Click(dialog, "1");
    EXPECT_TRUE(HasFocus(dialog, "1091"));
    EXPECT_EQ(value("IntranetSetup", "SmtpSecurity"), "ssl");
    EXPECT_EQ(prompts.pending(), 0u);

    Find<QComboBox>(dialog, "1091")->setCurrentIndex(0);
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(value("IntranetSetup", "SmtpSecurity"), "none");
    EXPECT_EQ(value("IntranetSetup", "SmtpPort"), "");
}

TEST_F(SettingsDialogs, NewVComdefIsReadableByItsOwnerOnly)
{
    CCommSetupDlg dialog;
    dialog.show();
    Type(dialog, "1027", "smtp.example");
    Type(dialog, "1028", "me@example");
    Click(dialog, "1");
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    struct stat info {};
    ASSERT_EQ(stat(file().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "the file also carries printer passwords";
}

TEST_F(SettingsDialogs, AFileThatCannotBeWrittenIsReportedAndTheDialogStays)
{
    root.writeFile(root.driveC("WINDOWS/SYSTEM/Varnel.ini"), "[Install]\r\nDirectory=C:\\MISSING\r\n");
    CCommSetupDlg commSetup;
    commSetup.show();
    Type(commSetup, "1027", "smtp.example");
    Type(commSetup, "1028", "me@example");
    prompts.expectBox("The settings could not be written to C:\\MISSING\\VComdef.ini (error 3). Nothing was saved.");
    Click(commSetup, "1");
    EXPECT_TRUE(commSetup.isVisible());
    EXPECT_NE(commSetup.result(), QDialog::Accepted);

    CJobOptionsDlg jobOptions;
    jobOptions.show();
    prompts.expectBox("The settings could not be written to C:\\MISSING\\VComdef.ini (error 3). Nothing was saved.");
    Click(jobOptions, "1");
    EXPECT_TRUE(jobOptions.isVisible());
}

TEST_F(SettingsDialogs, JobOptionsOpensWithTheStoredStatusBits)
{
    setValue("HeaderFooter", "StatusRequired", "5");
    setValue("HeaderFooter", "Subject", "Weekly report");
    CJobOptionsDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "Job Options");
    EXPECT_TRUE(checked(dialog, "141"));
    EXPECT_FALSE(checked(dialog, "133"));
    EXPECT_TRUE(checked(dialog, "145"));
    EXPECT_EQ(Text(dialog, "143"), "Weekly report");
    EXPECT_EQ(Find(dialog, "133")->accessibleName(), "On Error ");
    EXPECT_EQ(Find(dialog, "1057")->accessibleName(), "Apply");
}

TEST_F(SettingsDialogs, JobOptionsWritesTheStatusSumAndClearsTheOtherKeys)
{
    setValue("HeaderFooter", "StatusRequired", "not a number");
    setValue("HeaderFooter", "From", "Somebody");
    setValue("HeaderFooter", "Location", "Room 4");
    setValue("HeaderFooter", "Notes", "left by another program");
    setValue("HeaderFooter", "HeaderFooterRequired", "3");
    CJobOptionsDlg dialog;
    EXPECT_FALSE(checked(dialog, "141") || checked(dialog, "133") || checked(dialog, "145"));
    dialog.show();
    Click(dialog, "133");
    Type(dialog, "143", "Invoices");
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(value("HeaderFooter", "StatusRequired"), "2");
    EXPECT_EQ(value("HeaderFooter", "HeaderFooterRequired"), "0");
    EXPECT_EQ(value("HeaderFooter", "From"), "");
    EXPECT_EQ(value("HeaderFooter", "Location"), "");
    EXPECT_EQ(value("HeaderFooter", "Notes"), "");
    EXPECT_EQ(value("HeaderFooter", "Subject"), "Invoices");
}

TEST_F(SettingsDialogs, JobOptionsApplyThenCancelKeepsTheAppliedValues)
{
    CJobOptionsDlg dialog;
    dialog.show();
    for (const char *box : {"141", "133", "145"})
        Click(dialog, box);
    Click(dialog, "1057");
    EXPECT_TRUE(dialog.isVisible()) << "Apply leaves the dialog open";
    EXPECT_EQ(value("HeaderFooter", "StatusRequired"), "7");
    Click(dialog, "141");
    Click(dialog, "2");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(value("HeaderFooter", "StatusRequired"), "7");
}

TEST_F(SettingsDialogs, JobDescriptionRefusesTypingBeyond64Characters)
{
    CJobOptionsDlg dialog;
    dialog.show();
    const QString full(64, 'x');
    Type(dialog, "143", full);
    EXPECT_EQ(prompts.boxes().size(), 0u);
    prompts.expectBox("Subject must not be more then 64 characters in length");
    Type(dialog, "143", "y");
    EXPECT_EQ(Text(dialog, "143"), full);
    Click(dialog, "1");
    EXPECT_EQ(value("HeaderFooter", "Subject"), full.toStdString());
}

TEST_F(SettingsDialogs, ALongerStoredDescriptionStaysAndCanBeShortened)
{
    const std::string stored(70, 'z');
    setValue("HeaderFooter", "Subject", stored.c_str());
    CJobOptionsDlg dialog;
    dialog.show();
    EXPECT_EQ(Text(dialog, "143").toStdString(), stored);
    Find(dialog, "143")->setFocus();
    QTest::keyClick(Find(dialog, "143"), Qt::Key_Backspace);
    EXPECT_EQ(Text(dialog, "143").size(), 69) << "shortening is no refusal";
}

} // namespace
