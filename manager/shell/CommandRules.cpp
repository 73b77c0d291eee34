#include "manager/shell/CommandRules.h"

#include "manager/database/CChooserDoc.h"
#include "manager/database/GroupRules.h"
#include "manager/database/NameCompare.h"
#include "manager/database/RecordLists.h"
#include "manager/shell/TreeView.h"

#include <algorithm>

namespace sendaro {

bool CanAddPrinter(const TreeView &tree, CChooserDoc &doc)
{
    if (doc.Printers().size() > kMaxPrinters)
        return false;
    const QTreeWidgetItem *selected = tree.currentItem();
    if (selected && !tree.IsRoot(selected) && !tree.IsTopLevelItem(selected))
        return false;
    if (TreeView::ItemKind(selected) == 0)
        if (const GroupRecord *group = zordb::FindGroupIn(doc.Groups(), tree.ItemName(selected)))
            return group->Printers.size() < kMaxGroupMembers;
    return true;
}

bool CanAddGroup(CChooserDoc &doc)
{
    return doc.Groups().size() <= kMaxGroups;
}

bool CanImport(CChooserDoc &doc)
{
    return doc.Printers().size() <= kMaxPrinters;
}

bool CanAddPrinterToGroup(TreeView &tree, CChooserDoc &doc)
{
    const QTreeWidgetItem *selected = tree.currentItem();
    if (TreeView::ItemKind(selected) != 1 || selected->parent() != tree.PrintersRoot())
        return false;
    const PrinterRecord *printer = tree.PrinterForItem(selected);
    if (!printer)
        return false;
    return std::any_of(doc.Groups().begin(), doc.Groups().end(), [&](const auto &group) {
        const bool compatible =
            group->GroupDriver.empty() || zordb::IsDriverCompatible(group->GroupDriver, printer->PrinterDriver);
        const bool listed = std::any_of(group->Printers.begin(), group->Printers.end(), [&](const std::string &name) {
            return zordb::SameName(name, printer->PrinterName);
        });
        return compatible && !listed;
    });
}

bool CanDelete(const TreeView &tree)
{
    const QTreeWidgetItem *recorded = tree.RecordedItem();
    return tree.currentItem() && recorded && recorded != tree.GroupsRoot() &&
           (tree.IsTopLevelItem(recorded) || tree.IsMemberItem(recorded));
}

bool CanRename(const TreeView &tree)
{
    const QTreeWidgetItem *selected = tree.currentItem();
    return tree.IsRoot(selected) || (selected && tree.IsTopLevelItem(tree.RecordedItem()));
}

bool CanShowProperties(const TreeView &tree)
{
    const QTreeWidgetItem *recorded = tree.RecordedItem();
    return tree.currentItem() && recorded && !tree.IsRoot(recorded);
}

} // namespace sendaro
