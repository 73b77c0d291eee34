#include "manager/shell/DriverInstallation.h"

#include "manager/setup/DriverInstaller.h"

#include <QApplication>

namespace sendaro {

int InstallDriverAndCreatePrinter(const std::string &printer, const std::string &driver, const std::string &infPath)
{
    DriverInstaller installer;
    // The scan fills the model table a SETUP.INF disk's file list is built from; a disk
    // that offers nothing shows its own message and the installation then fails.
    if (!infPath.empty())
        installer.ScanDriverDisk(infPath);
    return installer.InstallDriverAndCreatePrinter(printer, driver, infPath, QApplication::activeWindow()) ? 1 : 0;
}

} // namespace sendaro
