#include "manager/dialogs/CRenameDlg.h"

#include "manager/database/CChooserDoc.h"
#include "manager/database/RecordChecks.h"
#include "manager/dialogs/DatabaseSection.h"
#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/ManagerIcons.h"
#include "manager/dialogs/HintLine.h"
#include "manager/dialogs/Prompts.h"
#include "ui_CRenameDlg.h"

#include <QPushButton>

namespace {

using Kind = TreeOperations::ItemKind;

constexpr int kIconSize = 32;
// A root caption is only a label; a destination name is also a Windows printer's name.
constexpr int kRootCaptionMaxLength = 255;
constexpr int kNameMaxLength = 31;

bool IsRoot(Kind kind)
{
    return kind == Kind::GroupsRoot || kind == Kind::PrintersRoot;
}

} // namespace

CRenameDlg::CRenameDlg(TreeOperations &tree, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CRenameDlg>()), m_tree(tree), m_kind(tree.SelectedKind()),
      m_existingName(tree.SelectedName())
{
    m_ui->setupUi(this);
    m_ui->iconLabel->setPixmap(sendaro::ProgramIcon().pixmap(kIconSize));
    m_ui->iconLabel->setObjectName("128");
    sendaro::NameControl(m_ui->existingEdit, 1035, m_ui->existingLabel);
    sendaro::NameControl(m_ui->newNameEdit, 1036, m_ui->newNameLabel);
    sendaro::NameControl(m_ui->descriptionEdit, 1048, m_ui->descriptionLabel);
    sendaro::SetUpButtons(this, m_ui->buttons, "rename.html");
    auto *hints = new sendaro::HintLine(m_ui->hintLine);
    hints->watch({m_ui->existingEdit, m_ui->newNameEdit});

    m_ui->existingEdit->setText(QString::fromStdString(m_existingName));
    m_ui->newNameEdit->setMaxLength(IsRoot(m_kind) ? kRootCaptionMaxLength : kNameMaxLength);
    if (m_kind == Kind::Group) {
        if (const GroupRecord *group = m_tree.Document().FindGroup(m_existingName)) {
            m_ui->descriptionEdit->setText(QString::fromStdString(group->GroupDescription));
            m_ui->descriptionEdit->setCursorPosition(0);
        }
    }

    QPushButton *ok = m_ui->buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(m_ui->newNameEdit, &QLineEdit::textChanged, ok, [ok](const QString &name) { ok->setEnabled(!name.isEmpty()); });
}

CRenameDlg::~CRenameDlg() = default;

void CRenameDlg::accept()
{
    const std::string name = m_ui->newNameEdit->text().toStdString();
    // OK is offered only with a name; accept() can still be called without one.
    if (name.empty())
        return;
    if (!checkName(name)) {
        m_ui->newNameEdit->setFocus();
        return;
    }
    rename(name);
    QDialog::accept();
}

bool CRenameDlg::checkName(const std::string &name)
{
    zordb::CheckResult check =
        zordb::CheckNotRootCaption(name, m_tree.RootCaption(true), m_tree.RootCaption(false), false);
    if (check.accepted)
        check = zordb::CheckGroupNameCharacters(name);
    if (check.accepted)
        check = zordb::CheckNoEdgeSpace(name);
    if (check.accepted && m_tree.DestinationNameExists(name, m_kind == Kind::Printer))
        check = zordb::CheckResult::Refuse(zordb::IDS_NAME_EXISTS);
    if (!check.accepted)
        sendaro::Prompt(check.text);
    return check.accepted;
}

void CRenameDlg::rename(const std::string &name)
{
    if (IsRoot(m_kind)) {
        m_tree.RenameRoot(m_kind == Kind::GroupsRoot, name);
        return;
    }
    const bool isPrinter = m_kind == Kind::Printer;
    if (!isPrinter)
        m_tree.SetGroupDescription(m_ui->descriptionEdit->text().toStdString());
    // The save writes the record under its new name only; the old section goes now.
    sendaro::RemoveRecordSection(m_tree.Document().DatabasePath(), m_existingName);
    m_tree.RenameSelectedItem(name, isPrinter);
}
