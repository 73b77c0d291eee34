// The document: start-up, loading and saving, its walks and collections, view updates.
#include "manager/database/CDatabaseReader.h"
#include "manager/database/ManagerStrings.h"
#include "tests/database/DatabaseTestSupport.h"
#include "tests/support/UiJournal.h"

using namespace zordb;
using namespace dbtest;

namespace {

struct RecordingView : DocumentObserver {
    void OnUpdate(int code) override { codes.push_back(code); }
    std::vector<int> codes;
};

std::vector<std::string> names(const std::vector<PrinterRecord *> &printers)
{
    std::vector<std::string> result;
    for (const PrinterRecord *printer : printers)
        result.push_back(printer->PrinterName);
    return result;
}

class DocumentStartUp : public DatabaseTest {
protected:
    DocumentStartUp() : journal(root.path() + "/ui.jsonl")
    {
        std::filesystem::copy_file(FAKE_PORT_MONITOR, root.driveC("WINDOWS/SYSTEM/ZORMON.DLL"));
    }

    zortest::UiJournal journal;
};

TEST_F(DocumentStartUp, FirstStartCreatesTheDatabaseAndRewritesIt)
{
    CChooserDoc doc;
    RecordingView view;
    doc.AddObserver(&view);
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(zortest::TempRoot::readFile(databaseFile()), fixture("new_database.cfg"));
    EXPECT_EQ(doc.GroupsTitle(), "Internet-connected Groups of Printers");
    EXPECT_EQ(doc.PrintersTitle(), "Internet-connected Printers");
    EXPECT_EQ(doc.DatabasePath(), kDatabasePath);
    EXPECT_EQ(doc.PathName(), kDatabasePath);
    EXPECT_EQ(view.codes, (std::vector<int>{kRebuildAll, kRebuildAll})) << "cleared, then loaded";
    EXPECT_TRUE(journal.events("messagebox").empty());
}

TEST_F(DocumentStartUp, DefaultItemSurvivesARestart)
{
    installFixture("canonical.cfg");
    {
        CChooserDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        EXPECT_EQ(doc.DefaultItem(), "Front Desk");
        EXPECT_EQ(doc.ItemType(), "TRUE");
        ASSERT_EQ(doc.Printers().size(), 2u);
        doc.SetDefaultItem("Sales", false);
        ASSERT_TRUE(doc.OnSaveDocument(doc.DatabasePath()));
    }
    const std::string afterFirstRun = zortest::TempRoot::readFile(databaseFile());
    CChooserDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.DefaultItem(), "Sales");
    EXPECT_EQ(doc.ItemType(), "FALSE");
    EXPECT_EQ(zortest::TempRoot::readFile(databaseFile()), afterFirstRun)
        << "the start-up save writes the default item back unchanged";
}

TEST_F(DocumentStartUp, CorruptedDatabaseIsReportedAndLeftAlone)
{
    installFixture("missing_section.cfg");
    CChooserDoc doc;
    EXPECT_FALSE(doc.OnNewDocument());
    auto boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], "Configuration file is corrupted");
    EXPECT_EQ(boxes[0]["caption"], "Sendaro");
    EXPECT_TRUE(doc.Groups().empty());
    EXPECT_EQ(zortest::TempRoot::readFile(databaseFile()), fixture("missing_section.cfg"));
}

TEST_F(DocumentStartUp, MissingVarnelPutsTheDatabaseAtTheDriveRoot)
{
    std::filesystem::remove(root.driveC("WINDOWS/SYSTEM/Varnel.ini"));
    CChooserDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.DatabasePath(), "\\Sendaro.Cfg");
    EXPECT_TRUE(std::filesystem::exists(root.driveC("Sendaro.Cfg")));
}

class DocumentWalks : public DatabaseTest {
protected:
    DocumentWalks() { doc.AddObserver(&view); }

    CChooserDoc doc;
    RecordingView view;
};

TEST_F(DocumentWalks, GroupsListingEachOtherEndTheWalk)
{
    AddGroup(doc, "A", {"B"}, {});
    AddGroup(doc, "B", {"A"}, {});
    doc.CollectSubGroups("A");
    EXPECT_EQ(doc.ClosureNames(), (std::vector<std::string>{"A", "B"}));
}

TEST_F(DocumentWalks, PrinterReachedTwiceIsCollectedOnce)
{
    PrinterRecord &p = AddPrinter(doc, "P");
    AddGroup(doc, "G", {"S"}, {"P"});
    AddGroup(doc, "S", {}, {"p"});
    doc.LinkContainingGroups();
    EXPECT_EQ(p.ContainingGroups, (std::vector<std::string>{"G", "S"}));

    doc.CollectGroupPrinters("G");
    EXPECT_EQ(doc.ClosureNames(), (std::vector<std::string>{"G", "S"}));
    EXPECT_EQ(doc.CollectedPrinterNames(), (std::vector<std::string>{"P"}));
    doc.CollectPrinters(false, "G");
    EXPECT_EQ(names(doc.CollectedPrinters()), (std::vector<std::string>{"P"}));
    EXPECT_EQ(view.codes, (std::vector<int>{kGroupPrintersReady})) << "the group form sends nothing";
}

TEST_F(DocumentWalks, CollectPrintersLooksOneLevelDownTheClosureAllTheWay)
{
    AddPrinter(doc, "Own");
    AddPrinter(doc, "Deep");
    AddPrinter(doc, "Near");
    AddGroup(doc, "Top", {"Middle", "Nowhere"}, {"Own"});
    AddGroup(doc, "Middle", {"Bottom"}, {"Near"});
    AddGroup(doc, "Bottom", {}, {"Deep"});
    doc.LinkContainingGroups();

    doc.CollectPrinters(false, "top");
    EXPECT_EQ(names(doc.CollectedPrinters()), (std::vector<std::string>{"Near", "Own"}))
        << "printers of direct sub-groups first, in document order, then the group's own";
    doc.CollectGroupPrinters("Top");
    EXPECT_EQ(doc.ClosureNames(), (std::vector<std::string>{"Top", "Middle", "Bottom"}));
    EXPECT_EQ(doc.CollectedPrinterNames(), (std::vector<std::string>{"Own", "Near", "Deep"}));
}

TEST_F(DocumentWalks, SelectionsTellTheViews)
{
    AddPrinter(doc, "Lab");
    GroupRecord &sales = AddGroup(doc, "Sales", {}, {});

    doc.CollectPrinters(true, "LAB");
    EXPECT_EQ(names(doc.CollectedPrinters()), (std::vector<std::string>{"Lab"}));
    doc.CollectPrinters(true, "Internet-connected Printers");
    EXPECT_TRUE(doc.CollectedPrinters().empty()) << "a root selects no printer";
    doc.SelectGroup("sales");
    EXPECT_EQ(doc.CurrentGroup(), &sales);
    doc.SelectGroup("Unknown");
    EXPECT_EQ(doc.CurrentGroup(), nullptr);
    EXPECT_EQ(view.codes, (std::vector<int>{kPrinterSelected, kPrinterSelected, kGroupSelected, kGroupSelected}));

    doc.RemoveObserver(&view);
    doc.SelectGroup("Sales");
    EXPECT_EQ(view.codes.size(), 4u);
}

TEST_F(DocumentWalks, DeleteContentsEmptiesEveryList)
{
    AddPrinter(doc, "Lab");
    AddGroup(doc, "Sales", {}, {"Lab"});
    doc.CollectGroupPrinters("Sales");
    doc.CollectPrinters(true, "Lab");
    doc.SelectGroup("Sales");
    doc.DeleteContents();
    EXPECT_TRUE(doc.Printers().empty());
    EXPECT_TRUE(doc.Groups().empty());
    EXPECT_TRUE(doc.CollectedPrinters().empty());
    EXPECT_TRUE(doc.ClosureNames().empty());
    EXPECT_TRUE(doc.CollectedPrinterNames().empty());
    EXPECT_EQ(doc.CurrentGroup(), nullptr);
}

// The walks take their records from the lookup the tree will provide.
TEST_F(DocumentWalks, LookupsGoThroughTheAttachedLookup)
{
    struct MarkerLookup : DestinationLookup {
        explicit MarkerLookup(CChooserDoc &doc) : doc(doc) {}
        GroupRecord *FindGroup(const std::string &name) override
        {
            return doc.FindGroup(name.substr(0, name.find('{')));
        }
        PrinterRecord *FindPrinter(const std::string &name) override
        {
            return doc.FindPrinter(name.substr(0, name.find('{')));
        }
        bool DestinationNameExists(const std::string &, bool) override { return false; }
        CChooserDoc &doc;
    } tree(doc);
    AddGroup(doc, "Sales", {}, {});
    doc.SetLookup(&tree);
    doc.SelectGroup("Sales{DEFAULT}");
    EXPECT_NE(doc.CurrentGroup(), nullptr);
    doc.SetLookup(nullptr);
    doc.SelectGroup("Sales{DEFAULT}");
    EXPECT_EQ(doc.CurrentGroup(), nullptr);
}

TEST_F(DocumentWalks, OpeningAMissingFileFails)
{
    EXPECT_FALSE(doc.OnOpenDocument("C:\\ZORVALINE\\Absent.cfg"));
    installFixture("canonical.cfg");
    view.codes.clear();
    ASSERT_TRUE(doc.OnOpenDocument(kDatabasePath));
    EXPECT_EQ(doc.Groups().size(), 2u);
    EXPECT_EQ(view.codes, (std::vector<int>{kRebuildAll}));
    EXPECT_EQ(doc.FindPrinter("back office")->ContainingGroups, (std::vector<std::string>{"Sales", "Floor 2"}));
}

} // namespace
