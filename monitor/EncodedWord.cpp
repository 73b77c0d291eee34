#include "monitor/EncodedWord.h"

#include "monitor/TextCharset.h"

#include <openssl/evp.h>

#include <vector>

namespace zormon {

namespace {

// RFC 2047, section 2: an encoded word is at most 75 characters and a line holding one at
// most 76. "Subject: " (9) + "=?UTF-8?B?" (10) + 52 characters of base64 + "?=" (2) = 73.
constexpr size_t kBytesPerWord = 39; // 52 characters of base64

std::string base64(std::string_view bytes)
{
    std::vector<unsigned char> out(4 * ((bytes.size() + 2) / 3) + 1);
    const int length = EVP_EncodeBlock(out.data(), reinterpret_cast<const unsigned char *>(bytes.data()),
                                       static_cast<int>(bytes.size()));
    return std::string(reinterpret_cast<const char *>(out.data()), static_cast<size_t>(length));
}

std::string encodedWord(std::string_view utf8)
{
    return "=?UTF-8?B?" + base64(utf8) + "?=";
}

} // namespace

std::string EncodeHeaderText(std::string_view text)
{
    if (IsPlainAscii(text))
        return std::string(text);
    std::string encoded;
    std::string word; // UTF-8 bytes of whole characters
    for (char32_t c : DecodeJobText(text)) {
        const std::string character = ToUtf8(std::u32string(1, c));
        if (word.size() + character.size() > kBytesPerWord) {
            encoded += encodedWord(word) + "\r\n ";
            word.clear();
        }
        word += character;
    }
    return encoded + encodedWord(word);
}

} // namespace zormon
