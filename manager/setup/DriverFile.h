// One row of the installer's file table: a file a driver needs, the role the INF gives it,
// and how far its copy into the system directory has come.
#pragma once

#include <string>

namespace sendaro {

// Roles the driver installation looks for; any other key of an INF's data section is kept
// as it is, and a file of the copy list has none.
inline constexpr const char *kTypeDriverFile = "DriverFile";
inline constexpr const char *kTypeHelpFile = "HelpFile";
inline constexpr const char *kTypeConfigFile = "ConfigFile";
inline constexpr const char *kTypePrinterSpecific = "Printer Specific File";

inline constexpr const char *kStatusExists = "File Already Exists";
inline constexpr const char *kStatusNeedCopy = "Need to Copy File";
inline constexpr const char *kStatusCopied = "File Copied";
inline constexpr const char *kStatusSkipped = "File Skiped";
// The copy itself failed (disk full, no permission): the row fails, and says so.
inline constexpr const char *kStatusCopyFailed = "Copy Failed";

struct DriverFile {
    std::string path;
    std::string type;
    std::string status;

    bool operator==(const DriverFile &) const = default;
};

} // namespace sendaro
