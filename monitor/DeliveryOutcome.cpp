#include "monitor/DeliveryOutcome.h"

#include <atomic>

namespace zormon {

namespace {

// Deliveries follow one another under the monitor lock; atomics let a host read the outcome
// from any thread.
std::atomic<bool> g_failed{false};
std::atomic<int> g_result{0};
std::atomic<int> g_replyCode{0};

} // namespace

void ResetDeliveryOutcome()
{
    g_failed = false;
    g_result = 0;
    g_replyCode = 0;
}

void NoteSendFailure(SmtpResult result, int replyCode)
{
    g_result = static_cast<int>(result);
    g_replyCode = replyCode;
    g_failed = true;
}

} // namespace zormon

extern "C" __attribute__((visibility("default"))) BOOL GetDeliveryResult(int *smtpResult, int *replyCode)
{
    if (!zormon::g_failed)
        return FALSE;
    if (smtpResult)
        *smtpResult = zormon::g_result;
    if (replyCode)
        *replyCode = zormon::g_replyCode;
    return TRUE;
}
