#include "monitor/CoverPage.h"

#include "monitor/JobSettings.h"
#include "monitor/TextCharset.h"
#include "platform/base/paths.h"
#include "platform/files/atomicfile.h"
#include "platform/files/freshfile.h"
#include "platform/files/fullio.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace zormon {

namespace {

// A PostScript string literal keeps balanced parentheses as they are, but a backslash or a
// parenthesis without its partner would end the string early or swallow the rest of the job,
// so those alone are escaped; 8-bit bytes go as octal escapes, so the page stays 7-bit text
// (PostScript Language Reference, section 3.2.2).
std::string postScriptString(std::string_view value)
{
    std::vector<bool> escape(value.size(), false);
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\')
            escape[i] = true;
        else if (value[i] == '(')
            open.push_back(i);
        else if (value[i] == ')') {
            if (open.empty())
                escape[i] = true;
            else
                open.pop_back();
        }
    }
    for (std::size_t i : open)
        escape[i] = true;

    std::string text;
    text.reserve(value.size() + 8);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto byte = static_cast<unsigned char>(value[i]);
        if (byte >= 0x80) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", byte);
            text += octal;
            continue;
        }
        if (escape[i])
            text += '\\';
        text += value[i];
    }
    return text;
}

// The template sets its fonts in ISOLatin1Encoding: a value that is not plain ASCII is shown
// in it, characters it has no place for as "?".
std::string pageString(std::string_view value)
{
    return postScriptString(IsPlainAscii(value) ? std::string(value) : ToLatin1(DecodeJobText(value)));
}

// The page files are created afresh and owner-only: they name the job's sender and
// recipient, and a link planted at their names is not followed.
bool writeFresh(const std::string &linuxPath, std::string_view content)
{
    const int fd = zorplat::OpenFreshFile(linuxPath, O_WRONLY);
    if (fd < 0)
        return false;
    const bool written = zorplat::WriteFully(fd, content.data(), content.size());
    return ::close(fd) == 0 && written;
}

} // namespace

CoverPageFacts ReadCoverPageFacts(std::string_view address, std::string_view printerName,
                                  std::string_view jobDate, std::string_view jobTime)
{
    CoverPageFacts facts;
    facts.printerName = printerName;
    facts.jobDate = jobDate;
    facts.jobTime = jobTime;
    facts.recipient = Recipient(address);
    facts.recipientLocation = RcptLocation(address);
    facts.subject = Subject(address);
    facts.userName = JobUserName();
    facts.computerName = JobComputerName();
    facts.sender = SenderEmail();
    return facts;
}

std::string CoverPageText(const CoverPageFacts &facts)
{
    auto value = [](const std::string &text) { return pageString(text); };
    std::string page;
    page.reserve(2048);
    page += "StartDoc StartPage \nHeading\n(Printer:) Caption (" + value(facts.printerName)
            + ")Value % Place printer name here\n";
    page += "(Printed:) Caption (" + value(facts.jobDate) + ") Value % Place date string here\n";
    page += "(Time:) Caption (" + value(facts.jobTime) + ") Value % Place time string here\n";
    page += "NewLine\n";
    page += "Italic\n";
    page += "(Please deliver this cover page and the document together.)\n";
    page += "SNL\n";
    page += "SepLine\n";
    page += "(Please deliver to:) Caption (" + value(facts.recipient) + ") Value % User name here\n";
    page += "(Location:) Caption (" + value(facts.recipientLocation) + ") Value % Location string here\n";
    page += "SepLine\n";
    page += "NewLine\n";
    page += "(From:) Caption (" + value(facts.userName) + ") Value % From\n";
    page += "(Location:) Caption (" + value(facts.computerName) + ") Value % Location string here\n";
    page += "(Reply To:) Caption (" + value(facts.sender) + ") Value % Reply to string here\n";
    page += "NewLine\n";
    page += "(File name:) Caption (" + value(facts.subject) + ") Value % File name string here\n";
    page += "(File date:) Caption (" + value(facts.jobDate) + ") Value % File date string here\n";
    page += "(File time:) Caption (" + value(facts.jobTime) + ") Value % File time string here\n";
    page += "NewLine\nEndPage\nEndDoc\nend\n%EndJob\n%EOF\n";
    return page;
}

bool GenerateCoverPages(const CoverPageFacts &facts)
{
    const std::string banner = zorplat::ToLinuxPath(InstallPath("banner.ps"));
    const std::string trailer = zorplat::ToLinuxPath(InstallPath("trailer.ps"));
    // The template followed by the text, written whole to each page.
    std::string page;
    bool generated = zorplat::ReadWholeFile(zorplat::ToLinuxPath(BannerTemplatePath()), page);
    if (generated) {
        page += CoverPageText(facts);
        generated = writeFresh(banner, page) && writeFresh(trailer, page);
    }
    if (!generated) {
        // Pages left over from the previous address would carry its recipient; without them
        // a job that asks for a cover page fails visibly instead.
        std::error_code ignored;
        fs::remove(banner, ignored);
        fs::remove(trailer, ignored);
    }
    return generated;
}

} // namespace zormon
