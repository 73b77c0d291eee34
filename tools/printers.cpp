// `zorvaline printers`: lists, adds and deletes the spooler's printers and picks the
// default one, for administrators and scripts.
#include "tools/SpoolerText.h"
#include "tools/WritableRoot.h"
#include "tools/commands.h"

#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/spooler/spooler.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

enum PrintersResult {
    kDone = 0,
    kRefused = 1, // the spooler refused or failed the change
    kUsage = 2, // also: a damaged registry file, a root that cannot be written
};

// What a destination's printer gets when nothing else is asked for.
constexpr const char *kDefaultPort = "ZORVALINE_INTERNET:";
constexpr const char *kDefaultComment = "Zorvaline Remote Internet Printing Port";

void printHelp()
{
    std::printf("usage: zorvaline printers\n"
                "       zorvaline printers add NAME --driver DRIVER [--port PORT] [--comment TEXT]\n"
                "       zorvaline printers delete NAME\n"
                "       zorvaline printers default [NAME]\n\n"
                "Without a sub-command, lists the printers of the root's spooler: name, port,\n"
                "driver and comment; the default printer is marked with '*'.\n\n"
                "  add      creates a printer with DRIVER (see 'zorvaline drivers') on PORT, which a\n"
                "           registered monitor must list (default %s); comment\n"
                "           \"%s\", print processor WinPrint, data type\n"
                "           RAW, printing directly to the port, priority 1. The first printer becomes\n"
                "           the default one.\n"
                "  delete   deletes the printer\n"
                "  default  shows the default printer, or makes NAME the default\n"
                "\nexit status: 0 done, 1 the spooler refused or failed, 2 bad usage, a damaged registry\n"
                "file, or a root that cannot be written\n",
                kDefaultPort, kDefaultComment);
}

int usage(const char *why)
{
    std::fprintf(stderr, "zorvaline printers: %s (try 'zorvaline printers --help')\n", why);
    return kUsage;
}

int refused(const std::string &what)
{
    const DWORD error = GetLastError();
    std::fprintf(stderr, "zorvaline printers: %s: %s\n", what.c_str(), DescribeSpoolerError(error).c_str());
    return SpoolerFailureStatus(error);
}

std::string text(const char *value)
{
    return value ? value : "";
}

std::string defaultPrinterName()
{
    char name[256];
    DWORD size = sizeof name;
    return GetDefaultPrinter(name, &size) ? name : "";
}

int listPrinters()
{
    DWORD needed = 0, returned = 0;
    std::vector<BYTE> buffer;
    while (!EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed,
                         &returned)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return refused("cannot list the printers");
        buffer.resize(needed); // another process may add one meanwhile: ask until it fits
    }
    const auto *printers = reinterpret_cast<const PRINTER_INFO_2A *>(buffer.data());
    const std::string defaultName = defaultPrinterName();
    std::vector<std::vector<std::string>> rows{{"NAME", "PORT", "DRIVER", "COMMENT"}};
    for (DWORD i = 0; i < returned; ++i)
        rows.push_back({text(printers[i].pPrinterName), text(printers[i].pPortName), text(printers[i].pDriverName),
                        text(printers[i].pComment)});
    size_t widths[3] = {0, 0, 0};
    for (const auto &row : rows)
        for (size_t column = 0; column < 3; ++column)
            widths[column] = std::max(widths[column], row[column].size());
    for (size_t r = 0; r < rows.size(); ++r) {
        const bool isDefault = r > 0 && rows[r][0] == defaultName;
        std::printf("%s %-*s  %-*s  %-*s  %s\n", isDefault ? "*" : " ", int(widths[0]), rows[r][0].c_str(),
                    int(widths[1]), rows[r][1].c_str(), int(widths[2]), rows[r][2].c_str(), rows[r][3].c_str());
    }
    return kDone;
}

int addPrinter(int argc, char **argv)
{
    std::string name, driver, port = kDefaultPort, comment = kDefaultComment;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string *value = arg == "--driver" ? &driver : arg == "--port" ? &port : arg == "--comment" ? &comment : nullptr;
        if (value) {
            if (i + 1 >= argc)
                return usage((arg + " needs a value").c_str());
            *value = argv[++i];
        } else if (arg.rfind("--", 0) == 0) {
            return usage(("unknown option " + arg).c_str());
        } else if (name.empty()) {
            name = arg;
        } else {
            return usage("add takes one printer name");
        }
    }
    if (name.empty() || driver.empty())
        return usage("add needs a printer NAME and --driver DRIVER");
    if (!CheckRootWritable("printers", zorplat::RootDirectory()))
        return kUsage;

    PRINTER_INFO_2A info{};
    info.pPrinterName = name.data();
    info.pPortName = port.data();
    info.pDriverName = driver.data();
    info.pComment = comment.data();
    info.pPrintProcessor = const_cast<char *>("WinPrint");
    info.pDatatype = const_cast<char *>("RAW");
    info.Attributes = PRINTER_ATTRIBUTE_DIRECT;
    info.Priority = 1;
    HANDLE printer = AddPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    if (!printer)
        return refused("cannot add " + name);
    ClosePrinter(printer);
    std::printf("added %s (driver %s, port %s)\n", name.c_str(), driver.c_str(), port.c_str());
    return kDone;
}

int deletePrinter(const std::string &name)
{
    if (!CheckRootWritable("printers", zorplat::RootDirectory()))
        return kUsage;
    HANDLE printer = nullptr;
    if (!OpenPrinter(const_cast<char *>(name.c_str()), &printer, nullptr))
        return refused("cannot delete " + name);
    const bool deleted = DeletePrinter(printer);
    const DWORD error = GetLastError();
    ClosePrinter(printer);
    SetLastError(error);
    if (!deleted)
        return refused("cannot delete " + name);
    std::printf("deleted %s\n", name.c_str());
    return kDone;
}

int defaultPrinter(int argc, char **argv)
{
    if (argc > 1)
        return usage("default takes at most one printer name");
    if (argc == 0) {
        const std::string name = defaultPrinterName();
        if (name.empty()) {
            if (GetLastError() != ERROR_FILE_NOT_FOUND)
                return refused("cannot tell the default printer");
            std::fprintf(stderr, "zorvaline printers: there is no default printer\n");
            return kRefused;
        }
        std::printf("%s\n", name.c_str());
        return kDone;
    }
    if (!CheckRootWritable("printers", zorplat::RootDirectory()))
        return kUsage;
    if (!SetDefaultPrinter(argv[0]))
        return refused(std::string("cannot make ") + argv[0] + " the default printer");
    std::printf("%s is the default printer\n", defaultPrinterName().c_str());
    return kDone;
}

} // namespace

int RunPrinters(int argc, char **argv)
{
    for (int i = 0; i < argc; ++i)
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            printHelp();
            return kDone;
        }
    if (argc == 0)
        return listPrinters();
    const std::string command = argv[0];
    if (command == "add")
        return addPrinter(argc - 1, argv + 1);
    if (command == "delete")
        return argc == 2 ? deletePrinter(argv[1]) : usage("delete takes one printer name");
    if (command == "default")
        return defaultPrinter(argc - 1, argv + 1);
    return usage(("unknown sub-command " + command).c_str());
}
