// Delete Printer: confirms and carries out the removal of the printer selected in the tree.
// A printer under the printers root leaves the database together with its Windows printer;
// a printer shown inside a group is only taken out of that group.
#pragma once

#include <QDialog>

#include <memory>
#include <string>

class TreeOperations;

namespace Ui {
class CDeletePrinterDlg;
}

class CDeletePrinterDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDeletePrinterDlg(TreeOperations &tree, QWidget *parent = nullptr);
    ~CDeletePrinterDlg() override;

    // OK: removes the printer, then closes with Accepted; the caller saves the database.
    // When its Windows printer exists but cannot be deleted, says so and stays open with
    // nothing changed.
    void accept() override;

private:
    // Deletes the Windows printer and the record; false after a message when the spooler
    // refused.
    bool deleteFromDatabase();

    std::unique_ptr<Ui::CDeletePrinterDlg> m_ui;
    TreeOperations &m_tree;
    std::string m_name;
};
