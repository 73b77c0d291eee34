// Internal to the spooler: what a printer handle stands for, and the job running on it.
#pragma once

#include "platform/files/atomicfile.h"
#include "platform/spooler/monitorhost.h"
#include "platform/base/windef.h"

#include <memory>
#include <string>
#include <vector>

namespace zorplat::spooler {

// A document being handed to a port, from StartDocPrinter to EndDocPrinter. It holds the
// root's job lock all that time, so that jobs follow one another across processes.
struct PrinterJob {
    std::unique_ptr<FileLock> jobLock;
    const LoadedMonitor *monitor = nullptr;
    HANDLE port = nullptr;
    DWORD id = 0;
    // The monitor keeps pointers to these for the job's length.
    std::string printerName;
    std::string documentName;
    bool hasDocumentName = false;
    std::string datatype;
    // WritePort may change the bytes it is given; the caller's buffer is copied here first.
    std::vector<BYTE> writeCopy;
};

struct PrinterHandle {
    std::string printerName; // as stored, updated when this process renames the printer
    bool deleted = false;
    std::unique_ptr<PrinterJob> job;
    std::string failedMonitorCall;
};

// The handle's object, or null with ERROR_INVALID_HANDLE.
PrinterHandle *LookupPrinterHandle(HANDLE handle);
HANDLE NewPrinterHandle(const std::string &printerName);
// Forgets and frees the object.
void ForgetPrinterHandle(HANDLE handle);
// Handles of this process that are open on `oldName` follow a rename, or are marked
// deleted when newName is empty.
void UpdatePrinterHandles(const std::string &oldName, const std::string &newName);

// Ends a running job on the handle (EndDocPort, ClosePort, lock released). FALSE with the
// monitor's error, and the call named in failedMonitorCall, when the monitor fails.
BOOL EndJob(PrinterHandle &handle);

} // namespace zorplat::spooler
