#include "monitor/HeaderComposer.h"

#include "monitor/EncodedWord.h"
#include "monitor/JobSettings.h"
#include "monitor/Md5.h"
#include "monitor/MessageBoxRoutine.h"
#include "monitor/MessageId.h"
#include "monitor/MonitorStrings.h"
#include "platform/ui/ui.h"

namespace zormon {

namespace {

const char *const kCrLf = "\r\n";

// The printer checks the digest of the message id followed by the password, so the password
// itself never travels.
std::string passwordKeyword(const std::string &address, const std::string &messageId)
{
    const std::string password = Password(address);
    if (password.empty())
        return {};
    return "Keyword:password=" + Md5Hex(messageId + password) + kCrLf;
}

// RFC 2046, section 5.2.2: every piece names the job's id, its number and the total.
std::string partialType(const std::string &messageId, const std::string &senderDomain, int piece, int total)
{
    return "Content-Type:message/partial;id=\"<" + messageId + senderDomain + ">\";number="
           + std::to_string(piece) + ";total=" + std::to_string(total) + kCrLf;
}

std::string contentLength(uint64_t length)
{
    return "Content-Length:" + std::to_string(length) + " \r\n\r\n";
}

} // namespace

std::optional<std::string> ComposeHeader(const HeaderRequest &request, HWND owner)
{
    const std::string sender = SenderEmail();
    const std::size_t at = sender.find('@');
    if (at == std::string::npos) {
        ShowMonitorMessage(owner, MB_ICONSTOP, MonitorString::MonitorCaption, MonitorString::NoSender);
        return std::nullopt;
    }
    const std::string senderDomain = sender.substr(at); // with its '@'
    const std::string senderHost = sender.substr(at + 1);
    const bool laterPiece = request.partial && request.piece >= 2;

    std::string block;
    block += "TO:" + request.address + kCrLf;
    block += "Mime-Version:1.0\r\n";
    block += "X-Mailer:Sendaro 1.13\r\n";
    block += "Message-ID:<" + (laterPiece ? NewMessageId() : request.messageId) + senderDomain + ">" + kCrLf;
    block += "Sender: " + sender + kCrLf;
    block += "From: " + sender + kCrLf;
    block += "Reply-To: " + sender + kCrLf;
    block += "Subject: ";

    if (request.status) {
        block += "Get Printer Status \r\n";
        block += "Keyword:language=en\r\n";
        block += passwordKeyword(request.address, request.messageId);
        block += "Keyword:response=4 \r\n";
        return block;
    }

    block += EncodeHeaderText(Subject(request.address)) + kCrLf;
    if (laterPiece) {
        block += partialType(request.messageId, senderDomain, request.piece, request.total);
        block += contentLength(request.bodyLength);
        return block;
    }

    block += "Keyword:language=en\r\n";
    block += passwordKeyword(request.address, request.messageId);
    block += "Keyword:response=" + StatusRequired() + kCrLf;
    if (!request.partial) {
        block += "Content-Type:application/postscript\r\n";
        block += "Content-Transfer-Encoding:quoted-printable\r\n";
        block += contentLength(request.bodyLength);
        return block;
    }

    // The header of the joined message travels at the start of piece 1 only.
    std::string enclosed;
    enclosed += "Content-Type:application/postscript\r\n";
    enclosed += "Content-ID: <" + request.messageId + "@" + senderHost + ">" + kCrLf;
    enclosed += "Content-Transfer-Encoding:quoted-printable\r\n";
    enclosed += "Message-ID: <" + request.messageId + "@" + senderHost + ">\r\n\r\n";
    block += partialType(request.messageId, senderDomain, 1, request.total);
    block += contentLength(request.bodyLength + enclosed.size());
    block += enclosed;
    return block;
}

} // namespace zormon
