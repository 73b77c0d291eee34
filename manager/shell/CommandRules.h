// When each command of the main frame is enabled: the command table's rules over the tree's
// selection and the document's lists.
#pragma once

class CChooserDoc;
class TreeView;

namespace sendaro {

// The database limits the commands keep: 150 printers, 50 groups, 7 printers in a group.
inline constexpr unsigned kMaxPrinters = 150;
inline constexpr unsigned kMaxGroups = 50;
inline constexpr unsigned kMaxGroupMembers = 7;

bool CanAddPrinter(const TreeView &tree, CChooserDoc &doc);
bool CanAddGroup(CChooserDoc &doc);
bool CanImport(CChooserDoc &doc);
bool CanAddPrinterToGroup(TreeView &tree, CChooserDoc &doc);
bool CanDelete(const TreeView &tree);
bool CanRename(const TreeView &tree);
bool CanShowProperties(const TreeView &tree);

} // namespace sendaro
