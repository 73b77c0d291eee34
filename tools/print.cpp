// `zorvaline print`: hands files (or standard input) to a printer of the spooler, one job
// per file, as an application printing to that printer would. The monitor mails PostScript:
// a PDF is converted first, anything else is refused.
#include "tools/JobInput.h"
#include "tools/JobSubmission.h"
#include "tools/MessageBoxCounter.h"
#include "tools/SpoolerText.h"
#include "tools/commands.h"

#include "platform/base/lasterror.h"
#include "platform/spooler/spooler.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// Exit codes.
enum PrintResult {
    kDelivered = 0,      // every job was handed over and the monitor reported no failure
    kNotDelivered = 1,   // the monitor failed a call or showed a stop box during a job, or
                         // the destination chooser did not confirm a job
    kUsageOrSpooler = 2, // bad usage, unknown printer, unreadable or unprintable input, or
                         // the spooler failed
};

void printHelp()
{
    std::printf("usage: zorvaline print [-P PRINTER] [-T TITLE] [FILE...]\n\n"
                "Prints each FILE as one job on PRINTER; with no FILE (or '-'), prints standard\n"
                "input. The job goes through the spooler of the root to the monitor of the\n"
                "printer's port, which delivers it.\n\n"
                "The destinations on the port ZORVALINE_INTERNET: print PostScript: a\n"
                "PostScript file goes to them as it is, a PDF is converted to PostScript with\n"
                "Ghostscript (gs) first, and any other file (or an empty one) is refused before\n"
                "anything is printed. Printers on other ports get the bytes as they are.\n\n"
                "options:\n"
                "  -P PRINTER  the printer (see 'zorvaline printers'); default: the default printer\n"
                "  -T TITLE    the document name of every job; default: the file's name, or\n"
                "              \"stdin\" for standard input\n"
                "\nexit status: 0 every job delivered; 1 a job was not delivered: the monitor\n"
                "reported a failure (it failed a call, or showed an error message), or, on the\n"
                "port ZORVALINE_INTERNET:, the destination chooser declined the job (no\n"
                "destination, Cancel); 2 bad usage, unknown printer, a file that cannot be read,\n"
                "is empty, is neither PostScript nor PDF or cannot be converted, or spooler\n"
                "failure\n");
}

std::string baseName(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Opens (and converts) every input before the first job, so an input that cannot be printed
// stops the command before anything was printed.
bool openInputs(const std::vector<std::string> &names, bool asPostScript, std::vector<JobInput> &inputs)
{
    const std::string workDir = DefaultWorkDir();
    for (const std::string &name : names) {
        JobInput input;
        std::string problem;
        if (!input.open(name, workDir, problem, asPostScript)) {
            std::fprintf(stderr, "zorvaline print: %s\n", problem.c_str());
            return false;
        }
        inputs.push_back(std::move(input));
    }
    return true;
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
    JobSubmission submission(printer, printerName, ui, "zorvaline print: ");
    std::vector<JobInput> inputs;
    if (!openInputs(files, submission.internetPort(), inputs)) {
        ClosePrinter(printer);
        return kUsageOrSpooler;
    }
    zorplat::SetUiBackend(std::move(counter));
    PrintResult result = kDelivered;
    for (const JobInput &input : inputs) {
        const std::string jobTitle = titleGiven ? title : input.name() == "-" ? "stdin" : baseName(input.name());
        const auto one = static_cast<PrintResult>(submission.print(input, jobTitle));
        if (one > result)
            result = one;
        if (result == kUsageOrSpooler)
            break; // the spooler itself failed: later jobs would fail the same way
    }
    inputs.clear();
    ClosePrinter(printer);
    zorplat::SetUiBackend(nullptr); // the counter goes with it
    return result;
}
