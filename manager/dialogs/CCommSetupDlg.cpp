#include "manager/dialogs/CCommSetupDlg.h"

#include "manager/database/ManagerStrings.h"
#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/DialogStrings.h"
#include "manager/dialogs/HintLine.h"
#include "manager/dialogs/Prompts.h"
#include "ui_CCommSetupDlg.h"

namespace {

const char *const kSection = "IntranetSetup";
const char *const kServerKey = "SmtpServer";
const char *const kSenderKey = "SenderEmail";

} // namespace

CCommSetupDlg::CCommSetupDlg(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CCommSetupDlg>())
{
    m_ui->setupUi(this);
    sendaro::NameControl(m_ui->serverEdit, 1027, m_ui->serverLabel);
    sendaro::NameControl(m_ui->senderEdit, 1028, m_ui->senderLabel);
    sendaro::SetUpButtons(this, m_ui->buttons, "communication-setup.html");
    auto *hints = new sendaro::HintLine(m_ui->hintLine);
    hints->watch({m_ui->serverEdit, m_ui->senderEdit});

    m_ui->serverEdit->setText(QString::fromStdString(m_file.read(kSection, kServerKey)));
    m_ui->senderEdit->setText(QString::fromStdString(m_file.read(kSection, kSenderKey)));
}

CCommSetupDlg::~CCommSetupDlg() = default;

void CCommSetupDlg::accept()
{
    const std::string server = m_ui->serverEdit->text().toStdString();
    const std::string sender = m_ui->senderEdit->text().toStdString();
    QLineEdit *failed = nullptr;
    if (server.empty()) {
        sendaro::Prompt(sendaro::IDS_HOST_EMPTY);
        failed = m_ui->serverEdit;
    } else if (sender.empty()) {
        sendaro::Prompt(sendaro::IDS_SENDER_EMPTY);
        failed = m_ui->senderEdit;
    } else if (server.back() == ' ') {
        // Only the end is tested: a leading blank is accepted as it is.
        sendaro::Prompt(zordb::IDS_NAME_EDGE_SPACE);
        failed = m_ui->serverEdit;
    } else if (!m_file.write(kSection, {{kServerKey, server}, {kSenderKey, sender}})) {
        sendaro::Prompt(m_file.writeFailure(), MB_OK | MB_ICONSTOP);
        return;
    }
    if (failed) {
        failed->setFocus();
        return;
    }
    QDialog::accept();
}
