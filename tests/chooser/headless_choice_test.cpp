// The chooser without a dialog, run as the monitor runs it: which destination it takes, which
// addresses and settings it hands back, and how it declines a job it cannot place.
#include "tests/chooser/ChooserFixture.h"

#include <filesystem>
#include <string>
#include <vector>

namespace choosertest {
namespace {

class HeadlessChoice : public ChooserTest {};

// Database printer order differs from the closure order on purpose, the same printer is
// reached twice, a member names no printer, and a hand-edited sub-group list closes a cycle.
TEST_F(HeadlessChoice, GroupOfGroupsExpandsToEachPrinterOnceInClosureOrderWithItsSettings)
{
    addPrinter({"P1", "p1@print.test", true, 4, true, true, "", "Ann", "Room 1"});
    addPrinter({"P2", "p2@print.test", false, 50, false, true, "Sesame", "Bob", ""});
    addPrinter({"P3", "p3@print.test", false, 0, true, false, "", "", "Hall"});
    addPrinter({"P4", "p4@print.test", true, 16, false, false, "Other", "", ""});
    addGroup("Top", {"Mid", "Side"}, {"P4"});
    addGroup("Mid", {"Leaf"}, {"P2"});
    addGroup("Leaf", {"Top"}, {"p1", "P4"});
    addGroup("Side", {}, {"P3", "Gone", "P2"});
    saveDatabase();
    setValue("HeaderFooter", "Subject", "Weekly figures");
    setValue("p1@print.test", "Subject", "left over from an earlier job");

    ChooserRun result = run("top");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(app(), "TRUE");
    EXPECT_EQ(addresses(), "p4@print.test,p2@print.test,p1@print.test,p3@print.test");

    struct Expected {
        const char *address, *split, *header, *trailer, *password, *recipient, *location;
    };
    for (const Expected &e : {Expected{"p1@print.test", "4", "TRUE", "TRUE", "", "Ann", "Room 1"},
                              Expected{"p2@print.test", "0", "FALSE", "TRUE", "Sesame", "Bob", ""},
                              Expected{"p3@print.test", "0", "TRUE", "FALSE", "", "", "Hall"},
                              Expected{"p4@print.test", "16", "FALSE", "FALSE", "Other", "", ""}}) {
        SCOPED_TRACE(e.address);
        EXPECT_EQ(value(e.address, "Split"), e.split);
        EXPECT_EQ(value(e.address, "Header"), e.header);
        EXPECT_EQ(value(e.address, "Trailer"), e.trailer);
        EXPECT_EQ(value(e.address, "Password"), e.password);
        EXPECT_EQ(value(e.address, "Recipient"), e.recipient);
        EXPECT_EQ(value(e.address, "RcptLocation"), e.location);
        // The default subject applies, so no address keeps a subject of its own.
        EXPECT_EQ(value(e.address, "Subject"), "");
    }
    EXPECT_EQ(value("IntranetSetup", "SmtpServer"), "127.0.0.1") << "other settings are kept";
    EXPECT_TRUE(journal.events("messagebox").empty());
}

TEST_F(HeadlessChoice, PrinterNamedLikeTheJobPrinterTakesTheDocumentNameAsSubjectWithoutADefault)
{
    addPrinter({"Front Desk", "front@print.test", true, 8, true, false, "", "", ""});
    addPrinter({"Back Office", "back@print.test"});
    addGroup("Everyone", {}, {"Front Desk", "Back Office"});
    saveDatabase("Everyone", "FALSE");

    ChooserRun result = run("FRONT DESK");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(app(), "TRUE");
    EXPECT_EQ(addresses(), "front@print.test") << "the named printer, not the default group";
    EXPECT_EQ(value("front@print.test", "Subject"), "report.ps");
    EXPECT_EQ(value("front@print.test", "Split"), "8");
    EXPECT_EQ(value("back@print.test", "Split"), "<absent>") << "an address not chosen is not touched";
}

TEST_F(HeadlessChoice, UnknownJobPrinterFallsBackToTheDefaultItemOfEitherKind)
{
    addPrinter({"Front Desk", "front@print.test"});
    addPrinter({"Back Office", "back@print.test"});
    addGroup("Everyone", {"Upstairs"}, {"Front Desk"});
    addGroup("Upstairs", {}, {"Back Office"});

    saveDatabase("everyone", "FALSE");
    ChooserRun group = run("Somebody's Laser");
    ASSERT_EQ(group.exitCode, 0) << group.output;
    EXPECT_EQ(app(), "TRUE");
    EXPECT_EQ(addresses(), "front@print.test,back@print.test");
    EXPECT_NE(group.output.find("default item"), std::string::npos) << group.output;

    saveDatabase("Back Office", "TRUE");
    ChooserRun printer = run("");
    ASSERT_EQ(printer.exitCode, 0) << printer.output;
    EXPECT_EQ(app(), "TRUE");
    EXPECT_EQ(addresses(), "back@print.test");
}

// A stale "TRUE" from an earlier job must not survive a declined one.
TEST_F(HeadlessChoice, NoDestinationAtAllDeclinesAndSaysWhy)
{
    addPrinter({"Front Desk", "front@print.test"});
    saveDatabase();
    setValue("Selvra", "App", "TRUE");

    ChooserRun result = run("Nowhere");
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_EQ(app(), "FALSE");
    EXPECT_NE(result.output.find("Selvra: No destination is named \"Nowhere\" and the database has no default item"),
              std::string::npos)
        << result.output;
    auto boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["caption"], "Selvra");
    EXPECT_EQ(boxes[0]["icon"], "stop");
    EXPECT_NE(boxes[0]["text"].find("Nowhere"), std::string::npos);

    // A default item that names nothing is no way out either.
    saveDatabase("Vanished", "TRUE");
    ChooserRun stale = run("Nowhere");
    EXPECT_EQ(stale.exitCode, 1) << stale.output;
    EXPECT_EQ(app(), "FALSE");
    EXPECT_NE(stale.output.find("\"Vanished\""), std::string::npos) << stale.output;
}

TEST_F(HeadlessChoice, UnreadableOrCorruptDatabaseDeclinesWithAClearMessage)
{
    struct Case {
        const char *what;
        std::string content;   // the database file's bytes; empty: no file
        const char *expected;  // in the message
    };
    const std::string binary("\x7f" "ELF\0\0[\xff\xfe]\0=\r\n\0[ChoosersDatabaseSectionNames\n", 40);
    for (const Case &c :
         {Case{"missing", "", "does not exist"},
          Case{"empty", "\r\n", "Configuration file is corrupted"},
          Case{"index names a missing section",
               "[ChoosersDatabaseSectionNames]\r\nTitleName=TitleName\r\nGone=Gone\r\n[TitleName]\r\nDefaultItem=Gone\r\n",
               "Configuration file is corrupted"},
          Case{"binary garbage", binary, "Configuration file is corrupted"}}) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(root.driveC("ZORVALINE/Sendaro.Cfg"));
        if (!c.content.empty())
            root.writeFile(root.driveC("ZORVALINE/Sendaro.Cfg"), c.content);
        setValue("Selvra", "App", "TRUE");
        ChooserRun result = run("Gone");
        EXPECT_EQ(result.exitCode, 1) << result.output;
        EXPECT_EQ(app(), "FALSE");
        EXPECT_NE(result.output.find(c.expected), std::string::npos) << result.output;
        EXPECT_NE(result.output.find("Sendaro.Cfg"), std::string::npos) << "the message names the file";
    }

    setValue("DefaultSetup", "Database", "");
    ChooserRun unset = run("Gone");
    EXPECT_EQ(unset.exitCode, 1) << unset.output;
    EXPECT_NE(unset.output.find("[DefaultSetup] Database"), std::string::npos) << unset.output;
    EXPECT_EQ(journal.events("messagebox").size(), 5u);
}

// Two spellings of one address share one section, so the address goes once, with the first
// printer's settings; an address that would break the comma-joined list is left out, loudly.
TEST_F(HeadlessChoice, EachAddressOnceAndUnusableAddressesLeftOutWithAWarning)
{
    addPrinter({"First", "Desk@Print.Test", true, 10});
    addPrinter({"Second", "desk@print.test", true, 20});
    addPrinter({"Broken", "a@print.test,b@print.test"});
    addPrinter({"Blank", ""});
    addGroup("All", {}, {"First", "Second", "Broken", "Blank"});
    saveDatabase();

    ChooserRun result = run("All");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(addresses(), "Desk@Print.Test");
    EXPECT_EQ(value("desk@print.test", "Split"), "10");
    auto boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 2u) << result.output;
    EXPECT_NE(boxes[0]["text"].find("\"Broken\""), std::string::npos);
    EXPECT_NE(boxes[1]["text"].find("\"Blank\""), std::string::npos);

    // Nothing usable at all: declined.
    ChooserRun none = run("Blank");
    EXPECT_EQ(none.exitCode, 1) << none.output;
    EXPECT_EQ(app(), "FALSE");
}

// The monitor reads the address list through 10000 bytes; a longer list would be cut inside
// an address and the job mailed to a mangled one, so the chooser refuses it whole.
TEST_F(HeadlessChoice, AddressListLongerThanTheMonitorReadsIsDeclined)
{
    // 124 addresses of the longest allowed length make 10043 characters with their commas,
    // the first 123 of them 9962.
    addGroup("Fits", {}, {});
    addGroup("Many", {"Fits"}, {});
    for (int i = 0; i < 124; ++i) {
        std::string name = "P";
        name += std::to_string(1000 + i);
        addPrinter({name, name + std::string(80 - 5 - 7, 'x') + "@a.test"});
        (i < 123 ? groups[0] : groups[1])->Printers.push_back(name);
    }
    saveDatabase();

    ChooserRun fits = run("Fits");
    ASSERT_EQ(fits.exitCode, 0) << fits.output;
    EXPECT_EQ(addresses().size(), 123u * 81 - 1);

    ChooserRun tooLong = run("Many");
    EXPECT_EQ(tooLong.exitCode, 1) << tooLong.output;
    EXPECT_EQ(app(), "FALSE");
    EXPECT_NE(tooLong.output.find("too many addresses"), std::string::npos) << tooLong.output;
}

// Only addresses that pass the e-mail check, read whole, reach the monitor: one cut by the
// reader's buffer or at a NUL byte (where every value ends) would send the job to a mangled
// address.
TEST_F(HeadlessChoice, AddressesThatFailTheEmailCheckOrWereNotReadWholeAreLeftOut)
{
    const std::string longest = std::string(80 - 7, 'l') + "@a.test";
    struct Case {
        const char *printer;
        std::string email; // as the database file holds it
    };
    const std::vector<Case> refused = {
        {"Beyond the reader's buffer", std::string(5000, 'x') + "@long.test"},
        {"NUL inside", std::string("n\0ame@nul.test", 14)},
        {"DEL", "d\x7f" "el@print.test"},
        {"Eight-bit", "m\xfcller@print.test"},
        {"Two at signs", "a@b@print.test"},
        {"No at sign", "print.test"},
        {"One too long", "l" + longest},
    };
    for (const Case &c : refused)
        addPrinter({c.printer, "marker-" + std::to_string(&c - refused.data()) + "@print.test"});
    addPrinter({"Fine", "fine@print.test"});
    addPrinter({"Longest", longest});
    addGroup("All", {}, {});
    for (const auto &printer : printers)
        groups[0]->Printers.push_back(printer->PrinterName);
    saveDatabase();
    // Values the manager's writer would never write, put into the file as a hand or a
    // broken program might.
    std::string database = zortest::TempRoot::readFile(root.driveC("ZORVALINE/Sendaro.Cfg"));
    for (size_t i = 0; i < refused.size(); ++i) {
        const std::string marker = "marker-" + std::to_string(i) + "@print.test";
        database.replace(database.find(marker), marker.size(), refused[i].email);
    }
    root.writeFile(root.driveC("ZORVALINE/Sendaro.Cfg"), database);

    ChooserRun result = run("All");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(addresses(), "fine@print.test," + longest);
    auto boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), refused.size()) << result.output;
    for (size_t i = 0; i < refused.size(); ++i) {
        SCOPED_TRACE(refused[i].printer);
        EXPECT_EQ(boxes[i]["icon"], "exclamation");
        EXPECT_NE(boxes[i]["text"].find(std::string("\"") + refused[i].printer + "\" is left out"), std::string::npos)
            << boxes[i]["text"];
        EXPECT_EQ(boxes[i]["text"].find('\0'), std::string::npos) << "the message shows no NUL byte";
    }
}

} // namespace
} // namespace choosertest
