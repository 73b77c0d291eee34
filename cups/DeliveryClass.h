// Which failed deliveries are worth trying again: CUPS keeps such a job and retries it later
// ("retry job later"), every other failure ends the job.
#pragma once

// `smtpResult`: the monitor's send result (monitor/SmtpClient.h, SmtpResult) of the failed
// send; `replyCode`: the server's reply at the failed step, 0 when none came whole. Transient
// when the server could not be reached, went silent or dropped the connection before the
// mail was accepted, or answered with a 4yz code (RFC 5321, section 4.2.1: "transient
// negative completion"). Everything else, and any result this build does not know, is
// permanent.
bool IsTransientSendFailure(int smtpResult, int replyCode);
