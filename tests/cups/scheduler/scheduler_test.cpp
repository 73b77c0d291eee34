// Printing through a private CUPS scheduler: a queue made with `zorvaline cups add`, jobs
// submitted with lp, mails at the recording server. The scheduler runs on 127.0.0.1 with its
// configuration, spool, logs and backends in a temporary folder, and is stopped at the end.
#include "tests/cups/CupsTestRoot.h"

#include "manager/database/CChooserDoc.h"
#include "manager/shell/DatabaseSaver.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace cupstest {
namespace {

namespace fs = std::filesystem;

int freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

void write(const std::string &path, const std::string &text)
{
    std::ofstream(path) << text;
}

// The scheduler of one test.
class PrivateCups {
public:
    PrivateCups()
    {
        char pattern[] = "/tmp/zorvaline-cups-XXXXXX";
        m_dir = mkdtemp(pattern);
        // The scheduler's helpers run as lp and must reach their folders.
        chmod(m_dir.c_str(), 0755);
        for (const char *sub : {"etc", "bin/backend", "spool/tmp", "cache", "state", "log"})
            fs::create_directories(m_dir + "/" + sub);
        for (const char *helper : {"filter", "daemon", "driver", "notifier"})
            fs::create_symlink(std::string("/usr/lib/cups/") + helper, m_dir + "/bin/" + helper);
        // Only root may run it, as it will be installed: CUPS runs it as root.
        fs::copy_file(backendPath(), m_dir + "/bin/backend/zorvaline");
        chmod((m_dir + "/bin/backend/zorvaline").c_str(), 0700);
        m_port = freePort();
        write(m_dir + "/etc/cups-files.conf",
              "ServerRoot " + m_dir + "/etc\nServerBin " + m_dir + "/bin\nDataDir /usr/share/cups\nRequestRoot " + m_dir +
                  "/spool\nTempDir " + m_dir + "/spool/tmp\nCacheDir " + m_dir + "/cache\nStateDir " + m_dir +
                  "/state\nErrorLog " + m_dir + "/log/error_log\nAccessLog " + m_dir + "/log/access_log\nPageLog " +
                  m_dir + "/log/page_log\nUser lp\nGroup lp\nSystemGroup root\nFileDevice No\nSandboxing Relaxed\n");
        write(m_dir + "/etc/cupsd.conf",
              "Listen 127.0.0.1:" + std::to_string(m_port) + "\nListen " + m_dir +
                  "/cups.sock\nBrowsing No\nDefaultAuthType None\nWebInterface No\nLogLevel debug\n"
                  // A job the backend asks to retry is tried again after a second.
                  "JobRetryInterval 1\nJobRetryLimit 20\n"
                  "<Location />\nOrder allow,deny\nAllow 127.0.0.1\nAllow @LOCAL\n</Location>\n"
                  "<Location /admin>\nOrder allow,deny\nAllow 127.0.0.1\n</Location>\n"
                  "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n</Policy>\n");
        m_pid = fork();
        if (m_pid == 0) {
            execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", (m_dir + "/etc/cupsd.conf").c_str(), "-s",
                  (m_dir + "/etc/cups-files.conf").c_str(), nullptr);
            _exit(127);
        }
        setenv("CUPS_SERVER", ("127.0.0.1:" + std::to_string(m_port)).c_str(), 1);
        for (int i = 0; i < 100 && RunProgram({"/usr/bin/lpstat", "-r"}).output.find("is running") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }

    ~PrivateCups()
    {
        unsetenv("CUPS_SERVER");
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    bool running() const { return RunProgram({"/usr/bin/lpstat", "-r"}).output.find("is running") != std::string::npos; }
    std::string log() const { return zortest::TempRoot::readFile(m_dir + "/log/error_log"); }

private:
    std::string m_dir;
    int m_port = 0;
    pid_t m_pid = -1;
};

// Waits until `count` mails have arrived, at most `limit`.
bool awaitMails(const std::string &folder, size_t count, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (arrivedMails(folder).size() < count && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return arrivedMails(folder).size() >= count;
}

class ThroughCups : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "a private CUPS scheduler that runs backends as root needs root";
        setup.prepare();
        ASSERT_TRUE(cups.running()) << cups.log();
    }

    ProgramResult zorvaline(const std::vector<std::string> &arguments)
    {
        std::vector<std::string> command = {kBinDir + "/zorvaline"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return RunProgram(command);
    }

    CupsTestRoot setup;
    PrivateCups cups;
};

TEST_F(ThroughCups, PdfAndPostScriptPrintedWithLpArriveWithTheirPages)
{
    setup.startMailServer();
    ProgramResult add = zorvaline({"cups", "add", kPrinter});
    ASSERT_EQ(add.exitCode, 0) << add.output;
    EXPECT_NE(add.output.find("queue Front_Desk for printer Front Desk: made"), std::string::npos) << add.output;
    ProgramResult list = zorvaline({"cups", "list"});
    EXPECT_NE(list.output.find("Front_Desk\tFront Desk\t" + fs::canonical(setup.root.path()).string()),
              std::string::npos)
        << list.output;

    const std::string pdf = setup.root.path() + "/report.pdf";
    makePdf(pdf, 3);
    const std::string ps = setup.root.path() + "/two.ps";
    setup.root.writeFile(ps, "%!PS-Adobe-3.0\n/Helvetica findfont 20 scalefont setfont\n"
                             "72 700 moveto (one) show showpage 72 700 moveto (two) show showpage\n");
    for (const std::string &file : {pdf, ps}) {
        ProgramResult lp = RunProgram({"/usr/bin/lp", "-d", "Front_Desk", file});
        ASSERT_EQ(lp.exitCode, 0) << lp.output;
        ASSERT_TRUE(awaitMails(setup.mailFolder, file == pdf ? 1 : 2, std::chrono::seconds(90))) << cups.log();
    }
    std::vector<ArrivedMail> mails = arrivedMails(setup.mailFolder);
    const std::string decoded = setup.root.path() + "/decoded.ps";
    decodeJob(mails[0].file, decoded);
    EXPECT_EQ(pageCount(decoded), 3);
    decodeJob(mails[1].file, decoded);
    EXPECT_EQ(pageCount(decoded), 2);
    EXPECT_TRUE(setup.leftovers().empty());
}

TEST_F(ThroughCups, AJobForADownServerWaitsAndIsDeliveredOnceItIsBack)
{
    setup.startMailServer();
    setup.stopMailServer();
    ASSERT_EQ(zorvaline({"cups", "add", kPrinter}).exitCode, 0);
    const std::string ps = setup.root.path() + "/one.ps";
    setup.root.writeFile(ps, "%!PS\n/Helvetica findfont 20 scalefont setfont 72 700 moveto (one) show showpage\n");
    ASSERT_EQ(RunProgram({"/usr/bin/lp", "-d", "Front_Desk", ps}).exitCode, 0);
    // The backend said "retry": the job is kept, not completed or aborted.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (cups.log().find("Retrying job") == std::string::npos &&
           cups.log().find("Job held for") == std::string::npos && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_NE(RunProgram({"/usr/bin/lpstat", "-o", "Front_Desk"}).output.find("Front_Desk-"), std::string::npos);

    setup.startMailServer();
    EXPECT_TRUE(awaitMails(setup.mailFolder, 1, std::chrono::seconds(60))) << cups.log();
}

TEST_F(ThroughCups, SyncFollowsTheWindowsPrinters)
{
    ASSERT_EQ(zorvaline({"cups", "add", kPrinter}).exitCode, 0);
    setup.run({"printers", "add", "Back Office", "--driver", "Laser H7", "--port", "ZORVALINE_INTERNET:"});
    ProgramResult sync = zorvaline({"cups", "sync"});
    ASSERT_EQ(sync.exitCode, 0) << sync.output;
    EXPECT_NE(sync.output.find("queue Back_Office for printer Back Office: made"), std::string::npos) << sync.output;
    EXPECT_NE(sync.output.find("queue Front_Desk: up to date"), std::string::npos) << sync.output;

    setup.run({"printers", "delete", kPrinter});
    sync = zorvaline({"cups", "sync"});
    ASSERT_EQ(sync.exitCode, 0) << sync.output;
    EXPECT_NE(sync.output.find("queue Front_Desk: removed"), std::string::npos) << sync.output;
    ProgramResult list = zorvaline({"cups", "list"});
    EXPECT_EQ(list.output.find("Front_Desk"), std::string::npos) << list.output;
    EXPECT_NE(list.output.find("Back_Office"), std::string::npos) << list.output;

    ProgramResult unknown = zorvaline({"cups", "add", "Nobody"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.output.find("no printer named Nobody"), std::string::npos) << unknown.output;
    EXPECT_EQ(zorvaline({"cups", "remove", "Back Office"}).exitCode, 0);
    EXPECT_TRUE(zorvaline({"cups", "list"}).output.empty());
}

TEST_F(ThroughCups, SendaroSavingItsChangesBringsTheQueuesOfARootWithQueuesInStep)
{
    CChooserDoc doc;
    doc.SetDatabasePath("C:\\ZORVALINE\\Sendaro.Cfg");
    auto queueList = [&] { return zorvaline({"cups", "list"}).output; };

    // A root without queues gets none.
    ASSERT_TRUE(sendaro::SaveDatabase(doc));
    EXPECT_EQ(queueList(), "");

    ASSERT_EQ(zorvaline({"cups", "add", kPrinter}).exitCode, 0);
    // What the manager does when a printer is renamed: the old Windows printer goes, the new
    // one comes, and the change is saved.
    setup.run({"printers", "delete", kPrinter});
    setup.run({"printers", "add", "Reception", "--driver", "Laser H7", "--port", "ZORVALINE_INTERNET:"});
    ASSERT_TRUE(sendaro::SaveDatabase(doc));
    const std::string list = queueList();
    EXPECT_EQ(list.find("Front_Desk"), std::string::npos) << list;
    EXPECT_NE(list.find("Reception\tReception\t"), std::string::npos) << list;
}

} // namespace
} // namespace cupstest
