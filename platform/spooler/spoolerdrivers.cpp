// The spooler's printer drivers: Print\Environments\<environment>\Drivers\<name>, values
// Name, Version, Driver, Data File, Configuration File, Help File, Dependent Files,
// Monitor and Datatype. Files are kept as names of files in the system directory and
// reported with the directory in front, as installed driver files are.
#include "platform/base/paths.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/spoolerbuffer.h"
#include "platform/spooler/spoolerstore.h"
#include "platform/base/text.h"

#include <cstring>
#include <sys/stat.h>

using namespace zorplat::spooler;

namespace {

std::string systemDirectory()
{
    char directory[MAX_PATH];
    GetSystemDirectory(directory, sizeof directory);
    return directory;
}

struct StoredDriver {
    DWORD version = 0;
    std::string name;
    std::string environment;
    std::string driverFile;
    std::string dataFile;
    std::string configFile;
    std::optional<std::string> helpFile;
    std::vector<std::string> dependentFiles;
    std::optional<std::string> monitorName;
    std::optional<std::string> defaultDataType;
};

// The drivers of the environment; nullopt with the last error set when the registry cannot
// be read.
std::optional<std::vector<StoredDriver>> readDrivers(const std::string &environment)
{
    std::vector<StoredDriver> drivers;
    const std::string base = DriversKey(environment);
    const RegKey all = RegKey::Open(base);
    const std::vector<std::string> keyNames = all.subkeys();
    if (ReadFailed(all))
        return std::nullopt;
    for (const std::string &keyName : keyNames) {
        const RegKey key = RegKey::Open(base + "\\" + keyName);
        StoredDriver driver;
        driver.version = key.dword("Version");
        driver.name = key.string("Name").value_or(keyName);
        driver.environment = environment;
        driver.driverFile = key.string("Driver").value_or("");
        driver.dataFile = key.string("Data File").value_or("");
        driver.configFile = key.string("Configuration File").value_or("");
        driver.helpFile = key.string("Help File");
        driver.dependentFiles = key.multiString("Dependent Files").value_or(std::vector<std::string>{});
        driver.monitorName = key.string("Monitor");
        driver.defaultDataType = key.string("Datatype");
        if (ReadFailed(key))
            return std::nullopt;
        drivers.push_back(driver);
    }
    return drivers;
}

// The name part of a file given by name or path.
std::string fileNameOf(const std::string &file)
{
    const size_t slash = file.find_last_of("\\/:");
    return slash == std::string::npos ? file : file.substr(slash + 1);
}

bool inSystemDirectory(const std::string &fileName)
{
    struct stat info {};
    return !fileName.empty() && fileName != "." && fileName != ".."
           && stat(zorplat::ToLinuxPath(systemDirectory() + "\\" + fileName).c_str(), &info) == 0
           && S_ISREG(info.st_mode);
}

std::optional<std::string> fullPath(const std::optional<std::string> &fileName)
{
    if (!fileName)
        return std::nullopt;
    return systemDirectory() + "\\" + *fileName;
}

// Reads the level-2 or level-3 structure into a driver whose files are plain names of
// files that exist in the system directory. Fails with ERROR_INVALID_PARAMETER for a
// missing member, ERROR_FILE_NOT_FOUND for a missing file.
std::optional<StoredDriver> driverFromInfo(DWORD level, LPBYTE info)
{
    const auto *info2 = reinterpret_cast<const DRIVER_INFO_2A *>(info);
    const auto *info3 = level == 3 ? reinterpret_cast<const DRIVER_INFO_3A *>(info) : nullptr;
    if (!info2 || !info2->pName || !*info2->pName || !info2->pDriverPath || !info2->pDataFile
        || !info2->pConfigFile) {
        Fail(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    if (std::string(info2->pName).find('\\') != std::string::npos) {
        Fail(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    const std::optional<std::string> environment = ResolveEnvironment(info2->pEnvironment);
    if (!environment)
        return std::nullopt;

    StoredDriver driver;
    driver.version = info2->cVersion;
    driver.name = info2->pName;
    driver.environment = *environment;
    driver.driverFile = fileNameOf(info2->pDriverPath);
    driver.dataFile = fileNameOf(info2->pDataFile);
    driver.configFile = fileNameOf(info2->pConfigFile);
    std::vector<std::string> files{driver.driverFile, driver.dataFile, driver.configFile};
    if (info3) {
        if (info3->pHelpFile && *info3->pHelpFile) {
            driver.helpFile = fileNameOf(info3->pHelpFile);
            files.push_back(*driver.helpFile);
        }
        for (const char *item = info3->pDependentFiles; item && *item; item += std::string(item).size() + 1) {
            driver.dependentFiles.push_back(fileNameOf(item));
            files.push_back(driver.dependentFiles.back());
        }
        driver.monitorName = OptionalString(info3->pMonitorName);
        driver.defaultDataType = OptionalString(info3->pDefaultDataType);
    }
    for (const std::string &file : files)
        if (!inSystemDirectory(file)) {
            Fail(ERROR_FILE_NOT_FOUND);
            return std::nullopt;
        }
    return driver;
}

bool writeDriver(const StoredDriver &driver)
{
    RegKey key = RegKey::Create(DriversKey(driver.environment) + "\\" + driver.name);
    if (!key.valid())
        return Fail(static_cast<DWORD>(key.error()));
    return key.setString("Name", driver.name) && key.setDword("Version", driver.version)
           && key.setString("Driver", driver.driverFile) && key.setString("Data File", driver.dataFile)
           && key.setString("Configuration File", driver.configFile)
           && key.setOptionalString("Help File", driver.helpFile)
           && key.setMultiString("Dependent Files", driver.dependentFiles)
           && key.setOptionalString("Monitor", driver.monitorName)
           && key.setOptionalString("Datatype", driver.defaultDataType);
}

} // namespace

namespace zorplat::spooler {

bool DriverInstalled(const std::string &name)
{
    const std::string environment = zorplat::CurrentEnvironment();
    if (environment.empty())
        return Fail(ERROR_UNKNOWN_PRINTER_DRIVER);
    const std::optional<std::vector<StoredDriver>> drivers = readDrivers(environment);
    if (!drivers)
        return false;
    for (const StoredDriver &driver : *drivers)
        if (zorplat::EqualsIgnoringCase(driver.name, name))
            return true;
    return Fail(ERROR_UNKNOWN_PRINTER_DRIVER);
}

} // namespace zorplat::spooler

BOOL EnumPrinterDrivers(LPSTR pName, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                        DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned)
{
    if (!pcbNeeded || !pcReturned)
        return Fail(ERROR_INVALID_PARAMETER);
    *pcReturned = 0;
    if (!CheckLocalServer(pName))
        return FALSE;
    if (Level < 1 || Level > 3)
        return Fail(ERROR_INVALID_LEVEL);
    const std::optional<std::string> environment = ResolveEnvironment(pEnvironment);
    if (!environment)
        return FALSE;

    const std::optional<std::vector<StoredDriver>> installed = readDrivers(*environment);
    if (!installed)
        return FALSE;
    const std::vector<StoredDriver> &drivers = *installed;
    const size_t entrySize = Level == 1 ? sizeof(DRIVER_INFO_1A)
                             : Level == 2 ? sizeof(DRIVER_INFO_2A)
                                          : sizeof(DRIVER_INFO_3A);
    const BOOL packed = PackAnswer(drivers.size() * entrySize, pDriverInfo, cbBuf, pcbNeeded, [&](PackedBuffer &out) {
        for (size_t i = 0; i < drivers.size(); ++i) {
            const StoredDriver &driver = drivers[i];
            if (Level == 1) {
                out.put(i, DRIVER_INFO_1A{out.string(driver.name)});
                continue;
            }
            DRIVER_INFO_3A entry{};
            entry.cVersion = driver.version;
            entry.pName = out.string(driver.name);
            entry.pEnvironment = out.string(driver.environment);
            entry.pDriverPath = out.string(fullPath(driver.driverFile));
            entry.pDataFile = out.string(fullPath(driver.dataFile));
            entry.pConfigFile = out.string(fullPath(driver.configFile));
            if (Level == 2) {
                DRIVER_INFO_2A level2{entry.cVersion, entry.pName, entry.pEnvironment,
                                      entry.pDriverPath, entry.pDataFile, entry.pConfigFile};
                out.put(i, level2);
                continue;
            }
            entry.pHelpFile = out.string(fullPath(driver.helpFile));
            std::vector<std::string> dependent;
            for (const std::string &file : driver.dependentFiles)
                dependent.push_back(*fullPath(file));
            entry.pDependentFiles = out.multiString(dependent);
            entry.pMonitorName = out.string(driver.monitorName);
            entry.pDefaultDataType = out.string(driver.defaultDataType);
            out.put(i, entry);
        }
    });
    if (packed)
        *pcReturned = static_cast<DWORD>(drivers.size());
    return packed;
}

BOOL AddPrinterDriver(LPSTR pName, DWORD Level, LPBYTE pDriverInfo)
{
    if (!CheckLocalServer(pName))
        return FALSE;
    if (Level != 2 && Level != 3)
        return Fail(ERROR_INVALID_LEVEL);
    const std::optional<StoredDriver> driver = driverFromInfo(Level, pDriverInfo);
    if (!driver)
        return FALSE;

    // A driver installed already under this name, in any case, has its key rewritten whole.
    SpoolerLock lock;
    return writeDriver(*driver) && lock.commit() ? TRUE : FALSE;
}

BOOL GetPrinterDriverDirectory(LPSTR pName, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverDirectory,
                               DWORD cbBuf, LPDWORD pcbNeeded)
{
    if (!pcbNeeded)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!CheckLocalServer(pName))
        return FALSE;
    if (Level != 1)
        return Fail(ERROR_INVALID_LEVEL);
    if (!ResolveEnvironment(pEnvironment))
        return FALSE;
    const std::string directory = systemDirectory();
    *pcbNeeded = static_cast<DWORD>(directory.size() + 1);
    if (!pDriverDirectory || cbBuf < *pcbNeeded)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(pDriverDirectory, directory.c_str(), directory.size() + 1);
    return TRUE;
}
