#include "manager/shell/TreeView.h"

#include "manager/database/GroupRules.h"
#include "manager/database/ManagerStrings.h"
#include "manager/database/NameCompare.h"
#include "manager/database/RecordLists.h"
#include "manager/dialogs/Prompts.h"
#include "manager/shell/DatabaseSaver.h"
#include "manager/shell/DriverInstallation.h"
#include "manager/shell/GroupMembership.h"
#include "manager/shell/PrinterSnapshot.h"
#include "manager/dialogs/ManagerIcons.h"
#include "manager/shell/ShellStrings.h"
#include "manager/shell/SpoolerPrinters.h"
#include "platform/base/lasterror.h"
#include "platform/profile/profile.h"
#include "platform/spooler/spooler.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include <algorithm>

using namespace zordb;

namespace {

constexpr const char *kDefaultMarker = "{DEFAULT}";
constexpr const char *kDragFormat = "application/x-sendaro-destination";
constexpr int kImageRole = Qt::UserRole;
// The deferred rebuild after a double-click edit.
constexpr int kDeferredRebuildMs = 100;

std::string textOf(const QTreeWidgetItem *item)
{
    return item ? item->text(0).toStdString() : std::string();
}

bool listHolds(const std::vector<std::string> &list, const std::string &name)
{
    return std::any_of(list.begin(), list.end(), [&](const std::string &entry) { return SameName(entry, name); });
}

void addOnce(std::vector<std::string> &list, const std::string &name)
{
    if (std::find(list.begin(), list.end(), name) == list.end())
        list.push_back(name);
}

void eraseExact(std::vector<std::string> &list, const std::string &name)
{
    list.erase(std::remove(list.begin(), list.end(), name), list.end());
}

void replaceExact(std::vector<std::string> &list, const std::string &from, const std::string &to)
{
    std::replace(list.begin(), list.end(), from, to);
}

int showMessage(UINT id)
{
    return sendaro::Prompt(id, MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

TreeView::TreeView(CChooserDoc &doc, QWidget *parent) : QTreeWidget(parent), m_doc(doc)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setIconSize(QSize(32, 16));
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    // The tree neither scrolls nor expands items by itself during a drag.
    setAutoScroll(false);
    setAutoExpandDelay(-1);

    m_groupsTitle = ManagerString(IDS_GROUPS_TITLE);
    m_printersTitle = ManagerString(IDS_PRINTERS_TITLE);
    m_doc.SetGroupsTitle(m_groupsTitle);
    m_doc.SetPrintersTitle(m_printersTitle);
    m_printersRoot = addItem(invisibleRootItem(), m_printersTitle, sendaro::kRootImage);
    m_groupsRoot = addItem(invisibleRootItem(), m_groupsTitle, sendaro::kRootImage);

    m_rebuildTimer.setSingleShot(true);
    m_rebuildTimer.setInterval(kDeferredRebuildMs);
    connect(&m_rebuildTimer, &QTimer::timeout, this, &TreeView::onDeferredRebuild);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { onCurrentItemChanged(current); });
    connect(this, &QTreeWidget::itemExpanded, this, &TreeView::onItemExpanded);

    m_doc.AddObserver(this);
    m_doc.SetLookup(this);
}

TreeView::~TreeView()
{
    m_doc.RemoveObserver(this);
    m_doc.SetLookup(nullptr);
}

// ---- items ----------------------------------------------------------------------------

QTreeWidgetItem *TreeView::addItem(QTreeWidgetItem *parent, const std::string &text, int image, bool first)
{
    static const QIcon images[] = {sendaro::TreeImageIcon(0), sendaro::TreeImageIcon(1), sendaro::TreeImageIcon(2),
                                   sendaro::TreeImageIcon(3), sendaro::TreeImageIcon(4)};
    auto *item = new QTreeWidgetItem;
    item->setText(0, QString::fromStdString(text));
    item->setIcon(0, images[image]);
    item->setData(0, kImageRole, image);
    parent->insertChild(first ? 0 : parent->childCount(), item);
    return item;
}

int TreeView::ItemImage(const QTreeWidgetItem *item)
{
    return item ? item->data(0, kImageRole).toInt() : -1;
}

int TreeView::ItemKind(const QTreeWidgetItem *item)
{
    switch (ItemImage(item)) {
    case sendaro::kGroupImage:
    case sendaro::kDefaultGroupImage: return 0;
    case sendaro::kPrinterImage:
    case sendaro::kDefaultPrinterImage: return 1;
    default: return -1;
    }
}

bool TreeView::IsDefaultItem(const QTreeWidgetItem *item)
{
    const int image = ItemImage(item);
    return image == sendaro::kDefaultGroupImage || image == sendaro::kDefaultPrinterImage;
}

std::string TreeView::NameWithoutMarker(const std::string &text)
{
    return text.substr(0, text.find('{'));
}

bool TreeView::IsRoot(const QTreeWidgetItem *item) const
{
    return item && (item == m_groupsRoot || item == m_printersRoot);
}

bool TreeView::IsTopLevelItem(const QTreeWidgetItem *item) const
{
    return item && IsRoot(item->parent());
}

bool TreeView::IsMemberItem(const QTreeWidgetItem *item) const
{
    return item && item->parent() && item->parent()->parent() == m_groupsRoot;
}

std::string TreeView::ItemName(const QTreeWidgetItem *item) const
{
    return IsDefaultItem(item) ? NameWithoutMarker(textOf(item)) : textOf(item);
}

QTreeWidgetItem *TreeView::FindGroupItem(const std::string &name) const
{
    for (int i = 0; i < m_groupsRoot->childCount(); ++i) {
        QTreeWidgetItem *item = m_groupsRoot->child(i);
        if (SameName(textOf(item), name) ||
            (item == m_defaultItem && SameName(NameWithoutMarker(textOf(item)), name)))
            return item;
    }
    return nullptr;
}

QTreeWidgetItem *TreeView::FindPrinterItem(const std::string &name) const
{
    for (int i = 0; i < m_printersRoot->childCount(); ++i) {
        QTreeWidgetItem *item = m_printersRoot->child(i);
        if (SameName(textOf(item), name) ||
            (item == m_defaultItem && SameName(NameWithoutMarker(textOf(item)), name)))
            return item;
    }
    return nullptr;
}

GroupRecord *TreeView::GroupForItem(const QTreeWidgetItem *item)
{
    if (!item || m_doc.Groups().empty())
        return nullptr;
    return FindGroupIn(m_doc.Groups(), ItemName(item));
}

PrinterRecord *TreeView::PrinterForItem(const QTreeWidgetItem *item)
{
    if (!item || m_doc.Printers().empty())
        return nullptr;
    return FindPrinterIn(m_doc.Printers(), ItemName(item));
}

GroupRecord *TreeView::FindGroup(const std::string &name)
{
    if (name.find("{D") == std::string::npos)
        return FindGroupIn(m_doc.Groups(), name);
    QTreeWidgetItem *item = FindGroupItem(name);
    return item && item == m_defaultItem ? FindGroupIn(m_doc.Groups(), NameWithoutMarker(textOf(item))) : nullptr;
}

PrinterRecord *TreeView::FindPrinter(const std::string &name)
{
    if (name.find("{D") == std::string::npos)
        return FindPrinterIn(m_doc.Printers(), name);
    QTreeWidgetItem *item = FindPrinterItem(name);
    return item && item == m_defaultItem ? FindPrinterIn(m_doc.Printers(), NameWithoutMarker(textOf(item)))
                                         : nullptr;
}

// ---- the document's views ---------------------------------------------------------------

void TreeView::OnUpdate(int code)
{
    if (code == kRebuildAll)
        Rebuild();
}

void TreeView::Rebuild()
{
    {
        // The selection goes with the items; nothing is selected afterwards.
        const QSignalBlocker blocker(this);
        clear();
    }
    m_recordedItem = nullptr;
    m_selectedName.clear();
    m_defaultItem = nullptr;
    m_defaultName.clear();
    m_dragSource = m_dropTarget = m_pressedItem = nullptr;
    m_groupsTitle = m_doc.GroupsTitle();
    m_printersTitle = m_doc.PrintersTitle();
    m_docDefaultName = m_doc.DefaultItem();

    m_printersRoot = addItem(invisibleRootItem(), m_printersTitle, sendaro::kRootImage);
    m_groupsRoot = addItem(invisibleRootItem(), m_groupsTitle, sendaro::kRootImage);
    auto markDefault = [this](QTreeWidgetItem *item, const std::string &name, int image) {
        if (m_defaultItem || m_docDefaultName.empty() || !SameName(name, m_docDefaultName))
            return;
        item->setData(0, kImageRole, image);
        item->setIcon(0, sendaro::TreeImageIcon(image));
        item->setText(0, QString::fromStdString(name + kDefaultMarker));
        m_defaultItem = item;
        m_defaultName = name;
    };
    for (const auto &printer : m_doc.Printers()) {
        QTreeWidgetItem *item = addItem(m_printersRoot, printer->PrinterName, sendaro::kPrinterImage, true);
        markDefault(item, printer->PrinterName, sendaro::kDefaultPrinterImage);
    }
    for (const auto &group : m_doc.Groups()) {
        QTreeWidgetItem *item = addItem(m_groupsRoot, group->MainGroupName, sendaro::kGroupImage);
        markDefault(item, group->MainGroupName, sendaro::kDefaultGroupImage);
        for (const std::string &subGroup : group->SubGroups)
            addItem(item, subGroup, sendaro::kGroupImage);
        for (const std::string &member : group->Printers) {
            addItem(item, member, sendaro::kPrinterImage);
            if (PrinterRecord *printer = FindPrinter(member))
                addOnce(printer->ContainingGroups, group->MainGroupName);
        }
    }
    expandItem(m_printersRoot);
    expandItem(m_groupsRoot);
    if (m_reexpand)
        for (const auto &group : m_doc.Groups())
            if (group->Expanded)
                if (QTreeWidgetItem *item = FindGroupItem(group->MainGroupName))
                    expandItem(item);
    emit stateChanged();
}

void TreeView::onCurrentItemChanged(QTreeWidgetItem *current)
{
    m_recordedItem = current;
    if (!current) {
        m_selectedName.clear();
        emit stateChanged();
        return;
    }
    m_selectedName = current == m_defaultItem ? m_defaultName : textOf(current);
    if (ItemKind(current) != 0)
        m_doc.CollectPrinters(true, m_selectedName);
    else if (current->parent() == m_groupsRoot)
        m_doc.CollectGroupPrinters(m_selectedName);
    else
        m_doc.SelectGroup(m_selectedName);
    emit stateChanged();
}

void TreeView::onItemExpanded(QTreeWidgetItem *item)
{
    if (ItemKind(item) != 0)
        return;
    if (GroupRecord *group = FindGroup(textOf(item)))
        group->Expanded = true;
}

void TreeView::StartDeferredRebuild()
{
    m_rebuildTimer.start();
    m_deferredRebuild = true;
}

void TreeView::onDeferredRebuild()
{
    if (!m_deferredRebuild)
        return;
    m_reexpand = true;
    Rebuild();
    m_reexpand = false;
    m_deferredRebuild = false;
}

// ---- TreeOperations ---------------------------------------------------------------------

TreeView::ItemKindOf TreeView::kindOf(const QTreeWidgetItem *item) const
{
    if (!item)
        return ItemKindOf::None;
    if (item == m_groupsRoot)
        return ItemKindOf::GroupsRoot;
    if (item == m_printersRoot)
        return ItemKindOf::PrintersRoot;
    switch (ItemKind(item)) {
    case 0: return ItemKindOf::Group;
    case 1: return ItemKindOf::Printer;
    default: return ItemKindOf::None;
    }
}

TreeView::ItemKindOf TreeView::SelectedKind() const
{
    return kindOf(currentItem());
}

TreeView::ItemKindOf TreeView::SelectedParentKind() const
{
    const QTreeWidgetItem *current = currentItem();
    return kindOf(current ? current->parent() : nullptr);
}

std::string TreeView::RootCaption(bool groups) const
{
    return groups ? m_groupsTitle : m_printersTitle;
}

void TreeView::RenameRoot(bool groups, const std::string &caption)
{
    (groups ? m_groupsRoot : m_printersRoot)->setText(0, QString::fromStdString(caption));
    (groups ? m_groupsTitle : m_printersTitle) = caption;
    m_selectedName = caption;
    if (groups)
        m_doc.SetGroupsTitle(caption);
    else
        m_doc.SetPrintersTitle(caption);
}

bool TreeView::DestinationNameExists(const std::string &name, bool printersFirst)
{
    return m_doc.DestinationNameExists(name, printersFirst);
}

bool TreeView::DestinationNameExists(const std::string &name, bool printersFirst) const
{
    return m_doc.DestinationNameExists(name, printersFirst);
}

// ---- spooler registration ---------------------------------------------------------------

int TreeView::AddWindowsPrinter(const std::string &driver, const std::string &name)
{
    if (driverInstallPending) {
        driverInstallPending = false;
        return sendaro::InstallDriverAndCreatePrinter(name, driver, pendingInfPath);
    }
    if (driver.empty())
        return 0;
    HANDLE printer = nullptr;
    PrinterSnapshot &snapshot = PrinterSnapshot::Instance();
    if (snapshot.valid) {
        // Update the existing Windows printer in place: its settings with the new names.
        PRINTER_INFO_2A info = snapshot.info;
        info.pPrinterName = const_cast<LPSTR>(name.c_str());
        info.pDriverName = const_cast<LPSTR>(driver.c_str());
        if (OpenPrinter(const_cast<LPSTR>(snapshot.sourceName.c_str()), &printer, nullptr))
            SetPrinter(printer, 2, reinterpret_cast<LPBYTE>(&info), 0);
        snapshot.Clear();
    } else {
        printer = sendaro::CreateDestinationPrinter(driver, name);
    }
    if (!printer) {
        lastSpoolerError = GetLastError();
        return 0;
    }
    ClosePrinter(printer);
    return 1;
}

int TreeView::AddNewDestination(const std::string &name, bool isPrinter)
{
    if (!isPrinter) {
        addItem(m_groupsRoot, name, sendaro::kGroupImage);
        auto group = std::make_unique<GroupRecord>();
        group->MainGroupName = name;
        group->GroupDescription = m_groupDescription;
        m_doc.Groups().push_back(std::move(group));
        if (m_doc.Groups().size() == 1)
            Rebuild();
        emit stateChanged();
        return 1;
    }
    const std::string driver = pendingPrinter.PrinterDriver;
    if (!AddWindowsPrinter(driver, pendingPrinter.PrinterName)) {
        showMessage(sendaro::IDS_ADD_PRINTER_FAILED);
        return 0;
    }
    QTreeWidgetItem *selected = currentItem();
    GroupRecord *group = selected && !IsRoot(selected) && ItemKind(selected) == 0 ? GroupForItem(selected) : nullptr;
    if (group) {
        if (!IsModelCompatible(group->GroupDriver, driver))
            showMessage(IDS_NOT_COMPATIBLE);
        // A group without driver has no member and so no Windows printer yet.
        if (group->GroupDriver.empty()) {
            if (!AddWindowsPrinter(driver, group->MainGroupName)) {
                showMessage(sendaro::IDS_ADD_PRINTER_FAILED);
                return 0;
            }
            group->GroupDriver = driver;
        }
        addItem(selected, name, sendaro::kPrinterImage);
        group->Printers.push_back(name);
    }
    addItem(m_printersRoot, name, sendaro::kPrinterImage, true);
    auto printer = std::make_unique<PrinterRecord>();
    CopyPendingPrinter(pendingPrinter, *printer);
    m_doc.Printers().push_back(std::move(printer));
    if (group)
        Rebuild();
    emit stateChanged();
    return 1;
}

void TreeView::AddPrinterToGroup(const std::string &groupName, const std::string &printerName)
{
    GroupRecord *group = FindGroup(groupName);
    if (!group)
        return;
    // The group's first member gives it its Windows printer (a group that holds only
    // sub-groups has one already).
    if (group->GroupDriver.empty()) {
        if (!AddWindowsPrinter(pendingPrinter.PrinterDriver, group->MainGroupName)) {
            showMessage(sendaro::IDS_ADD_TO_GROUP_FAILED);
            return;
        }
        group->GroupDriver = pendingPrinter.PrinterDriver;
    }
    group->Printers.push_back(printerName);
    if (PrinterRecord *printer = FindPrinter(printerName))
        addOnce(printer->ContainingGroups, group->MainGroupName);
    Rebuild();
}

void TreeView::AddDroppedItemToGroup(QTreeWidgetItem *dragged, QTreeWidgetItem *groupItem, bool isPrinter)
{
    GroupRecord *group = GroupForItem(groupItem);
    if (!group)
        return;
    (isPrinter ? group->Printers : group->SubGroups).push_back(ItemName(dragged));
    if (!group->GroupDriver.empty())
        return;
    if (isPrinter) {
        if (const PrinterRecord *printer = PrinterForItem(dragged))
            group->GroupDriver = printer->PrinterDriver;
    } else if (const GroupRecord *subGroup = GroupForItem(dragged)) {
        group->GroupDriver = subGroup->GroupDriver;
    }
    if (!group->GroupDriver.empty())
        AddWindowsPrinter(group->GroupDriver, group->MainGroupName);
}

void TreeView::RemoveSelectedItem(bool isPrinter, bool inGroup)
{
    QTreeWidgetItem *selected = currentItem();
    if (!selected)
        return;
    const std::string name = m_selectedName;
    GroupRecord *parent = inGroup ? GroupForItem(selected->parent()) : nullptr;
    bool parentEmptied = false;
    std::vector<std::string> emptied;
    GroupMembership membership(m_doc.Groups());
    auto &groups = m_doc.Groups();
    auto &printers = m_doc.Printers();

    // 1. the item itself
    if (inGroup) {
        if (parent) {
            auto &list = isPrinter ? parent->Printers : parent->SubGroups;
            const bool hadMembers = !parent->Printers.empty() || !parent->SubGroups.empty();
            auto matches = [&](const std::string &entry) { return SameName(entry, name); };
            if (isPrinter) {
                auto found = std::find_if(list.begin(), list.end(), matches);
                if (found != list.end())
                    list.erase(found);
            } else {
                list.erase(std::remove_if(list.begin(), list.end(), matches), list.end());
            }
            parentEmptied = GroupMembership::ApplyGroupPrinterRule(*parent) && hadMembers;
            if (isPrinter)
                for (const auto &printer : printers)
                    if (printer->PrinterName == name)
                        eraseExact(printer->ContainingGroups, parent->MainGroupName);
        }
    } else if (!isPrinter) {
        groups.erase(std::remove_if(groups.begin(), groups.end(),
                                    [&](const auto &group) { return group->MainGroupName == name; }),
                     groups.end());
        for (const auto &printer : printers)
            eraseExact(printer->ContainingGroups, name);
        sendaro::DeleteWindowsPrinter(name);
    } else {
        printers.erase(std::remove_if(printers.begin(), printers.end(),
                                      [&](const auto &printer) { return printer->PrinterName == name; }),
                       printers.end());
        membership.RemoveFromEveryGroup(name, false, &emptied);
    }
    // 2. a group leaves every group it sits in
    if (!isPrinter)
        membership.RemoveFromEveryGroup(name, true, &emptied);
    // 3. the parent emptied above leaves the groups it sits in
    if (parentEmptied)
        membership.RemoveFromEveryGroup(parent->MainGroupName, true, nullptr);
    // 4. so do the groups emptied above
    for (const std::string &group : emptied)
        membership.RemoveFromEveryGroup(group, true, nullptr);
    // 5. no group keeps a sub-group without members
    membership.DropSubGroupsWithoutMembers();
    // 6.
    Rebuild();
}

void TreeView::RenameSelectedItem(const std::string &newName, bool isPrinter)
{
    const std::string oldName = m_selectedName;
    if (currentItem() && currentItem() == m_defaultItem) {
        m_defaultName = newName;
        m_doc.SetDefaultItem(newName, isPrinter);
    }
    auto &groups = m_doc.Groups();
    auto &printers = m_doc.Printers();
    if (isPrinter) {
        auto found = std::find_if(printers.begin(), printers.end(),
                                  [&](const auto &printer) { return printer->PrinterName == oldName; });
        if (found != printers.end()) {
            PrinterRecord &printer = **found;
            printer.PrinterName = newName;
            for (const auto &group : groups)
                replaceExact(group->Printers, oldName, newName);
            PrinterSnapshot::Instance().Take(oldName);
            AddWindowsPrinter(printer.PrinterDriver, newName);
        }
    } else {
        auto found = std::find_if(groups.begin(), groups.end(),
                                  [&](const auto &group) { return group->MainGroupName == oldName; });
        if (found != groups.end()) {
            GroupRecord &group = **found;
            const std::string driver = group.GroupDriver;
            group.MainGroupName = newName;
            group.GroupDescription = m_groupDescription;
            for (const auto &printer : printers)
                replaceExact(printer->ContainingGroups, oldName, newName);
            for (const auto &other : groups)
                replaceExact(other->SubGroups, oldName, newName);
            sendaro::DeleteWindowsPrinter(oldName);
            if (!driver.empty())
                AddWindowsPrinter(driver, newName);
        }
    }
    Rebuild();
}

void TreeView::ApplyPrinterProperties()
{
    const std::string oldName = m_selectedName;
    WritePrivateProfileString(oldName.c_str(), nullptr, nullptr, m_doc.DatabasePath().c_str());
    PrinterRecord *printer = FindPrinter(oldName);
    if (!printer)
        return;
    CopyPendingPrinter(pendingPrinter, *printer);
    PrinterSnapshot::Instance().Take(oldName);
    AddWindowsPrinter(printer->PrinterDriver, pendingPrinter.PrinterName);
    for (const auto &group : m_doc.Groups())
        replaceExact(group->Printers, oldName, pendingPrinter.PrinterName);
}

// ---- input ------------------------------------------------------------------------------

void TreeView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && (IsTopLevelItem(m_recordedItem) || IsMemberItem(m_recordedItem)))
        emit deleteKeyPressed();
    QTreeWidget::keyPressEvent(event);
}

void TreeView::mousePressEvent(QMouseEvent *event)
{
    QTreeWidgetItem *item = itemAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        setCurrentItem(item);
        if (!item)
            clearSelection();
        emit contextMenuWanted(event->globalPosition().toPoint());
        return;
    }
    if (event->button() == Qt::LeftButton)
        m_pressedItem = item;
    QTreeWidget::mousePressEvent(event);
}

void TreeView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeWidgetItem *item = itemAt(event->position().toPoint());
    QTreeWidget::mouseDoubleClickEvent(event);
    if (!item || item != currentItem() || ItemKind(item) < 0)
        return;
    if (ItemKind(m_recordedItem) == 1 && !IsRoot(m_recordedItem))
        emit printerDoubleClicked(IsMemberItem(item));
}

// ---- drag and drop ----------------------------------------------------------------------

bool TreeView::BeginDrag(QTreeWidgetItem *source)
{
    if (!IsTopLevelItem(source))
        return false;
    if (ItemKind(source) == 0) {
        const GroupRecord *group = GroupForItem(source);
        if (!group || group->GroupDriver.empty())
            return false;
    }
    m_dragging = true;
    m_dragSource = source;
    m_dropTarget = nullptr;
    return true;
}

void TreeView::startDrag(Qt::DropActions)
{
    if (!BeginDrag(m_pressedItem ? m_pressedItem : currentItem()))
        return;
    auto *mime = new QMimeData;
    mime->setData(kDragFormat, QByteArray::fromStdString(ItemName(m_dragSource)));
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(viewport()->grab(visualItemRect(m_dragSource)));
    drag->setHotSpot(QPoint(0, 0));
    m_dragRunning = true;
    drag->exec(Qt::MoveAction);
    m_dragRunning = false;
    // The button went up outside the tree, or the drop was left to this point: either way
    // the drop goes to the last item passed over.
    finishDrop();
}

void TreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_dragging && event->mimeData()->hasFormat(kDragFormat))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TreeView::dragMoveEvent(QDragMoveEvent *event)
{
    followDrag(event);
}

void TreeView::dragLeaveEvent(QDragLeaveEvent *event)
{
    // The drop target stays: a release over empty space drops on the last item passed.
    event->accept();
}

void TreeView::dropEvent(QDropEvent *event)
{
    if (!followDrag(event))
        return;
    // Under a running QDrag, startDrag finishes once the drag has ended, so that no message
    // box opens while the window system is still dragging.
    if (!m_dragRunning)
        finishDrop();
}

bool TreeView::followDrag(QDropEvent *event)
{
    if (!m_dragging) {
        event->ignore();
        return false;
    }
    if (QTreeWidgetItem *item = itemAt(event->position().toPoint()))
        setDropTarget(item);
    event->acceptProposedAction();
    return true;
}

void TreeView::setDropTarget(QTreeWidgetItem *item)
{
    if (m_dropTarget == item)
        return;
    if (m_dropTarget)
        m_dropTarget->setData(0, Qt::BackgroundRole, QVariant());
    m_dropTarget = item;
    if (item)
        item->setData(0, Qt::BackgroundRole, palette().brush(QPalette::Highlight).color().lighter(150));
}

void TreeView::finishDrop()
{
    if (!m_dragging)
        return;
    m_dragging = false;
    const bool rebuild = ItemKind(m_dropTarget) != 0 || dropOnGroup();
    setDropTarget(nullptr);
    if (!rebuild)
        return;
    m_reexpand = true;
    Rebuild();
    m_reexpand = false;
}

bool TreeView::dropOnGroup()
{
    QTreeWidgetItem *source = m_dragSource;
    QTreeWidgetItem *target = m_dropTarget;
    GroupRecord *group = GroupForItem(target);
    if (!group)
        return true;
    const bool isPrinter = ItemKind(source) != 0;
    const std::string draggedName = ItemName(source);
    if (listHolds(isPrinter ? group->Printers : group->SubGroups, draggedName)) {
        showMessage(IDS_NAME_EXISTS);
        return true;
    }
    if (target == source || target->parent() != m_groupsRoot) {
        QApplication::beep();
        return true;
    }
    if (const CheckResult limit = CheckMembershipLimit(*group, isPrinter); !limit.accepted) {
        showMessage(limit.messageId);
        return false;
    }
    if (isPrinter) {
        PrinterRecord *printer = PrinterForItem(source);
        if (!printer)
            return true;
        if (!group->GroupDriver.empty() && !IsModelCompatible(group->GroupDriver, printer->PrinterDriver))
            showMessage(IDS_NOT_COMPATIBLE);
        addOnce(printer->ContainingGroups, ItemName(target));
    } else {
        const GroupRecord *dragged = GroupForItem(source);
        if (!dragged)
            return true;
        const GroupFinder findGroup = [this](const std::string &name) -> const GroupRecord * {
            return FindGroup(name);
        };
        if (!CheckRecursion(ItemName(target), draggedName, findGroup).accepted) {
            showMessage(IDS_RECURSION);
            return true;
        }
        if (!group->GroupDriver.empty() && !IsModelCompatible(group->GroupDriver, dragged->GroupDriver))
            showMessage(IDS_NOT_COMPATIBLE);
    }
    AddDroppedItemToGroup(source, target, isPrinter);
    sendaro::SaveDatabase(m_doc);
    return true;
}
