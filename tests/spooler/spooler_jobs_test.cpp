// The job path through the public calls: what the monitor of the printer's port receives,
// and how its failures come back.
#include "tests/spooler/SpoolerRoot.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using spoolertest::ScopedEnv;
using spoolertest::SpoolerRoot;

namespace {

class SpoolerJobs : public ::testing::Test {
protected:
    void SetUp() override
    {
        root.prepare();
        ASSERT_TRUE(root.addPrinter("Sales"));
        ASSERT_TRUE(OpenPrinter(const_cast<char *>("Sales"), &printer, nullptr));
    }
    void TearDown() override { ClosePrinter(printer); }

    DWORD start(const char *title = "report.ps", const char *datatype = "RAW")
    {
        DOC_INFO_1A info{const_cast<char *>(title), const_cast<char *>("ignored.out"), const_cast<char *>(datatype)};
        return StartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&info));
    }

    // The log lines after InitializeMonitorEx and the EnumPorts-only start-up.
    std::vector<std::string> jobCalls() const
    {
        std::vector<std::string> calls;
        for (const std::string &line : root.monitorLog())
            if (line.rfind("InitializeMonitorEx", 0) != 0)
                calls.push_back(line);
        return calls;
    }

    SpoolerRoot root;
    HANDLE printer = nullptr;
};

TEST_F(SpoolerJobs, AJobReachesTheMonitorInOrderAndWhole)
{
    const DWORD id = start();
    ASSERT_NE(id, 0u) << GetLastError();
    std::string first = "first part\x04\x14";
    const std::string original = first;
    DWORD written = 0;
    ASSERT_TRUE(WritePrinter(printer, first.data(), static_cast<DWORD>(first.size()), &written));
    EXPECT_EQ(written, first.size());
    EXPECT_EQ(first, original); // the monitor scribbles on the spooler's copy only
    ASSERT_TRUE(WritePrinter(printer, const_cast<char *>("second"), 6, &written));
    ASSERT_TRUE(EndDocPrinter(printer));

    EXPECT_EQ(jobCalls(), (std::vector<std::string>{
                              "OpenPort RECORD:",
                              "StartDocPort Sales|" + std::to_string(id) + "|1|report.ps|(null)|RAW",
                              "WritePort 12 12",
                              "WritePort 6 6",
                              "EndDocPort",
                              "ClosePort",
                          }));
    EXPECT_EQ(root.monitorData(), original + "second");
    const std::vector<std::string> log = root.monitorLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "InitializeMonitorEx System\\CurrentControlSet\\Control\\Print\\Monitors\\Recording Monitor");
}

TEST_F(SpoolerJobs, WritesAreRepeatedUntilTheMonitorTookEveryByte)
{
    ScopedEnv take("ZORTEST_MONITOR_TAKE", "4");
    ASSERT_NE(start(), 0u);
    DWORD written = 0;
    ASSERT_TRUE(WritePrinter(printer, const_cast<char *>("0123456789"), 10, &written));
    EXPECT_EQ(written, 10u);
    ASSERT_TRUE(EndDocPrinter(printer));
    EXPECT_EQ(root.monitorData(), "0123456789");
    const std::vector<std::string> calls = jobCalls();
    ASSERT_EQ(calls.size(), 7u);
    EXPECT_EQ(calls[2], "WritePort 10 4");
    EXPECT_EQ(calls[3], "WritePort 6 4");
    EXPECT_EQ(calls[4], "WritePort 2 2");
}

TEST_F(SpoolerJobs, JobIdsGrowAcrossProcesses)
{
    const DWORD first = start();
    ASSERT_NE(first, 0u);
    ASSERT_TRUE(EndDocPrinter(printer));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HANDLE own = nullptr;
        DOC_INFO_1A info{const_cast<char *>("child"), nullptr, nullptr};
        const bool ok = OpenPrinter(const_cast<char *>("Sales"), &own, nullptr) &&
                        StartDocPrinter(own, 1, reinterpret_cast<LPBYTE>(&info)) == first + 1 && EndDocPrinter(own);
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(start(), first + 2);
    EXPECT_TRUE(EndDocPrinter(printer));
}

TEST_F(SpoolerJobs, MonitorFailuresComeBackWithTheMonitorsError)
{
    {
        ScopedEnv fail("ZORTEST_MONITOR_FAIL", "OpenPort:21");
        SetLastError(0xdeadbeef);
        EXPECT_EQ(start(), 0u);
        EXPECT_EQ(GetLastError(), ERROR_NOT_READY);
        EXPECT_EQ(zorplat::FailedMonitorCall(printer), "OpenPort");
    }
    {
        // The port opened for the refused document is closed again.
        ScopedEnv fail("ZORTEST_MONITOR_FAIL", "StartDocPort:170");
        EXPECT_EQ(start(), 0u);
        EXPECT_EQ(GetLastError(), ERROR_BUSY);
        EXPECT_EQ(zorplat::FailedMonitorCall(printer), "StartDocPort");
        EXPECT_EQ(jobCalls().back(), "ClosePort");
    }
    ASSERT_NE(start(), 0u);
    EXPECT_EQ(zorplat::FailedMonitorCall(printer), "");
    {
        ScopedEnv fail("ZORTEST_MONITOR_FAIL", "WritePort:112");
        DWORD written = 0;
        EXPECT_FALSE(WritePrinter(printer, const_cast<char *>("abc"), 3, &written));
        EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
        EXPECT_EQ(zorplat::FailedMonitorCall(printer), "WritePort");
    }
    {
        // The job stays open after a failed write and ends as usual.
        ScopedEnv fail("ZORTEST_MONITOR_FAIL", "EndDocPort:29");
        EXPECT_FALSE(EndDocPrinter(printer));
        EXPECT_EQ(GetLastError(), ERROR_WRITE_FAULT);
        EXPECT_EQ(zorplat::FailedMonitorCall(printer), "EndDocPort");
    }
    EXPECT_EQ(jobCalls().back(), "ClosePort");
    // The next job of the root is not held up by the failed one.
    ASSERT_NE(start(), 0u);
    EXPECT_TRUE(EndDocPrinter(printer));
}

TEST_F(SpoolerJobs, SpoolerRefusalsNameNoMonitorCall)
{
    EXPECT_EQ(start("x", "EMF"), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATATYPE);
    DWORD written = 0;
    EXPECT_FALSE(WritePrinter(printer, const_cast<char *>("a"), 1, &written));
    EXPECT_EQ(GetLastError(), ERROR_SPL_NO_STARTDOC);
    EXPECT_FALSE(EndDocPrinter(printer));
    EXPECT_EQ(GetLastError(), ERROR_SPL_NO_STARTDOC);
    ASSERT_NE(start(), 0u);
    EXPECT_EQ(start(), 0u); // one document at a time on a handle
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_STATE);
    EXPECT_TRUE(EndDocPrinter(printer));

    // The monitor no longer lists the printer's port.
    ScopedEnv ports("ZORTEST_MONITOR_PORTS", "OTHER:");
    EXPECT_EQ(start(), 0u);
    EXPECT_EQ(GetLastError(), ERROR_UNKNOWN_PORT);
    EXPECT_EQ(zorplat::FailedMonitorCall(printer), "");
}

TEST_F(SpoolerJobs, ClosingAPrinterEndsItsJob)
{
    ASSERT_NE(start(), 0u);
    DWORD written = 0;
    ASSERT_TRUE(WritePrinter(printer, const_cast<char *>("abc"), 3, &written));
    EXPECT_TRUE(ClosePrinter(printer));
    EXPECT_EQ(jobCalls().back(), "ClosePort");
    // The root's job lock went with it: another job starts at once.
    ASSERT_TRUE(OpenPrinter(const_cast<char *>("Sales"), &printer, nullptr));
    EXPECT_NE(start(), 0u);
    EXPECT_TRUE(EndDocPrinter(printer));
}

// The job counter lives in the job lock file: a job leaves the registry file as it was, and
// a counter that was lost or damaged starts the ids again rather than failing the job.
TEST_F(SpoolerJobs, AJobLeavesTheRegistryFileAlone)
{
    ASSERT_NE(start(), 0u);
    ASSERT_TRUE(EndDocPrinter(printer));
    const std::string registry = root.path() + "/system.reg";
    struct stat before {};
    ASSERT_EQ(stat(registry.c_str(), &before), 0);
    const std::string contentBefore = root.readFile(registry);

    const DWORD id = start();
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(EndDocPrinter(printer));
    struct stat after {};
    ASSERT_EQ(stat(registry.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(root.readFile(registry), contentBefore);

    root.writeFile(root.path() + "/spooler-jobs.lock", "garbage");
    EXPECT_EQ(start(), 1u);
    ASSERT_TRUE(EndDocPrinter(printer));
    EXPECT_EQ(start(), 2u);
    ASSERT_TRUE(EndDocPrinter(printer));
}

TEST(SpoolerJobsStartUp, AMonitorThatCannotStartIsReported)
{
    SpoolerRoot root;
    root.prepare();
    // Another process makes the printer, so this one has not initialised the module yet.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(root.addPrinter("Sales") ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    ScopedEnv fail("ZORTEST_MONITOR_FAIL", "InitializeMonitorEx:8");
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinter(const_cast<char *>("Sales"), &printer, nullptr));
    DOC_INFO_1A info{const_cast<char *>("doc"), nullptr, nullptr};
    EXPECT_EQ(StartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&info)), 0u);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(zorplat::FailedMonitorCall(printer), "InitializeMonitorEx");
    // Without the monitor its port is unknown to a new printer.
    EXPECT_FALSE(root.addPrinter("Other"));
    EXPECT_EQ(GetLastError(), ERROR_UNKNOWN_PORT);
    ClosePrinter(printer);
}

} // namespace

namespace {

// Runs `step` in a child process; this process loads no monitor, so each child starts with
// none loaded, as a new `zorvaline print` does. True when the step succeeded.
template <typename Step>
bool InNewProcess(Step step)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(step() ? 0 : 1);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Prints one job to "Sales" in a new process; true when the job went through.
bool PrintInNewProcess()
{
    return InNewProcess([] {
        HANDLE printer = nullptr;
        DOC_INFO_1A info{const_cast<char *>("doc"), nullptr, nullptr};
        DWORD written = 0;
        return OpenPrinter(const_cast<char *>("Sales"), &printer, nullptr) &&
               StartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&info)) != 0 &&
               WritePrinter(printer, const_cast<char *>("x"), 1, &written) && EndDocPrinter(printer);
    });
}

} // namespace

// A job loads only the monitor that owns its printer's port, not every monitor registered
// before it; when that monitor no longer lists the port, the others are asked again.
TEST(SpoolerJobsStartUp, AJobLoadsOnlyTheMonitorThatOwnsThePort)
{
    SpoolerRoot root;
    const std::string loads = root.path() + "/loads.log";
    ScopedEnv loadLog("ZORTEST_MONITOR_LOADS", loads.c_str());
    ScopedEnv otherPorts("ZORTEST_MONITOR_PORTS_OTHER.DLL", "ELSEWHERE:");
    std::filesystem::copy_file(spoolertest::BinDirectory() + "/librecording_monitor.so", root.systemFile("OTHER.DLL"));
    ASSERT_TRUE(root.registerMonitor("Other Monitor", "OTHER.DLL"));
    root.prepare();
    ASSERT_TRUE(InNewProcess([&root] { return root.addPrinter("Sales"); }));

    root.writeFile(loads, "");
    ASSERT_TRUE(PrintInNewProcess());
    ASSERT_TRUE(PrintInNewProcess());
    EXPECT_EQ(zortest::TempRoot::readFile(loads), "RECMON.DLL\nRECMON.DLL\n");

    // The port moves to the other monitor: the next job finds it there.
    ScopedEnv recordPorts("ZORTEST_MONITOR_PORTS_RECMON.DLL", "MOVED:");
    ScopedEnv movedPorts("ZORTEST_MONITOR_PORTS_OTHER.DLL", "RECORD:");
    root.writeFile(loads, "");
    ASSERT_TRUE(PrintInNewProcess());
    ASSERT_TRUE(PrintInNewProcess());
    EXPECT_EQ(zortest::TempRoot::readFile(loads), "RECMON.DLL\nOTHER.DLL\nOTHER.DLL\n");
}
