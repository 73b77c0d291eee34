#include "manager/dialogs/CNewGroupDlg.h"

#include "manager/database/CChooserDoc.h"
#include "manager/database/RecordChecks.h"
#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/ManagerIcons.h"
#include "manager/dialogs/DialogStrings.h"
#include "manager/dialogs/HintLine.h"
#include "manager/dialogs/Prompts.h"
#include "manager/dialogs/TreeOperations.h"
#include "ui_CNewGroupDlg.h"

#include <QPushButton>

namespace {

constexpr int kIconSize = 32;

} // namespace

CNewGroupDlg::CNewGroupDlg(TreeOperations &tree, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CNewGroupDlg>()), m_tree(tree)
{
    m_ui->setupUi(this);
    m_ui->iconLabel->setPixmap(sendaro::ProgramIcon().pixmap(kIconSize));
    m_ui->iconLabel->setObjectName("128");
    sendaro::NameControl(m_ui->nameEdit, 1000, m_ui->nameLabel);
    sendaro::NameControl(m_ui->descriptionEdit, 1001, m_ui->descriptionLabel);
    sendaro::SetUpButtons(this, m_ui->buttons, "new-group.html");
    auto *hints = new sendaro::HintLine(m_ui->hintLine);
    hints->watch({m_ui->nameEdit, m_ui->descriptionEdit});

    QPushButton *ok = m_ui->buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(m_ui->nameEdit, &QLineEdit::textChanged, ok, [ok](const QString &name) { ok->setEnabled(!name.isEmpty()); });
}

CNewGroupDlg::~CNewGroupDlg() = default;

void CNewGroupDlg::accept()
{
    const std::string name = m_ui->nameEdit->text().toStdString();
    const std::string description = m_ui->descriptionEdit->text().toStdString();
    // OK is offered only with a name; accept() can still be called without one.
    if (name.empty())
        return;
    if (!checkName(name)) {
        m_ui->nameEdit->setFocus();
        return;
    }
    if (description.empty() && sendaro::Prompt(sendaro::IDS_DESCRIPTION_EMPTY, MB_OKCANCEL) != IDOK) {
        m_ui->descriptionEdit->setFocus();
        return;
    }
    m_tree.SetGroupDescription(description);
    if (!m_tree.AddNewDestination(name, false))
        return;
    // The document keeps no pending description, so the new record gets it here; the
    // caller's save writes it.
    if (GroupRecord *group = m_tree.Document().FindGroup(name))
        group->GroupDescription = description;
    QDialog::accept();
}

bool CNewGroupDlg::checkName(const std::string &name)
{
    const std::string groupsCaption = m_tree.RootCaption(true);
    const std::string printersCaption = m_tree.RootCaption(false);
    for (const zordb::CheckResult &check : {zordb::CheckNoEdgeSpace(name), zordb::CheckGroupNameCharacters(name)}) {
        if (!check.accepted) {
            sendaro::Prompt(check.text);
            return false;
        }
    }
    // Too long is only a warning: the group is created all the same.
    if (const zordb::CheckResult warning = zordb::CheckGroupNameLength(name); !warning.accepted)
        sendaro::Prompt(warning.text);
    zordb::CheckResult check = zordb::CheckNotRootCaption(name, groupsCaption, printersCaption, false);
    if (check.accepted && m_tree.DestinationNameExists(name, false))
        check = zordb::CheckResult::Refuse(zordb::IDS_NAME_EXISTS);
    if (!check.accepted)
        sendaro::Prompt(check.text);
    return check.accepted;
}
