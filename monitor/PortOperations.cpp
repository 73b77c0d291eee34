#include "monitor/PortOperations.h"

#include "monitor/DebugLine.h"
#include "monitor/MessageBoxRoutine.h"
#include "monitor/MonitorLock.h"
#include "monitor/MonitorStrings.h"
#include "monitor/MonitorText.h"
#include "monitor/NetworkRefresh.h"
#include "monitor/PortScans.h"
#include "monitor/PortTable.h"
#include "platform/kernel/comm.h"
#include "platform/files/files.h"
#include "platform/base/lasterror.h"
#include "platform/profile/profile.h"
#include "platform/ui/ui.h"

#include <cstring>
#include <string>

namespace zormon {

namespace {

constexpr const char *kPortsSection = "ports";

BOOL fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// A successful operation leaves the caller's last error as it was, whatever the registry,
// profile and message-box calls made on the way set it.
class CallerError {
public:
    BOOL succeed() const
    {
        SetLastError(m_error);
        return TRUE;
    }

private:
    DWORD m_error = GetLastError();
};

const char *descriptionOf(const PortRecord &record)
{
    if (record.has(PortFlagNetwork) && record.remoteName)
        return record.remoteName;
    return record.description ? record.description : "";
}

DWORD portTypeOf(const PortRecord &record)
{
    if (record.has(PortFlagNetwork))
        return PORT_TYPE_WRITE | PORT_TYPE_REDIRECTED;
    if (record.kind() & kPortKindReadable)
        return PORT_TYPE_WRITE | PORT_TYPE_READ;
    return PORT_TYPE_WRITE;
}

// Packs strings from the end of the buffer downwards, as the spooler's own monitors do.
class StringPacker {
public:
    explicit StringPacker(LPBYTE end) : m_end(reinterpret_cast<char *>(end)) {}
    LPSTR pack(const char *text)
    {
        size_t size = std::strlen(text) + 1;
        m_end -= size;
        std::memcpy(m_end, text, size);
        return m_end;
    }

private:
    char *m_end;
};

// One walk for both passes: with `buffer` null it only sums the sizes, so the size reported
// and the bytes written cannot disagree.
DWORD walkPorts(DWORD level, LPBYTE buffer, DWORD size)
{
    DWORD needed = 0;
    DWORD index = 0;
    StringPacker packer(buffer ? buffer + size : nullptr);
    for (PortRecord *record = FirstPort(); record; record = record->next, ++index) {
        const char *description = descriptionOf(*record);
        if (level == 1) {
            needed += sizeof(PORT_INFO_1A) + std::strlen(record->name) + 1;
            if (buffer) {
                auto *entry = reinterpret_cast<PORT_INFO_1A *>(buffer) + index;
                entry->pName = packer.pack(record->name);
            }
        } else {
            needed += sizeof(PORT_INFO_2A) + std::strlen(record->name) + 1 +
                      std::strlen(kMonitorName) + 1 + std::strlen(description) + 1;
            if (buffer) {
                auto *entry = reinterpret_cast<PORT_INFO_2A *>(buffer) + index;
                entry->pPortName = packer.pack(record->name);
                entry->pMonitorName = packer.pack(kMonitorName);
                entry->pDescription = packer.pack(description);
                entry->fPortType = portTypeOf(*record);
                entry->Reserved = 0;
            }
        }
    }
    return needed;
}

} // namespace

void BuildPortTable()
{
    ScanDeviceRegistry();
    if (!FindPort("FILE:"))
        AppendPort("FILE:", MonitorText(MonitorString::FileOnDisk).c_str(), PortFlagPermanent);
    ScanWinIniPorts();
}

BOOL EnumPorts(LPSTR, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed, LPDWORD returned)
{
    const CallerError callerError;
    if (level > 2)
        return fail(ERROR_INVALID_LEVEL);
    if (!needed || !returned || (size > 0 && !ports))
        return fail(ERROR_INVALID_PARAMETER);
    MonitorLockGuard lock;
    RefreshPortsIfDue();
    *returned = 0;
    if (level == 0) {
        *needed = 0;
        *returned = PortCount();
        return callerError.succeed();
    }
    *needed = walkPorts(level, nullptr, 0);
    if (size < *needed)
        return fail(ERROR_INSUFFICIENT_BUFFER);
    walkPorts(level, ports, size);
    *returned = PortCount();
    return callerError.succeed();
}

BOOL OpenPort(LPSTR name, HANDLE *port)
{
    const CallerError callerError;
    if (!name || !port)
        return fail(ERROR_INVALID_PARAMETER);
    MonitorLockGuard lock;
    PortRecord *record = FindPort(name);
    if (!record) {
        DebugLine("zormon!OpenPort %s : Failed", name);
        return fail(ERROR_UNKNOWN_PORT);
    }
    *port = record;
    return callerError.succeed();
}

BOOL ClosePort(HANDLE)
{
    return TRUE;
}

BOOL AddPort(LPSTR, HWND window, LPSTR)
{
    const CallerError callerError;
    {
        MonitorLockGuard lock;
        if (!FindPort(kInternetPortName)) {
            PortRecord *record =
                AppendPort(kInternetPortName, MonitorText(MonitorString::InternetPort).c_str(), 0);
            if (!record)
                return fail(ERROR_NOT_ENOUGH_MEMORY);
            const std::string name(kInternetPortName);
            if (!WriteProfileString(kPortsSection, name.c_str(), "")) {
                const DWORD error = GetLastError();
                RemovePort(record);
                return fail(error);
            }
            return callerError.succeed();
        }
    }
    // The box waits for the user: shown without holding the lock, so jobs go on meanwhile.
    const std::string name(kInternetPortName);
    ShowMonitorMessage(window, MB_ICONSTOP, MonitorString::PrintManager, MonitorString::PortExists, name.c_str());
    return fail(ERROR_ALREADY_EXISTS);
}

BOOL ConfigurePort(LPSTR, HWND window, LPSTR portName)
{
    const CallerError callerError;
    if (!portName)
        return fail(ERROR_INVALID_PARAMETER);
    if (PortKindOf(portName) != PortKindSerial) {
        ShowMonitorMessage(window, MB_ICONINFORMATION | MB_SETFOREGROUND, MonitorString::PrintManager,
                           MonitorString::NothingToConfigure);
        return callerError.succeed();
    }
    std::string device(portName, 4); // "COMn" without the ':'
    COMMCONFIG config{};
    DWORD size = sizeof config;
    if (!GetDefaultCommConfig(device.c_str(), &config, &size)) {
        DebugLine("Zormon: GetDefaultCommConfig failed.");
        return fail(ERROR_FILE_NOT_FOUND);
    }
    if (!CommConfigDialog(device.c_str(), window, &config))
        return FALSE; // ERROR_CANCELLED when the user cancelled
    if (!SetDefaultCommConfig(device.c_str(), &config, size))
        return FALSE;
    return callerError.succeed();
}

BOOL DeletePort(LPSTR, HWND, LPSTR portName)
{
    const CallerError callerError;
    if (!portName)
        return fail(ERROR_INVALID_PARAMETER);
    MonitorLockGuard lock;
    PortRecord *record = FindPortExactly(portName);
    if (!record)
        return fail(ERROR_UNKNOWN_PORT);
    if (record->has(PortFlagPermanent))
        return fail(ERROR_INVALID_PRINTER_COMMAND);
    const std::string name(record->name);
    RemovePort(record);
    WriteProfileString(kPortsSection, name.c_str(), nullptr);
    return callerError.succeed();
}

BOOL ReadPort(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD read)
{
    PortRecord *record = PortFromHandle(port);
    if (!record || !record->has(PortFlagJobOpen))
        return fail(ERROR_INVALID_HANDLE);
    return ReadFile(record->file, buffer, size, read, nullptr);
}

BOOL GetPrinterDataFromPort(HANDLE port, DWORD controlId, LPWSTR valueName, LPWSTR inBuffer,
                            DWORD inSize, LPWSTR outBuffer, DWORD outSize, LPDWORD returned)
{
    PortRecord *record = PortFromHandle(port);
    if (!record || !record->has(PortFlagJobOpen) || valueName || !returned)
        return fail(ERROR_INVALID_PARAMETER);
    return DeviceIoControl(record->file, controlId, inBuffer, inSize, outBuffer, outSize, returned,
                           nullptr);
}

BOOL SetPortTimeOuts(HANDLE port, COMMTIMEOUTS *timeouts, DWORD reserved)
{
    PortRecord *record = PortFromHandle(port);
    if (!record || !record->has(PortFlagJobOpen) || !timeouts || reserved != 0)
        return fail(ERROR_INVALID_PARAMETER);
    COMMTIMEOUTS current{};
    if (!GetCommTimeouts(record->file, &current))
        return FALSE;
    current.ReadIntervalTimeout = timeouts->ReadIntervalTimeout;
    current.ReadTotalTimeoutConstant = timeouts->ReadTotalTimeoutConstant;
    return SetCommTimeouts(record->file, &current);
}

} // namespace zormon
