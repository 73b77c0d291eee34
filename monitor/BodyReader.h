// Reads the body of one message from the encoded file's current position: the requested
// number of bytes, then the line-completion tail, so that a piece ends at the end of its
// line. Consecutive calls read consecutive stretches.
#pragma once

#include "platform/windef.h"

#include <cstdint>
#include <string>

namespace zormon {

// Longest line-completion tail: the longest line the encoder writes (78 characters, the soft
// break "=" and CR LF), so the tail always reaches the end of its line and every piece ends
// in CR LF, as the end-of-data line that follows it needs (RFC 5321, section 4.1.1.4).
constexpr unsigned kMaxTailLength = 81;

struct MessageBody {
    std::string body; // the bytes read for the requested size (fewer at the end of the file)
    std::string tail; // up to and including the next LF, at most 81 bytes; see ReadBody
};

// Reads `size` bytes and the tail from `file` (a handle from CreateFile). The tail is read
// byte by byte up to and including an LF, at most kMaxTailLength bytes, stopping early at
// the end of the file or a read error; there a tail with text that does not end in LF gets
// CR LF appended, and at the end of the file an empty tail becomes CR LF. The tail is read
// even when the body ends in LF (it then holds the whole next line).
// Returns false when the body cannot be read (message 315 shown, owned by `owner`) or its
// buffer cannot be obtained (message 316).
bool ReadBody(HANDLE file, uint64_t size, MessageBody &out, HWND owner);

} // namespace zormon
