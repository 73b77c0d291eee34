// The platform's expand: the classic compressed files of setup disks restored through
// libmspack, under their expanded names, and nothing left behind on failure.
#include "platform/base/lasterror.h"
#include "platform/files/expand.h"
#include "tests/drivers/DriverDiskFixture.h"
#include "tests/support/SzddWriter.h"

namespace {

using drivertest::DriverDiskTest;

class ExpandTest : public DriverDiskTest {
protected:
    std::string folder() const { return root.driveC("EXPANDED"); }
    void SetUp() override { std::filesystem::create_directories(folder()); }
};

TEST_F(ExpandTest, ShippedDiskFilesAreWhatOurCompressorMakesOfTheirContent)
{
    const struct {
        const char *compressed, *expanded;
    } files[] = {{"adobeps4.dr_", "adobeps4.drv"}, {"adobeps4.hl_", "adobeps4.hlp"}, {"fonts.mf_", "fonts.mfm"},
                 {"iconlib.dl_", "iconlib.dll"},   {"psmon.dl_", "psmon.dll"}};
    for (const auto &file : files) {
        const std::string source = std::string("C:\\DISK\\POSTSCRIPT\\") + file.compressed;
        const std::string expanded = zorplat::ExpandFile(source, "C:\\EXPANDED");
        ASSERT_EQ(expanded, folder() + "/" + file.expanded) << GetLastError();
        const std::string content = zortest::TempRoot::readFile(expanded);
        EXPECT_FALSE(content.empty());
        EXPECT_EQ(zortest::SzddStored(content, std::string(file.expanded).back()),
                  zortest::TempRoot::readFile(root.driveC(std::string("DISK/POSTSCRIPT/") + file.compressed)));
    }
}

TEST_F(ExpandTest, BackReferencesOfTheLzssStreamAreResolved)
{
    // "ABC" as literals, then six bytes copied from the window position of the first 'A'
    // (4096 - 16, where the stream starts writing).
    const std::string compressed = std::string("SZDD\x88\xF0\x27\x33" "A" "t\x09\x00\x00\x00", 14) +
                                   std::string("\x07" "ABC" "\xF0\xF3", 6);
    root.writeFile(root.driveC("DISK/REPEAT.TX_"), compressed);
    const std::string expanded = zorplat::ExpandFile("C:\\DISK\\REPEAT.TX_", "C:\\EXPANDED");
    ASSERT_EQ(expanded, folder() + "/REPEAT.TXt");
    EXPECT_EQ(zortest::TempRoot::readFile(expanded), "ABCABCABC");
}

TEST_F(ExpandTest, KwajFileGetsTheNameItsHeaderKeeps)
{
    // Stored without compression; the header keeps the name "KW" and the extension "TXT".
    const std::string header = std::string("KWAJ\x88\xF0\x27\xD1", 8) + std::string("\x00\x00\x15\x00\x18\x00", 6) +
                               std::string("KW\0TXT\0", 7);
    root.writeFile(root.driveC("DISK/KWAJ.TX_"), header + "stored as it is");
    const std::string expanded = zorplat::ExpandFile("C:\\DISK\\KWAJ.TX_", "C:\\EXPANDED");
    ASSERT_EQ(expanded, folder() + "/KW.TXT") << GetLastError();
    EXPECT_EQ(zortest::TempRoot::readFile(expanded), "stored as it is");
}

TEST_F(ExpandTest, ReplacesAnEarlierExpandedFile)
{
    root.writeFile(folder() + "/psmon.dll", "stale");
    ASSERT_FALSE(zorplat::ExpandFile("C:\\DISK\\POSTSCRIPT\\psmon.dl_", folder()).empty());
    EXPECT_EQ(zortest::TempRoot::readFile(folder() + "/psmon.dll"),
              "Zorvaline PostScript status monitor (sample driver file)\n");
}

TEST_F(ExpandTest, FailuresSayWhyAndLeaveNoFile)
{
    SetLastError(0xdeadbeef);
    EXPECT_EQ(zorplat::ExpandFile("C:\\DISK\\POSTSCRIPT\\missing.dl_", folder()), "");
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    SetLastError(0xdeadbeef);
    EXPECT_EQ(zorplat::ExpandFile("C:\\DISK\\POSTSCRIPT\\psmon.dl_", "C:\\NO\\SUCH"), "");
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    SetLastError(0xdeadbeef);
    EXPECT_EQ(zorplat::ExpandFile("C:\\DISK\\POSTSCRIPT\\SETUP.INF", folder()), "");
    EXPECT_EQ(GetLastError(), ERROR_BAD_FORMAT);
    EXPECT_TRUE(std::filesystem::is_empty(folder()));
}

} // namespace
