#include "monitor/StatusRequest.h"

#include "monitor/DeliveryJournal.h"
#include "monitor/MessageBoxRoutine.h"
#include "monitor/MessageId.h"
#include "monitor/MonitorLock.h"
#include "monitor/MonitorStrings.h"
#include "monitor/SmtpClient.h"
#include "platform/sockets/sockets.h"
#include "platform/ui/ui.h"

namespace ws = zorplat::winsock;

extern "C" int ChooserGetStatus(LPSTR address)
{
    // The connection state is process-wide; a job of this process keeps it until it ends.
    zormon::MonitorLockGuard lock;

    zormon::SmtpMessage message;
    message.messageId = zormon::NewMessageId();
    message.address = address ? address : "";
    message.status = true;

    // Without Windows Sockets the request still goes ahead and fails at its socket.
    ws::WSADATA data{};
    if (ws::WSAStartup(ws::MAKEWORD(1, 1), &data) != 0)
        ShowMonitorMessage(GetDesktopWindow(), MB_ICONSTOP, MonitorString::MonitorCaption,
                           MonitorString::SocketsError);
    zormon::SmtpReport report;
    message.report = &report;
    const int result = static_cast<int>(zormon::SendSmtpMessage(message));

    zormon::JournalEntry entry;
    entry.time = zormon::JournalTime();
    entry.kind = "status";
    entry.messageId = message.messageId;
    entry.address = message.address;
    entry.bytes = report.bytesSent;
    entry.result = result;
    entry.reply = result == 0 ? std::string() : report.failure;
    zormon::AppendJournal(entry);
    return result;
}
