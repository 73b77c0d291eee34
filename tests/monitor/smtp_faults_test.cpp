// Servers that refuse, hang up, never answer or answer in odd pieces: each failure is shown
// once with its own message and what the server said, returned as its own result, ends with
// QUIT when the server still listens, leaves no connection behind, and the next send goes
// through.
#include "tests/monitor/SmtpFixture.h"

#include <algorithm>
#include <ostream>
#include <string>

namespace zortest {
namespace {

using namespace std::chrono_literals;
using zormon::SmtpResult;

const std::string kJob = "%!PS-Adobe-3.0=0D\r\n=2Fpage 1 showpage\r\n";
// A body read to the end of the file gets an empty line-completion tail, sent as CR LF.
const std::string kEndOfFileTail = "\r\n";

struct FaultCase {
    const char *name;
    SmtpScript script;
    SmtpResult result;
    const char *text;
    bool quit;        // the server still awaited a command, so the client says goodbye
    const char *said; // the failed step and what the server said, in the box and the debug output
};

void PrintTo(const FaultCase &fault, std::ostream *out)
{
    *out << fault.name;
}

class SmtpFaultTest : public SmtpFixture, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(SmtpFaultTest, ShowsItsMessageClosesTheConnectionAndTheNextSendGoesThrough)
{
    const FaultCase &fault = GetParam();
    server.queueScript(fault.script);
    const std::string debugLog = root.path() + "/debug.log";
    setenv("ZORVALINE_DEBUG_LOG", debugLog.c_str(), 1);

    EXPECT_EQ(sendWhole(kJob), fault.result);
    unsetenv("ZORVALINE_DEBUG_LOG");
    std::vector<std::pair<std::string, std::string>> shown = messageBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, kMonitorCaption);
    EXPECT_EQ(shown[0].second, std::string(fault.text) + "\n");
    UiEvent box = journal.events("messagebox")[0];
    EXPECT_EQ(box["icon"], "stop");
    EXPECT_EQ(box["details"].rfind(fault.said, 0), 0u) << box["details"];
    // One line, which the debug output cuts at 256 characters.
    const std::string debugOutput = TempRoot::readFile(debugLog);
    EXPECT_EQ(debugOutput.rfind("zormon!SendSmtpMessage " + box["details"].substr(0, 200), 0), 0u) << debugOutput;
    EXPECT_EQ(std::count(debugOutput.begin(), debugOutput.end(), '\n'), 1) << debugOutput;
    EXPECT_EQ(server.commandsStartingWith("QUIT").size(), fault.quit ? 1u : 0u);
    EXPECT_TRUE(server.waitUntilIdle(2s)) << "the client kept the failed connection open";

    journal.clear();
    EXPECT_EQ(sendWhole(kJob), SmtpResult::Sent);
    EXPECT_TRUE(messageBoxes().empty());
    EXPECT_EQ(server.connections(), 2);
    ASSERT_FALSE(server.messages().empty());
    EXPECT_EQ(bodyOf(server.messages().back()), kJob + kEndOfFileTail);
}

std::string manyLines(int count)
{
    std::string reply;
    for (int i = 0; i < count; ++i)
        reply += "220-line " + std::to_string(i) + "\r\n";
    return reply + "220 ready\r\n";
}

const char *const kConnectionLost = "Network Error: Connection to SMTP Server lost. Please try again.Printjob not sent";

INSTANTIATE_TEST_SUITE_P(
    Servers, SmtpFaultTest,
    ::testing::Values(
        FaultCase{"GreetingRefused", SmtpScript().reply(SmtpStage::Greeting, "421 4.3.2 busy\r\n"),
                  SmtpResult::GreetingRefused, kConnectionLost, true, "greeting: 421 4.3.2 busy"},
        FaultCase{"GreetingNeverComes", SmtpScript().silentAt(SmtpStage::Greeting), SmtpResult::GreetingRefused,
                  kConnectionLost, false, "greeting: no reply within 1 s"},
        FaultCase{"HangsUpBeforeGreeting", SmtpScript().hangUp(SmtpStage::Greeting), SmtpResult::GreetingRefused,
                  kConnectionLost, false, "greeting: the server closed the connection"},
        FaultCase{"GreetingOfEndlessLines", SmtpScript().reply(SmtpStage::Greeting, manyLines(150)),
                  SmtpResult::GreetingRefused, kConnectionLost, false, "greeting: the reply is longer"},
        FaultCase{"GreetingLineWithoutEnd", SmtpScript().reply(SmtpStage::Greeting, "220 " + std::string(5000, 'x')),
                  SmtpResult::GreetingRefused, kConnectionLost, false, "greeting: the reply is longer"},
        // Both EHLO and the HELO that follows its 5xx are refused.
        FaultCase{"EhloAndHeloRefused", SmtpScript().reply(SmtpStage::Helo, "501 5.5.4 bad domain\r\n"),
                  SmtpResult::HandshakeRefused, "Network Error:SMTP HandShake Failed.", true,
                  "HELO example.test: 501 5.5.4 bad domain"},
        // A 4xx is no sign of an old server: no HELO after it.
        FaultCase{"EhloRefusedForNow", SmtpScript().reply(SmtpStage::Helo, "421 4.3.2 shutting down\r\n"),
                  SmtpResult::HandshakeRefused, "Network Error:SMTP HandShake Failed.", true,
                  "EHLO example.test: 421 4.3.2 shutting down"},
        FaultCase{"EhloNeverAnswered", SmtpScript().silentAt(SmtpStage::Helo), SmtpResult::HandshakeRefused,
                  "Network Error:SMTP HandShake Failed.", false, "EHLO example.test: no reply within 1 s"},
        FaultCase{"MailRefused", SmtpScript().reply(SmtpStage::Mail, "553 5.1.8 sender rejected\r\n"),
                  SmtpResult::MailRefused, "Network Error:SMTP From Address Error.", true,
                  "MAIL From:<printing@example.test>: 553 5.1.8 sender rejected"},
        FaultCase{"MailNeverAnswered", SmtpScript().silentAt(SmtpStage::Mail), SmtpResult::MailRefused,
                  "Network Error:SMTP From Address Error.", false,
                  "MAIL From:<printing@example.test>: no reply within 1 s"},
        FaultCase{"RcptRefused", SmtpScript().reply(SmtpStage::Rcpt, "550 5.1.1 no such user\r\n"),
                  SmtpResult::RcptRefused, "Network Error:SMTP To Address Error.", true,
                  "RCPT To:<laser7@printers.example.test>: 550 5.1.1 no such user"},
        FaultCase{"HangsUpAtRcpt", SmtpScript().hangUp(SmtpStage::Rcpt), SmtpResult::RcptRefused,
                  "Network Error:SMTP To Address Error.", false, "RCPT To:<laser7@printers.example.test>: the server closed the connection"},
        FaultCase{"DataRefused", SmtpScript().reply(SmtpStage::Data, "451 4.3.0 try later\r\n"),
                  SmtpResult::DataRefused, "Network Error:SMTP Data Begin Error.", true, "Data: 451 4.3.0 try later"},
        FaultCase{"DataNeverAnswered", SmtpScript().silentAt(SmtpStage::Data), SmtpResult::DataRefused,
                  "Network Error:SMTP Data Begin Error.", false, "Data: no reply within 1 s"},
        FaultCase{"EndOfDataRefused", SmtpScript().reply(SmtpStage::EndOfData, "554 5.7.1 rejected\r\n"),
                  SmtpResult::EndOfDataRefused, "Network Error:SMTP DATA End Error.", true,
                  "end of data: 554 5.7.1 rejected"},
        FaultCase{"EndOfDataNeverAnswered", SmtpScript().silentAt(SmtpStage::EndOfData),
                  SmtpResult::EndOfDataRefused, "Network Error:SMTP DATA End Error.", false,
                  "end of data: no reply within 1 s"},
        FaultCase{"HangsUpMidData", SmtpScript().hangUpAfterData(10), SmtpResult::EndOfDataRefused,
                  "Network Error:SMTP DATA End Error.", false, ""},
        FaultCase{"RefusalInTheLastLineOfAMultiLineReply",
                  SmtpScript().reply(SmtpStage::Rcpt, "250-looks fine\r\n550 5.1.1 but no such user\r\n"),
                  SmtpResult::RcptRefused, "Network Error:SMTP To Address Error.", true,
                  "RCPT To:<laser7@printers.example.test>: 250-looks fine 550 5.1.1 but no such user"}),
    [](const ::testing::TestParamInfo<FaultCase> &info) { return std::string(info.param.name); });

TEST_F(SmtpFixture, RepliesInSeveralLinesAndSegmentsAreReadWhole)
{
    server.queueScript(SmtpScript()
                           .reply(SmtpStage::Greeting, "220-scripted.test ESMTP\r\n220-no spam\r\n220 ready\r\n")
                           .reply(SmtpStage::Helo, "250-scripted.test\r\n250-PIPELINING\r\n250 8BITMIME\r\n")
                           .bytesApart(1ms));

    EXPECT_EQ(sendWhole(kJob), SmtpResult::Sent);
    EXPECT_TRUE(messageBoxes().empty());
    ASSERT_EQ(server.messages().size(), 1u);
    EXPECT_EQ(bodyOf(server.messages()[0]), kJob + kEndOfFileTail);
}

TEST_F(SmtpFixture, MidDataHangUpOfALargeMessageIsReportedNotHidden)
{
    server.queueScript(SmtpScript().hangUpAfterData(64 * 1024));
    std::string large;
    while (large.size() < 8 * 1024 * 1024)
        large += "=2F" + std::string(70, 'a') + "=\r\n";

    EXPECT_EQ(sendWhole(large), SmtpResult::EndOfDataRefused);
    EXPECT_EQ(messageBoxes().size(), 1u);
    EXPECT_TRUE(server.messages().empty());
}

TEST_F(SmtpFixture, MissingServerSettingStopsBeforeAnyConnection)
{
    setSetting("IntranetSetup", "SmtpServer", "");

    EXPECT_EQ(sendWhole(kJob), SmtpResult::NotPrepared);
    ASSERT_EQ(messageBoxes().size(), 1u);
    EXPECT_EQ(messageBoxes()[0].second,
              "No SMTP Server Specified in the communication setup: Printjob not sent.\n");
    EXPECT_EQ(server.connections(), 0);
}

TEST_F(SmtpFixture, UnreachableServerNamesTheServer)
{
    // A port nobody listens on: bound for a moment, then given back.
    int port;
    {
        ScriptedSmtpServer closed;
        port = closed.port();
    }
    WriteSmtpServicesFile(root, static_cast<uint16_t>(port));

    EXPECT_EQ(sendWhole(kJob), SmtpResult::NotConnected);
    ASSERT_EQ(messageBoxes().size(), 1u);
    EXPECT_EQ(messageBoxes()[0].second, "Network Error: Could not connect to SMTP Server - 127.0.0.1.\n");
}

TEST_F(SmtpFixture, ServerThatIsNeitherNameNorAddressIsNotResolved)
{
    setSetting("IntranetSetup", "SmtpServer", "127.0.0.300");

    EXPECT_EQ(sendWhole(kJob), SmtpResult::NotResolved);
    ASSERT_EQ(messageBoxes().size(), 1u);
    EXPECT_EQ(messageBoxes()[0].second, "Network Error: Could not resolve SMTP Hostname - 127.0.0.300.\n");
    EXPECT_EQ(server.connections(), 0);
}

TEST_F(SmtpFixture, SenderWithoutAtStopsBeforeAnyConnection)
{
    setSetting("IntranetSetup", "SenderEmail", "printing.example.test");

    EXPECT_EQ(sendWhole(kJob), SmtpResult::NotPrepared);
    ASSERT_EQ(messageBoxes().size(), 1u);
    EXPECT_EQ(messageBoxes()[0].second, "E-Mail Address of Sender not specified: Printjob not sent.\n");
    EXPECT_EQ(server.connections(), 0);
}

} // namespace
} // namespace zortest
