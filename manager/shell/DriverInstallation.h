// Where the Add Printer path hands over when the chosen driver must first be installed from
// a driver disk (an INF file): install the driver, then create the Windows printer.
#pragma once

#include <string>

namespace sendaro {

// Scans the disk of `infPath` (when not empty), installs `driver` from it with the dialog
// "Printer Driver Files" over the active window, and creates the Windows printer `printer`
// on the Internet port. 1 on success, 0 on failure; a failure shows nothing here (the
// caller says that the printer could not be added).
int InstallDriverAndCreatePrinter(const std::string &printer, const std::string &driver,
                                  const std::string &infPath);

} // namespace sendaro
