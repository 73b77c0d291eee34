// What a server offers in its reply to EHLO (RFC 5321, section 4.1.1.1): one service
// extension per line after the first, a keyword and its parameters.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace zormon {

struct SmtpExtensions {
    std::set<std::string> keywords;       // upper case: "STARTTLS", "AUTH", "SIZE", "8BITMIME" ...
    std::set<std::string> authMechanisms; // upper case: "PLAIN", "LOGIN" ... (RFC 4954, section 3)
    // RFC 1870, section 4: the largest message the server takes; nullopt when it names none
    // (no SIZE, "SIZE" alone, or "SIZE 0", which means no fixed limit).
    std::optional<uint64_t> sizeLimit;

    bool offers(std::string_view keyword) const;
    // The keywords as one line for a report ("STARTTLS SIZE=10240000 AUTH=PLAIN,LOGIN").
    std::string describe() const;
};

// The extensions of a whole EHLO reply as received (every line with its code and CR LF).
// The first line is the server's greeting and names no extension.
SmtpExtensions ParseExtensions(std::string_view ehloReply);

} // namespace zormon
