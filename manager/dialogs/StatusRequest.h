// A printer's status requested by mail: the manager hands the printer's password to the port
// monitor through VComdef.ini and calls the monitor's ChooserGetStatus, loaded at run time
// from the system directory.
#pragma once

#include <string>

namespace sendaro {

// How far the request came; the user is not told (the monitor shows its own messages).
enum class StatusRequestResult {
    Called,          // ChooserGetStatus was called (its own result is not looked at)
    ModuleMissing,   // ZorMon.Dll could not be loaded
    ExportMissing,   // the module has no ChooserGetStatus
};

// Writes the stored password of `printerName` (Sendaro.cfg of the install directory) as
// [email] Password of VComdef.ini, calls ChooserGetStatus(email) from ZorMon.Dll in the
// system directory, and empties that Password again on every path, so the password never
// stays in the file.
StatusRequestResult RequestPrinterStatus(const std::string &printerName, const std::string &email);

} // namespace sendaro
