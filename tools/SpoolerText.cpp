#include "tools/SpoolerText.h"

#include "platform/registry/registry.h"
#include "platform/spooler/spooler.h"

namespace {

const char *meaning(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return "file not found";
    case ERROR_PATH_NOT_FOUND: return "folder not found";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_INVALID_HANDLE: return "invalid handle";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return "out of memory";
    case ERROR_WRITE_FAULT: return "write fault";
    case ERROR_GEN_FAILURE: return "the monitor gave no reason";
    case ERROR_DISK_FULL: return "disk full";
    case ERROR_INVALID_PARAMETER: return "invalid parameter";
    case ERROR_INVALID_NAME: return "invalid name";
    case ERROR_INVALID_LEVEL: return "invalid level";
    case ERROR_MOD_NOT_FOUND: return "the module is missing from the system directory or cannot be loaded";
    case ERROR_PROC_NOT_FOUND: return "the module has no InitializeMonitorEx entry";
    case ERROR_BUSY: return "the port is busy";
    case ERROR_BADDB: return "the registry file is damaged";
    case ERROR_CANTREAD: return "the registry file cannot be read";
    case ERROR_UNKNOWN_PORT: return "no registered monitor lists the port";
    case ERROR_UNKNOWN_PRINTER_DRIVER: return "the driver is not installed";
    case ERROR_INVALID_PRINTER_NAME: return "no such printer, or an invalid printer name";
    case ERROR_PRINTER_ALREADY_EXISTS: return "a printer of that name exists";
    case ERROR_INVALID_DATATYPE: return "invalid data type";
    case ERROR_INVALID_ENVIRONMENT: return "not an environment of this platform";
    case ERROR_PRINT_MONITOR_ALREADY_INSTALLED: return "the monitor is installed already";
    default: return nullptr;
    }
}

} // namespace

std::string DescribeSpoolerError(DWORD error)
{
    std::string text = meaning(error) ? meaning(error) : "failed";
    // The spooler keeps everything in HKEY_LOCAL_MACHINE, so its file is the one at fault.
    if (error == ERROR_BADDB) {
        const std::string problem = zorplat::RegistryProblem();
        text += ": " + (problem.empty() ? zorplat::RegistryFilePath(HKEY_LOCAL_MACHINE) : problem);
    } else if (error == ERROR_CANTREAD) {
        text += ": " + zorplat::RegistryFilePath(HKEY_LOCAL_MACHINE);
    }
    return text + " (error " + std::to_string(error) + ")";
}

int SpoolerFailureStatus(DWORD error)
{
    return error == ERROR_BADDB ? 2 : 1;
}
