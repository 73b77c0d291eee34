#include "monitor/PortScans.h"

#include "monitor/DebugLine.h"
#include "monitor/MonitorStrings.h"
#include "monitor/MonitorText.h"
#include "monitor/PortTable.h"
#include "platform/profile/profile.h"
#include "platform/registry/registry.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <strings.h>

namespace zormon {

namespace {

constexpr const char *kDeviceListKey = "Config Manager\\Enum";
constexpr const char *kDriverClassKey = "System\\CurrentControlSet\\Services\\Class\\";
// The hardware key is read through a buffer of 94 bytes, as the configuration manager's
// keys are never longer; a longer value is not a device of ours.
constexpr DWORD kHardwareKeyBufferSize = 94;
constexpr DWORD kValueBufferSize = 256;
constexpr DWORD kKeyNameBufferSize = 256;
// win.ini [ports] key names are read through one buffer of this size.
constexpr DWORD kPortsSectionBufferSize = 4096;

// The string value, empty when it is missing, not a string or longer than the buffer.
std::string readString(HKEY key, const char *name, DWORD bufferSize = kValueBufferSize)
{
    std::string value(bufferSize, '\0');
    DWORD size = bufferSize;
    DWORD type = 0;
    if (RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE *>(value.data()), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    value.resize(strnlen(value.c_str(), bufferSize));
    return value;
}

std::string driverDescription(const std::string &driver)
{
    HKEY key = nullptr;
    if (driver.empty() || RegOpenKeyEx(HKEY_LOCAL_MACHINE, (kDriverClassKey + driver).c_str(), 0, KEY_READ, &key) !=
                              ERROR_SUCCESS)
        return {};
    std::string description = readString(key, "DriverDesc");
    RegCloseKey(key);
    return description;
}

// Adds the port of one device-list entry; true when a record was appended.
bool scanDevice(HKEY list, const char *id)
{
    HKEY node = nullptr;
    if (RegOpenKeyEx(list, id, 0, KEY_READ, &node) != ERROR_SUCCESS)
        return false;
    const std::string hardware = readString(node, "HardWareKey", kHardwareKeyBufferSize);
    RegCloseKey(node);
    HKEY device = nullptr;
    if (hardware.empty() ||
        RegOpenKeyEx(HKEY_LOCAL_MACHINE, ("Enum\\" + hardware).c_str(), 0, KEY_READ, &device) != ERROR_SUCCESS)
        return false;
    bool appended = false;
    const std::string deviceClass = readString(device, "Class");
    const std::string portName = readString(device, "PortName");
    if ((strcasecmp(deviceClass.c_str(), "ports") == 0 || strcasecmp(deviceClass.c_str(), "Modem") == 0) &&
        !portName.empty()) {
        const std::string name = portName + ':';
        if (!FindPort(name)) {
            const std::string description = driverDescription(readString(device, "Driver"));
            appended = AppendPort(name, description.c_str(), PortFlagPermanent) != nullptr;
        }
    }
    RegCloseKey(device);
    return appended;
}

bool excludedFromWinIni(std::string_view name)
{
    const PortKind kind = PortKindOf(name);
    return name.substr(0, 2) == "\\\\" || kind == PortKindParallel || kind == PortKindSerial ||
           kind == PortKindFile || kind == PortKindInternet || FindPort(name);
}

} // namespace

bool EnsureInternetPort()
{
    if (FindPort(kInternetPortName))
        return true;
    return AppendPort(kInternetPortName, MonitorText(MonitorString::InternetPort).c_str(), 0) != nullptr;
}

void ScanDeviceRegistry()
{
    HKEY list = nullptr;
    if (RegOpenKeyEx(HKEY_DYN_DATA, kDeviceListKey, 0, KEY_READ, &list) == ERROR_SUCCESS) {
        char id[kKeyNameBufferSize];
        for (DWORD index = 0; RegEnumKey(list, index, id, sizeof id) == ERROR_SUCCESS; ++index)
            if (scanDevice(list, id))
                EnsureInternetPort();
        RegCloseKey(list);
    }
    // Without any serial or parallel device the monitor would otherwise never list the port
    // its printers sit on.
    EnsureInternetPort();
}

void ScanWinIniPorts()
{
    std::unique_ptr<char[]> keys(new (std::nothrow) char[kPortsSectionBufferSize]);
    if (!keys) {
        DebugLine("LocalAlloc failed in InitializeMonitor.");
        return;
    }
    const DWORD length = GetProfileString("ports", nullptr, "", keys.get(), kPortsSectionBufferSize);
    const std::string unknownPort = MonitorText(MonitorString::UnknownPort);
    for (const char *key = keys.get(); key < keys.get() + length && *key; key += std::strlen(key) + 1)
        if (!excludedFromWinIni(key))
            AppendPort(key, unknownPort.c_str(), 0);
}

} // namespace zormon
