#include "tools/JobSubmission.h"

#include "tools/JobProgress.h"
#include "tools/SpoolerText.h"

#include "platform/base/lasterror.h"
#include "platform/spooler/spooler.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace {

// The port of the system's destinations: a job there is mailed only when the destination
// chooser confirms it, and the monitor announces every job it delivered.
constexpr const char *kInternetPort = "ZORVALINE_INTERNET:";

// Jobs are streamed in pieces of this size, so a job of any size needs this much memory.
constexpr size_t kChunkSize = 1 << 20;

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

} // namespace

JobSubmission::JobSubmission(HANDLE printer, std::string printerName, const MessageBoxCounter &ui,
                             std::string messagePrefix)
    : m_printer(printer), m_printerName(std::move(printerName)), m_ui(ui), m_prefix(std::move(messagePrefix)),
      m_internetPort(onInternetPort(printer))
{
}

// The failure of a spooler job call: the monitor's (not delivered) or the spooler's own.
JobOutcome JobSubmission::reportFailure(const std::string &title, const char *stage)
{
    const DWORD error = GetLastError();
    const std::string monitorCall = zorplat::FailedMonitorCall(m_printer);
    if (!monitorCall.empty()) {
        std::fprintf(stderr, "%s%s on %s: the monitor failed %s: %s\n", m_prefix.c_str(), title.c_str(),
                     m_printerName.c_str(), monitorCall.c_str(), DescribeSpoolerError(error).c_str());
        return JobOutcome::NotDelivered;
    }
    std::fprintf(stderr, "%s%s on %s: cannot %s: %s\n", m_prefix.c_str(), title.c_str(), m_printerName.c_str(), stage,
                 DescribeSpoolerError(error).c_str());
    return JobOutcome::SpoolerFailed;
}

bool JobSubmission::writeBytes(const char *data, size_t size, const std::string &title, JobOutcome &outcome)
{
    DWORD written = 0;
    // WritePrinter never modifies the buffer.
    if (WritePrinter(m_printer, const_cast<char *>(data), static_cast<DWORD>(size), &written))
        return true;
    outcome = reportFailure(title, "write the job");
    return false;
}

JobOutcome JobSubmission::print(const JobInput &input, const std::string &title)
{
    DOC_INFO_1A docInfo{const_cast<char *>(title.c_str()), nullptr, const_cast<char *>("RAW")};
    const int stopBoxesBefore = m_ui.stopBoxes();
    const int informationBoxesBefore = m_ui.informationBoxes();
    if (!StartDocPrinter(m_printer, 1, reinterpret_cast<LPBYTE>(&docInfo)))
        return reportFailure(title, "start the job");

    JobOutcome outcome = JobOutcome::Delivered;
    JobProgress progress(title, input.size());
    // Left uninitialised: a small job touches one page of it instead of clearing a megabyte.
    const std::unique_ptr<char[]> chunk(new char[kChunkSize]);
    int64_t done = static_cast<int64_t>(input.head().size());
    bool writing = input.head().empty() || writeBytes(input.head().data(), input.head().size(), title, outcome);
    while (writing) {
        const ssize_t got = read(input.fd(), chunk.get(), kChunkSize);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            std::fprintf(stderr, "%scannot read %s: %s\n", m_prefix.c_str(), input.name().c_str(), std::strerror(errno));
            outcome = JobOutcome::SpoolerFailed;
            break;
        }
        if (got == 0)
            break;
        writing = writeBytes(chunk.get(), static_cast<size_t>(got), title, outcome);
        done += got;
        progress.advance(done);
    }
    progress.delivering();
    // The job is ended even after a failure: the monitor holds the port until then.
    if (!EndDocPrinter(m_printer) && outcome == JobOutcome::Delivered)
        outcome = reportFailure(title, "end the job");
    if (outcome == JobOutcome::Delivered && m_ui.stopBoxes() != stopBoxesBefore) {
        std::fprintf(stderr, "%s%s on %s: the monitor reported a failure\n", m_prefix.c_str(), title.c_str(),
                     m_printerName.c_str());
        outcome = JobOutcome::NotDelivered;
    } else if (outcome == JobOutcome::Delivered && m_internetPort && m_ui.informationBoxes() == informationBoxesBefore) {
        // The monitor drops such a job without a word; the chooser has told its reason.
        std::fprintf(stderr, "%s%s on %s: not sent: the destination chooser did not confirm the job\n",
                     m_prefix.c_str(), title.c_str(), m_printerName.c_str());
        outcome = JobOutcome::NotDelivered;
    }
    return outcome;
}
