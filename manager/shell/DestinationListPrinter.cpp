#include "manager/shell/DestinationListPrinter.h"

#include "manager/database/CChooserDoc.h"
#include "manager/database/DatabaseWriter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cstdio>

namespace {

// Measured to size the rule and centre the header; never printed.
constexpr const char *kMeasuringString =
    "---------1---------2---------3---------4---------5---------6---------7---------8-";
// Body lines start this many device units from the left edge.
constexpr int kBodyLeft = 10;
// Each block ends with a line of 10 blanks.
const std::string kBlockEnd(10, ' ');
// The header, the rule and the body of one full printer page, in lines of the print font.
constexpr int kHeaderLines = 5;
constexpr int kPrinterBlockLines = 13;

int pagesFor(std::size_t count, int perPage)
{
    return std::max<int>(1, static_cast<int>((count + perPage - 1) / perPage));
}

const char *word(bool value)
{
    return value ? "TRUE" : "FALSE";
}

void appendGroup(std::vector<std::string> &lines, const GroupRecord &group)
{
    lines.push_back("[" + group.MainGroupName + "]");
    lines.push_back("MainGroupName=" + group.MainGroupName);
    lines.push_back("SubGroups=" + zordb::JoinList(group.SubGroups));
    lines.push_back("Printers=" + zordb::JoinList(group.Printers));
    // The description before the driver, the reverse of the file's order.
    lines.push_back("GroupDescription=" + group.GroupDescription);
    lines.push_back("GroupDriver=" + group.GroupDriver);
    lines.push_back(kBlockEnd);
}

void appendPrinter(std::vector<std::string> &lines, const PrinterRecord &printer)
{
    lines.push_back("[" + printer.PrinterName + "]");
    lines.push_back("PrinterName=" + printer.PrinterName);
    lines.push_back("PrinterDescription=" + printer.PrinterDescription);
    lines.push_back("PrinterDriver=" + printer.PrinterDriver);
    lines.push_back("PrinterEmail=" + printer.PrinterEmail);
    lines.push_back("PrinterPassword=" + printer.PrinterPassword);
    lines.push_back("DefaultRecipient=" + printer.DefaultRecipient);
    lines.push_back("RecipientLocation=" + printer.RecipientLocation);
    lines.push_back(std::string("LimitPacketSize=") + word(printer.LimitPacketSize));
    lines.push_back("MaxPacketSizeInKb=" + std::to_string(printer.MaxPacketSizeInKb));
    lines.push_back(std::string("HeaderPage=") + word(printer.HeaderPage));
    lines.push_back(std::string("TrailerPage=") + word(printer.TrailerPage));
    lines.push_back(kBlockEnd);
}

// Courier New 10 pt; where the system lacks it, its closest monospaced font.
QFont printFont()
{
    QFont font("Courier New");
    font.setPointSize(10);
    font.setStyleHint(QFont::TypeWriter, QFont::PreferMatch);
    font.setFixedPitch(true);
    return font;
}

QString text(const std::string &line)
{
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

} // namespace

DestinationListPrinter::DestinationListPrinter(CChooserDoc &doc) : m_doc(doc)
{
}

int DestinationListPrinter::GroupPages() const
{
    return pagesFor(m_doc.Groups().size(), kGroupsPerPage);
}

int DestinationListPrinter::PrinterPages() const
{
    return pagesFor(m_doc.Printers().size(), kPrintersPerPage);
}

std::string DestinationListPrinter::HeaderText(int page) const
{
    char pageText[32];
    std::snprintf(pageText, sizeof pageText, "     Page %d", page);
    const std::string &path = m_doc.PathName();
    const std::size_t used = path.size() + std::char_traits<char>::length(pageText);
    const std::size_t blanks = used < kHeaderWidth ? kHeaderWidth - used : 0;
    return path + std::string(blanks, ' ') + pageText;
}

std::vector<std::string> DestinationListPrinter::BodyLines(int page) const
{
    std::vector<std::string> lines;
    if (page <= GroupPages()) {
        const std::size_t first = static_cast<std::size_t>(page - 1) * kGroupsPerPage;
        for (std::size_t i = first; i < first + kGroupsPerPage && i < m_doc.Groups().size(); ++i)
            appendGroup(lines, *m_doc.Groups()[i]);
    } else {
        const std::size_t first = static_cast<std::size_t>(page - GroupPages() - 1) * kPrintersPerPage;
        for (std::size_t i = first; i < first + kPrintersPerPage && i < m_doc.Printers().size(); ++i)
            appendPrinter(lines, *m_doc.Printers()[i]);
    }
    return lines;
}

bool DestinationListPrinter::Print(QPrinter &printer) const
{
    const int pageCount = PageCount();
    const int first = printer.fromPage() > 0 ? printer.fromPage() : 1;
    const int last = printer.toPage() > 0 ? std::min(printer.toPage(), pageCount) : pageCount;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QFont font = printFont();
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const int characterHeight = metrics.height();
    const int lineHeight = characterHeight + metrics.leading();
    // The rule and the header follow the print font, so the rule spans the header exactly.
    const int ruleWidth = metrics.horizontalAdvance(kMeasuringString);
    const int leftMargin = (printer.width() - ruleWidth) / 2;
    // Five printers need about 70 lines; a page shorter than that (US Letter with wide
    // margins) is printed a little smaller rather than losing its last lines.
    const int neededHeight = lineHeight * kHeaderLines + characterHeight * kPrinterBlockLines * kPrintersPerPage;
    const qreal scale = std::min<qreal>(1.0, qreal(printer.height()) / neededHeight);
    for (int page = first; page <= last; ++page) {
        if (page > first)
            printer.newPage();
        painter.save();
        painter.scale(scale, scale);
        // 1. the header and the rule under it
        int y = 2 * lineHeight;
        painter.drawText(leftMargin, y + metrics.ascent(), text(HeaderText(page)));
        y += lineHeight * 3 / 2;
        painter.drawLine(leftMargin, y, leftMargin + ruleWidth, y);
        // 2. and 3. the body
        y += characterHeight;
        for (const std::string &line : BodyLines(page)) {
            painter.drawText(kBodyLeft, y + metrics.ascent(), text(line));
            y += characterHeight;
        }
        painter.restore();
    }
    return painter.end();
}
