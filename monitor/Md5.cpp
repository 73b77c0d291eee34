#include "monitor/Md5.h"

#include <openssl/evp.h>

#include <memory>
#include <stdexcept>

namespace zormon {

std::string Md5Hex(std::string_view data)
{
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1
        || EVP_DigestUpdate(context.get(), data.data(), data.size()) != 1
        || EVP_DigestFinal_ex(context.get(), digest, &length) != 1)
        throw std::runtime_error("MD5 is not available from libcrypto");

    static constexpr char hexDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        hex += hexDigits[digest[i] >> 4];
        hex += hexDigits[digest[i] & 0x0F];
    }
    return hex;
}

} // namespace zormon
