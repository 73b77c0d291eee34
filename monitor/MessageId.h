// Message ids: "G" followed by the decimal value of a pseudo-random number modulo 100000,
// the generator seeded with the current time in seconds just before. The generator is the
// classic linear congruential one (yields 0 to 32767), so two ids formed within the same
// second are equal; receivers join the pieces of one job by the id of its first piece.
#pragma once

#include <cstdint>
#include <string>

namespace zormon {

class MessageIdGenerator {
public:
    explicit MessageIdGenerator(uint32_t seed) : m_state(seed) {}
    // 0 to 32767.
    int next();

private:
    uint32_t m_state;
};

// "G" + decimal(first number of a generator seeded with `seed` % 100000).
std::string MessageIdFromSeed(uint32_t seed);
// MessageIdFromSeed(current time in seconds).
std::string NewMessageId();

} // namespace zormon
