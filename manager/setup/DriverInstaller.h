// Installs printer drivers of the family from INF driver disks: lists the models a disk offers
// that the spooler lacks, copies a model's files into the system directory under the user's
// eyes, adds the driver and creates the Windows printer on the Internet port.
#pragma once

#include "manager/setup/DriverFile.h"

#include <string>
#include <vector>

class QWidget;

namespace sendaro {

// One row of the model table: a model a scanned disk offers.
struct DriverModel {
    std::string modelName;   // without quotes, as the INF or the PPD names it
    std::string infPath;     // the INF that offers it (for a PPD disk: its directory + "setup.inf")
    std::string ppdFileName; // only for a PPD disk
};

class DriverInstaller {
public:
    // Determines the platform, its environment and system INF, and reads the models of the
    // system INF that are not installed yet.
    DriverInstaller();
    // Removes the folder the disk's compressed files were expanded into.
    ~DriverInstaller();
    DriverInstaller(const DriverInstaller &) = delete;
    DriverInstaller &operator=(const DriverInstaller &) = delete;

    // Scans the disk of the INF file the user chose and fills the model table; shows message
    // 129 and returns false when the directory offers no INF or no family PPD.
    bool ScanDriverDisk(const std::string &infPath);

    // The model table of the last scan, in order (at most 80 rows).
    const std::vector<DriverModel> &Models() const;

    // Copies the driver's files (dialog "Printer Driver Files" over `parent`), adds the driver
    // and creates the Windows printer. False without a message when either spooler call fails.
    bool InstallDriverAndCreatePrinter(const std::string &printerName,
                                       const std::string &driverName, const std::string &infPath,
                                       QWidget *parent = nullptr);

    // The environment the spooler installs into ("Windows 4.0", "Windows NT x86", or
    // "NotWin32" on a platform without printing) and the system INF ("" without one).
    const std::string &Environment() const { return environment_; }
    const std::string &SystemInfPath() const { return systemInfPath_; }
    // The model keys of the current INF's [Zorvaline] section that no installed driver has.
    const std::vector<std::string> &NotInstalledModels() const { return notInstalledModels_; }

private:
    void readNotInstalledModels();
    void listChicagoModels(const std::string &infPath);
    bool listPpdModel();
    void appendModel(DriverModel model);
    void buildSetupDiskList();
    bool expandIntoTemporaryFolder(const char *compressedName, const char *expandedName);
    bool addDriver() const;
    bool createPrinter(const std::string &printerName) const;
    void removeFilesCopiedNew(const std::vector<std::string> &missingBefore) const;

    std::string environment_;
    std::string systemInfPath_;
    std::string infPath_;
    std::string infDirectory_;
    std::vector<std::string> notInstalledModels_;
    std::vector<DriverModel> models_;
    std::string driverName_;
    std::vector<DriverFile> files_;
    std::string expandFolder_; // a private temporary folder, made on first use
};

} // namespace sendaro
