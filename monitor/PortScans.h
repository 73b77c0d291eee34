// The two scans that fill the port table from the machine: the device registry (serial and
// parallel ports, with the Internet port after them) and the [ports] section of win.ini.
// Both only add ports the table does not hold yet, so they run again at every refresh. The
// caller holds the monitor lock.
#pragma once

namespace zormon {

// Every device of class "Ports" or "Modem" listed under HKEY_DYN_DATA\Config Manager\Enum
// becomes a permanent record named after its PortName with ':' appended, described by its
// driver's DriverDesc. "ZORVALINE_INTERNET:" follows the first device port appended and,
// when the scan appended none, ends the scan, so the monitor always lists its own port.
void ScanDeviceRegistry();

// Every key of win.ini [ports] becomes a record described "Unknown Port", except network
// queue paths (two leading backslashes), LPT1-9, COM1-9, FILE:, the Internet port and names
// already in the table.
void ScanWinIniPorts();

// Appends "ZORVALINE_INTERNET:" (described by string 506, not permanent) when the table lacks
// it; FALSE when it cannot be appended.
bool EnsureInternetPort();

} // namespace zormon
