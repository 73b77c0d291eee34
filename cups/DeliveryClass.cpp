#include "cups/DeliveryClass.h"

#include "monitor/SmtpClient.h"

using zormon::SmtpResult;

bool IsTransientSendFailure(int smtpResult, int replyCode)
{
    switch (static_cast<SmtpResult>(smtpResult)) {
    case SmtpResult::NotConnected: // refused, unreachable, timed out
        return true;
    case SmtpResult::GreetingRefused:
    case SmtpResult::HandshakeRefused:
    case SmtpResult::MailRefused:
    case SmtpResult::RcptRefused:
    case SmtpResult::DataRefused:
    case SmtpResult::EndOfDataRefused:
        // No whole reply: the server went away or fell silent mid-conversation.
        return replyCode == 0 || replyCode / 100 == 4;
    case SmtpResult::TlsNotStarted: // 454: TLS not available for now
    case SmtpResult::LoginRefused:  // 454: temporary authentication failure
        return replyCode / 100 == 4;
    case SmtpResult::CertificateRejected:
    case SmtpResult::MessageTooLarge:
        return false;
    case SmtpResult::Sent:
    case SmtpResult::NotPrepared:    // no server or sender set up, body unreadable
    case SmtpResult::NoSocket:
    case SmtpResult::NotResolved:    // a name or the smtp service that is not known
    case SmtpResult::ShutdownFailed: // after QUIT: the mail was accepted already
    case SmtpResult::CloseFailed:
        return false;
    }
    return false;
}
