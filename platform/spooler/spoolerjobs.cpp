// The job path: a document written to a printer goes straight to the port monitor that
// owns the printer's port (the printers print directly to their ports; nothing is queued).
// One job of a root runs at a time, across processes, as in one spooler process.
#include "platform/base/lasterror.h"
#include "platform/spooler/monitorhost.h"
#include "platform/base/paths.h"
#include "platform/spooler/printerhandle.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/spoolerstore.h"
#include "platform/base/text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

using namespace zorplat::spooler;

namespace {

// The next job id of the root, kept as ten digits in the job lock file, which the caller
// holds: ids grow across processes without a write of the registry per job. The record is
// not forced to disk: after a crash the ids may start again at 1, as a restarted spooler's
// do. 0 with the last error set when the lock file cannot be read or written.
DWORD nextJobId(const zorplat::FileLock &jobLock)
{
    constexpr size_t kDigits = 10; // the largest DWORD
    char record[kDigits + 1] = {};
    const ssize_t got = ::pread(jobLock.descriptor(), record, kDigits, 0);
    if (got < 0)
        return Fail(zorplat::ErrorFromErrno(errno));
    // An empty or damaged record starts the ids again.
    const unsigned long long stored = std::strtoull(record, nullptr, 10);
    const DWORD id = stored == 0 || stored > 0xFFFFFFFFull ? 1 : static_cast<DWORD>(stored);
    char next[kDigits + 2];
    std::snprintf(next, sizeof next, "%010lu\n", static_cast<unsigned long>(id == 0xFFFFFFFF ? 1 : id + 1));
    errno = 0;
    if (::pwrite(jobLock.descriptor(), next, kDigits + 1, 0) != static_cast<ssize_t>(kDigits + 1))
        return Fail(zorplat::ErrorFromErrno(errno != 0 ? errno : ENOSPC));
    return id;
}

// Fails the job call because the monitor's `call` failed: its last error stands.
BOOL monitorFailed(PrinterHandle &handle, const char *call)
{
    const DWORD error = GetLastError();
    handle.failedMonitorCall = call;
    SetLastError(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
    return FALSE;
}

} // namespace

namespace zorplat::spooler {

BOOL EndJob(PrinterHandle &handle)
{
    std::unique_ptr<PrinterJob> job = std::move(handle.job);
    const MONITOR &table = job->monitor->table;
    BOOL ended = TRUE;
    DWORD error = ERROR_SUCCESS;
    SetLastError(ERROR_SUCCESS);
    if (table.pfnEndDocPort && !table.pfnEndDocPort(job->port)) {
        ended = monitorFailed(handle, "EndDocPort");
        error = GetLastError();
    }
    SetLastError(ERROR_SUCCESS);
    if (table.pfnClosePort && !table.pfnClosePort(job->port) && ended) {
        ended = monitorFailed(handle, "ClosePort");
        error = GetLastError();
    }
    job.reset(); // releases the job lock
    SetLastError(error);
    return ended;
}

} // namespace zorplat::spooler

DWORD StartDocPrinter(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo)
{
    PrinterHandle *handle = LookupPrinterHandle(hPrinter);
    if (!handle)
        return 0;
    handle->failedMonitorCall.clear();
    if (Level != 1)
        return Fail(ERROR_INVALID_LEVEL);
    const auto *docInfo = reinterpret_cast<const DOC_INFO_1A *>(pDocInfo);
    if (!docInfo)
        return Fail(ERROR_INVALID_PARAMETER);
    if (docInfo->pDatatype && !zorplat::EqualsIgnoringCase(docInfo->pDatatype, "RAW"))
        return Fail(ERROR_INVALID_DATATYPE);
    if (handle->job)
        return Fail(ERROR_INVALID_PRINTER_STATE);

    auto job = std::make_unique<PrinterJob>();
    job->jobLock = std::make_unique<zorplat::FileLock>(zorplat::RootDirectory() + "/spooler-jobs");
    if (!job->jobLock->locked())
        return FALSE;

    // The printer is read once the lock is held: a change made while this job waited counts.
    std::string port;
    {
        RegKey key;
        if (!handle->deleted)
            key = RegKey::Open(std::string(kPrintersKey) + "\\" + handle->printerName);
        const std::optional<std::string> portName = key.string("Port");
        if (ReadFailed(key))
            return 0;
        if (!key.valid() || !portName)
            return Fail(ERROR_INVALID_PRINTER_NAME);
        job->printerName = key.string("Name").value_or(handle->printerName);
        port = *portName;
    }

    MonitorProblem problem;
    job->monitor = FindPortMonitor(port, &problem);
    if (!job->monitor) {
        // A monitor that could not be asked is the likelier cause than an unknown port; with
        // none, the error stands (the unknown port, or a registry that cannot be read).
        if (problem.error == ERROR_SUCCESS)
            return 0;
        if (!problem.failedCall.empty())
            handle->failedMonitorCall = problem.failedCall;
        return Fail(problem.error);
    }
    const MONITOR &table = job->monitor->table;
    if (!table.pfnOpenPort || !table.pfnStartDocPort || !table.pfnWritePort)
        return Fail(ERROR_CALL_NOT_IMPLEMENTED);

    job->id = nextJobId(*job->jobLock);
    if (!job->id)
        return 0;
    job->hasDocumentName = docInfo->pDocName != nullptr;
    job->documentName = docInfo->pDocName ? docInfo->pDocName : "";
    job->datatype = "RAW";

    SetLastError(ERROR_SUCCESS);
    if (!table.pfnOpenPort(port.data(), &job->port))
        return monitorFailed(*handle, "OpenPort");
    DOC_INFO_1A portDocInfo{job->hasDocumentName ? job->documentName.data() : nullptr, nullptr, job->datatype.data()};
    SetLastError(ERROR_SUCCESS);
    if (!table.pfnStartDocPort(job->port, job->printerName.data(), job->id, 1, reinterpret_cast<LPBYTE>(&portDocInfo))) {
        monitorFailed(*handle, "StartDocPort");
        const DWORD error = GetLastError();
        if (table.pfnClosePort)
            table.pfnClosePort(job->port);
        SetLastError(error);
        return 0;
    }
    const DWORD id = job->id;
    handle->job = std::move(job);
    return id;
}

BOOL WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten)
{
    PrinterHandle *handle = LookupPrinterHandle(hPrinter);
    if (!handle)
        return FALSE;
    handle->failedMonitorCall.clear();
    if (!pcWritten || (!pBuf && cbBuf))
        return Fail(ERROR_INVALID_PARAMETER);
    *pcWritten = 0;
    if (!handle->job)
        return Fail(ERROR_SPL_NO_STARTDOC);

    PrinterJob &job = *handle->job;
    job.writeCopy.assign(static_cast<const BYTE *>(pBuf), static_cast<const BYTE *>(pBuf) + cbBuf);
    DWORD taken = 0;
    while (taken < cbBuf) {
        DWORD written = 0;
        SetLastError(ERROR_SUCCESS);
        if (!job.monitor->table.pfnWritePort(job.port, job.writeCopy.data() + taken, cbBuf - taken, &written))
            return monitorFailed(*handle, "WritePort");
        // A monitor that accepts the call but takes nothing would be asked for ever.
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return monitorFailed(*handle, "WritePort");
        }
        taken += std::min(written, cbBuf - taken);
        *pcWritten = taken;
    }
    return TRUE;
}

BOOL EndDocPrinter(HANDLE hPrinter)
{
    PrinterHandle *handle = LookupPrinterHandle(hPrinter);
    if (!handle)
        return FALSE;
    handle->failedMonitorCall.clear();
    if (!handle->job)
        return Fail(ERROR_SPL_NO_STARTDOC);
    return EndJob(*handle);
}

namespace zorplat {

std::string FailedMonitorCall(HANDLE hPrinter)
{
    const DWORD savedError = GetLastError();
    const spooler::PrinterHandle *handle = spooler::LookupPrinterHandle(hPrinter);
    SetLastError(savedError);
    return handle ? handle->failedMonitorCall : "";
}

} // namespace zorplat
