#include "manager/dialogs/AdvancedInfo.h"

#include "manager/database/RecordChecks.h"
#include "manager/dialogs/ControlExchange.h"
#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/HintLine.h"
#include "manager/dialogs/Prompts.h"
#include "ui_AdvancedInfo.h"

namespace {

constexpr int kPasswordMaxLength = 10;
constexpr int kSizeLow = 2;
constexpr int kSizeHigh = 100;

} // namespace

AdvancedInfo::AdvancedInfo(const PrinterRecord &printer, QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::AdvancedInfo>())
{
    m_ui->setupUi(this);
    setObjectName("146");
    sendaro::NameControl(m_ui->passwordEdit, 1033, m_ui->passwordLabel);
    sendaro::NameControl(m_ui->confirmEdit, 1034, m_ui->confirmLabel);
    sendaro::NameControl(m_ui->bannerCheck, 1037);
    sendaro::NameControl(m_ui->trailerCheck, 1038);
    sendaro::NameControl(m_ui->limitCheck, 1024);
    m_ui->sizeEdit->setObjectName("1029");
    m_ui->sizeEdit->setAccessibleName(m_ui->limitCheck->accessibleName());
    m_ui->sizeUpDown->setObjectName("1026");
    m_ui->sizeUpDown->setAccessibleName(m_ui->limitCheck->accessibleName());
    auto *hints = new sendaro::HintLine(m_ui->hintLine);
    hints->watch({m_ui->passwordEdit, m_ui->confirmEdit, m_ui->bannerCheck, m_ui->trailerCheck, m_ui->limitCheck,
                  m_ui->sizeEdit, m_ui->sizeUpDown});

    // The confirmation starts with the stored password, so an unchanged pair passes.
    for (QLineEdit *edit : {m_ui->passwordEdit, m_ui->confirmEdit}) {
        edit->setText(QString::fromStdString(printer.PrinterPassword));
        sendaro::LimitText(edit, kPasswordMaxLength);
    }
    m_ui->bannerCheck->setChecked(printer.HeaderPage);
    m_ui->trailerCheck->setChecked(printer.TrailerPage);
    m_ui->limitCheck->setChecked(printer.LimitPacketSize);
    m_ui->sizeEdit->setText(QString::number(printer.MaxPacketSizeInKb));
    m_ui->sizeUpDown->SetBuddy(m_ui->sizeEdit);
    m_ui->sizeUpDown->SetRange(kSizeLow, kSizeHigh);
    enableSize();
    connect(m_ui->limitCheck, &QCheckBox::clicked, this, &AdvancedInfo::enableSize);
}

AdvancedInfo::~AdvancedInfo() = default;

void AdvancedInfo::enableSize()
{
    const bool limited = m_ui->limitCheck->isChecked();
    m_ui->sizeEdit->setEnabled(limited);
    m_ui->sizeUpDown->setEnabled(limited);
}

bool AdvancedInfo::TakeValues(PrinterRecord &printer)
{
    std::string password = m_ui->passwordEdit->text().toStdString();
    const zordb::CheckResult pair = zordb::ValidatePasswordPair(m_ui->confirmEdit->text().toStdString(),
                                                                m_ui->passwordEdit->text().toStdString(), password);
    if (!pair.accepted) {
        sendaro::Prompt(pair.text);
        m_ui->confirmEdit->setFocus();
        return false;
    }
    std::string confirmation;
    if (!sendaro::TakeText(m_ui->passwordEdit, kPasswordMaxLength, printer.PrinterPassword))
        return false;
    printer.LimitPacketSize = m_ui->limitCheck->isChecked();
    if (!sendaro::TakeText(m_ui->confirmEdit, kPasswordMaxLength, confirmation))
        return false;
    printer.TrailerPage = m_ui->trailerCheck->isChecked();
    printer.HeaderPage = m_ui->bannerCheck->isChecked();
    // A disabled edit is still taken: the stored size must lie in the range too.
    return sendaro::TakeInteger(m_ui->sizeEdit, kSizeLow, kSizeHigh, printer.MaxPacketSizeInKb);
}
