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
// A reply described for a message is cut here: a reply line holds no more (section
// 4.5.3.1.5), and a peer that sends more is not answering as a server.
constexpr size_t kMaxDescribedLength = 512;
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

// A reply cut short: the code stays 0, the text keeps what did arrive.
SmtpReply noReply(std::string text, std::string problem)
{
    return {0, std::move(text), std::move(problem)};
}

// Where the next "\n." of `text` starts, at or after `from`; npos when there is none. Such a
// line start is rare in an encoded job, so 64-byte blocks are tested whole (the compiler
// tests many bytes at once) and only the block that holds one is searched byte by byte.
size_t findLineStartDot(std::string_view text, size_t from)
{
    constexpr size_t kBlock = 64;
    const char *bytes = text.data();
    size_t at = from;
    for (; at + kBlock < text.size(); at += kBlock) {
        unsigned char found = 0;
        for (size_t i = 0; i < kBlock; ++i)
            found |= (bytes[at + i] == '\n') & (bytes[at + i + 1] == '.');
        if (found)
            break;
    }
    for (; at + 1 < text.size(); ++at)
        if (bytes[at] == '\n' && bytes[at + 1] == '.')
            return at;
    return std::string_view::npos;
}

} // namespace

std::string DescribeReply(const SmtpReply &reply)
{
    std::string line;
    for (size_t i = 0; i < reply.text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(reply.text[i]);
        if (c == '\r' && i + 1 < reply.text.size() && reply.text[i + 1] == '\n')
            continue;
        if (c == '\n')
            line += ' ';
        else
            line += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    if (line.size() > kMaxDescribedLength)
        line = line.substr(0, kMaxDescribedLength) + "...";
    if (reply.problem.empty())
        return line;
    return line.empty() ? reply.problem : reply.problem + " (\"" + line + "\")";
}

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
    m_lastReplyCode = 0;
    zorplat::SetSendTimeout(m_socket, SmtpTimeout(kDataBlockTimeoutMs));
}

bool SmtpConnection::sendAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const int length = static_cast<int>(std::min(bytes.size(), kMaxSendLength));
        const int sent = m_tls ? m_tls->send(bytes.data(), length) : ws::send(m_socket, bytes.data(), length, 0);
        if (sent != length)
            return false;
        if (m_inData)
            m_dataBytes += static_cast<uint64_t>(length);
        bytes.remove_prefix(static_cast<size_t>(length));
    }
    return true;
}

int SmtpConnection::receive(char *buffer, int len)
{
    return m_tls ? m_tls->recv(buffer, len) : ws::recv(m_socket, buffer, len, 0);
}

bool SmtpConnection::sendCommand(std::string_view command)
{
    m_awaitsCommand = false;
    m_lastReplyCode = 0;
    m_inData = false;
    return isOpen() && sendAll(command);
}

TlsChannel::Outcome SmtpConnection::startTls(const std::string &server, const std::string &caFile, DWORD timeoutMs,
                                             std::string &problem)
{
    if (!m_received.empty()) {
        problem = "the server sent more than its reply before TLS began";
        abandon();
        return TlsChannel::Outcome::Failed;
    }
    zorplat::SetReceiveTimeout(m_socket, timeoutMs);
    auto channel = std::make_unique<TlsChannel>();
    const TlsChannel::Outcome outcome = channel->start(m_socket, server, caFile, problem);
    if (outcome != TlsChannel::Outcome::Started) {
        abandon();
        return outcome;
    }
    m_tls = std::move(channel);
    m_awaitsCommand = true;
    return outcome;
}

SmtpReply SmtpConnection::readReply(DWORD timeoutMs)
{
    SmtpReply reply = receiveReply(timeoutMs);
    // RFC 5321, section 4.2.1: a 3yz reply asks for more text, not for a command.
    m_awaitsCommand = reply.code != 0 && reply.code / 100 != 3;
    m_lastReplyCode = reply.code;
    return reply;
}

SmtpReply SmtpConnection::receiveReply(DWORD timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    SmtpReply reply;
    if (!isOpen())
        return noReply({}, "the connection is closed");
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int lines = 0;
    for (;;) {
        size_t end = m_received.find('\n');
        if (end != std::string::npos) {
            std::string line = m_received.substr(0, end + 1);
            m_received.erase(0, end + 1);
            reply.text += line;
            if (line.size() > kMaxReplyLineLength || ++lines > kMaxReplyLines)
                return noReply(reply.text, "the reply is longer than an SMTP reply may be");
            if (!continuesReply(line)) {
                reply.code = leadingNumber(line);
                return reply;
            }
            continue;
        }
        if (m_received.size() > kMaxReplyLineLength)
            return noReply(reply.text + m_received, "the reply is longer than an SMTP reply may be");

        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return noReply(reply.text + m_received, "no reply within " + std::to_string(timeoutMs / 1000) + " s");
        zorplat::SetReceiveTimeout(m_socket, static_cast<DWORD>(left));
        char chunk[kReceiveChunk];
        int received = receive(chunk, sizeof chunk);
        if (received == 0)
            return noReply(reply.text + m_received, "the server closed the connection");
        if (received < 0) {
            const int error = ws::WSAGetLastError();
            if (error == ws::WSAETIMEDOUT)
                return noReply(reply.text + m_received,
                               "no reply within " + std::to_string(timeoutMs / 1000) + " s");
            return noReply(reply.text + m_received, "receive error " + std::to_string(error));
        }
        m_received.append(chunk, static_cast<size_t>(received));
    }
}

void SmtpConnection::beginData()
{
    m_atLineStart = true;
    m_awaitsCommand = false;
    m_inData = true;
    m_dataBytes = 0;
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
        size_t lineEnd = findLineStartDot(text, 0);
        dot = lineEnd == std::string_view::npos ? lineEnd : lineEnd + 1;
    }
    while (dot != std::string_view::npos) {
        if (!sendAll(text.substr(segmentStart, dot + 1 - segmentStart)))
            return false;
        segmentStart = dot;
        size_t lineEnd = findLineStartDot(text, dot + 1);
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
    m_lastReplyCode = 0;
    return sendAll(m_atLineStart ? ".\r\n" : "\r\n.\r\n");
}

SmtpConnection::CloseOutcome SmtpConnection::shutdownAndClose()
{
    if (!isOpen())
        return CloseOutcome::Closed;
    // No TLS close_notify: after its 221 the server closes at once, and a record sent into
    // a closed connection draws a reset that would fail the shutdown of a delivered job.
    // QUIT and its reply have ended the session already.
    CloseOutcome outcome = CloseOutcome::Closed;
    if (ws::shutdown(m_socket, ws::SD_BOTH) != 0)
        outcome = CloseOutcome::ShutdownFailed;
    if (ws::closesocket(m_socket) != 0 && outcome == CloseOutcome::Closed)
        outcome = CloseOutcome::CloseFailed;
    forget();
    return outcome;
}

void SmtpConnection::quitAndClose(DWORD timeoutMs)
{
    if (m_awaitsCommand && sendCommand("quit\r\n"))
        readReply(timeoutMs);
    abandon();
}

void SmtpConnection::abandon()
{
    if (!isOpen())
        return;
    ws::closesocket(m_socket);
    forget();
}

void SmtpConnection::forget()
{
    m_tls.reset();
    m_socket = ws::INVALID_SOCKET;
    m_received.clear();
    m_awaitsCommand = false;
    m_inData = false;
}

} // namespace zormon
