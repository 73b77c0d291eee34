#include "platform/base/paths.h"

#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : m_name(name)
    {
        if (const char *old = std::getenv(name))
            m_old = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { m_old ? setenv(m_name, m_old->c_str(), 1) : unsetenv(m_name); }

private:
    const char *m_name;
    std::optional<std::string> m_old;
};

TEST(RootDirectory, FollowsTheEnvironmentOnEveryCall)
{
    ScopedEnv root("ZORVALINE_ROOT", "/srv/zroot");
    EXPECT_EQ(zorplat::RootDirectory(), "/srv/zroot");
    {
        ScopedEnv noRoot("ZORVALINE_ROOT", nullptr);
        ScopedEnv data("XDG_DATA_HOME", "/data/home");
        EXPECT_EQ(zorplat::RootDirectory(), "/data/home/zorvaline");
        ScopedEnv noData("XDG_DATA_HOME", nullptr);
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(zorplat::RootDirectory(), "/home/someone/.local/share/zorvaline");
    }
    EXPECT_EQ(zorplat::RootDirectory(), "/srv/zroot");
}

TEST(ToLinuxPath, MapsDrivesSeparatorsAndLinuxPaths)
{
    zortest::TempRoot root;
    const std::string c = root.driveC();
    EXPECT_EQ(zorplat::ToLinuxPath("C:\\new\\File.ini"), c + "/new/File.ini");
    EXPECT_EQ(zorplat::ToLinuxPath("c:/new\\File.ini"), c + "/new/File.ini");
    EXPECT_EQ(zorplat::ToLinuxPath("C:\\"), c);
    EXPECT_EQ(zorplat::ToLinuxPath("C:"), c);
    EXPECT_EQ(zorplat::ToLinuxPath("\\WINDOWS\\win.ini"), c + "/WINDOWS/win.ini");
    EXPECT_EQ(zorplat::ToLinuxPath("\\\\WINDOWS\\\\\\win.ini\\"), c + "/WINDOWS/win.ini");
    EXPECT_EQ(zorplat::ToLinuxPath("Z:\\tmp"), "/tmp");
    EXPECT_EQ(zorplat::ToLinuxPath("z:"), "/");
    EXPECT_EQ(zorplat::ToLinuxPath(root.path() + "/drive_c/x"), c + "/x");
    // ".." and "." are applied to the name, and never climb out of the drive.
    EXPECT_EQ(zorplat::ToLinuxPath("C:\\WINDOWS\\.\\SYSTEM\\..\\..\\..\\x.ini"), c + "/x.ini");
}

TEST(ToLinuxPath, ResolvesExistingComponentsWithoutRegardToCase)
{
    zortest::TempRoot root;
    root.writeFile(root.driveC("ZORVALINE/VComDef.ini"), "");
    root.writeFile(root.driveC("WINDOWS/SYSTEM/ZORMON.DLL"), "");

    EXPECT_EQ(zorplat::ToLinuxPath("C:\\zorvaline\\VComdef.ini"), root.driveC("ZORVALINE/VComDef.ini"));
    EXPECT_EQ(zorplat::ToLinuxPath("C:\\ZORVALINE\\VCOMDEF.INI"), root.driveC("ZORVALINE/VComDef.ini"));
    EXPECT_EQ(zorplat::ToLinuxPath("c:\\windows\\system\\ZorMon.Dll"), root.driveC("WINDOWS/SYSTEM/ZORMON.DLL"));
    // Missing components keep the spelling given, after the existing ones were matched.
    EXPECT_EQ(zorplat::ToLinuxPath("C:\\Zorvaline\\Spool\\Job1.TMP"), root.driveC("ZORVALINE/Spool/Job1.TMP"));
    EXPECT_EQ(zorplat::ToLinuxPath(root.path() + "/DRIVE_C/zorvaline/vcomdef.INI"),
              root.driveC("ZORVALINE/VComDef.ini"));
}

TEST(ToLinuxPath, ResolvesRelativePathsAgainstTheCurrentDirectory)
{
    zortest::TempRoot root;
    root.writeFile(root.driveC("Work/Sub/Data.ini"), "");
    const fs::path previous = fs::current_path();
    fs::current_path(root.driveC("Work"));
    const std::string fromSub = zorplat::ToLinuxPath("sub\\DATA.INI");
    const std::string fromParent = zorplat::ToLinuxPath("..\\work\\Sub\\data.ini");
    const std::string plain = zorplat::ToLinuxPath("New.ini");
    fs::current_path(previous);

    const std::string work = fs::canonical(root.driveC("Work")).string();
    EXPECT_EQ(fromSub, work + "/Sub/Data.ini");
    EXPECT_EQ(fromParent, work + "/Sub/Data.ini");
    EXPECT_EQ(plain, work + "/New.ini");
}

TEST(WindowsDirectories, FollowTheBufferConventions)
{
    char buffer[64];
    EXPECT_EQ(GetWindowsDirectory(buffer, sizeof buffer), 10u);
    EXPECT_STREQ(buffer, "C:\\WINDOWS");
    EXPECT_EQ(GetSystemDirectory(buffer, 18), 17u);
    EXPECT_STREQ(buffer, "C:\\WINDOWS\\SYSTEM");

    // Too small by one: the size needed, NUL included, and the buffer untouched.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetSystemDirectory(buffer, 17), 18u);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(GetWindowsDirectory(nullptr, 0), 11u);
}

} // namespace
