// The name of the CUPS queue of a Windows printer. CUPS refuses blanks, '/', '\', '?', quotes
// and '#' in a queue name, and users type it after `lp -d`: everything but letters, digits,
// '-', '.' and '_' becomes '_'; the queue's description keeps the printer's own name.
#pragma once

#include <string>

// CUPS keeps queue names to 127 bytes.
constexpr size_t kMaxQueueName = 127;

std::string CupsQueueName(const std::string &printerName);
