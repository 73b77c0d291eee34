// One SMTP conversation over a Windows Sockets stream: commands out, whole replies in, and
// the mail text dot-stuffed on its way out. It knows nothing of jobs, settings or message
// boxes; the SMTP client decides what each outcome means.
#pragma once

#include "monitor/TlsChannel.h"
#include "platform/sockets/sockets.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zormon {

// How long the client waits for each reply: RFC 5321, section 4.5.3.2.
constexpr DWORD kGreetingTimeoutMs = 5 * 60 * 1000;   // 4.5.3.2.1, initial 220 message
constexpr DWORD kMailTimeoutMs = 5 * 60 * 1000;       // 4.5.3.2.2, MAIL (HELO is waited for as long)
constexpr DWORD kRcptTimeoutMs = 5 * 60 * 1000;       // 4.5.3.2.3, RCPT
constexpr DWORD kDataTimeoutMs = 2 * 60 * 1000;       // 4.5.3.2.4, DATA initiation
constexpr DWORD kDataBlockTimeoutMs = 3 * 60 * 1000;  // 4.5.3.2.5, each send of mail text
constexpr DWORD kDataEndTimeoutMs = 10 * 60 * 1000;   // 4.5.3.2.6, DATA termination
// QUIT has no time-out of its own in the RFC; the mail is delivered by then, so the lock is
// not held for long on a server that does not say goodbye.
constexpr DWORD kQuitTimeoutMs = 2 * 60 * 1000;

// The time-out to use: ZORVALINE_SMTP_TIMEOUT_S (whole seconds, more than 0) replaces every
// standard value when it is set, so tests need not wait minutes.
DWORD SmtpTimeout(DWORD standardMs);

struct SmtpReply {
    int code = 0;        // decimal number at the start of the final line; 0 when no whole reply came
    std::string text;    // every line as received
    std::string problem; // why no whole reply came ("no reply within 300 s" ...); empty when one did
};

// What the server said, as one line fit for a message or a diagnostic line: its reply with
// the line breaks of a multi-line reply as blanks and other control characters as "?", or
// why it said nothing.
std::string DescribeReply(const SmtpReply &reply);

class SmtpConnection {
public:
    SmtpConnection() = default;
    ~SmtpConnection();
    SmtpConnection(const SmtpConnection &) = delete;
    SmtpConnection &operator=(const SmtpConnection &) = delete;

    bool isOpen() const { return m_socket != zorplat::winsock::INVALID_SOCKET; }
    // The code of the reply to the last command or end of data; 0 when none came whole (or
    // nothing was asked yet on this connection).
    int lastReplyCode() const { return m_lastReplyCode; }

    bool isEncrypted() const { return m_tls != nullptr; }
    // "TLSv1.3 TLS_AES_256_GCM_SHA384", or "" on a plain connection.
    std::string encryption() const { return m_tls ? m_tls->description() : std::string(); }

    // Takes over a socket (connected or not yet); one held before is closed.
    void attach(zorplat::winsock::SOCKET socket);

    // Sends the command as given (with its CR LF). False when it could not be sent whole.
    bool sendCommand(std::string_view command);

    // Turns the connection into TLS (after "220" to STARTTLS, or at once for implicit TLS),
    // waiting at most timeoutMs for each step of the handshake. Bytes the server sent
    // before the handshake are refused (RFC 3207, section 6: they could be injected). On
    // failure the connection is dropped and `problem` says why.
    TlsChannel::Outcome startTls(const std::string &server, const std::string &caFile, DWORD timeoutMs,
                                 std::string &problem);

    // Reads one whole reply: a multi-line reply ("250-..." lines up to the "250 ..." line,
    // RFC 5321, section 4.2.1) is collected, however it is cut into segments. The code is 0
    // when the reply did not come whole within timeoutMs, the server closed the connection,
    // or it sent more than a reply may hold.
    SmtpReply readReply(DWORD timeoutMs);

    // Mail text between the 354 reply and the end-of-data line. sendData may be called
    // several times; every line that begins with "." goes out with a second "." in front
    // (RFC 5321, section 4.5.2), without copying the text. False when it could not be sent.
    void beginData();
    bool sendData(std::string_view text);
    // The end-of-data line "." CR LF, after a CR LF of its own when the text did not end its
    // last line (RFC 5321, section 4.1.1.4: the line must stand alone).
    bool endData();
    // Mail text bytes sent since beginData, dot transparency and end-of-data line included.
    uint64_t dataBytesSent() const { return m_dataBytes; }

    enum class CloseOutcome { Closed, ShutdownFailed, CloseFailed };
    // Ends the connection after QUIT: shut down both ways, then close. The socket is closed
    // in every case; the outcome tells which step failed first.
    CloseOutcome shutdownAndClose();
    // Ends a failed conversation. When the server awaits a command (its last reply came
    // whole and was not 354) QUIT is sent and its reply awaited at most timeoutMs (RFC 5321,
    // section 4.1.1.10); then the connection is closed. Inside the mail text, or after a
    // reply that never came whole, there is nobody to say goodbye to: it is just closed.
    void quitAndClose(DWORD timeoutMs);
    // Drops the connection at once.
    void abandon();

private:
    bool sendAll(std::string_view bytes);
    SmtpReply receiveReply(DWORD timeoutMs);
    int receive(char *buffer, int len);
    void forget();

    zorplat::winsock::SOCKET m_socket = zorplat::winsock::INVALID_SOCKET;
    std::string m_received; // bytes received beyond the last reply
    bool m_atLineStart = true;
    bool m_awaitsCommand = false; // the server's last reply came whole and asks for a command
    int m_lastReplyCode = 0;

    std::unique_ptr<TlsChannel> m_tls;
    bool m_inData = false;
    uint64_t m_dataBytes = 0;
};

} // namespace zormon
