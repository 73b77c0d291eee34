// Jobs the chooser confirmed, delivered through a scripted SMTP server on loopback: the loop
// over the chosen addresses, the cover pages, whole messages and pieces, the one-shot keys,
// and the failures that end a delivery.
#include "tests/monitor/JobFixture.h"

#include "monitor/DeliveryJournal.h"
#include "monitor/QuotedPrintable.h"
#include "tests/support/ScriptedSmtpServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zortest {
namespace {

const std::string kPostScriptJob = "%!PS-Adobe-3.0\n/Times-Roman findfont 12 scalefont setfont\n"
                                   "72 720 moveto (Quarterly report = 100%) show\nshowpage\n";

// Undoes the encoding: soft breaks go, "=XX" becomes its byte, and CR LF (what every LF of
// the job became) becomes LF again.
std::string decodeQuotedPrintable(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "=\r\n") == 0) {
            i += 2;
        } else if (text[i] == '=' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (text.compare(i, 2, "\r\n") == 0) {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string headerOf(const std::string &mail)
{
    return mail.substr(0, mail.find("\r\n\r\n") + 4);
}

// The job a whole-message mail carries. The body reader completes the last line at the end
// of the encoded file with a CR LF of its own, which is not part of the job.
std::string jobOf(const std::string &mail)
{
    std::string body = mail.substr(mail.find("\r\n\r\n") + 4);
    if (body.size() >= 2 && body.compare(body.size() - 2, 2, "\r\n") == 0)
        body.resize(body.size() - 2);
    return decodeQuotedPrintable(body);
}

class JobDelivery : public JobFixture {
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        setenv("ZORVALINE_SMTP_TIMEOUT_S", "1", 1);
        WriteSmtpServicesFile(root, server.port());
        WritePrivateProfileString("HeaderFooter", "Subject", "Monthly print", "C:\\ZORVALINE\\VComDef.ini");
    }

    void TearDown() override
    {
        unsetenv("ZORVALINE_SMTP_TIMEOUT_S");
        JobFixture::TearDown();
    }

    // The chooser confirms the job for `addresses`; `more` adds lines of its script.
    void chooserSends(const std::string &addresses, const std::string &more = "")
    {
        chooserAnswers("[VComDef.ini:Selvra]\nApp=TRUE\n[VTemp.ini:Destination]\nAddress=" + addresses + "\n" + more);
    }

    ScriptedSmtpServer server;
};

const std::pair<std::string, std::string> kSent{"Print Success", "The Print Job was successfully sent\n"};
const std::pair<std::string, std::string> kNotSent{"Print Success", "The Print Job not sent\n"};

TEST_F(JobDelivery, EveryChosenAddressGetsTheJobAndLosesItsOneShotKeys)
{
    chooserSends("desk@printers.test,,lobby@printers.test",
                 "[VComDef.ini:desk@printers.test]\nPassword=secret\nSubject=For the desk\nNotes=urgent\n");
    printJob(kPostScriptJob);

    EXPECT_EQ(messageBoxes(), MessageBoxes{kSent});
    EXPECT_EQ(server.commandsStartingWith("RCPT"),
              (std::vector<std::string>{"RCPT To:<desk@printers.test>", "RCPT To:<lobby@printers.test>"}));
    ASSERT_EQ(server.messages().size(), 2u);
    for (const std::string &mail : server.messages())
        EXPECT_EQ(jobOf(mail), kPostScriptJob);
    EXPECT_NE(headerOf(server.messages()[0]).find("Subject: For the desk\r\n"), std::string::npos);
    EXPECT_NE(headerOf(server.messages()[0]).find("Keyword:password="), std::string::npos);
    EXPECT_NE(headerOf(server.messages()[1]).find("Subject: Monthly print\r\n"), std::string::npos);
    for (const char *key : {"Password", "Subject", "Notes"}) {
        EXPECT_EQ(iniValue("VComDef.ini", "desk@printers.test", key), "") << key;
        EXPECT_EQ(iniValue("VComDef.ini", "lobby@printers.test", key), "") << key;
    }
    ASSERT_EQ(journal.events("progress-created").size(), 1u);
    EXPECT_EQ(journal.events("progress-created")[0]["title"], "Vireon Internet Printing on Sales ");
    EXPECT_EQ(journal.events("progress-destroyed").size(), 1u);
    EXPECT_TRUE(workFilesLeft().empty());
}

TEST_F(JobDelivery, FailureAtTheFirstAddressLeavesTheOthersUntried)
{
    server.queueScript(SmtpScript().reply(SmtpStage::Rcpt, "550 No such mailbox\r\n"));
    chooserSends("gone@printers.test,lobby@printers.test",
                 "[VComDef.ini:gone@printers.test]\nPassword=one\n[VComDef.ini:lobby@printers.test]\nPassword=two\n");
    printJob(kPostScriptJob);

    EXPECT_EQ(messageBoxes(), (MessageBoxes{{"Zorvaline Internet Port Monitor", "Network Error:SMTP To Address Error.\n"},
                                            kNotSent}));
    EXPECT_EQ(server.commandsStartingWith("RCPT"), std::vector<std::string>{"RCPT To:<gone@printers.test>"});
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(iniValue("VComDef.ini", "gone@printers.test", "Password"), "");
    EXPECT_EQ(iniValue("VComDef.ini", "lobby@printers.test", "Password"), "two");
    EXPECT_TRUE(workFilesLeft().empty());

    // The next job goes through.
    journal.clear();
    chooserSends("lobby@printers.test");
    printJob(kPostScriptJob);
    EXPECT_EQ(messageBoxes(), MessageBoxes{kSent});
}

TEST_F(JobDelivery, EmptyJobIsNotSent)
{
    chooserSends("desk@printers.test,lobby@printers.test", "[VComDef.ini:desk@printers.test]\nSubject=Empty\n");
    printJob("");

    EXPECT_EQ(messageBoxes(), (MessageBoxes{{"Zorvaline Internet Port Monitor", "Print Job size Zero\n"}, kNotSent}));
    EXPECT_EQ(server.connections(), 0);
    EXPECT_EQ(iniValue("VComDef.ini", "desk@printers.test", "Subject"), "");
    EXPECT_TRUE(workFilesLeft().empty());
}

TEST_F(JobDelivery, AddressListOfOnlyCommasNamesNoRecipient)
{
    chooserSends(",,");
    printJob(kPostScriptJob);

    EXPECT_EQ(messageBoxes(), (MessageBoxes{{"Zorvaline Internet Port Monitor",
                                             "No Recipient Specified: Printjob not sent.\n"},
                                            kNotSent}));
    EXPECT_EQ(server.connections(), 0);
    EXPECT_TRUE(workFilesLeft().empty());
}

// Whichever chooser wrote the list, an address with a control character or without "@" is
// no mailbox: the job goes nowhere, not even to the good addresses before it.
TEST_F(JobDelivery, AddressWithAControlCharacterOrWithoutAtIsRefusedBeforeAnythingIsSent)
{
    for (const std::string bad : {"bad\x01@printers.test", "d\x7f" "el@printers.test", "tab\t@printers.test",
                                  "printers.test"}) {
        SCOPED_TRACE(bad);
        journal.clear();
        chooserSends("desk@printers.test," + bad);
        printJob(kPostScriptJob);

        EXPECT_EQ(messageBoxes(), (MessageBoxes{{"Zorvaline Internet Port Monitor",
                                                 "No Recipient Specified: Printjob not sent.\n"},
                                                kNotSent}));
        EXPECT_EQ(server.connections(), 0);
        EXPECT_TRUE(workFilesLeft().empty());
    }
}

TEST_F(JobDelivery, CoverPagesGoWhereHeaderAndTrailerSay)
{
    const std::string templateText = TempRoot::readFile(install("banner01.ps"));
    struct Case {
        const char *header;
        const char *trailer;
        bool bannerBefore;
        bool bannerAfter;
    };
    for (const Case &c : {Case{"true", "FALSE", true, false}, Case{"", "TRUE", false, true},
                          Case{"TRUE", "tRuE", true, true}, Case{"yes", "1", false, false}}) {
        SCOPED_TRACE(std::string("Header=") + c.header + " Trailer=" + c.trailer);
        chooserSends("desk@printers.test", std::string("[VComDef.ini:desk@printers.test]\nHeader=") + c.header +
                                               "\nTrailer=" + c.trailer + "\nRecipient=Ann (Sales)\n");
        const size_t before = server.messages().size();
        printJob(kPostScriptJob);
        ASSERT_EQ(server.messages().size(), before + 1);
        const std::string job = jobOf(server.messages().back());

        const size_t at = job.find(kPostScriptJob);
        ASSERT_NE(at, std::string::npos);
        const std::string banner = job.substr(0, at);
        const std::string trailer = job.substr(at + kPostScriptJob.size());
        EXPECT_EQ(!banner.empty(), c.bannerBefore);
        EXPECT_EQ(!trailer.empty(), c.bannerAfter);
        for (const std::string &page : {banner, trailer}) {
            if (page.empty())
                continue;
            EXPECT_EQ(page.rfind(templateText, 0), 0u);
            EXPECT_NE(page.find("(Printer:) Caption (Sales)Value"), std::string::npos);
            EXPECT_NE(page.find("Ann"), std::string::npos);
        }
        if (c.bannerBefore && c.bannerAfter) {
            EXPECT_EQ(banner, trailer);
        }
    }
    EXPECT_TRUE(workFilesLeft().empty());
}

TEST_F(JobDelivery, MissingTemplateStopsAJobThatAsksForACoverPage)
{
    std::filesystem::remove(install("banner01.ps"));
    chooserSends("desk@printers.test", "[VComDef.ini:desk@printers.test]\nHeader=TRUE\nPassword=x\n");
    printJob(kPostScriptJob);

    EXPECT_EQ(messageBoxes(), (MessageBoxes{{"Zorvaline Internet Port", "Could not open Header file\n"}, kNotSent}));
    EXPECT_EQ(server.connections(), 0);
    EXPECT_EQ(iniValue("VComDef.ini", "desk@printers.test", "Password"), "");
    EXPECT_TRUE(workFilesLeft().empty());
}

TEST_F(JobDelivery, SplitDecidesBetweenPiecesAndOneMessage)
{
    std::string bigJob;
    while (bigJob.size() < 5000)
        bigJob += "0 0 moveto 100 100 lineto stroke % line " + std::to_string(bigJob.size()) + "\n";

    // 2 KB mails: pieces of 818 encoded bytes, all over one connection.
    chooserSends("desk@printers.test", "[VComDef.ini:desk@printers.test]\nSplit=2\n");
    printJob(bigJob);
    EXPECT_EQ(messageBoxes(), MessageBoxes{kSent});
    EXPECT_EQ(server.connections(), 1);
    EXPECT_GT(server.messages().size(), 6u);
    EXPECT_EQ(server.commandsStartingWith("QUIT").size(), 1u);
    for (const std::string &mail : server.messages())
        EXPECT_NE(headerOf(mail).find("Content-Type:message/partial;"), std::string::npos);

    // A limit above the job's size sends one whole message.
    const size_t pieces = server.messages().size();
    chooserSends("desk@printers.test", "[VComDef.ini:desk@printers.test]\nSplit=1000\n");
    printJob(bigJob);
    ASSERT_EQ(server.messages().size(), pieces + 1);
    EXPECT_EQ(headerOf(server.messages().back()).find("message/partial"), std::string::npos);
    EXPECT_EQ(jobOf(server.messages().back()), bigJob);
}

// The name a work file of the install directory goes by in the checks below; empty for
// other files (the spool file's number depends on the jobs before).
std::string workFileKind(std::string name)
{
    for (char &c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "varnel.tmp" || name == "varnel.cod" || name == "banner.ps" || name == "trailer.ps")
        return name;
    const bool spool = name.rfind("varnel.", 0) == 0 && name.size() > 7
        && name.find_first_not_of("0123456789", 7) == std::string::npos;
    return spool ? "spool" : "";
}

TEST_F(JobDelivery, WorkFilesAreTheOwnersAloneWhileTheJobIsSent)
{
    ::umask(022);
    // Replies a byte at a time keep the job's files in place while the folder is watched.
    server.queueScript(SmtpScript().bytesApart(std::chrono::milliseconds(4)));
    chooserSends("desk@printers.test", "[VComDef.ini:desk@printers.test]\nHeader=TRUE\nTrailer=TRUE\n");
    std::map<std::string, mode_t> modes; // every permission bit seen on each kind of work file
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        while (!done) {
            std::error_code error;
            for (const auto &entry : std::filesystem::directory_iterator(install(""), error)) {
                const std::string kind = workFileKind(entry.path().filename().string());
                struct stat info {};
                if (!kind.empty() && ::lstat(entry.path().c_str(), &info) == 0)
                    modes[kind] |= info.st_mode & 07777;
            }
            ::usleep(1000);
        }
    });
    printJob(kPostScriptJob);
    done = true;
    watcher.join();

    EXPECT_EQ(messageBoxes(), MessageBoxes{kSent});
    EXPECT_EQ(modes, (std::map<std::string, mode_t>{{"banner.ps", 0600}, {"spool", 0600}, {"trailer.ps", 0600},
                                                    {"varnel.cod", 0600}}));
}

TEST_F(JobDelivery, MailWithCoverPagesIsBannerJobAndTrailerEncodedAsOneText)
{
    // The banner ends in LF, so the job's first byte starts a line and is encoded; the job
    // ends mid-line, so the trailer's first line goes on from the job's column.
    const std::string job = "%!PS-Adobe-3.0\n" + std::string(100, 'x') + "\n" + std::string(50, 'y') + " showpage";
    chooserSends("desk@printers.test", "[VComDef.ini:desk@printers.test]\nHeader=TRUE\nTrailer=TRUE\n");
    printJob(job);
    ASSERT_EQ(server.messages().size(), 1u);
    const std::string mail = server.messages()[0];
    const std::string text = jobOf(mail);
    ASSERT_NE(text.find(job), std::string::npos);
    ASSERT_GT(text.find(job), 0u);

    std::string encoded;
    zormon::QuotedPrintableEncoder().encode(reinterpret_cast<const uint8_t *>(text.data()), text.size(), encoded);
    // The body reader ends the body with a CR LF of its own.
    EXPECT_EQ(mail.substr(headerOf(mail).size()), encoded + "\r\n");
    EXPECT_NE(encoded.find("\r\n=25!PS-Adobe-3.0"), std::string::npos);
}

TEST_F(JobDelivery, AnEncodingThatCannotBeWrittenIsNotSentAndNoCopyIsLeft)
{
    // A job copy left by an earlier version goes with the next job's work files.
    root.writeFile(install("Varnel.tmp"), "an earlier job");
    // Nothing can be made at the encoded file's name.
    std::filesystem::create_directories(install("Varnel.cod/kept"));
    chooserSends("desk@printers.test", "[VComDef.ini:desk@printers.test]\nPassword=x\n");
    printJob(kPostScriptJob);

    EXPECT_EQ(messageBoxes(),
              (MessageBoxes{{"Zorvaline Internet Port", "Could not create encoded file\n"}, kNotSent}));
    EXPECT_EQ(server.connections(), 0);
    EXPECT_EQ(iniValue("VComDef.ini", "desk@printers.test", "Password"), "");
    EXPECT_EQ(workFilesLeft(), std::vector<std::string>{"Varnel.cod"});
}

TEST_F(JobDelivery, LinksPlantedAtWorkFileNamesAreNotFollowed)
{
    std::vector<std::string> names = {"Varnel.tmp", "Varnel.cod", "banner.ps", "trailer.ps"};
    for (int n = 1; n <= 100; ++n)
        names.push_back("Varnel." + std::to_string(n));
    for (const std::string &name : names) {
        root.writeFile(root.path() + "/victim-" + name, "precious " + name);
        std::filesystem::create_symlink(root.path() + "/victim-" + name, install(name));
    }
    chooserSends("desk@printers.test", "[VComDef.ini:desk@printers.test]\nHeader=TRUE\nTrailer=TRUE\n");
    printJob(kPostScriptJob);

    EXPECT_EQ(messageBoxes(), MessageBoxes{kSent});
    ASSERT_EQ(server.messages().size(), 1u);
    EXPECT_NE(jobOf(server.messages()[0]).find(kPostScriptJob), std::string::npos);
    for (const std::string &name : names)
        EXPECT_EQ(TempRoot::readFile(root.path() + "/victim-" + name), "precious " + name) << name;
}

std::vector<zormon::JournalEntry> journalEntries()
{
    std::vector<zormon::JournalEntry> entries;
    std::ifstream in(zormon::JournalPath());
    for (std::string line; std::getline(in, line);) {
        std::optional<zormon::JournalEntry> entry = zormon::ParseJournalLine(line);
        EXPECT_TRUE(entry) << line;
        if (entry)
            entries.push_back(*entry);
    }
    return entries;
}

TEST_F(JobDelivery, JournalHasOneLinePerAddressTriedWithoutAnyPassword)
{
    WritePrivateProfileString("IntranetSetup", "SmtpPassword", "hunter2", "C:\\ZORVALINE\\VComDef.ini");
    chooserSends("desk@printers.test,lobby@printers.test",
                 "[VComDef.ini:desk@printers.test]\nPassword=deskpass\n[VComDef.ini:lobby@printers.test]\nSplit=2\n");
    printJob(std::string(3000, 'x') + "\n");
    server.queueScript(SmtpScript().reply(SmtpStage::Rcpt, "550 5.1.1 No such mailbox\r\n"));
    chooserSends("gone@printers.test");
    printJob(kPostScriptJob);

    const std::vector<zormon::JournalEntry> entries = journalEntries();
    ASSERT_EQ(entries.size(), 3u);
    const zormon::JournalEntry &desk = entries[0];
    EXPECT_EQ(desk.kind, "job");
    EXPECT_EQ(desk.printer, "Sales");
    EXPECT_EQ(desk.document, "report.ps");
    EXPECT_EQ(desk.address, "desk@printers.test");
    EXPECT_EQ(desk.pieces, 1);
    EXPECT_EQ(desk.result, 0);
    EXPECT_EQ(desk.reply, "");
    EXPECT_EQ(desk.bytes, server.messages()[0].size() + 3) << "the text and the end-of-data line";
    EXPECT_EQ(desk.time.size(), 20u);
    // A split of 2 KB: every piece over one connection, counted together.
    const zormon::JournalEntry &lobby = entries[1];
    EXPECT_EQ(lobby.address, "lobby@printers.test");
    EXPECT_GT(lobby.pieces, 2);
    EXPECT_EQ(lobby.piece, lobby.pieces);
    EXPECT_EQ(lobby.job, desk.job);
    EXPECT_NE(lobby.messageId, desk.messageId);
    uint64_t piecesBytes = 0;
    for (size_t i = 1; i < server.messages().size(); ++i)
        piecesBytes += server.messages()[i].size() + 3;
    EXPECT_EQ(lobby.bytes, piecesBytes);
    const zormon::JournalEntry &gone = entries[2];
    EXPECT_EQ(gone.address, "gone@printers.test");
    EXPECT_EQ(gone.result, 10);
    EXPECT_EQ(gone.bytes, 0u);
    EXPECT_EQ(gone.reply, "RCPT To:<gone@printers.test>: 550 5.1.1 No such mailbox");
    EXPECT_NE(gone.job, desk.job);

    const std::string text = TempRoot::readFile(zormon::JournalPath());
    EXPECT_EQ(text.find("hunter2"), std::string::npos);
    EXPECT_EQ(text.find("deskpass"), std::string::npos);
    struct stat info{};
    ASSERT_EQ(::stat(zormon::JournalPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

} // namespace
} // namespace zortest
