// Writes the classic compressed-file format of setup disks (SZDD) without compressing: every
// byte is stored as a literal of the LZSS stream. Enough to make driver disks whose files the
// platform's expand must restore, and small enough to trust.
#pragma once

#include <string>

namespace zortest {

// The SZDD file for `content`; `lastCharacter` is the character the compressed file's name
// replaces by '_' (the 'v' of "adobeps4.drv" for "adobeps4.dr_").
std::string SzddStored(const std::string &content, char lastCharacter);

} // namespace zortest
