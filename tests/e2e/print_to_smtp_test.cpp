// A print job from `zorvaline print` to a real SMTP server: the spooler hands the job to the
// monitor module, the scripted chooser picks two destinations, and the mails that arrive are
// taken apart as a receiving printer would.
#include "tests/e2e/ProgramRun.h"

#include "platform/profile/profile.h"
#include "tests/support/ScriptedSmtpServer.h"
#include "tests/support/TempRoot.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace zortest {
namespace {

namespace fs = std::filesystem;

const std::string kBinDir = ZORVALINE_BIN_DIR;
const std::string kPrinter = "Sales";
const std::string kSplitAddress = "split@printers.test";
const std::string kPlainAddress = "plain@printers.test";
const std::string kPassword = "Sesame";

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

// A PostScript job of about `size` bytes: many small pages of text and lines, with the
// characters quoted-printable has to encode (spaces, '=', a leading '.', 8-bit bytes).
std::string postScriptJob(size_t size)
{
    std::string job = "%!PS-Adobe-3.0\n%%Title: e2e report\n/Helvetica findfont 10 scalefont setfont\n";
    for (int line = 0; job.size() < size; ++line) {
        job += "72 " + std::to_string(700 - (line % 60) * 10) + " moveto (Line " + std::to_string(line) +
               ": total = 100% \xE9t\xE9 caf\xE9) show\n";
        if (line % 60 == 59)
            job += "showpage\n.5 setlinewidth\n";
    }
    return job + "showpage\n%%EOF\n";
}

struct Mail {
    std::string file;
    int connection = 0;
    std::string recipient;
    std::string text;

    // Every value of header `name`, in order.
    std::vector<std::string> headers(const std::string &name) const
    {
        std::vector<std::string> values;
        std::istringstream lines(text.substr(0, text.find("\r\n\r\n")));
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind(name + ":", 0) == 0) {
                std::string value = line.substr(name.size() + 1);
                if (!value.empty() && value.back() == '\r')
                    value.pop_back();
                values.push_back(value);
            }
        }
        return values;
    }
    std::string header(const std::string &name) const
    {
        std::vector<std::string> values = headers(name);
        return values.empty() ? "" : values[0];
    }
    std::string body() const { return text.substr(text.find("\r\n\r\n") + 4); }
};

// The mails the recording server stored, in arrival order.
std::vector<Mail> receivedMails(const std::string &folder)
{
    std::vector<Mail> mails;
    std::ifstream index(folder + "/index");
    for (std::string line; std::getline(index, line);) {
        Mail mail;
        std::istringstream fields(line);
        fields >> mail.file >> mail.connection >> mail.recipient;
        mail.text = TempRoot::readFile(folder + "/" + mail.file);
        mails.push_back(mail);
    }
    return mails;
}

// The number= parameter of a message/partial piece.
int pieceNumber(const Mail &mail)
{
    std::string type = mail.header("Content-Type");
    size_t at = type.find("number=");
    return at == std::string::npos ? 0 : std::stoi(type.substr(at + 7));
}

// A message as a local mailbox stores it: lines end in LF.
std::string withLineFeeds(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    return out;
}

// Decodes one whole MIME message with munpack and returns the part it wrote. The sender
// completes the last line of the encoded job with a CR LF of its own, which is not part of
// the job and is dropped first.
std::string unpack(std::string message, const std::string &folder)
{
    if (message.size() >= 4 && message.compare(message.size() - 4, 4, "\r\n\r\n") == 0)
        message.resize(message.size() - 2);
    fs::create_directories(folder);
    const std::string file = folder + "/message.eml";
    std::ofstream(file, std::ios::binary) << withLineFeeds(message);
    ProgramResult result = RunProgram({"/usr/bin/munpack", "-q", "-C", folder, file});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return TempRoot::readFile(folder + "/part1");
}

class PrintToSmtp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProgramResult setup = RunProgram({kBinDir + "/zorvaline", "setup"});
        ASSERT_EQ(setup.exitCode, 0) << setup.output;
        ASSERT_GT(server.port(), 0) << "the SMTP server did not start";
        WriteSmtpServicesFile(root, static_cast<uint16_t>(server.port()));
        writeSetting("IntranetSetup", "SmtpServer", "127.0.0.1");
        writeSetting("IntranetSetup", "SenderEmail", "office@example.test");
        writeSetting("HeaderFooter", "Subject", "Quarterly report");
        // The destination database the manager keeps; the monitor only checks that it opens.
        root.writeFile(root.driveC("ZORVALINE/Sendaro.Cfg"), "[Printers]\r\n");

        // The chooser confirms every job for the two destinations.
        fs::copy_file(kBinDir + "/scripted_chooser", root.driveC("ZORVALINE/Selvra.exe"),
                      fs::copy_options::overwrite_existing);
        const std::string script = root.path() + "/chooser.script";
        root.writeFile(script, "[VComDef.ini:Selvra]\nApp=TRUE\n[VTemp.ini:Destination]\nAddress=" + kSplitAddress +
                                   "," + kPlainAddress + "\n[VComDef.ini:" + kSplitAddress +
                                   "]\nSplit=20\nHeader=TRUE\nTrailer=TRUE\n[VComDef.ini:" + kPlainAddress +
                                   "]\nPassword=" + kPassword + "\n");
        setenv("ZORVALINE_TEST_CHOOSER_SCRIPT", script.c_str(), 1);
    }

    void TearDown() override { unsetenv("ZORVALINE_TEST_CHOOSER_SCRIPT"); }

    static void writeSetting(const char *section, const char *key, const std::string &value)
    {
        ASSERT_TRUE(WritePrivateProfileString(section, key, value.c_str(), "C:\\ZORVALINE\\VComDef.ini"));
    }

    // A printer of the destination on the monitor's port, with a driver of the test's own.
    void addPrinter()
    {
        root.writeFile(root.driveC("WINDOWS/SYSTEM/E2EPS.DRV"), "driver");
        root.writeFile(root.driveC("WINDOWS/SYSTEM/E2EPS.PPD"), "*PPD-Adobe: \"4.3\"\n");
        ProgramResult driver = RunProgram({kBinDir + "/zorvaline", "drivers", "add", "E2E PostScript", "--driver",
                                           "E2EPS.DRV", "--data", "E2EPS.PPD"});
        ASSERT_EQ(driver.exitCode, 0) << driver.output;
        ProgramResult add = RunProgram({kBinDir + "/zorvaline", "printers", "add", kPrinter, "--driver",
                                        "E2E PostScript", "--port", "ZORVALINE_INTERNET:"});
        ASSERT_EQ(add.exitCode, 0) << add.output;
    }

    TempRoot root;
    UiJournal journal{root.path() + "/ui.log"};
    std::string mailFolder = root.path() + "/mail";
    ServerProcess server{{"/usr/bin/python3", std::string(ZORVALINE_SOURCE_DIR) + "/tests/support/recording_smtp_server.py",
                          mailFolder}};
};

TEST_F(PrintToSmtp, JobArrivesWithCoverPagesInPiecesAndWholeWithItsPassword)
{
    const std::string job = postScriptJob(200 * 1024);
    const std::string jobFile = root.path() + "/report.ps";
    root.writeFile(jobFile, job);

    addPrinter();
    ProgramResult print = RunProgram({kBinDir + "/zorvaline", "print", "-P", kPrinter, "-T", "report.ps", jobFile});
    ASSERT_EQ(print.exitCode, 0) << print.output;

    std::vector<Mail> mails = receivedMails(mailFolder);
    std::vector<Mail> pieces, whole;
    for (const Mail &mail : mails)
        (mail.recipient == kSplitAddress ? pieces : whole).push_back(mail);
    ASSERT_GT(pieces.size(), 1u);
    ASSERT_EQ(whole.size(), 1u);

    // Every piece over one connection, and the unsplit mail over another.
    for (const Mail &piece : pieces)
        EXPECT_EQ(piece.connection, pieces[0].connection) << piece.file;
    EXPECT_NE(whole[0].connection, pieces[0].connection);

    // The pieces joined in their numbered order (RFC 2046, section 5.2.2.2: the enclosed header
    // block opens piece 1), then decoded: cover page, job, identical cover page.
    std::sort(pieces.begin(), pieces.end(), [](const Mail &a, const Mail &b) { return pieceNumber(a) < pieceNumber(b); });
    std::string joined = "Mime-Version: 1.0\r\n";
    for (size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(pieceNumber(pieces[i]), static_cast<int>(i + 1));
        joined += pieces[i].body();
    }
    const std::string split = unpack(joined, root.path() + "/split");
    const size_t at = split.find(job);
    ASSERT_NE(at, std::string::npos) << "the job is not in the joined pieces";
    const std::string banner = split.substr(0, at);
    const std::string trailer = split.substr(at + job.size());
    EXPECT_EQ(banner.rfind(TempRoot::readFile(root.driveC("ZORVALINE/banner01.ps")), 0), 0u);
    EXPECT_NE(banner.find("(Printer:) Caption (" + kPrinter + ")Value"), std::string::npos);
    EXPECT_TRUE(banner == trailer) << "cover pages of " << banner.size() << " and " << trailer.size() << " bytes";

    // The unsplit mail: the job alone, and the password only as its digest.
    const std::string unsplit = unpack(whole[0].text, root.path() + "/whole");
    EXPECT_TRUE(unsplit == job) << "decoded " << unsplit.size() << " bytes for a job of " << job.size();
    const std::string messageId = whole[0].header("Message-ID");
    ASSERT_EQ(messageId.front(), '<');
    const std::string id = messageId.substr(1, messageId.find('@') - 1);
    // Each address's mail has an id of its own: a printer joining pieces by id must never
    // mix two jobs.
    const std::string pieceType = pieces[0].header("Content-Type");
    EXPECT_EQ(pieceType.find("id=\"<" + id + "@"), std::string::npos) << pieceType << " shares " << id;
    const std::vector<std::string> keywords = whole[0].headers("Keyword");
    EXPECT_NE(std::find(keywords.begin(), keywords.end(), "password=" + md5Hex(id + kPassword)), keywords.end());
    EXPECT_EQ(whole[0].text.find(kPassword), std::string::npos);

    // Every stage was shown, and the outcome.
    std::vector<std::string> titles;
    for (UiEvent &event : journal.events())
        if (event.count("title"))
            titles.push_back(event["title"]);
    const std::string prefix = "Vireon Internet Printing on " + kPrinter;
    for (const std::string &stage : {prefix + " ", prefix + " Print Job Encoded", prefix + " Generating Headers",
                                     prefix + " Connecting", prefix + " Identification Handshake",
                                     prefix + " Sending Data", prefix + " Data Sent",
                                     prefix + "  1 of " + std::to_string(pieces.size()),
                                     prefix + "  " + std::to_string(pieces.size()) + " of " + std::to_string(pieces.size())})
        EXPECT_NE(std::find(titles.begin(), titles.end(), stage), titles.end()) << stage;
    std::vector<UiEvent> boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], "The Print Job was successfully sent\n");

    // Nothing of the job is left behind.
    for (const auto &entry : fs::directory_iterator(root.driveC("ZORVALINE"))) {
        std::string name = entry.path().filename().string();
        EXPECT_NE(name.rfind("Varnel.", 0), 0u) << name;
        EXPECT_NE(name, "banner.ps");
        EXPECT_NE(name, "trailer.ps");
    }
}

// A job the chooser declines (here the real chooser, over a database it cannot read) is not
// delivered: the command says so and exits 1, and the chooser's reason is on standard error.
TEST_F(PrintToSmtp, DeclinedJobExitsOneWithTheChoosersReason)
{
    fs::copy_file(kBinDir + "/selvra", root.driveC("ZORVALINE/Selvra.exe"), fs::copy_options::overwrite_existing);
    addPrinter();
    const std::string jobFile = root.path() + "/report.ps";
    root.writeFile(jobFile, postScriptJob(1024));

    ProgramResult print = RunProgram({kBinDir + "/zorvaline", "print", "-P", kPrinter, jobFile});
    EXPECT_EQ(print.exitCode, 1) << print.output;
    EXPECT_NE(print.output.find("Selvra: Configuration file is corrupted"), std::string::npos) << print.output;
    EXPECT_NE(print.output.find("zorvaline print: report.ps on Sales: not sent: the destination chooser did not "
                                "confirm the job"),
              std::string::npos)
        << print.output;
    EXPECT_TRUE(receivedMails(mailFolder).empty());
}

// A refused delivery tells the user why: the server's reply beside the monitor's message,
// and in the diagnostic output.
TEST_F(PrintToSmtp, RefusedDeliveryShowsWhatTheServerSaid)
{
    ScriptedSmtpServer refusing;
    refusing.setDefaultScript(
        SmtpScript().reply(SmtpStage::Rcpt, "550 5.1.1 <split@printers.test>: Recipient address rejected\r\n"));
    WriteSmtpServicesFile(root, refusing.port());
    const std::string debugLog = root.path() + "/debug.log";
    setenv("ZORVALINE_DEBUG_LOG", debugLog.c_str(), 1);
    addPrinter();
    const std::string jobFile = root.path() + "/report.ps";
    root.writeFile(jobFile, postScriptJob(1024));

    ProgramResult print = RunProgram({kBinDir + "/zorvaline", "print", "-P", kPrinter, jobFile});
    unsetenv("ZORVALINE_DEBUG_LOG");
    EXPECT_EQ(print.exitCode, 1) << print.output;
    const std::string said = "RCPT To:<split@printers.test>: 550 5.1.1 <split@printers.test>: Recipient address rejected";
    EXPECT_NE(print.output.find("Zorvaline Internet Port Monitor: Network Error:SMTP To Address Error.\n  " + said + "\n"),
              std::string::npos)
        << print.output;
    EXPECT_NE(TempRoot::readFile(debugLog).find(said), std::string::npos);
    EXPECT_EQ(refusing.commandsStartingWith("QUIT").size(), 1u) << "the refusal is followed by QUIT";
}

} // namespace
} // namespace zortest
