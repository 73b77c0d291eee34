// `zorvaline monitors`: lists the port monitors registered with the spooler and registers
// one, for administrators and scripts.
#include "tools/SpoolerText.h"
#include "tools/WritableRoot.h"
#include "tools/commands.h"

#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/spooler/spooler.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

void printHelp()
{
    std::printf("usage: zorvaline monitors\n"
                "       zorvaline monitors add NAME --dll FILE [--env ENVIRONMENT]\n\n"
                "Without a sub-command, lists the port monitors registered with the root's\n"
                "spooler: name, environment and module. 'zorvaline setup' registers the Zorvaline\n"
                "monitor.\n\n"
                "  add  registers monitor NAME, whose module FILE is in C:\\WINDOWS\\SYSTEM and exports\n"
                "       InitializeMonitorEx. ENVIRONMENT must be the current one (\"Windows 4.0\" or\n"
                "       \"Windows NT x86\", as ZORVALINE_PLATFORM makes it); that is the default.\n"
                "\nexit status: 0 done, 1 the spooler refused or failed, 2 bad usage, a damaged registry\n"
                "file, or a root that cannot be written\n");
}

int usage(const std::string &why)
{
    std::fprintf(stderr, "zorvaline monitors: %s (try 'zorvaline monitors --help')\n", why.c_str());
    return 2;
}

int listMonitors()
{
    DWORD needed = 0, returned = 0;
    std::vector<BYTE> buffer;
    while (!EnumMonitors(nullptr, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &returned)) {
        if (const DWORD error = GetLastError(); error != ERROR_INSUFFICIENT_BUFFER) {
            std::fprintf(stderr, "zorvaline monitors: cannot list the monitors: %s\n",
                         DescribeSpoolerError(error).c_str());
            return SpoolerFailureStatus(error);
        }
        buffer.resize(needed);
    }
    const auto *monitors = reinterpret_cast<const MONITOR_INFO_2A *>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
        std::printf("%s\t%s\t%s\n", monitors[i].pName, monitors[i].pEnvironment, monitors[i].pDLLName);
    return 0;
}

int addMonitor(int argc, char **argv)
{
    std::string name, dll, environment;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--dll" || arg == "--env") {
            if (i + 1 >= argc)
                return usage(arg + " needs a value");
            (arg == "--dll" ? dll : environment) = argv[++i];
        } else if (arg.rfind("--", 0) == 0) {
            return usage("unknown option " + arg);
        } else if (name.empty()) {
            name = arg;
        } else {
            return usage("add takes one monitor name");
        }
    }
    if (name.empty() || dll.empty())
        return usage("add needs a monitor NAME and --dll FILE");
    if (!CheckRootWritable("monitors", zorplat::RootDirectory()))
        return 2;
    MONITOR_INFO_2A info{name.data(), environment.empty() ? nullptr : environment.data(), dll.data()};
    if (!AddMonitor(nullptr, 2, reinterpret_cast<LPBYTE>(&info))) {
        const DWORD error = GetLastError();
        std::fprintf(stderr, "zorvaline monitors: cannot add %s: %s\n", name.c_str(), DescribeSpoolerError(error).c_str());
        return SpoolerFailureStatus(error);
    }
    std::printf("added %s (%s)\n", name.c_str(), dll.c_str());
    return 0;
}

} // namespace

int RunMonitors(int argc, char **argv)
{
    for (int i = 0; i < argc; ++i)
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            printHelp();
            return 0;
        }
    if (argc == 0)
        return listMonitors();
    if (std::string(argv[0]) == "add")
        return addMonitor(argc - 1, argv + 1);
    return usage(std::string("unknown sub-command ") + argv[0]);
}
