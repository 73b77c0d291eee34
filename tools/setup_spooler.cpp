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
#include <vector>

namespace {

constexpr const char *kMonitorName = "Zorvaline Internet Port";
constexpr const char *kMonitorDll = "ZORMON.DLL";
constexpr const char *kMonitorDllPath = "C:\\WINDOWS\\SYSTEM\\ZORMON.DLL";

// The folder this program was started from, where the build puts its companions.
std::string programDirectory()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : self.parent_path().string();
}

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
bool installProgram(SetupContext &ctx, const std::string &builtName, const std::string &windowsPath)
{
    const std::string source = programDirectory() + "/" + builtName;
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
    return installProgram(ctx, "libzormon.so", kMonitorDllPath) &&
           installProgram(ctx, "selvra", ctx.installDirectory + "\\Selvra.exe");
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
