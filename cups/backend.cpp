// The CUPS backend "zorvaline": prints a CUPS job to the Windows printer that the queue's
// device URI names, through the spooler of that printer's Windows root, exactly as
// `zorvaline print` does (the same monitor, chooser and mail). With no arguments it lists
// itself for device discovery.
#include "cups/BackendUi.h"
#include "cups/DeliveryClass.h"
#include "cups/DeviceUri.h"
#include "cups/JobCancel.h"
#include "cups/RootAccess.h"
#include "monitor/DeliveryOutcome.h"
#include "tools/JobInput.h"
#include "tools/JobSubmission.h"

#include "platform/base/lasterror.h"
#include "platform/files/fullio.h"
#include "platform/kernel/module.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/ui.h"

#include <cups/backend.h>
#include <cups/cups.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// No mail server takes a job this large (they stop at tens of megabytes), and the encoded
// mail needs up to three times as much disk in the root: larger jobs are refused at once.
constexpr int64_t kMaxJobBytes = int64_t{1} << 30;
constexpr size_t kCopyBlock = 1 << 20;
// The module the spooler loaded for the destinations' port; it tells why a delivery failed.
constexpr const char *kMonitorModule = "ZORMON.DLL";

int fail(cups_backend_t status, const std::string &message)
{
    std::fprintf(stderr, "ERROR: %s\n", OneLine(message).c_str());
    return status;
}

// Copies the job into an unnamed file of the root, so it is whole before the spooler sees a
// byte of it, and a cancel while CUPS's filters still run leaves nothing behind.
int copyJob(int source, const std::string &root, std::string &problem)
{
    const int copy = CreateUnnamedFile(root);
    if (copy < 0) {
        problem = "cannot make a work file in the Windows root " + root + ": " + std::strerror(errno);
        return -1;
    }
    std::vector<char> block(kCopyBlock);
    int64_t total = 0;
    for (;;) {
        if (JobCancel::Requested()) {
            close(copy);
            problem = "the job was cancelled before it was sent";
            return -1;
        }
        const ssize_t n = read(source, block.data(), block.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            problem = std::string("cannot read the job: ") + std::strerror(errno);
            close(copy);
            return -1;
        }
        if (n == 0)
            break;
        total += n;
        if (total > kMaxJobBytes) {
            problem = "the job is larger than " + std::to_string(kMaxJobBytes >> 20) + " MB; no mail server takes it";
            close(copy);
            return -1;
        }
        if (!zorplat::WriteFully(copy, block.data(), static_cast<size_t>(n))) {
            problem = "cannot write the job into the Windows root " + root + ": " + std::strerror(errno);
            close(copy);
            return -1;
        }
    }
    lseek(copy, 0, SEEK_SET);
    return copy;
}

// The exit status of a job the monitor did not deliver.
cups_backend_t undelivered()
{
    HMODULE monitor = GetModuleHandle(kMonitorModule);
    auto result = monitor ? reinterpret_cast<GetDeliveryResultProc>(GetProcAddress(monitor, "GetDeliveryResult"))
                          : nullptr;
    int smtpResult = 0;
    int replyCode = 0;
    if (result && result(&smtpResult, &replyCode) && IsTransientSendFailure(smtpResult, replyCode)) {
        std::fputs("INFO: The mail server could not take the job now; CUPS tries again later\n", stderr);
        return CUPS_BACKEND_RETRY;
    }
    return CUPS_BACKEND_FAILED;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 1) {
        std::puts("network zorvaline \"Unknown\" \"Zorvaline Internet printer\"");
        return CUPS_BACKEND_OK;
    }
    if (argc < 6 || argc > 7) {
        std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
        return CUPS_BACKEND_FAILED;
    }
    std::setvbuf(stderr, nullptr, _IOLBF, 0);
    JobCancel::Watch();

    // 1. the queue: its device URI names the printer and its root (queue faults stop the
    //    queue, so its jobs wait for the administrator instead of failing one by one)
    const char *uriText = std::getenv("DEVICE_URI");
    std::string problem;
    const auto uri = ParseDeviceUri(uriText ? uriText : argv[0], problem);
    if (!uri)
        return fail(CUPS_BACKEND_STOP, problem);

    // 2. the job's arguments
    char *end = nullptr;
    const long copies = std::strtol(argv[4], &end, 10);
    if (*argv[4] == '\0' || *end != '\0' || copies < 1)
        return fail(CUPS_BACKEND_FAILED, std::string("the number of copies \"") + argv[4] + "\" is not a number above 0");
    // The job's options (media, job-uuid, job-originating-host-name ...) concern CUPS and its
    // filters; the destination's settings come from the chooser. They are only logged.
    cups_option_t *options = nullptr;
    const int optionCount = cupsParseOptions(argv[5], 0, &options);
    if (optionCount > 0)
        std::fprintf(stderr, "DEBUG: %d job options left to CUPS (%s)\n", optionCount, argv[5]);
    cupsFreeOptions(optionCount, options);
    if (copies > 1)
        std::fprintf(stderr, "WARNING: %ld copies asked for; the destination prints the job once\n", copies);

    // 3. the job's file, opened while CUPS's rights still hold
    int source = STDIN_FILENO;
    if (argc == 7) {
        source = open(argv[6], O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (source < 0 || fstat(source, &info) != 0)
            return fail(CUPS_BACKEND_FAILED, std::string("cannot read the job file ") + argv[6] + ": " + std::strerror(errno));
        if (S_ISREG(info.st_mode) && info.st_size > kMaxJobBytes)
            return fail(CUPS_BACKEND_FAILED, "the job is larger than " + std::to_string(kMaxJobBytes >> 20) +
                                                 " MB; no mail server takes it");
    }

    // 4. the root, as its owner
    const RootAccessResult access = EnterRoot(uri->root);
    if (!access.ok)
        return fail(CUPS_BACKEND_STOP, access.problem);
    setenv("ZORVALINE_ROOT", uri->root.c_str(), 1);
    setenv("ZORVALINE_UI", "headless", 1);

    // 5. the whole job, then what it is
    const int copy = copyJob(source, uri->root, problem);
    if (copy < 0)
        return JobCancel::Requested() ? CUPS_BACKEND_CANCEL : fail(CUPS_BACKEND_FAILED, problem);
    const std::string title = argv[3];
    JobInput input;
    if (!input.open(copy, "job " + std::string(argv[1]) + " (" + title + ")", uri->root, problem))
        return fail(CUPS_BACKEND_FAILED, problem);

    // 6. the printer
    HANDLE printer = nullptr;
    std::string printerName = uri->printer;
    if (!OpenPrinter(printerName.data(), &printer, nullptr))
        return fail(CUPS_BACKEND_STOP, "no printer named " + uri->printer + " in the Windows root " + uri->root +
                                           " (error " + std::to_string(GetLastError()) + ")");
    if (JobCancel::Requested()) {
        ClosePrinter(printer);
        return CUPS_BACKEND_CANCEL;
    }

    // 7. the job, through the spooler
    auto ui = std::make_unique<BackendUi>();
    const BackendUi &journal = *ui;
    JobSubmission submission(printer, uri->printer, journal, "ERROR: ");
    zorplat::SetUiBackend(std::move(ui));
    std::fputs("STATE: +connecting-to-device\n", stderr);
    const JobOutcome outcome = submission.print(input, title.empty() ? "Untitled" : title);
    std::fputs("STATE: -connecting-to-device\n", stderr);
    ClosePrinter(printer);

    int status = CUPS_BACKEND_OK;
    if (JobCancel::Requested())
        status = CUPS_BACKEND_CANCEL;
    else if (outcome == JobOutcome::NotDelivered)
        status = undelivered();
    else if (outcome == JobOutcome::SpoolerFailed)
        status = CUPS_BACKEND_STOP; // the root's spooler is out of order: every job would fail
    else
        std::fprintf(stderr, "INFO: %s sent to %s\n", title.c_str(), uri->printer.c_str());
    zorplat::SetUiBackend(nullptr);
    return status;
}
