#include "manager/dialogs/StatusRequest.h"

#include "manager/database/InstallPaths.h"
#include "platform/base/paths.h"
#include "platform/kernel/module.h"
#include "platform/profile/profile.h"

namespace sendaro {

namespace {

constexpr DWORD kValueSize = 255; // the install directory and the password, 254 characters

using ChooserGetStatusProc = int (*)(LPSTR address);

std::string systemDirectory()
{
    char buffer[MAX_PATH] = {};
    GetSystemDirectory(buffer, sizeof buffer);
    return buffer;
}

StatusRequestResult callMonitor(const std::string &email)
{
    HMODULE monitor = LoadLibrary((systemDirectory() + "\\ZorMon.Dll").c_str());
    if (!monitor)
        return StatusRequestResult::ModuleMissing;
    auto getStatus = reinterpret_cast<ChooserGetStatusProc>(GetProcAddress(monitor, "ChooserGetStatus"));
    if (getStatus) {
        std::string address = email;
        getStatus(address.data());
    }
    FreeLibrary(monitor);
    return getStatus ? StatusRequestResult::Called : StatusRequestResult::ExportMissing;
}

} // namespace

StatusRequestResult RequestPrinterStatus(const std::string &printerName, const std::string &email)
{
    char installDirectory[kValueSize] = {};
    GetPrivateProfileString("Install", "Directory", "", installDirectory, kValueSize,
                            (systemDirectory() + "\\Varnel.ini").c_str());
    const std::string installPath = installDirectory;
    const std::string database = installPath + "\\" + zordb::kDatabaseFileName;
    const std::string commDefaults = installPath + "\\" + zordb::kCommDefaultsFileName;

    char password[kValueSize] = {};
    GetPrivateProfileString(printerName.c_str(), "PrinterPassword", "", password, kValueSize, database.c_str());
    WritePrivateProfileString(email.c_str(), "Password", password, commDefaults.c_str());
    const StatusRequestResult result = callMonitor(email);
    // Whatever became of the call, the password leaves the file the monitor reads.
    WritePrivateProfileString(email.c_str(), "Password", "", commDefaults.c_str());
    return result;
}

} // namespace sendaro
