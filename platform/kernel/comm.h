// Default settings of serial ports and the dialog that edits them. A port exists when the
// device registry lists it (HKEY_DYN_DATA\Config Manager\Enum\<id> HardWareKey, whose
// HKEY_LOCAL_MACHINE\Enum\<hardware key> has the PortName); its default settings are the
// string value Settings of that device key, in the form "9600,n,8,1[,x|p]" (baud rate;
// parity n, o, e, m or s; data bits 5 to 8; stop bits 1, 1.5 or 2; flow control by XON/XOFF
// or by the hardware lines). A port without the value has 9600,n,8,1.
#pragma once

#include "platform/base/commconfig.h"
#include "platform/base/windef.h"

#include <optional>
#include <string>

// The default configuration of port `name` ("COM1"; a trailing ':' is allowed). *size is the
// buffer size on entry and the bytes written on return. Fails with ERROR_FILE_NOT_FOUND for
// a port the device registry does not list, ERROR_INSUFFICIENT_BUFFER (with the size needed
// in *size) for a small buffer, ERROR_INVALID_DATA when the stored settings cannot be read.
BOOL GetDefaultCommConfig(LPCSTR name, LPCOMMCONFIG config, LPDWORD size);
// Stores `config` as the port's default. ERROR_INVALID_PARAMETER for settings out of range or
// a size smaller than COMMCONFIG; ERROR_FILE_NOT_FOUND as above; registry errors as they come.
BOOL SetDefaultCommConfig(LPCSTR name, LPCOMMCONFIG config, DWORD size);
// Shows the communication settings dialog of port `name` on `config`, through the UI
// backend (the headless one answers with the OK button and changes nothing); the journal
// records a "commconfig" event. TRUE when the user chose OK, `config` then holding the
// settings chosen; FALSE with ERROR_CANCELLED when cancelled, ERROR_FILE_NOT_FOUND for an
// unknown port, ERROR_INVALID_PARAMETER for settings out of range.
BOOL CommConfigDialog(LPCSTR name, HWND owner, LPCOMMCONFIG config);

namespace zorplat {

// "9600,n,8,1" and back; nullopt for text that is not in that form or out of range.
std::string FormatCommSettings(const DCB &dcb);
std::optional<DCB> ParseCommSettings(const std::string &text);

} // namespace zorplat
