// Which characters the bytes of a value stand for. Values come from the job (the document
// name an application gave) and from INI files, with no word on their charset: they are
// read as UTF-8 when they are valid UTF-8, else as the 8-bit code page of the system the
// design comes from, Windows-1252 (Latin-1 with printable characters in 0x80 to 0x9F).
#pragma once

#include <string>
#include <string_view>

namespace zormon {

// True when every byte is below 0x80.
bool IsPlainAscii(std::string_view bytes);

// The characters of `bytes`: UTF-8 when the bytes are valid UTF-8 (a character cut short at
// the very end after whole ones of several bytes, as a value cut to its buffer length leaves
// it, is dropped), else Windows-1252 (its five unassigned bytes stand for the C1 control
// characters of the same value).
std::u32string DecodeJobText(std::string_view bytes);

std::string ToUtf8(std::u32string_view text);

// ISO 8859-1 bytes (the PostScript fonts' ISOLatin1Encoding); a character it cannot show,
// and every C1 control character, becomes "?".
std::string ToLatin1(std::u32string_view text);

} // namespace zormon
