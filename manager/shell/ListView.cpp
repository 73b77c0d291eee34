#include "manager/shell/ListView.h"

#include "manager/database/CChooserDoc.h"
#include "manager/database/ManagerStrings.h"
#include "manager/dialogs/ManagerIcons.h"
#include "manager/shell/ShellStrings.h"

#include <QHeaderView>
#include <QListWidget>
#include <QTreeWidget>

namespace {

// Each column is as wide as its title's length times 108 over the first title's length,
// plus 1: 109, 181 and 226 pixels.
int columnWidth(const std::string &title, const std::string &firstTitle)
{
    return static_cast<int>(title.size() * 108 / firstTitle.size()) + 1;
}

} // namespace

ListView::ListView(CChooserDoc &doc, QWidget *parent)
    : QStackedWidget(parent), m_doc(doc), m_report(new QTreeWidget(this)), m_icons(new QListWidget(this))
{
    const std::string titles[] = {zordb::ManagerString(sendaro::IDS_COLUMN_NAME),
                                  zordb::ManagerString(sendaro::IDS_COLUMN_DESCRIPTION),
                                  zordb::ManagerString(sendaro::IDS_COLUMN_ADDRESS)};
    m_report->setObjectName("report");
    m_report->setRootIsDecorated(false);
    m_report->setIconSize(QSize(16, 16));
    m_report->setColumnCount(3);
    m_report->setHeaderLabels({QString::fromStdString(titles[0]), QString::fromStdString(titles[1]),
                               QString::fromStdString(titles[2])});
    m_report->header()->setStretchLastSection(false);
    for (int column = 0; column < 3; ++column) {
        m_report->headerItem()->setTextAlignment(column, Qt::AlignLeft | Qt::AlignVCenter);
        m_report->setColumnWidth(column, columnWidth(titles[column], titles[0]));
    }
    m_report->setAccessibleName("Printer details");
    m_icons->setObjectName("icons");
    m_icons->setIconSize(QSize(32, 32));
    m_icons->setAccessibleName("Group members");
    m_icons->setMovement(QListView::Static);
    m_icons->setResizeMode(QListView::Adjust);
    addWidget(m_icons);
    addWidget(m_report);
    setStyle(Style::Icon);
    m_doc.AddObserver(this);
}

ListView::~ListView()
{
    m_doc.RemoveObserver(this);
}

void ListView::setStyle(Style style)
{
    m_style = style;
    if (style == Style::Report) {
        setCurrentWidget(m_report);
        return;
    }
    m_icons->setViewMode(style == Style::Icon ? QListView::IconMode : QListView::ListMode);
    m_icons->setFlow(style == Style::Icon ? QListView::LeftToRight : QListView::TopToBottom);
    m_icons->setWrapping(true);
    setCurrentWidget(m_icons);
}

void ListView::OnUpdate(int code)
{
    switch (code) {
    case zordb::kPrinterSelected: showPrinters(); break;
    case zordb::kGroupSelected: showGroup(); break;
    case zordb::kGroupPrintersReady: showGroupClosure(); break;
    default: break;
    }
}

void ListView::showPrinters()
{
    if (m_style != Style::Report)
        setStyle(Style::Report);
    m_report->clear();
    static const QIcon printerIcon = sendaro::ListPrinterIcon();
    for (const PrinterRecord *printer : m_doc.CollectedPrinters()) {
        auto *row = new QTreeWidgetItem;
        row->setIcon(0, printerIcon);
        row->setText(0, QString::fromStdString(printer->PrinterName));
        row->setText(1, QString::fromStdString(printer->PrinterDescription));
        row->setText(2, QString::fromStdString(printer->PrinterEmail));
        m_report->insertTopLevelItem(0, row);
    }
}

void ListView::insertIcon(const std::string &name, bool group)
{
    static const QIcon printerIcon = sendaro::ListPrinterIcon();
    static const QIcon groupIcon = sendaro::ListGroupIcon();
    m_icons->insertItem(0, new QListWidgetItem(group ? groupIcon : printerIcon, QString::fromStdString(name)));
}

void ListView::showGroup()
{
    m_icons->clear();
    if (m_style != Style::List)
        setStyle(Style::List);
    const GroupRecord *group = m_doc.CurrentGroup();
    if (!group)
        return;
    for (const std::string &printer : group->Printers)
        insertIcon(printer, false);
    for (const std::string &subGroup : group->SubGroups)
        insertIcon(subGroup, true);
}

void ListView::showGroupClosure()
{
    m_icons->clear();
    if (m_style != Style::List)
        setStyle(Style::List);
    for (const std::string &printer : m_doc.CollectedPrinterNames())
        insertIcon(printer, false);
    for (const std::string &group : m_doc.ClosureNames())
        insertIcon(group, true);
}
