#include "manager/dialogs/CDeletePrinterDlg.h"

#include "manager/database/CChooserDoc.h"
#include "manager/dialogs/DatabaseSection.h"
#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/DialogStrings.h"
#include "manager/dialogs/HintLine.h"
#include "manager/dialogs/MessageText.h"
#include "manager/dialogs/Prompts.h"
#include "manager/dialogs/TreeOperations.h"
#include "platform/base/lasterror.h"
#include "platform/spooler/spooler.h"
#include "ui_CDeletePrinterDlg.h"

CDeletePrinterDlg::CDeletePrinterDlg(TreeOperations &tree, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDeletePrinterDlg>()), m_tree(tree), m_name(tree.SelectedName())
{
    m_ui->setupUi(this);
    sendaro::NameControl(m_ui->nameEdit, 1031, m_ui->deletingLabel);
    sendaro::SetUpButtons(this, m_ui->buttons, "delete-printer.html");
    auto *hints = new sendaro::HintLine(m_ui->hintLine);
    hints->watch({m_ui->nameEdit});
    m_ui->nameEdit->setText(QString::fromStdString(m_name));
}

CDeletePrinterDlg::~CDeletePrinterDlg() = default;

void CDeletePrinterDlg::accept()
{
    if (m_tree.SelectedParentKind() != TreeOperations::ItemKind::PrintersRoot) {
        // Taken out of the group it sits in: the printer and its section stay.
        m_tree.RemoveSelectedItem(true, true);
    } else if (!deleteFromDatabase()) {
        return;
    }
    QDialog::accept();
}

bool CDeletePrinterDlg::deleteFromDatabase()
{
    std::string name = m_name;
    HANDLE printer = nullptr;
    if (OpenPrinter(name.data(), &printer, nullptr)) {
        if (!DeletePrinter(printer)) {
            const DWORD error = GetLastError();
            ClosePrinter(printer);
            sendaro::Prompt(sendaro::FormatMessageText(sendaro::IDS_PRINTER_NOT_DELETED, m_name, error),
                            MB_OK | MB_ICONSTOP);
            return false;
        }
    } else if (GetLastError() != ERROR_INVALID_PRINTER_NAME) {
        sendaro::Prompt(sendaro::FormatMessageText(sendaro::IDS_PRINTER_NOT_DELETED, m_name, GetLastError()),
                        MB_OK | MB_ICONSTOP);
        return false;
    }
    // A printer whose Windows printer is already gone still leaves the database: keeping it
    // would make it impossible to delete at all.
    sendaro::RemoveRecordSection(m_tree.Document().DatabasePath(), m_name);
    m_tree.RemoveSelectedItem(true, false);
    if (printer)
        ClosePrinter(printer);
    return true;
}
