#include "monitor/CoverPage.h"

#include "tests/monitor/SettingsRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using zormon::CoverPageFacts;

namespace {

CoverPageFacts sampleFacts()
{
    return {"Sales", "12/08/26", "08:15:02", "Jane Roe (Sales)", " ", "Quarterly report",
            "jdoe", "WS7", "jdoe@example.com"};
}

std::string bannerTemplate()
{
    return zortest::TempRoot::readFile(std::string(ZORVALINE_SOURCE_DIR) + "/resources/banner01.ps");
}

} // namespace

TEST(CoverPage, GeneratedLines)
{
    EXPECT_EQ(zormon::CoverPageText(sampleFacts()),
              "StartDoc StartPage \nHeading\n(Printer:) Caption (Sales)Value % Place printer name here\n"
              "(Printed:) Caption (12/08/26) Value % Place date string here\n"
              "(Time:) Caption (08:15:02) Value % Place time string here\n"
              "NewLine\nItalic\n(Please deliver this cover page and the document together.)\nSNL\nSepLine\n"
              "(Please deliver to:) Caption (Jane Roe (Sales)) Value % User name here\n"
              "(Location:) Caption ( ) Value % Location string here\n"
              "SepLine\nNewLine\n"
              "(From:) Caption (jdoe) Value % From\n"
              "(Location:) Caption (WS7) Value % Location string here\n"
              "(Reply To:) Caption (jdoe@example.com) Value % Reply to string here\n"
              "NewLine\n"
              "(File name:) Caption (Quarterly report) Value % File name string here\n"
              "(File date:) Caption (12/08/26) Value % File date string here\n"
              "(File time:) Caption (08:15:02) Value % File time string here\n"
              "NewLine\nEndPage\nEndDoc\nend\n%EndJob\n%EOF\n");
}

// The template's fonts are Latin-1: names typed as UTF-8 or as Latin-1 print alike, and what
// Latin-1 has no place for prints as "?".
TEST(CoverPage, ValuesThatAreNotPlainAsciiAreShownInLatin1)
{
    CoverPageFacts facts = sampleFacts();
    const auto fileNameLine = [&facts](const std::string &subject) {
        facts.subject = subject;
        const std::string text = zormon::CoverPageText(facts);
        const std::size_t start = text.find("(File name:)");
        return text.substr(start, text.find('\n', start) - start);
    };
    const std::string shown = "(File name:) Caption (Bericht f\\374r M\\344rz) Value % File name string here";
    EXPECT_EQ(fileNameLine("Bericht f\xc3\xbcr M\xc3\xa4rz"), shown) << "UTF-8";
    EXPECT_EQ(fileNameLine("Bericht f\xfcr M\xe4rz"), shown) << "Latin-1";
    EXPECT_EQ(fileNameLine("\xe2\x82\xac 5 \xe2\x80\x93 (\xc3\x9c)"),
              "(File name:) Caption (? 5 ? (\\334)) Value % File name string here")
        << "UTF-8 beyond Latin-1";
    EXPECT_EQ(fileNameLine("\x80 5 \x96 \xdc"), "(File name:) Caption (? 5 ? \\334) Value % File name string here")
        << "Windows-1252 beyond Latin-1";
    facts.recipient = "Jos\xc3\xa9";
    EXPECT_NE(zormon::CoverPageText(facts).find("(Please deliver to:) Caption (Jos\\351) Value"), std::string::npos);
}

TEST(CoverPage, OnlyWhatWouldBreakTheStringIsEscaped)
{
    CoverPageFacts facts = sampleFacts();
    const auto recipientLine = [&facts](const std::string &recipient) {
        facts.recipient = recipient;
        const std::string text = zormon::CoverPageText(facts);
        const std::size_t start = text.find("(Please deliver to:)");
        return text.substr(start, text.find('\n', start) - start);
    };
    EXPECT_EQ(recipientLine("A (B) (C (D))"), "(Please deliver to:) Caption (A (B) (C (D))) Value % User name here");
    EXPECT_EQ(recipientLine("Roe (Sales"), "(Please deliver to:) Caption (Roe \\(Sales) Value % User name here");
    EXPECT_EQ(recipientLine("a) (b"), "(Please deliver to:) Caption (a\\) \\(b) Value % User name here");
    EXPECT_EQ(recipientLine("C:\\x"), "(Please deliver to:) Caption (C:\\\\x) Value % User name here");
}

TEST(CoverPage, FactsComeFromTheAddressAndTheJob)
{
    zortest::SettingsRoot root;
    root.writeVComDef("[IntranetSetup]\r\nSenderEmail=jdoe@example.com\r\n"
                      "[HeaderFooter]\r\nSubject=Default subject\r\n"
                      "[PrintJob]\r\nUserName=jdoe\r\nComputerName=WS7\r\n"
                      "[lp@x]\r\nRecipient=Jane Roe\r\n");
    const CoverPageFacts facts = zormon::ReadCoverPageFacts("lp@x", "Sales", "12/08/26", "08:15:02");
    EXPECT_EQ(facts.printerName, "Sales");
    EXPECT_EQ(facts.recipient, "Jane Roe");
    EXPECT_EQ(facts.recipientLocation, " ");
    EXPECT_EQ(facts.subject, "Default subject");
    EXPECT_EQ(facts.userName, "jdoe");
    EXPECT_EQ(facts.computerName, "WS7");
    EXPECT_EQ(facts.sender, "jdoe@example.com");
}

TEST(CoverPage, PagesAreTheTemplateFollowedByTheLines)
{
    zortest::SettingsRoot root;
    root.writeFile(root.install("banner01.ps"), "%!PS template\n");
    ASSERT_TRUE(zormon::GenerateCoverPages(sampleFacts()));
    const std::string expected = "%!PS template\n" + zormon::CoverPageText(sampleFacts());
    EXPECT_EQ(zortest::TempRoot::readFile(root.install("banner.ps")), expected);
    EXPECT_EQ(zortest::TempRoot::readFile(root.install("trailer.ps")), expected);
    // Generated again for the next address: replaced, not appended to.
    ASSERT_TRUE(zormon::GenerateCoverPages(sampleFacts()));
    EXPECT_EQ(zortest::TempRoot::readFile(root.install("banner.ps")), expected);

    // Without the template no page is left over from the previous address.
    fs::remove(root.install("banner01.ps"));
    EXPECT_FALSE(zormon::GenerateCoverPages(sampleFacts()));
    EXPECT_FALSE(fs::exists(root.install("banner.ps")));
    EXPECT_FALSE(fs::exists(root.install("trailer.ps")));
}

TEST(CoverPage, OurTemplateRendersAroundAJob)
{
    if (std::system("gs --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "Ghostscript is not installed";
    zortest::SettingsRoot root;
    root.writeFile(root.install("banner01.ps"), bannerTemplate());
    CoverPageFacts facts = sampleFacts();
    facts.recipient = "Ren\xE9 (Sales";               // Latin-1 and an unbalanced parenthesis
    facts.subject = std::string(300, 'W');             // far too wide for the page
    ASSERT_TRUE(zormon::GenerateCoverPages(facts));

    // A job that relies on the default state: the page must leave none of its own behind.
    const std::string job = "%!PS\n/Times-Roman findfont 24 scalefont setfont 72 400 moveto (Body) show\n"
                            "currentdict userdict ne { (dictionary left open) = } if\nshowpage\n";
    const std::string document = root.install("document.ps");
    root.writeFile(document, zortest::TempRoot::readFile(root.install("banner.ps")) + job
                                 + zortest::TempRoot::readFile(root.install("trailer.ps")));
    const std::string output = root.path() + "/page%d.pgm";
    const std::string log = root.path() + "/gs.log";
    const std::string command = "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pgmraw -r10 -sOutputFile='" + output + "' '"
                                + document + "' >'" + log + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << zortest::TempRoot::readFile(log);
    EXPECT_EQ(zortest::TempRoot::readFile(log), "");
    EXPECT_TRUE(fs::exists(root.path() + "/page3.pgm"));
    EXPECT_FALSE(fs::exists(root.path() + "/page4.pgm"));
}
