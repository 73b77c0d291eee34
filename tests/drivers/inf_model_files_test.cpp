// Reading a model's files from its INF: the CopyFiles list, file sections, the roles of the
// data section, and where each file is to come from.
#include "manager/setup/InfModelFiles.h"
#include "tests/drivers/DriverDiskFixture.h"

namespace sendaro {

void PrintTo(const DriverFile &file, std::ostream *out)
{
    *out << "{" << file.path << ", " << file.type << ", " << file.status << "}";
}

} // namespace sendaro

namespace {

using drivertest::DriverDiskTest;
using sendaro::DriverFile;
using sendaro::ReadInfModelFiles;

const char *const kInf = "C:\\DISK\\TEST.INF";
const std::string kDisk = "C:\\DISK\\";

class InfModelFilesTest : public DriverDiskTest {
protected:
    void writeInf(const std::string &installSection)
    {
        root.writeFile(root.driveC("DISK/TEST.INF"),
                       "[Version]\r\nSignature=\"$CHICAGO$\"\r\n[Zorvaline]\r\n\"Zorlan H3 Laser\"=H3.INSTALL,extra\r\n"
                       "[H3.INSTALL]\r\n" + installSection +
                       "[CORE]\r\n; the core driver\r\nCORE.DRV\r\nCOREUI.DLL\r\n"
                       "[DATA]\r\nDriverFile=CORE.DRV\r\n;ConfigFile=COREUI.DLL\r\nHelpFile=core.drv\r\n");
    }
};

TEST_F(InfModelFilesTest, SingleFileThenSectionFilesWithACommentAfterTheList)
{
    writeInf("CopyFiles=@H3.PPD,CORE ; the model, then the core\r\nDataSection=DATA\r\n");
    // A commented line of the data section gives no role, and a role names its file exactly.
    EXPECT_EQ(ReadInfModelFiles(kInf, kDisk, "\"Zorlan H3 Laser\""),
              (std::vector<DriverFile>{{kDisk + "H3.PPD", "Printer Specific File", "Need to Copy File"},
                                       {kDisk + "CORE.DRV", "DriverFile", "Need to Copy File"},
                                       {kDisk + "COREUI.DLL", "", "Need to Copy File"}}));
}

TEST_F(InfModelFilesTest, BlankAfterACommaNamesNoSection)
{
    writeInf("CopyFiles=@H3.PPD, CORE\r\n");
    EXPECT_EQ(ReadInfModelFiles(kInf, kDisk, "\"Zorlan H3 Laser\""),
              (std::vector<DriverFile>{{kDisk + "H3.PPD", "Printer Specific File", "Need to Copy File"}}));
}

TEST_F(InfModelFilesTest, FileInTheSystemDirectoryIsTakenFromThere)
{
    writeInf("CopyFiles=CORE\r\n");
    root.writeFile(systemFile("COREUI.DLL"), "installed before");
    const std::vector<DriverFile> files = ReadInfModelFiles(kInf, kDisk, "\"Zorlan H3 Laser\"");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], (DriverFile{kDisk + "CORE.DRV", "", "Need to Copy File"}));
    EXPECT_EQ(files[1], (DriverFile{"C:\\WINDOWS\\SYSTEM\\COREUI.DLL", "", "File Already Exists"}));
}

TEST_F(InfModelFilesTest, UnknownModelOrKeyWithoutQuotesHasNoFiles)
{
    writeInf("CopyFiles=CORE\r\n");
    EXPECT_TRUE(ReadInfModelFiles(kInf, kDisk, "\"Zorlan K8 Laser\"").empty());
    EXPECT_TRUE(ReadInfModelFiles(kInf, kDisk, "Zorlan H3 Laser").empty());
}

} // namespace
