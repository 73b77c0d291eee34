// Where the Add Printer path hands over when the chosen driver must first be installed from
// a driver disk (an INF file): install the driver, then create the Windows printer.
#pragma once

#include <string>

namespace sendaro {

// Installs `driver` from the disk of `infPath` (when not empty) and creates the Windows
// printer `printer` on the Internet port. 1 on success, 0 on failure, after telling the user.
int InstallDriverAndCreatePrinter(const std::string &printer, const std::string &driver,
                                  const std::string &infPath);

} // namespace sendaro
