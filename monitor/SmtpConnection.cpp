#include "monitor/SmtpConnection.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace ws = zorplat::winsock;

namespace zormon {

namespace {

// RFC 5321, section 4.5.3.1.5: a reply line is at most 512 octets. Twice that is accepted
// from a lax server; a longer line, or a reply of more lines than any real server sends,
// means the peer is not speaking SMTP, and waiting on would only hold the monitor up.
constexpr size_t kMaxReplyLineLength = 1024;
constexpr int kMaxReplyLines = 100;
constexpr int kReceiveChunk = 4096;
// Text is handed to the socket in pieces its length argument can hold.
constexpr size_t kMaxSendLength = size_t{1} << 30;

int leadingNumber(std::string_view line)
{
    int value = 0;
    size_t i = 0;
    for (; i < line.size() && i < 9 && line[i] >= '0' && line[i] <= '9'; ++i)
        value = value * 10 + (line[i] - '0');
    return value;
}

// "250-..." continues a reply; anything else ends it (RFC 5321, section 4.2.1).
bool continuesReply(std::string_view line)
{
    return line.size() > 3 && line[3] == '-';
}

} // namespace

DWORD SmtpTimeout(DWORD standardMs)
{
    const char *text = std::getenv("ZORVALINE_SMTP_TIMEOUT_S");
    if (!text || !*text)
        return standardMs;
    char *end = nullptr;
    long seconds = std::strtol(text, &end, 10);
    if (*end != '\0' || seconds <= 0 || seconds > 24 * 60 * 60)
        return standardMs;
    return static_cast<DWORD>(seconds) * 1000;
}

SmtpConnection::~SmtpConnection()
{
    abandon();
}

void SmtpConnection::attach(ws::SOCKET socket)
{
    abandon();
    m_socket = socket;
    m_received.clear();
    zorplat::SetSendTimeout(m_socket, SmtpTimeout(kDataBlockTimeoutMs));
}

bool SmtpConnection::sendAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        size_t length = std::min(bytes.size(), kMaxSendLength);
        if (ws::send(m_socket, bytes.data(), static_cast<int>(length), 0) != static_cast<int>(length))
            return false;
        bytes.remove_prefix(length);
    }
    return true;
}

bool SmtpConnection::sendCommand(std::string_view command)
{
    return isOpen() && sendAll(command);
}

SmtpReply SmtpConnection::readReply(DWORD timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    SmtpReply reply;
    if (!isOpen())
        return reply;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int lines = 0;
    for (;;) {
        size_t end = m_received.find('\n');
        if (end != std::string::npos) {
            std::string line = m_received.substr(0, end + 1);
            m_received.erase(0, end + 1);
            reply.text += line;
            if (line.size() > kMaxReplyLineLength || ++lines > kMaxReplyLines)
                return {0, reply.text};
            if (!continuesReply(line)) {
                reply.code = leadingNumber(line);
                return reply;
            }
            continue;
        }
        if (m_received.size() > kMaxReplyLineLength)
            return {0, reply.text + m_received};

        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return {0, reply.text + m_received};
        zorplat::SetReceiveTimeout(m_socket, static_cast<DWORD>(left));
        char chunk[kReceiveChunk];
        int received = ws::recv(m_socket, chunk, sizeof chunk, 0);
        if (received <= 0) // closed, failed or timed out: the reply never came whole
            return {0, reply.text + m_received};
        m_received.append(chunk, static_cast<size_t>(received));
    }
}

void SmtpConnection::beginData()
{
    m_atLineStart = true;
}

bool SmtpConnection::sendData(std::string_view text)
{
    if (!isOpen())
        return false;
    // Each segment ends just after a dot that starts a line, and the next segment starts
    // at that same dot, so the dot goes out twice while the text is sent in place.
    size_t segmentStart = 0;
    size_t dot = m_atLineStart ? 0 : std::string_view::npos;
    if (dot == 0 && (text.empty() || text[0] != '.'))
        dot = std::string_view::npos;
    if (dot == std::string_view::npos) {
        size_t lineEnd = text.find("\n.");
        dot = lineEnd == std::string_view::npos ? lineEnd : lineEnd + 1;
    }
    while (dot != std::string_view::npos) {
        if (!sendAll(text.substr(segmentStart, dot + 1 - segmentStart)))
            return false;
        segmentStart = dot;
        size_t lineEnd = text.find("\n.", dot + 1);
        dot = lineEnd == std::string_view::npos ? lineEnd : lineEnd + 1;
    }
    if (!sendAll(text.substr(segmentStart)))
        return false;
    if (!text.empty())
        m_atLineStart = text.back() == '\n';
    return true;
}

bool SmtpConnection::endData()
{
    return sendAll(m_atLineStart ? ".\r\n" : "\r\n.\r\n");
}

SmtpConnection::CloseOutcome SmtpConnection::shutdownAndClose()
{
    if (!isOpen())
        return CloseOutcome::Closed;
    CloseOutcome outcome = CloseOutcome::Closed;
    if (ws::shutdown(m_socket, ws::SD_BOTH) != 0)
        outcome = CloseOutcome::ShutdownFailed;
    if (ws::closesocket(m_socket) != 0 && outcome == CloseOutcome::Closed)
        outcome = CloseOutcome::CloseFailed;
    m_socket = ws::INVALID_SOCKET;
    m_received.clear();
    return outcome;
}

void SmtpConnection::abandon()
{
    if (!isOpen())
        return;
    ws::closesocket(m_socket);
    m_socket = ws::INVALID_SOCKET;
    m_received.clear();
}

} // namespace zormon
