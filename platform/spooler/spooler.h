// The print spooler: monitors, printer drivers and printers, kept in the registry under
// HKLM\System\CurrentControlSet\Control\Print so that every process of one root sees the same
// spooler, and the job path that hands a document to the port monitor owning the printer's
// port. ANSI forms with the Windows contracts:
// - enumerations and queries take a buffer and its size; when it is too small they fail with
//   ERROR_INSUFFICIENT_BUFFER and store the size needed (the first call of the usual pair
//   passes no buffer and size 0). The fixed structures come first, their strings are packed
//   after them in the same buffer.
// - every failure returns FALSE (or null / 0) with the thread's last error set.
// - server names: only the local machine (null or empty) is served; any other name fails
//   with ERROR_INVALID_NAME.
// - environments: "Windows 4.0" and "Windows NT x86". The current environment follows the
//   version query (ZORVALINE_PLATFORM): "Windows 4.0" on the Windows 95 family, "Windows NT
//   x86" on Windows NT; any other platform has none, so calls that need it fail with
//   ERROR_INVALID_ENVIRONMENT.
#pragma once

#include "platform/spooler/monitor_interface.h"
#include "platform/base/windef.h"

#include <string>

using LPHANDLE = HANDLE *;
using PSECURITY_DESCRIPTOR = void *;

// The device settings a printer keeps for its driver: the public part (dmSize bytes, this
// structure) followed by dmDriverExtra bytes that belong to the driver.
struct DEVMODEA {
    BYTE dmDeviceName[32];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    short dmOrientation;
    short dmPaperSize;
    short dmPaperLength;
    short dmPaperWidth;
    short dmScale;
    short dmCopies;
    short dmDefaultSource;
    short dmPrintQuality;
    short dmColor;
    short dmDuplex;
    short dmYResolution;
    short dmTTOption;
    short dmCollate;
    BYTE dmFormName[32];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFlags;
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
    DWORD dmPanningWidth;
    DWORD dmPanningHeight;
};
using LPDEVMODEA = DEVMODEA *;

struct PRINTER_INFO_2A {
    LPSTR pServerName;
    LPSTR pPrinterName;
    LPSTR pShareName;
    LPSTR pPortName;
    LPSTR pDriverName;
    LPSTR pComment;
    LPSTR pLocation;
    LPDEVMODEA pDevMode;
    LPSTR pSepFile;
    LPSTR pPrintProcessor;
    LPSTR pDatatype;
    LPSTR pParameters;
    PSECURITY_DESCRIPTOR pSecurityDescriptor;
    DWORD Attributes;
    DWORD Priority;
    DWORD DefaultPriority;
    DWORD StartTime;
    DWORD UntilTime;
    DWORD Status;
    DWORD cJobs;
    DWORD AveragePPM;
};

struct PRINTER_INFO_4A {
    LPSTR pPrinterName;
    LPSTR pServerName;
    DWORD Attributes;
};

struct PRINTER_INFO_5A {
    LPSTR pPrinterName;
    LPSTR pPortName;
    DWORD Attributes;
    DWORD DeviceNotSelectedTimeout;
    DWORD TransmissionRetryTimeout;
};

struct DRIVER_INFO_1A {
    LPSTR pName;
};

struct DRIVER_INFO_2A {
    DWORD cVersion;
    LPSTR pName;
    LPSTR pEnvironment;
    LPSTR pDriverPath;
    LPSTR pDataFile;
    LPSTR pConfigFile;
};

struct DRIVER_INFO_3A {
    DWORD cVersion;
    LPSTR pName;
    LPSTR pEnvironment;
    LPSTR pDriverPath;
    LPSTR pDataFile;
    LPSTR pConfigFile;
    LPSTR pHelpFile;
    LPSTR pDependentFiles; // a list of strings, each ended by NUL, ended by an empty one
    LPSTR pMonitorName;
    LPSTR pDefaultDataType;
};

struct MONITOR_INFO_1A {
    LPSTR pName;
};

struct MONITOR_INFO_2A {
    LPSTR pName;
    LPSTR pEnvironment;
    LPSTR pDLLName;
};

struct PRINTER_DEFAULTSA {
    LPSTR pDatatype;
    LPDEVMODEA pDevMode;
    DWORD DesiredAccess;
};

// EnumPrinters flags.
constexpr DWORD PRINTER_ENUM_DEFAULT = 0x1;
constexpr DWORD PRINTER_ENUM_LOCAL = 0x2;

// Printer attributes.
constexpr DWORD PRINTER_ATTRIBUTE_QUEUED = 0x1;
constexpr DWORD PRINTER_ATTRIBUTE_DIRECT = 0x2;
constexpr DWORD PRINTER_ATTRIBUTE_DEFAULT = 0x4;
constexpr DWORD PRINTER_ATTRIBUTE_SHARED = 0x8;
constexpr DWORD PRINTER_ATTRIBUTE_LOCAL = 0x40;

// Access rights (accepted and kept with the handle; every local caller may do everything).
constexpr DWORD PRINTER_ACCESS_ADMINISTER = 0x4;
constexpr DWORD PRINTER_ACCESS_USE = 0x8;
constexpr DWORD PRINTER_ALL_ACCESS = 0xF000C;

// The job calls on a handle without a document started.
constexpr DWORD ERROR_SPL_NO_STARTDOC = 3004;

constexpr const char *kEnvironmentWindows95 = "Windows 4.0";
constexpr const char *kEnvironmentWindowsNT = "Windows NT x86";

// Monitors. EnumMonitors: level 1 or 2. AddMonitor: level 2; the environment must be the
// current one (ERROR_INVALID_ENVIRONMENT), the DLL must exist in the system directory
// (ERROR_MOD_NOT_FOUND) and export InitializeMonitorEx (ERROR_PROC_NOT_FOUND); a name that is
// registered already, compared exactly, fails with ERROR_PRINT_MONITOR_ALREADY_INSTALLED.
BOOL EnumMonitors(LPSTR pName, DWORD Level, LPBYTE pMonitors, DWORD cbBuf, LPDWORD pcbNeeded,
                  LPDWORD pcReturned);
BOOL AddMonitor(LPSTR pName, DWORD Level, LPBYTE pMonitors);

// Drivers, per environment (null: the current one; an unknown one: ERROR_INVALID_ENVIRONMENT).
// EnumPrinterDrivers: levels 1, 2 and 3. AddPrinterDriver: levels 2 and 3; the driver, data
// and configuration files (and help and dependent files when given) are file names, or paths
// whose file name is taken, of files in the system directory (ERROR_FILE_NOT_FOUND); the
// environment of the structure, when given, is the one installed into; a name installed
// already is replaced. GetPrinterDriverDirectory: level 1, the system directory.
BOOL EnumPrinterDrivers(LPSTR pName, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                        DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned);
BOOL AddPrinterDriver(LPSTR pName, DWORD Level, LPBYTE pDriverInfo);
BOOL GetPrinterDriverDirectory(LPSTR pName, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverDirectory,
                               DWORD cbBuf, LPDWORD pcbNeeded);

// Printers. EnumPrinters: PRINTER_ENUM_LOCAL (or PRINTER_ENUM_DEFAULT: only the default
// printer), levels 2, 4 and 5, in name order. Printer names compare without regard to case.
// AddPrinter: level 2, every member kept (the security descriptor excepted: none is stored);
// fails with ERROR_INVALID_PRINTER_NAME (empty, longer than 220 characters, or holding '\'
// or ','), ERROR_PRINTER_ALREADY_EXISTS, ERROR_UNKNOWN_PRINTER_DRIVER (not installed in the
// current environment) or ERROR_UNKNOWN_PORT (listed by no registered monitor), in this
// order; it returns an open handle. OpenPrinter: an unknown name fails with
// ERROR_INVALID_PRINTER_NAME. GetPrinter: levels 2, 4 and 5. SetPrinter: level 2 with
// command 0 replaces every member; a new name renames the printer in place (the checks of
// AddPrinter apply, the driver and port ones only when those change). DeletePrinter: the
// printer goes at once; its handle stays to be closed and fails every other call with
// ERROR_INVALID_PRINTER_NAME, as do handles on a printer another process renamed.
BOOL EnumPrinters(DWORD Flags, LPSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf,
                  LPDWORD pcbNeeded, LPDWORD pcReturned);
HANDLE AddPrinter(LPSTR pName, DWORD Level, LPBYTE pPrinter);
BOOL OpenPrinter(LPSTR pPrinterName, LPHANDLE phPrinter, PRINTER_DEFAULTSA *pDefault);
BOOL GetPrinter(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded);
BOOL SetPrinter(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command);
BOOL DeletePrinter(HANDLE hPrinter);
BOOL ClosePrinter(HANDLE hPrinter);

// The default printer is kept as on the Windows 95 family, in win.ini [windows]
// device=NAME,winspool,PORT, where programs that read win.ini find it too. The first printer
// added while there is no default becomes the default; deleting the default printer leaves
// none; renaming it carries it over.
// GetDefaultPrinter: pcchBuffer is the buffer's size in characters, set to the size needed
// (with the NUL); ERROR_INSUFFICIENT_BUFFER when short, ERROR_FILE_NOT_FOUND when there is
// no default printer (or it no longer exists). SetDefaultPrinter: a printer that exists
// (ERROR_INVALID_PRINTER_NAME); null or empty keeps the default, or when there is none
// makes the first printer the default.
BOOL GetDefaultPrinter(LPSTR pszBuffer, LPDWORD pcchBuffer);
BOOL SetDefaultPrinter(LPCSTR pszPrinter);

// The job path. StartDocPrinter (level 1: document name, output file ignored, data type
// null or "RAW", else ERROR_INVALID_DATATYPE) waits until no other job of the root runs,
// finds the monitor that lists the printer's port (ERROR_UNKNOWN_PORT, or the error of a
// monitor that could not be loaded or asked), then OpenPort and StartDocPort (level 1:
// document name, no output file, "RAW"); it returns the job id, which grows across
// processes, or 0. WritePrinter hands the bytes to WritePort until every byte is taken; the
// caller's buffer is never modified. EndDocPrinter runs EndDocPort and ClosePort and lets
// the next job of the root start. A monitor call that fails makes the spooler call fail
// with the monitor's last error (zorplat::FailedMonitorCall names it); after a failed
// WritePrinter the job stays open until EndDocPrinter or ClosePrinter ends it.
// ClosePrinter on a handle with a running job ends that job first. Without a running job,
// WritePrinter and EndDocPrinter fail with ERROR_SPL_NO_STARTDOC.
DWORD StartDocPrinter(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo);
BOOL WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten);
BOOL EndDocPrinter(HANDLE hPrinter);

namespace zorplat {

// The current environment ("Windows 4.0", "Windows NT x86"), or "" on any other platform.
std::string CurrentEnvironment();

// The name of the monitor operation ("OpenPort", "StartDocPort", "WritePort", "EndDocPort",
// "InitializeMonitorEx", "EnumPorts") whose failure made the last job call on this printer
// handle fail, or "" when the last job call succeeded or failed in the spooler itself.
std::string FailedMonitorCall(HANDLE hPrinter);

} // namespace zorplat
