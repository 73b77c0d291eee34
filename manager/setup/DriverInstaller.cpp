#include "manager/setup/DriverInstaller.h"

#include "manager/dialogs/Prompts.h"
#include "manager/setup/CDriverFilesDlg.h"
#include "manager/setup/DriverStrings.h"
#include "manager/setup/InfModelFiles.h"
#include "manager/setup/PathParts.h"
#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/files/expand.h"
#include "platform/files/files.h"
#include "platform/kernel/system_info.h"
#include "platform/profile/profile.h"
#include "platform/spooler/spooler.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace sendaro {

namespace {

constexpr const char *kEnvironmentNotWin32 = "NotWin32";
constexpr const char *kModelSection = "Zorvaline";
constexpr DWORD kKeyListSize = 16000;  // the key list of one INF's model section
constexpr DWORD kSignatureSize = 256;  // [Version] Signature, 255 characters
constexpr size_t kMaxModels = 80;      // rows of the model table
constexpr size_t kModelNameLength = 254;

// The model numbers of the family; a model whose name holds none is not ours.
constexpr std::array<const char *, 6> kFamilyModels = {"H3", "H7", "J7", "J8", "K7", "K8"};

bool namesFamilyModel(const std::string &name)
{
    return std::any_of(kFamilyModels.begin(), kFamilyModels.end(),
                       [&](const char *model) { return name.find(model) != std::string::npos; });
}

bool equalNoCase(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The driver files of a SETUP.INF disk, compressed on the disk, and their roles.
struct SetupDiskFile {
    const char *compressed;
    const char *expanded;
    const char *type;
};
constexpr SetupDiskFile kSetupDiskFiles[] = {
    {"adobeps4.dr_", "adobeps4.drv", kTypeDriverFile},
    {"adobeps4.hl_", "adobeps4.hlp", kTypeHelpFile},
    {"fonts.mf_", "fonts.mfm", ""},
    {"iconlib.dl_", "iconlib.dll", ""},
    {"psmon.dl_", "psmon.dll", ""},
};

constexpr const char *kInternetPort = "ZORVALINE_INTERNET:";
constexpr const char *kPrinterComment = "Zorvaline Remote Internet Printing Port";

std::string windowsDirectory()
{
    char buffer[MAX_PATH] = {};
    GetWindowsDirectory(buffer, sizeof buffer);
    return buffer;
}

std::string systemDirectory()
{
    char buffer[MAX_PATH] = {};
    GetSystemDirectory(buffer, sizeof buffer);
    return buffer;
}

bool inSystemDirectory(const std::string &name)
{
    return GetFileAttributes((systemDirectory() + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The NUL-separated list the profile and spooler calls fill, as strings.
std::vector<std::string> splitList(const char *list, size_t size)
{
    std::vector<std::string> items;
    for (size_t at = 0; at < size && list[at] != '\0';) {
        items.emplace_back(list + at);
        at += items.back().size() + 1;
    }
    return items;
}

std::vector<std::string> installedDriverNames(const std::string &environment)
{
    std::vector<BYTE> buffer;
    DWORD needed = 0, returned = 0;
    LPSTR env = const_cast<LPSTR>(environment.c_str());
    while (!EnumPrinterDrivers(nullptr, env, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed,
                               &returned)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
            return {};
        buffer.resize(needed);
    }
    std::vector<std::string> names;
    const auto *drivers = reinterpret_cast<const DRIVER_INFO_2A *>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
        names.emplace_back(drivers[i].pName);
    return names;
}

// File names in `directory` matching `pattern`, in the order the find calls give them.
std::vector<std::string> findFiles(const std::string &directory, const char *pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATA found{};
    HANDLE search = FindFirstFile((directory + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.emplace_back(found.cFileName);
    while (FindNextFile(search, &found));
    FindClose(search);
    return names;
}

// The text between the first two double quotes of the first line that holds "ModelName"
// (cut to the model table's size), or "" when the file has no such line.
std::string ppdModelName(const std::string &ppdPath)
{
    std::ifstream ppd(zorplat::ToLinuxPath(ppdPath), std::ios::binary);
    std::string line;
    while (std::getline(ppd, line)) {
        if (line.find("ModelName") == std::string::npos)
            continue;
        const size_t open = line.find('"');
        const size_t close = open == std::string::npos ? open : line.find('"', open + 1);
        if (close == std::string::npos)
            return {};
        return line.substr(open + 1, std::min(close - open - 1, kModelNameLength));
    }
    return {};
}

} // namespace

DriverInstaller::DriverInstaller()
{
    OSVERSIONINFO version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionEx(&version);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        environment_ = kEnvironmentWindows95;
        systemInfPath_ = windowsDirectory() + "\\inf\\msprint2.inf";
    } else if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        // The spooler knows Windows NT drivers by this environment name only; any other
        // name would make every query and every installation fail there.
        environment_ = kEnvironmentWindowsNT;
        systemInfPath_ = windowsDirectory() + (version.dwMajorVersion >= 4 ? "\\inf\\ntprint.inf" : "\\inf\\printer.inf");
    } else {
        environment_ = kEnvironmentNotWin32;
    }
    infPath_ = systemInfPath_;
    infDirectory_ = DirectoryOf(infPath_);
    readNotInstalledModels();
}

DriverInstaller::~DriverInstaller()
{
    if (!expandFolder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(expandFolder_, ignored);
    }
}

const std::vector<DriverModel> &DriverInstaller::Models() const
{
    return models_;
}

void DriverInstaller::readNotInstalledModels()
{
    notInstalledModels_.clear();
    if (infPath_.empty())
        return;
    std::vector<char> keys(kKeyListSize);
    const DWORD length = GetPrivateProfileString(kModelSection, nullptr, "", keys.data(), kKeyListSize, infPath_.c_str());
    const std::vector<std::string> installed = installedDriverNames(environment_);
    for (std::string key : splitList(keys.data(), length)) {
        if (key.front() == '"') {
            key.erase(0, 1);
            if (!key.empty() && key.back() == '"')
                key.pop_back();
        }
        if (std::find(installed.begin(), installed.end(), key) == installed.end())
            notInstalledModels_.push_back(key);
    }
}

bool DriverInstaller::ScanDriverDisk(const std::string &infPath)
{
    infPath_ = infPath;
    infDirectory_ = DirectoryOf(infPath);
    models_.clear();
    const std::vector<std::string> infFiles = findFiles(infDirectory_, "*.inf");
    if (infFiles.empty()) {
        Prompt(IDS_PRINTERS_NOT_PRESENT, MB_OK);
        return false;
    }
    for (const std::string &name : infFiles) {
        const std::string path = infDirectory_ + name;
        char signature[kSignatureSize] = {};
        GetPrivateProfileString("Version", "Signature", "", signature, kSignatureSize, path.c_str());
        if (std::string(signature).find("CHICAGO") != std::string::npos) {
            listChicagoModels(path);
        } else if (name == "SETUP.INF") {
            if (!listPpdModel())
                return false;
        }
    }
    return true;
}

void DriverInstaller::listChicagoModels(const std::string &infPath)
{
    infPath_ = infPath;
    readNotInstalledModels();
    for (const std::string &key : notInstalledModels_) {
        const bool listed = std::any_of(models_.begin(), models_.end(),
                                        [&](const DriverModel &model) { return equalNoCase(model.modelName, key); });
        if (!listed && namesFamilyModel(key))
            appendModel({key, infPath, ""});
    }
}

bool DriverInstaller::listPpdModel()
{
    models_.clear();
    const std::vector<std::string> ppdFiles = findFiles(infDirectory_, "*.ppd");
    const auto ppd = std::find_if(ppdFiles.begin(), ppdFiles.end(), namesFamilyModel);
    if (ppd == ppdFiles.end()) {
        Prompt(IDS_PRINTERS_NOT_PRESENT, MB_OK);
        return false;
    }
    const std::string modelName = ppdModelName(infDirectory_ + *ppd);
    if (!modelName.empty())
        appendModel({modelName, infDirectory_ + "setup.inf", *ppd});
    return true;
}

void DriverInstaller::appendModel(DriverModel model)
{
    if (models_.size() < kMaxModels)
        models_.push_back(std::move(model));
}

bool DriverInstaller::InstallDriverAndCreatePrinter(const std::string &printerName, const std::string &driverName,
                                                    const std::string &infPath, QWidget *parent)
{
    infPath_ = infPath;
    infDirectory_ = DirectoryOf(infPath);
    files_.clear();
    std::string lookupKey;
    if (!driverName.empty() && driverName.front() == '"') {
        lookupKey = driverName;
        driverName_ = driverName.substr(1, driverName.size() > 1 && driverName.back() == '"' ? driverName.size() - 2
                                                                                              : std::string::npos);
    } else {
        driverName_ = driverName;
        lookupKey = '"' + driverName + '"';
    }
    // The scan names a SETUP.INF disk's model by its directory + "setup.inf".
    if (infPath.find("setup.inf") != std::string::npos)
        buildSetupDiskList();
    else
        files_ = ReadInfModelFiles(infPath_, infDirectory_, lookupKey);
    // A model that names no file has no driver to install; there is nothing to show.
    if (files_.empty())
        return false;

    std::vector<std::string> missingBefore;
    for (const DriverFile &file : files_)
        if (!inSystemDirectory(FileNameOf(file.path)))
            missingBefore.push_back(FileNameOf(file.path));

    CDriverFilesDlg dialog(files_, infDirectory_, expandFolder_.empty() ? "" : expandFolder_ + "/", parent);
    dialog.exec();
    if (!dialog.AllCopied()) {
        removeFilesCopiedNew(missingBefore);
        return false;
    }
    for (DriverFile &file : files_)
        file.path = FileNameOf(file.path);
    if (!addDriver()) {
        removeFilesCopiedNew(missingBefore);
        return false;
    }
    return createPrinter(printerName);
}

void DriverInstaller::buildSetupDiskList()
{
    const std::string system = systemDirectory() + "\\";
    for (const DriverModel &model : models_)
        files_.push_back({system + model.ppdFileName, kTypePrinterSpecific, ""});
    for (const SetupDiskFile &file : kSetupDiskFiles) {
        // A file that cannot be expanded is asked of the user by the copy step.
        expandIntoTemporaryFolder(file.compressed, file.expanded);
        files_.push_back({system + file.expanded, file.type, ""});
    }
}

bool DriverInstaller::expandIntoTemporaryFolder(const char *compressedName, const char *expandedName)
{
    if (expandFolder_.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "zorvaline-expand-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return false;
        expandFolder_ = pattern;
    }
    const std::string expanded = zorplat::ExpandFile(infDirectory_ + compressedName, expandFolder_);
    if (expanded.empty())
        return false;
    // A compressed file that did not keep its name's last character is put right here, so
    // the copy step finds it under the name the list gives.
    const std::string wanted = expandFolder_ + "/" + expandedName;
    return expanded == wanted || std::rename(expanded.c_str(), wanted.c_str()) == 0;
}

// The driver's entry at level 3, its roles taken from the file table as the INF gave them.
bool DriverInstaller::addDriver() const
{
    std::string driverFile, dataFile, configFile, helpFile, dependentFiles;
    for (const DriverFile &file : files_) {
        if (file.type == kTypeDriverFile)
            driverFile = file.path;
        if (file.type == kTypeConfigFile)
            configFile = file.path;
        if (!file.type.empty() && (file.path.find(".ppd") != std::string::npos || file.path.find(".PPD") != std::string::npos))
            dataFile = file.path;
        if (!file.type.empty() && (file.path.find(".hlp") != std::string::npos || file.path.find(".HLP") != std::string::npos))
            helpFile = file.path;
        if (file.type.empty() || file.type == kTypePrinterSpecific)
            dependentFiles.append(file.path).append(1, '\0');
    }
    if (configFile.empty())
        configFile = driverFile;
    dependentFiles.append(1, '\0');

    DRIVER_INFO_3A driver{};
    driver.cVersion = 0;
    driver.pName = const_cast<LPSTR>(driverName_.c_str());
    driver.pEnvironment = const_cast<LPSTR>(environment_.c_str());
    driver.pDriverPath = const_cast<LPSTR>(driverFile.c_str());
    driver.pDataFile = const_cast<LPSTR>(dataFile.c_str());
    driver.pConfigFile = const_cast<LPSTR>(configFile.c_str());
    driver.pHelpFile = const_cast<LPSTR>(helpFile.c_str());
    driver.pDependentFiles = dependentFiles.data();
    driver.pMonitorName = nullptr;
    driver.pDefaultDataType = const_cast<LPSTR>("RAW");
    return AddPrinterDriver(nullptr, 3, reinterpret_cast<LPBYTE>(&driver));
}

bool DriverInstaller::createPrinter(const std::string &printerName) const
{
    PRINTER_INFO_2A printer{};
    printer.pPrinterName = const_cast<LPSTR>(printerName.c_str());
    printer.pPortName = const_cast<LPSTR>(kInternetPort);
    printer.pDriverName = const_cast<LPSTR>(driverName_.c_str());
    printer.pComment = const_cast<LPSTR>(kPrinterComment);
    printer.pPrintProcessor = const_cast<LPSTR>("WinPrint");
    printer.pDatatype = const_cast<LPSTR>("RAW");
    printer.Attributes = PRINTER_ATTRIBUTE_DIRECT;
    printer.Priority = 1;
    HANDLE handle = AddPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
    if (!handle)
        return false;
    ClosePrinter(handle);
    return true;
}

// A driver that is not installed leaves no file of its own behind; files that were there
// before belong to installed drivers and stay.
void DriverInstaller::removeFilesCopiedNew(const std::vector<std::string> &missingBefore) const
{
    for (const DriverFile &file : files_) {
        const std::string name = FileNameOf(file.path);
        if (file.status == kStatusCopied && std::find(missingBefore.begin(), missingBefore.end(), name) != missingBefore.end())
            DeleteFile((systemDirectory() + "\\" + name).c_str());
    }
}

} // namespace sendaro
