// The monitor's SMTP client against a real server on loopback in each security mode:
// the mail is the same in every one, STARTTLS is required when asked for, certificates are
// checked for trust and host name, the login works with PLAIN and LOGIN and is refused
// cleanly, an old server gets HELO, and a message above the server's SIZE is not sent.
#include "tests/smtp/SubmissionFixture.h"

#include "monitor/PiecePlan.h"
#include "monitor/ProgressWindow.h"

#include <string>
#include <vector>

namespace zortest {
namespace {

using zormon::SmtpResult;

const std::string kJob = "%!PS-Adobe-3.0=0D\r\n=2Fpage 1 showpage\r\n.a line with a dot\r\n";
const char *const kMonitorCaption = "Zorvaline Internet Port Monitor";

class Submission : public SubmissionFixture {
protected:
    // The debug lines and the UI journal hold no trace of the password.
    void expectPasswordNowhere()
    {
        for (const std::string &file : {root.path() + "/ui.log", root.path() + "/debug.log"}) {
            if (!std::filesystem::exists(file))
                continue;
            const std::string text = TempRoot::readFile(file);
            EXPECT_EQ(text.find(kPassword), std::string::npos) << file;
            EXPECT_EQ(text.find("AG9mZmljZQ"), std::string::npos) << file << ": the AUTH PLAIN data";
        }
    }
};

TEST_F(Submission, TheMailIsTheSameWithoutTlsWithStartTlsAndWithTlsFromTheStart)
{
    setSetting("SmtpCaFile", certificates().caFile());
    std::vector<StoredMail> sent;
    for (const char *security : {"none", "starttls", "tls"}) {
        SCOPED_TRACE(security);
        startServer({std::string(security) == "starttls" ? "--starttls"
                     : std::string(security) == "tls"    ? "--implicit-tls"
                                                          : "--size=0"});
        setSetting("SmtpSecurity", security);
        ASSERT_EQ(sendWhole(kJob), SmtpResult::Sent);
        std::vector<StoredMail> stored = mails();
        ASSERT_EQ(stored.size(), 1u);
        EXPECT_EQ(stored[0].tls, std::string(security) != "none");
        EXPECT_TRUE(stored[0].extended) << "greeted with EHLO";
        sent.push_back(stored[0]);
        server.reset();
        std::filesystem::remove_all(mailFolder());
    }
    for (const StoredMail &mail : sent) {
        EXPECT_EQ(mail.text, sent[0].text);
        EXPECT_EQ(mail.mailFrom, kSender);
        EXPECT_EQ(mail.rcptTos, std::vector<std::string>{kPrinterAddress});
    }
    EXPECT_EQ(sent[0].text.rfind("TO:laser7@printers.example.test\r\n", 0), 0u);
    EXPECT_NE(sent[0].text.find("\r\n\r\n" + kJob + "\r\n"), std::string::npos) << "the body, dot and all";
    EXPECT_TRUE(messageBoxes().empty());
}

TEST_F(Submission, TheServicesFilePortServesWhenNoPortIsSet)
{
    startServer({});
    setSetting("SmtpPort", "");
    root.writeFile(root.driveC("WINDOWS/SERVICES"), "smtp " + std::to_string(server->port()) + "/tcp mail\r\n");
    EXPECT_EQ(sendWhole(kJob), SmtpResult::Sent);
    EXPECT_EQ(mails().size(), 1u);
}

TEST_F(Submission, StartTlsRequiredButNotOfferedSendsNothing)
{
    startServer({});
    setSetting("SmtpSecurity", "starttls");

    EXPECT_EQ(sendWhole(kJob), SmtpResult::TlsNotStarted);
    EXPECT_TRUE(mails().empty());
    ASSERT_EQ(messageBoxes().size(), 1u);
    EXPECT_EQ(messageBoxes()[0].first, kMonitorCaption);
    EXPECT_EQ(messageBoxes()[0].second,
              "Network Error: Could not start an encrypted connection with SMTP Server - localhost.\n");
    EXPECT_EQ(journal.events("messagebox")[0]["details"], "STARTTLS: not offered by the server");
}

TEST_F(Submission, CertificateOfAnotherHostIsRejectedEvenFromATrustedCa)
{
    startServer({"--starttls"}, certificates().otherHostCertificate(), certificates().otherHostKey());
    setSetting("SmtpSecurity", "starttls");
    setSetting("SmtpCaFile", certificates().caFile());

    EXPECT_EQ(sendWhole(kJob), SmtpResult::CertificateRejected);
    EXPECT_TRUE(mails().empty());
    ASSERT_EQ(messageBoxes().size(), 1u);
    EXPECT_EQ(messageBoxes()[0].second,
              "Network Error: The certificate of SMTP Server - localhost is not trusted or names another host.\n");
    EXPECT_NE(journal.events("messagebox")[0]["details"].find("mismatch"), std::string::npos)
        << journal.events("messagebox")[0]["details"];
}

TEST_F(Submission, UntrustedCertificateIsRejectedUntilItsCaFileIsSet)
{
    startServer({"--implicit-tls"});
    setSetting("SmtpSecurity", "tls");
    EXPECT_EQ(sendWhole(kJob), SmtpResult::CertificateRejected);
    EXPECT_TRUE(mails().empty());

    // The CA file in the platform's path form: the test CA under drive Z:.
    setSetting("SmtpCaFile", "Z:" + certificates().caFile());
    EXPECT_EQ(sendWhole(kJob), SmtpResult::Sent);
    ASSERT_EQ(mails().size(), 1u);
    EXPECT_TRUE(mails()[0].tls);
}

TEST_F(Submission, AnIpAddressIsCheckedAgainstTheCertificatesAddresses)
{
    startServer({"--implicit-tls"});
    setSetting("SmtpSecurity", "tls");
    setSetting("SmtpCaFile", certificates().caFile());
    setSetting("SmtpServer", "127.0.0.1");
    EXPECT_EQ(sendWhole(kJob), SmtpResult::Sent);

    server.reset();
    startServer({"--implicit-tls"}, certificates().otherHostCertificate(), certificates().otherHostKey());
    EXPECT_EQ(sendWhole(kJob), SmtpResult::CertificateRejected);
}

TEST_F(Submission, MissingCaFileIsNamed)
{
    startServer({"--implicit-tls"});
    setSetting("SmtpSecurity", "tls");
    setSetting("SmtpCaFile", root.path() + "/no-such-ca.pem");
    EXPECT_EQ(sendWhole(kJob), SmtpResult::TlsNotStarted);
    ASSERT_EQ(messageBoxes().size(), 1u);
    EXPECT_NE(journal.events("messagebox")[0]["details"].find(root.path() + "/no-such-ca.pem"), std::string::npos);
}

TEST_F(Submission, AuthPlainOverStartTlsLogsInAndARefusalIsShown)
{
    startServer({"--starttls", "--user", kUser, "--password", kPassword});
    setSetting("SmtpSecurity", "starttls");
    setSetting("SmtpCaFile", certificates().caFile());
    setSetting("SmtpUser", kUser);
    setSetting("SmtpPassword", kPassword);
    setenv("ZORVALINE_DEBUG_LOG", (root.path() + "/debug.log").c_str(), 1);

    EXPECT_EQ(sendWhole(kJob), SmtpResult::Sent);
    ASSERT_EQ(mails().size(), 1u);
    EXPECT_EQ(mails()[0].user, kUser);
    EXPECT_TRUE(mails()[0].tls);

    setSetting("SmtpPassword", "wrong");
    EXPECT_EQ(sendWhole(kJob), SmtpResult::LoginRefused);
    EXPECT_EQ(mails().size(), 1u);
    ASSERT_EQ(messageBoxes().size(), 1u);
    EXPECT_EQ(messageBoxes()[0].second, "Network Error: Could not log in to SMTP Server - localhost.\n");
    EXPECT_EQ(journal.events("messagebox")[0]["details"].rfind("AUTH PLAIN: 535", 0), 0u)
        << journal.events("messagebox")[0]["details"];
    expectPasswordNowhere();
    unsetenv("ZORVALINE_DEBUG_LOG");
}

TEST_F(Submission, AuthLoginServesWherePlainIsNotOfferedOnLoopbackWithoutTls)
{
    startServer({"--user", kUser, "--password", kPassword, "--no-plain"});
    setSetting("SmtpUser", kUser);
    setSetting("SmtpPassword", kPassword);
    setenv("ZORVALINE_DEBUG_LOG", (root.path() + "/debug.log").c_str(), 1);

    zormon::SmtpReport report;
    EXPECT_EQ(sendWhole(kJob, &report), SmtpResult::Sent);
    ASSERT_EQ(mails().size(), 1u);
    EXPECT_EQ(mails()[0].user, kUser);
    EXPECT_FALSE(mails()[0].tls);
    EXPECT_EQ(report.transcript.back(), "AUTH LOGIN: accepted");

    setSetting("SmtpPassword", "wrong");
    EXPECT_EQ(sendWhole(kJob), SmtpResult::LoginRefused);
    expectPasswordNowhere();
    unsetenv("ZORVALINE_DEBUG_LOG");
}

TEST_F(Submission, LoginToAServerWithoutAuthIsRefusedBeforeAnyMail)
{
    startServer({});
    setSetting("SmtpUser", kUser);
    setSetting("SmtpPassword", kPassword);
    EXPECT_EQ(sendWhole(kJob), SmtpResult::LoginRefused);
    EXPECT_TRUE(mails().empty());
    EXPECT_EQ(journal.events("messagebox")[0]["details"], "the server offers no AUTH");
}

TEST_F(Submission, EhloRefusedThenHelo)
{
    startServer({"--refuse-ehlo"});
    zormon::SmtpReport report;
    EXPECT_EQ(sendWhole(kJob, &report), SmtpResult::Sent);
    ASSERT_EQ(mails().size(), 1u);
    EXPECT_FALSE(mails()[0].extended);
    EXPECT_TRUE(messageBoxes().empty());
}

TEST_F(Submission, StartTlsAgainstAServerThatRefusesEhloIsNotAttempted)
{
    startServer({"--refuse-ehlo"});
    setSetting("SmtpSecurity", "starttls");
    EXPECT_EQ(sendWhole(kJob), SmtpResult::TlsNotStarted);
    EXPECT_TRUE(mails().empty());
}

TEST_F(Submission, MessageAboveTheServersSizeIsNotSentAndTheLimitIsNamed)
{
    startServer({"--size=500"});
    const std::string large(600, 'x');

    EXPECT_EQ(sendWhole(large + "\r\n"), SmtpResult::MessageTooLarge);
    EXPECT_TRUE(mails().empty());
    ASSERT_EQ(messageBoxes().size(), 1u);
    EXPECT_EQ(messageBoxes()[0].second, "Network Error: SMTP Server takes mails of at most 500 bytes. A size limit "
                                        "for the printer splits the job.\n");
    // One that fits goes through.
    journal.clear();
    EXPECT_EQ(sendWhole("small\r\n"), SmtpResult::Sent);
    EXPECT_EQ(mails().size(), 1u);
}

TEST_F(Submission, UnknownSecurityOrPortSendsNothingAndNamesTheValue)
{
    startServer({});
    setSetting("SmtpSecurity", "startls");
    EXPECT_EQ(sendWhole(kJob), SmtpResult::NotPrepared);
    setSetting("SmtpSecurity", "STARTTLS");
    setSetting("SmtpPort", "58x7");
    EXPECT_EQ(sendWhole(kJob), SmtpResult::NotPrepared);
    EXPECT_TRUE(mails().empty());
    ASSERT_EQ(messageBoxes().size(), 2u);
    EXPECT_EQ(messageBoxes()[0].second, "Communication Setup Error: SmtpSecurity=startls is not valid. Printjob not sent.\n");
    EXPECT_EQ(messageBoxes()[1].second, "Communication Setup Error: SmtpPort=58x7 is not valid. Printjob not sent.\n");
}

TEST_F(Submission, SplitJobTravelsOverOneTlsConnectionAndJoinsToWhatWasPrinted)
{
    startServer({"--implicit-tls", "--user", kUser, "--password", kPassword});
    setSetting("SmtpSecurity", "tls");
    setSetting("SmtpCaFile", certificates().caFile());
    setSetting("SmtpUser", kUser);
    setSetting("SmtpPassword", kPassword);
    std::string encoded;
    for (int line = 0; encoded.size() < 20000; ++line)
        encoded += "72 " + std::to_string(line) + " moveto (Line " + std::to_string(line) + " =3D) show\r\n";

    const zormon::PiecePlan plan = zormon::PlanPieces("4", encoded.size());
    ASSERT_GT(plan.pieceCount, 3u);
    HANDLE file = openEncoded(encoded);
    zormon::SmtpReport report;
    EXPECT_EQ(zormon::SendInPieces(file, kPrinterAddress, plan, "G777", nullptr, &report), SmtpResult::Sent);
    CloseHandle(file);

    const std::vector<StoredMail> pieces = mails();
    ASSERT_EQ(pieces.size(), plan.pieceCount);
    std::string joined;
    for (const StoredMail &piece : pieces) {
        EXPECT_EQ(piece.connection, pieces[0].connection);
        EXPECT_TRUE(piece.tls);
        EXPECT_EQ(piece.user, kUser);
        joined += piece.text.substr(piece.text.find("\r\n\r\n") + 4);
    }
    // Piece 1 opens with the enclosed header block of the whole message.
    const size_t enclosedEnd = joined.find("\r\n\r\n");
    ASSERT_NE(enclosedEnd, std::string::npos);
    EXPECT_EQ(joined.substr(enclosedEnd + 4), encoded + "\r\n") << "the pieces do not join to the job";
    EXPECT_EQ(report.piece, static_cast<int>(plan.pieceCount));
}

TEST_F(Submission, EncryptionAndLoginShowTheirStagesWithoutStepping)
{
    startServer({"--starttls", "--user", kUser, "--password", kPassword});
    setSetting("SmtpSecurity", "starttls");
    setSetting("SmtpCaFile", certificates().caFile());
    setSetting("SmtpUser", kUser);
    setSetting("SmtpPassword", kPassword);
    ProgressWindow::Open("Sales");
    journal.clear();

    EXPECT_EQ(sendWhole(kJob), SmtpResult::Sent);
    ProgressWindow::Close();

    std::vector<std::string> titles;
    for (UiEvent &event : journal.events("title"))
        titles.push_back(event["title"]);
    EXPECT_EQ(titles, (std::vector<std::string>{"Vireon Internet Printing on Sales Print Job Encoded",
                                                "Vireon Internet Printing on Sales Generating Headers",
                                                "Vireon Internet Printing on Sales Connecting",
                                                "Vireon Internet Printing on Sales Encrypting",
                                                "Vireon Internet Printing on Sales Logging In",
                                                "Vireon Internet Printing on Sales Identification Handshake",
                                                "Vireon Internet Printing on Sales Sending Data",
                                                "Vireon Internet Printing on Sales Data Sent"}));
    // Open steps once, then one step per stage of the plain exchange: the bar never passes 10.
    std::vector<UiEvent> progress = journal.events("progress");
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back()["pos"], "7");
}

} // namespace
} // namespace zortest
