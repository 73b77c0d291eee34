#include "monitor/PortOperations.h"

#include "monitor/DebugLine.h"
#include "monitor/ModuleEntry.h"
#include "monitor/MonitorLock.h"
#include "monitor/MonitorStrings.h"
#include "monitor/PortTable.h"
#include "platform/files.h"
#include "platform/lasterror.h"
#include "platform/stringtable.h"

#include <cstring>
#include <string>

namespace zormon {

namespace {

std::string loadText(UINT id)
{
    return zorplat::LoadStringText(ModuleInstance(), id).value_or("");
}

void appendOwnPort(std::string_view name, UINT descriptionId)
{
    if (!FindPort(name))
        AppendPort(name, loadText(descriptionId).c_str(), PortFlagPermanent);
}

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
    MonitorLockGuard lock;
    appendOwnPort(kInternetPortName, MonitorString::InternetPort);
    appendOwnPort("FILE:", MonitorString::FileOnDisk);
}

BOOL EnumPorts(LPSTR, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed, LPDWORD returned)
{
    if (level > 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    if (!needed || !returned || (size > 0 && !ports)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    MonitorLockGuard lock;
    *returned = 0;
    if (level == 0) {
        *needed = 0;
        *returned = PortCount();
        return TRUE;
    }
    *needed = walkPorts(level, nullptr, 0);
    if (size < *needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    walkPorts(level, ports, size);
    *returned = PortCount();
    return TRUE;
}

BOOL OpenPort(LPSTR name, HANDLE *port)
{
    if (!name || !port) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    MonitorLockGuard lock;
    PortRecord *record = FindPort(name);
    if (!record) {
        DebugLine("zormon!OpenPort %s : Failed", name);
        SetLastError(ERROR_UNKNOWN_PORT);
        return FALSE;
    }
    *port = record;
    return TRUE;
}

BOOL ClosePort(HANDLE)
{
    return TRUE;
}

BOOL ReadPort(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD read)
{
    PortRecord *record = PortFromHandle(port);
    if (!record || !record->has(PortFlagJobOpen)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return ReadFile(record->file, buffer, size, read, nullptr);
}

BOOL GetPrinterDataFromPort(HANDLE port, DWORD controlId, LPWSTR valueName, LPWSTR inBuffer,
                            DWORD inSize, LPWSTR outBuffer, DWORD outSize, LPDWORD returned)
{
    PortRecord *record = PortFromHandle(port);
    if (!record || !record->has(PortFlagJobOpen) || valueName || !returned) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return DeviceIoControl(record->file, controlId, inBuffer, inSize, outBuffer, outSize, returned,
                           nullptr);
}

BOOL SetPortTimeOuts(HANDLE port, COMMTIMEOUTS *timeouts, DWORD reserved)
{
    PortRecord *record = PortFromHandle(port);
    if (!record || !record->has(PortFlagJobOpen) || !timeouts || reserved != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    COMMTIMEOUTS current{};
    if (!GetCommTimeouts(record->file, &current))
        return FALSE;
    current.ReadIntervalTimeout = timeouts->ReadIntervalTimeout;
    current.ReadTotalTimeoutConstant = timeouts->ReadTotalTimeoutConstant;
    return SetCommTimeouts(record->file, &current);
}

} // namespace zormon
