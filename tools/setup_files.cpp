// Setup steps for the folders and files of the root.
#include "tools/setup_steps.h"

#include "platform/files/atomicfile.h"
#include "platform/files/temporaryfile.h"
#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/profile/profile.h"
#include "platform/base/text.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char *kDefaultInstallDirectory = "C:\\ZORVALINE";
constexpr const char *kVarnelIni = "C:\\WINDOWS\\SYSTEM\\Varnel.ini";
constexpr const char *kWinIni = "C:\\WINDOWS\\win.ini";
constexpr const char *kServicesFile = "C:\\WINDOWS\\SERVICES";

// The services a Windows Sockets program may look up by name; tests replace smtp's port.
constexpr std::string_view kServices = "# Windows Sockets services: name port/protocol [aliases]\r\n"
                                       "echo        7/tcp\r\n"
                                       "echo        7/udp\r\n"
                                       "ftp        21/tcp\r\n"
                                       "telnet     23/tcp\r\n"
                                       "smtp       25/tcp    mail\r\n"
                                       "domain     53/tcp\r\n"
                                       "domain     53/udp\r\n"
                                       "http       80/tcp    www\r\n"
                                       "pop3      110/tcp\r\n"
                                       "nntp      119/tcp\r\n";

std::vector<std::string> profileKeys(const std::string &file, const char *section)
{
    std::vector<char> buffer(65536);
    const DWORD length = GetPrivateProfileString(section, nullptr, "", buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), file.c_str());
    std::vector<std::string> keys;
    for (size_t at = 0; at < length && buffer[at];) {
        keys.emplace_back(buffer.data() + at);
        at += keys.back().size() + 1;
    }
    return keys;
}

bool hasProfileKey(const std::string &file, const char *section, const char *key)
{
    for (const std::string &name : profileKeys(file, section))
        if (zorplat::EqualsIgnoringCase(name, key))
            return true;
    return false;
}

std::optional<std::string> profileValue(const std::string &file, const char *section, const char *key)
{
    if (!hasProfileKey(file, section, key))
        return std::nullopt;
    char value[4096];
    GetPrivateProfileString(section, key, "", value, sizeof value, file.c_str());
    return std::string(value);
}

// Makes [section] key hold value, reporting what changed.
bool ensureProfileValue(SetupContext &ctx, const std::string &file, const char *section, const char *key,
                        const std::string &value)
{
    const std::string what = file + " [" + section + "] " + key + "=" + value;
    const std::optional<std::string> current = profileValue(file, section, key);
    if (current == value) {
        ctx.upToDate(what);
        return true;
    }
    if (!WritePrivateProfileString(section, key, value.c_str(), file.c_str()))
        return ctx.fail("cannot write " + file + ": " + DescribeError(GetLastError()));
    current ? ctx.updated(what) : ctx.created(what);
    return true;
}

// Makes linuxPath (which exists) readable by its owner only, reporting what changed.
bool ensureOwnerOnly(SetupContext &ctx, const std::string &windowsPath, const std::string &linuxPath)
{
    struct stat info {};
    if (::stat(linuxPath.c_str(), &info) != 0)
        return ctx.fail("cannot inspect " + windowsPath + " (" + linuxPath + "): " + std::strerror(errno));
    const std::string what = windowsPath + " readable by its owner only";
    if ((info.st_mode & 077) == 0) {
        ctx.upToDate(what);
        return true;
    }
    if (::chmod(linuxPath.c_str(), info.st_mode & 07700) != 0)
        return ctx.fail("cannot make " + windowsPath + " (" + linuxPath + ") owner-only: " + std::strerror(errno));
    ctx.updated(what);
    return true;
}

bool ensureDirectory(SetupContext &ctx, const std::string &windowsPath, bool ownerOnly = false)
{
    const std::string linuxPath = zorplat::ToLinuxPath(windowsPath);
    struct stat info {};
    if (::stat(linuxPath.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode))
            return ctx.fail(windowsPath + " (" + linuxPath + ") exists and is not a folder");
        ctx.upToDate(windowsPath);
        return true;
    }
    std::error_code error;
    std::filesystem::create_directories(linuxPath, error);
    if (error)
        return ctx.fail("cannot create " + windowsPath + " (" + linuxPath + "): " + error.message());
    if (ownerOnly && ::chmod(linuxPath.c_str(), 0700) != 0)
        return ctx.fail("cannot make " + windowsPath + " (" + linuxPath + ") owner-only: " + std::strerror(errno));
    ctx.created(windowsPath);
    return true;
}

std::string installFile(const SetupContext &ctx, const char *name)
{
    const char last = ctx.installDirectory.back();
    return ctx.installDirectory + (last == '\\' || last == '/' ? "" : "\\") + name;
}

} // namespace

bool ChooseInstallDirectory(SetupContext &ctx)
{
    if (ctx.installDirectoryGiven)
        return true;
    const std::optional<std::string> current = profileValue(kVarnelIni, "Install", "Directory");
    ctx.installDirectory = current && !current->empty() ? *current : kDefaultInstallDirectory;
    return true;
}

bool CreateDirectories(SetupContext &ctx)
{
    for (const std::string &folder :
         {std::string("C:\\"), std::string("C:\\WINDOWS"), std::string("C:\\WINDOWS\\SYSTEM"),
          std::string("C:\\WINDOWS\\INF")})
        if (!ensureDirectory(ctx, folder))
            return false;
    // It holds the jobs while they are sent and the files with passwords.
    return ensureDirectory(ctx, ctx.installDirectory, true);
}

bool ProtectPrivateFiles(SetupContext &ctx)
{
    // The folder alone keeps the jobs' work files and the password-bearing files from other
    // users; the files themselves are tightened too, in case the folder is opened again.
    if (!ensureOwnerOnly(ctx, ctx.installDirectory, zorplat::ToLinuxPath(ctx.installDirectory)))
        return false;
    const std::string settings = installFile(ctx, "VComDef.ini");
    std::vector<std::string> files = {settings};
    if (const auto database = profileValue(settings, "DefaultSetup", "Database"); database && !database->empty())
        files.push_back(*database);
    for (const std::string &file : files) {
        const std::string linuxPath = zorplat::ToLinuxPath(file);
        if (::access(linuxPath.c_str(), F_OK) == 0 && !ensureOwnerOnly(ctx, file, linuxPath))
            return false;
    }
    return true;
}

bool SweepStaleTemporaries(SetupContext &ctx)
{
    const std::vector<std::string> folders = {ctx.root, zorplat::ToLinuxPath("C:\\WINDOWS"),
                                              zorplat::ToLinuxPath("C:\\WINDOWS\\SYSTEM"),
                                              zorplat::ToLinuxPath("C:\\WINDOWS\\INF"),
                                              zorplat::ToLinuxPath(ctx.installDirectory)};
    for (const std::string &folder : folders)
        for (const std::string &path : zorplat::RemoveStaleTemporariesIn(folder))
            ctx.removed(path + ", left by an interrupted write");
    return true;
}

bool WriteVarnelIni(SetupContext &ctx)
{
    return ensureProfileValue(ctx, kVarnelIni, "Install", "Directory", ctx.installDirectory);
}

bool WriteDatabaseSetting(SetupContext &ctx)
{
    return ensureProfileValue(ctx, installFile(ctx, "VComDef.ini"), "DefaultSetup", "Database",
                              installFile(ctx, "Sendaro.Cfg"));
}

bool WriteWinIniPorts(SetupContext &ctx)
{
    std::vector<std::pair<std::string, std::string>> wanted;
    for (const MachinePort &port : ctx.ports)
        wanted.emplace_back(port.name() + ":", port.kind == MachinePort::Kind::Serial ? "9600,n,8,1" : "");
    wanted.emplace_back("FILE:", "");

    const std::vector<std::string> existing = profileKeys(kWinIni, "ports");
    bool added = false;
    for (const auto &[key, value] : wanted) {
        bool present = false;
        for (const std::string &name : existing)
            present = present || zorplat::EqualsIgnoringCase(name, key);
        if (present)
            continue;
        if (!WritePrivateProfileString("ports", key.c_str(), value.c_str(), kWinIni))
            return ctx.fail(std::string("cannot write ") + kWinIni + ": " + DescribeError(GetLastError()));
        ctx.created(std::string(kWinIni) + " [ports] " + key);
        added = true;
    }
    if (!added)
        ctx.upToDate(std::string(kWinIni) + " [ports]");
    return true;
}

bool WriteServicesFile(SetupContext &ctx)
{
    const std::string linuxPath = zorplat::ToLinuxPath(kServicesFile);
    struct stat info {};
    if (::stat(linuxPath.c_str(), &info) == 0) {
        ctx.upToDate(kServicesFile);
        return true;
    }
    if (!zorplat::AtomicWriteFile(linuxPath, kServices, 0644))
        return ctx.fail(std::string("cannot write ") + kServicesFile + ": " + DescribeError(GetLastError()));
    ctx.created(kServicesFile);
    return true;
}
