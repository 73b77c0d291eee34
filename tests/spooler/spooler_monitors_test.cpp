// Monitors: registration rules and the two-call enumeration.
#include "tests/spooler/SpoolerRoot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <dlfcn.h>

using spoolertest::ScopedEnv;
using spoolertest::SpoolerRoot;

namespace {

constexpr DWORD kSentinel = 0xdeadbeef;

std::vector<std::string> monitorNames()
{
    DWORD needed = 0, returned = 0;
    EnumMonitors(nullptr, 1, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed + 1);
    if (!EnumMonitors(nullptr, 1, buffer.data(), needed, &needed, &returned))
        return {"enumeration failed"};
    std::vector<std::string> names;
    for (DWORD i = 0; i < returned; ++i)
        names.emplace_back(reinterpret_cast<MONITOR_INFO_1A *>(buffer.data())[i].pName);
    return names;
}

DWORD addMonitorError(const char *name, const char *environment, const char *dll)
{
    MONITOR_INFO_2A info{const_cast<char *>(name), const_cast<char *>(environment), const_cast<char *>(dll)};
    SetLastError(kSentinel);
    if (AddMonitor(nullptr, 2, reinterpret_cast<LPBYTE>(&info)))
        return ERROR_SUCCESS;
    return GetLastError();
}

TEST(SpoolerMonitors, EnumerationReportsTheSizeNeededAndPacksStringsInsideTheBuffer)
{
    SpoolerRoot root;
    ASSERT_TRUE(root.registerMonitor());
    ASSERT_TRUE(root.registerMonitor("Second", "RECMON.DLL"));

    for (DWORD level : {1u, 2u}) {
        DWORD needed = 0, returned = 7;
        SetLastError(kSentinel);
        EXPECT_FALSE(EnumMonitors(nullptr, level, nullptr, 0, &needed, &returned));
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(returned, 0u);
        const size_t entry = level == 1 ? sizeof(MONITOR_INFO_1A) : sizeof(MONITOR_INFO_2A);
        ASSERT_GT(needed, 2 * entry);

        std::vector<BYTE> buffer(needed);
        SetLastError(kSentinel);
        EXPECT_FALSE(EnumMonitors(nullptr, level, buffer.data(), needed - 1, &needed, &returned));
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        ASSERT_TRUE(EnumMonitors(nullptr, level, buffer.data(), needed, &needed, &returned));
        ASSERT_EQ(returned, 2u);

        const BYTE *stringsStart = buffer.data() + 2 * entry;
        const BYTE *end = buffer.data() + buffer.size();
        auto inside = [&](const char *text) {
            auto *p = reinterpret_cast<const BYTE *>(text);
            return p >= stringsStart && p + std::strlen(text) < end;
        };
        if (level == 1) {
            auto *entries = reinterpret_cast<MONITOR_INFO_1A *>(buffer.data());
            EXPECT_STREQ(entries[0].pName, "Recording Monitor");
            EXPECT_STREQ(entries[1].pName, "Second");
            EXPECT_TRUE(inside(entries[0].pName) && inside(entries[1].pName));
        } else {
            auto *entries = reinterpret_cast<MONITOR_INFO_2A *>(buffer.data());
            EXPECT_STREQ(entries[0].pName, "Recording Monitor");
            EXPECT_STREQ(entries[0].pEnvironment, "Windows 4.0");
            EXPECT_STREQ(entries[0].pDLLName, "RECMON.DLL");
            EXPECT_TRUE(inside(entries[1].pName) && inside(entries[1].pEnvironment) && inside(entries[1].pDLLName));
        }
    }
    DWORD needed = 0, returned = 0;
    EXPECT_FALSE(EnumMonitors(nullptr, 3, nullptr, 0, &needed, &returned));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
    EXPECT_FALSE(EnumMonitors(const_cast<char *>("\\\\OTHER"), 1, nullptr, 0, &needed, &returned));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
}

TEST(SpoolerMonitors, AnEmptySpoolerListsNothingWithoutABuffer)
{
    SpoolerRoot root;
    DWORD needed = 5, returned = 5;
    EXPECT_TRUE(EnumMonitors(nullptr, 1, nullptr, 0, &needed, &returned));
    EXPECT_EQ(needed, 0u);
    EXPECT_EQ(returned, 0u);
}

TEST(SpoolerMonitors, NamesCompareExactly)
{
    SpoolerRoot root;
    EXPECT_EQ(addMonitorError("Zorvaline Internet Port", "Windows 4.0", "RECMON.DLL"), ERROR_SUCCESS);
    EXPECT_EQ(addMonitorError("Zorvaline Internet Port", "Windows 4.0", "RECMON.DLL"),
              ERROR_PRINT_MONITOR_ALREADY_INSTALLED);
    // A name that differs in case only is another monitor.
    EXPECT_EQ(addMonitorError("zorvaline internet port", "Windows 4.0", "RECMON.DLL"), ERROR_SUCCESS);
    EXPECT_EQ(addMonitorError("zorvaline internet port", nullptr, "RECMON.DLL"), ERROR_PRINT_MONITOR_ALREADY_INSTALLED);
    EXPECT_EQ(monitorNames(), (std::vector<std::string>{"Zorvaline Internet Port", "zorvaline internet port"}));
}

TEST(SpoolerMonitors, TheDllMustBeAMonitorInTheSystemDirectory)
{
    SpoolerRoot root;
    EXPECT_EQ(addMonitorError("M", "Windows 4.0", "MISSING.DLL"), ERROR_MOD_NOT_FOUND);
    root.writeFile(root.systemFile("BROKEN.DLL"), "not a module");
    EXPECT_EQ(addMonitorError("M", "Windows 4.0", "BROKEN.DLL"), ERROR_MOD_NOT_FOUND);
    // A module that loads but lacks the entry: the C math library.
    Dl_info mathLibrary{};
    ASSERT_TRUE(dladdr(reinterpret_cast<void *>(static_cast<double (*)(double)>(std::cos)), &mathLibrary));
    std::filesystem::copy_file(mathLibrary.dli_fname, root.systemFile("NOENTRY.DLL"));
    EXPECT_EQ(addMonitorError("M", "Windows 4.0", "NOENTRY.DLL"), ERROR_PROC_NOT_FOUND);
    // A path never leads out of the system directory.
    std::filesystem::create_directories(root.driveC("OTHER"));
    std::filesystem::copy_file(root.systemFile("RECMON.DLL"), root.driveC("OTHER/REAL.DLL"));
    EXPECT_EQ(addMonitorError("M", "Windows 4.0", "..\\OTHER\\REAL.DLL"), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(addMonitorError("M", "Windows 4.0", "recmon.dll"), ERROR_SUCCESS); // files without regard to case
    EXPECT_EQ(monitorNames(), std::vector<std::string>{"M"});
}

TEST(SpoolerMonitors, TheEnvironmentMustBeTheCurrentOne)
{
    SpoolerRoot root;
    EXPECT_EQ(addMonitorError("M", "NotWin32", "RECMON.DLL"), ERROR_INVALID_ENVIRONMENT);
    EXPECT_EQ(addMonitorError("M", "Windows NT x86", "RECMON.DLL"), ERROR_INVALID_ENVIRONMENT);
    {
        ScopedEnv nt("ZORVALINE_PLATFORM", "nt");
        EXPECT_EQ(addMonitorError("M", "Windows 4.0", "RECMON.DLL"), ERROR_INVALID_ENVIRONMENT);
        EXPECT_EQ(addMonitorError("M", "Windows NT x86", "RECMON.DLL"), ERROR_SUCCESS);
    }
    {
        ScopedEnv other("ZORVALINE_PLATFORM", "other");
        EXPECT_EQ(addMonitorError("N", "Windows 4.0", "RECMON.DLL"), ERROR_INVALID_ENVIRONMENT);
        EXPECT_EQ(addMonitorError("N", nullptr, "RECMON.DLL"), ERROR_INVALID_ENVIRONMENT);
        EXPECT_EQ(addMonitorError("N", "NotWin32", "RECMON.DLL"), ERROR_INVALID_ENVIRONMENT);
    }
    EXPECT_EQ(monitorNames(), std::vector<std::string>{"M"});
}

TEST(SpoolerMonitors, MalformedRequestsAreRefused)
{
    SpoolerRoot root;
    EXPECT_EQ(addMonitorError("", "Windows 4.0", "RECMON.DLL"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(addMonitorError("A\\B", "Windows 4.0", "RECMON.DLL"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(addMonitorError("M", "Windows 4.0", ""), ERROR_INVALID_PARAMETER);
    MONITOR_INFO_2A info{const_cast<char *>("M"), nullptr, const_cast<char *>("RECMON.DLL")};
    EXPECT_FALSE(AddMonitor(nullptr, 1, reinterpret_cast<LPBYTE>(&info)));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
    EXPECT_FALSE(AddMonitor(nullptr, 2, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(monitorNames().empty());
}

} // namespace
