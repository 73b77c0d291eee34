// Header text that is not plain ASCII, as RFC 2047 encoded words: a mail header carries
// 7-bit text only (RFC 5322, section 2.2), and strict servers refuse 8-bit bytes in it.
#pragma once

#include <string>
#include <string_view>

namespace zormon {

// Plain ASCII text comes back byte for byte. Other text (its charset decided by
// DecodeJobText) becomes "=?UTF-8?B?...?=" words of whole characters, each short enough for
// its line to stay within 76 characters after "Subject: " (RFC 2047, section 2), joined by
// a folding line break (CR LF and a blank), which a reader drops between encoded words.
std::string EncodeHeaderText(std::string_view text);

} // namespace zormon
