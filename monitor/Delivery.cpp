#include "monitor/Delivery.h"

#include "monitor/CoverPage.h"
#include "monitor/CoverPageAttach.h"
#include "monitor/DebugLine.h"
#include "monitor/DeliveryOutcome.h"

#include "monitor/DeliveryJournal.h"
#include "monitor/JobSettings.h"
#include "monitor/MessageBoxRoutine.h"
#include "monitor/MessageId.h"
#include "monitor/MonitorStrings.h"
#include "monitor/PiecePlan.h"
#include "monitor/ProgressWindow.h"
#include "monitor/QuotedPrintable.h"
#include "monitor/ScopedHandle.h"
#include "monitor/SmtpClient.h"
#include "platform/files/files.h"
#include "platform/sockets/sockets.h"
#include "platform/ui/ui.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace zormon {

namespace {

// Nothing in this process holds the input focus: boxes "owned by the focus window" have no
// owner.
constexpr HWND kFocusWindow = nullptr;

bool fail(HWND owner, UINT captionId, UINT textId)
{
    ShowMonitorMessage(owner, MB_ICONSTOP, captionId, textId);
    return false;
}

uint64_t sizeOf(HANDLE file)
{
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    return (uint64_t{high} << 32) | low;
}

// The items of a comma-separated list, empty items skipped.
std::vector<std::string> splitAddresses(std::string_view list)
{
    std::vector<std::string> addresses;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string_view::npos)
            comma = list.size();
        if (comma > start)
            addresses.emplace_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return addresses;
}

// Whatever the chooser wrote, an address goes into RCPT and the "TO:" line only when it holds
// no control character (a NUL would cut the command, other control bytes corrupt it) and
// has the "@" of a mailbox (RFC 5321, section 4.1.2).
bool mailable(std::string_view address)
{
    for (char c : address)
        if (static_cast<unsigned char>(c) < ' ' || c == '\x7f')
            return false;
    return address.find('@') != std::string_view::npos;
}

// The address for a diagnostic line: control characters as "\xNN".
std::string escaped(std::string_view address)
{
    std::string text;
    for (char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < ' ' || byte == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            text += hex;
        } else {
            text += c;
        }
    }
    return text;
}

// The spool file's running number: "C:\ZORVALINE\Varnel.17" is job 17.
std::string jobNumber(const std::string &spoolPath)
{
    size_t dot = spoolPath.rfind('.');
    return dot == std::string::npos ? std::string() : spoolPath.substr(dot + 1);
}

// Cover pages, encoding and send for one address; shows the message of a failure.
// What happened goes into `entry`; a failure before the mail is handed over counts as
// NotPrepared.
bool sendToAddress(const DeliveryJob &job, const std::string &address, uint64_t jobSize, JournalEntry &entry)
{
    const std::string encodedPath = InstallPath("Varnel.cod");
    const UINT portCaption = MonitorString::InternetPort;

    // 1. the cover pages, made whether asked for or not; a missing template shows up as a
    // page that cannot be opened when one is asked for
    const std::string split = Split(address);
    const bool banner = HeaderWanted(address);
    const bool trailer = TrailerWanted(address);
    GenerateCoverPages(ReadCoverPageFacts(address, job.printerName, job.date, job.time));

    // 2. a fresh message id for this address
    const std::string messageId = NewMessageId();
    entry.messageId = messageId;

    // 3. the pages asked for
    CoverPages pages;
    if (!ReadCoverPages(banner, trailer, kFocusWindow, pages))
        return false;

    // 4. banner, job and trailer encoded as one text straight from the spool file, so the job
    // is never copied; the encoded file is removed when it is closed. A failed encoding
    // leaves no file, and an older one at the name must not be sent in its place.
    if (!EncodeQuotedPrintable(pages.banner, job.spoolPath, pages.trailer, encodedPath))
        return fail(kFocusWindow, portCaption, MonitorString::CannotCreateEncoded);
    ScopedHandle encoded(CreateFile(encodedPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!encoded.valid())
        return fail(kFocusWindow, portCaption, MonitorString::CannotCreateEncoded);

    // 5. nothing was printed
    if (jobSize == 0)
        return fail(kFocusWindow, MonitorString::MonitorCaption, MonitorString::JobSizeZero);

    // 6. one message, or pieces over one connection
    const PiecePlan plan = PlanPieces(split, sizeOf(encoded.get()));
    SmtpReport report;
    SmtpResult result = plan.pieceCount > 1
                     ? SendInPieces(encoded.get(), address, plan, messageId, kFocusWindow, &report)
                     : SendWholeMessage(encoded.get(), address, sizeOf(encoded.get()), messageId,
                                        kFocusWindow, &report);
    entry.piece = std::max(report.piece, 1);
    entry.pieces = static_cast<int>(std::max<uint64_t>(plan.pieceCount, 1));
    entry.bytes = report.bytesSent;
    entry.result = static_cast<int>(result);
    entry.reply = result == SmtpResult::Sent ? std::string() : report.failure;
    // 7. the sender has shown its message
    return result == SmtpResult::Sent;
}

} // namespace

bool DeliverJob(const DeliveryJob &job)
{
    ResetDeliveryOutcome();
    ProgressWindow::Step();
    ProgressWindow::Step();

    zorplat::winsock::WSADATA data{};
    if (zorplat::winsock::WSAStartup(zorplat::winsock::MAKEWORD(1, 1), &data) != 0)
        return fail(GetDesktopWindow(), MonitorString::MonitorCaption, MonitorString::SocketsError);
    // Held open until the delivery ends, and removed with the last handle.
    ScopedHandle spool(CreateFile(job.spoolPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_DELETE_ON_CLOSE,
                                  nullptr));
    if (!spool.valid())
        return fail(GetDesktopWindow(), MonitorString::MonitorCaption, MonitorString::CannotCreateJob);

    const uint64_t jobSize = sizeOf(spool.get());
    // A list of nothing but commas names no recipient either.
    const std::vector<std::string> addresses = splitAddresses(DestinationAddresses());
    if (addresses.empty())
        return fail(kFocusWindow, MonitorString::MonitorCaption, MonitorString::NoRecipient);
    // Checked before anything is sent, so a bad answer of the chooser never leaves the job
    // delivered to some of its addresses only.
    for (const std::string &address : addresses) {
        if (!mailable(address)) {
            DebugLine("zormon!DeliverJob address \"%s\": not a mailbox", escaped(address).c_str());
            return fail(kFocusWindow, MonitorString::MonitorCaption, MonitorString::NoRecipient);
        }
    }

    for (const std::string &address : addresses) {
        JournalEntry entry;
        entry.kind = "job";
        entry.job = jobNumber(job.spoolPath);
        entry.document = JobDocumentName();
        entry.printer = job.printerName;
        entry.address = address;
        entry.result = static_cast<int>(SmtpResult::NotPrepared);
        bool sent = sendToAddress(job, address, jobSize, entry);
        entry.time = JournalTime();
        AppendJournal(entry);
        ClearOneShotKeys(address);
        if (!sent)
            return false;
    }
    return true;
}

} // namespace zormon
