// The SMTP client: delivers one message (a whole job, one piece of a split job, or a status
// request) to one address through the server of the communication setup. One connection
// serves every piece of a job: it is opened for piece 1 and ended with QUIT after piece N.
#pragma once

#include "monitor/PiecePlan.h"
#include "platform/base/windef.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zormon {

// Results of a send. Every failure has been shown to the user, once, by the message named
// in brackets (caption 500, stop icon) by the time it is returned.
enum class SmtpResult : int {
    Sent = 0,               // the server accepted the message
    NotPrepared = 1,        // no SMTP server (311), no memory (316), body unreadable (315) or no sender (310)
    NoSocket = 2,           // no socket could be created (307)
    NotResolved = 3,        // the "smtp" service (312) or the server's name (313) was not found
    NotConnected = 4,       // the server could not be reached (308)
    ShutdownFailed = 5,     // the socket could not be shut down after QUIT (307)
    CloseFailed = 6,        // the socket could not be closed after QUIT (307)
    GreetingRefused = 7,    // the greeting was not 220, or did not come in time (1000)
    HandshakeRefused = 8,   // HELO was not answered 250 in time (1001)
    MailRefused = 9,        // MAIL was not answered 250 in time (1002)
    RcptRefused = 10,       // RCPT was not answered 250 in time (1003)
    DataRefused = 11,       // DATA was not answered 354 in time (1004)
    EndOfDataRefused = 12,  // the text could not be sent, or the end of data was not answered 250 in time (1005)
    TlsNotStarted = 13,     // STARTTLS was required and not offered or refused, or the TLS handshake failed (1006)
    CertificateRejected = 14, // the server's certificate is not trusted or names another host (1007)
    LoginRefused = 15,      // AUTH was refused (535 ...), no mechanism fits, or it would go unencrypted (1008)
    MessageTooLarge = 16,   // the message or piece is larger than the server's SIZE; nothing was sent (1009)
};

// What a send did, for the delivery journal and the test command. Never holds credentials.
struct SmtpReport {
    uint64_t bytesSent = 0;  // mail text sent, over every piece (dot transparency included)
    int piece = 0;           // the last piece tried (k); 0 before any
    std::string failure;     // what went wrong at the failed step, and what the server said; "" when sent
    std::vector<std::string> transcript; // "greeting: 220 ...", "EHLO: offers ...", "TLS: TLSv1.3 ..."
};

struct SmtpMessage {
    HANDLE encodedFile = nullptr; // the open encoded job, read from its current position; none for a status request
    std::string address;          // the destination: RCPT, the "TO:" line and its settings section
    uint64_t size = 0;            // body bytes to read
    int piece = 1;                // k, 1 for an unsplit message
    int pieces = 1;               // N, 1 for an unsplit message
    std::string messageId;        // "G12345"
    bool status = false;          // a status request: no body
    bool partial = false;         // a piece of a split job
    HWND owner = nullptr;         // owner of the message boxes
    SmtpReport *report = nullptr; // filled in as the send goes on, when given
};

// Sends one message. Opens the connection when the message is piece 1 (or none is open) as
// the submission settings say (port, TLS from the first byte or STARTTLS, login), greets
// the server with EHLO and the sender's domain (HELO when EHLO is refused with 5xx), and
// when the server announces a SIZE smaller than the message sends nothing of it; then it
// sends MAIL, RCPT, DATA, the header
// block, the body and its tail, and the end-of-data line; after piece N it sends QUIT and
// closes the connection. While the progress window is open and N is 1, each stage is shown
// in its title. The body is read while it is sent: a body that cannot be read then (message
// 315, result NotPrepared) ends the conversation without the end-of-data line, so the server
// keeps no part of it. A failed send closes the connection before it returns, so the next one
// starts afresh; when the server awaits a command at that point (it refused one, or the end
// of data) QUIT goes first. The message of a failure carries, as its details, what the
// server answered at the failed step (or why it did not), and the same goes to the
// diagnostic output. Each reply is awaited at most as long as RFC 5321 allows
// (SmtpConnection.h).
SmtpResult SendSmtpMessage(const SmtpMessage &message);

// A job as one message: piece 1 of 1 with `size` body bytes.
SmtpResult SendWholeMessage(HANDLE encodedFile, const std::string &address, uint64_t size,
                            const std::string &messageId, HWND owner, SmtpReport *report = nullptr);

// A job as plan.pieceCount message/partial pieces of plan.pieceSize body bytes each, over one
// connection. The progress bar counts the pieces (range 0 to N) and the title reads
// "Vireon Internet Printing on <printer>  k of N". Stops at the first piece that fails and
// returns its result.
SmtpResult SendInPieces(HANDLE encodedFile, const std::string &address, const PiecePlan &plan,
                        const std::string &messageId, HWND owner, SmtpReport *report = nullptr);

// Connects with the stored settings and runs the greeting, EHLO, STARTTLS and AUTH as a
// send would, then QUIT: no mail. The report's transcript tells what the server offered,
// its failure where it stopped; no message box is shown.
SmtpResult ProbeSmtpServer(SmtpReport &report);

} // namespace zormon
