#include "manager/shell/CAboutDlg.h"

#include "manager/dialogs/ManagerIcons.h"
#include "ui_CAboutDlg.h"

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CAboutDlg>())
{
    m_ui->setupUi(this);
    m_ui->icon->setPixmap(sendaro::ProgramIcon().pixmap(48, 48));
    QFont bold = m_ui->name->font();
    bold.setBold(true);
    m_ui->name->setFont(bold);
    // Controls are named by their ids; a form cannot name a member "1" (IDOK).
    m_ui->okButton->setObjectName("1");
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;
