// The destination tree, the left pane of the main window: the printers root with one item
// per printer (in the reverse of the document's order) and the groups root with one item per
// group and, under each group, its sub-groups and printers. Items carry no data besides
// their image, which tells their kind; records are found by the item's name.
//
// It also carries the operations that change the destinations and keep the spooler's
// Windows printers in step with them (one Windows printer per printer and per non-empty
// group, on the Internet port), and the drag and drop that puts printers and groups into
// groups.
#pragma once

#include "manager/database/CChooserDoc.h"
#include "manager/dialogs/TreeOperations.h"
#include "manager/shell/PendingPrinter.h"
#include "platform/base/windef.h"

#include <QTimer>
#include <QTreeWidget>

#include <string>

class TreeView : public QTreeWidget, public TreeOperations, public DocumentObserver, public DestinationLookup {
    Q_OBJECT
public:
    using ItemKindOf = TreeOperations::ItemKind;

    // Loads the root captions, gives them to the document and inserts the two roots.
    explicit TreeView(CChooserDoc &doc, QWidget *parent = nullptr);
    ~TreeView() override;

    // DocumentObserver: code 1 rebuilds; the others are the list's.
    void OnUpdate(int code) override;
    void Rebuild();

    // Items.
    QTreeWidgetItem *GroupsRoot() const { return m_groupsRoot; }
    QTreeWidgetItem *PrintersRoot() const { return m_printersRoot; }
    QTreeWidgetItem *RecordedItem() const { return m_recordedItem; }
    QTreeWidgetItem *DefaultItem() const { return m_defaultItem; }
    static int ItemImage(const QTreeWidgetItem *item);
    // 0 group, 1 printer, -1 neither (a root, or no item).
    static int ItemKind(const QTreeWidgetItem *item);
    static bool IsDefaultItem(const QTreeWidgetItem *item);
    static std::string NameWithoutMarker(const std::string &text);
    bool IsRoot(const QTreeWidgetItem *item) const;
    bool IsTopLevelItem(const QTreeWidgetItem *item) const;
    bool IsMemberItem(const QTreeWidgetItem *item) const;
    // The item's name: without the marker for the default item, else its text.
    std::string ItemName(const QTreeWidgetItem *item) const;
    QTreeWidgetItem *FindGroupItem(const std::string &name) const;
    QTreeWidgetItem *FindPrinterItem(const std::string &name) const;
    GroupRecord *GroupForItem(const QTreeWidgetItem *item);
    PrinterRecord *PrinterForItem(const QTreeWidgetItem *item);

    // DestinationLookup: names may carry the default marker.
    GroupRecord *FindGroup(const std::string &name) override;
    PrinterRecord *FindPrinter(const std::string &name) override;

    // TreeOperations.
    ItemKindOf SelectedKind() const override;
    std::string SelectedName() const override { return m_selectedName; }
    ItemKindOf SelectedParentKind() const override;
    std::string RootCaption(bool groups) const override;
    void RenameRoot(bool groups, const std::string &caption) override;
    bool DestinationNameExists(const std::string &name, bool printersFirst) override;
    bool DestinationNameExists(const std::string &name, bool printersFirst) const override;
    int AddNewDestination(const std::string &name, bool isPrinter) override;
    void RenameSelectedItem(const std::string &newName, bool isPrinter) override;
    void RemoveSelectedItem(bool isPrinter, bool inGroup) override;
    void SetGroupDescription(const std::string &description) override { m_groupDescription = description; }
    CChooserDoc &Document() override { return m_doc; }

    // Spooler registration.
    int AddWindowsPrinter(const std::string &driver, const std::string &name);
    void AddPrinterToGroup(const std::string &group, const std::string &printer);
    void AddDroppedItemToGroup(QTreeWidgetItem *dragged, QTreeWidgetItem *group, bool isPrinter);
    void ApplyPrinterProperties();

    PendingPrinter pendingPrinter;
    bool driverInstallPending = false;
    std::string pendingInfPath;
    DWORD lastSpoolerError = 0;

    // Drag and drop: whether a drag of `source` may start; when it may, the drag is on.
    bool BeginDrag(QTreeWidgetItem *source);
    bool IsDragging() const { return m_dragging; }
    QTreeWidgetItem *DropTarget() const { return m_dropTarget; }

signals:
    // The selection, or the tree, changed: the frame updates its commands.
    void stateChanged();
    // Right button: the frame shows its context menu at this screen point.
    void contextMenuWanted(const QPoint &globalPos);
    // Delete key or double click on an item whose command the frame carries out.
    void deleteKeyPressed();
    void printerDoubleClicked(bool memberItem);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

public:
    // After a double-click edit: rebuild 100 ms later, groups expanded again.
    void StartDeferredRebuild();

private:
    ItemKindOf kindOf(const QTreeWidgetItem *item) const;
    QTreeWidgetItem *addItem(QTreeWidgetItem *parent, const std::string &text, int image, bool first = false);
    void onCurrentItemChanged(QTreeWidgetItem *current);
    void onItemExpanded(QTreeWidgetItem *item);
    void onDeferredRebuild();
    void finishDrop();
    // The checks and the change of a drop on a group item; false when a limit ended the
    // drop (no rebuild then).
    bool dropOnGroup();
    // A drag of ours over the tree or released on it: the item under it becomes the drop
    // target. False (the event ignored) for any other drag.
    bool followDrag(QDropEvent *event);
    void setDropTarget(QTreeWidgetItem *item);

    CChooserDoc &m_doc;
    QTreeWidgetItem *m_groupsRoot = nullptr;
    QTreeWidgetItem *m_printersRoot = nullptr;
    QTreeWidgetItem *m_recordedItem = nullptr;
    QTreeWidgetItem *m_defaultItem = nullptr;
    std::string m_selectedName;
    std::string m_defaultName;
    std::string m_docDefaultName;
    std::string m_groupsTitle;
    std::string m_printersTitle;
    std::string m_groupDescription;
    bool m_reexpand = false;
    bool m_deferredRebuild = false;
    QTimer m_rebuildTimer;

    bool m_dragging = false;
    bool m_dragRunning = false; // inside QDrag::exec
    QTreeWidgetItem *m_dragSource = nullptr;
    QTreeWidgetItem *m_dropTarget = nullptr;
    QTreeWidgetItem *m_pressedItem = nullptr;
};
