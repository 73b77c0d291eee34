// Internal to the spooler: where its monitors, drivers and printers live in the registry,
// a small key wrapper for the value types it stores, the lock that makes its
// read-check-write sequences whole across processes, and the checks all its calls share.
#pragma once

#include "platform/files/atomicfile.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_batch.h"
#include "platform/registry/registry_snapshot.h"
#include "platform/base/windef.h"

#include <optional>
#include <string>
#include <vector>

namespace zorplat::spooler {

constexpr const char *kPrintKey = "System\\CurrentControlSet\\Control\\Print";
constexpr const char *kMonitorsKey = "System\\CurrentControlSet\\Control\\Print\\Monitors";
constexpr const char *kPrintersKey = "System\\CurrentControlSet\\Control\\Print\\Printers";
std::string DriversKey(const std::string &environment);

// One open key of HKEY_LOCAL_MACHINE. The accessors report absence as nullopt; a read that
// fails for another reason (a damaged registry file) is kept in readError(). The setters
// return false with the last error set.
class RegKey {
public:
    // A key that is missing stays closed (valid() false) with the registry's error kept.
    static RegKey Open(const std::string &path);
    static RegKey Create(const std::string &path);
    RegKey() = default;
    ~RegKey();
    RegKey(RegKey &&other) noexcept;
    RegKey &operator=(RegKey &&other) noexcept;
    RegKey(const RegKey &) = delete;
    RegKey &operator=(const RegKey &) = delete;

    bool valid() const { return m_key != nullptr; }
    LONG error() const { return m_error; }
    // The first error met opening the key or reading through it that does not just mean
    // "not there" (ERROR_BADDB for a damaged file); ERROR_SUCCESS when there was none.
    LONG readError() const;

    std::optional<std::string> string(const char *name) const;
    std::optional<std::string> binary(const char *name) const;
    std::optional<std::vector<std::string>> multiString(const char *name) const;
    DWORD dword(const char *name, DWORD fallback = 0) const;
    std::vector<std::string> subkeys() const;

    bool setString(const char *name, const std::string &value);
    // Absent (nullopt) removes the value, so that "none" is kept apart from "empty".
    bool setOptionalString(const char *name, const std::optional<std::string> &value);
    bool setBinary(const char *name, const std::string &bytes);
    bool setMultiString(const char *name, const std::vector<std::string> &values);
    bool setDword(const char *name, DWORD value);

private:
    void noteReadResult(LONG result) const;

    HKEY m_key = nullptr;
    LONG m_error = ERROR_SUCCESS;
    mutable LONG m_readError = ERROR_SUCCESS;
};

// Whether reading through the key failed (readError()); the last error is set to that error
// when it did, so callers can `if (ReadFailed(key)) return FALSE;`.
bool ReadFailed(const RegKey &key);

// Deletes the key below HKEY_LOCAL_MACHINE with everything under it.
bool DeleteKey(const std::string &path);

// Serialises the spooler's changes among the processes (and threads) of one root, and
// writes the registry changes made under it in one replacement of the file: commit()
// writes them (false with the last error set when that fails); what a call left
// uncommitted, on a failure path, is written when the lock goes.
class SpoolerLock {
public:
    SpoolerLock();
    bool commit();

private:
    FileLock m_lock;
    RegistryBatch m_batch;
};

// Only the local machine is served: null or empty, else ERROR_INVALID_NAME.
bool CheckLocalServer(const char *serverName);
// The environment a call names: null means the current one; a name other than the two
// known ones (compared without regard to case) fails with ERROR_INVALID_ENVIRONMENT, and
// so does null on a platform that has no current environment. Returns the canonical name.
std::optional<std::string> ResolveEnvironment(const char *environment);

// Whether a driver of that name (without regard to case) is installed in the current
// environment; never on a platform that has none. False with the last error set:
// ERROR_UNKNOWN_PRINTER_DRIVER, or the registry's error when the drivers cannot be read.
bool DriverInstalled(const std::string &name);

std::optional<std::string> OptionalString(const char *text);

// Fails with `error` as the last error; returns FALSE so callers can `return Fail(...)`.
BOOL Fail(DWORD error);

} // namespace zorplat::spooler
