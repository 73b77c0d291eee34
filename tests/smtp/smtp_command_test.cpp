// `zorvaline smtp` and `zorvaline journal` as a user runs them: settings shown and set
// (the password read from standard input and never shown), `smtp test` against a real
// server in each mode, and the journal listed and filtered.
#include "tests/smtp/SubmissionFixture.h"

#include "monitor/DeliveryJournal.h"

#include <sys/stat.h>

#include <string>
#include <vector>

namespace zortest {
namespace {

const std::string kZorvaline = std::string(ZORVALINE_BIN_DIR) + "/zorvaline";

class SmtpCommand : public SubmissionFixture {
protected:
    static ProgramResult smtp(const std::vector<std::string> &arguments)
    {
        std::vector<std::string> command{kZorvaline, "smtp"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return RunProgram(command);
    }

    static std::string setting(const char *key)
    {
        char value[512] = {};
        GetPrivateProfileString("IntranetSetup", key, "<absent>", value, sizeof value, zormon::VComDefPath().c_str());
        return value;
    }
};

TEST_F(SmtpCommand, SetsTheSettingsTakesThePasswordFromStdinAndNeverShowsIt)
{
    // A settings file another program made readable by all becomes owner-only with the password.
    ASSERT_EQ(::chmod(root.driveC("ZORVALINE/VComDef.ini").c_str(), 0644), 0);
    ProgramResult set = RunProgram({"/bin/sh", "-c",
                                    "printf 'se cret:42\\n' | '" + kZorvaline +
                                        "' smtp --server mail.example.test --port 587 --security StartTLS"
                                        " --user office --password-stdin --sender me@example.test"});
    ASSERT_EQ(set.exitCode, 0) << set.output;
    EXPECT_EQ(setting("SmtpServer"), "mail.example.test");
    EXPECT_EQ(setting("SmtpPort"), "587");
    EXPECT_EQ(setting("SmtpSecurity"), "starttls");
    EXPECT_EQ(setting("SmtpUser"), "office");
    EXPECT_EQ(setting("SmtpPassword"), "se cret:42");
    EXPECT_EQ(setting("SenderEmail"), "me@example.test");
    EXPECT_EQ(set.output.find("se cret"), std::string::npos);
    EXPECT_NE(set.output.find("password: (set)"), std::string::npos) << set.output;
    struct stat info{};
    ASSERT_EQ(::stat(root.driveC("ZORVALINE/VComDef.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // Shown without options, still without the password.
    ProgramResult shown = smtp({});
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_NE(shown.output.find("security: starttls"), std::string::npos) << shown.output;
    EXPECT_EQ(shown.output.find("se cret"), std::string::npos);
}

TEST_F(SmtpCommand, RefusesBadValuesAndWritesNoneOfThem)
{
    for (const std::vector<std::string> &bad : std::vector<std::vector<std::string>>{
             {"--security", "ssl"},
             {"--port", "70000"},
             {"--port", "58x7"},
             {"--server", "mail.example.test "},
             {"--sender", "nobody"},
             {"--server"},
             {"--colour", "blue"}}) {
        std::vector<std::string> arguments{"--user", "changed"};
        arguments.insert(arguments.end(), bad.begin(), bad.end());
        ProgramResult result = smtp(arguments);
        EXPECT_EQ(result.exitCode, 2) << bad[0];
        EXPECT_NE(result.output.find("zorvaline smtp: "), std::string::npos) << result.output;
    }
    EXPECT_EQ(setting("SmtpUser"), "<absent>");
}

TEST_F(SmtpCommand, TestReportsWhatThePlainServerOffers)
{
    startServer({"--size=1000000"});
    ProgramResult result = smtp({"test"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("greeting: 220 recorder.test"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("EHLO: offers 8BITMIME HELP SIZE=1000000"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("QUIT: 221"), std::string::npos) << result.output;
    EXPECT_TRUE(mails().empty()) << "a test sends no mail";
}

TEST_F(SmtpCommand, TestRunsStartTlsAndTheLoginAndSaysWhereItFails)
{
    startServer({"--starttls", "--user", kUser, "--password", kPassword});
    setSetting("SmtpSecurity", "starttls");
    setSetting("SmtpUser", kUser);
    setSetting("SmtpPassword", kPassword);

    ProgramResult untrusted = smtp({"test"});
    EXPECT_EQ(untrusted.exitCode, 1);
    EXPECT_NE(untrusted.output.find("test failed (result 14): TLS: the server's certificate"), std::string::npos)
        << untrusted.output;

    setSetting("SmtpCaFile", certificates().caFile());
    ProgramResult passed = smtp({"test"});
    EXPECT_EQ(passed.exitCode, 0) << passed.output;
    // What was offered before TLS, then what is offered over it.
    EXPECT_NE(passed.output.find("EHLO: offers 8BITMIME AUTH=LOGIN,PLAIN HELP STARTTLS\nTLS: TLSv1."),
              std::string::npos)
        << passed.output;
    EXPECT_NE(passed.output.find("EHLO: offers 8BITMIME AUTH=LOGIN,PLAIN HELP\nAUTH PLAIN: accepted"),
              std::string::npos)
        << passed.output;
    EXPECT_NE(passed.output.find("AUTH PLAIN: accepted"), std::string::npos) << passed.output;

    setSetting("SmtpPassword", "wrong");
    ProgramResult refused = smtp({"test"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.output.find("test failed (result 15): AUTH PLAIN: 535"), std::string::npos) << refused.output;
    EXPECT_EQ(refused.output.find(kPassword), std::string::npos);
    EXPECT_TRUE(mails().empty());
}

TEST_F(SmtpCommand, TestAgainstImplicitTlsAndAgainstAServerWithoutStartTls)
{
    startServer({"--implicit-tls"});
    setSetting("SmtpSecurity", "tls");
    setSetting("SmtpCaFile", certificates().caFile());
    ProgramResult passed = smtp({"test"});
    EXPECT_EQ(passed.exitCode, 0) << passed.output;
    EXPECT_NE(passed.output.find("security tls"), std::string::npos) << passed.output;

    server.reset();
    startServer({"--refuse-ehlo"});
    setSetting("SmtpSecurity", "starttls");
    ProgramResult refused = smtp({"test"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.output.find("EHLO: 502 5.5.2 Error: command not recognized; HELO instead"), std::string::npos)
        << refused.output;
    EXPECT_NE(refused.output.find("test failed (result 13): STARTTLS: not offered by the server"), std::string::npos)
        << refused.output;
}

TEST_F(SmtpCommand, JournalListsNewestLastAndFilters)
{
    zormon::JournalEntry entry;
    entry.kind = "job";
    entry.job = "3";
    entry.printer = "Sales";
    entry.document = "report.ps";
    entry.address = "desk@printers.test";
    entry.bytes = 2048;
    entry.time = "2026-12-01T09:00:00Z";
    ASSERT_TRUE(zormon::AppendJournal(entry));
    entry.time = "2026-12-07T10:30:00Z";
    entry.printer = "Lobby";
    entry.pieces = 3;
    entry.piece = 2;
    entry.result = 12;
    entry.reply = "end of data: 552 5.3.4 too big";
    ASSERT_TRUE(zormon::AppendJournal(entry));
    root.writeFile(zormon::JournalPath(), TempRoot::readFile(zormon::JournalPath()) + "not json\n");

    ProgramResult all = RunProgram({kZorvaline, "journal"});
    EXPECT_EQ(all.exitCode, 0) << all.output;
    const size_t first = all.output.find("2026-12-01T09:00:00Z");
    const size_t second = all.output.find("2026-12-07T10:30:00Z");
    ASSERT_NE(first, std::string::npos) << all.output;
    ASSERT_NE(second, std::string::npos) << all.output;
    EXPECT_LT(first, second);
    EXPECT_NE(all.output.find("whole"), std::string::npos);
    EXPECT_NE(all.output.find("2 of 3"), std::string::npos);
    EXPECT_NE(all.output.find("end of data: 552 5.3.4 too big"), std::string::npos);
    EXPECT_NE(all.output.find("line 3 is not a journal line"), std::string::npos) << all.output;

    ProgramResult lobby = RunProgram({kZorvaline, "journal", "--printer", "LOBBY", "--json"});
    EXPECT_EQ(lobby.output.find("2026-12-01"), std::string::npos) << lobby.output;
    EXPECT_NE(lobby.output.find("{\"time\":\"2026-12-07T10:30:00Z\""), std::string::npos) << lobby.output;

    ProgramResult recent = RunProgram({kZorvaline, "journal", "--since", "2026-12-02"});
    EXPECT_EQ(recent.output.find("2026-12-01T09"), std::string::npos) << recent.output;
    EXPECT_NE(recent.output.find("2026-12-07T10:30:00Z"), std::string::npos);

    EXPECT_EQ(RunProgram({kZorvaline, "journal", "--since", "yesterday"}).exitCode, 2);
}

} // namespace
} // namespace zortest
