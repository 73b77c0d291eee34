// What the manager's dialogs ask of and do to the destination tree. TreeView (the shell's
// tree) implements it; the dialogs know only this, so they can be built and tested without
// the main window.
#pragma once

#include <string>

class CChooserDoc;

class TreeOperations {
public:
    // Told by the item's image: the two roots, a group or a printer (the default item is a
    // group or a printer too).
    enum class ItemKind { None, GroupsRoot, PrintersRoot, Group, Printer };

    virtual ~TreeOperations() = default;

    // The selected item's kind and name (without the "{DEFAULT}" mark), and the kind of its
    // parent item (None for a root or when nothing is selected).
    virtual ItemKind SelectedKind() const = 0;
    virtual std::string SelectedName() const = 0;
    virtual ItemKind SelectedParentKind() const = 0;

    // The caption of the groups root (groups true) or of the printers root.
    virtual std::string RootCaption(bool groups) const = 0;
    // Renames a root: its label, the tree's caption of that root (the next save writes it),
    // the selected-item name and the document's copy of the caption.
    virtual void RenameRoot(bool groups, const std::string &caption) = 0;

    // Whether a printer or group of the document, or an installed Windows printer, bears the
    // name (case ignored); printersFirst only changes the search order.
    virtual bool DestinationNameExists(const std::string &name, bool printersFirst) const = 0;

    // The spooler-registration operations of the tree.
    virtual int AddNewDestination(const std::string &name, bool isPrinter) = 0;
    virtual void RenameSelectedItem(const std::string &newName, bool isPrinter) = 0;
    virtual void RemoveSelectedItem(bool isPrinter, bool inGroup) = 0;
    // The description a group rename writes into the renamed group.
    virtual void SetGroupDescription(const std::string &description) = 0;

    virtual CChooserDoc &Document() = 0;
};
