// ExportTo: the configuration file's bytes for a complete export, one printer and one group
// with its sub-groups; replacing an existing file whole; a failed write; and a full
// database that comes back identical after export, import into a fresh root and export.
#include "tests/configfiles/ConfigFilesFixture.h"

using namespace configtest;

namespace {

class Export : public ConfigFilesTest {
protected:
    Export()
    {
        std::filesystem::create_directories(root.path() + "/files");
        addGroup(doc, "Head Office", {"Floor 1"}, {"North Laser"}, "Laser H7").GroupDescription = "Both floors";
        addGroup(doc, "Floor 1", {"Floor 2"}, {"South Colour"}, "Inkjet J8").GroupDescription = "The first floor";
        addGroup(doc, "Floor 2", {}, {"Lone Printer"}, "Laser H7");
        addGroup(doc, "Empty Group");
        PrinterRecord &north = addPrinter(doc, "North Laser");
        north.PrinterDescription = "First floor laser";
        north.PrinterEmail = "north@print.example";
        north.DefaultRecipient = "Ada North";
        north.RecipientLocation = "Room 1";
        north.HeaderPage = true;
        PrinterRecord &south = addPrinter(doc, "South Colour", "Inkjet J8");
        south.PrinterDescription = "Colour, a=b in the text";
        south.PrinterEmail = "south@print.example";
        south.PrinterPassword = "Sesame";
        south.DefaultRecipient = "Sam South";
        south.LimitPacketSize = true;
        south.MaxPacketSizeInKb = 4;
        south.TrailerPage = true;
        PrinterRecord &lone = addPrinter(doc, "Lone Printer");
        lone.PrinterDescription.clear();
        lone.PrinterEmail = "lone@print.example";
        lone.MaxPacketSizeInKb = 2;
        doc.LinkContainingGroups();
    }

    CChooserDoc doc;
};

TEST_F(Export, FilesMatchTheFormatByteForByte)
{
    ASSERT_TRUE(doc.ExportTo(path("complete.ZOR"), true, false, ""));
    EXPECT_EQ(read(path("complete.ZOR")), Fixture("complete.ZOR"));

    ASSERT_TRUE(doc.ExportTo(path("printer.ZOR"), false, true, "south colour"));
    EXPECT_EQ(read(path("printer.ZOR")), Fixture("one_printer.ZOR"));

    // The closure of groups, then the printers of the direct sub-group and of the group.
    ASSERT_TRUE(doc.ExportTo(path("group.ZOR"), false, false, "Head Office"));
    EXPECT_EQ(read(path("group.ZOR")), Fixture("one_group.ZOR"));
    // The database path is left alone: nothing went into the database.
    EXPECT_FALSE(std::filesystem::exists(root.driveC("ZORVALINE/Sendaro.Cfg")));
}

TEST_F(Export, ReplacesAnExistingFileWholeAndLeavesNoHelperFiles)
{
    const std::string target = file("old.ZOR", CrLf({"[ChoosersDatabaseSectionNames]", "Old=Old", "", "[Old]",
                                                     "PrinterName=Old", "", "[Stray]", "Key=1"}));
    ASSERT_TRUE(doc.ExportTo(target, false, true, "Lone Printer"));
    const std::string written = read(target);
    EXPECT_EQ(written.find("Old"), std::string::npos);
    EXPECT_EQ(written.find("Stray"), std::string::npos);
    EXPECT_NE(written.find("[Lone Printer]"), std::string::npos);
    std::vector<std::string> entries;
    for (const auto &entry : std::filesystem::directory_iterator(root.path() + "/files"))
        entries.push_back(entry.path().filename().string());
    EXPECT_EQ(entries, std::vector<std::string>{"old.ZOR"});
}

TEST_F(Export, AFailedWriteIsReportedAndChangesNothing)
{
    EXPECT_FALSE(doc.ExportTo(root.path() + "/files/missing/new.ZOR", true, false, ""));
    EXPECT_FALSE(std::filesystem::exists(root.path() + "/files/missing"));
    // A folder in the file's place cannot be replaced; what it holds stays.
    const std::string kept = file("folder.ZOR/inside.txt", "kept");
    EXPECT_FALSE(doc.ExportTo(root.path() + "/files/folder.ZOR", true, false, ""));
    EXPECT_EQ(read(kept), "kept");
}

TEST_F(ConfigFilesTest, AFullDatabaseComesBackIdentical)
{
    CChooserDoc first;
    fillDatabase(first, 150, 50);
    const std::string exported = path("full.ZOR");
    std::filesystem::create_directories(root.path() + "/files");
    ASSERT_TRUE(first.ExportTo(exported, true, false, ""));

    CChooserDoc second;
    RecordingHost host;
    EXPECT_EQ(second.ImportFile(exported, host), ImportOutcome::AllImported);
    EXPECT_EQ(host.errorListsShown, 0);
    // Every printer and every group with members got its Windows printer.
    EXPECT_EQ(host.created.size(), 200u);
    ASSERT_TRUE(second.ExportTo(path("again.ZOR"), true, false, ""));
    EXPECT_EQ(read(path("again.ZOR")), read(exported));
}

} // namespace
