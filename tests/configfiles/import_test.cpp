// ImportFile: records merged in file order with their Windows printers, the refusals with
// their texts in order, the count limits, the group structure check, and files refused as
// a whole before anything is merged.
#include "tests/configfiles/ConfigFilesFixture.h"

#include "manager/database/ManagerStrings.h"

#include <fstream>

using namespace configtest;

namespace {

const std::string kCorrupted = "The file to be imported is corrupted.";

struct Entry {
    std::string name;
    std::string message;
    bool isPrinter;
    bool operator==(const Entry &) const = default;
};

std::vector<Entry> entries(const std::vector<ImportErrorItem> &errors)
{
    std::vector<Entry> result;
    for (const ImportErrorItem &error : errors)
        result.push_back({error.itemName, error.message, error.isPrinter});
    return result;
}

void PrintTo(const Entry &entry, std::ostream *out)
{
    *out << "{" << entry.name << ", \"" << entry.message << "\", " << entry.isPrinter << "}";
}

// One printer section with all its keys; `override` replaces the line of its key.
std::string printerSection(const std::string &name, std::map<std::string, std::string> values = {})
{
    std::map<std::string, std::string> all = {
        {"PrinterName", name}, {"PrinterDescription", ""}, {"PrinterDriver", "Laser H7"},
        {"PrinterEmail", "p@print.example"}, {"PrinterPassword", ""}, {"DefaultRecipient", ""},
        {"RecipientLocation", ""}, {"LimitPacketSize", "FALSE"}, {"MaxPacketSizeInKb", "10"},
        {"HeaderPage", "FALSE"}, {"TrailerPage", "FALSE"}};
    for (auto &[key, value] : values)
        all[key] = value;
    std::string text = "[" + name + "]\r\n";
    for (const char *key : {"PrinterName", "PrinterDescription", "PrinterDriver", "PrinterEmail", "PrinterPassword",
                            "DefaultRecipient", "RecipientLocation", "LimitPacketSize", "MaxPacketSizeInKb",
                            "HeaderPage", "TrailerPage"})
        text += std::string(key) + "=" + all[key] + "\r\n";
    return text;
}

std::string groupSection(const std::string &name, const std::string &subGroups, const std::string &printers,
                         const std::string &driver = "")
{
    return CrLf({"[" + name + "]", "MainGroupName=" + name, "SubGroups=" + subGroups, "Printers=" + printers,
                 "GroupDriver=" + driver, "GroupDescription="});
}

std::string configuration(const std::vector<std::string> &names, const std::string &sections)
{
    std::string index = "[ChoosersDatabaseSectionNames]\r\n";
    for (const std::string &name : names)
        index += name + "=" + name + "\r\n";
    return index + "\r\n" + sections;
}

class Import : public ConfigFilesTest {
protected:
    ImportOutcome import(const std::string &path) { return doc.ImportFile(path, host); }

    CChooserDoc doc;
    RecordingHost host;
};

TEST_F(Import, MergesRecordsInFileOrderWithTheirWindowsPrinters)
{
    addPrinter(doc, "Already Here");
    const std::string complete = file("complete.ZOR", Fixture("complete.ZOR"));
    EXPECT_EQ(import(complete), ImportOutcome::AllImported);
    EXPECT_EQ(names(doc), (std::vector<std::string>{"Head Office", "Floor 1", "Floor 2", "Empty Group", "Already Here",
                                                     "North Laser", "South Colour", "Lone Printer"}));
    // Printers first; a group without members gets no Windows printer.
    EXPECT_EQ(host.created, (std::vector<std::string>{"North Laser", "South Colour", "Lone Printer", "Head Office",
                                                       "Floor 1", "Floor 2"}));
    EXPECT_EQ(host.errorListsShown, 0);
    const PrinterRecord *south = doc.FindPrinter("South Colour");
    ASSERT_TRUE(south);
    EXPECT_EQ(south->PrinterDescription, "Colour, a=b in the text");
    EXPECT_EQ(south->PrinterPassword, "Sesame");
    EXPECT_TRUE(south->LimitPacketSize);
    EXPECT_EQ(south->MaxPacketSizeInKb, 4);
    EXPECT_EQ(south->ContainingGroups, std::vector<std::string>{"Floor 1"});
}

TEST_F(Import, TheSameFileTwiceRefusesEveryRecordTheSecondTime)
{
    const std::string complete = file("complete.ZOR", Fixture("complete.ZOR"));
    ASSERT_EQ(import(complete), ImportOutcome::AllImported);
    host.created.clear();
    EXPECT_EQ(import(complete), ImportOutcome::SomeRefused);
    EXPECT_TRUE(host.created.empty());
    EXPECT_EQ(doc.Printers().size(), 3u);
    EXPECT_EQ(doc.Groups().size(), 4u);
    const std::string printerTaken = " The printer u are trying to import already exists";
    const std::string groupTaken = "The group u are trying to import already exists";
    EXPECT_EQ(host.errorListsShown, 1);
    EXPECT_EQ(entries(host.shownErrors),
              (std::vector<Entry>{{"North Laser", printerTaken, true}, {"South Colour", printerTaken, true},
                                  {"Lone Printer", printerTaken, true}, {"Head Office", groupTaken, false},
                                  {"Floor 1", groupTaken, false}, {"Floor 2", groupTaken, false},
                                  {"Empty Group", groupTaken, false}}));
}

TEST_F(Import, DriversTheSpoolerDoesNotKnowAreNamed)
{
    host.missingDrivers = {"Inkjet J8"};
    host.failingNames = {"Lone Printer"};
    EXPECT_EQ(import(file("complete.ZOR", Fixture("complete.ZOR"))), ImportOutcome::SomeRefused);
    EXPECT_EQ(names(doc), (std::vector<std::string>{"Head Office", "Floor 2", "Empty Group", "North Laser"}));
    EXPECT_EQ(entries(host.shownErrors),
              (std::vector<Entry>{{"South Colour", "Inkjet J8 The associated driver is not installed.", true},
                                  // any other spooler failure is told, not dropped unseen
                                  {"Lone Printer", " The Windows printer could not be created (error 5).", true},
                                  {"Floor 1", "Inkjet J8 is not installed", false}}));
}

TEST_F(Import, MoreThan150PrintersImportsTheGroupsOnly)
{
    std::vector<std::string> index;
    std::string sections;
    for (const std::string group : {"G1", "G2", "G3"}) {
        index.push_back(group);
        sections += groupSection(group, "", "") + "\r\n";
    }
    for (int i = 0; i < 151; ++i) {
        index.push_back("P" + std::to_string(i));
        sections += printerSection("P" + std::to_string(i)) + "\r\n";
    }
    EXPECT_EQ(import(file("big.ZOR", configuration(index, sections))), ImportOutcome::SomeRefused);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Maxiumum number of printers should not exceed 150"});
    EXPECT_EQ(names(doc), (std::vector<std::string>{"G1", "G2", "G3"}));
    EXPECT_TRUE(host.created.empty());
    EXPECT_EQ(host.errorListsShown, 0);
}

TEST_F(Import, AGroupExportGoesWholeIntoAFreshDatabase)
{
    EXPECT_EQ(import(file("group.ZOR", Fixture("one_group.ZOR"))), ImportOutcome::AllImported);
    EXPECT_EQ(names(doc), (std::vector<std::string>{"Head Office", "Floor 1", "Floor 2", "South Colour", "North Laser"}));
}

TEST_F(Import, AGroupWhoseSubGroupsCollideWithTheDatabaseIsRefused)
{
    // The database has its own Floor 2; the file's groups above it would adopt it.
    addGroup(doc, "Floor 2", {}, {}, "");
    EXPECT_EQ(import(file("group.ZOR", Fixture("one_group.ZOR"))), ImportOutcome::SomeRefused);
    EXPECT_EQ(entries(host.shownErrors),
              (std::vector<Entry>{{"Head Office", ":already exists", false}, {"Floor 1", ":already exists", false},
                                  {"Floor 2", "The group u are trying to import already exists", false}}));
    EXPECT_EQ(names(doc), (std::vector<std::string>{"Floor 2", "South Colour", "North Laser"}));
}

TEST_F(Import, GroupsWithSevenMembersOfAKindAreAccepted)
{
    std::string sections, members;
    std::vector<std::string> index{"Seven"};
    for (int i = 0; i < 7; ++i) {
        members += (i ? "," : "") + std::string("P") + std::to_string(i);
        index.push_back("P" + std::to_string(i));
        sections += printerSection("P" + std::to_string(i)) + "\r\n";
    }
    sections = groupSection("Seven", "", members, "Laser H7") + "\r\n" + sections;
    EXPECT_EQ(import(file("seven.ZOR", configuration(index, sections))), ImportOutcome::AllImported);
    EXPECT_EQ(doc.Groups().size(), 1u);
}

struct BadFile {
    const char *what;
    std::string content;
    std::string hint; // a piece of the message that tells what is wrong
};

std::string cutAt(const std::string &text, const std::string &marker, std::size_t extra = 0)
{
    return text.substr(0, text.find(marker) + extra);
}

TEST_F(Import, DamagedFilesAreRefusedWholeAndChangeNothing)
{
    const std::string complete = Fixture("complete.ZOR");
    const std::string onePrinter = configuration({"P"}, printerSection("P"));
    const std::vector<BadFile> files = {
        {"empty", "", "has no index"},
        {"binary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10) + "[ChoosersDatabaseSectionNames]\r\n", "binary data"},
        {"cut in a section", cutAt(complete, "PrinterEmail=lone@"), "lacks the key PrinterEmail"},
        {"cut in the last value", complete.substr(0, complete.size() - 4), "TrailerPage is not valid: \"FAL\""},
        {"index naming a missing section", configuration({"P", "Ghost"}, printerSection("P")),
         "names the section [Ghost], which is missing"},
        {"printer name of 32 characters", configuration({std::string(32, 'N')}, printerSection(std::string(32, 'N'))),
         "Printer Name must be less than 32 characters."},
        {"forbidden character", configuration({"Bad.Name"}, printerSection("Bad.Name")), "printer \"Bad.Name\""},
        {"group name with &", configuration({"R&D"}, groupSection("R&D", "", "")), "group \"R&D\""},
        {"e-mail of 81 characters",
         configuration({"P"}, printerSection("P", {{"PrinterEmail", std::string(72, 'a') + "@print.ex"}})),
         "Printer's e-mail length must be less than  80 characters."},
        {"description of 256 characters",
         configuration({"P"}, printerSection("P", {{"PrinterDescription", std::string(256, 'd')}})),
         "PrinterDescription holds 256 characters; at most 255"},
        {"a group cycle", configuration({"A", "B"}, groupSection("A", "B", "") + groupSection("B", "A", "")),
         "group \"A\" reaches itself"},
        {"a group under itself", configuration({"A"}, groupSection("A", "a", "")), "group \"A\" reaches itself"},
        {"eight printers in a group", configuration({"G"}, groupSection("G", "", "A,B,C,D,E,F,H,I")),
         "Number of printers inside the group should not exceed 7"},
        {"an empty name in a list", configuration({"G"}, groupSection("G", "", "A,,B")), "lists an empty name in Printers"},
        {"a section holding another's record", configuration({"P"}, printerSection("P", {{"PrinterName", "Q"}})),
         "holds the record of \"Q\""},
        {"a word for a boolean", configuration({"P"}, printerSection("P", {{"HeaderPage", "true"}})),
         "HeaderPage is not valid: \"true\""},
        {"letters for a number", configuration({"P"}, printerSection("P", {{"MaxPacketSizeInKb", "ten"}})),
         "MaxPacketSizeInKb is not valid"},
    };
    addPrinter(doc, "Kept");
    for (const BadFile &bad : files) {
        SCOPED_TRACE(bad.what);
        host.messages.clear();
        const std::string path = file("bad.ZOR", bad.content);
        EXPECT_EQ(import(path), ImportOutcome::Corrupted);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].rfind(kCorrupted + "\n\n" + path, 0), 0u) << host.messages[0];
        EXPECT_NE(host.messages[0].find(bad.hint), std::string::npos) << host.messages[0];
        EXPECT_EQ(names(doc), std::vector<std::string>{"Kept"});
        EXPECT_TRUE(host.created.empty());
        EXPECT_EQ(host.errorListsShown, 0);
    }
}

TEST_F(Import, A50MegabyteFileIsNotRead)
{
    const std::string path = file("huge.ZOR", Fixture("complete.ZOR"));
    {
        std::ofstream out(path, std::ios::app);
        const std::string line = "Padding=" + std::string(1000, 'x') + "\r\n";
        for (int i = 0; i < 50 * 1024; ++i)
            out << line;
    }
    EXPECT_EQ(import(path), ImportOutcome::Corrupted);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("a configuration file holds at most 4194304 bytes"), std::string::npos);
    EXPECT_TRUE(doc.Printers().empty());
}

TEST(ImportErrorItem, NamesAndMessagesAreCutToTheirFields)
{
    const ImportErrorItem item(std::string(300, 'n'), std::string(300, 'm'), true);
    EXPECT_EQ(item.itemName.size(), 254u);
    EXPECT_EQ(item.message.size(), 256u);
}

} // namespace
