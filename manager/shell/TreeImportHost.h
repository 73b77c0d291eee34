// The main window's side of an import: the tree creates the Windows printers (so the
// pending driver installation and lastSpoolerError work as for every other addition), the
// messages are message boxes, and the refusals are shown in the Error Information dialog.
#pragma once

#include "manager/database/ImportHost.h"

class QWidget;
class TreeView;

class TreeImportHost : public ImportHost {
public:
    TreeImportHost(TreeView &tree, QWidget *owner) : m_tree(tree), m_owner(owner) {}

    int AddWindowsPrinter(const std::string &driver, const std::string &name) override;
    DWORD LastSpoolerError() const override;
    void ShowMessage(const std::string &text) override;
    void ShowImportErrors(const std::vector<ImportErrorItem> &errors) override;

private:
    TreeView &m_tree;
    QWidget *m_owner;
};
