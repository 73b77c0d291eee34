// `zorvaline drivers`: lists the spooler's printer drivers and installs one whose files are
// in the system directory already, for administrators and scripts.
#include "tools/SpoolerText.h"
#include "tools/WritableRoot.h"
#include "tools/commands.h"

#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/files/files.h"
#include "platform/spooler/spooler.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

enum DriversResult {
    kDone = 0,
    kRefused = 1,
    kUsage = 2, // also: a damaged registry file, a root that cannot be written
};

void printHelp()
{
    std::printf("usage: zorvaline drivers [--env ENVIRONMENT]\n"
                "       zorvaline drivers add NAME --driver FILE --data FILE [--config FILE]\n"
                "                             [--help-file FILE] [--depend FILE]... [--monitor NAME]\n"
                "                             [--env ENVIRONMENT]\n\n"
                "Without a sub-command, lists the installed printer drivers: name, driver file,\n"
                "data file.\n\n"
                "  add  installs (or replaces) driver NAME. Every FILE is the name of a file that is\n"
                "       in the system directory (C:\\WINDOWS\\SYSTEM) already. --config defaults to the\n"
                "       driver file; --depend may be given several times; the default data type is RAW.\n\n"
                "ENVIRONMENT is \"Windows 4.0\" or \"Windows NT x86\"; default: the current one.\n"
                "\nexit status: 0 done, 1 the spooler refused or failed, 2 bad usage, a damaged registry\n"
                "file, or a root that cannot be written\n");
}

int usage(const std::string &why)
{
    std::fprintf(stderr, "zorvaline drivers: %s (try 'zorvaline drivers --help')\n", why.c_str());
    return kUsage;
}

int refused(const std::string &what)
{
    const DWORD error = GetLastError();
    std::fprintf(stderr, "zorvaline drivers: %s: %s\n", what.c_str(), DescribeSpoolerError(error).c_str());
    return SpoolerFailureStatus(error);
}

std::string systemDirectory()
{
    char directory[MAX_PATH];
    GetSystemDirectory(directory, sizeof directory);
    return directory;
}

// The first of the files, given by name or path as the spooler takes them (their name
// part counts), that is not a file of the system directory; "" when each one is.
std::string firstMissingFile(const std::vector<std::string> &files)
{
    for (const std::string &file : files) {
        const size_t separator = file.find_last_of("\\/:");
        const std::string name = separator == std::string::npos ? file : file.substr(separator + 1);
        const DWORD attributes = GetFileAttributes((systemDirectory() + "\\" + name).c_str());
        if (name.empty() || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return file;
    }
    return "";
}

int listDrivers(const char *environment)
{
    DWORD needed = 0, returned = 0;
    std::vector<BYTE> buffer;
    while (!EnumPrinterDrivers(nullptr, const_cast<char *>(environment), 2, buffer.data(),
                               static_cast<DWORD>(buffer.size()), &needed, &returned)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return refused("cannot list the drivers");
        buffer.resize(needed);
    }
    const auto *drivers = reinterpret_cast<const DRIVER_INFO_2A *>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
        std::printf("%s\t%s\t%s\n", drivers[i].pName, drivers[i].pDriverPath, drivers[i].pDataFile);
    return kDone;
}

int addDriver(int argc, char **argv)
{
    std::string name, driverFile, dataFile, configFile, helpFile, monitor, environment;
    std::vector<std::string> dependent;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string *value = arg == "--driver"      ? &driverFile
                             : arg == "--data"      ? &dataFile
                             : arg == "--config"    ? &configFile
                             : arg == "--help-file" ? &helpFile
                             : arg == "--monitor"   ? &monitor
                             : arg == "--env"       ? &environment
                                                    : nullptr;
        if (value || arg == "--depend") {
            if (i + 1 >= argc)
                return usage(arg + " needs a value");
            if (value)
                *value = argv[++i];
            else
                dependent.emplace_back(argv[++i]);
        } else if (arg.rfind("--", 0) == 0) {
            return usage("unknown option " + arg);
        } else if (name.empty()) {
            name = arg;
        } else {
            return usage("add takes one driver name");
        }
    }
    if (name.empty() || driverFile.empty() || dataFile.empty())
        return usage("add needs a driver NAME, --driver FILE and --data FILE");
    if (configFile.empty())
        configFile = driverFile;
    if (!CheckRootWritable("drivers", zorplat::RootDirectory()))
        return kUsage;

    std::string dependentList;
    for (const std::string &file : dependent)
        dependentList += file + '\0';
    dependentList += '\0';
    DRIVER_INFO_3A info{};
    info.pName = name.data();
    info.pEnvironment = environment.empty() ? nullptr : environment.data();
    info.pDriverPath = driverFile.data();
    info.pDataFile = dataFile.data();
    info.pConfigFile = configFile.data();
    info.pHelpFile = helpFile.empty() ? nullptr : helpFile.data();
    info.pDependentFiles = dependent.empty() ? nullptr : dependentList.data();
    info.pMonitorName = monitor.empty() ? nullptr : monitor.data();
    info.pDefaultDataType = const_cast<char *>("RAW");
    if (!AddPrinterDriver(nullptr, 3, reinterpret_cast<LPBYTE>(&info))) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND)
            return refused("cannot install " + name);
        std::vector<std::string> files{driverFile, dataFile, configFile};
        if (!helpFile.empty())
            files.push_back(helpFile);
        files.insert(files.end(), dependent.begin(), dependent.end());
        std::string missing = firstMissingFile(files);
        if (missing.empty())
            missing = "a file"; // it came back meanwhile
        const std::string directory = systemDirectory();
        std::fprintf(stderr, "zorvaline drivers: cannot install %s: %s is not in the system directory %s (%s)\n",
                     name.c_str(), missing.c_str(), directory.c_str(), zorplat::ToLinuxPath(directory).c_str());
        return kRefused;
    }
    std::printf("installed %s\n", name.c_str());
    return kDone;
}

} // namespace

int RunDrivers(int argc, char **argv)
{
    for (int i = 0; i < argc; ++i)
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            printHelp();
            return kDone;
        }
    if (argc == 0)
        return listDrivers(nullptr);
    const std::string command = argv[0];
    if (command == "--env")
        return argc == 2 ? listDrivers(argv[1]) : usage("--env needs one value");
    if (command == "add")
        return addDriver(argc - 1, argv + 1);
    return usage("unknown sub-command " + command);
}
