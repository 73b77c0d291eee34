#include "manager/dialogs/CDeleteGroupDlg.h"

#include "manager/database/CChooserDoc.h"
#include "manager/dialogs/DatabaseSection.h"
#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/HintLine.h"
#include "manager/dialogs/TreeOperations.h"
#include "ui_CDeleteGroupDlg.h"

CDeleteGroupDlg::CDeleteGroupDlg(TreeOperations &tree, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDeleteGroupDlg>()), m_tree(tree), m_name(tree.SelectedName())
{
    m_ui->setupUi(this);
    sendaro::NameControl(m_ui->nameEdit, 1030, m_ui->deletingLabel);
    sendaro::SetUpButtons(this, m_ui->buttons, "delete-group.html");
    auto *hints = new sendaro::HintLine(m_ui->hintLine);
    hints->watch({m_ui->nameEdit});
    m_ui->nameEdit->setText(QString::fromStdString(m_name));
}

CDeleteGroupDlg::~CDeleteGroupDlg() = default;

void CDeleteGroupDlg::accept()
{
    const bool inGroup = m_tree.SelectedParentKind() != TreeOperations::ItemKind::GroupsRoot;
    // A group taken out of one group stays in the database, and so does its section. The
    // section of a deleted group goes at once (the save never drops a section); should that
    // write fail, the save that follows still leaves the group out of the index.
    if (!inGroup)
        sendaro::RemoveRecordSection(m_tree.Document().DatabasePath(), m_name);
    m_tree.RemoveSelectedItem(false, inGroup);
    QDialog::accept();
}
