// The real `zorvaline print`, `printers`, `drivers` and `monitors` commands against a root
// with the recording monitor.
#include "tests/spooler/SpoolerRoot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sys/wait.h>

using spoolertest::ScopedEnv;
using spoolertest::SpoolerRoot;

namespace {

struct CommandRun {
    int code = -1;
    std::string out;
    std::string err;
};

std::string quote(const std::string &text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string zorvalineBinary()
{
    return quote(spoolertest::BinDirectory() + "/zorvaline");
}

// Runs `zorvaline ARGS` (ARGS already quoted as the shell needs) with standard input from
// `input`.
CommandRun zorvaline(const SpoolerRoot &root, const std::string &args, const std::string &input = "/dev/null")
{
    const std::string out = root.path() + "/stdout", err = root.path() + "/stderr";
    const std::string command =
        zorvalineBinary() + " " + args + " <" + quote(input) + " >" + quote(out) + " 2>" + quote(err);
    const int status = std::system(command.c_str());
    CommandRun run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = SpoolerRoot::readFile(out);
    run.err = SpoolerRoot::readFile(err);
    return run;
}

// The monitor calls of jobs (each process's start-up left out).
std::vector<std::string> jobCalls(const SpoolerRoot &root)
{
    std::vector<std::string> calls;
    for (const std::string &line : root.monitorLog())
        if (line.rfind("InitializeMonitorEx", 0) != 0)
            calls.push_back(line);
    return calls;
}

std::string pattern(size_t size, char seed)
{
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>(seed + i * 7 % 251);
    return data;
}

class PrintCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        root.prepare();
        ASSERT_TRUE(root.addPrinter("Sales")); // the first printer: the default one
        ASSERT_TRUE(root.addPrinter("Other"));
    }
    SpoolerRoot root;
};

TEST_F(PrintCommand, AFileBecomesOneJobNamedAfterIt)
{
    const std::string file = root.path() + "/report.ps";
    const std::string content = "%!PS\nshowpage\n";
    root.writeFile(file, content);
    const CommandRun run = zorvaline(root, "print -P other " + quote(file));
    ASSERT_EQ(run.code, 0) << run.err;
    const std::vector<std::string> calls = jobCalls(root);
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0], "OpenPort RECORD:");
    EXPECT_TRUE(calls[1].rfind("StartDocPort Other|", 0) == 0) << calls[1];
    EXPECT_TRUE(calls[1].ends_with("|1|report.ps|(null)|RAW")) << calls[1];
    EXPECT_EQ(calls[2], "WritePort 14 14");
    EXPECT_EQ(calls[3], "EndDocPort");
    EXPECT_EQ(calls[4], "ClosePort");
    EXPECT_EQ(root.monitorData(), content);
}

TEST_F(PrintCommand, StandardInputTitlesAndTheDefaultPrinter)
{
    const std::string file = root.path() + "/in.txt";
    root.writeFile(file, "from stdin");
    CommandRun run = zorvaline(root, "print", file);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(jobCalls(root)[1].find("StartDocPort Sales|"), std::string::npos);
    EXPECT_NE(jobCalls(root)[1].find("|stdin|"), std::string::npos);

    // -T names every job; two files are two jobs.
    root.writeFile(root.path() + "/second.txt", "two");
    run = zorvaline(root, "print -T 'Quarterly Figures' " + quote(file) + " " + quote(root.path() + "/second.txt"));
    ASSERT_EQ(run.code, 0) << run.err;
    std::vector<std::string> starts;
    for (const std::string &call : jobCalls(root))
        if (call.rfind("StartDocPort", 0) == 0)
            starts.push_back(call);
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_NE(starts[1].find("|Quarterly Figures|"), std::string::npos);
    EXPECT_NE(starts[2].find("|Quarterly Figures|"), std::string::npos);
    EXPECT_EQ(root.monitorData(), "from stdinfrom stdintwo");
}

TEST_F(PrintCommand, LargeJobsAreStreamedInPieces)
{
    const std::string file = root.path() + "/big.bin";
    const std::string content = pattern(5 * 1024 * 1024 + 17, 'a');
    root.writeFile(file, content);
    const CommandRun run = zorvaline(root, "print " + quote(file));
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(root.monitorData() == content);
    int writes = 0;
    for (const std::string &call : jobCalls(root))
        if (call.rfind("WritePort ", 0) == 0) {
            ++writes;
            EXPECT_LE(std::stoul(call.substr(10)), 1024u * 1024u) << call;
        }
    EXPECT_GE(writes, 6);
}

TEST_F(PrintCommand, UsageAndSpoolerErrorsExitWithTwoAndPrintNothing)
{
    const std::string file = root.path() + "/ok.txt";
    root.writeFile(file, "x");
    CommandRun run = zorvaline(root, "print -P Nobody " + quote(file));
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("no printer named Nobody"), std::string::npos) << run.err;
    // An unreadable file stops the command before the first job.
    run = zorvaline(root, "print " + quote(file) + " " + quote(root.path() + "/missing.txt"));
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("missing.txt"), std::string::npos) << run.err;
    run = zorvaline(root, "print " + quote(root.path()));
    EXPECT_EQ(run.code, 2);
    run = zorvaline(root, "print -X");
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("unknown option -X"), std::string::npos);
    // A port no monitor lists any more is a spooler failure.
    {
        ScopedEnv ports("ZORTEST_MONITOR_PORTS", "ELSEWHERE:");
        run = zorvaline(root, "print " + quote(file));
        EXPECT_EQ(run.code, 2);
        EXPECT_NE(run.err.find("error 1796"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(jobCalls(root).empty());

    HANDLE sales = nullptr, other = nullptr;
    ASSERT_TRUE(OpenPrinter(const_cast<char *>("Sales"), &sales, nullptr));
    ASSERT_TRUE(OpenPrinter(const_cast<char *>("Other"), &other, nullptr));
    ASSERT_TRUE(DeletePrinter(sales) && DeletePrinter(other));
    ClosePrinter(sales);
    ClosePrinter(other);
    run = zorvaline(root, "print " + quote(file));
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("no default printer"), std::string::npos) << run.err;
}

TEST_F(PrintCommand, MonitorFailuresExitWithOne)
{
    const std::string file = root.path() + "/job.ps";
    root.writeFile(file, "job");
    {
        // The monitor's calls succeed, but it shows a stop box: the delivery failed.
        ScopedEnv stop("ZORTEST_MONITOR_STOPBOX", "1");
        const CommandRun run = zorvaline(root, "print " + quote(file));
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.err.find("The Print Job not sent"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("the monitor reported a failure"), std::string::npos) << run.err;
    }
    {
        ScopedEnv fail("ZORTEST_MONITOR_FAIL", "OpenPort:21");
        const CommandRun run = zorvaline(root, "print " + quote(file));
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.err.find("the monitor failed OpenPort"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("error 21"), std::string::npos) << run.err;
    }
    {
        // Every job is tried; one failure makes the exit status 1.
        ScopedEnv fail("ZORTEST_MONITOR_FAIL", "EndDocPort:29");
        const std::vector<std::string> before = jobCalls(root);
        const CommandRun run = zorvaline(root, "print " + quote(file) + " " + quote(file));
        EXPECT_EQ(run.code, 1);
        const std::vector<std::string> after = jobCalls(root);
        EXPECT_EQ(std::count(after.begin(), after.end(), "EndDocPort") - std::count(before.begin(), before.end(), "EndDocPort"), 2);
    }
    EXPECT_EQ(zorvaline(root, "print " + quote(file)).code, 0);
}

TEST_F(PrintCommand, SimultaneousJobsFollowOneAnotherAndArriveWhole)
{
    const std::string a = pattern(3 * 1024 * 1024, 'A'), b = pattern(2 * 1024 * 1024 + 5, 'b');
    root.writeFile(root.path() + "/a.bin", a);
    root.writeFile(root.path() + "/b.bin", b);
    ScopedEnv delay("ZORTEST_MONITOR_DELAY_MS", "300"); // a job left unguarded would overlap
    const std::string print = zorvalineBinary() + " print ";
    const std::string command = "(" + print + quote(root.path() + "/a.bin") + " & " + print +
                                quote(root.path() + "/b.bin") + " & wait %1 && wait %2) >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);

    const std::string data = root.monitorData();
    EXPECT_TRUE(data == a + b || data == b + a) << "the jobs' bytes were mixed";
    // Each job's calls form one block: open, start, writes, end, close.
    const std::vector<std::string> calls = jobCalls(root);
    ASSERT_GE(calls.size(), 10u);
    size_t i = 0;
    for (int job = 0; job < 2; ++job) {
        ASSERT_EQ(calls[i++], "OpenPort RECORD:");
        ASSERT_EQ(calls[i++].rfind("StartDocPort Sales|", 0), 0u);
        while (i < calls.size() && calls[i].rfind("WritePort", 0) == 0)
            ++i;
        ASSERT_LT(i + 1, calls.size());
        EXPECT_EQ(calls[i++], "EndDocPort");
        EXPECT_EQ(calls[i++], "ClosePort");
    }
    EXPECT_EQ(i, calls.size());
}

TEST_F(PrintCommand, ADamagedRegistryFileStopsEveryCommandAndIsNamed)
{
    const std::string file = root.path() + "/system.reg";
    const std::string damaged = "this is not the registry\n";
    root.writeFile(file, damaged);
    const std::string job = root.path() + "/job.ps";
    root.writeFile(job, "job");
    const std::vector<std::string> commands{"printers",
                                            "drivers",
                                            "monitors",
                                            "printers add North --driver 'Test Driver'",
                                            "printers delete Sales",
                                            "printers default",
                                            "printers default Other",
                                            "drivers add Other --driver TEST.DRV --data TEST.PPD",
                                            "monitors add Another --dll RECMON.DLL",
                                            "print -P Sales " + quote(job),
                                            "print " + quote(job)};
    for (const std::string &command : commands) {
        const CommandRun run = zorvaline(root, command);
        EXPECT_EQ(run.code, 2) << command;
        EXPECT_NE(run.err.find("the registry file is damaged: " + file + ": line 1"), std::string::npos)
            << command << ": " << run.err;
        EXPECT_EQ(run.err.find("mend"), std::string::npos) << "only setup tells how to mend it: " << run.err;
        EXPECT_EQ(run.out, "") << command;
    }
    EXPECT_EQ(SpoolerRoot::readFile(file), damaged);
    EXPECT_TRUE(jobCalls(root).empty());
}

TEST_F(PrintCommand, ChangesToARootThatCannotBeWrittenNameTheRoot)
{
    // A root below a plain file cannot be written, whoever runs the test.
    root.writeFile(root.path() + "/plain", "x");
    const std::string unwritable = root.path() + "/plain/root";
    const std::vector<std::string> commands{"printers add North --driver 'Test Driver'", "printers delete Sales",
                                            "printers default Other",
                                            "drivers add Other --driver TEST.DRV --data TEST.PPD",
                                            "monitors add Another --dll RECMON.DLL"};
    for (const std::string &command : commands) {
        ScopedEnv elsewhere("ZORVALINE_ROOT", unwritable.c_str());
        const CommandRun run = zorvaline(root, command);
        EXPECT_EQ(run.code, 2) << command;
        EXPECT_NE(run.err.find("cannot write to the root " + unwritable + ": Not a directory"), std::string::npos)
            << command << ": " << run.err;
    }
}

TEST_F(PrintCommand, AdministrationCommands)
{
    ScopedEnv ports("ZORTEST_MONITOR_PORTS", "RECORD:,ZORVALINE_INTERNET:");
    CommandRun run = zorvaline(root, "printers add Destination --driver 'Test Driver'");
    ASSERT_EQ(run.code, 0) << run.err;
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinter(const_cast<char *>("Destination"), &printer, nullptr));
    std::vector<BYTE> buffer(1024);
    DWORD needed = 0;
    ASSERT_TRUE(GetPrinter(printer, 2, buffer.data(), 1024, &needed));
    const auto &info = *reinterpret_cast<PRINTER_INFO_2A *>(buffer.data());
    EXPECT_STREQ(info.pPortName, "ZORVALINE_INTERNET:");
    EXPECT_STREQ(info.pComment, "Zorvaline Remote Internet Printing Port");
    EXPECT_STREQ(info.pPrintProcessor, "WinPrint");
    EXPECT_STREQ(info.pDatatype, "RAW");
    EXPECT_EQ(info.Attributes, 2u);
    EXPECT_EQ(info.Priority, 1u);
    ClosePrinter(printer);

    run = zorvaline(root, "printers add Destination --driver 'Test Driver'");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("error 1802"), std::string::npos) << run.err;
    EXPECT_EQ(zorvaline(root, "printers add X --driver Missing").code, 1);
    EXPECT_EQ(zorvaline(root, "printers add X").code, 2);

    run = zorvaline(root, "printers");
    EXPECT_EQ(run.code, 0);
    EXPECT_NE(run.out.find("* Sales"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Destination  ZORVALINE_INTERNET:  Test Driver  Zorvaline Remote"), std::string::npos)
        << run.out;

    EXPECT_EQ(zorvaline(root, "printers default destination").code, 0);
    run = zorvaline(root, "printers default");
    EXPECT_EQ(run.out, "Destination\n");
    EXPECT_EQ(zorvaline(root, "printers delete Destination").code, 0);
    EXPECT_EQ(zorvaline(root, "printers delete Destination").code, 1);
    EXPECT_EQ(zorvaline(root, "printers default").code, 1);

    root.writeFile(root.systemFile("NEW.DRV"), "x");
    EXPECT_EQ(zorvaline(root, "drivers add 'New Driver' --driver NEW.DRV --data TEST.PPD").code, 0);
    run = zorvaline(root, "drivers add Broken --driver NEW.DRV --data TEST.PPD --help-file 'C:\\ELSEWHERE\\ABSENT.HLP'");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("C:\\ELSEWHERE\\ABSENT.HLP is not in the system directory C:\\WINDOWS\\SYSTEM (" +
                           root.driveC("WINDOWS/SYSTEM") + ")"),
              std::string::npos)
        << run.err;
    run = zorvaline(root, "drivers");
    EXPECT_NE(run.out.find("New Driver\tC:\\WINDOWS\\SYSTEM\\NEW.DRV\tC:\\WINDOWS\\SYSTEM\\TEST.PPD\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(zorvaline(root, "monitors add Second --dll recmon.dll").code, 0);
    run = zorvaline(root, "monitors add Second --dll RECMON.DLL");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("error 3006"), std::string::npos) << run.err;
    run = zorvaline(root, "monitors add Third --dll NONE.DLL");
    EXPECT_NE(run.err.find("error 126"), std::string::npos) << run.err;
    run = zorvaline(root, "monitors");
    EXPECT_EQ(run.out, "Recording Monitor\tWindows 4.0\tRECMON.DLL\nSecond\tWindows 4.0\trecmon.dll\n");

    for (const char *command : {"print", "printers", "drivers", "monitors"}) {
        run = zorvaline(root, std::string(command) + " --help");
        EXPECT_EQ(run.code, 0) << command;
        EXPECT_EQ(run.out.rfind("usage: zorvaline " + std::string(command), 0), 0u) << command;
    }
}

} // namespace
