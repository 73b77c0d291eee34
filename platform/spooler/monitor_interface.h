// The port-monitor interface of the Windows 95 spooler: the 13-slot table a monitor fills in
// InitializeMonitorEx, and the structures passed through it. Layouts are natural, with the
// Windows-style types of windef.h.
#pragma once

#include "platform/base/windef.h"

using LPWSTR = char16_t *;

struct PORT_INFO_1A {
    LPSTR pName;
};

struct PORT_INFO_2A {
    LPSTR pPortName;
    LPSTR pMonitorName;
    LPSTR pDescription;
    DWORD fPortType;
    DWORD Reserved;
};

constexpr DWORD PORT_TYPE_WRITE = 0x1;
constexpr DWORD PORT_TYPE_READ = 0x2;
constexpr DWORD PORT_TYPE_REDIRECTED = 0x4;
constexpr DWORD PORT_TYPE_NET_ATTACHED = 0x8;

struct DOC_INFO_1A {
    LPSTR pDocName;
    LPSTR pOutputFile;
    LPSTR pDatatype;
};

struct MONITOR {
    BOOL (*pfnEnumPorts)(LPSTR pName, DWORD Level, LPBYTE pPorts, DWORD cbBuf, LPDWORD pcbNeeded,
                         LPDWORD pcReturned);
    BOOL (*pfnOpenPort)(LPSTR pName, HANDLE *pHandle);
    BOOL (*pfnOpenPortEx)(LPSTR pPortName, LPSTR pPrinterName, HANDLE *pHandle, MONITOR *pMonitor);
    BOOL (*pfnStartDocPort)(HANDLE hPort, LPSTR pPrinterName, DWORD JobId, DWORD Level, LPBYTE pDocInfo);
    BOOL (*pfnWritePort)(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten);
    BOOL (*pfnReadPort)(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead);
    BOOL (*pfnEndDocPort)(HANDLE hPort);
    BOOL (*pfnClosePort)(HANDLE hPort);
    BOOL (*pfnAddPort)(LPSTR pName, HWND hWnd, LPSTR pMonitorName);
    BOOL (*pfnConfigurePort)(LPSTR pName, HWND hWnd, LPSTR pPortName);
    BOOL (*pfnDeletePort)(LPSTR pName, HWND hWnd, LPSTR pPortName);
    BOOL (*pfnGetPrinterDataFromPort)(HANDLE hPort, DWORD ControlID, LPWSTR pValueName, LPWSTR lpInBuffer,
                                      DWORD cbInBuffer, LPWSTR lpOutBuffer, DWORD cbOutBuffer,
                                      LPDWORD lpcbReturned);
    BOOL (*pfnSetPortTimeOuts)(HANDLE hPort, COMMTIMEOUTS *lpCTO, DWORD reserved);
};
static_assert(sizeof(MONITOR) == 13 * sizeof(void *), "the spooler reads exactly 13 slots");

// The entry every monitor module exports with C linkage; the spooler looks it up by name.
using InitializeMonitorExFn = BOOL (*)(LPSTR pRegistryRoot, MONITOR *pMonitor);
constexpr const char *kInitializeMonitorExName = "InitializeMonitorEx";
