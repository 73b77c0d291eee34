#include "monitor/MessageId.h"

#include <atomic>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace zormon {

namespace {

// Process ids stay below 2^22 on Linux: seven digits hold every one.
constexpr unsigned long kProcessIdModulus = 10000000;
constexpr unsigned long kCountModulus = 1000000;

std::atomic<unsigned long> g_idsFormed{0};

} // namespace

std::string NewMessageId()
{
    const unsigned long count = g_idsFormed.fetch_add(1) % kCountModulus;
    const auto process = static_cast<unsigned long>(getpid()) % kProcessIdModulus;
    char id[64];
    std::snprintf(id, sizeof id, "G%lld%07lu%06lu", static_cast<long long>(std::time(nullptr)), process, count);
    return id;
}

} // namespace zormon
