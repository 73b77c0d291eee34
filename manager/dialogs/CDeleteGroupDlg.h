// Delete Group: confirms and carries out the removal of the group selected in the tree.
// A group under the groups root leaves the database; a group shown inside another group is
// only taken out of that group.
#pragma once

#include <QDialog>

#include <memory>
#include <string>

class TreeOperations;

namespace Ui {
class CDeleteGroupDlg;
}

class CDeleteGroupDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDeleteGroupDlg(TreeOperations &tree, QWidget *parent = nullptr);
    ~CDeleteGroupDlg() override;

    // OK: removes the group, then closes with Accepted; the caller saves the database.
    void accept() override;

private:
    std::unique_ptr<Ui::CDeleteGroupDlg> m_ui;
    TreeOperations &m_tree;
    std::string m_name;
};
