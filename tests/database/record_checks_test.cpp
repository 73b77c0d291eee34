// The record checks: the order of their steps, their messages, and the group rules.
#include "manager/database/GroupRules.h"
#include "manager/database/ManagerStrings.h"
#include "manager/database/RecordChecks.h"
#include "tests/database/DatabaseTestSupport.h"

using namespace zordb;
using namespace dbtest;

namespace {

const std::string kNameCharacters =
    "Name can have any of the following characters\n Alphabet ( A - Z or a - z  ),\n Number ( 0 - 9 ),\n"
    " Hyphen ( - ),\n Underscore ( _ ),\n Apostrophe ( ' ) and \n Space. Space cannot be the first or the "
    "last character.";

class PrinterNameCheck : public DatabaseTest {
protected:
    PrinterNameCheck()
    {
        AddPrinter(doc, "Lab");
        AddGroup(doc, "Sales", {}, {});
        context.groupsTitle = "All Groups";
        context.printersTitle = "All Printers";
        context.lookup = &doc;
    }

    CheckResult check(const std::string &typed)
    {
        return ValidatePrinterName(typed, context, stored);
    }

    CChooserDoc doc;
    PrinterNameContext context;
    std::string stored;
};

TEST_F(PrinterNameCheck, CharacterRuleAcceptsItsSetAndRefusesADot)
{
    EXPECT_TRUE(check("Floor 2 (east) & #3 O'Neil_x-y").accepted);
    EXPECT_EQ(stored, "Floor 2 (east) & #3 O'Neil_x-y");

    CheckResult dot = check("Floor.2");
    EXPECT_FALSE(dot.accepted);
    EXPECT_EQ(dot.messageId, IDS_NAME_CHARACTERS);
    EXPECT_EQ(dot.text, kNameCharacters);
    EXPECT_EQ(stored, "Floor.2") << "the typed text is stored even when refused";
}

TEST_F(PrinterNameCheck, NamesMustStayBelowThirtyTwoCharacters)
{
    EXPECT_TRUE(check(std::string(31, 'p')).accepted);
    CheckResult tooLong = check(std::string(32, 'p'));
    EXPECT_FALSE(tooLong.accepted);
    EXPECT_EQ(tooLong.text, " Printer Name must be less than 32 characters.");

    // A control gives at most 4999 characters.
    check(std::string(6000, 'p'));
    EXPECT_EQ(stored.size(), 4999u);
}

TEST_F(PrinterNameCheck, StepsRunInTheirOrder)
{
    // Characters come before the length, the length before the empty test and the edge
    // spaces, the edge spaces before the uniqueness test, uniqueness before the captions.
    EXPECT_EQ(check(std::string(40, '.')).messageId, IDS_NAME_CHARACTERS);
    EXPECT_EQ(check(std::string(40, 'p') + " ").messageId, 0u);
    EXPECT_EQ(check("").messageId, IDS_PRINTER_NAME_EMPTY);
    EXPECT_EQ(check(" Lab").messageId, IDS_NAME_EDGE_SPACE);
    EXPECT_EQ(check("Lab ").messageId, IDS_NAME_EDGE_SPACE);
    EXPECT_EQ(check("LAB").messageId, IDS_NAME_EXISTS);
    EXPECT_EQ(check("sales").messageId, IDS_NAME_EXISTS) << "groups count as well";
    EXPECT_EQ(ManagerString(IDS_NAME_EXISTS), "This printer/group name already exists");

    context.printersTitle = "Lab";
    EXPECT_EQ(check("Lab").messageId, IDS_NAME_EXISTS);
}

TEST_F(PrinterNameCheck, RootCaptionsGroupsIgnoringCasePrintersExactly)
{
    CheckResult groups = check("ALL GROUPS");
    EXPECT_EQ(groups.messageId, IDS_NAME_IS_HEADER);
    EXPECT_EQ(groups.text, "Entered name is the same as one of the headers' names.");
    EXPECT_EQ(check("All Printers").messageId, IDS_NAME_IS_HEADER);
    EXPECT_TRUE(check("all printers").accepted);
}

TEST_F(PrinterNameCheck, PropertiesModeLetsThePrintersOwnNamePass)
{
    context.propertiesMode = true;
    context.selectedName = "Lab";
    EXPECT_TRUE(check("lab").accepted);
    EXPECT_EQ(check("Sales").messageId, IDS_NAME_EXISTS);
    // The steps before it still apply.
    context.selectedName = "La.b";
    EXPECT_EQ(check("La.b").messageId, IDS_NAME_CHARACTERS);
    context.selectedName = " Lab";
    EXPECT_TRUE(check(" Lab").accepted) << "the edge-space step comes after the shortcut";
}

TEST(EmailCheck, LimitsAndMessages)
{
    std::string email;
    const std::string domain = "@x.example";
    EXPECT_TRUE(ValidatePrinterEmail(std::string(80 - domain.size(), 'a') + domain, email).accepted);
    CheckResult tooLong = ValidatePrinterEmail(std::string(81 - domain.size(), 'a') + domain, email);
    EXPECT_EQ(tooLong.messageId, IDS_EMAIL_LENGTH);
    EXPECT_EQ(tooLong.text, "Printer's e-mail length must be less than  80 characters.");

    CheckResult plus = ValidatePrinterEmail(std::string(90, 'a') + "+x@y.example", email);
    EXPECT_EQ(plus.messageId, IDS_EMAIL_CHARACTERS) << "characters are tested before the length";
    EXPECT_EQ(plus.text.substr(0, 45), " E-Mail address can have any of the following");
    EXPECT_EQ(ValidatePrinterEmail("a b@c.example", email).messageId, IDS_EMAIL_CHARACTERS);
    CheckResult empty = ValidatePrinterEmail("", email);
    EXPECT_EQ(empty.messageId, IDS_EMAIL_EMPTY);
    EXPECT_EQ(empty.text, "Printer e-mail cannot be NULL");
    EXPECT_TRUE(ValidatePrinterEmail("Front-Desk_2@print.example.com", email).accepted);
    EXPECT_EQ(email, "Front-Desk_2@print.example.com");
}

TEST(PasswordPairCheck, LengthOfTheHeldPasswordThenTheConfirmation)
{
    std::string password(257, 'k');
    CheckResult tooLong = ValidatePasswordPair("short", "short", password);
    EXPECT_EQ(tooLong.messageId, IDS_PASSWORD_LENGTH);
    EXPECT_EQ(tooLong.text, "Printer password must be less than 256 characters.");
    EXPECT_EQ(password.size(), 257u) << "a refused check leaves the value alone";

    password.assign(256, 'k');
    EXPECT_TRUE(ValidatePasswordPair(password, password, password).accepted);

    password = "Secret";
    CheckResult differs = ValidatePasswordPair("secret", "Secret", password);
    EXPECT_EQ(differs.messageId, IDS_PASSWORD_RETYPE);
    EXPECT_EQ(differs.text, "Retype the password again");
    EXPECT_EQ(password, "secret") << "the confirmation becomes the password before the comparison";
}

TEST_F(PrinterNameCheck, GroupNameRuleIsNarrowerAndIgnoresCaseForBothCaptions)
{
    EXPECT_EQ(CheckGroupName(" a.b", "All Groups", "All Printers", doc).messageId, IDS_NAME_EDGE_SPACE);
    EXPECT_EQ(CheckGroupName("Floor (2)", "All Groups", "All Printers", doc).messageId, IDS_NAME_CHARACTERS);
    EXPECT_TRUE(CheckPrinterNameCharacters("Floor (2)").accepted);
    EXPECT_EQ(CheckGroupName("all printers", "All Groups", "All Printers", doc).messageId, IDS_NAME_IS_HEADER);
    EXPECT_EQ(CheckGroupName("lab", "All Groups", "All Printers", doc).messageId, IDS_NAME_EXISTS);
    EXPECT_TRUE(CheckGroupName("Second Floor's-East_1", "All Groups", "All Printers", doc).accepted);

    EXPECT_TRUE(CheckGroupNameLength(std::string(31, 'g')).accepted);
    CheckResult warning = CheckGroupNameLength(std::string(32, 'g'));
    EXPECT_EQ(warning.messageId, IDS_GROUP_NAME_LENGTH);
    EXPECT_EQ(warning.text, "GroupName should not exceed 32 characters in length");
}

class DriverCompatibility : public DatabaseTest {
protected:
    void driverTable(const std::string &content)
    {
        root.writeFile(root.driveC("ZORVALINE/VZorDrv.ini"), content);
    }
};

TEST_F(DriverCompatibility, ListedDriversOnlyAndNothingTrimmed)
{
    driverTable("[Alpha]\r\nDownwardCompatibleDrivers=Gamma,BETA\r\n"
                "[Delta]\r\nDownwardCompatibleDrivers=Gamma, Beta\r\n"
                "[Zeta]\r\nOther=Beta\r\n");
    EXPECT_TRUE(IsDriverCompatible("", "Anything")) << "an empty first driver is compatible";
    EXPECT_TRUE(IsDriverCompatible("Omega", "OMEGA"));
    EXPECT_TRUE(IsDriverCompatible("Alpha", "beta"));
    EXPECT_TRUE(IsDriverCompatible("alpha", "Gamma")) << "sections are found without regard to case";
    EXPECT_FALSE(IsDriverCompatible("Beta", "Alpha")) << "compatibility is one way";
    EXPECT_TRUE(IsDriverCompatible("Delta", "Gamma"));
    EXPECT_FALSE(IsDriverCompatible("Delta", "Beta")) << "the item keeps its leading blank";
    EXPECT_FALSE(IsDriverCompatible("Zeta", "Beta")) << "no key";
    EXPECT_FALSE(IsDriverCompatible("Unknown", "Beta")) << "no section";
}

TEST(ModelCompatibility, FirstModelNumberFoundInTheGroupDecides)
{
    const std::string group = "Laser H7 J8 PS";
    EXPECT_TRUE(IsModelCompatible(group, "Office H7"));
    EXPECT_FALSE(IsModelCompatible(group, "Office J8"));
    EXPECT_TRUE(IsModelCompatible("Laser H3", "H3"));
    EXPECT_FALSE(IsModelCompatible("Laser H3", "h3")) << "model numbers are case-sensitive";
    EXPECT_TRUE(IsModelCompatible("Generic PostScript", "Anything J7"));
    EXPECT_TRUE(IsModelCompatible("Laser h7", "Anything")) << "h7 is no model number";
    // K8 is looked for before K7.
    EXPECT_TRUE(IsModelCompatible("K7 K8", "K8"));
    EXPECT_FALSE(IsModelCompatible("K7 K8", "K7"));
}

TEST_F(DatabaseTest, ClosureIsPreOrderEachNameOnceMissingNamesSkipped)
{
    CChooserDoc doc;
    AddGroup(doc, "A", {"B", "Ghost", "D"}, {});
    AddGroup(doc, "B", {"C", "A"}, {});
    AddGroup(doc, "C", {"D"}, {});
    AddGroup(doc, "D", {}, {});
    EXPECT_EQ(SubGroupClosure("A", doc.Groups()), (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_EQ(SubGroupClosure("C", doc.Groups()), (std::vector<std::string>{"C", "D"}));
    EXPECT_EQ(SubGroupClosure("Nowhere", doc.Groups()), (std::vector<std::string>{"Nowhere"}));
}

TEST_F(DatabaseTest, RecursionRuleRefusesTargetsInTheClosure)
{
    CChooserDoc doc;
    AddGroup(doc, "Top", {"Middle"}, {});
    AddGroup(doc, "Middle", {"Bottom"}, {});
    AddGroup(doc, "Bottom", {}, {});
    AddGroup(doc, "Apart", {}, {});
    GroupFinder find = [&doc](const std::string &name) { return static_cast<const GroupRecord *>(doc.FindGroup(name)); };

    CheckResult twoLevels = CheckRecursion("Bottom", "Top", find);
    EXPECT_EQ(twoLevels.messageId, IDS_RECURSION);
    EXPECT_EQ(twoLevels.text, "Adding this group will cause recursion");
    EXPECT_EQ(CheckRecursion("top", "Top", find).messageId, IDS_RECURSION) << "a group under itself";
    EXPECT_TRUE(CheckRecursion("Top", "Bottom", find).accepted);
    EXPECT_TRUE(CheckRecursion("Bottom", "Apart", find).accepted);
}

TEST(MembershipLimits, SevenOfEachKind)
{
    GroupRecord group;
    group.Printers.assign(6, "P");
    group.SubGroups.assign(7, "G");
    EXPECT_TRUE(CheckMembershipLimit(group, true).accepted);
    CheckResult subGroups = CheckMembershipLimit(group, false);
    EXPECT_EQ(subGroups.messageId, IDS_GROUP_SUBGROUPS_FULL);
    EXPECT_EQ(subGroups.text, "Number of sub groups  inside the group should not exceed 7");
    group.Printers.push_back("P7");
    EXPECT_EQ(CheckMembershipLimit(group, true).text, "Number of printers inside the group should not exceed 7");
}

TEST(CountLimits, OneHundredFiftyPrintersAndFiftyGroups)
{
    EXPECT_TRUE(CheckPrinterCount(150).accepted);
    EXPECT_EQ(CheckPrinterCount(151).text, "Maxiumum number of printers should not exceed 150");
    EXPECT_TRUE(CheckGroupCount(50).accepted);
    EXPECT_EQ(CheckGroupCount(51).text, "Maxiumum number of groups should not exceed 50");
}

} // namespace
