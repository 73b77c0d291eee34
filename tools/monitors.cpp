// `zorvaline monitors`: lists the port monitors registered with the spooler.
#include "tools/SpoolerText.h"
#include "tools/commands.h"

#include "platform/lasterror.h"
#include "platform/spooler.h"

#include <cstdio>
#include <string>
#include <vector>

int RunMonitors(int argc, char **argv)
{
    if (argc == 1 && (std::string(argv[0]) == "--help" || std::string(argv[0]) == "-h")) {
        std::printf("usage: zorvaline monitors\n\n"
                    "Lists the port monitors registered with the root's spooler: name, environment\n"
                    "and module (a file in C:\\WINDOWS\\SYSTEM). 'zorvaline setup' registers the\n"
                    "Zorvaline monitor.\n"
                    "\nexit status: 0 done, 1 the spooler failed, 2 bad usage\n");
        return 0;
    }
    if (argc != 0) {
        std::fprintf(stderr, "zorvaline monitors: takes no arguments (try 'zorvaline monitors --help')\n");
        return 2;
    }
    DWORD needed = 0, returned = 0;
    std::vector<BYTE> buffer;
    while (!EnumMonitors(nullptr, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &returned)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            std::fprintf(stderr, "zorvaline monitors: cannot list the monitors: %s\n",
                         DescribeSpoolerError(GetLastError()).c_str());
            return 1;
        }
        buffer.resize(needed);
    }
    const auto *monitors = reinterpret_cast<const MONITOR_INFO_2A *>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
        std::printf("%s\t%s\t%s\n", monitors[i].pName, monitors[i].pEnvironment, monitors[i].pDLLName);
    return 0;
}
