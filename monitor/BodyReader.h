// Reads the body of one message from the encoded file's current position, block by block
// while it is sent: the requested number of bytes, then the line-completion tail, so that a
// piece ends at the end of its line. Consecutive bodies read consecutive stretches. A job of
// any size passes through one block of memory.
#pragma once

#include "platform/base/windef.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zormon {

// Longest line-completion tail: the longest line the encoder writes (78 characters, the soft
// break "=" and CR LF), so the tail always reaches the end of its line and every piece ends
// in CR LF, as the end-of-data line that follows it needs (RFC 5321, section 4.1.1.4).
constexpr unsigned kMaxTailLength = 81;

class BodyReader {
public:
    // Bytes read with each ReadFile, and held at once.
    static constexpr uint64_t kBlockSize = uint64_t{1} << 20;

    // Prepares to read `size` bytes from `file` (a handle from CreateFile), fewer when less
    // is left before the end of the file. False when the file's size or position cannot be
    // learnt (message 315 shown, owned by `owner`) or the block cannot be obtained (316).
    bool begin(HANDLE file, uint64_t size, HWND owner);

    // The body's length, known before it is read: the Content-Length of the message.
    uint64_t length() const { return m_length; }

    // The next block of the body in `block`; an empty block once the whole length has been
    // read. False, after message 315, when the file cannot be read or ends before the length
    // it had when begin() looked.
    bool next(std::string_view &block);

    // The tail, read after the body into `tail`: up to and including an LF, at most
    // kMaxTailLength bytes, stopping early at the end of the file or a read error; there a
    // tail with text that does not end in LF gets CR LF appended, and at the end of the file
    // an empty tail becomes CR LF. It is read even when the body ends in LF (it then holds
    // the whole next line). The bytes are read at once and the file is put back just after
    // the tail, where the next body starts; false, after message 315, when it cannot be.
    bool readTail(std::string &tail);

private:
    HANDLE m_file = nullptr;
    HWND m_owner = nullptr;
    uint64_t m_length = 0;
    uint64_t m_read = 0;
    std::unique_ptr<char[]> m_block;
};

} // namespace zormon
