// `zorvaline setup`: creates or updates a Windows root, step by step.
#include "tools/commands.h"
#include "tools/WritableRoot.h"
#include "tools/setup_steps.h"

#include "platform/base/paths.h"
#include "platform/registry/registry.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

struct SetupStep {
    bool (*run)(SetupContext &ctx);
    const char *help;  // what the step makes, for --help; null for steps that make nothing
};

const SetupStep kSteps[] = {
    {ChooseInstallDirectory, nullptr},
    {CreateDirectories, "C:\\WINDOWS, C:\\WINDOWS\\SYSTEM, C:\\WINDOWS\\INF and the install directory"},
    {SweepStaleTemporaries, "no temporary files of interrupted writes there or in the root (a live writer's are kept)"},
    {WriteVarnelIni, "Varnel.ini in the system directory: [Install] Directory"},
    {WriteDatabaseSetting, "VComDef.ini in the install directory: [DefaultSetup] Database"},
    {ProtectPrivateFiles, "the install directory, VComDef.ini and the database readable by their owner only"},
    {WriteWinIniPorts, "win.ini [ports]: FILE: and this machine's serial and parallel ports"},
    {WriteServicesFile, "C:\\WINDOWS\\SERVICES, the services file (an existing one is kept)"},
    {RegisterComputerName, "registry: the computer name (the host name in capitals)"},
    {RegisterMachinePorts, "registry: the device entries of this machine's serial and parallel ports"},
    {InstallPrintPrograms, "ZORMON.DLL in the system directory and Selvra.exe in the install directory: copies of\n"
                           "    the programs built beside this zorvaline, or links to the installed ones"},
    {InstallCoverPageTemplate, "banner01.ps, the cover-page template, in the install directory"},
    {RegisterMonitor, "spooler: the monitor \"Zorvaline Internet Port\" (ZORMON.DLL, current environment)"},
    {InstallSampleDriverDisks, "the sample driver disks in DRIVERS\\FAMILY and DRIVERS\\POSTSCRIPT of the install directory"},
    {InstallSystemInf, "the platform's system INF in C:\\WINDOWS\\INF (msprint2.inf, ntprint.inf or printer.inf)"},
    {PreinstallFamilyDrivers, "spooler: the drivers \"Zorlan H7 Laser\" and \"Zorlan J8 Inkjet\", files in C:\\WINDOWS\\SYSTEM"},
};

void printHelp()
{
    std::printf("usage: zorvaline setup [--install-dir WINPATH]\n\n"
                "Creates or updates the Windows root ($ZORVALINE_ROOT, else\n"
                "${XDG_DATA_HOME:-~/.local/share}/zorvaline). Run again, it changes only what is\n"
                "missing or out of date, and says what it did. It makes:\n");
    for (const SetupStep &step : kSteps)
        if (step.help)
            std::printf("  - %s\n", step.help);
    std::printf("\noptions:\n"
                "  --install-dir WINPATH  the install directory, e.g. C:\\ZORVALINE (the default);\n"
                "                         without it an install directory already set is kept\n"
                "\nexit status: 0 done, 1 a step failed, 2 bad usage, the root cannot be written or the\n"
                "registry file is damaged\n");
}

// An absolute Windows path ("C:\X", "\X") or a Linux one; trailing separators dropped.
bool normaliseInstallDirectory(std::string &path)
{
    const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                       path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    if (!drive && (path.empty() || (path[0] != '\\' && path[0] != '/')))
        return false;
    const size_t keep = drive ? 3 : 1;
    while (path.size() > keep && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return true;
}

// Makes sure the root exists and can be written, so a read-only or misplaced root fails
// here with one clear line rather than halfway through.
bool prepareRoot(const std::string &root)
{
    std::error_code error;
    std::filesystem::create_directories(root, error);
    if (error) {
        std::fprintf(stderr, "zorvaline setup: cannot create the root %s: %s\n", root.c_str(),
                     error.message().c_str());
        return false;
    }
    return CheckRootWritable("setup", root);
}

} // namespace

int RunSetup(int argc, char **argv)
{
    SetupContext ctx;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        if (arg == "--install-dir" && i + 1 < argc) {
            ctx.installDirectory = argv[++i];
            ctx.installDirectoryGiven = true;
            if (!normaliseInstallDirectory(ctx.installDirectory)) {
                std::fprintf(stderr, "zorvaline setup: --install-dir needs an absolute path such as C:\\ZORVALINE\n");
                return 2;
            }
            continue;
        }
        std::fprintf(stderr, "zorvaline setup: %s '%s' (try 'zorvaline setup --help')\n",
                     arg == "--install-dir" ? "a path must follow" : "unknown argument", arg.c_str());
        return 2;
    }

    ctx.root = zorplat::RootDirectory();
    if (!prepareRoot(ctx.root))
        return 2;
    ctx.ports = DiscoverMachinePorts();
    ctx.files = ProgramFiles::Locate();
    for (const SetupStep &step : kSteps) {
        if (!step.run(ctx)) {
            std::fprintf(stderr, "zorvaline setup: %s\n", ctx.failure.c_str());
            // A damaged registry file stops every command until it is mended, as usage does.
            return zorplat::RegistryProblem().empty() ? 1 : 2;
        }
    }
    std::printf("root %s is ready\n", ctx.root.c_str());
    return 0;
}
