// A Windows root set up for print jobs, and the monitor reached the way the spooler reaches
// it: InitializeMonitorEx fills the table, and every call goes through its slots.
#pragma once

#include "platform/base/lasterror.h"
#include "platform/spooler/monitor_interface.h"
#include "platform/profile/profile.h"
#include "tests/support/TempRoot.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

extern "C" BOOL InitializeMonitorEx(LPSTR registryRoot, MONITOR *monitor);

namespace zortest {

using MessageBoxes = std::vector<std::pair<std::string, std::string>>;

// Any value a call could not set by chance; a call that succeeds must leave it in place.
constexpr DWORD kSentinelError = 0xdeadbeef;

class JobFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("ZORVALINE_DEBUG_LOG", (root.path() + "/debug.log").c_str(), 1);
        setenv("ZORVALINE_TEST_CHOOSER_SCRIPT", scriptPath().c_str(), 1);
        setenv("ZORVALINE_TEST_CHOOSER_LOG", chooserLogPath().c_str(), 1);
        root.writeFile(root.driveC("WINDOWS/SYSTEM/Varnel.ini"), "[Install]\r\nDirectory=C:\\ZORVALINE\r\n");
        root.writeFile(install("Sendaro.Cfg"), "[Printers]\r\n");
        root.writeFile(install("VComDef.ini"),
                       "[DefaultSetup]\r\nDatabase=C:\\ZORVALINE\\Sendaro.Cfg\r\n"
                       "[IntranetSetup]\r\nSmtpServer=127.0.0.1\r\nSenderEmail=office@example.test\r\n");
        root.writeFile(install("banner01.ps"), "%!PS\n/CoverDict 20 dict def CoverDict begin\n");
        std::filesystem::copy_file(std::string(ZORVALINE_BIN_DIR) + "/scripted_chooser", install("Selvra.exe"));

        ASSERT_TRUE(InitializeMonitorEx(nullptr, &monitor));
        SetLastError(kSentinelError);
        ASSERT_TRUE(monitor.pfnOpenPort(const_cast<LPSTR>("ZORVALINE_INTERNET:"), &port));
        EXPECT_EQ(GetLastError(), kSentinelError);
    }

    void TearDown() override
    {
        for (const char *name : {"ZORVALINE_DEBUG_LOG", "ZORVALINE_TEST_CHOOSER_SCRIPT",
                                 "ZORVALINE_TEST_CHOOSER_LOG"})
            unsetenv(name);
    }

    std::string install(const std::string &name) const { return root.driveC("ZORVALINE/" + name); }
    std::string scriptPath() const { return root.path() + "/chooser.script"; }
    std::string chooserLogPath() const { return root.path() + "/chooser.log"; }

    // What the chooser will answer: lines of "[File:Section]" and "Key=Value".
    void chooserAnswers(const std::string &script) const { root.writeFile(scriptPath(), script); }

    BOOL startDoc(const char *printer = "Sales", const char *document = "report.ps", DWORD jobId = 7)
    {
        DOC_INFO_1A info{const_cast<LPSTR>(document), nullptr, const_cast<LPSTR>("RAW")};
        return monitor.pfnStartDocPort(port, const_cast<LPSTR>(printer), jobId, 1,
                                       reinterpret_cast<LPBYTE>(&info));
    }

    BOOL write(std::string bytes)
    {
        DWORD written = 0;
        BOOL ok = monitor.pfnWritePort(port, reinterpret_cast<LPBYTE>(bytes.data()),
                                       static_cast<DWORD>(bytes.size()), &written);
        EXPECT_EQ(written, bytes.size());
        return ok;
    }

    // A whole job, every call checked to succeed and to leave the last error alone.
    void printJob(const std::string &bytes, const char *printer = "Sales")
    {
        SetLastError(kSentinelError);
        ASSERT_TRUE(startDoc(printer));
        if (!bytes.empty()) {
            ASSERT_TRUE(write(bytes));
        }
        ASSERT_TRUE(monitor.pfnEndDocPort(port));
        EXPECT_EQ(GetLastError(), kSentinelError);
    }

    // A value of an INI file in the install directory, as the monitor reads it.
    static std::string iniValue(const char *file, const char *section, const char *key)
    {
        char value[1024] = {};
        GetPrivateProfileString(section, key, "<absent>", value, sizeof value,
                                (std::string("C:\\ZORVALINE\\") + file).c_str());
        return value;
    }

    // (caption, text) of every message box shown so far; texts end in "\n" as the monitor
    // shows them.
    MessageBoxes messageBoxes() const
    {
        MessageBoxes boxes;
        for (UiEvent &event : journal.events("messagebox"))
            boxes.emplace_back(event["caption"], event["text"]);
        return boxes;
    }

    std::vector<std::string> chooserRuns() const
    {
        std::vector<std::string> runs;
        std::ifstream in(chooserLogPath());
        for (std::string line; std::getline(in, line);)
            runs.push_back(line);
        return runs;
    }

    // Spool and work files left in the install directory.
    std::vector<std::string> workFilesLeft() const
    {
        std::vector<std::string> left;
        for (const auto &entry : std::filesystem::directory_iterator(install(""))) {
            std::string name = entry.path().filename().string();
            std::string lower = name;
            for (char &c : lower)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (lower.rfind("varnel.", 0) == 0 || lower == "banner.ps" || lower == "trailer.ps")
                left.push_back(name);
        }
        return left;
    }

    TempRoot root;
    UiJournal journal{root.path() + "/ui.log"};
    MONITOR monitor{};
    HANDLE port = nullptr;
};

} // namespace zortest
