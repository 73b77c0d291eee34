// New Group: creates an empty group from a name and a description.
#pragma once

#include <QDialog>

#include <memory>
#include <string>

class TreeOperations;

namespace Ui {
class CNewGroupDlg;
}

class CNewGroupDlg : public QDialog {
    Q_OBJECT
public:
    explicit CNewGroupDlg(TreeOperations &tree, QWidget *parent = nullptr);
    ~CNewGroupDlg() override;

    // OK: the name checks in order (no space first or last, characters, the length warning,
    // not a root caption, not in use), the question on an empty description, then the group
    // is added and the dialog closes; the caller saves the database. A refusal keeps the
    // dialog open on the failing edit.
    void accept() override;

private:
    // True when the name passes; otherwise its message has been shown.
    bool checkName(const std::string &name);

    std::unique_ptr<Ui::CNewGroupDlg> m_ui;
    TreeOperations &m_tree;
};
