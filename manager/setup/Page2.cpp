#include "manager/setup/Page2.h"

#include "manager/database/CChooserDoc.h"
#include "manager/database/RecordChecks.h"
#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/Prompts.h"
#include "manager/dialogs/TreeOperations.h"
#include "ui_Page2.h"

Page2::Page2(TreeOperations &tree, QWidget *parent) : WizardPage(parent), m_ui(std::make_unique<Ui::Page2>()), m_tree(tree)
{
    m_ui->setupUi(this);
    SetUpPicture(m_ui->pictureLabel);
    sendaro::NameControl(m_ui->nameEdit, 1040, m_ui->nameLabel);
    sendaro::NameControl(m_ui->emailEdit, 1054, m_ui->emailLabel);
    SetUpHints(m_ui->hintLine, {m_ui->nameEdit, m_ui->emailEdit});
}

Page2::~Page2() = default;

bool Page2::validatePage()
{
    return takeValues();
}

bool Page2::takeValues()
{
    zordb::PrinterNameContext context;
    context.selectedName = m_tree.SelectedName();
    context.groupsTitle = m_tree.RootCaption(true);
    context.printersTitle = m_tree.RootCaption(false);
    context.lookup = &m_tree.Document();
    zordb::CheckResult check = zordb::ValidatePrinterName(m_ui->nameEdit->text().toStdString(), context, m_printerName);
    QLineEdit *failed = m_ui->nameEdit;
    if (check.accepted) {
        check = zordb::ValidatePrinterEmail(m_ui->emailEdit->text().toStdString(), m_printerEmail);
        failed = m_ui->emailEdit;
    }
    if (check.accepted)
        return true;
    sendaro::Prompt(check.text);
    failed->setFocus();
    failed->selectAll();
    return false;
}
