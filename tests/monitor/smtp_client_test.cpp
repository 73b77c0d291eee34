// The SMTP conversation as a server sees it: the commands and their order, the mail text
// with its dot transparency, a split job over one connection, the stage titles, and the
// status request.
#include "tests/monitor/SmtpFixture.h"

#include "monitor/BodyReader.h"
#include "monitor/DeliveryJournal.h"
#include "monitor/Md5.h"
#include "monitor/ProgressWindow.h"
#include "monitor/StatusRequest.h"

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace zortest {
namespace {

using zormon::SmtpResult;

const std::string kJob = "%!PS-Adobe-3.0=0D\r\n=2Fpage 1 showpage\r\n";
// A body read to the end of the file gets an empty line-completion tail, sent as CR LF.
const std::string kEndOfFileTail = "\r\n";

TEST_F(SmtpFixture, WholeJobIsOneConversationEndedByQuit)
{
    EXPECT_EQ(sendWhole(kJob), SmtpResult::Sent);

    EXPECT_EQ(server.commands(), (std::vector<std::string>{"EHLO example.test", "MAIL From:<printing@example.test>",
                                                           "RCPT To:<laser7@printers.example.test>", "Data",
                                                           "quit"}));
    ASSERT_EQ(server.messages().size(), 1u);
    const std::string mail = server.messages()[0];
    EXPECT_EQ(mail.rfind("TO:laser7@printers.example.test\r\n", 0), 0u);
    EXPECT_EQ(bodyOf(mail), kJob + kEndOfFileTail);
    EXPECT_TRUE(messageBoxes().empty());
    EXPECT_TRUE(server.waitUntilIdle(std::chrono::seconds(2)));
}

TEST_F(SmtpFixture, LinesStartingWithADotArriveUnchanged)
{
    // The encoder never starts a later line with a dot, but the first line, a piece boundary
    // or a tail may; whatever the text, the server must get it back as it was.
    const std::string text = ".first line\r\nplain\r\n.\r\n..\r\n.x\r\n\r\n.last\r\n";

    EXPECT_EQ(sendWhole(text), SmtpResult::Sent);
    ASSERT_EQ(server.messages().size(), 1u);
    EXPECT_EQ(bodyOf(server.messages()[0]), text + kEndOfFileTail);
}

TEST_F(SmtpFixture, ADotStartingTheNextBlockOfTheBodyArrivesUnchanged)
{
    // The body goes out block by block: a line that begins exactly where a block begins
    // must be treated like any other.
    const std::string text =
        std::string(zormon::BodyReader::kBlockSize - 2, 'a') + "\r\n" + ".dot\r\n..\r\n" + "plain\r\n";

    EXPECT_EQ(sendWhole(text), SmtpResult::Sent);
    ASSERT_EQ(server.messages().size(), 1u);
    EXPECT_TRUE(bodyOf(server.messages()[0]) == text + kEndOfFileTail) << "the text changed on its way";
}

TEST_F(SmtpFixture, DotsStartingLinesAtEveryOffsetArriveUnchanged)
{
    // Lines of every length from 0 to 200, each followed by one that starts with a dot, so
    // the dots fall at every place of the blocks the text is searched in.
    std::string text = "plain\r\n";
    for (size_t length = 0; length <= 200; ++length)
        text += std::string(length, 'a') + "\r\n." + (length % 3 ? "." : "");
    text += "\r\n";

    EXPECT_EQ(sendWhole(text), SmtpResult::Sent);
    ASSERT_EQ(server.messages().size(), 1u);
    EXPECT_EQ(bodyOf(server.messages()[0]), text + kEndOfFileTail);
}

TEST_F(SmtpFixture, BodyUnreadableWhileSentIsShownAndNeverDelivered)
{
    root.writeFile(root.driveC("ZORVALINE/Varnel.cod"), "text\r\n");
    // A handle without read access: its size is known, but its first block cannot be read.
    HANDLE file = CreateFile("C:\\ZORVALINE\\Varnel.cod", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);

    EXPECT_EQ(zormon::SendWholeMessage(file, kPrinterAddress, 6, "G1", nullptr), SmtpResult::NotPrepared);
    CloseHandle(file);
    const auto boxes = messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].second, "System Error: Could not retrieve printjob.\n");
    // The conversation ended without the end of data: the server keeps nothing.
    EXPECT_TRUE(server.waitUntilIdle(std::chrono::seconds(2)));
    EXPECT_TRUE(server.messages().empty());
    EXPECT_EQ(sendWhole("again\r\n"), SmtpResult::Sent);
}

TEST_F(SmtpFixture, TextCutInsideALineStillEndsWithALoneDot)
{
    // A body of 10 bytes in a line longer than the tail reaches ends without a line end; the
    // end-of-data dot must still stand on a line of its own, or the server waits forever.
    const std::string text = std::string(300, 'x') + "\r\nnext\r\n";
    HANDLE file = openEncoded(text);

    EXPECT_EQ(zormon::SendWholeMessage(file, kPrinterAddress, 10, "G1", nullptr), SmtpResult::Sent);
    CloseHandle(file);
    ASSERT_EQ(server.messages().size(), 1u);
    EXPECT_EQ(bodyOf(server.messages()[0]), std::string(10 + zormon::kMaxTailLength, 'x') + "\r\n");
}

TEST_F(SmtpFixture, LargeJobArrivesWhole)
{
    // 16 MB through a server in this process: on a loaded machine the end-of-data reply may
    // take longer than the fixture's one-second replies.
    setenv("ZORVALINE_SMTP_TIMEOUT_S", "30", 1);
    std::string large;
    for (int line = 0; large.size() < 16 * 1024 * 1024; ++line)
        large += "=2F" + std::to_string(line) + std::string(60, 'q') + "=\r\n";

    EXPECT_EQ(sendWhole(large), SmtpResult::Sent);
    ASSERT_EQ(server.messages().size(), 1u);
    EXPECT_TRUE(bodyOf(server.messages()[0]) == large + kEndOfFileTail) << "the large job was not delivered intact";
}

TEST_F(SmtpFixture, ServerGivenByNameIsLookedUp)
{
    setSetting("IntranetSetup", "SmtpServer", "localhost");

    EXPECT_EQ(sendWhole(kJob), SmtpResult::Sent);
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(SmtpFixture, SplitJobUsesOneConnectionAndEndsWithOneQuit)
{
    std::string encoded;
    for (int line = 0; encoded.size() < 2300; ++line)
        encoded += "=2Fline " + std::to_string(1000 + line) + " of the job=20text\r\n";
    const zormon::PiecePlan plan = zormon::PlanPieces("2", encoded.size());
    ASSERT_EQ(plan.pieceCount, 3u);
    ProgressWindow::Open("Sales");
    journal.clear();

    HANDLE file = openEncoded(encoded);
    EXPECT_EQ(zormon::SendInPieces(file, kPrinterAddress, plan, "G777", nullptr), SmtpResult::Sent);
    CloseHandle(file);
    ProgressWindow::Close();

    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(server.commandsStartingWith("EHLO").size(), 1u);
    EXPECT_EQ(server.commandsStartingWith("MAIL").size(), 3u);
    EXPECT_EQ(server.commandsStartingWith("RCPT").size(), 3u);
    EXPECT_EQ(server.commandsStartingWith("DATA").size(), 3u);
    EXPECT_EQ(server.commandsStartingWith("QUIT").size(), 1u);
    EXPECT_EQ(server.commands().back(), "quit");

    // The pieces joined give the encoded job back (the first carries the enclosed header).
    std::vector<std::string> mails = server.messages();
    ASSERT_EQ(mails.size(), 3u);
    std::string joined = bodyOf(bodyOf(mails[0])) + bodyOf(mails[1]) + bodyOf(mails[2]);
    EXPECT_EQ(joined, encoded + kEndOfFileTail);
    for (int k = 1; k <= 3; ++k)
        EXPECT_NE(mails[k - 1].find("number=" + std::to_string(k) + ";total=3"), std::string::npos);

    // Titles count the pieces; the per-stage titles of a whole job are not shown.
    std::vector<std::string> titles;
    for (UiEvent &event : journal.events("title"))
        titles.push_back(event["title"]);
    EXPECT_EQ(titles, (std::vector<std::string>{"Vireon Internet Printing on Sales  1 of 3",
                                                "Vireon Internet Printing on Sales  2 of 3",
                                                "Vireon Internet Printing on Sales  3 of 3"}));
    std::vector<UiEvent> progress = journal.events("progress");
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back()["max"], "3");
    EXPECT_EQ(progress.back()["pos"], "3");
}

TEST_F(SmtpFixture, WholeJobShowsEachStageInTheProgressTitle)
{
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
                                                "Vireon Internet Printing on Sales Identification Handshake",
                                                "Vireon Internet Printing on Sales Sending Data",
                                                "Vireon Internet Printing on Sales Data Sent"}));
}

// The id of the mail, from its "Message-ID:<G123@domain>" line.
std::string messageIdOf(const std::string &mail)
{
    const std::string field = "Message-ID:<";
    size_t start = mail.find(field);
    if (start == std::string::npos)
        return {};
    start += field.size();
    size_t end = mail.find('@', start);
    return end == std::string::npos ? std::string() : mail.substr(start, end - start);
}

TEST_F(SmtpFixture, StatusRequestSendsTheHeaderBlockOnly)
{
    char address[] = "laser7@printers.example.test";
    EXPECT_EQ(ChooserGetStatus(address), 0);

    ASSERT_EQ(server.messages().size(), 1u);
    const std::string mail = server.messages()[0];
    EXPECT_EQ(mail.rfind("TO:laser7@printers.example.test\r\n", 0), 0u);
    EXPECT_NE(mail.find("Subject: Get Printer Status \r\nKeyword:language=en\r\nKeyword:response=4 \r\n"),
              std::string::npos);
    EXPECT_EQ(mail.size() - mail.find("Keyword:response=4 \r\n"), std::string("Keyword:response=4 \r\n").size())
        << "nothing may follow the header block";
    EXPECT_EQ(mail.find("Keyword:password"), std::string::npos);
    EXPECT_EQ(server.commands().back(), "quit");
    EXPECT_TRUE(messageBoxes().empty());
}

TEST_F(SmtpFixture, StatusRequestSendsThePasswordAsADigestOnly)
{
    setSetting(kPrinterAddress, "Password", "s3cret");
    char address[] = "laser7@printers.example.test";
    EXPECT_EQ(ChooserGetStatus(address), 0);

    ASSERT_EQ(server.messages().size(), 1u);
    const std::string mail = server.messages()[0];
    std::string id = messageIdOf(mail);
    ASSERT_FALSE(id.empty());
    EXPECT_NE(mail.find("Keyword:password=" + zormon::Md5Hex(id + "s3cret") + "\r\n"), std::string::npos);
    EXPECT_EQ(mail.find("s3cret"), std::string::npos);
}

TEST_F(SmtpFixture, StatusRequestWithoutServerShowsWhyAndReturnsOne)
{
    setSetting("IntranetSetup", "SmtpServer", "");
    char address[] = "laser7@printers.example.test";

    EXPECT_EQ(ChooserGetStatus(address), 1);
    ASSERT_EQ(messageBoxes().size(), 1u);
    EXPECT_EQ(messageBoxes()[0],
              std::make_pair(std::string(kMonitorCaption),
                             std::string("No SMTP Server Specified in the communication setup: Printjob not sent.\n")));
    EXPECT_EQ(server.connections(), 0);
}

TEST_F(SmtpFixture, StatusRequestsAreJournalledSentOrNot)
{
    char address[] = "laser7@printers.example.test";
    EXPECT_EQ(ChooserGetStatus(address), 0);
    server.queueScript(SmtpScript().reply(SmtpStage::Mail, "451 4.3.0 try again later\r\n"));
    EXPECT_EQ(ChooserGetStatus(address), 9);

    std::ifstream in(zormon::JournalPath());
    std::vector<zormon::JournalEntry> entries;
    for (std::string line; std::getline(in, line);)
        if (std::optional<zormon::JournalEntry> entry = zormon::ParseJournalLine(line))
            entries.push_back(*entry);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].kind, "status");
    EXPECT_EQ(entries[0].address, kPrinterAddress);
    EXPECT_EQ(entries[0].result, 0);
    EXPECT_EQ(entries[0].bytes, server.messages()[0].size() + 3);
    EXPECT_EQ(entries[0].printer, "");
    EXPECT_EQ(entries[1].result, 9);
    EXPECT_EQ(entries[1].reply, "MAIL From:<printing@example.test>: 451 4.3.0 try again later");
}

} // namespace
} // namespace zortest
