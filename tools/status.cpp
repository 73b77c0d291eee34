// `zorvaline status ADDRESS`: asks a printer for its status by mail, as the manager's Get
// Status button does: the monitor module's ChooserGetStatus sends the request, with the
// password of the destination that has the address written where the monitor reads it for
// the length of the call only.
#include "tools/commands.h"

#include "manager/database/CDatabaseReader.h"
#include "manager/database/InstallPaths.h"
#include "manager/database/RecordChecks.h"
#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "platform/kernel/module.h"
#include "platform/profile/profile.h"

#include <cstdio>
#include <optional>
#include <string>

namespace {

enum StatusResult {
    kSent = 0,       // the SMTP server accepted the request
    kNotSent = 1,    // the monitor did not send it, and said why
    kNotAsked = 2,   // bad usage, or the request could not be made (module, database, settings)
};

constexpr const char *kMonitorModule = "ZORMON.DLL";
constexpr const char *kStatusEntry = "ChooserGetStatus";
using ChooserGetStatusFn = int (*)(LPSTR address);

void printHelp()
{
    std::printf("usage: zorvaline status ADDRESS\n\n"
                "Asks the printer whose mailbox is ADDRESS for its status. The monitor %s of\n"
                "the system directory mails the request through the SMTP server of the\n"
                "communication setup ([IntranetSetup] of VComdef.ini in the install directory);\n"
                "the printer answers by mail to the sender address set there.\n\n"
                "When a printer of the destination database (Sendaro.Cfg in the install\n"
                "directory) has this address, its password goes with the request as a digest:\n"
                "it is written into [ADDRESS] Password of VComdef.ini just before the request\n"
                "and emptied just after it.\n"
                "\nexit status: 0 the request was sent; 1 it was not sent (the monitor's message\n"
                "says why); 2 bad usage, or the request could not be made (the monitor cannot be\n"
                "loaded, the database is corrupted, VComdef.ini cannot be written), or the\n"
                "password could not be emptied again\n",
                kMonitorModule);
}

std::string systemFile(const char *name)
{
    char directory[MAX_PATH];
    GetSystemDirectory(directory, sizeof directory);
    return std::string(directory) + "\\" + name;
}

// "C:\X\y.ini (/root/drive_c/X/y.ini)": the file as the system names it, and where it lies.
std::string named(const std::string &windowsPath)
{
    return windowsPath + " (" + zorplat::ToLinuxPath(windowsPath) + ")";
}

// The password of the first printer of the database whose address is `address` (without
// regard to case): "" when none has it or there is no database; nullopt when the database
// is corrupted.
std::optional<std::string> destinationPassword(const std::string &address)
{
    const std::string database = zordb::InstallFilePath(zordb::kDatabaseFileName);
    if (GetFileAttributes(database.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "zorvaline status: there is no destination database %s; the request goes without a password\n",
                     named(database).c_str());
        return "";
    }
    CDatabaseReader reader;
    if (!reader.CheckDatabaseFile(database)) {
        std::fprintf(stderr, "zorvaline status: the destination database %s is corrupted\n", named(database).c_str());
        return std::nullopt;
    }
    reader.ReadIndex(database);
    reader.ReadRecords(database);
    for (const auto &printer : reader.Printers())
        if (zorplat::EqualsIgnoringCase(printer->PrinterEmail, address))
            return printer->PrinterPassword;
    std::fprintf(stderr, "zorvaline status: no printer of %s has the address %s; the request goes without a password\n",
                 named(database).c_str(), address.c_str());
    return "";
}

bool writePassword(const std::string &address, const std::string &password)
{
    const std::string settings = zordb::InstallFilePath(zordb::kCommDefaultsFileName);
    if (WritePrivateProfileString(address.c_str(), "Password", password.c_str(), settings.c_str()))
        return true;
    std::fprintf(stderr, "zorvaline status: cannot write [%s] Password of %s (error %lu)\n", address.c_str(),
                 named(settings).c_str(), static_cast<unsigned long>(GetLastError()));
    return false;
}

} // namespace

int RunStatus(int argc, char **argv)
{
    for (int i = 0; i < argc; ++i)
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            printHelp();
            return kSent;
        }
    if (argc != 1 || argv[0][0] == '-') {
        std::fprintf(stderr, "zorvaline status: give one ADDRESS (try 'zorvaline status --help')\n");
        return kNotAsked;
    }
    // The address becomes a section name and an SMTP recipient: only the characters the
    // database allows in an address may pass.
    std::string address;
    if (const zordb::CheckResult check = zordb::ValidatePrinterEmail(argv[0], address); !check.accepted) {
        std::fprintf(stderr, "zorvaline status: %s: %s\n", argv[0], check.text.c_str());
        return kNotAsked;
    }

    // The module is loaded before the password is written, so a password never stays
    // behind for a request that could not be made.
    const std::string modulePath = systemFile(kMonitorModule);
    HMODULE module = LoadLibrary(modulePath.c_str());
    if (!module) {
        std::fprintf(stderr, "zorvaline status: cannot load the monitor %s (run 'zorvaline setup')\n",
                     named(modulePath).c_str());
        return kNotAsked;
    }
    const auto chooserGetStatus = reinterpret_cast<ChooserGetStatusFn>(GetProcAddress(module, kStatusEntry));
    if (!chooserGetStatus) {
        std::fprintf(stderr, "zorvaline status: the monitor %s has no %s entry\n", named(modulePath).c_str(),
                     kStatusEntry);
        FreeLibrary(module);
        return kNotAsked;
    }

    const std::optional<std::string> password = destinationPassword(address);
    if (!password || !writePassword(address, *password)) {
        FreeLibrary(module);
        return kNotAsked;
    }
    const int result = chooserGetStatus(address.data());
    FreeLibrary(module);
    const bool emptied = writePassword(address, "");

    if (result != 0) {
        std::fprintf(stderr, "zorvaline status: the request to %s was not sent (result %d)\n", address.c_str(), result);
        return emptied ? kNotSent : kNotAsked;
    }
    std::printf("status request sent to %s; the printer answers by mail to the sender address of the "
                "communication setup\n",
                address.c_str());
    return emptied ? kSent : kNotAsked;
}
