// The printed listing: its page plan (groups 8 a page, printers 5 a page, at least one page
// of each), the header and the blocks, checked in the text of the PDF it prints.
#include "tests/configfiles/ConfigFilesFixture.h"

#include "manager/shell/DestinationListPrinter.h"

#include <QPrinter>

#include <cstdio>

using namespace configtest;

namespace {

std::string run(const std::string &command)
{
    std::string output;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

// The text of each page of the PDF (pdftotext ends every page with a form feed).
std::vector<std::string> pdfPages(const std::string &pdf)
{
    const std::string text = run("pdftotext -layout '" + pdf + "' - 2>/dev/null");
    std::vector<std::string> pages;
    for (std::size_t start = 0, feed; (feed = text.find('\f', start)) != std::string::npos; start = feed + 1)
        pages.push_back(text.substr(start, feed - start));
    return pages;
}

// The lines of a page's text with the blanks around them taken off, empty lines left out.
std::vector<std::string> lines(const std::string &page)
{
    std::vector<std::string> result;
    for (std::size_t start = 0; start <= page.size();) {
        std::size_t end = page.find('\n', start);
        if (end == std::string::npos)
            end = page.size();
        std::string line = page.substr(start, end - start);
        line.erase(0, line.find_first_not_of(' '));
        line.erase(line.find_last_not_of(' ') + 1);
        if (!line.empty())
            result.push_back(line);
        start = end + 1;
    }
    return result;
}

class Listing : public ConfigFilesTest {
protected:
    Listing()
    {
        std::filesystem::create_directories(root.path() + "/files");
        doc.SetPathName("C:\\ZORVALINE\\Sendaro.Cfg");
    }

    std::vector<std::string> print(const std::string &name = "listing.pdf")
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(path(name)));
        EXPECT_TRUE(DestinationListPrinter(doc).Print(printer));
        return pdfPages(path(name));
    }

    // The body of a page as the listing writes it: every body line in order, nothing else
    // besides the header.
    void expectPage(const std::vector<std::string> &pages, int page)
    {
        SCOPED_TRACE("page " + std::to_string(page));
        ASSERT_GE(static_cast<int>(pages.size()), page);
        std::vector<std::string> expected{"C:\\ZORVALINE\\Sendaro.Cfg", "Page " + std::to_string(page)};
        for (const std::string &line : DestinationListPrinter(doc).BodyLines(page))
            if (line.find_first_not_of(' ') != std::string::npos)
                expected.push_back(line);
        std::vector<std::string> seen = lines(pages[page - 1]);
        // The header's path and page text come out as one line with blanks between them.
        ASSERT_FALSE(seen.empty());
        const std::string header = seen.front();
        seen.erase(seen.begin());
        const std::size_t gap = header.find("  ");
        ASSERT_NE(gap, std::string::npos) << header;
        seen.insert(seen.begin(), {header.substr(0, gap), lines(header.substr(gap))[0]});
        EXPECT_EQ(seen, expected);
    }

    CChooserDoc doc;
};

struct Plan {
    int groups, printers, pages;
};

TEST_F(Listing, PagePlanAndPagesFollowTheDocument)
{
    for (const Plan plan : {Plan{0, 0, 2}, Plan{8, 5, 2}, Plan{9, 6, 4}, Plan{3, 12, 4}, Plan{0, 12, 4}}) {
        SCOPED_TRACE(std::to_string(plan.groups) + " groups, " + std::to_string(plan.printers) + " printers");
        doc.Groups().clear();
        doc.Printers().clear();
        fillDatabase(doc, plan.printers, plan.groups);
        DestinationListPrinter listing(doc);
        EXPECT_EQ(listing.PageCount(), plan.pages);
        const std::vector<std::string> pages = print();
        ASSERT_EQ(static_cast<int>(pages.size()), plan.pages);
        for (int page = 1; page <= plan.pages; ++page)
            expectPage(pages, page);
    }
}

TEST_F(Listing, BlocksCarryEveryFieldInTheirOrder)
{
    PrinterRecord &printer = addPrinter(doc, "North Laser");
    printer.PrinterPassword = "Sesame";
    printer.LimitPacketSize = true;
    printer.TrailerPage = true;
    addGroup(doc, "Office", {"Floor 1", "Floor 2"}, {"North Laser"}, "Laser H7").GroupDescription = "Both floors";
    DestinationListPrinter listing(doc);
    EXPECT_EQ(listing.BodyLines(1), (std::vector<std::string>{"[Office]", "MainGroupName=Office",
                                                               "SubGroups=Floor 1,Floor 2", "Printers=North Laser",
                                                               "GroupDescription=Both floors", "GroupDriver=Laser H7",
                                                               std::string(10, ' ')}));
    EXPECT_EQ(listing.BodyLines(2),
              (std::vector<std::string>{"[North Laser]", "PrinterName=North Laser", "PrinterDescription=Printer North Laser",
                                        "PrinterDriver=Laser H7", "PrinterEmail=p0@print.example",
                                        "PrinterPassword=Sesame", "DefaultRecipient=", "RecipientLocation=",
                                        "LimitPacketSize=TRUE", "MaxPacketSizeInKb=100", "HeaderPage=FALSE",
                                        "TrailerPage=TRUE", std::string(10, ' ')}));
    // Printing twice in a row gives the same pages.
    EXPECT_EQ(print("first.pdf"), print("second.pdf"));
}

TEST_F(Listing, TheHeaderFillsEightyOneCharactersBeforeThePageText)
{
    doc.SetPathName(std::string(60, 'p'));
    EXPECT_EQ(DestinationListPrinter(doc).HeaderText(3), std::string(60, 'p') + std::string(10, ' ') + "     Page 3");
    doc.SetPathName(std::string(90, 'p'));
    EXPECT_EQ(DestinationListPrinter(doc).HeaderText(12), std::string(90, 'p') + "     Page 12");
    doc.SetPathName("");
    EXPECT_EQ(DestinationListPrinter(doc).HeaderText(1), std::string(70, ' ') + "     Page 1");
}

TEST_F(Listing, ThePrintDialogsRangeLimitsThePages)
{
    fillDatabase(doc, 12, 3);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path("range.pdf")));
    printer.setFromTo(2, 3);
    ASSERT_TRUE(DestinationListPrinter(doc).Print(printer));
    const std::vector<std::string> pages = pdfPages(path("range.pdf"));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_NE(pages[0].find("Page 2"), std::string::npos);
    EXPECT_NE(pages[1].find("Page 3"), std::string::npos);
}

} // namespace
