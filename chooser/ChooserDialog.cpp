#include "chooser/ChooserDialog.h"

#include "manager/database/ManagerStrings.h"
#include "manager/database/NameCompare.h"
#include "manager/dialogs/ManagerIcons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace selvra {

namespace {

// Item data: the destination's name and kind; roots carry neither.
constexpr int kNameRole = Qt::UserRole;
constexpr int kIsPrinterRole = Qt::UserRole + 1;

// The manager's marker of the default item, part of the item text only.
constexpr const char *kDefaultMarker = "{DEFAULT}";

QString text(const std::string &value)
{
    return QString::fromStdString(value);
}

std::string quoted(const std::string &value)
{
    return "\"" + value + "\"";
}

std::string titleOr(const std::string &title, int fallbackId)
{
    return title.empty() ? zordb::ManagerString(fallbackId) : title;
}

} // namespace

ChooserDialog::ChooserDialog(const ChooserSession &session, ChooserTimeOut &timeOut, QWidget *parent)
    : QDialog(parent), m_session(session), m_timeOut(timeOut), m_tree(new QTreeWidget),
      m_addresses(new QListWidget), m_timeLeft(new QLabel),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel))
{
    setWindowTitle("Selvra");
    const std::string document = session.Job().documentName.empty() ? std::string("the print job")
                                                                     : quoted(Printable(session.Job().documentName));
    auto *question = new QLabel(text("Choose where " + document +
                                     " is mailed. Hold Ctrl or Shift to choose several destinations."));
    question->setWordWrap(true);

    m_tree->setObjectName(kTreeName);
    m_tree->setAccessibleName("Destinations");
    m_tree->setHeaderHidden(true);
    m_tree->setIconSize(QSize(32, 16));
    m_tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tree->setMinimumSize(300, 260);

    auto *addressLabel = new QLabel("&Addresses of the chosen printers:");
    addressLabel->setBuddy(m_addresses);
    m_addresses->setObjectName(kAddressListName);
    m_addresses->setAccessibleName("Addresses of the chosen printers");
    m_addresses->setSelectionMode(QAbstractItemView::NoSelection);
    m_addresses->setMinimumWidth(300);

    m_timeLeft->setObjectName(kTimeLeftName);
    m_buttons->button(QDialogButtonBox::Ok)->setText("OK");
    m_buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");

    auto *addressColumn = new QVBoxLayout;
    addressColumn->addWidget(addressLabel);
    addressColumn->addWidget(m_addresses);
    auto *panes = new QHBoxLayout;
    panes->addWidget(m_tree, 1);
    panes->addLayout(addressColumn, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addLayout(panes, 1);
    layout->addWidget(m_timeLeft);
    layout->addWidget(m_buttons);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &ChooserDialog::selectionChanged);
    connect(&m_timeOut, &ChooserTimeOut::Ticked, this, &ChooserDialog::showTimeLeft);

    fillTree();
    preselect();
    selectionChanged();
    // Shown at once, and right also when the time ran out before the dialog was made.
    showTimeLeft(m_timeOut.SecondsLeft());
}

void ChooserDialog::fillTree()
{
    const DatabaseContents database = m_session.Database();
    m_printersRoot = new QTreeWidgetItem(m_tree, {text(titleOr(m_session.PrintersTitle(), zordb::IDS_PRINTERS_TITLE))});
    m_groupsRoot = new QTreeWidgetItem(m_tree, {text(titleOr(m_session.GroupsTitle(), zordb::IDS_GROUPS_TITLE))});
    for (QTreeWidgetItem *root : {m_printersRoot, m_groupsRoot}) {
        root->setIcon(0, sendaro::TreeImageIcon(sendaro::kRootImage));
        root->setFlags(Qt::ItemIsEnabled);
    }
    const auto isDefault = [&](const std::string &name) {
        return !database.defaultItem.empty() && zordb::SameName(name, database.defaultItem);
    };
    // As in the manager: the printers in the reverse of the database's order, the groups in
    // its order, each with its sub-groups and then its printers as leaves.
    for (auto printer = database.printers.rbegin(); printer != database.printers.rend(); ++printer)
        addItem(m_printersRoot, (*printer)->PrinterName, true, isDefault((*printer)->PrinterName));
    for (const auto &group : database.groups) {
        QTreeWidgetItem *item = addItem(m_groupsRoot, group->MainGroupName, false, isDefault(group->MainGroupName));
        for (const std::string &member : group->SubGroups)
            addItem(item, member, false, false);
        for (const std::string &member : group->Printers)
            addItem(item, member, true, false);
    }
    m_tree->expandItem(m_printersRoot);
    m_tree->expandItem(m_groupsRoot);
}

QTreeWidgetItem *ChooserDialog::addItem(QTreeWidgetItem *parent, const std::string &name, bool isPrinter,
                                        bool isDefault)
{
    auto *item = new QTreeWidgetItem(parent, {text(isDefault ? name + kDefaultMarker : name)});
    const int image = isPrinter ? (isDefault ? sendaro::kDefaultPrinterImage : sendaro::kPrinterImage)
                                : (isDefault ? sendaro::kDefaultGroupImage : sendaro::kGroupImage);
    item->setIcon(0, sendaro::TreeImageIcon(image));
    item->setData(0, kNameRole, text(name));
    item->setData(0, kIsPrinterRole, isPrinter);
    return item;
}

void ChooserDialog::preselect()
{
    const std::optional<ChosenDestination> destination =
        ChooseDestination(m_session.Database(), m_session.Job().printerName);
    if (!destination)
        return;
    QTreeWidgetItem *root = destination->isPrinter ? m_printersRoot : m_groupsRoot;
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem *item = root->child(i);
        if (zordb::SameName(item->data(0, kNameRole).toString().toStdString(), destination->name)) {
            item->setSelected(true);
            m_tree->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
            m_tree->scrollToItem(item);
            return;
        }
    }
}

std::vector<ChosenDestination> ChooserDialog::SelectedDestinations() const
{
    const DatabaseContents database = m_session.Database();
    std::vector<ChosenDestination> chosen;
    for (QTreeWidgetItemIterator it(m_tree, QTreeWidgetItemIterator::Selected); *it; ++it) {
        const QVariant name = (*it)->data(0, kNameRole);
        if (!name.isValid())
            continue;
        const bool isPrinter = (*it)->data(0, kIsPrinterRole).toBool();
        std::optional<ChosenDestination> destination =
            FindDestination(database, name.toString().toStdString(), isPrinter);
        if (!destination)
            continue; // a member that names no destination
        const bool known = std::any_of(chosen.begin(), chosen.end(), [&](const ChosenDestination &d) {
            return d.isPrinter == destination->isPrinter && d.name == destination->name;
        });
        if (!known)
            chosen.push_back(std::move(*destination));
    }
    return chosen;
}

ChosenAddresses ChooserDialog::Addresses() const
{
    return AddressesFor(SelectedDestinations(), m_session.Job());
}

std::string ChooserDialog::SelectionText() const
{
    std::string text;
    for (const ChosenDestination &destination : SelectedDestinations())
        text += (text.empty() ? "" : ", ") + std::string(destination.isPrinter ? "Printer " : "Group ") +
                quoted(destination.name);
    return text;
}

void ChooserDialog::selectionChanged()
{
    const ChosenAddresses chosen = Addresses();
    m_addresses->clear();
    for (const AddressSettings &address : chosen.addresses)
        m_addresses->addItem(text(address.address + "  (" + Printable(address.printer) + ")"));
    for (const LeftOutPrinter &printer : chosen.leftOut) {
        auto *item = new QListWidgetItem(style()->standardIcon(QStyle::SP_MessageBoxWarning),
                                         text("left out: " + Printable(printer.printer) + ", address " +
                                              quoted(Printable(printer.email)) + " cannot be used"),
                                         m_addresses);
        item->setToolTip(text(printer.fault));
    }
    // The monitor reads only so much of the list: a choice beyond it cannot be confirmed.
    const std::size_t length = JoinAddresses(chosen.addresses).size();
    if (length > kAddressListMaxLength)
        new QListWidgetItem(style()->standardIcon(QStyle::SP_MessageBoxWarning),
                            text("too many addresses for one job: " + std::to_string(length) +
                                 " characters, at most " + std::to_string(kAddressListMaxLength)),
                            m_addresses);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!chosen.addresses.empty() && length <= kAddressListMaxLength);
    m_timeOut.Restart();
}

void ChooserDialog::showTimeLeft(int seconds)
{
    m_timeLeft->setText(QString("Without an answer the job is cancelled in %1:%2.")
                            .arg(seconds / 60)
                            .arg(seconds % 60, 2, 10, QChar('0')));
}

} // namespace selvra
