// The printed listing of the destination database: one block of key=value lines per group
// (8 a page), then one per printer (5 a page), under a header with the database's path and
// the page number and a rule; Courier New 10 pt, or the closest monospaced font there is.
//
//     DestinationListPrinter listing(doc);
//     printer.setFromTo(0, 0);
//     listing.Print(printer);   // every page, as the print dialog's range allows
#pragma once

#include <string>
#include <vector>

class CChooserDoc;
class QPrinter;

class DestinationListPrinter {
public:
    static constexpr int kGroupsPerPage = 8;
    static constexpr int kPrintersPerPage = 5;
    // The header's path and blanks fill this many characters before the page text, the
    // rule is as wide as this many characters.
    static constexpr int kHeaderWidth = 81;

    explicit DestinationListPrinter(CChooserDoc &doc);

    // max(1, ceil(groups / 8)) + max(1, ceil(printers / 5)), from the document as it is now.
    int GroupPages() const;
    int PrinterPages() const;
    int PageCount() const { return GroupPages() + PrinterPages(); }

    // The header of page `page` (from 1): the document's path, blanks, "     Page %d".
    std::string HeaderText(int page) const;
    // The body lines of page `page`: the blocks of its groups or of its printers.
    std::vector<std::string> BodyLines(int page) const;

    // Prints the pages the printer's range asks for (all when it sets none). False when
    // the printer could not be started (a file that cannot be written, no printer).
    bool Print(QPrinter &printer) const;

private:
    CChooserDoc &m_doc;
};
