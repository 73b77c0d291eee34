// Rename: gives the selected printer or group a new name, or a new caption to one of the two
// root items of the tree.
#pragma once

#include "manager/dialogs/TreeOperations.h"

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class CRenameDlg;
}

class CRenameDlg : public QDialog {
    Q_OBJECT
public:
    // For a group, the description edit shows the group's description (read-only): a rename
    // writes it back unchanged, so the group keeps it.
    explicit CRenameDlg(TreeOperations &tree, QWidget *parent = nullptr);
    ~CRenameDlg() override;

    // OK: the checks in order (not a root caption, characters, no space first or last, not
    // in use), then the rename, and the dialog closes; the caller saves the database. A
    // refusal keeps the dialog open on the new-name edit.
    void accept() override;

private:
    // True when the new name passes; otherwise its message has been shown.
    bool checkName(const std::string &name);
    void rename(const std::string &name);

    std::unique_ptr<Ui::CRenameDlg> m_ui;
    TreeOperations &m_tree;
    TreeOperations::ItemKind m_kind;
    std::string m_existingName;
};
