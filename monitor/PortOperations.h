// The spooler-facing port operations of the monitor's table (monitor/MonitorEntry.cpp):
// building the table, enumerating, opening, closing and reading ports. Each takes the
// monitor lock itself; failures return FALSE with the thread's last error set, successes
// leave the last error as it was.
#pragma once

#include "platform/spooler/monitor_interface.h"

namespace zormon {

// The monitor name reported in level-2 port information; the manager registers the monitor
// under it.
constexpr const char *kMonitorName = "Zorvaline Internet Port";

// Fills the table, the caller holding the monitor lock: the device registry scan (with the
// Internet port), "FILE:" (permanent), then the win.ini scan. Ports already in the table are
// not added twice, so a second initialisation changes nothing.
void BuildPortTable();

// Refreshes the table when due (monitor/NetworkRefresh.h), then: levels 0 (count only, no space needed), 1 and 2; ERROR_INVALID_LEVEL above. *needed always
// receives the bytes the level needs; a smaller buffer fails with ERROR_INSUFFICIENT_BUFFER.
// Entries are laid out from the start of the buffer, their strings packed from its end.
BOOL EnumPorts(LPSTR server, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed,
               LPDWORD returned);
// The record of the port named `name` (lookup with the ':' retry) becomes the handle;
// ERROR_UNKNOWN_PORT when there is none.
BOOL OpenPort(LPSTR name, HANDLE *port);
// Records live until deleted: nothing to do.
BOOL ClosePort(HANDLE port);
// Always adds "ZORVALINE_INTERNET:", whatever monitor was named, and records it in win.ini
// [ports]; when the write fails the record is taken out again and the write's error is
// returned. When the port is already there: message 502 (owner `window`) and
// ERROR_ALREADY_EXISTS. The Internet port is in the table from start-up on, so in practice
// this always answers the message unless the port was deleted since the last refresh.
BOOL AddPort(LPSTR server, HWND window, LPSTR monitorName);
// Non-serial ports: message 503, TRUE. COM1-COM9: the communication settings dialog on the
// port's default configuration, whose result becomes the new default. ERROR_FILE_NOT_FOUND
// when the default cannot be read, ERROR_CANCELLED when the dialog is cancelled.
BOOL ConfigurePort(LPSTR server, HWND window, LPSTR portName);
// Removes the port of exactly that name (without regard to case) and its win.ini key.
// ERROR_INVALID_PRINTER_COMMAND for a permanent port, ERROR_UNKNOWN_PORT for no such port.
BOOL DeletePort(LPSTR server, HWND window, LPSTR portName);
// Reads from the open job's file; ERROR_INVALID_HANDLE when no job is open on the port.
BOOL ReadPort(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD read);
// Only while a job is open and without a value name: the control code goes to the open
// file's device I/O control. ERROR_INVALID_PARAMETER otherwise.
BOOL GetPrinterDataFromPort(HANDLE port, DWORD controlId, LPWSTR valueName, LPWSTR inBuffer,
                            DWORD inSize, LPWSTR outBuffer, DWORD outSize, LPDWORD returned);
// Only while a job is open and with reserved 0: the open file's read-interval and
// read-total-constant time-outs become the caller's. ERROR_INVALID_PARAMETER otherwise.
BOOL SetPortTimeOuts(HANDLE port, COMMTIMEOUTS *timeouts, DWORD reserved);

} // namespace zormon
