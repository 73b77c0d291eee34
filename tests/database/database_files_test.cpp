// Reading the database through its index, and writing it: the canonical layout, and the
// atomic save giving the bytes of the key-by-key sequence.
#include "manager/database/CDatabaseReader.h"
#include "manager/database/DatabaseWriter.h"
#include "platform/base/lasterror.h"
#include "tests/database/DatabaseTestSupport.h"

using namespace zordb;
using namespace dbtest;

namespace {

class DatabaseFiles : public DatabaseTest {
protected:
    CDatabaseReader readFixture(const std::string &name)
    {
        installFixture(name);
        CDatabaseReader reader;
        reader.ReadIndex(kDatabasePath);
        reader.ReadRecords(kDatabasePath);
        return reader;
    }
};

TEST_F(DatabaseFiles, ReaderFollowsTheIndexAndTheValueSyntax)
{
    CDatabaseReader reader = readFixture("edge_cases.cfg");
    EXPECT_EQ(reader.SectionNames(),
              (std::vector<std::string>{"Banner", "Empty Lists", "Loose", "NoKeys", "Odd Values", "Sparse"}));

    // Any section whose first key is neither MainGroupName nor PrinterName is the title.
    EXPECT_EQ(reader.GroupsTitle(), "My Groups");
    EXPECT_EQ(reader.PrintersTitle(), "My Printers");
    EXPECT_EQ(reader.DefaultItem(), "Loose");
    EXPECT_EQ(reader.ItemType(), "FALSE");

    ASSERT_EQ(reader.Groups().size(), 2u) << "the keyless section is skipped";
    const GroupRecord &lists = *reader.Groups()[0];
    EXPECT_EQ(lists.MainGroupName, "Empty Lists") << "the first key is matched without regard to case";
    EXPECT_TRUE(lists.SubGroups.empty());
    EXPECT_EQ(lists.Printers, (std::vector<std::string>{"A", "", "B"}));
    EXPECT_EQ(lists.GroupDriver, "Laser H7");
    const GroupRecord &loose = *reader.Groups()[1];
    EXPECT_EQ(loose.SubGroups, (std::vector<std::string>{std::string(249, 'S'), "Empty Lists"}));
    EXPECT_EQ(loose.Printers, (std::vector<std::string>{std::string(255, 'P')}));

    ASSERT_EQ(reader.Printers().size(), 2u) << "sections outside the index are not read";
    const PrinterRecord &odd = *reader.Printers()[0];
    EXPECT_EQ(odd.PrinterName, "Odd Values");
    EXPECT_FALSE(odd.HeaderPage) << "only upper-case TRUE is true";
    EXPECT_FALSE(odd.LimitPacketSize);
    EXPECT_TRUE(odd.TrailerPage);
    EXPECT_EQ(odd.MaxPacketSizeInKb, 0) << "letters read as 0";
    EXPECT_EQ(odd.PrinterDescription.size(), 4999u);
    const PrinterRecord &sparse = *reader.Printers()[1];
    EXPECT_EQ(sparse.MaxPacketSizeInKb, 12);
    EXPECT_TRUE(sparse.PrinterEmail.empty());
    EXPECT_FALSE(sparse.TrailerPage);
}

TEST_F(DatabaseFiles, WellFormednessCheck)
{
    CDatabaseReader reader;
    installFixture("canonical.cfg");
    EXPECT_TRUE(reader.CheckDatabaseFile(kDatabasePath));
    installFixture("missing_section.cfg");
    EXPECT_FALSE(reader.CheckDatabaseFile(kDatabasePath)) << "the index names a section that is not there";
    installFixture("edge_cases.cfg");
    EXPECT_FALSE(reader.CheckDatabaseFile(kDatabasePath)) << "an indexed section without keys";
    root.writeFile(databaseFile(), "[TitleName]\r\nGroupsTitle=G\r\n[ChoosersDatabaseSectionNames]\r\n");
    EXPECT_FALSE(reader.CheckDatabaseFile(kDatabasePath)) << "an empty index";
    std::filesystem::remove(databaseFile());
    EXPECT_FALSE(reader.CheckDatabaseFile(kDatabasePath));
}

// Names of the longest kind for the largest database: the index needs more than the
// 5000 bytes the original read it through, and none of it may be lost.
TEST_F(DatabaseFiles, FullDatabaseWithLongNamesKeepsEveryRecord)
{
    CChooserDoc doc;
    for (int i = 0; i < 150; ++i) {
        std::string name = "Printer " + std::to_string(i);
        AddPrinter(doc, name + std::string(31 - name.size(), 'x'));
    }
    for (int i = 0; i < 50; ++i) {
        std::string name = "Group " + std::to_string(i);
        AddGroup(doc, name + std::string(32 - name.size(), 'y'), {}, {});
    }
    ASSERT_TRUE(doc.OnSaveDocument(kDatabasePath));

    CDatabaseReader reader;
    ASSERT_TRUE(reader.CheckDatabaseFile(kDatabasePath));
    reader.ReadIndex(kDatabasePath);
    reader.ReadRecords(kDatabasePath);
    ASSERT_EQ(reader.Printers().size(), 150u);
    ASSERT_EQ(reader.Groups().size(), 50u);
    EXPECT_EQ(reader.Printers().back()->PrinterName, doc.Printers().back()->PrinterName);
}

TEST_F(DatabaseFiles, SavingAFreshFileGivesTheCanonicalLayout)
{
    // Records read from the fixture and written to a file of another name (so it is
    // written whole) come out byte for byte as the fixture.
    CDatabaseReader reader = readFixture("canonical.cfg");
    CChooserDoc doc;
    doc.SetDefaultItem(reader.DefaultItem(), true);
    doc.Groups() = reader.TakeGroups();
    doc.Printers() = reader.TakePrinters();
    root.writeFile(root.driveC("ZORVALINE/Copy.cfg"), "[Leftover]\r\nKey=from an earlier file\r\n");
    ASSERT_TRUE(doc.OnSaveDocument("C:\\ZORVALINE\\Copy.cfg"));
    EXPECT_EQ(zortest::TempRoot::readFile(root.driveC("ZORVALINE/Copy.cfg")), fixture("canonical.cfg"));
    EXPECT_FALSE(std::filesystem::exists(root.driveC("ZORVALINE/Copy.cfg.saving")));
}

TEST_F(DatabaseFiles, ReadBackEqualsWhatWasWritten)
{
    CDatabaseReader reader = readFixture("canonical.cfg");
    ASSERT_EQ(reader.Printers().size(), 2u);
    const PrinterRecord &front = *reader.Printers()[0];
    EXPECT_EQ(front.PrinterName, "Front Desk");
    EXPECT_EQ(front.PrinterDescription, "By the door");
    EXPECT_EQ(front.PrinterDriver, "Laser H7");
    EXPECT_EQ(front.PrinterEmail, "frontdesk@print.example");
    EXPECT_EQ(front.DefaultRecipient, "Reception");
    EXPECT_EQ(front.RecipientLocation, "Ground floor");
    EXPECT_TRUE(front.LimitPacketSize);
    EXPECT_EQ(front.MaxPacketSizeInKb, 4);
    EXPECT_TRUE(front.HeaderPage);
    EXPECT_FALSE(front.TrailerPage);
    EXPECT_EQ(reader.Printers()[1]->PrinterPassword, "s3cret");
    ASSERT_EQ(reader.Groups().size(), 2u);
    EXPECT_EQ(reader.Groups()[0]->SubGroups, (std::vector<std::string>{"Floor 2"}));
    EXPECT_EQ(reader.Groups()[0]->Printers, (std::vector<std::string>{"Front Desk", "Back Office"}));
    EXPECT_EQ(reader.Groups()[0]->GroupDescription, "Sales team");
}

// The document's save over an existing file gives exactly what the original key-by-key
// sequence gives on the same file, whatever that file holds.
TEST_F(DatabaseFiles, AtomicSaveMatchesTheKeyByKeySequence)
{
    installFixture("messy.cfg", "ZORVALINE/KeyByKey.cfg");
    CDatabaseReader reader = readFixture("canonical.cfg");
    CChooserDoc doc;
    doc.SetDefaultItem("Sales", false);
    doc.Groups() = reader.TakeGroups();
    doc.Printers() = reader.TakePrinters();

    FileProfileSink keyByKey("C:\\ZORVALINE\\KeyByKey.cfg");
    WriteDatabase(keyByKey, {doc.GroupsTitle(), doc.PrintersTitle(), doc.DefaultItem(), doc.ItemType()},
                  doc.Groups(), doc.Printers());

    installFixture("messy.cfg");
    doc.SetPathName(kDatabasePath);
    ASSERT_TRUE(doc.OnSaveDocument("c:\\zorvaline\\SENDARO.CFG")) << "the same file in another spelling";
    const std::string saved = zortest::TempRoot::readFile(databaseFile());
    EXPECT_EQ(saved, zortest::TempRoot::readFile(root.driveC("ZORVALINE/KeyByKey.cfg")));
    EXPECT_NE(saved.find("; kept comment"), std::string::npos);
    EXPECT_NE(saved.find("[Retired]"), std::string::npos) << "stale sections stay, out of the index";
    EXPECT_EQ(doc.Title(), "");
}

TEST_F(DatabaseFiles, FailedSaveIsReported)
{
    CChooserDoc doc;
    AddPrinter(doc, "Lab");
    EXPECT_FALSE(doc.OnSaveDocument("C:\\NOWHERE\\Sendaro.Cfg")) << "a file written whole";
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    doc.SetPathName("C:\\NOWHERE\\Sendaro.Cfg");
    EXPECT_FALSE(doc.OnSaveDocument("C:\\NOWHERE\\Sendaro.Cfg")) << "a file updated";
    EXPECT_FALSE(std::filesystem::exists(root.driveC("NOWHERE")));
}

TEST_F(DatabaseFiles, WriteRecordAddsOneIndexLineAndSection)
{
    installFixture("canonical.cfg");
    CChooserDoc doc;
    doc.SetDatabasePath(kDatabasePath);
    PrinterRecord printer;
    printer.PrinterName = "Annex";
    printer.PrinterEmail = "annex@print.example";
    printer.MaxPacketSizeInKb = 64;
    doc.WriteRecord(printer);

    CDatabaseReader reader;
    reader.ReadIndex(kDatabasePath);
    reader.ReadRecords(kDatabasePath);
    ASSERT_EQ(reader.Printers().size(), 3u);
    EXPECT_EQ(reader.Printers()[2]->PrinterEmail, "annex@print.example");
    EXPECT_EQ(reader.Printers()[2]->MaxPacketSizeInKb, 64);
    EXPECT_EQ(JoinList({"A", "", "B"}), "A,,B");
}

} // namespace
