// Version as configured, user and computer name, debug output.
#include "platform/kernel/debug.h"
#include "platform/base/lasterror.h"
#include "platform/registry/registry.h"
#include "platform/kernel/system_info.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace {

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char *name, const char *value) : m_name(name)
    {
        if (const char *old = std::getenv(name))
            m_old = old, m_had = true;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (m_had)
            setenv(m_name.c_str(), m_old.c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

TEST(SystemInfoTest, VersionFollowsTheConfiguredPlatformAtEveryCall)
{
    struct Expected {
        const char *setting;
        DWORD platformId, major, minor;
    };
    for (const Expected &expected : {Expected{nullptr, VER_PLATFORM_WIN32_WINDOWS, 4, 0},
                                     Expected{"win95", VER_PLATFORM_WIN32_WINDOWS, 4, 0},
                                     Expected{"nt", VER_PLATFORM_WIN32_NT, 4, 0},
                                     Expected{"nt3", VER_PLATFORM_WIN32_NT, 3, 51},
                                     Expected{"other", VER_PLATFORM_WIN32s, 3, 10},
                                     Expected{"bogus", VER_PLATFORM_WIN32_WINDOWS, 4, 0}}) {
        SCOPED_TRACE(expected.setting ? expected.setting : "(unset)");
        ScopedEnvironment platform("ZORVALINE_PLATFORM", expected.setting);
        OSVERSIONINFO info {};
        info.dwOSVersionInfoSize = sizeof info;
        ASSERT_TRUE(GetVersionEx(&info));
        EXPECT_EQ(info.dwPlatformId, expected.platformId);
        EXPECT_EQ(info.dwMajorVersion, expected.major);
        EXPECT_EQ(info.dwMinorVersion, expected.minor);
        const DWORD version = GetVersion();
        EXPECT_EQ(version & 0xFF, expected.major);
        EXPECT_EQ((version >> 8) & 0xFF, expected.minor);
        EXPECT_EQ(version < 0x80000000, expected.platformId == VER_PLATFORM_WIN32_NT)
            << "the high bit tells the NT family apart";
    }
    OSVERSIONINFO tooSmall {};
    tooSmall.dwOSVersionInfoSize = sizeof tooSmall - 1;
    EXPECT_FALSE(GetVersionEx(&tooSmall));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(SystemInfoTest, UserNameIsTheLoginNameWithWindowsSizeRules)
{
    char name[UNLEN + 1] = {};
    DWORD size = 1;
    EXPECT_FALSE(GetUserName(name, &size));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    const DWORD needed = size;
    size = sizeof name;
    ASSERT_TRUE(GetUserName(name, &size));
    EXPECT_EQ(size, needed);
    EXPECT_EQ(size, std::strlen(name) + 1) << "the size counts the NUL";
    if (const passwd *entry = getpwuid(geteuid())) {
        EXPECT_STREQ(name, entry->pw_name);
    }
}

TEST(SystemInfoTest, ComputerNameComesFromTheRegistryElseTheHost)
{
    zortest::TempRoot root;
    char name[64] = {};
    DWORD size = sizeof name;
    ASSERT_TRUE(GetComputerName(name, &size));
    EXPECT_EQ(size, std::strlen(name)) << "the size leaves out the NUL";
    EXPECT_LE(size, MAX_COMPUTERNAME_LENGTH);
    EXPECT_GT(size, 0u);
    for (const char *c = name; *c; ++c)
        EXPECT_FALSE(std::islower(static_cast<unsigned char>(*c))) << name;

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                             0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char stored[] = "Print-Host";
    ASSERT_EQ(RegSetValueEx(key, "ComputerName", 0, REG_SZ, reinterpret_cast<const BYTE *>(stored), sizeof stored),
              ERROR_SUCCESS);
    RegCloseKey(key);

    SetLastError(0xDEADBEEF);
    size = sizeof name;
    ASSERT_TRUE(GetComputerName(name, &size));
    EXPECT_STREQ(name, "Print-Host");
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(GetLastError(), 0xDEADBEEFu) << "success leaves the last error alone";
    size = 10;
    EXPECT_FALSE(GetComputerName(name, &size));
    EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
    EXPECT_EQ(size, 11u);
}

TEST(DebugOutputTest, LinesGoToTheNamedFileOnlyWhenOneIsNamed)
{
    zortest::TempRoot root;
    const std::string log = root.path() + "/debug.log";
    {
        ScopedEnvironment off("ZORVALINE_DEBUG_LOG", nullptr);
        OutputDebugString("discarded\r");
    }
    ScopedEnvironment on("ZORVALINE_DEBUG_LOG", log.c_str());
    SetLastError(1234);
    OutputDebugString("zormon!OpenPort X : Failed\r");
    OutputDebugString("second\n");
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_EQ(zortest::TempRoot::readFile(log), "zormon!OpenPort X : Failed\r\nsecond\n");
}

} // namespace
