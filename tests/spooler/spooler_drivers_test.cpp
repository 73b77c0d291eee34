// Printer drivers: installation at level 3, enumeration per environment, replacement.
#include "tests/spooler/SpoolerRoot.h"

#include <gtest/gtest.h>

using spoolertest::ScopedEnv;
using spoolertest::SpoolerRoot;

namespace {

// The level-3 entries of an environment, read with the two-call pattern.
std::vector<BYTE> enumDrivers(const char *environment, DWORD level, DWORD *returned)
{
    DWORD needed = 0;
    *returned = 0;
    if (EnumPrinterDrivers(nullptr, const_cast<char *>(environment), level, nullptr, 0, &needed, returned))
        return {};
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    std::vector<BYTE> buffer(needed);
    EXPECT_FALSE(EnumPrinterDrivers(nullptr, const_cast<char *>(environment), level, buffer.data(), needed - 1,
                                    &needed, returned));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_TRUE(EnumPrinterDrivers(nullptr, const_cast<char *>(environment), level, buffer.data(), needed, &needed,
                                   returned));
    return buffer;
}

std::vector<std::string> splitList(const char *list)
{
    std::vector<std::string> items;
    for (const char *item = list; item && *item; item += std::string(item).size() + 1)
        items.emplace_back(item);
    return items;
}

TEST(SpoolerDrivers, LevelThreeIsKeptAndReportedWithSystemPaths)
{
    SpoolerRoot root;
    for (const char *file : {"H7.DRV", "H7.PPD", "H7UI.DLL", "H7.HLP", "FONTS.MFM", "ICONLIB.DLL"})
        root.writeFile(root.systemFile(file), "x");
    DRIVER_INFO_3A info{};
    info.pName = const_cast<char *>("Family H7 PS");
    info.pEnvironment = const_cast<char *>("Windows 4.0");
    info.pDriverPath = const_cast<char *>("H7.DRV");
    info.pDataFile = const_cast<char *>("C:\\WINDOWS\\SYSTEM\\H7.PPD"); // a path: its file name counts
    info.pConfigFile = const_cast<char *>("H7UI.DLL");
    info.pHelpFile = const_cast<char *>("H7.HLP");
    info.pDependentFiles = const_cast<char *>("FONTS.MFM\0ICONLIB.DLL\0");
    info.pDefaultDataType = const_cast<char *>("RAW");
    ASSERT_TRUE(AddPrinterDriver(nullptr, 3, reinterpret_cast<LPBYTE>(&info))) << GetLastError();

    DWORD returned = 0;
    std::vector<BYTE> buffer = enumDrivers(nullptr, 3, &returned);
    ASSERT_EQ(returned, 1u);
    const auto &driver = *reinterpret_cast<DRIVER_INFO_3A *>(buffer.data());
    EXPECT_EQ(driver.cVersion, 0u);
    EXPECT_STREQ(driver.pName, "Family H7 PS");
    EXPECT_STREQ(driver.pEnvironment, "Windows 4.0");
    EXPECT_STREQ(driver.pDriverPath, "C:\\WINDOWS\\SYSTEM\\H7.DRV");
    EXPECT_STREQ(driver.pDataFile, "C:\\WINDOWS\\SYSTEM\\H7.PPD");
    EXPECT_STREQ(driver.pConfigFile, "C:\\WINDOWS\\SYSTEM\\H7UI.DLL");
    EXPECT_STREQ(driver.pHelpFile, "C:\\WINDOWS\\SYSTEM\\H7.HLP");
    EXPECT_EQ(splitList(driver.pDependentFiles),
              (std::vector<std::string>{"C:\\WINDOWS\\SYSTEM\\FONTS.MFM", "C:\\WINDOWS\\SYSTEM\\ICONLIB.DLL"}));
    EXPECT_EQ(driver.pMonitorName, nullptr);
    EXPECT_STREQ(driver.pDefaultDataType, "RAW");

    buffer = enumDrivers(nullptr, 2, &returned);
    ASSERT_EQ(returned, 1u);
    EXPECT_STREQ(reinterpret_cast<DRIVER_INFO_2A *>(buffer.data())->pConfigFile, "C:\\WINDOWS\\SYSTEM\\H7UI.DLL");
    buffer = enumDrivers(nullptr, 1, &returned);
    ASSERT_EQ(returned, 1u);
    EXPECT_STREQ(reinterpret_cast<DRIVER_INFO_1A *>(buffer.data())->pName, "Family H7 PS");
}

TEST(SpoolerDrivers, EveryNamedFileMustBeInTheSystemDirectory)
{
    SpoolerRoot root;
    ASSERT_TRUE(root.installDriver("Complete"));
    DRIVER_INFO_3A info{};
    info.pName = const_cast<char *>("Incomplete");
    info.pDriverPath = const_cast<char *>("TEST.DRV");
    info.pDataFile = const_cast<char *>("TEST.PPD");
    info.pConfigFile = const_cast<char *>("TESTUI.DLL");
    info.pDependentFiles = const_cast<char *>("TEST.DRV\0ABSENT.DLL\0");
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(AddPrinterDriver(nullptr, 3, reinterpret_cast<LPBYTE>(&info)));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    info.pDependentFiles = nullptr;
    info.pHelpFile = const_cast<char *>("ABSENT.HLP");
    EXPECT_FALSE(AddPrinterDriver(nullptr, 3, reinterpret_cast<LPBYTE>(&info)));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    info.pHelpFile = nullptr;
    info.pConfigFile = nullptr;
    EXPECT_FALSE(AddPrinterDriver(nullptr, 3, reinterpret_cast<LPBYTE>(&info)));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    DWORD returned = 0;
    enumDrivers(nullptr, 1, &returned);
    EXPECT_EQ(returned, 1u);
}

TEST(SpoolerDrivers, ANameInstalledAlreadyIsReplaced)
{
    SpoolerRoot root;
    ASSERT_TRUE(root.installDriver("Family K8"));
    root.writeFile(root.systemFile("K8NEW.DRV"), "x");
    DRIVER_INFO_3A info{};
    info.cVersion = 3;
    info.pName = const_cast<char *>("FAMILY K8");
    info.pDriverPath = const_cast<char *>("K8NEW.DRV");
    info.pDataFile = const_cast<char *>("TEST.PPD");
    info.pConfigFile = const_cast<char *>("TESTUI.DLL");
    ASSERT_TRUE(AddPrinterDriver(nullptr, 3, reinterpret_cast<LPBYTE>(&info)));

    DWORD returned = 0;
    std::vector<BYTE> buffer = enumDrivers(nullptr, 3, &returned);
    ASSERT_EQ(returned, 1u);
    const auto &driver = *reinterpret_cast<DRIVER_INFO_3A *>(buffer.data());
    EXPECT_STREQ(driver.pName, "FAMILY K8");
    EXPECT_EQ(driver.cVersion, 3u);
    EXPECT_STREQ(driver.pDriverPath, "C:\\WINDOWS\\SYSTEM\\K8NEW.DRV");
    EXPECT_EQ(driver.pDefaultDataType, nullptr); // nothing of the replaced driver stays
}

TEST(SpoolerDrivers, EachEnvironmentHasItsOwnDrivers)
{
    SpoolerRoot root;
    ASSERT_TRUE(root.installDriver("Shared Name", "Windows NT x86"));
    ASSERT_TRUE(root.installDriver("Ninety-five Only"));
    DWORD returned = 0;
    std::vector<BYTE> buffer = enumDrivers(nullptr, 1, &returned);
    ASSERT_EQ(returned, 1u);
    EXPECT_STREQ(reinterpret_cast<DRIVER_INFO_1A *>(buffer.data())->pName, "Ninety-five Only");
    buffer = enumDrivers("windows nt x86", 1, &returned);
    ASSERT_EQ(returned, 1u);
    EXPECT_STREQ(reinterpret_cast<DRIVER_INFO_1A *>(buffer.data())->pName, "Shared Name");
    {
        ScopedEnv nt("ZORVALINE_PLATFORM", "nt"); // the current environment follows the platform
        buffer = enumDrivers(nullptr, 1, &returned);
        ASSERT_EQ(returned, 1u);
        EXPECT_STREQ(reinterpret_cast<DRIVER_INFO_1A *>(buffer.data())->pName, "Shared Name");
    }

    DWORD needed = 0;
    for (const char *environment : {"WinNT", "NotWin32"}) {
        EXPECT_FALSE(EnumPrinterDrivers(nullptr, const_cast<char *>(environment), 1, nullptr, 0, &needed, &returned));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_ENVIRONMENT) << environment;
    }
    ScopedEnv other("ZORVALINE_PLATFORM", "other");
    EXPECT_FALSE(EnumPrinterDrivers(nullptr, nullptr, 1, nullptr, 0, &needed, &returned));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ENVIRONMENT);
    EXPECT_FALSE(root.installDriver("Nowhere"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ENVIRONMENT);
}

TEST(SpoolerDrivers, DriverDirectoryIsTheSystemDirectory)
{
    SpoolerRoot root;
    DWORD needed = 0;
    EXPECT_FALSE(GetPrinterDriverDirectory(nullptr, nullptr, 1, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(needed, sizeof "C:\\WINDOWS\\SYSTEM");
    char directory[MAX_PATH];
    ASSERT_TRUE(GetPrinterDriverDirectory(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(directory), needed, &needed));
    EXPECT_STREQ(directory, "C:\\WINDOWS\\SYSTEM");
    EXPECT_FALSE(GetPrinterDriverDirectory(nullptr, nullptr, 2, reinterpret_cast<LPBYTE>(directory), sizeof directory,
                                           &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
}

} // namespace
