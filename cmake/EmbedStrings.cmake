# Run by zor_embed_strings: turns the table INPUT into the C++ source OUTPUT. The table is
# embedded byte for byte and parsed when the module loads, so no text escaping happens here.
file(READ "${INPUT}" hex HEX)
# 16 bytes to a line, then every byte as 0xNN.
string(REGEX REPLACE "(................................)" "\\1\n    " hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${name} by zor_embed_strings; edit the table, not this file.
#include \"platform/kernel/stringtable.h\"

namespace {
// A NUL closes the array so that an empty table still has one element.
const unsigned char stringTableSource[] = {
    ${bytes}0x00};
const zorplat::StringTableRegistration registration(stringTableSource,
                                                    sizeof stringTableSource - 1);
} // namespace
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
