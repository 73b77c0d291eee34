// MD5 (RFC 1321) as 32 lowercase hexadecimal digits, first byte first.
#pragma once

#include <string>
#include <string_view>

namespace zormon {

std::string Md5Hex(std::string_view data);

} // namespace zormon
