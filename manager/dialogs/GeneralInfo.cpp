#include "manager/dialogs/GeneralInfo.h"

#include "manager/database/ManagerStrings.h"
#include "manager/database/RecordChecks.h"
#include "manager/dialogs/ControlExchange.h"
#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/HintLine.h"
#include "manager/dialogs/Prompts.h"
#include "manager/dialogs/PropertyStrings.h"
#include "manager/dialogs/StatusRequest.h"
#include "ui_GeneralInfo.h"

#include <cstdio>

namespace {

constexpr int kTextMaxLength = 255; // description, recipient, location, e-mail
constexpr int kNameMaxLength = 31;

} // namespace

GeneralInfo::GeneralInfo(const PrinterRecord &printer, QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::GeneralInfo>())
{
    m_ui->setupUi(this);
    setObjectName("134");
    sendaro::NameControl(m_ui->nameEdit, 1004, m_ui->nameLabel);
    sendaro::NameControl(m_ui->descriptionEdit, 1007, m_ui->descriptionLabel);
    sendaro::NameControl(m_ui->emailEdit, 1009, m_ui->emailLabel);
    sendaro::NameControl(m_ui->recipientEdit, 1012, m_ui->recipientLabel);
    sendaro::NameControl(m_ui->locationEdit, 1014, m_ui->locationLabel);
    sendaro::NameControl(m_ui->driverEdit, 1015, m_ui->driverLabel);
    sendaro::NameControl(m_ui->statusButton, 1017);
    // The driver field leaves the hint line as it is.
    auto *hints = new sendaro::HintLine(m_ui->hintLine);
    hints->watch({m_ui->nameEdit, m_ui->descriptionEdit, m_ui->emailEdit, m_ui->recipientEdit, m_ui->locationEdit,
                  m_ui->statusButton});

    const struct {
        QLineEdit *edit;
        const std::string &value;
        int maxLength;
    } fields[] = {
        {m_ui->nameEdit, printer.PrinterName, kNameMaxLength},
        {m_ui->descriptionEdit, printer.PrinterDescription, kTextMaxLength},
        {m_ui->emailEdit, printer.PrinterEmail, kTextMaxLength},
        {m_ui->recipientEdit, printer.DefaultRecipient, kTextMaxLength},
        {m_ui->locationEdit, printer.RecipientLocation, kTextMaxLength},
    };
    for (const auto &field : fields) {
        field.edit->setText(QString::fromStdString(field.value));
        sendaro::LimitText(field.edit, field.maxLength);
        field.edit->setCursorPosition(0);
    }
    m_ui->driverEdit->setText(QString::fromStdString(printer.PrinterDriver));
    m_ui->driverEdit->setCursorPosition(0);
    connect(m_ui->statusButton, &QPushButton::clicked, this, &GeneralInfo::getStatus);
}

GeneralInfo::~GeneralInfo() = default;

bool GeneralInfo::TakeValues(PrinterRecord &printer)
{
    if (!sendaro::TakeText(m_ui->descriptionEdit, kTextMaxLength, printer.PrinterDescription) ||
        !sendaro::TakeText(m_ui->recipientEdit, kTextMaxLength, printer.DefaultRecipient) ||
        !sendaro::TakeText(m_ui->locationEdit, kTextMaxLength, printer.RecipientLocation) ||
        !sendaro::TakeText(m_ui->nameEdit, kNameMaxLength, printer.PrinterName))
        return false;
    std::string typed;
    if (!sendaro::TakeText(m_ui->emailEdit, kTextMaxLength, typed))
        return false;
    const zordb::CheckResult check = zordb::ValidatePrinterEmail(typed, printer.PrinterEmail);
    if (!check.accepted) {
        sendaro::Prompt(check.text);
        m_ui->emailEdit->setFocus();
        return false;
    }
    return true;
}

void GeneralInfo::getStatus()
{
    // The request goes to the address typed, even when its check fails (and says so).
    PrinterRecord values;
    TakeValues(values);
    const std::string email = m_ui->emailEdit->text().toStdString();
    if (email.empty())
        return;
    const std::string name = m_ui->nameEdit->text().toStdString();
    const std::string text = zordb::ManagerString(sendaro::IDS_STATUS_SENT) + " \"" + name + "\" at \"" + email +
                             "\" " + zordb::ManagerString(sendaro::IDS_STATUS_REQUESTING);
    sendaro::Prompt(text, MB_OK | MB_ICONEXCLAMATION);
    sendaro::RequestPrinterStatus(name, email);
}
