#include "cups/QueueName.h"

#include <cctype>

std::string CupsQueueName(const std::string &printerName)
{
    std::string name;
    for (unsigned char c : printerName.substr(0, kMaxQueueName))
        name += std::isalnum(c) || c == '-' || c == '.' || c == '_' ? static_cast<char>(c) : '_';
    return name;
}
