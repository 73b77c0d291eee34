#include "manager/setup/Page5.h"

#include "manager/database/RecordChecks.h"
#include "manager/database/RecordLimits.h"
#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/Prompts.h"
#include "manager/setup/CMyWizard.h"
#include "manager/setup/Page6.h"
#include "manager/setup/SetupStrings.h"
#include "manager/setup/NumberText.h"
#include "ui_Page5.h"

namespace {

// A text of this length or more draws its warning; the page goes on all the same.
constexpr size_t kLongText = 256;

std::string controlText(const QLineEdit *edit)
{
    return edit->text().toStdString().substr(0, zordb::kControlTextMaxLength);
}

int ticked(const QCheckBox *box)
{
    return box->isChecked() ? 1 : 0;
}

} // namespace

Page5::Page5(QWidget *parent) : WizardPage(parent), m_ui(std::make_unique<Ui::Page5>())
{
    m_ui->setupUi(this);
    SetUpPicture(m_ui->pictureLabel);
    sendaro::NameControl(m_ui->descriptionEdit, 1042, m_ui->descriptionLabel);
    sendaro::NameControl(m_ui->recipientEdit, 1044, m_ui->recipientLabel);
    sendaro::NameControl(m_ui->locationEdit, 1010, m_ui->locationLabel);
    sendaro::NameControl(m_ui->passwordEdit, 1013, m_ui->passwordLabel);
    sendaro::NameControl(m_ui->confirmEdit, 1046, m_ui->confirmLabel);
    sendaro::NameControl(m_ui->bannerCheck, 1016);
    sendaro::NameControl(m_ui->trailerCheck, 1045);
    sendaro::NameControl(m_ui->limitCheck, 1021);
    m_ui->sizeEdit->setObjectName("1023");
    m_ui->sizeEdit->setAccessibleName(m_ui->limitCheck->accessibleName());
    m_ui->sizeSpin->setObjectName("1025");
    m_ui->sizeSpin->setAccessibleName(m_ui->limitCheck->accessibleName());
    m_ui->sizeEdit->setMaximumWidth(m_ui->sizeEdit->fontMetrics().horizontalAdvance("00000") + 16);
    m_ui->sizeSpin->SetBuddy(m_ui->sizeEdit);
    m_ui->sizeSpin->SetRange(zordb::kPacketSizeMinKb, zordb::kPacketSizeMaxKb);
    m_ui->sizeEdit->setText(QString::number(m_messageSize));
    enableSize();
    connect(m_ui->limitCheck, &QCheckBox::clicked, this, &Page5::enableSize);
    SetUpHints(m_ui->hintLine, {m_ui->descriptionEdit, m_ui->recipientEdit, m_ui->locationEdit, m_ui->passwordEdit,
                                m_ui->confirmEdit, m_ui->bannerCheck, m_ui->trailerCheck, m_ui->limitCheck,
                                m_ui->sizeSpin});
}

Page5::~Page5() = default;

void Page5::enableSize()
{
    const bool limited = m_ui->limitCheck->isChecked();
    m_ui->sizeEdit->setEnabled(limited);
    m_ui->sizeSpin->setEnabled(limited);
}

bool Page5::validatePage()
{
    // First the values without the pair and the range, for the warnings and the summary.
    m_goingBack = true;
    const bool taken = takeValues();
    m_goingBack = false;
    if (taken) {
        const struct {
            const std::string &text;
            UINT warning;
        } longTexts[] = {
            {m_location, sendaro::IDS_LOCATION_TOO_LONG},
            {m_description, sendaro::IDS_DESCRIPTION_TOO_LONG},
            {m_recipient, sendaro::IDS_RECIPIENT_TOO_LONG},
            {m_password, sendaro::IDS_PASSWORD_TOO_LONG},
        };
        for (const auto &entry : longTexts)
            if (entry.text.size() >= kLongText)
                sendaro::Prompt(entry.warning);
        if (Page6 *summary = Sheet() ? Sheet()->page6() : nullptr; summary && summary->IsCreated())
            summary->BuildSummary();
    }
    // A size that is no number has been told once already.
    return takeValues(taken ? 0u : UINT(sendaro::IDS_ENTER_POSITIVE_INTEGER));
}

bool Page5::takeValues(UINT quiet)
{
    auto fail = [quiet](UINT id, const std::string &text, QWidget *control) {
        if (quiet == 0 || id != quiet)
            sendaro::Prompt(text);
        control->setFocus();
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            edit->selectAll();
        return false;
    };
    if (!m_goingBack) {
        const zordb::CheckResult pair = zordb::ValidatePasswordPair(controlText(m_ui->confirmEdit),
                                                                    controlText(m_ui->passwordEdit), m_password);
        if (!pair.accepted)
            return fail(pair.messageId, pair.text, m_ui->confirmEdit);
    }
    m_recipient = controlText(m_ui->recipientEdit);
    m_password = controlText(m_ui->passwordEdit);
    m_description = controlText(m_ui->descriptionEdit);
    m_location = controlText(m_ui->locationEdit);
    m_trailer = ticked(m_ui->trailerCheck);
    m_banner = ticked(m_ui->bannerCheck);
    m_limitSize = ticked(m_ui->limitCheck);
    const std::optional<unsigned> size = sendaro::ParseUnsigned(controlText(m_ui->sizeEdit));
    if (!size)
        return fail(sendaro::IDS_ENTER_POSITIVE_INTEGER, zordb::ManagerString(sendaro::IDS_ENTER_POSITIVE_INTEGER),
                    m_ui->sizeEdit);
    m_messageSize = int(*size);
    if (!m_goingBack && (*size < unsigned(zordb::kPacketSizeMinKb) || *size > unsigned(zordb::kPacketSizeMaxKb)))
        return fail(sendaro::IDS_ENTER_INTEGER_RANGE,
                    sendaro::RangeMessage(zordb::kPacketSizeMinKb, zordb::kPacketSizeMaxKb), m_ui->sizeEdit);
    return true;
}
