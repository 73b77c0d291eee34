#include "manager/shell/DriverInstallation.h"

#include "manager/dialogs/Prompts.h"
#include "manager/shell/ShellStrings.h"

namespace sendaro {

// Driver installation from a disk is not built yet: the caller's operation fails, and the
// user is told why rather than left with a printer that silently never appears.
int InstallDriverAndCreatePrinter(const std::string &, const std::string &, const std::string &)
{
    Prompt(IDS_DRIVER_DISK_UNAVAILABLE, MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

} // namespace sendaro
