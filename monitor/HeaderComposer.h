// The header block of each mail: a job sent as one message, piece k of a message/partial job
// (RFC 2046, section 5.2.2) and the status request. The body follows the block directly.
#pragma once

#include "platform/base/windef.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zormon {

struct HeaderRequest {
    std::string address;    // destination address ("TO:" line, settings section)
    int piece = 1;          // k, 1 for an unsplit message
    int total = 1;          // N, 1 for an unsplit message
    std::string messageId;  // the job's id for this address ("G12345")
    bool status = false;    // status request: no body
    uint64_t bodyLength = 0;// L: body bytes read for this message, the tail not counted
    bool partial = false;   // a piece of a split job
};

// The block (a job's block ends in the empty line before the body; the status request has
// no body and no empty line); or nothing when the sender ([IntranetSetup]
// SenderEmail) is empty or has no '@': message 310 is then shown, owned by `owner`.
// Pieces 2 to N carry a fresh Message-ID each; all pieces share the job's id= parameter.
// A subject that is not plain ASCII goes out as RFC 2047 encoded words (EncodedWord.h).
// A password keyword (MD5 of message id + password) is sent when the address has a Password;
// the password itself never is.
std::optional<std::string> ComposeHeader(const HeaderRequest &request, HWND owner);

} // namespace zormon
