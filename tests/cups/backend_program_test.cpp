// The CUPS backend run as CUPS runs it (device URI in the environment, the job's arguments,
// the job as a file), against a real and a scripted SMTP server on 127.0.0.1.
#include "tests/cups/CupsTestRoot.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace cupstest {
namespace {

constexpr int kOk = 0, kFailed = 1, kStop = 4, kCancel = 5, kRetry = 6;

std::string deviceUri(const std::string &printer, const std::string &root)
{
    std::string encoded;
    for (char c : printer)
        encoded += c == ' ' ? std::string("%20") : std::string(1, c);
    return "zorvaline://" + encoded + "?root=" + root;
}

class Backend : public ::testing::Test {
protected:
    void SetUp() override
    {
        setup.prepare();
        setenv("DEVICE_URI", deviceUri(kPrinter, setup.root.path()).c_str(), 1);
    }
    void TearDown() override { unsetenv("DEVICE_URI"); }

    ProgramResult print(const std::string &file, const std::string &title = "Report", const std::string &copies = "1")
    {
        return RunProgram({backendPath(), "42", "ann", title, copies, "media=A4 job-uuid=urn:uuid:1", file});
    }

    std::string job(const std::string &name, const std::string &content)
    {
        const std::string path = setup.root.path() + "/" + name;
        setup.root.writeFile(path, content);
        return path;
    }

    CupsTestRoot setup;
};

TEST_F(Backend, WithoutArgumentsItListsItselfForDeviceDiscovery)
{
    unsetenv("DEVICE_URI");
    ProgramResult run = RunProgram({backendPath()});
    EXPECT_EQ(run.exitCode, kOk);
    EXPECT_EQ(run.output, "network zorvaline \"Unknown\" \"Zorvaline Internet printer\"\n");
}

TEST_F(Backend, PdfAndPostScriptJobsArriveAsPostScriptWithAllTheirPages)
{
    setup.startMailServer();
    const std::string pdf = setup.root.path() + "/report.pdf";
    makePdf(pdf, 3);
    ASSERT_EQ(pageCount(pdf), 3);
    ProgramResult first = print(pdf, "Quarterly report");
    ASSERT_EQ(first.exitCode, kOk) << first.output;
    EXPECT_NE(first.output.find("INFO: Quarterly report sent to Front Desk"), std::string::npos) << first.output;
    const std::string ps = job("two.ps", "%!PS-Adobe-3.0\n/Helvetica findfont 20 scalefont setfont\n"
                                          "72 700 moveto (one) show showpage 72 700 moveto (two) show showpage\n");
    ASSERT_EQ(print(ps).exitCode, kOk);

    std::vector<ArrivedMail> mails = arrivedMails(setup.mailFolder);
    ASSERT_EQ(mails.size(), 2u);
    const std::string decoded = setup.root.path() + "/decoded.ps";
    decodeJob(mails[0].file, decoded);
    EXPECT_EQ(zortest::TempRoot::readFile(decoded).substr(0, 4), "%!PS");
    EXPECT_EQ(pageCount(decoded), 3);
    decodeJob(mails[1].file, decoded);
    EXPECT_EQ(pageCount(decoded), 2);
    EXPECT_EQ(mails[0].recipient, kAddress);
    EXPECT_TRUE(setup.leftovers().empty()) << testing::PrintToString(setup.leftovers());
}

TEST_F(Backend, AnUnreachableServerAsksForARetryAndTheRetryDelivers)
{
    setup.startMailServer();
    setup.stopMailServer();
    const std::string ps = job("one.ps", "%!PS\nshowpage\n");
    ProgramResult down = print(ps);
    EXPECT_EQ(down.exitCode, kRetry) << down.output;
    EXPECT_NE(down.output.find("ERROR: Network Error: Could not connect to SMTP Server"), std::string::npos);
    EXPECT_TRUE(setup.leftovers().empty()) << testing::PrintToString(setup.leftovers());

    setup.startMailServer();
    ProgramResult back = print(ps);
    EXPECT_EQ(back.exitCode, kOk) << back.output;
    EXPECT_EQ(arrivedMails(setup.mailFolder).size(), 1u);
}

TEST_F(Backend, ATemporaryRefusalIsRetriedAPermanentOneFailsTheJob)
{
    zortest::ScriptedSmtpServer server;
    zortest::WriteSmtpServicesFile(setup.root, server.port());
    const std::string ps = job("one.ps", "%!PS\nshowpage\n");
    server.queueScript(zortest::SmtpScript().reply(zortest::SmtpStage::Rcpt, "450 4.2.1 Mailbox busy\r\n"));
    EXPECT_EQ(print(ps).exitCode, kRetry);
    server.queueScript(zortest::SmtpScript().reply(zortest::SmtpStage::Greeting, "421 4.3.2 Going down\r\n"));
    EXPECT_EQ(print(ps).exitCode, kRetry);
    server.queueScript(zortest::SmtpScript().reply(zortest::SmtpStage::Rcpt, "550 5.1.1 No such mailbox\r\n"));
    ProgramResult refused = print(ps);
    EXPECT_EQ(refused.exitCode, kFailed) << refused.output;
    EXPECT_NE(refused.output.find("ERROR: Network Error:SMTP To Address Error."), std::string::npos) << refused.output;
    EXPECT_TRUE(server.messages().empty());
}

TEST_F(Backend, BadQueuesAndBadJobsSayWhyAndSendNothing)
{
    setup.startMailServer();
    const std::string ps = job("one.ps", "%!PS\nshowpage\n");
    const std::string root = setup.root.path();
    struct Case {
        std::string uri;
        std::string file;
        std::string copies;
        int status;
        std::string says;
    };
    const std::string sparse = root + "/huge.ps";
    {
        const int fd = open(sparse.c_str(), O_CREAT | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, "%!PS\n", 5), 5);
        ASSERT_EQ(ftruncate(fd, int64_t{2} << 30), 0); // 2 GB, no disk used
        close(fd);
    }
    const std::vector<Case> cases = {
        {"zorvaline://?root=" + root, ps, "1", kStop, "names no printer"},
        {"zorvaline://Front%20Desk", ps, "1", kStop, "names no Windows root"},
        {"zorvaline://Front%20Desk?root=" + root + "/missing", ps, "1", kStop, "cannot be used"},
        {"zorvaline://Nobody?root=" + root, ps, "1", kStop, "no printer named Nobody"},
        {deviceUri(kPrinter, root), job("empty.ps", ""), "1", kFailed, "is empty"},
        {deviceUri(kPrinter, root), job("notes.txt", "plain words\n"), "1", kFailed, "neither PostScript nor PDF"},
        {deviceUri(kPrinter, root), job("broken.pdf", "%PDF-1.4\nthis is no PDF\n"), "1", kFailed,
         "Ghostscript could not read it"},
        {deviceUri(kPrinter, root), sparse, "1", kFailed, "larger than 1024 MB"},
        {deviceUri(kPrinter, root), ps, "two", kFailed, "number of copies"},
    };
    for (const Case &c : cases) {
        setenv("DEVICE_URI", c.uri.c_str(), 1);
        ProgramResult run = print(c.file, "Report", c.copies);
        EXPECT_EQ(run.exitCode, c.status) << c.uri << " " << c.file << "\n" << run.output;
        EXPECT_NE(run.output.find("ERROR: "), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
    }
    EXPECT_TRUE(arrivedMails(setup.mailFolder).empty());
    EXPECT_TRUE(setup.leftovers().empty()) << testing::PrintToString(setup.leftovers());

    // A root that others may write is not used, whoever owns it.
    chmod(root.c_str(), 0770);
    setenv("DEVICE_URI", deviceUri(kPrinter, root).c_str(), 1);
    ProgramResult open = print(ps);
    chmod(root.c_str(), 0700);
    EXPECT_EQ(open.exitCode, kStop);
    EXPECT_NE(open.output.find("may be written by other users"), std::string::npos) << open.output;
}

TEST_F(Backend, ACancelledJobEndsAtOnceAndLeavesNoMailAndNoFiles)
{
    zortest::ScriptedSmtpServer server;
    zortest::WriteSmtpServicesFile(setup.root, server.port());
    server.setDefaultScript(zortest::SmtpScript().silentAt(zortest::SmtpStage::Data));
    const std::string ps = job("one.ps", "%!PS\n" + std::string(200000, 'x') + "\nshowpage\n");

    const std::string output = setup.root.path() + "/backend.out";
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const int fd = ::open(output.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        dup2(fd, STDERR_FILENO);
        execl(backendPath().c_str(), "zorvaline", "7", "ann", "Long job", "1", "", ps.c_str(), nullptr);
        _exit(127);
    }
    // Cancelled while the server keeps it waiting for DATA.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (server.commandsStartingWith("DATA").empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_FALSE(server.commandsStartingWith("DATA").empty());
    const auto cancelled = std::chrono::steady_clock::now();
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    const auto took = std::chrono::steady_clock::now() - cancelled;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kCancel) << zortest::TempRoot::readFile(output);
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_TRUE(server.waitUntilIdle(std::chrono::seconds(5)));
    EXPECT_TRUE(server.messages().empty());
    EXPECT_TRUE(setup.leftovers().empty()) << testing::PrintToString(setup.leftovers());
}

} // namespace
} // namespace cupstest
