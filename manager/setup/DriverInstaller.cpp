#include "manager/setup/DriverInstaller.h"

#include "manager/dialogs/Prompts.h"
#include "manager/setup/DriverStrings.h"
#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/files/files.h"
#include "platform/kernel/system_info.h"
#include "platform/profile/profile.h"
#include "platform/spooler/spooler.h"

#include <algorithm>
#include <array>
#include <cctype>
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

// Both separators count: a path from the file dialog is a Linux path.
std::string directoryOf(const std::string &path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string windowsDirectory()
{
    char buffer[MAX_PATH] = {};
    GetWindowsDirectory(buffer, sizeof buffer);
    return buffer;
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
    infDirectory_ = directoryOf(infPath_);
    readNotInstalledModels();
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
    infDirectory_ = directoryOf(infPath);
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

} // namespace sendaro
