// Cover pages: "banner.ps" and "trailer.ps" in the install directory, each the template
// "banner01.ps" followed by PostScript lines that fill in the job's facts. The template
// defines the procedures those lines call and opens the dictionary their final `end` closes.
#pragma once

#include <string>
#include <string_view>

namespace zormon {

struct CoverPageFacts {
    std::string printerName;
    std::string jobDate; // MM/DD/YY
    std::string jobTime; // HH:MM:SS
    std::string recipient;
    std::string recipientLocation;
    std::string subject;
    std::string userName;
    std::string computerName;
    std::string sender;
};

// The facts for one address, read from the settings now.
CoverPageFacts ReadCoverPageFacts(std::string_view address, std::string_view printerName,
                                  std::string_view jobDate, std::string_view jobTime);

// The PostScript lines appended to the template. Values are inserted unchanged, except that
// a backslash or a parenthesis that would end or break the PostScript string is escaped, and
// a value that is not plain ASCII is shown in the template's Latin-1 fonts (TextCharset.h),
// its 8-bit bytes as octal escapes.
std::string CoverPageText(const CoverPageFacts &facts);

// Writes "banner.ps" and "trailer.ps", each the template followed by the text, as files
// created afresh and readable by their owner only. No message is shown: false when the
// template is missing or a file cannot be written (neither page is left then), and a job
// that asks for a cover page then fails when it opens the page.
bool GenerateCoverPages(const CoverPageFacts &facts);

} // namespace zormon
