#include "tests/support/SzddWriter.h"

#include <cstdint>

namespace zortest {

std::string SzddStored(const std::string &content, char lastCharacter)
{
    std::string file("SZDD\x88\xF0\x27\x33", 8);
    file += 'A'; // the LZSS method, the only one the format has
    file += lastCharacter;
    const uint32_t length = static_cast<uint32_t>(content.size());
    for (int shift = 0; shift < 32; shift += 8)
        file += static_cast<char>((length >> shift) & 0xFF);
    // A control byte announces eight items, one bit each, lowest first; a set bit is a
    // literal byte.
    for (size_t at = 0; at < content.size(); at += 8) {
        file += '\xFF';
        file += content.substr(at, 8);
    }
    return file;
}

} // namespace zortest
