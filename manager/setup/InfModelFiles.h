// The files a model of a Windows 95 INF needs, read from its install section: the CopyFiles
// list (single '@' files and file sections) and the roles of its DataSection.
#pragma once

#include "manager/setup/DriverFile.h"

#include <string>
#include <vector>

namespace sendaro {

// The files of the model whose key in [Zorvaline] of `infPath` is `lookupKey` (with its
// quotes), in list order. A file already in the system directory has that path and "File
// Already Exists", any other the INF directory's path and "Need to Copy File". Empty when
// the model has no install section.
std::vector<DriverFile> ReadInfModelFiles(const std::string &infPath, const std::string &infDirectory,
                                          const std::string &lookupKey);

} // namespace sendaro
