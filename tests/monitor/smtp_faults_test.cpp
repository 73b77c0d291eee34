// Servers that refuse, hang up, never answer or answer in odd pieces: each failure is shown
// once with its own message, returned as its own result, leaves no connection behind, and
// the next send goes through.
#include "tests/monitor/SmtpFixture.h"

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

    EXPECT_EQ(sendWhole(kJob), fault.result);
    std::vector<std::pair<std::string, std::string>> shown = messageBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, kMonitorCaption);
    EXPECT_EQ(shown[0].second, std::string(fault.text) + "\n");
    EXPECT_EQ(journal.events("messagebox")[0]["icon"], "stop");
    EXPECT_TRUE(server.commandsStartingWith("QUIT").empty()) << "a failed conversation is not ended politely";
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
                  SmtpResult::GreetingRefused, kConnectionLost},
        FaultCase{"GreetingNeverComes", SmtpScript().silentAt(SmtpStage::Greeting), SmtpResult::GreetingRefused,
                  kConnectionLost},
        FaultCase{"HangsUpBeforeGreeting", SmtpScript().hangUp(SmtpStage::Greeting), SmtpResult::GreetingRefused,
                  kConnectionLost},
        FaultCase{"GreetingOfEndlessLines", SmtpScript().reply(SmtpStage::Greeting, manyLines(150)),
                  SmtpResult::GreetingRefused, kConnectionLost},
        FaultCase{"GreetingLineWithoutEnd", SmtpScript().reply(SmtpStage::Greeting, "220 " + std::string(5000, 'x')),
                  SmtpResult::GreetingRefused, kConnectionLost},
        FaultCase{"HeloRefused", SmtpScript().reply(SmtpStage::Helo, "501 5.5.4 bad domain\r\n"),
                  SmtpResult::HandshakeRefused, "Network Error:SMTP HandShake Failed."},
        FaultCase{"HeloNeverAnswered", SmtpScript().silentAt(SmtpStage::Helo), SmtpResult::HandshakeRefused,
                  "Network Error:SMTP HandShake Failed."},
        FaultCase{"MailRefused", SmtpScript().reply(SmtpStage::Mail, "553 5.1.8 sender rejected\r\n"),
                  SmtpResult::MailRefused, "Network Error:SMTP From Address Error."},
        FaultCase{"MailNeverAnswered", SmtpScript().silentAt(SmtpStage::Mail), SmtpResult::MailRefused,
                  "Network Error:SMTP From Address Error."},
        FaultCase{"RcptRefused", SmtpScript().reply(SmtpStage::Rcpt, "550 5.1.1 no such user\r\n"),
                  SmtpResult::RcptRefused, "Network Error:SMTP To Address Error."},
        FaultCase{"HangsUpAtRcpt", SmtpScript().hangUp(SmtpStage::Rcpt), SmtpResult::RcptRefused,
                  "Network Error:SMTP To Address Error."},
        FaultCase{"DataRefused", SmtpScript().reply(SmtpStage::Data, "451 4.3.0 try later\r\n"),
                  SmtpResult::DataRefused, "Network Error:SMTP Data Begin Error."},
        FaultCase{"DataNeverAnswered", SmtpScript().silentAt(SmtpStage::Data), SmtpResult::DataRefused,
                  "Network Error:SMTP Data Begin Error."},
        FaultCase{"EndOfDataRefused", SmtpScript().reply(SmtpStage::EndOfData, "554 5.7.1 rejected\r\n"),
                  SmtpResult::EndOfDataRefused, "Network Error:SMTP DATA End Error."},
        FaultCase{"EndOfDataNeverAnswered", SmtpScript().silentAt(SmtpStage::EndOfData),
                  SmtpResult::EndOfDataRefused, "Network Error:SMTP DATA End Error."},
        FaultCase{"HangsUpMidData", SmtpScript().hangUpAfterData(10), SmtpResult::EndOfDataRefused,
                  "Network Error:SMTP DATA End Error."},
        FaultCase{"RefusalInTheLastLineOfAMultiLineReply",
                  SmtpScript().reply(SmtpStage::Rcpt, "250-looks fine\r\n550 5.1.1 but no such user\r\n"),
                  SmtpResult::RcptRefused, "Network Error:SMTP To Address Error."}),
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
