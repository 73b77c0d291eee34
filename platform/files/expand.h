// The system's "expand" program, as a call: restores the compressed files of setup disks
// (the SZDD and KWAJ formats, "adobeps4.dr_") with libmspack.
#pragma once

#include <string>
#include <string_view>

namespace zorplat {

// Expands `source` (a Windows or Linux path) into the folder `destinationFolder` under its
// expanded name: for SZDD the file name with its last character put back from the header
// (a name without one keeps its spelling), for KWAJ the name the header keeps, else the
// source's name. An existing file of that name is replaced whole. Returns the Linux path
// of the expanded file, or "" with the last error: ERROR_FILE_NOT_FOUND (no source),
// ERROR_PATH_NOT_FOUND (no such folder), ERROR_BAD_FORMAT (not a compressed file, or a
// damaged one), ERROR_WRITE_FAULT (the expanded file could not be written).
std::string ExpandFile(std::string_view source, std::string_view destinationFolder);

} // namespace zorplat
