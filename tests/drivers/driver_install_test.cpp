// Installing a model from each sample disk: the files in the system directory, the spooler's
// driver entry and the Windows printer; the file dialog, "File Not found" with Retry and
// Cancel, and what a failed copy leaves behind.
#include "manager/setup/DriverInstaller.h"
#include "platform/files/expand.h"
#include "tests/drivers/CopyDialogDriver.h"
#include "tests/drivers/DriverDiskFixture.h"

#include <optional>

namespace {

using drivertest::CopyDialogDriver;
using drivertest::DriverDiskTest;
using drivertest::kFamilyInf;
using drivertest::kPostScriptInf;
using drivertest::Row;
using sendaro::DriverInstaller;
using Answer = CopyDialogDriver::NotFoundAnswer;
using Strings = std::vector<std::string>;

const char *const kSystem = "C:\\WINDOWS\\SYSTEM\\";
const char *const kFamilyDisk = "C:\\DISK\\FAMILY\\";

struct DriverEntry {
    std::string environment, driverPath, dataFile, configFile, helpFile, defaultDataType;
    Strings dependentFiles;
};

std::optional<DriverEntry> installedDriver(const std::string &name)
{
    DWORD needed = 0, returned = 0;
    EnumPrinterDrivers(nullptr, nullptr, 3, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed);
    if (!EnumPrinterDrivers(nullptr, nullptr, 3, buffer.data(), needed, &needed, &returned))
        return std::nullopt;
    const auto *drivers = reinterpret_cast<const DRIVER_INFO_3A *>(buffer.data());
    for (DWORD i = 0; i < returned; ++i) {
        if (name != drivers[i].pName)
            continue;
        DriverEntry entry{drivers[i].pEnvironment, drivers[i].pDriverPath, drivers[i].pDataFile,
                          drivers[i].pConfigFile,  drivers[i].pHelpFile ? drivers[i].pHelpFile : "",
                          drivers[i].pDefaultDataType ? drivers[i].pDefaultDataType : "", {}};
        for (const char *file = drivers[i].pDependentFiles; file && *file; file += std::string(file).size() + 1)
            entry.dependentFiles.emplace_back(file);
        return entry;
    }
    return std::nullopt;
}

struct PrinterEntry {
    std::string driver, port, comment, processor, dataType;
    DWORD attributes = 0, priority = 0;
};

std::optional<PrinterEntry> windowsPrinter(const std::string &name)
{
    HANDLE handle = nullptr;
    if (!OpenPrinter(const_cast<LPSTR>(name.c_str()), &handle, nullptr))
        return std::nullopt;
    DWORD needed = 0;
    GetPrinter(handle, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    std::optional<PrinterEntry> entry;
    if (GetPrinter(handle, 2, buffer.data(), needed, &needed)) {
        const auto *info = reinterpret_cast<const PRINTER_INFO_2A *>(buffer.data());
        entry = PrinterEntry{info->pDriverName, info->pPortName,     info->pComment, info->pPrintProcessor,
                             info->pDatatype,   info->Attributes,    info->Priority};
    }
    ClosePrinter(handle);
    return entry;
}

class DriverInstallTest : public DriverDiskTest {
protected:
    std::string diskFile(const std::string &relative) const { return root.driveC("DISK/" + relative); }
    std::string read(const std::string &linuxPath) const { return zortest::TempRoot::readFile(linuxPath); }
    bool inSystem(const std::string &name) const { return std::filesystem::exists(systemFile(name)); }
};

TEST_F(DriverInstallTest, FamilyModelIsCopiedInstalledAndGetsItsPrinter)
{
    CopyDialogDriver dialogs;
    DriverInstaller installer;
    ASSERT_TRUE(installer.ScanDriverDisk(kFamilyInf));
    ASSERT_TRUE(installer.InstallDriverAndCreatePrinter("Sales", "Zorlan H3 Laser", kFamilyInf));

    const std::string disk = kFamilyDisk, system = kSystem;
    EXPECT_EQ(dialogs.openingRows, (std::vector<Row>{{disk + "ZORH3.PPD", "Printer Specific File", "Need to Copy File"},
                                                     {disk + "ZORPS.DRV", "DriverFile", "Need to Copy File"},
                                                     {disk + "ZORPSUI.DLL", "ConfigFile", "Need to Copy File"},
                                                     {disk + "ZORPS.HLP", "HelpFile", "Need to Copy File"}}));
    ASSERT_EQ(dialogs.closingRows.size(), 4u);
    for (const Row &row : dialogs.closingRows) {
        EXPECT_EQ(row.status, "File Copied");
        EXPECT_EQ(row.path.rfind(system, 0), 0u) << row.path;
    }
    EXPECT_EQ(dialogs.closingProgress, 100);
    for (const char *name : {"ZORH3.PPD", "ZORPS.DRV", "ZORPSUI.DLL", "ZORPS.HLP"})
        EXPECT_EQ(read(systemFile(name)), read(diskFile(std::string("FAMILY/") + name))) << name;

    const std::optional<DriverEntry> driver = installedDriver("Zorlan H3 Laser");
    ASSERT_TRUE(driver);
    EXPECT_EQ(driver->environment, "Windows 4.0");
    EXPECT_EQ(driver->driverPath, system + "ZORPS.DRV");
    EXPECT_EQ(driver->dataFile, system + "ZORH3.PPD");
    EXPECT_EQ(driver->configFile, system + "ZORPSUI.DLL");
    EXPECT_EQ(driver->helpFile, system + "ZORPS.HLP");
    EXPECT_EQ(driver->dependentFiles, Strings{system + "ZORH3.PPD"});
    EXPECT_EQ(driver->defaultDataType, "RAW");

    const std::optional<PrinterEntry> printer = windowsPrinter("Sales");
    ASSERT_TRUE(printer);
    EXPECT_EQ(printer->driver, "Zorlan H3 Laser");
    EXPECT_EQ(printer->port, "ZORVALINE_INTERNET:");
    EXPECT_EQ(printer->comment, "Zorvaline Remote Internet Printing Port");
    EXPECT_EQ(printer->processor, "WinPrint");
    EXPECT_EQ(printer->dataType, "RAW");
    EXPECT_EQ(printer->attributes, PRINTER_ATTRIBUTE_DIRECT);
    EXPECT_EQ(printer->priority, 1u);
}

TEST_F(DriverInstallTest, PostScriptDiskIsExpandedCopiedAndInstalled)
{
    CopyDialogDriver dialogs;
    DriverInstaller installer;
    ASSERT_TRUE(installer.ScanDriverDisk(kPostScriptInf));
    ASSERT_EQ(installer.Models().size(), 1u);
    const sendaro::DriverModel model = installer.Models().front();
    ASSERT_TRUE(installer.InstallDriverAndCreatePrinter("Studio", model.modelName, model.infPath));

    const std::string system = kSystem;
    EXPECT_EQ(dialogs.openingRows, (std::vector<Row>{{system + "ZORH3PS.PPD", "Printer Specific File", ""},
                                                     {system + "adobeps4.drv", "DriverFile", ""},
                                                     {system + "adobeps4.hlp", "HelpFile", ""},
                                                     {system + "fonts.mfm", "", ""},
                                                     {system + "iconlib.dll", "", ""},
                                                     {system + "psmon.dll", "", ""}}));
    for (const Row &row : dialogs.closingRows)
        EXPECT_EQ(row.status, "File Copied") << row.path;
    // The driver file is the disk's compressed one, expanded.
    EXPECT_EQ(read(systemFile("adobeps4.drv")), "Zorvaline PostScript driver for setup disks (sample driver file)\n");
    EXPECT_EQ(read(systemFile("psmon.dll")), "Zorvaline PostScript status monitor (sample driver file)\n");

    const std::optional<DriverEntry> driver = installedDriver("Zorlan H3 Laser PostScript");
    ASSERT_TRUE(driver);
    EXPECT_EQ(driver->driverPath, system + "adobeps4.drv");
    EXPECT_EQ(driver->dataFile, system + "ZORH3PS.PPD");
    EXPECT_EQ(driver->configFile, system + "adobeps4.drv");
    EXPECT_EQ(driver->helpFile, system + "adobeps4.hlp");
    EXPECT_EQ(driver->dependentFiles,
              (Strings{system + "ZORH3PS.PPD", system + "fonts.mfm", system + "iconlib.dll", system + "psmon.dll"}));
    ASSERT_TRUE(windowsPrinter("Studio"));
    EXPECT_EQ(windowsPrinter("Studio")->driver, "Zorlan H3 Laser PostScript");
}

TEST_F(DriverInstallTest, QuotedDriverNameIsTheLookupKeyAndInstalledWithoutQuotes)
{
    CopyDialogDriver dialogs;
    DriverInstaller installer;
    ASSERT_TRUE(installer.InstallDriverAndCreatePrinter("Lab", "\"Zorlan K8 Colour\"", kFamilyInf));
    EXPECT_TRUE(installedDriver("Zorlan K8 Colour"));
    EXPECT_EQ(windowsPrinter("Lab")->driver, "Zorlan K8 Colour");
}

TEST_F(DriverInstallTest, FileInTheSystemDirectoryIsStillCopiedFromTheDisk)
{
    root.writeFile(systemFile("ZORPS.DRV"), "an older core driver");
    CopyDialogDriver dialogs;
    DriverInstaller installer;
    ASSERT_TRUE(installer.InstallDriverAndCreatePrinter("Sales", "Zorlan H3 Laser", kFamilyInf));
    ASSERT_GE(dialogs.openingRows.size(), 2u);
    EXPECT_EQ(dialogs.openingRows[1], (Row{std::string(kSystem) + "ZORPS.DRV", "DriverFile", "File Already Exists"}));
    EXPECT_EQ(read(systemFile("ZORPS.DRV")), read(diskFile("FAMILY/ZORPS.DRV")));
}

TEST_F(DriverInstallTest, MissingFileIsAskedForAndItsFolderServesTheNextOnes)
{
    // Two files are not on the disk but in another folder the user knows.
    std::filesystem::create_directories(root.driveC("ELSEWHERE"));
    for (const char *name : {"ZORPS.DRV", "ZORPS.HLP"})
        std::filesystem::rename(diskFile(std::string("FAMILY/") + name), root.driveC(std::string("ELSEWHERE/") + name));
    CopyDialogDriver dialogs;
    prompts.expectFile(root.driveC("ELSEWHERE/ZORPS.DRV"), [&](const sendaro::FileDialogRequest &request) {
        EXPECT_FALSE(request.save);
        EXPECT_EQ(request.fileName, diskFile("FAMILY/ZORPS.DRV"));
    });
    DriverInstaller installer;
    ASSERT_TRUE(installer.InstallDriverAndCreatePrinter("Sales", "Zorlan H3 Laser", kFamilyInf));
    EXPECT_EQ(read(systemFile("ZORPS.HLP")), read(root.driveC("ELSEWHERE/ZORPS.HLP")));
    EXPECT_TRUE(installedDriver("Zorlan H3 Laser"));
}

TEST_F(DriverInstallTest, RetryInFileNotFoundAsksForTheSameFileAgain)
{
    std::filesystem::remove(diskFile("FAMILY/ZORPS.HLP"));
    root.writeFile(root.driveC("FOUND/ZORPS.HLP"), "help found later");
    CopyDialogDriver dialogs;
    dialogs.answerNotFound(Answer::Retry);
    const std::string proposed = diskFile("FAMILY/ZORPS.HLP");
    auto asksForHelpFile = [&](const sendaro::FileDialogRequest &request) { EXPECT_EQ(request.fileName, proposed); };
    prompts.expectFile("/nowhere/ZORPS.HLP", asksForHelpFile).expectFile(root.driveC("FOUND/ZORPS.HLP"), asksForHelpFile);
    DriverInstaller installer;
    ASSERT_TRUE(installer.InstallDriverAndCreatePrinter("Sales", "Zorlan H3 Laser", kFamilyInf));
    EXPECT_EQ(dialogs.notFoundShown, 1);
    EXPECT_EQ(read(systemFile("ZORPS.HLP")), "help found later");
}

TEST_F(DriverInstallTest, CancelInFileNotFoundSkipsTheFileAndInstallsNothing)
{
    std::filesystem::remove(diskFile("FAMILY/ZORPS.HLP"));
    root.writeFile(systemFile("ZORPS.DRV"), "the core driver of an installed model");
    CopyDialogDriver dialogs;
    dialogs.answerNotFound(Answer::Cancel);
    prompts.expectFile("/nowhere/ZORPS.HLP");
    DriverInstaller installer;
    EXPECT_FALSE(installer.InstallDriverAndCreatePrinter("Sales", "Zorlan H3 Laser", kFamilyInf));

    ASSERT_EQ(dialogs.closingRows.size(), 4u);
    EXPECT_EQ(dialogs.closingRows[3].status, "File Skiped");
    EXPECT_EQ(dialogs.closingRows[0].status, "File Copied");
    EXPECT_FALSE(installedDriver("Zorlan H3 Laser"));
    EXPECT_FALSE(windowsPrinter("Sales"));
    // The files this attempt brought are gone again; the one that was there stays.
    EXPECT_FALSE(inSystem("ZORH3.PPD"));
    EXPECT_FALSE(inSystem("ZORPSUI.DLL"));
    EXPECT_TRUE(inSystem("ZORPS.DRV"));
}

TEST_F(DriverInstallTest, CancelledFileDialogInstallsNothing)
{
    std::filesystem::remove(diskFile("FAMILY/ZORH3.PPD"));
    CopyDialogDriver dialogs;
    prompts.expectFile("");
    DriverInstaller installer;
    EXPECT_FALSE(installer.InstallDriverAndCreatePrinter("Sales", "Zorlan H3 Laser", kFamilyInf));
    EXPECT_EQ(dialogs.notFoundShown, 0);
    EXPECT_FALSE(installedDriver("Zorlan H3 Laser"));
    EXPECT_FALSE(inSystem("ZORPS.DRV"));
}

TEST_F(DriverInstallTest, ModelWithoutFilesShowsNothingAndFails)
{
    root.writeFile(diskFile("FAMILY/ZORFAM.INF"), "[Version]\r\nSignature=\"$CHICAGO$\"\r\n[Zorvaline]\r\n"
                                                  "\"Zorlan H3 Laser\"=H3.INSTALL\r\n[H3.INSTALL]\r\n"
                                                  "CopyFiles=, ZORPS.FILES\r\n[ZORPS.FILES]\r\nZORPS.DRV\r\n");
    CopyDialogDriver dialogs;
    DriverInstaller installer;
    EXPECT_FALSE(installer.InstallDriverAndCreatePrinter("Sales", "Zorlan H3 Laser", kFamilyInf));
    EXPECT_FALSE(dialogs.opened);
}

TEST_F(DriverInstallTest, WindowsNtInstallsIntoTheSpoolersNtEnvironment)
{
    setenv("ZORVALINE_PLATFORM", "nt", 1);
    {
        CopyDialogDriver dialogs;
        DriverInstaller installer;
        const bool installed = installer.InstallDriverAndCreatePrinter("Sales", "Zorlan H3 Laser", kFamilyInf);
        const std::optional<DriverEntry> driver = installedDriver("Zorlan H3 Laser");
        unsetenv("ZORVALINE_PLATFORM");
        ASSERT_TRUE(installed);
        ASSERT_TRUE(driver);
        EXPECT_EQ(driver->environment, "Windows NT x86");
    }
}

} // namespace
