// What became of the last delivery in this process, for hosts that must tell a failure worth
// retrying from one that is not (a print queue keeps a job for later only when the mail
// server was out of reach or refused it for now). The user learns of every failure from its
// message box; this is the same outcome in a form a program can read.
#pragma once

#include "monitor/SmtpClient.h"
#include "platform/base/windef.h"

namespace zormon {

// A delivery begins: nothing has failed yet.
void ResetDeliveryOutcome();
// A send failed with `result`; `replyCode` is the server's reply at the failed step, 0 when
// none came whole (not reached, connection lost, no reply in time).
void NoteSendFailure(SmtpResult result, int replyCode);

} // namespace zormon

// Exported as "GetDeliveryResult". TRUE with the send result and the reply code of the last
// delivery's failed send; FALSE when that delivery had no failed send (it was sent, or it
// failed before or beside the mail transfer).
using GetDeliveryResultProc = BOOL (*)(int *smtpResult, int *replyCode);
