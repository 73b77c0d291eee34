// The installer's model lists: the platform's system INF, the models it lacks, and the scan
// of the two kinds of driver disk.
#include "manager/setup/DriverInstaller.h"
#include "tests/drivers/DriverDiskFixture.h"

#include <cstdlib>

namespace {

using drivertest::DriverDiskTest;
using drivertest::kFamilyInf;
using drivertest::kNotPresent;
using drivertest::kPostScriptInf;
using sendaro::DriverInstaller;

// Sets ZORVALINE_PLATFORM for one test and puts the old value back.
class PlatformOverride {
public:
    explicit PlatformOverride(const char *platform)
    {
        if (const char *old = std::getenv("ZORVALINE_PLATFORM"))
            m_old = old;
        setenv("ZORVALINE_PLATFORM", platform, 1);
    }
    ~PlatformOverride()
    {
        m_old.empty() ? unsetenv("ZORVALINE_PLATFORM") : setenv("ZORVALINE_PLATFORM", m_old.c_str(), 1);
    }

private:
    std::string m_old;
};

std::vector<std::string> modelNames(const DriverInstaller &installer)
{
    std::vector<std::string> names;
    for (const sendaro::DriverModel &model : installer.Models())
        names.push_back(model.modelName);
    return names;
}

using Strings = std::vector<std::string>;

TEST_F(DriverDiskTest, EachPlatformHasItsEnvironmentAndSystemInf)
{
    const struct {
        const char *platform, *environment, *inf;
    } cases[] = {
        {"win95", "Windows 4.0", "C:\\WINDOWS\\inf\\msprint2.inf"},
        {"nt", "Windows NT x86", "C:\\WINDOWS\\inf\\ntprint.inf"},
        {"nt3", "Windows NT x86", "C:\\WINDOWS\\inf\\printer.inf"},
        {"other", "NotWin32", ""},
    };
    for (const auto &c : cases) {
        PlatformOverride platform(c.platform);
        DriverInstaller installer;
        EXPECT_EQ(installer.Environment(), c.environment) << c.platform;
        EXPECT_EQ(installer.SystemInfPath(), c.inf) << c.platform;
    }
}

TEST_F(DriverDiskTest, SystemInfOffersTheModelsNotInstalledComparedExactly)
{
    root.writeFile(root.driveC("WINDOWS/INF/msprint2.inf"),
                   "[Version]\r\nSignature=\"$CHICAGO$\"\r\n\r\n[Zorvaline]\r\n"
                   "\"Zorlan H3 Laser\"=H3.INSTALL\r\n\"Zorlan H7 Laser\"=H7.INSTALL\r\n"
                   "Zorlan J8 Inkjet=J8.INSTALL\r\n");
    installDriver("Zorlan H7 Laser");
    installDriver("zorvaline inkjet j8"); // another spelling is another driver
    DriverInstaller installer;
    EXPECT_EQ(installer.NotInstalledModels(), (Strings{"Zorlan H3 Laser", "Zorlan J8 Inkjet"}));
    EXPECT_TRUE(installer.Models().empty());
}

TEST_F(DriverDiskTest, WithoutPrintingThereIsNoSystemInfAndNothingToOffer)
{
    PlatformOverride platform("other");
    root.writeFile(root.driveC("WINDOWS/INF/msprint2.inf"), "[Zorvaline]\r\n\"Zorlan H3 Laser\"=H3\r\n");
    DriverInstaller installer;
    EXPECT_TRUE(installer.NotInstalledModels().empty());
}

TEST_F(DriverDiskTest, FamilyDiskListsItsFamilyModelsThatAreNotInstalled)
{
    installDriver("Zorlan H7 Laser");
    installDriver("Zorlan J8 Inkjet");
    DriverInstaller installer;
    ASSERT_TRUE(installer.ScanDriverDisk(kFamilyInf));
    // The fax names no family model number, H7 and J8 are installed.
    EXPECT_EQ(modelNames(installer),
              (Strings{"Zorlan H3 Laser", "Zorlan J7 Inkjet", "Zorlan K7 Colour", "Zorlan K8 Colour"}));
    for (const sendaro::DriverModel &model : installer.Models()) {
        EXPECT_EQ(model.infPath, std::string(kFamilyInf));
        EXPECT_EQ(model.ppdFileName, "");
    }
}

TEST_F(DriverDiskTest, OnlyChicagoInfsContributeAndAModelIsListedOnce)
{
    // Another INF of the disk offers K8 again in other letters, and a new K7 model.
    root.writeFile(root.driveC("DISK/FAMILY/ZZMORE.INF"),
                   "[Version]\r\nSignature=\"$CHICAGO$\"\r\n[Zorvaline]\r\n\"ZORLAN K8 COLOUR\"=K8\r\n"
                   "\"Zorvaline Photo K7\"=K7\r\n");
    // Not a Windows 95 INF and not named SETUP.INF: ignored although it names a family model.
    root.writeFile(root.driveC("DISK/FAMILY/NTONLY.INF"),
                   "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Zorvaline]\r\n\"Zorvaline NT H3\"=H3\r\n");
    DriverInstaller installer;
    ASSERT_TRUE(installer.ScanDriverDisk(kFamilyInf));
    const Strings names = modelNames(installer);
    EXPECT_EQ(names, (Strings{"Zorlan H3 Laser", "Zorlan H7 Laser", "Zorlan J7 Inkjet",
                              "Zorlan J8 Inkjet", "Zorlan K7 Colour", "Zorlan K8 Colour",
                              "Zorvaline Photo K7"}));
    EXPECT_EQ(installer.Models().back().infPath, "C:\\DISK\\FAMILY\\ZZMORE.INF");
}

TEST_F(DriverDiskTest, ADirectoryWithoutInfFilesIsNoDriverDisk)
{
    root.writeFile(root.driveC("EMPTY/readme.txt"), "nothing here");
    DriverInstaller installer;
    prompts.expectBox(kNotPresent);
    EXPECT_FALSE(installer.ScanDriverDisk("C:\\EMPTY\\readme.txt"));
    EXPECT_TRUE(installer.Models().empty());
}

TEST_F(DriverDiskTest, PostScriptDiskListsTheModelOfItsFirstFamilyPpd)
{
    DriverInstaller installer;
    ASSERT_TRUE(installer.ScanDriverDisk(kPostScriptInf));
    ASSERT_EQ(installer.Models().size(), 1u);
    const sendaro::DriverModel &model = installer.Models().front();
    EXPECT_EQ(model.modelName, "Zorlan H3 Laser PostScript"); // GENERIC.PPD names no family model
    EXPECT_EQ(model.infPath, "C:\\DISK\\POSTSCRIPT\\setup.inf");
    EXPECT_EQ(model.ppdFileName, "ZORH3PS.PPD");
}

TEST_F(DriverDiskTest, PostScriptDiskScannedByItsLinuxPath)
{
    DriverInstaller installer;
    const std::string linuxPath = root.driveC("DISK/POSTSCRIPT/SETUP.INF");
    ASSERT_TRUE(installer.ScanDriverDisk(linuxPath));
    ASSERT_EQ(installer.Models().size(), 1u);
    EXPECT_EQ(installer.Models().front().infPath, root.driveC("DISK/POSTSCRIPT/setup.inf"));
}

TEST_F(DriverDiskTest, PostScriptDiskWithoutFamilyPpdFails)
{
    std::filesystem::remove(root.driveC("DISK/POSTSCRIPT/ZORH3PS.PPD"));
    DriverInstaller installer;
    prompts.expectBox(kNotPresent);
    EXPECT_FALSE(installer.ScanDriverDisk(kPostScriptInf));
    EXPECT_TRUE(installer.Models().empty());
}

TEST_F(DriverDiskTest, FamilyPpdWithoutModelNameListsNothingButTheScanSucceeds)
{
    root.writeFile(root.driveC("DISK/POSTSCRIPT/ZORH3PS.PPD"), "*PPD-Adobe: \"4.3\"\n*ShortNickName: \"H3\"\n");
    DriverInstaller installer;
    EXPECT_TRUE(installer.ScanDriverDisk(kPostScriptInf));
    EXPECT_TRUE(installer.Models().empty());
}

TEST_F(DriverDiskTest, ModelNameIsCutTo254Characters)
{
    root.writeFile(root.driveC("DISK/POSTSCRIPT/ZORH3PS.PPD"),
                   "*ModelName: \"" + std::string(300, 'M') + "\"\n");
    DriverInstaller installer;
    ASSERT_TRUE(installer.ScanDriverDisk(kPostScriptInf));
    ASSERT_EQ(installer.Models().size(), 1u);
    EXPECT_EQ(installer.Models().front().modelName, std::string(254, 'M'));
}

} // namespace
