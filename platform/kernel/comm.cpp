// Serial-port default settings kept in the device registry, and their dialog.
#include "platform/kernel/comm.h"

#include "platform/base/lasterror.h"
#include "platform/registry/registry.h"
#include "platform/ui/ui.h"
#include "platform/ui/uijournal.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <strings.h>
#include <vector>

namespace {

constexpr const char *kDeviceListKey = "Config Manager\\Enum";
constexpr const char *kSettingsValue = "Settings";
constexpr const char *kFactorySettings = "9600,n,8,1";
constexpr DWORD kMaxKeyName = 256;
constexpr const char kParityLetters[] = "noems";

BOOL fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

std::string readString(HKEY key, const char *name)
{
    char value[kMaxKeyName] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    if (RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE *>(value), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return value;
}

std::string portNameWithoutColon(LPCSTR name)
{
    std::string port(name);
    if (!port.empty() && port.back() == ':')
        port.pop_back();
    return port;
}

// "Enum\<hardware key>" of the device whose PortName is `port`, or empty.
std::string deviceKeyOf(const std::string &port)
{
    HKEY list = nullptr;
    if (port.empty() || RegOpenKeyEx(HKEY_DYN_DATA, kDeviceListKey, 0, KEY_READ, &list) != ERROR_SUCCESS)
        return {};
    std::string found;
    char id[kMaxKeyName];
    for (DWORD index = 0; found.empty() && RegEnumKey(list, index, id, sizeof id) == ERROR_SUCCESS; ++index) {
        HKEY node = nullptr;
        if (RegOpenKeyEx(list, id, 0, KEY_READ, &node) != ERROR_SUCCESS)
            continue;
        const std::string hardware = readString(node, "HardWareKey");
        RegCloseKey(node);
        if (hardware.empty())
            continue;
        const std::string deviceKey = "Enum\\" + hardware;
        HKEY device = nullptr;
        if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, deviceKey.c_str(), 0, KEY_READ, &device) != ERROR_SUCCESS)
            continue;
        if (strcasecmp(readString(device, "PortName").c_str(), port.c_str()) == 0)
            found = deviceKey;
        RegCloseKey(device);
    }
    RegCloseKey(list);
    return found;
}

bool settingsInRange(const DCB &dcb)
{
    return dcb.BaudRate > 0 && dcb.ByteSize >= 5 && dcb.ByteSize <= 8 && dcb.Parity <= SPACEPARITY &&
           dcb.StopBits <= TWOSTOPBITS;
}

// A configuration that is readable and in range; the caller's size must cover COMMCONFIG.
bool usableConfig(const COMMCONFIG *config)
{
    return config && config->dwSize >= sizeof(COMMCONFIG) && settingsInRange(config->dcb);
}

std::vector<std::string> splitFields(const std::string &text)
{
    std::vector<std::string> fields;
    std::stringstream stream(text);
    for (std::string field; std::getline(stream, field, ',');)
        fields.push_back(field);
    return fields;
}

bool parseNumber(const std::string &text, unsigned long &number)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    number = std::strtoul(text.c_str(), nullptr, 10);
    return true;
}

} // namespace

namespace zorplat {

std::string FormatCommSettings(const DCB &dcb)
{
    static const char *const stopBits[] = {"1", "1.5", "2"};
    std::string text = std::to_string(dcb.BaudRate) + ',';
    text += dcb.Parity <= SPACEPARITY ? kParityLetters[dcb.Parity] : '?';
    text += ',' + std::to_string(dcb.ByteSize) + ',';
    text += dcb.StopBits <= TWOSTOPBITS ? stopBits[dcb.StopBits] : "?";
    if (dcb.fOutX && dcb.fInX)
        text += ",x";
    else if (dcb.fOutxCtsFlow)
        text += ",p";
    return text;
}

std::optional<DCB> ParseCommSettings(const std::string &text)
{
    const std::vector<std::string> fields = splitFields(text);
    if (fields.size() < 4 || fields.size() > 5)
        return std::nullopt;
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    dcb.fBinary = 1;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    unsigned long baud = 0, dataBits = 0;
    if (!parseNumber(fields[0], baud) || !parseNumber(fields[2], dataBits) || fields[1].size() != 1)
        return std::nullopt;
    const char *parity = std::strchr(kParityLetters, std::tolower(static_cast<unsigned char>(fields[1][0])));
    if (!parity || *parity == '\0')
        return std::nullopt;
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = static_cast<BYTE>(dataBits > 8 ? 0 : dataBits);
    dcb.Parity = static_cast<BYTE>(parity - kParityLetters);
    dcb.fParity = dcb.Parity != NOPARITY;
    if (fields[3] == "1")
        dcb.StopBits = ONESTOPBIT;
    else if (fields[3] == "1.5")
        dcb.StopBits = ONE5STOPBITS;
    else if (fields[3] == "2")
        dcb.StopBits = TWOSTOPBITS;
    else
        return std::nullopt;
    if (fields.size() == 5) {
        if (strcasecmp(fields[4].c_str(), "x") == 0) {
            dcb.fOutX = dcb.fInX = 1;
        } else if (strcasecmp(fields[4].c_str(), "p") == 0) {
            dcb.fOutxCtsFlow = 1;
            dcb.fRtsControl = 2; // handshake
        } else {
            return std::nullopt;
        }
    }
    if (!settingsInRange(dcb))
        return std::nullopt;
    return dcb;
}

} // namespace zorplat

BOOL GetDefaultCommConfig(LPCSTR name, LPCOMMCONFIG config, LPDWORD size)
{
    if (!name || !size || (*size > 0 && !config))
        return fail(ERROR_INVALID_PARAMETER);
    const std::string deviceKey = deviceKeyOf(portNameWithoutColon(name));
    if (deviceKey.empty())
        return fail(ERROR_FILE_NOT_FOUND);
    if (*size < sizeof(COMMCONFIG)) {
        *size = sizeof(COMMCONFIG);
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    HKEY device = nullptr;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, deviceKey.c_str(), 0, KEY_READ, &device) != ERROR_SUCCESS)
        return fail(ERROR_FILE_NOT_FOUND);
    std::string stored = readString(device, kSettingsValue);
    RegCloseKey(device);
    const std::optional<DCB> dcb = zorplat::ParseCommSettings(stored.empty() ? kFactorySettings : stored);
    if (!dcb)
        return fail(ERROR_INVALID_DATA);
    std::memset(config, 0, sizeof(COMMCONFIG));
    config->dwSize = sizeof(COMMCONFIG);
    config->wVersion = 1;
    config->dcb = *dcb;
    config->dwProviderSubType = PST_RS232;
    *size = sizeof(COMMCONFIG);
    return TRUE;
}

BOOL SetDefaultCommConfig(LPCSTR name, LPCOMMCONFIG config, DWORD size)
{
    if (!name || size < sizeof(COMMCONFIG) || !usableConfig(config))
        return fail(ERROR_INVALID_PARAMETER);
    const std::string deviceKey = deviceKeyOf(portNameWithoutColon(name));
    if (deviceKey.empty())
        return fail(ERROR_FILE_NOT_FOUND);
    HKEY device = nullptr;
    LONG result = RegOpenKeyEx(HKEY_LOCAL_MACHINE, deviceKey.c_str(), 0, KEY_WRITE, &device);
    if (result != ERROR_SUCCESS)
        return fail(static_cast<DWORD>(result));
    const std::string text = zorplat::FormatCommSettings(config->dcb);
    result = RegSetValueEx(device, kSettingsValue, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1));
    RegCloseKey(device);
    if (result != ERROR_SUCCESS)
        return fail(static_cast<DWORD>(result));
    return TRUE;
}

BOOL CommConfigDialog(LPCSTR name, HWND owner, LPCOMMCONFIG config)
{
    if (!name || !usableConfig(config))
        return fail(ERROR_INVALID_PARAMETER);
    const std::string port = portNameWithoutColon(name);
    if (deviceKeyOf(port).empty())
        return fail(ERROR_FILE_NOT_FOUND);
    const std::string before = zorplat::FormatCommSettings(config->dcb);
    COMMCONFIG edited = *config;
    const int answer = zorplat::ShowCommConfigDialog(owner, port, edited);
    const bool accepted = answer == IDOK && settingsInRange(edited.dcb);
    zorplat::UiJournalEntry("commconfig")
        .add("port", port)
        .add("settings", before)
        .add("answer", answer)
        .add("chosen", zorplat::FormatCommSettings(accepted ? edited.dcb : config->dcb))
        .write();
    if (!accepted)
        return fail(ERROR_CANCELLED);
    *config = edited;
    return TRUE;
}
