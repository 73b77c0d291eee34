// The job operations of the monitor's table. A job is spooled to "Varnel.<n>" in the install
// directory (n runs 1 to 100 and starts over); at its end the chooser program picks the
// destinations and the job is delivered by mail to each of them (monitor/Delivery.h).
//
// The monitor lock is taken by a successful StartDocPort and left by the EndDocPort of that
// job, so jobs on every port follow one another. Failures return FALSE with the thread's last
// error set; successes leave the last error as it was.
#pragma once

#include "platform/spooler/monitor_interface.h"

#include <cstddef>

namespace zormon {

// Longest printer name kept for the job (progress titles, cover pages).
constexpr std::size_t kMaxPrinterNameLength = 63;

// `docInfo` is a DOC_INFO_1A; the level is not looked at. Writes [PrintJob] of VComDef.ini
// and opens a fresh spool file. Fails with ERROR_INVALID_PARAMETER (no document name),
// ERROR_INVALID_HANDLE (not a port), ERROR_BUSY (a job is already open on the port; that job
// and its facts are left untouched) or the error of the spool file's creation (message 317).
BOOL StartDocPort(HANDLE port, LPSTR printerName, DWORD jobId, DWORD level, LPBYTE docInfo);

// Bytes 0x04 and 0x14 of the caller's buffer become spaces, in place; then the buffer is
// appended to the spool file. TRUE when the write succeeded or wrote anything (*written
// says how much); ERROR_INVALID_HANDLE when no job is open on the port.
BOOL WritePort(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD written);

// Ends the job: runs the chooser and, when it confirmed, the delivery; tells the user the
// outcome by message boxes, removes the work files and leaves the monitor lock. TRUE in every
// case but an invalid handle (a port with no open job has nothing to end).
BOOL EndDocPort(HANDLE port);

} // namespace zormon
