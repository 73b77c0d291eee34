// Default settings of serial ports and the dialog that edits them. A port exists when the
// device registry lists it (HKEY_DYN_DATA\Config Manager\Enum\<id> HardWareKey, whose
// HKEY_LOCAL_MACHINE\Enum\<hardware key> has the PortName); its default settings are the
// string value Settings of that device key, in the form "9600,n,8,1[,x|p]" (baud rate;
// parity n, o, e, m or s; data bits 5 to 8; stop bits 1, 1.5 or 2; flow control by XON/XOFF
// or by the hardware lines). A port without the value has 9600,n,8,1.
#pragma once

#include "platform/windef.h"

#include <optional>
#include <string>

struct DCB {
    DWORD DCBlength;
    DWORD BaudRate;
    DWORD fBinary : 1;
    DWORD fParity : 1;
    DWORD fOutxCtsFlow : 1;
    DWORD fOutxDsrFlow : 1;
    DWORD fDtrControl : 2;
    DWORD fDsrSensitivity : 1;
    DWORD fTXContinueOnXoff : 1;
    DWORD fOutX : 1;
    DWORD fInX : 1;
    DWORD fErrorChar : 1;
    DWORD fNull : 1;
    DWORD fRtsControl : 2;
    DWORD fAbortOnError : 1;
    DWORD fDummy2 : 17;
    WORD wReserved;
    WORD XonLim;
    WORD XoffLim;
    BYTE ByteSize;
    BYTE Parity;
    BYTE StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    WORD wReserved1;
};

struct COMMCONFIG {
    DWORD dwSize;
    WORD wVersion;
    WORD wReserved;
    DCB dcb;
    DWORD dwProviderSubType;
    DWORD dwProviderOffset;
    DWORD dwProviderSize;
    char16_t wcProviderData[1];
};
using LPCOMMCONFIG = COMMCONFIG *;

constexpr BYTE NOPARITY = 0;
constexpr BYTE ODDPARITY = 1;
constexpr BYTE EVENPARITY = 2;
constexpr BYTE MARKPARITY = 3;
constexpr BYTE SPACEPARITY = 4;
constexpr BYTE ONESTOPBIT = 0;
constexpr BYTE ONE5STOPBITS = 1;
constexpr BYTE TWOSTOPBITS = 2;
constexpr DWORD PST_RS232 = 1;

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
