// The job operations as the spooler calls them, up to the hand-over to the chooser: the
// spool file, the job facts, the lock, and what happens when the chooser cannot or does not
// confirm the job.
#include "tests/monitor/JobFixture.h"

#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <thread>

namespace zortest {
namespace {

// True when `text` has the shape of `pattern`, in which '9' stands for any digit.
bool hasShape(const std::string &text, const std::string &pattern)
{
    if (text.size() != pattern.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (pattern[i] == '9' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != pattern[i])
            return false;
    return true;
}

class JobSpooling : public JobFixture {
protected:
    // The number n of the open job's spool file "Varnel.<n>"; 0 when there is none.
    int openSpoolNumber() const
    {
        for (const auto &entry : std::filesystem::directory_iterator(install(""))) {
            std::string name = entry.path().filename().string();
            if (name.rfind("Varnel.", 0) == 0 && name.size() > 7 &&
                name.find_first_not_of("0123456789", 7) == std::string::npos)
                return std::stoi(name.substr(7));
        }
        return 0;
    }
};

TEST_F(JobSpooling, SpoolCounterRunsToOneHundredThenStartsOverAtOne)
{
    // Without a database no chooser runs, so each job ends at once.
    std::filesystem::remove(install("Sendaro.Cfg"));
    int number = 0;
    for (int jobs = 0; jobs < 101 && number != 99; ++jobs) {
        ASSERT_TRUE(startDoc());
        number = openSpoolNumber();
        ASSERT_TRUE(monitor.pfnEndDocPort(port));
    }
    ASSERT_EQ(number, 99);
    for (int expected : {100, 1, 2}) {
        ASSERT_TRUE(startDoc());
        EXPECT_EQ(openSpoolNumber(), expected);
        ASSERT_TRUE(monitor.pfnEndDocPort(port));
    }
}

TEST_F(JobSpooling, ControlBytesReachTheSpoolFileAsSpaces)
{
    ASSERT_TRUE(startDoc());
    std::string job("A\x04" "B\x14" "C\x15\x00\x05" "D\x04\x04", 11);
    SetLastError(kSentinelError);
    ASSERT_TRUE(write(job));
    ASSERT_TRUE(write("\x14tail"));
    EXPECT_EQ(GetLastError(), kSentinelError);
    std::string spool = TempRoot::readFile(install("Varnel." + std::to_string(openSpoolNumber())));
    EXPECT_EQ(spool, std::string("A B C\x15\x00\x05" "D   tail", 16));
    ASSERT_TRUE(monitor.pfnEndDocPort(port));
}

TEST_F(JobSpooling, ControlBytesAnywhereInALargeBufferBecomeSpacesAndNothingElseChanges)
{
    // Every byte value at every offset of a long buffer, and blocks without 0x04 or 0x14;
    // the bytes one bit away from them (0x05, 0x15, 0x24, 0x84, 0x94, 0x10) stay as they are.
    std::string job;
    for (int round = 0; round < 5; ++round)
        for (int value = 0; value < 256; ++value)
            job += static_cast<char>((value * 7 + round) & 0xFF);
    job += std::string(200, 'p') + "\x14" + std::string(130, 'q') + "\x04";
    std::string expected = job;
    for (char &c : expected)
        if (c == '\x04' || c == '\x14')
            c = ' ';

    ASSERT_TRUE(startDoc());
    ASSERT_TRUE(write(job));
    EXPECT_TRUE(TempRoot::readFile(install("Varnel." + std::to_string(openSpoolNumber()))) == expected);
    ASSERT_TRUE(monitor.pfnEndDocPort(port));
}

TEST_F(JobSpooling, StartWritesTheJobFactsForTheChooser)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\control\\ComputerName\\ComputerName",
                             0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char name[] = "FRONTDESK";
    ASSERT_EQ(RegSetValueEx(key, "ComputerName", 0, REG_SZ, reinterpret_cast<const BYTE *>(name), sizeof name),
              ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string longPrinter(80, 'P');

    ASSERT_TRUE(startDoc(longPrinter.c_str(), "Quarterly report.ps"));
    EXPECT_EQ(iniValue("VComDef.ini", "PrintJob", "PrinterName"), std::string(63, 'P'));
    EXPECT_EQ(iniValue("VComDef.ini", "PrintJob", "FileName"), "Quarterly report.ps");
    EXPECT_EQ(iniValue("VComDef.ini", "PrintJob", "ComputerName"), "FRONTDESK");
    EXPECT_NE(iniValue("VComDef.ini", "PrintJob", "UserName"), "");
    EXPECT_TRUE(hasShape(iniValue("VComDef.ini", "PrintJob", "Date"), "99/99/99"));
    EXPECT_TRUE(hasShape(iniValue("VComDef.ini", "PrintJob", "Time"), "99:99:99"));
    ASSERT_TRUE(monitor.pfnEndDocPort(port));
}

// A line break cannot be written into [PrintJob]; were it refused, the chooser would take the
// previous job's document name for this one's subject.
TEST_F(JobSpooling, ControlCharactersOfTheJobFactsBecomeBlanks)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\control\\ComputerName\\ComputerName",
                             0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char name[] = "FRONT\tDESK\x7f" "7";
    ASSERT_EQ(RegSetValueEx(key, "ComputerName", 0, REG_SZ, reinterpret_cast<const BYTE *>(name), sizeof name),
              ERROR_SUCCESS);
    RegCloseKey(key);

    ASSERT_TRUE(startDoc("Sales", "previous.ps"));
    ASSERT_TRUE(monitor.pfnEndDocPort(port));
    ASSERT_TRUE(startDoc("Sa\x01les", "Bericht\r\nSubject: x\x1b[2J f\xc3\xbcr"));
    EXPECT_EQ(iniValue("VComDef.ini", "PrintJob", "FileName"), "Bericht  Subject: x [2J f\xc3\xbcr");
    EXPECT_EQ(iniValue("VComDef.ini", "PrintJob", "PrinterName"), "Sa les");
    EXPECT_EQ(iniValue("VComDef.ini", "PrintJob", "ComputerName"), "FRONT DESK 7");
    ASSERT_TRUE(monitor.pfnEndDocPort(port));
}

// When [PrintJob] cannot be written the job cannot be described: it is refused rather than
// sent with the previous job's facts, and the port is free for the next one.
TEST_F(JobSpooling, JobFactsThatCannotBeWrittenFailTheStart)
{
    ASSERT_TRUE(startDoc("Sales", "previous.ps"));
    ASSERT_TRUE(monitor.pfnEndDocPort(port));
    const std::string vcomdef = install("VComDef.ini");
    const std::string saved = TempRoot::readFile(vcomdef);
    std::filesystem::remove(vcomdef);
    std::filesystem::create_directory(vcomdef); // no file can be written under this name

    SetLastError(kSentinelError);
    EXPECT_FALSE(startDoc("Sales", "current.ps"));
    EXPECT_NE(GetLastError(), kSentinelError);
    EXPECT_EQ(openSpoolNumber(), 0) << "no spool file for a refused job";

    std::filesystem::remove(vcomdef);
    root.writeFile(vcomdef, saved);
    ASSERT_TRUE(startDoc("Sales", "next.ps")) << "the lock was left behind";
    EXPECT_EQ(iniValue("VComDef.ini", "PrintJob", "FileName"), "next.ps");
    ASSERT_TRUE(monitor.pfnEndDocPort(port));
}

TEST_F(JobSpooling, SecondStartOnABusyPortFailsAndLeavesTheFirstJobAlone)
{
    ASSERT_TRUE(startDoc("Sales", "first.ps"));
    ASSERT_TRUE(write("first part, "));
    int spool = openSpoolNumber();

    SetLastError(kSentinelError);
    EXPECT_FALSE(startDoc("Accounts", "second.ps"));
    EXPECT_EQ(GetLastError(), ERROR_BUSY);
    EXPECT_EQ(openSpoolNumber(), spool);
    EXPECT_EQ(iniValue("VComDef.ini", "PrintJob", "PrinterName"), "Sales");
    EXPECT_EQ(iniValue("VComDef.ini", "PrintJob", "FileName"), "first.ps");

    ASSERT_TRUE(write("second part"));
    ASSERT_TRUE(monitor.pfnEndDocPort(port));
    // The chooser saw the whole first job under its own printer.
    const std::string spoolPath = "C:\\ZORVALINE\\Varnel." + std::to_string(spool);
    ASSERT_EQ(chooserRuns().size(), 1u);
    EXPECT_EQ(chooserRuns()[0], "ran file=" + spoolPath + " size=23 printer=Sales");
    EXPECT_TRUE(workFilesLeft().empty());
}

TEST_F(JobSpooling, JobsOnDifferentPortsFollowOneAnother)
{
    HANDLE filePort = nullptr;
    ASSERT_TRUE(monitor.pfnOpenPort(const_cast<LPSTR>("FILE:"), &filePort));
    ASSERT_TRUE(startDoc());

    std::atomic<bool> secondStarted{false};
    std::thread second([&] {
        DOC_INFO_1A info{const_cast<LPSTR>("other.ps"), nullptr, nullptr};
        BOOL started = monitor.pfnStartDocPort(filePort, const_cast<LPSTR>("Other"), 8, 1,
                                                reinterpret_cast<LPBYTE>(&info));
        secondStarted = true;
        EXPECT_TRUE(started);
        EXPECT_TRUE(monitor.pfnEndDocPort(filePort));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(secondStarted);
    ASSERT_TRUE(monitor.pfnEndDocPort(port));
    second.join();
    EXPECT_TRUE(secondStarted);
    EXPECT_EQ(iniValue("VComDef.ini", "PrintJob", "PrinterName"), "Other");
}

TEST_F(JobSpooling, CallsOutsideAJobFailCleanly)
{
    SetLastError(kSentinelError);
    EXPECT_TRUE(monitor.pfnEndDocPort(port)); // nothing to end
    EXPECT_EQ(GetLastError(), kSentinelError);

    char byte = 'x';
    DWORD written = 99;
    EXPECT_FALSE(monitor.pfnWritePort(port, reinterpret_cast<LPBYTE>(&byte), 1, &written));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    DOC_INFO_1A noName{nullptr, nullptr, nullptr};
    SetLastError(kSentinelError);
    EXPECT_FALSE(monitor.pfnStartDocPort(port, const_cast<LPSTR>("Sales"), 1, 1, reinterpret_cast<LPBYTE>(&noName)));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    int notAPort = 0;
    SetLastError(kSentinelError);
    EXPECT_FALSE(monitor.pfnEndDocPort(&notAPort));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    // None of the refusals kept the lock: a job on another thread still starts.
    std::thread other([&] {
        EXPECT_TRUE(startDoc());
        EXPECT_TRUE(monitor.pfnEndDocPort(port));
    });
    other.join();
    EXPECT_TRUE(workFilesLeft().empty());
}

TEST_F(JobSpooling, StaleSpoolFilesDoNotLendTheirTailToANewJob)
{
    for (int n = 1; n <= 100; ++n)
        root.writeFile(install("Varnel." + std::to_string(n)), std::string(4000, 'S'));
    printJob("short job");
    ASSERT_EQ(chooserRuns().size(), 1u);
    EXPECT_NE(chooserRuns()[0].find(" size=9 "), std::string::npos) << chooserRuns()[0];
}

TEST_F(JobSpooling, MissingDatabaseDropsTheJobWithAMessage)
{
    std::filesystem::remove(install("Sendaro.Cfg"));
    root.writeFile(install("VTemp.ini"), "[Destination]\r\nAddress=left@over.test\r\n");
    printJob("%!PS\nshowpage\n");

    EXPECT_EQ(messageBoxes(), (MessageBoxes{{"Zorvaline Internet Port Monitor", "Cannot open the configuration Database.\n"}}));
    EXPECT_EQ(iniValue("VTemp.ini", "Destination", "Address"), "");
    EXPECT_TRUE(chooserRuns().empty());
    EXPECT_TRUE(workFilesLeft().empty());
}

TEST_F(JobSpooling, ChooserThatCannotStartDropsTheJobWithAMessage)
{
    std::filesystem::remove(install("Selvra.exe"));
    root.writeFile(install("VTemp.ini"), "[Destination]\r\nAddress=left@over.test\r\n");
    printJob("%!PS\nshowpage\n");

    EXPECT_EQ(messageBoxes(), (MessageBoxes{{"Zorvaline Internet Port Monitor",
                                             "System could not launch application for lack of resources.\n"}}));
    EXPECT_EQ(iniValue("VTemp.ini", "Destination", "Address"), "");
    EXPECT_EQ(iniValue("VTemp.ini", "Destination", "File").rfind("C:\\ZORVALINE\\Varnel.", 0), 0u);
    EXPECT_TRUE(workFilesLeft().empty());
}

TEST_F(JobSpooling, JobTheChooserDidNotConfirmIsDroppedSilently)
{
    for (const char *app : {"FALSE", "", "yes"}) {
        chooserAnswers(std::string("[VComDef.ini:Selvra]\nApp=") + app +
                       "\n[VTemp.ini:Destination]\nAddress=desk@printers.test\n");
        printJob("%!PS\nshowpage\n");
        EXPECT_TRUE(messageBoxes().empty()) << "App=" << app;
        EXPECT_TRUE(journal.events("progress-created").empty()) << "App=" << app;
        EXPECT_TRUE(workFilesLeft().empty()) << "App=" << app;
    }
    EXPECT_EQ(chooserRuns().size(), 3u);
}

} // namespace
} // namespace zortest
