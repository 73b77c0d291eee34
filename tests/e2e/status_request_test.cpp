// `zorvaline status` end to end: the command loads the monitor module that `zorvaline setup`
// installed, the destination database gives the password, and the request reaches a
// scripted SMTP server on loopback.
#include "tests/e2e/ProgramRun.h"

#include "platform/profile/profile.h"
#include "tests/support/ScriptedSmtpServer.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace zortest {
namespace {

const std::string kZorvaline = std::string(ZORVALINE_BIN_DIR) + "/zorvaline";
const std::string kAddress = "back.office@print.example";
const std::string kPassword = "s3cret";
constexpr const char *kSettings = "C:\\ZORVALINE\\VComdef.ini";

std::string md5Hex(const std::string &text)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
    std::string hex;
    char pair[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

// The id of the mail, from its "Message-ID:<G123@domain>" line.
std::string messageIdOf(const std::string &mail)
{
    const std::string field = "Message-ID:<";
    const size_t start = mail.find(field);
    if (start == std::string::npos)
        return {};
    const size_t end = mail.find('@', start);
    return mail.substr(start + field.size(), end - start - field.size());
}

// A database of two printers as the manager saves it; only one has a password.
const char *kDatabase = "[TitleName]\r\nGroupsTitle=Internet-connected Groups of Printers\r\n"
                        "PrintersTitle=Internet-connected Printers\r\nDefaultItem=Front Desk\r\nItemType=TRUE\r\n\r\n"
                        "[ChoosersDatabaseSectionNames]\r\nTitleName=TitleName\r\nFront Desk=Front Desk\r\n"
                        "Back Office=Back Office\r\n\r\n"
                        "[Front Desk]\r\nPrinterName=Front Desk\r\nPrinterDriver=Laser H7\r\n"
                        "PrinterEmail=frontdesk@print.example\r\nPrinterPassword=\r\n\r\n"
                        "[Back Office]\r\nPrinterName=Back Office\r\nPrinterDriver=Laser H7\r\n"
                        "PrinterEmail=back.office@print.example\r\nPrinterPassword=s3cret\r\n";

class StatusRequest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("ZORVALINE_SMTP_TIMEOUT_S", "2", 1);
        const ProgramResult setup = RunProgram({kZorvaline, "setup"});
        ASSERT_EQ(setup.exitCode, 0) << setup.output;
        WriteSmtpServicesFile(root, server.port());
        writeSetting("IntranetSetup", "SmtpServer", "127.0.0.1");
        writeSetting("IntranetSetup", "SenderEmail", "office@example.test");
        root.writeFile(root.driveC("ZORVALINE/Sendaro.Cfg"), kDatabase);
    }
    void TearDown() override { unsetenv("ZORVALINE_SMTP_TIMEOUT_S"); }

    static void writeSetting(const std::string &section, const char *key, const std::string &value)
    {
        ASSERT_TRUE(WritePrivateProfileString(section.c_str(), key, value.c_str(), kSettings));
    }
    // The value of [section] key in VComdef.ini, or "(none)" when the key is missing.
    static std::string setting(const std::string &section, const char *key)
    {
        char value[256];
        GetPrivateProfileString(section.c_str(), key, "(none)", value, sizeof value, kSettings);
        return value;
    }

    TempRoot root;
    ScriptedSmtpServer server;
};

TEST_F(StatusRequest, CarriesTheDestinationsPasswordAsADigestOnlyAndEmptiesItAfter)
{
    // The address as typed, in other case than the database has it.
    const ProgramResult run = RunProgram({kZorvaline, "status", "Back.Office@Print.Example"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("status request sent to Back.Office@Print.Example"), std::string::npos) << run.output;

    ASSERT_EQ(server.messages().size(), 1u);
    const std::string mail = server.messages()[0];
    EXPECT_NE(mail.find("Subject: Get Printer Status \r\n"), std::string::npos) << mail;
    const std::string id = messageIdOf(mail);
    ASSERT_FALSE(id.empty()) << mail;
    EXPECT_NE(mail.find("Keyword:password=" + md5Hex(id + kPassword) + "\r\n"), std::string::npos) << mail;
    EXPECT_EQ(mail.find(kPassword), std::string::npos);
    const std::vector<std::string> recipients = server.commandsStartingWith("RCPT");
    ASSERT_EQ(recipients.size(), 1u);
    EXPECT_NE(recipients[0].find("Back.Office@Print.Example"), std::string::npos) << recipients[0];

    EXPECT_EQ(setting(kAddress, "Password"), "");
}

TEST_F(StatusRequest, AnAddressNoPrinterHasGoesWithoutAnyPassword)
{
    // A password left behind for the address must not travel with the request.
    writeSetting("stranger@print.example", "Password", "stale");
    const ProgramResult run = RunProgram({kZorvaline, "status", "stranger@print.example"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("no printer of C:\\ZORVALINE\\Sendaro.Cfg"), std::string::npos) << run.output;
    ASSERT_EQ(server.messages().size(), 1u);
    EXPECT_EQ(server.messages()[0].find("Keyword:password"), std::string::npos) << server.messages()[0];
    EXPECT_EQ(setting("stranger@print.example", "Password"), "");
}

TEST_F(StatusRequest, ARefusedRequestExitsOneWithTheMonitorsMessageAndStillEmptiesThePassword)
{
    server.queueScript(SmtpScript().reply(SmtpStage::Rcpt, "550 no such mailbox\r\n"));
    const ProgramResult run = RunProgram({kZorvaline, "status", kAddress});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("Zorvaline Internet Port Monitor: "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("was not sent"), std::string::npos) << run.output;
    EXPECT_TRUE(server.messages().empty());
    EXPECT_EQ(setting(kAddress, "Password"), "");
}

TEST_F(StatusRequest, RequestsThatCannotBeMadeExitTwoAndLeaveNoPassword)
{
    ProgramResult run = RunProgram({kZorvaline, "status"});
    EXPECT_EQ(run.exitCode, 2) << run.output;
    run = RunProgram({kZorvaline, "status", "a b@print.example"});
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("a b@print.example: "), std::string::npos) << run.output;
    run = RunProgram({kZorvaline, "status", "x@print.example\r\nDATA"});
    EXPECT_EQ(run.exitCode, 2) << run.output;

    root.writeFile(root.driveC("ZORVALINE/Sendaro.Cfg"), "[ChoosersDatabaseSectionNames]\r\nGone=Gone\r\n");
    run = RunProgram({kZorvaline, "status", kAddress});
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("C:\\ZORVALINE\\Sendaro.Cfg (" + root.driveC("ZORVALINE/Sendaro.Cfg") + ") is corrupted"),
              std::string::npos)
        << run.output;

    root.writeFile(root.driveC("ZORVALINE/Sendaro.Cfg"), kDatabase);
    std::filesystem::remove(root.driveC("WINDOWS/SYSTEM/ZORMON.DLL"));
    run = RunProgram({kZorvaline, "status", kAddress});
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("cannot load the monitor C:\\WINDOWS\\SYSTEM\\ZORMON.DLL"), std::string::npos)
        << run.output;

    EXPECT_EQ(server.connections(), 0);
    EXPECT_EQ(setting(kAddress, "Password"), "(none)") << "no password may be written for a request not made";

    run = RunProgram({kZorvaline, "status", "--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output.rfind("usage: zorvaline status ADDRESS", 0), 0u) << run.output;
    run = RunProgram({kZorvaline, "--help"});
    EXPECT_NE(run.output.find("  status "), std::string::npos) << run.output;
}

} // namespace
} // namespace zortest
