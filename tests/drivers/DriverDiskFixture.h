// Shared set-up of the driver tests: a temporary root with a registered port monitor, the
// prompt queue as the UI backend, and the sample driver disks copied into the root.
#pragma once

#include "platform/base/lasterror.h"
#include "platform/spooler/spooler.h"
#include "tests/support/TempRoot.h"
#include "tests/support/gui/PromptQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

namespace drivertest {

inline const std::string kSampleDisks = std::string(ZORVALINE_SOURCE_DIR) + "/resources/drivers";
inline const char *const kFamilyInf = "C:\\DISK\\FAMILY\\ZORFAM.INF";
inline const char *const kPostScriptInf = "C:\\DISK\\POSTSCRIPT\\SETUP.INF";
inline const char *const kNotPresent = "Zorvaline Printers not present";

class DriverDiskTest : public ::testing::Test {
protected:
    DriverDiskTest()
    {
        namespace fs = std::filesystem;
        root.writeFile(root.driveC("WINDOWS/SYSTEM/Varnel.ini"), "[Install]\r\nDirectory=C:\\ZORVALINE\r\n");
        fs::create_directories(root.driveC("ZORVALINE"));
        fs::create_directories(root.driveC("WINDOWS/INF"));
        fs::copy_file(FAKE_PORT_MONITOR, root.driveC("WINDOWS/SYSTEM/ZORMON.DLL"));
        for (const char *disk : {"FAMILY", "POSTSCRIPT"}) {
            std::string source = disk;
            std::transform(source.begin(), source.end(), source.begin(), ::tolower);
            fs::create_directories(root.driveC(std::string("DISK/") + disk));
            fs::copy(kSampleDisks + "/" + source, root.driveC(std::string("DISK/") + disk));
        }
        registerMonitor();
    }

    void registerMonitor()
    {
        const std::string environment = zorplat::CurrentEnvironment();
        if (environment.empty())
            return;
        MONITOR_INFO_2A monitor{const_cast<LPSTR>("Zorvaline Internet Port"), const_cast<LPSTR>(environment.c_str()),
                                const_cast<LPSTR>("ZORMON.DLL")};
        ASSERT_TRUE(AddMonitor(nullptr, 2, reinterpret_cast<LPBYTE>(&monitor))) << GetLastError();
    }

    // A driver of the current environment whose files are placeholders in the system directory.
    void installDriver(const std::string &name)
    {
        root.writeFile(root.driveC("WINDOWS/SYSTEM/PLACE.DRV"), "driver file");
        DRIVER_INFO_2A driver{};
        driver.pName = const_cast<LPSTR>(name.c_str());
        driver.pDriverPath = driver.pDataFile = driver.pConfigFile = const_cast<LPSTR>("PLACE.DRV");
        ASSERT_TRUE(AddPrinterDriver(nullptr, 2, reinterpret_cast<LPBYTE>(&driver))) << GetLastError();
    }

    std::string systemFile(const std::string &name) const { return root.driveC("WINDOWS/SYSTEM/" + name); }

    zortest::TempRoot root;
    zortest::PromptQueue prompts;
};

} // namespace drivertest
