#include "monitor/MessageId.h"

#include <ctime>

namespace zormon {

int MessageIdGenerator::next()
{
    m_state = m_state * 214013u + 2531011u;
    return static_cast<int>((m_state >> 16) & 0x7FFF);
}

std::string MessageIdFromSeed(uint32_t seed)
{
    MessageIdGenerator generator(seed);
    std::string id = "G"; // appended, not `"G" + std::string`, which draws a false -Wrestrict from GCC 12
    return id.append(std::to_string(generator.next() % 100000));
}

std::string NewMessageId()
{
    return MessageIdFromSeed(static_cast<uint32_t>(std::time(nullptr)));
}

} // namespace zormon
