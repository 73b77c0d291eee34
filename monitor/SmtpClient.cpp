#include "monitor/SmtpClient.h"

#include "monitor/BodyReader.h"
#include "monitor/DebugLine.h"
#include "monitor/DeliveryOutcome.h"
#include "monitor/HeaderComposer.h"
#include "monitor/JobSettings.h"
#include "monitor/MessageBoxRoutine.h"
#include "monitor/MonitorStrings.h"
#include "monitor/ProgressWindow.h"
#include "monitor/SmtpAuthentication.h"
#include "monitor/SmtpConnection.h"
#include "monitor/SmtpExtensions.h"
#include "monitor/SubmissionSettings.h"
#include "platform/sockets/sockets.h"
#include "platform/ui/ui.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <optional>
#include <string_view>

namespace ws = zorplat::winsock;

namespace zormon {

namespace {

// Stage titles, each with the printer name for "%s".
constexpr const char *kStageEncoded = "Vireon Internet Printing on %s Print Job Encoded";
constexpr const char *kStageHeaders = "Vireon Internet Printing on %s Generating Headers";
constexpr const char *kStageConnecting = "Vireon Internet Printing on %s Connecting";
constexpr const char *kStageEncrypting = "Vireon Internet Printing on %s Encrypting";
constexpr const char *kStageHandshake = "Vireon Internet Printing on %s Identification Handshake";
constexpr const char *kStageLogin = "Vireon Internet Printing on %s Logging In";
constexpr const char *kStageSending = "Vireon Internet Printing on %s Sending Data";
constexpr const char *kStageSent = "Vireon Internet Printing on %s Data Sent";

// The connection of the job being sent; the monitor lock keeps it to one job at a time.
SmtpConnection g_connection;
// What the server offered on it, after the last EHLO (RFC 3207, section 4.2: what came
// before STARTTLS is forgotten).
SmtpExtensions g_extensions;

bool isLoopback(const ws::sockaddr_in &address)
{
    return (ws::ntohl(address.sin_addr) >> 24) == 127;
}

class Send {
public:
    Send(const SmtpMessage &message, SmtpReport &report) : m_message(message), m_report(report) {}
    SmtpResult run();
    // The connection and its handshake, then QUIT. Shows no message: the report says it all.
    SmtpResult probe();

private:
    // Ends the conversation (QUIT when the server awaits a command), then shows the message
    // with what went wrong at the failed step beside it.
    SmtpResult fail(SmtpResult result, UINT textId, const char *argument = nullptr);
    // Notes what went wrong at a step, for the message and the diagnostic output.
    void noteFailure(const std::string &what);
    void note(const std::string &line);
    // The mail text could not be sent.
    SmtpResult failText();
    // The header block, then the body block by block and its tail (none for a status request).
    SmtpResult sendText(const std::string &header, BodyReader *body);
    void stage(const char *title);
    void stageTitle(const char *title);
    bool readSettings();
    SmtpResult connect();
    SmtpResult greet(const std::string &domain);
    SmtpResult startTls(const std::string &server);
    SmtpResult logIn(bool loopback);
    // Sends the command and reads the reply; true when its code is `expected`.
    bool exchange(const std::string &command, int expected, DWORD timeoutMs, SmtpReply *answer = nullptr);

    const SmtpMessage &m_message;
    SmtpReport &m_report;
    SubmissionSettings m_settings;
    std::string m_server;
    bool m_showsMessages = true;
};

void Send::noteFailure(const std::string &what)
{
    m_report.failure = what;
    DebugLine("zormon!SendSmtpMessage %s", what.c_str());
}

void Send::note(const std::string &line)
{
    m_report.transcript.push_back(line);
}

SmtpResult Send::fail(SmtpResult result, UINT textId, const char *argument)
{
    NoteSendFailure(result, g_connection.lastReplyCode());
    g_connection.quitAndClose(SmtpTimeout(kQuitTimeoutMs));
    if (m_showsMessages)
        ShowMonitorMessageWithDetails(m_message.owner, MB_ICONSTOP, MonitorString::MonitorCaption, textId,
                                      m_report.failure.c_str(), argument);
    return result;
}

SmtpResult Send::failText()
{
    noteFailure("mail text: could not be sent, error " + std::to_string(ws::WSAGetLastError()));
    return fail(SmtpResult::EndOfDataRefused, MonitorString::DataEndRefused);
}

SmtpResult Send::sendText(const std::string &header, BodyReader *body)
{
    g_connection.beginData();
    if (!g_connection.sendData(header))
        return failText();
    if (!body)
        return SmtpResult::Sent;
    std::string_view block;
    do {
        if (!body->next(block)) { // the reader has shown why
            DebugLine("zormon!SendSmtpMessage body: cannot be read");
            // Only the end-of-data line could end the text, and it would deliver the mail
            // cut short: the connection is dropped without a goodbye instead.
            g_connection.abandon();
            return SmtpResult::NotPrepared;
        }
        if (!g_connection.sendData(block))
            return failText();
    } while (!block.empty());
    std::string tail;
    if (!body->readTail(tail)) {
        DebugLine("zormon!SendSmtpMessage body: cannot be read");
        g_connection.abandon();
        return SmtpResult::NotPrepared;
    }
    if (!g_connection.sendData(tail))
        return failText();
    return SmtpResult::Sent;
}

void Send::stage(const char *title)
{
    if (m_message.pieces == 1)
        ProgressWindow::ShowStage(title);
}

void Send::stageTitle(const char *title)
{
    if (m_message.pieces == 1)
        ProgressWindow::ShowStageTitle(title);
}

bool Send::exchange(const std::string &command, int expected, DWORD timeoutMs, SmtpReply *answer)
{
    const std::string verb = command.substr(0, command.size() - 2); // without its CR LF
    if (!g_connection.sendCommand(command)) {
        noteFailure(verb + ": could not be sent, error " + std::to_string(ws::WSAGetLastError()));
        return false;
    }
    SmtpReply reply = g_connection.readReply(SmtpTimeout(timeoutMs));
    if (answer)
        *answer = reply;
    if (reply.code == expected)
        return true;
    noteFailure(verb + ": " + DescribeReply(reply));
    return false;
}

bool Send::readSettings()
{
    std::string invalid;
    std::optional<SubmissionSettings> settings = ReadSubmissionSettings(invalid);
    if (!settings) {
        noteFailure("the communication setup holds " + invalid);
        fail(SmtpResult::NotPrepared, MonitorString::SettingInvalid, invalid.c_str());
        return false;
    }
    m_settings = std::move(*settings);
    return true;
}

SmtpResult Send::startTls(const std::string &server)
{
    stageTitle(kStageEncrypting);
    std::string problem;
    switch (g_connection.startTls(server, m_settings.caFile, SmtpTimeout(kGreetingTimeoutMs), problem)) {
    case TlsChannel::Outcome::Started:
        note("TLS: " + g_connection.encryption());
        return SmtpResult::Sent;
    case TlsChannel::Outcome::CertificateRejected:
        noteFailure("TLS: " + problem);
        return fail(SmtpResult::CertificateRejected, MonitorString::CertificateRejected, server.c_str());
    case TlsChannel::Outcome::Failed:
        break;
    }
    noteFailure("TLS: " + problem);
    return fail(SmtpResult::TlsNotStarted, MonitorString::TlsNotStarted, server.c_str());
}

SmtpResult Send::greet(const std::string &domain)
{
    // RFC 5321, section 3.2: a server that does not know EHLO refuses it with 5xx and is
    // greeted with HELO instead; it then offers no extension.
    const std::string ehlo = "EHLO " + domain;
    if (!g_connection.sendCommand(ehlo + "\r\n")) {
        noteFailure(ehlo + ": could not be sent, error " + std::to_string(ws::WSAGetLastError()));
        return fail(SmtpResult::HandshakeRefused, MonitorString::HandshakeFailed);
    }
    SmtpReply reply = g_connection.readReply(SmtpTimeout(kMailTimeoutMs));
    if (reply.code == 250) {
        g_extensions = ParseExtensions(reply.text);
        note("EHLO: offers " + (g_extensions.keywords.empty() ? std::string("no extension") : g_extensions.describe()));
        return SmtpResult::Sent;
    }
    if (reply.code / 100 != 5) {
        noteFailure(ehlo + ": " + DescribeReply(reply));
        return fail(SmtpResult::HandshakeRefused, MonitorString::HandshakeFailed);
    }
    g_extensions = SmtpExtensions();
    note("EHLO: " + DescribeReply(reply) + "; HELO instead");
    if (!exchange("HELO " + domain + "\r\n", 250, kMailTimeoutMs))
        return fail(SmtpResult::HandshakeRefused, MonitorString::HandshakeFailed);
    return SmtpResult::Sent;
}

SmtpResult Send::logIn(bool loopback)
{
    const char *server = m_server.c_str();
    if (!g_connection.isEncrypted() && !loopback) {
        noteFailure("AUTH: the login goes over an encrypted connection only (SmtpSecurity starttls or tls)");
        return fail(SmtpResult::LoginRefused, MonitorString::LoginFailed, server);
    }
    stageTitle(kStageLogin);
    std::string step;
    std::string failure;
    if (!Authenticate(g_connection, g_extensions, m_settings.user, m_settings.password, SmtpTimeout(kMailTimeoutMs),
                      step, failure)) {
        noteFailure(failure);
        return fail(SmtpResult::LoginRefused, MonitorString::LoginFailed, server);
    }
    note(step + ": accepted");
    return SmtpResult::Sent;
}

SmtpResult Send::connect()
{
    const std::string &server = m_server;
    // 1. the socket
    ws::SOCKET socket = ws::socket(ws::AF_INET, ws::SOCK_STREAM, 0);
    if (socket == ws::INVALID_SOCKET) {
        noteFailure("socket: error " + std::to_string(ws::WSAGetLastError()));
        return fail(SmtpResult::NoSocket, MonitorString::SocketsError);
    }
    g_connection.attach(socket);
    g_extensions = SmtpExtensions();

    // 2. the port: the one set, else the services file's; there is no fallback
    ws::sockaddr_in address{};
    address.sin_family = ws::AF_INET;
    if (m_settings.port) {
        address.sin_port = ws::htons(*m_settings.port);
    } else {
        ws::servent *service = ws::getservbyname("smtp", "tcp");
        if (!service) {
            noteFailure("the service smtp/tcp is not listed");
            return fail(SmtpResult::NotResolved, MonitorString::CannotResolvePort);
        }
        address.sin_port = static_cast<ws::u_short>(service->s_port);
    }

    // 3. the address: a name with any letter is looked up, anything else is a dotted address
    bool isName = std::any_of(server.begin(), server.end(),
                              [](unsigned char c) { return std::isalpha(c) != 0; });
    if (isName) {
        ws::hostent *host = ws::gethostbyname(server.c_str());
        if (!host || !host->h_addr_list[0]) {
            noteFailure("host " + server + ": not found");
            return fail(SmtpResult::NotResolved, MonitorString::CannotResolveHost, server.c_str());
        }
        std::copy_n(host->h_addr_list[0], sizeof address.sin_addr, reinterpret_cast<char *>(&address.sin_addr));
    } else {
        ws::u_long dotted = ws::inet_addr(server.c_str());
        if (dotted == ws::INADDR_NONE) {
            noteFailure("host " + server + ": not a dotted address");
            return fail(SmtpResult::NotResolved, MonitorString::CannotResolveHost, server.c_str());
        }
        address.sin_addr = static_cast<uint32_t>(dotted);
    }

    // 4. connect, and TLS from the first byte when asked
    stage(kStageConnecting);
    if (ws::connect(socket, reinterpret_cast<const ws::sockaddr *>(&address), sizeof address) != 0) {
        noteFailure("connect " + server + ": error " + std::to_string(ws::WSAGetLastError()));
        return fail(SmtpResult::NotConnected, MonitorString::CannotConnect, server.c_str());
    }
    note("connected to " + server + " port " + std::to_string(ws::ntohs(address.sin_port)) + ", security " +
         SecurityName(m_settings.security));
    if (m_settings.security == SecurityMode::Tls) {
        if (SmtpResult started = startTls(server); started != SmtpResult::Sent)
            return started;
    }

    // 5. the greeting, then our own with the sender's domain (RFC 5321, section 4.1.1.1)
    SmtpReply greeting = g_connection.readReply(SmtpTimeout(kGreetingTimeoutMs));
    if (greeting.code != 220) {
        noteFailure("greeting: " + DescribeReply(greeting));
        return fail(SmtpResult::GreetingRefused, MonitorString::ConnectionLost);
    }
    note("greeting: " + DescribeReply(greeting));
    std::string sender = SenderEmail();
    size_t at = sender.find('@');
    const std::string domain = at == std::string::npos ? sender : sender.substr(at + 1);
    if (SmtpResult greeted = greet(domain); greeted != SmtpResult::Sent)
        return greeted;

    // 6. STARTTLS when required: never MAIL in plain text then (RFC 3207, section 4)
    if (m_settings.security == SecurityMode::StartTls) {
        if (!g_extensions.offers("STARTTLS")) {
            noteFailure("STARTTLS: not offered by the server");
            return fail(SmtpResult::TlsNotStarted, MonitorString::TlsNotStarted, server.c_str());
        }
        if (!exchange("STARTTLS\r\n", 220, kMailTimeoutMs))
            return fail(SmtpResult::TlsNotStarted, MonitorString::TlsNotStarted, server.c_str());
        if (SmtpResult started = startTls(server); started != SmtpResult::Sent)
            return started;
        g_extensions = SmtpExtensions();
        if (!exchange("EHLO " + domain + "\r\n", 250, kMailTimeoutMs, &greeting))
            return fail(SmtpResult::HandshakeRefused, MonitorString::HandshakeFailed);
        g_extensions = ParseExtensions(greeting.text);
        note("EHLO: offers " + (g_extensions.keywords.empty() ? std::string("no extension") : g_extensions.describe()));
    }

    // 7. the login, when a user is set
    if (!m_settings.user.empty())
        return logIn(isLoopback(address));
    return SmtpResult::Sent;
}

SmtpResult Send::probe()
{
    m_showsMessages = false;
    m_server = SmtpServer();
    if (m_server.empty()) {
        noteFailure("no SmtpServer is set");
        return fail(SmtpResult::NotPrepared, MonitorString::NoSmtpServer);
    }
    if (!readSettings())
        return SmtpResult::NotPrepared;
    if (SmtpResult connected = connect(); connected != SmtpResult::Sent)
        return connected;
    if (g_connection.sendCommand("QUIT\r\n"))
        note("QUIT: " + DescribeReply(g_connection.readReply(SmtpTimeout(kQuitTimeoutMs))));
    g_connection.shutdownAndClose();
    return SmtpResult::Sent;
}

SmtpResult Send::run()
{
    // 1. the server and how to reach it
    m_server = SmtpServer();
    if (m_server.empty())
        return fail(SmtpResult::NotPrepared, MonitorString::NoSmtpServer);
    if (!readSettings())
        return SmtpResult::NotPrepared;
    m_report.piece = m_message.piece;

    // 2.-4. the message: the header block, then the body read block by block as it is sent,
    // then its tail; a job of any size passes through one block of memory
    std::string header;
    BodyReader body;
    try {
        if (!m_message.status) {
            if (!body.begin(m_message.encodedFile, m_message.size, m_message.owner)) {
                g_connection.quitAndClose(SmtpTimeout(kQuitTimeoutMs));
                return SmtpResult::NotPrepared;
            }
            stage(kStageEncoded);
            stage(kStageHeaders);
        }
        HeaderRequest request;
        request.address = m_message.address;
        request.piece = m_message.piece;
        request.total = m_message.pieces;
        request.messageId = m_message.messageId;
        request.status = m_message.status;
        request.bodyLength = body.length();
        request.partial = m_message.partial;
        std::optional<std::string> composed = ComposeHeader(request, m_message.owner);
        if (!composed) {
            g_connection.quitAndClose(SmtpTimeout(kQuitTimeoutMs));
            return SmtpResult::NotPrepared;
        }
        header = std::move(*composed);
    } catch (const std::bad_alloc &) {
        return fail(SmtpResult::NotPrepared, MonitorString::NoMemory);
    }

    // 5. the connection, opened for the first piece
    if (m_message.piece == 1 || !g_connection.isOpen()) {
        SmtpResult connected = connect();
        if (connected != SmtpResult::Sent)
            return connected;
    }
    stage(kStageHandshake);

    // RFC 1870, section 6: a message larger than the server takes is not offered at all.
    // The tail's length is not known before it is read; its longest is counted.
    const uint64_t messageSize = header.size() + body.length() + (m_message.status ? 0 : kMaxTailLength);
    if (g_extensions.sizeLimit && messageSize > *g_extensions.sizeLimit) {
        const std::string limit = std::to_string(*g_extensions.sizeLimit);
        noteFailure("SIZE: the message has " + std::to_string(messageSize) + " bytes, the server takes " + limit);
        return fail(SmtpResult::MessageTooLarge, MonitorString::MessageTooLarge, limit.c_str());
    }

    // 6.-8. the envelope
    if (!exchange("MAIL From:<" + SenderEmail() + ">\r\n", 250, kMailTimeoutMs))
        return fail(SmtpResult::MailRefused, MonitorString::FromRefused);
    if (!exchange("RCPT To:<" + m_message.address + ">\r\n", 250, kRcptTimeoutMs))
        return fail(SmtpResult::RcptRefused, MonitorString::ToRefused);
    stage(kStageSending);
    if (!exchange("Data\r\n", 354, kDataTimeoutMs))
        return fail(SmtpResult::DataRefused, MonitorString::DataBeginRefused);

    // 9.-10. the text and the end of data
    SmtpResult textSent = sendText(header, m_message.status ? nullptr : &body);
    if (textSent != SmtpResult::Sent) {
        m_report.bytesSent += g_connection.dataBytesSent();
        return textSent;
    }
    stage(kStageSent);
    SmtpReply accepted;
    if (g_connection.endData())
        accepted = g_connection.readReply(SmtpTimeout(kDataEndTimeoutMs));
    else
        accepted.problem = "could not be sent, error " + std::to_string(ws::WSAGetLastError());
    m_report.bytesSent += g_connection.dataBytesSent();
    if (accepted.code != 250) {
        noteFailure("end of data: " + DescribeReply(accepted));
        return fail(SmtpResult::EndOfDataRefused, MonitorString::DataEndRefused);
    }

    // 11. after the last piece, goodbye; the reply does not matter
    if (m_message.piece == m_message.pieces) {
        if (g_connection.sendCommand("quit\r\n"))
            g_connection.readReply(SmtpTimeout(kQuitTimeoutMs));
        switch (g_connection.shutdownAndClose()) {
        case SmtpConnection::CloseOutcome::ShutdownFailed:
            return fail(SmtpResult::ShutdownFailed, MonitorString::SocketsError);
        case SmtpConnection::CloseOutcome::CloseFailed:
            return fail(SmtpResult::CloseFailed, MonitorString::SocketsError);
        case SmtpConnection::CloseOutcome::Closed:
            break;
        }
    }
    return SmtpResult::Sent;
}

} // namespace

SmtpResult SendSmtpMessage(const SmtpMessage &message)
{
    SmtpReport unused;
    return Send(message, message.report ? *message.report : unused).run();
}

SmtpResult ProbeSmtpServer(SmtpReport &report)
{
    SmtpMessage none;
    return Send(none, report).probe();
}

SmtpResult SendWholeMessage(HANDLE encodedFile, const std::string &address, uint64_t size,
                            const std::string &messageId, HWND owner, SmtpReport *report)
{
    SmtpMessage message;
    message.encodedFile = encodedFile;
    message.address = address;
    message.size = size;
    message.messageId = messageId;
    message.owner = owner;
    message.report = report;
    return SendSmtpMessage(message);
}

SmtpResult SendInPieces(HANDLE encodedFile, const std::string &address, const PiecePlan &plan,
                        const std::string &messageId, HWND owner, SmtpReport *report)
{
    const int pieces = static_cast<int>(plan.pieceCount);
    ProgressWindow::SetRange(0, pieces);
    ProgressWindow::SetPos(0);
    ProgressWindow::SetStep(1);
    const std::string printer = ProgressWindow::PrinterName();
    for (int piece = 1; piece <= pieces; ++piece) {
        ProgressWindow::SetTitle("Vireon Internet Printing on " + printer + "  " + std::to_string(piece) +
                                 " of " + std::to_string(pieces));
        SmtpMessage message;
        message.encodedFile = encodedFile;
        message.address = address;
        message.size = plan.pieceSize;
        message.piece = piece;
        message.pieces = pieces;
        message.messageId = messageId;
        message.partial = true;
        message.owner = owner;
        message.report = report;
        SmtpResult result = SendSmtpMessage(message);
        if (result != SmtpResult::Sent)
            return result;
        ProgressWindow::Step();
    }
    return SmtpResult::Sent;
}

} // namespace zormon
