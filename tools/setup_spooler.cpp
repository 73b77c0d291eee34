// Setup steps for the print path: our native monitor and chooser installed under the names
// the system knows them by, and the monitor registered with the spooler, as an
// installation does.
#include "tools/SpoolerText.h"
#include "tools/setup_steps.h"

#include "platform/files/atomicfile.h"
#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/spooler/spooler.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char *kMonitorName = "Zorvaline Internet Port";
constexpr const char *kMonitorDll = "ZORMON.DLL";
constexpr const char *kMonitorDllPath = "C:\\WINDOWS\\SYSTEM\\ZORMON.DLL";

std::optional<std::string> readWhole(const std::string &linuxPath)
{
    std::ifstream in(linuxPath, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Copies the built program `builtName` over `windowsPath` unless it holds the same bytes.
// The copy replaces the file whole, so a process that has the old one loaded keeps it.
bool copyProgram(SetupContext &ctx, const std::string &source, const std::string &windowsPath)
{
    const std::optional<std::string> built = readWhole(source);
    if (!built) {
        std::printf("skipped %s: %s is not built\n", windowsPath.c_str(), source.c_str());
        return true;
    }
    const std::string target = zorplat::ToLinuxPath(windowsPath);
    const std::optional<std::string> installed = readWhole(target);
    if (installed == built) {
        ctx.upToDate(windowsPath);
        return true;
    }
    if (!zorplat::AtomicWriteFile(target, *built, 0755))
        return ctx.fail("cannot write " + windowsPath + ": " + DescribeSpoolerError(GetLastError()));
    // An existing file keeps its mode; the program must be runnable all the same.
    chmod(target.c_str(), 0755);
    installed ? ctx.updated(windowsPath) : ctx.created(windowsPath);
    return true;
}

// Makes `windowsPath` a symbolic link to the installed program `source`. An installed
// program finds its libraries relative to its own folder, which a copy in the root would
// not; through the link it runs from where it was installed, and follows upgrades.
bool linkProgram(SetupContext &ctx, const std::string &source, const std::string &windowsPath)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_regular_file(source, error))
        return ctx.fail("the installed program " + source + " is missing; install Zorvaline again");
    const fs::path target = zorplat::ToLinuxPath(windowsPath);
    const bool present = fs::exists(fs::symlink_status(target, error));
    if (fs::is_symlink(fs::symlink_status(target, error)) && fs::read_symlink(target, error) == source) {
        ctx.upToDate(windowsPath + " -> " + source);
        return true;
    }
    // Made under a temporary name and renamed over the old file, so the name is never missing.
    const fs::path temporary = target.string() + ".link-" + std::to_string(getpid());
    fs::remove(temporary, error);
    fs::create_symlink(source, temporary, error);
    if (!error)
        fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return ctx.fail("cannot link " + windowsPath + " to " + source + ": " + error.message());
    }
    present ? ctx.updated(windowsPath + " -> " + source) : ctx.created(windowsPath + " -> " + source);
    return true;
}

bool installProgram(SetupContext &ctx, const std::string &folder, const std::string &name,
                    const std::string &windowsPath)
{
    const std::string source = folder + "/" + name;
    return ctx.files.installed ? linkProgram(ctx, source, windowsPath) : copyProgram(ctx, source, windowsPath);
}

bool monitorRegistered()
{
    DWORD needed = 0, returned = 0;
    std::vector<BYTE> buffer;
    while (!EnumMonitors(nullptr, 1, buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &returned)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
        buffer.resize(needed);
    }
    const auto *monitors = reinterpret_cast<const MONITOR_INFO_1A *>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
        if (std::string(monitors[i].pName) == kMonitorName)
            return true;
    return false;
}

} // namespace

bool InstallPrintPrograms(SetupContext &ctx)
{
    return installProgram(ctx, ctx.files.moduleFolder, "libzormon.so", kMonitorDllPath) &&
           installProgram(ctx, ctx.files.programFolder, "selvra", ctx.installDirectory + "\\Selvra.exe");
}

bool RegisterMonitor(SetupContext &ctx)
{
    const std::string what = std::string("spooler monitor \"") + kMonitorName + "\"";
    struct stat info {};
    if (stat(zorplat::ToLinuxPath(kMonitorDllPath).c_str(), &info) != 0) {
        std::printf("skipped %s: %s is not installed yet\n", what.c_str(), kMonitorDllPath);
        return true;
    }
    if (monitorRegistered()) {
        ctx.upToDate(what);
        return true;
    }
    const std::string environment = zorplat::CurrentEnvironment();
    if (environment.empty()) {
        std::printf("skipped %s: this platform (ZORVALINE_PLATFORM) has no print environment\n", what.c_str());
        return true;
    }
    MONITOR_INFO_2A monitor{const_cast<char *>(kMonitorName), const_cast<char *>(environment.c_str()),
                            const_cast<char *>(kMonitorDll)};
    if (!AddMonitor(nullptr, 2, reinterpret_cast<LPBYTE>(&monitor)))
        return ctx.fail("cannot register " + what + ": " + DescribeSpoolerError(GetLastError()));
    ctx.created(what);
    return true;
}
