// The spooler's monitors: Print\Monitors\<key>, values Name, Environment and Driver (the
// DLL name). Names compare exactly, so two monitors may differ in case only; the registry
// compares key names without regard to case, so the second gets a numbered key.
#include "platform/spooler/monitorhost.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/spoolerbuffer.h"
#include "platform/spooler/spoolerstore.h"
#include "platform/base/text.h"

using namespace zorplat::spooler;

namespace zorplat::spooler {

std::optional<std::vector<RegisteredMonitor>> RegisteredMonitors()
{
    std::vector<RegisteredMonitor> monitors;
    const zorplat::RegistrySnapshot snapshot(HKEY_LOCAL_MACHINE);
    const RegKey all = RegKey::Open(kMonitorsKey);
    const std::vector<std::string> keyNames = all.subkeys();
    if (ReadFailed(all))
        return std::nullopt;
    for (const std::string &keyName : keyNames) {
        const RegKey key = RegKey::Open(std::string(kMonitorsKey) + "\\" + keyName);
        RegisteredMonitor monitor;
        monitor.keyName = keyName;
        monitor.name = key.string("Name").value_or(keyName);
        monitor.environment = key.string("Environment").value_or("");
        monitor.dllName = key.string("Driver").value_or("");
        if (ReadFailed(key))
            return std::nullopt;
        monitors.push_back(monitor);
    }
    return monitors;
}

} // namespace zorplat::spooler

namespace {

// The first key name under Monitors that no monitor uses, whatever the case.
std::string freeKeyName(const std::string &name, const std::vector<RegisteredMonitor> &monitors)
{
    auto taken = [&](const std::string &candidate) {
        for (const RegisteredMonitor &monitor : monitors)
            if (zorplat::EqualsIgnoringCase(monitor.keyName, candidate))
                return true;
        return false;
    };
    std::string candidate = name;
    for (int number = 2; taken(candidate); ++number)
        candidate = name + " #" + std::to_string(number);
    return candidate;
}

bool validMonitorName(const char *name)
{
    if (!name || !*name)
        return false;
    for (const char *c = name; *c; ++c)
        if (*c == '\\' || static_cast<unsigned char>(*c) < 0x20)
            return false;
    return std::string(name).size() <= 200; // leaves room for a number within a 255-character key name
}

} // namespace

BOOL EnumMonitors(LPSTR pName, DWORD Level, LPBYTE pMonitors, DWORD cbBuf, LPDWORD pcbNeeded,
                  LPDWORD pcReturned)
{
    if (!pcbNeeded || !pcReturned)
        return Fail(ERROR_INVALID_PARAMETER);
    *pcReturned = 0;
    if (!CheckLocalServer(pName))
        return FALSE;
    if (Level != 1 && Level != 2)
        return Fail(ERROR_INVALID_LEVEL);

    const std::optional<std::vector<RegisteredMonitor>> registered = RegisteredMonitors();
    if (!registered)
        return FALSE;
    const std::vector<RegisteredMonitor> &monitors = *registered;
    const size_t entrySize = Level == 1 ? sizeof(MONITOR_INFO_1A) : sizeof(MONITOR_INFO_2A);
    const BOOL packed = PackAnswer(monitors.size() * entrySize, pMonitors, cbBuf, pcbNeeded, [&](PackedBuffer &out) {
        for (size_t i = 0; i < monitors.size(); ++i) {
            if (Level == 1) {
                out.put(i, MONITOR_INFO_1A{out.string(monitors[i].name)});
            } else {
                MONITOR_INFO_2A entry{};
                entry.pName = out.string(monitors[i].name);
                entry.pEnvironment = out.string(monitors[i].environment);
                entry.pDLLName = out.string(monitors[i].dllName);
                out.put(i, entry);
            }
        }
    });
    if (packed)
        *pcReturned = static_cast<DWORD>(monitors.size());
    return packed;
}

BOOL AddMonitor(LPSTR pName, DWORD Level, LPBYTE pMonitors)
{
    if (!CheckLocalServer(pName))
        return FALSE;
    if (Level != 2)
        return Fail(ERROR_INVALID_LEVEL);
    const auto *info = reinterpret_cast<const MONITOR_INFO_2A *>(pMonitors);
    if (!info || !validMonitorName(info->pName) || !info->pDLLName || !*info->pDLLName)
        return Fail(ERROR_INVALID_PARAMETER);

    // A monitor serves the platform it runs on: its environment must be the current one.
    const std::optional<std::string> environment = ResolveEnvironment(info->pEnvironment);
    if (!environment)
        return FALSE;
    if (!zorplat::EqualsIgnoringCase(*environment, zorplat::CurrentEnvironment()))
        return Fail(ERROR_INVALID_ENVIRONMENT);

    SpoolerLock lock;
    const std::optional<std::vector<RegisteredMonitor>> monitors = RegisteredMonitors();
    if (!monitors)
        return FALSE;
    for (const RegisteredMonitor &monitor : *monitors)
        if (monitor.name == info->pName)
            return Fail(ERROR_PRINT_MONITOR_ALREADY_INSTALLED);
    if (!CheckMonitorModule(info->pDLLName))
        return FALSE;

    RegKey key = RegKey::Create(std::string(kMonitorsKey) + "\\" + freeKeyName(info->pName, *monitors));
    if (!key.valid())
        return Fail(static_cast<DWORD>(key.error()));
    if (!key.setString("Name", info->pName) || !key.setString("Environment", *environment)
        || !key.setString("Driver", info->pDLLName) || !lock.commit())
        return FALSE;
    return TRUE;
}
