// Starting programs stored under Windows names and waiting for them.
#include "platform/base/handles.h"
#include "platform/base/lasterror.h"
#include "platform/kernel/process.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

class ProcessTest : public ::testing::Test {
protected:
    // A script stands in for a program such as C:\ZORVALINE\Selvra.exe.
    void installProgram(const std::string &relative, const std::string &script,
                        fs::perms perms = fs::perms::owner_all)
    {
        root.writeFile(root.driveC(relative), "#!/bin/sh\n" + script);
        fs::permissions(root.driveC(relative), perms);
    }

    // Starts the program and returns its exit code, or -1 when it could not be started.
    long long run(const char *application, std::string commandLine, const char *folder = nullptr)
    {
        STARTUPINFO startup {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info {};
        if (!CreateProcess(application, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           folder, &startup, &info))
            return -1;
        EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
        EXPECT_TRUE(CloseHandle(info.hThread));
        EXPECT_TRUE(CloseHandle(info.hProcess));
        return code;
    }

    zortest::TempRoot root;
};

TEST_F(ProcessTest, ExitCodesComeBackThroughTheWait)
{
    installProgram("ZORVALINE/Selvra.exe", "exit \"$1\"\n");
    EXPECT_EQ(run("C:\\ZORVALINE\\Selvra.exe", "Selvra.exe 0"), 0);
    EXPECT_EQ(run("c:\\zorvaline\\SELVRA.EXE", "Selvra.exe 3"), 3);
    EXPECT_EQ(run(nullptr, "C:\\ZORVALINE\\Selvra.exe 255"), 255) << "program from the command line";
    installProgram("ZORVALINE/crash.exe", "kill -9 $$\n");
    EXPECT_EQ(run("C:\\ZORVALINE\\crash.exe", "crash.exe"), 128 + 9);
}

TEST_F(ProcessTest, ChildGetsArgumentsFolderAndEnvironment)
{
    installProgram("ZORVALINE/Selvra.exe",
                   "for a in \"$@\"; do echo \"[$a]\"; done > \"$ZORVALINE_ROOT/out.txt\"\n"
                   "pwd >> \"$ZORVALINE_ROOT/out.txt\"\n");
    fs::create_directories(root.driveC("Work"));
    EXPECT_EQ(run("C:\\ZORVALINE\\Selvra.exe",
                  R"("C:\ZORVALINE\Selvra.exe" plain "two words" say\"hi\" "a\\" c:\x\y "")",
                  "C:\\work"),
              0);
    EXPECT_EQ(zortest::TempRoot::readFile(root.path() + "/out.txt"),
              "[plain]\n[two words]\n[say\"hi\"]\n[a\\]\n[c:\\x\\y]\n[]\n" + root.driveC("Work") + "\n");
}

TEST_F(ProcessTest, WaitTimesOutWhileTheProgramRuns)
{
    installProgram("ZORVALINE/slow.exe", "sleep 0.3\n");
    char commandLine[] = "slow.exe";
    STARTUPINFO startup {};
    PROCESS_INFORMATION info {};
    ASSERT_TRUE(CreateProcess("C:\\ZORVALINE\\slow.exe", commandLine, nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &info));
    EXPECT_NE(info.dwProcessId, 0u);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20), WAIT_TIMEOUT);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(info.hThread, INFINITE), WAIT_OBJECT_0) << "the thread handle waits too";
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_OBJECT_0) << "and stays signalled";
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 0u);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

TEST_F(ProcessTest, ClosedHandlesLetTheProgramFinishAndItIsCollected)
{
    installProgram("ZORVALINE/late.exe", "sleep 0.1; echo done > \"$ZORVALINE_ROOT/late.txt\"\n");
    char commandLine[] = "late.exe";
    STARTUPINFO startup {};
    PROCESS_INFORMATION info {};
    ASSERT_TRUE(CreateProcess("C:\\ZORVALINE\\late.exe", commandLine, nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &info));
    EXPECT_TRUE(CloseHandle(info.hThread));
    EXPECT_TRUE(CloseHandle(info.hProcess));
    const std::string proc = "/proc/" + std::to_string(info.dwProcessId);
    for (int i = 0; i < 300 && fs::exists(proc); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(fs::exists(proc)) << "no zombie is left behind";
    EXPECT_EQ(zortest::TempRoot::readFile(root.path() + "/late.txt"), "done\n");
}

TEST_F(ProcessTest, ProgramsThatCannotStartFailWithTheirReason)
{
    installProgram("ZORVALINE/plain.exe", "exit 0\n", fs::perms::owner_read | fs::perms::owner_write);
    installProgram("ZORVALINE/ok.exe", "exit 0\n");
    EXPECT_EQ(run("C:\\ZORVALINE\\missing.exe", "missing.exe"), -1);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(run("C:\\ZORVALINE\\plain.exe", "plain.exe"), -1);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(run("C:\\ZORVALINE", "folder"), -1);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(run("C:\\ZORVALINE\\ok.exe", "ok.exe", "C:\\NoSuchFolder"), -1);
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
    EXPECT_EQ(run(nullptr, "   "), -1);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

} // namespace
