#include "platform/spooler/monitorhost.h"

#include "platform/base/lasterror.h"
#include "platform/kernel/module.h"
#include "platform/base/paths.h"
#include "platform/spooler/spoolerstore.h"
#include "platform/base/text.h"

#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>

namespace zorplat::spooler {

namespace {

std::string modulePath(const std::string &dllName)
{
    char systemDirectory[MAX_PATH];
    GetSystemDirectory(systemDirectory, sizeof systemDirectory);
    return std::string(systemDirectory) + "\\" + dllName;
}

// A DLL name is a file of the system directory, never a path that could lead out of it.
bool isPlainFileName(const std::string &name)
{
    return !name.empty() && name.find_first_of("\\/:") == std::string::npos && name != "." && name != "..";
}

// Modules are told apart by the file they were loaded from, so that a process that moves
// to another root (tests do) loads that root's copy rather than reusing the first one.
std::string fileIdentity(const std::string &windowsPath)
{
    struct stat info {};
    if (stat(ToLinuxPath(windowsPath).c_str(), &info) != 0)
        return "";
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

std::mutex g_loadedMutex;
std::map<std::string, std::unique_ptr<LoadedMonitor>> g_loaded; // by file identity

} // namespace

bool CheckMonitorModule(const std::string &dllName)
{
    if (!isPlainFileName(dllName)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return false;
    }
    HMODULE module = LoadLibrary(modulePath(dllName).c_str());
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return false;
    }
    const bool hasEntry = GetProcAddress(module, kInitializeMonitorExName) != nullptr;
    FreeLibrary(module);
    if (!hasEntry) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return false;
    }
    return true;
}

const LoadedMonitor *LoadMonitor(const RegisteredMonitor &monitor, std::string *failedCall)
{
    failedCall->clear();
    if (!isPlainFileName(monitor.dllName)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    const std::string path = modulePath(monitor.dllName);
    const std::string identity = fileIdentity(path);
    if (identity.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }

    std::lock_guard<std::mutex> guard(g_loadedMutex);
    if (auto found = g_loaded.find(identity); found != g_loaded.end())
        return found->second.get();

    HMODULE module = LoadLibrary(path.c_str());
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    auto initialize = reinterpret_cast<InitializeMonitorExFn>(GetProcAddress(module, kInitializeMonitorExName));
    if (!initialize) {
        FreeLibrary(module);
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    auto loaded = std::make_unique<LoadedMonitor>();
    loaded->name = monitor.name;
    std::string registryRoot = std::string(kMonitorsKey) + "\\" + monitor.keyName;
    SetLastError(ERROR_SUCCESS);
    if (!initialize(registryRoot.data(), &loaded->table)) {
        const DWORD error = GetLastError();
        FreeLibrary(module);
        *failedCall = "InitializeMonitorEx";
        SetLastError(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
        return nullptr;
    }
    // The module is kept for the rest of the process: its table points into it.
    return g_loaded.emplace(identity, std::move(loaded)).first->second.get();
}

std::optional<std::vector<std::string>> MonitorPorts(const LoadedMonitor &monitor)
{
    if (!monitor.table.pfnEnumPorts) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return std::nullopt;
    }
    // The list may grow between the size query and the fetch; ask again then.
    for (int attempt = 0; attempt < 5; ++attempt) {
        DWORD needed = 0;
        DWORD returned = 0;
        if (!monitor.table.pfnEnumPorts(nullptr, 1, nullptr, 0, &needed, &returned)
            && GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return std::nullopt;
        std::vector<BYTE> buffer(needed ? needed : 1);
        if (!monitor.table.pfnEnumPorts(nullptr, 1, buffer.data(), needed, &needed, &returned)) {
            if (GetLastError() == ERROR_INSUFFICIENT_BUFFER)
                continue;
            return std::nullopt;
        }
        std::vector<std::string> ports;
        const auto *entries = reinterpret_cast<const PORT_INFO_1A *>(buffer.data());
        for (DWORD i = 0; i < returned; ++i)
            if (entries[i].pName)
                ports.emplace_back(entries[i].pName);
        return ports;
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return std::nullopt;
}

namespace {

// Which monitor owns which port is remembered in the registry, so that a job loads only that
// monitor (and its libraries) instead of every registered one in turn.
const std::string kPortOwnersKey = std::string(kPrintKey) + "\\PortOwners";

bool ListsPort(const LoadedMonitor &monitor, const std::string &port)
{
    const std::optional<std::vector<std::string>> ports = MonitorPorts(monitor);
    if (!ports)
        return false;
    for (const std::string &listed : *ports)
        if (zorplat::EqualsIgnoringCase(listed, port))
            return true;
    return false;
}

// The remembered owner of `port`, loaded, when it is still registered and still lists the
// port; null otherwise (the caller then asks every monitor).
const LoadedMonitor *RememberedOwner(const std::vector<RegisteredMonitor> &monitors, const std::string &port)
{
    const std::optional<std::string> owner = RegKey::Open(kPortOwnersKey).string(port.c_str());
    if (!owner)
        return nullptr;
    for (const RegisteredMonitor &registered : monitors) {
        if (registered.keyName != *owner)
            continue;
        std::string failedCall;
        const LoadedMonitor *monitor = LoadMonitor(registered, &failedCall);
        return monitor && ListsPort(*monitor, port) ? monitor : nullptr;
    }
    return nullptr;
}

void RememberOwner(const RegisteredMonitor &owner, const std::string &port)
{
    zorplat::RegistryBatch batch(HKEY_LOCAL_MACHINE);
    RegKey::Create(kPortOwnersKey).setString(port.c_str(), owner.keyName);
    batch.commit();
}

} // namespace

const LoadedMonitor *FindPortMonitor(const std::string &port, MonitorProblem *problem)
{
    bool problemNoted = false;
    auto note = [&](const RegisteredMonitor &registered, const std::string &failedCall) {
        if (problem && !problemNoted)
            *problem = MonitorProblem{registered.name, GetLastError(), failedCall};
        problemNoted = true;
    };
    const std::optional<std::vector<RegisteredMonitor>> monitors = RegisteredMonitors();
    if (!monitors)
        return nullptr;
    const DWORD callerError = GetLastError();
    if (const LoadedMonitor *owner = RememberedOwner(*monitors, port)) {
        SetLastError(callerError);
        return owner;
    }
    SetLastError(callerError);
    for (const RegisteredMonitor &registered : *monitors) {
        std::string failedCall;
        const LoadedMonitor *monitor = LoadMonitor(registered, &failedCall);
        if (!monitor) {
            note(registered, failedCall);
            continue;
        }
        const std::optional<std::vector<std::string>> ports = MonitorPorts(*monitor);
        if (!ports) {
            note(registered, "EnumPorts");
            continue;
        }
        for (const std::string &listed : *ports) {
            if (zorplat::EqualsIgnoringCase(listed, port)) {
                RememberOwner(registered, port);
                SetLastError(callerError);
                return monitor;
            }
        }
    }
    SetLastError(ERROR_UNKNOWN_PORT);
    return nullptr;
}

} // namespace zorplat::spooler
