// Setup steps for printer drivers: the sample driver disks in the install directory, the
// system INF the platform's driver installer reads, and a few drivers of the family
// installed already, so that a fresh root offers drivers at once.
#include "tools/SpoolerText.h"
#include "tools/setup_steps.h"

#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/files/atomicfile.h"
#include "platform/kernel/system_info.h"
#include "platform/spooler/spooler.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

const std::string kDisks = std::string(ZORVALINE_RESOURCE_DIR) + "/drivers";
constexpr const char *kFamilyInf = "ZORFAM.INF";
constexpr const char *kSystemDirectory = "C:\\WINDOWS\\SYSTEM";

struct PreinstalledDriver {
    const char *name;
    const char *ppd;
};
constexpr PreinstalledDriver kPreinstalled[] = {{"Zorlan H7 Laser", "ZORH7.PPD"}, {"Zorlan J8 Inkjet", "ZORJ8.PPD"}};
constexpr const char *kCoreDriver = "ZORPS.DRV";
constexpr const char *kCoreConfig = "ZORPSUI.DLL";
constexpr const char *kCoreHelp = "ZORPS.HLP";

// Writes `windowsPath` with the bytes of the shipped file unless it holds them already.
bool installFile(SetupContext &ctx, const std::string &source, const std::string &windowsPath)
{
    std::string shipped;
    if (!zorplat::ReadWholeFile(source, shipped))
        return ctx.fail("cannot read " + source + ": " + DescribeError(GetLastError()));
    const std::string target = zorplat::ToLinuxPath(windowsPath);
    std::string installed;
    const bool present = zorplat::ReadWholeFile(target, installed);
    if (present && installed == shipped) {
        ctx.upToDate(windowsPath);
        return true;
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(target).parent_path(), ignored);
    if (!zorplat::AtomicWriteFile(target, shipped, 0644))
        return ctx.fail("cannot write " + windowsPath + ": " + DescribeError(GetLastError()));
    present ? ctx.updated(windowsPath) : ctx.created(windowsPath);
    return true;
}

// The system INF the driver installer reads on this platform, "" on one without printing.
std::string systemInfName()
{
    OSVERSIONINFO version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionEx(&version);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return "msprint2.inf";
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT)
        return version.dwMajorVersion >= 4 ? "ntprint.inf" : "printer.inf";
    return "";
}

bool driverInstalled(const std::string &name)
{
    DWORD needed = 0, returned = 0;
    std::vector<BYTE> buffer;
    while (!EnumPrinterDrivers(nullptr, nullptr, 1, buffer.data(), static_cast<DWORD>(buffer.size()), &needed,
                               &returned)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
        buffer.resize(needed);
    }
    const auto *drivers = reinterpret_cast<const DRIVER_INFO_1A *>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
        if (name == drivers[i].pName)
            return true;
    return false;
}

} // namespace

bool InstallSampleDriverDisks(SetupContext &ctx)
{
    for (const char *disk : {"family", "postscript"}) {
        std::string folder = disk;
        for (char &c : folder)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        std::vector<std::filesystem::path> files;
        for (const auto &entry : std::filesystem::directory_iterator(kDisks + "/" + disk))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const std::filesystem::path &file : files)
            if (!installFile(ctx, file.string(),
                             ctx.installDirectory + "\\DRIVERS\\" + folder + "\\" + file.filename().string()))
                return false;
    }
    return true;
}

bool InstallSystemInf(SetupContext &ctx)
{
    const std::string name = systemInfName();
    if (name.empty()) {
        std::printf("skipped the system INF: this platform (ZORVALINE_PLATFORM) has no printer drivers\n");
        return true;
    }
    return installFile(ctx, kDisks + "/family/" + kFamilyInf, "C:\\WINDOWS\\INF\\" + name);
}

bool PreinstallFamilyDrivers(SetupContext &ctx)
{
    if (zorplat::CurrentEnvironment().empty()) {
        std::printf("skipped the preinstalled drivers: this platform (ZORVALINE_PLATFORM) has no print environment\n");
        return true;
    }
    for (const PreinstalledDriver &preinstalled : kPreinstalled) {
        for (const char *file : {preinstalled.ppd, kCoreDriver, kCoreConfig, kCoreHelp})
            if (!installFile(ctx, kDisks + "/family/" + file, std::string(kSystemDirectory) + "\\" + file))
                return false;
        const std::string what = std::string("spooler driver \"") + preinstalled.name + "\"";
        if (driverInstalled(preinstalled.name)) {
            ctx.upToDate(what);
            continue;
        }
        char noFiles[2] = {};
        DRIVER_INFO_3A driver{};
        driver.pName = const_cast<LPSTR>(preinstalled.name);
        driver.pDriverPath = const_cast<LPSTR>(kCoreDriver);
        driver.pDataFile = const_cast<LPSTR>(preinstalled.ppd);
        driver.pConfigFile = const_cast<LPSTR>(kCoreConfig);
        driver.pHelpFile = const_cast<LPSTR>(kCoreHelp);
        driver.pDependentFiles = noFiles;
        driver.pDefaultDataType = const_cast<LPSTR>("RAW");
        if (!AddPrinterDriver(nullptr, 3, reinterpret_cast<LPBYTE>(&driver)))
            return ctx.fail("cannot install " + what + ": " + DescribeSpoolerError(GetLastError()));
        ctx.created(what);
    }
    return true;
}
