#include "manager/dialogs/CCommSetupDlg.h"

#include "manager/database/ManagerStrings.h"
#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/DialogStrings.h"
#include "manager/dialogs/HintLine.h"
#include "manager/dialogs/Prompts.h"
#include "manager/dialogs/SubmissionStrings.h"
#include "ui_CCommSetupDlg.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

const char *const kSection = "IntranetSetup";
const char *const kServerKey = "SmtpServer";
const char *const kSenderKey = "SenderEmail";
const char *const kPortKey = "SmtpPort";
const char *const kSecurityKey = "SmtpSecurity";
const char *const kUserKey = "SmtpUser";
const char *const kPasswordKey = "SmtpPassword";

// The stored values of SmtpSecurity, in the order of the list's entries.
const char *const kSecurityValues[] = {"none", "starttls", "tls"};

// Empty (the services file's smtp port) or a decimal port from 1 to 65535.
bool validPort(const std::string &port)
{
    if (port.empty())
        return true;
    if (port.size() > 5 || !std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    const long value = std::strtol(port.c_str(), nullptr, 10);
    return value >= 1 && value <= 65535;
}

// The list entry of a stored SmtpSecurity (any case; empty means none), or -1 when the
// value is none of them, so that OK does not quietly store another.
int securityIndex(std::string stored)
{
    std::transform(stored.begin(), stored.end(), stored.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (stored.empty())
        return 0;
    for (int i = 0; i < 3; ++i)
        if (stored == kSecurityValues[i])
            return i;
    return -1;
}

} // namespace

CCommSetupDlg::CCommSetupDlg(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CCommSetupDlg>())
{
    m_ui->setupUi(this);
    sendaro::NameControl(m_ui->serverEdit, 1027, m_ui->serverLabel);
    sendaro::NameControl(m_ui->senderEdit, 1028, m_ui->senderLabel);
    sendaro::NameControl(m_ui->portEdit, sendaro::IDC_SMTP_PORT, m_ui->portLabel);
    sendaro::NameControl(m_ui->securityBox, sendaro::IDC_SMTP_SECURITY, m_ui->securityLabel);
    sendaro::NameControl(m_ui->userEdit, sendaro::IDC_SMTP_USER, m_ui->userLabel);
    sendaro::NameControl(m_ui->passwordEdit, sendaro::IDC_SMTP_PASSWORD, m_ui->passwordLabel);
    sendaro::SetUpButtons(this, m_ui->buttons, "communication-setup.html");
    auto *hints = new sendaro::HintLine(m_ui->hintLine);
    hints->watch({m_ui->serverEdit, m_ui->senderEdit, m_ui->portEdit, m_ui->securityBox, m_ui->userEdit,
                  m_ui->passwordEdit});
    for (UINT entry : {sendaro::IDS_SMTP_SECURITY_NONE, sendaro::IDS_SMTP_SECURITY_STARTTLS,
                       sendaro::IDS_SMTP_SECURITY_TLS})
        m_ui->securityBox->addItem(QString::fromStdString(zordb::ManagerString(entry)));

    m_ui->serverEdit->setText(QString::fromStdString(m_file.read(kSection, kServerKey)));
    m_ui->senderEdit->setText(QString::fromStdString(m_file.read(kSection, kSenderKey)));
    m_ui->portEdit->setText(QString::fromStdString(m_file.read(kSection, kPortKey)));
    m_ui->securityBox->setCurrentIndex(securityIndex(m_file.read(kSection, kSecurityKey)));
    m_ui->userEdit->setText(QString::fromStdString(m_file.read(kSection, kUserKey)));
    m_ui->passwordEdit->setText(QString::fromStdString(m_file.read(kSection, kPasswordKey)));
}

CCommSetupDlg::~CCommSetupDlg() = default;

void CCommSetupDlg::accept()
{
    const std::string server = m_ui->serverEdit->text().toStdString();
    const std::string sender = m_ui->senderEdit->text().toStdString();
    const std::string port = m_ui->portEdit->text().trimmed().toStdString();
    const int security = m_ui->securityBox->currentIndex();
    QWidget *failed = nullptr;
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
    } else if (!validPort(port)) {
        sendaro::Prompt(sendaro::IDS_SMTP_PORT_INVALID);
        failed = m_ui->portEdit;
    } else if (security < 0) {
        sendaro::Prompt(sendaro::IDS_SMTP_SECURITY_UNKNOWN);
        failed = m_ui->securityBox;
    } else if (!m_file.write(kSection, {{kServerKey, server},
                                        {kSenderKey, sender},
                                        {kPortKey, port},
                                        {kSecurityKey, kSecurityValues[security]},
                                        {kUserKey, m_ui->userEdit->text().toStdString()},
                                        {kPasswordKey, m_ui->passwordEdit->text().toStdString()}})) {
        sendaro::Prompt(m_file.writeFailure(), MB_OK | MB_ICONSTOP);
        return;
    }
    if (failed) {
        failed->setFocus();
        return;
    }
    QDialog::accept();
}
