// One record an import refused, with the reason, in the order of refusal.
#pragma once

#include <string>

struct ImportErrorItem {
    // The original's fixed fields: a name of at most 254 and a message of at most 256
    // characters; longer ones are cut.
    static constexpr std::size_t kNameLimit = 254;
    static constexpr std::size_t kMessageLimit = 256;

    ImportErrorItem(const std::string &name, const std::string &text, bool printer)
        : itemName(name.substr(0, kNameLimit)), message(text.substr(0, kMessageLimit)), isPrinter(printer)
    {
    }

    std::string itemName; // the record's PrinterName or MainGroupName
    std::string message;  // the reason, as the user reads it
    bool isPrinter;
};
