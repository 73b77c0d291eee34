// `zorvaline print`: hands files (or standard input) to a printer of the spooler, one job
// per file, as an application printing to that printer would.
#include "tools/JobProgress.h"
#include "tools/SpoolerText.h"
#include "tools/MessageBoxCounter.h"
#include "tools/commands.h"

#include "platform/base/lasterror.h"
#include "platform/spooler/spooler.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Exit codes.
enum PrintResult {
    kDelivered = 0,      // every job was handed over and the monitor reported no failure
    kNotDelivered = 1,   // the monitor failed a call or showed a stop box during a job, or
                         // the destination chooser did not confirm a job
    kUsageOrSpooler = 2, // bad usage, unknown printer, unreadable file, or the spooler failed
};

// The port of the system's destinations: a job there is mailed only when the destination
// chooser confirms it, and the monitor announces every job it delivered.
constexpr const char *kInternetPort = "ZORVALINE_INTERNET:";

// Jobs are streamed in pieces of this size, so a job of any size needs this much memory.
constexpr size_t kChunkSize = 1 << 20;

void printHelp()
{
    std::printf("usage: zorvaline print [-P PRINTER] [-T TITLE] [FILE...]\n\n"
                "Prints each FILE as one job on PRINTER; with no FILE (or '-'), prints standard\n"
                "input. The job goes through the spooler of the root to the monitor of the\n"
                "printer's port, which delivers it.\n\n"
                "options:\n"
                "  -P PRINTER  the printer (see 'zorvaline printers'); default: the default printer\n"
                "  -T TITLE    the document name of every job; default: the file's name, or\n"
                "              \"stdin\" for standard input\n"
                "\nexit status: 0 every job delivered; 1 a job was not delivered: the monitor\n"
                "reported a failure (it failed a call, or showed an error message), or, on the\n"
                "port ZORVALINE_INTERNET:, the destination chooser declined the job (no\n"
                "destination, Cancel); 2 bad usage, unknown printer, unreadable file or spooler\n"
                "failure\n");
}

struct Input {
    std::string name; // as given; "-" for standard input
    int fd = -1;
    int64_t size = -1; // unknown for pipes and terminals
};

std::string baseName(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Opens every input before the first job, so an unreadable file stops the command before
// anything was printed.
bool openInputs(const std::vector<std::string> &names, std::vector<Input> &inputs)
{
    for (const std::string &name : names) {
        Input input;
        input.name = name;
        input.fd = name == "-" ? STDIN_FILENO : open(name.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (input.fd < 0 || fstat(input.fd, &info) != 0) {
            std::fprintf(stderr, "zorvaline print: cannot read %s: %s\n", name.c_str(), std::strerror(errno));
            return false;
        }
        if (S_ISDIR(info.st_mode)) {
            std::fprintf(stderr, "zorvaline print: cannot read %s: it is a folder\n", name.c_str());
            return false;
        }
        if (S_ISREG(info.st_mode))
            input.size = info.st_size;
        inputs.push_back(input);
    }
    return true;
}

// The failure of a spooler job call: the monitor's (exit 1) or the spooler's own (exit 2).
PrintResult reportJobFailure(HANDLE printer, const std::string &printerName, const std::string &title,
                             const char *stage)
{
    const DWORD error = GetLastError();
    const std::string monitorCall = zorplat::FailedMonitorCall(printer);
    if (!monitorCall.empty()) {
        std::fprintf(stderr, "zorvaline print: %s on %s: the monitor failed %s: %s\n", title.c_str(),
                     printerName.c_str(), monitorCall.c_str(), DescribeSpoolerError(error).c_str());
        return kNotDelivered;
    }
    std::fprintf(stderr, "zorvaline print: %s on %s: cannot %s: %s\n", title.c_str(), printerName.c_str(), stage,
                 DescribeSpoolerError(error).c_str());
    return kUsageOrSpooler;
}

// True when the printer prints to the port of the system's destinations.
bool onInternetPort(HANDLE printer)
{
    DWORD needed = 0;
    GetPrinter(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (!needed || !GetPrinter(printer, 2, buffer.data(), needed, &needed))
        return false;
    const auto *info = reinterpret_cast<const PRINTER_INFO_2A *>(buffer.data());
    return info->pPortName && strcasecmp(info->pPortName, kInternetPort) == 0;
}

PrintResult printOne(HANDLE printer, const std::string &printerName, bool internetPort, const Input &input,
                     const std::string &title, const MessageBoxCounter &ui, std::vector<BYTE> &chunk)
{
    DOC_INFO_1A docInfo{const_cast<char *>(title.c_str()), nullptr, const_cast<char *>("RAW")};
    const int stopBoxesBefore = ui.stopBoxes();
    const int informationBoxesBefore = ui.informationBoxes();
    if (!StartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&docInfo)))
        return reportJobFailure(printer, printerName, title, "start the job");

    PrintResult result = kDelivered;
    JobProgress progress(title, input.size);
    int64_t done = 0;
    for (;;) {
        const ssize_t got = read(input.fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            std::fprintf(stderr, "zorvaline print: cannot read %s: %s\n", input.name.c_str(), std::strerror(errno));
            result = kUsageOrSpooler;
            break;
        }
        if (got == 0)
            break;
        DWORD written = 0;
        if (!WritePrinter(printer, chunk.data(), static_cast<DWORD>(got), &written)) {
            result = reportJobFailure(printer, printerName, title, "write the job");
            break;
        }
        done += got;
        progress.advance(done);
    }
    progress.delivering();
    // The job is ended even after a failure: the monitor holds the port until then.
    if (!EndDocPrinter(printer) && result == kDelivered)
        result = reportJobFailure(printer, printerName, title, "end the job");
    if (result == kDelivered && ui.stopBoxes() != stopBoxesBefore) {
        std::fprintf(stderr, "zorvaline print: %s on %s: the monitor reported a failure\n", title.c_str(),
                     printerName.c_str());
        result = kNotDelivered;
    } else if (result == kDelivered && internetPort && ui.informationBoxes() == informationBoxesBefore) {
        // The monitor drops such a job without a word; the chooser has told its reason.
        std::fprintf(stderr, "zorvaline print: %s on %s: not sent: the destination chooser did not confirm the job\n",
                     title.c_str(), printerName.c_str());
        result = kNotDelivered;
    }
    return result;
}

std::string defaultPrinterName()
{
    DWORD size = 0;
    GetDefaultPrinter(nullptr, &size);
    std::string name(size, '\0');
    if (!size || !GetDefaultPrinter(name.data(), &size))
        return "";
    name.resize(size - 1);
    return name;
}

} // namespace

int RunPrint(int argc, char **argv)
{
    std::string printerName;
    std::string title;
    bool titleGiven = false;
    std::vector<std::string> files;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return kDelivered;
        }
        if ((arg == "-P" || arg == "-T") && i + 1 < argc) {
            (arg == "-P" ? printerName : title) = argv[++i];
            titleGiven = titleGiven || arg == "-T";
        } else if (arg.size() > 2 && (arg.rfind("-P", 0) == 0 || arg.rfind("-T", 0) == 0)) {
            (arg[1] == 'P' ? printerName : title) = arg.substr(2);
            titleGiven = titleGiven || arg[1] == 'T';
        } else if (arg == "--") {
            files.insert(files.end(), argv + i + 1, argv + argc);
            break;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "zorvaline print: unknown option %s (try 'zorvaline print --help')\n", arg.c_str());
            return kUsageOrSpooler;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty())
        files.push_back("-");

    if (printerName.empty()) {
        printerName = defaultPrinterName();
        if (printerName.empty() && GetLastError() != ERROR_FILE_NOT_FOUND) {
            std::fprintf(stderr, "zorvaline print: cannot tell the default printer: %s\n",
                         DescribeSpoolerError(GetLastError()).c_str());
            return kUsageOrSpooler;
        }
        if (printerName.empty()) {
            std::fprintf(stderr, "zorvaline print: there is no default printer; name one with -P\n");
            return kUsageOrSpooler;
        }
    }
    std::vector<Input> inputs;
    if (!openInputs(files, inputs))
        return kUsageOrSpooler;

    HANDLE printer = nullptr;
    if (!OpenPrinter(printerName.data(), &printer, nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_INVALID_PRINTER_NAME)
            std::fprintf(stderr, "zorvaline print: no printer named %s (see 'zorvaline printers')\n",
                         printerName.c_str());
        else
            std::fprintf(stderr, "zorvaline print: cannot open printer %s: %s\n", printerName.c_str(),
                         DescribeSpoolerError(error).c_str());
        return kUsageOrSpooler;
    }

    auto counter = std::make_unique<MessageBoxCounter>();
    const MessageBoxCounter &ui = *counter;
    zorplat::SetUiBackend(std::move(counter));

    const bool internetPort = onInternetPort(printer);
    std::vector<BYTE> chunk(kChunkSize);
    PrintResult result = kDelivered;
    for (const Input &input : inputs) {
        const std::string jobTitle = titleGiven ? title : input.name == "-" ? "stdin" : baseName(input.name);
        const PrintResult one = printOne(printer, printerName, internetPort, input, jobTitle, ui, chunk);
        if (one > result)
            result = one;
        if (result == kUsageOrSpooler)
            break; // the spooler itself failed: later jobs would fail the same way
    }
    for (const Input &input : inputs)
        if (input.fd != STDIN_FILENO)
            close(input.fd);
    ClosePrinter(printer);
    zorplat::SetUiBackend(nullptr); // the counter goes with it
    return result;
}
