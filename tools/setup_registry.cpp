// Setup steps for the registry facts taken from the machine.
#include "tools/setup_steps.h"

#include "platform/registry/registry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

// The original platform's computer names are NetBIOS names: at most 15 characters.
constexpr size_t kMaxComputerNameLength = 15;

constexpr const char *kComputerNameKey = "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
constexpr const char *kDeviceListKey = "Config Manager\\Enum";
constexpr const char *kDriverClassKey = "System\\CurrentControlSet\\Services\\Class\\";
// Hardware-key prefixes of the ports setup registers; other devices are left alone.
constexpr const char *kSerialEnumerator = "SERENUM\\";
constexpr const char *kParallelEnumerator = "LPTENUM\\";

enum class Change { None, Created, Updated };

std::string rootName(HKEY root)
{
    return root == HKEY_DYN_DATA ? "HKEY_DYN_DATA" : "HKEY_LOCAL_MACHINE";
}

std::optional<std::string> readString(HKEY key, const char *name)
{
    char value[1024];
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    if (RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE *>(value), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    value[size] = '\0';
    return std::string(value);
}

// Makes path\name hold the string value; change tells what it took.
bool ensureString(SetupContext &ctx, HKEY root, const std::string &path, const char *name,
                  const std::string &value, Change &change)
{
    HKEY key = nullptr;
    const LONG opened = RegCreateKey(root, path.c_str(), &key);
    if (opened != ERROR_SUCCESS)
        return ctx.fail("cannot write " + rootName(root) + "\\" + path + ": " + DescribeError(opened));
    const std::optional<std::string> current = readString(key, name);
    LONG result = ERROR_SUCCESS;
    if (current != value)
        result = RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                               static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return ctx.fail("cannot write " + rootName(root) + "\\" + path + ": " + DescribeError(result));
    if (current != value)
        change = std::max(change, current ? Change::Updated : Change::Created);
    return true;
}

void report(const SetupContext &ctx, Change change, const std::string &what)
{
    if (change == Change::Created)
        ctx.created(what);
    else if (change == Change::Updated)
        ctx.updated(what);
    else
        ctx.upToDate(what);
}

std::string computerName()
{
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0)
        return "LOCALHOST";
    std::string name(host, std::strcspn(host, "."));
    name.resize(std::min(name.size(), kMaxComputerNameLength));
    for (char &c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

bool isSerial(const MachinePort &port)
{
    return port.kind == MachinePort::Kind::Serial;
}

std::string hardwareKey(const MachinePort &port)
{
    return (isSerial(port) ? kSerialEnumerator : kParallelEnumerator) + port.name();
}

// A fixed device-node id per port, so that runs agree on which entry is whose.
std::string deviceNodeId(const MachinePort &port)
{
    char id[16];
    std::snprintf(id, sizeof id, "%08X", 0xC29A0000u | (isSerial(port) ? 0x100u : 0x200u) | unsigned(port.number));
    return id;
}

bool startsWithIgnoringCase(const std::string &text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
           });
}

bool sameIgnoringCase(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && startsWithIgnoringCase(a, b);
}

// Device-list entries of ports that setup registered earlier and the machine no longer has.
bool removeVanishedPorts(SetupContext &ctx, const std::vector<std::string> &currentHardwareKeys)
{
    HKEY list = nullptr;
    if (RegOpenKey(HKEY_DYN_DATA, kDeviceListKey, &list) != ERROR_SUCCESS)
        return true;
    std::vector<std::pair<std::string, std::string>> vanished;  // device id, hardware key
    char id[256];
    for (DWORD index = 0; RegEnumKey(list, index, id, sizeof id) == ERROR_SUCCESS; ++index) {
        HKEY device = nullptr;
        if (RegOpenKey(list, id, &device) != ERROR_SUCCESS)
            continue;
        const std::optional<std::string> hardware = readString(device, "HardWareKey");
        RegCloseKey(device);
        const bool ours = hardware && (startsWithIgnoringCase(*hardware, kSerialEnumerator) ||
                                       startsWithIgnoringCase(*hardware, kParallelEnumerator));
        const bool current = hardware && std::any_of(currentHardwareKeys.begin(), currentHardwareKeys.end(),
                                                     [&](const std::string &key) { return sameIgnoringCase(key, *hardware); });
        if (ours && !current)
            vanished.emplace_back(id, *hardware);
    }
    for (const auto &[deviceId, hardware] : vanished) {
        const LONG result = RegDeleteKey(list, deviceId.c_str());
        if (result != ERROR_SUCCESS) {
            RegCloseKey(list);
            return ctx.fail("cannot remove " + rootName(HKEY_DYN_DATA) + "\\" + kDeviceListKey + "\\" + deviceId +
                            ": " + DescribeError(result));
        }
        RegDeleteKey(HKEY_LOCAL_MACHINE, ("Enum\\" + hardware).c_str());
        ctx.removed("registry entries of " + hardware + " (no longer on this machine)");
    }
    RegCloseKey(list);
    return true;
}

} // namespace

bool RegisterComputerName(SetupContext &ctx)
{
    const std::string name = computerName();
    Change change = Change::None;
    if (!ensureString(ctx, HKEY_LOCAL_MACHINE, kComputerNameKey, "ComputerName", name, change))
        return false;
    report(ctx, change, "registry computer name " + name);
    return true;
}

bool RegisterMachinePorts(SetupContext &ctx)
{
    std::vector<std::string> hardwareKeys;
    for (size_t index = 0; index < ctx.ports.size(); ++index) {
        const MachinePort &port = ctx.ports[index];
        const std::string hardware = hardwareKey(port);
        char driver[32];
        std::snprintf(driver, sizeof driver, "Ports\\%04zu", index);
        const std::string description = isSerial(port) ? "Communications Port" : "Printer Port";
        const std::string deviceKey = "Enum\\" + hardware;

        Change change = Change::None;
        const bool ok =
            ensureString(ctx, HKEY_DYN_DATA, std::string(kDeviceListKey) + "\\" + deviceNodeId(port), "HardWareKey",
                         hardware, change) &&
            ensureString(ctx, HKEY_LOCAL_MACHINE, deviceKey, "Class", "Ports", change) &&
            ensureString(ctx, HKEY_LOCAL_MACHINE, deviceKey, "PortName", port.name(), change) &&
            ensureString(ctx, HKEY_LOCAL_MACHINE, deviceKey, "Driver", driver, change) &&
            ensureString(ctx, HKEY_LOCAL_MACHINE, deviceKey, "DeviceDesc",
                         description + " (" + port.name() + ")", change) &&
            ensureString(ctx, HKEY_LOCAL_MACHINE, kDriverClassKey + std::string(driver), "DriverDesc", description,
                         change);
        if (!ok)
            return false;
        report(ctx, change, "registry entries of " + port.name() + " (" + description + ")");
        hardwareKeys.push_back(hardware);
    }
    return removeVanishedPorts(ctx, hardwareKeys);
}
