#include "manager/dialogs/CJobOptionsDlg.h"

#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/DialogStrings.h"
#include "manager/dialogs/Prompts.h"
#include "ui_CJobOptionsDlg.h"

#include <QPushButton>

#include <algorithm>

namespace {

const char *const kSection = "HeaderFooter";
const char *const kStatusKey = "StatusRequired";
const char *const kSubjectKey = "Subject";

// The monitor puts the subject into a mail header line of its own.
constexpr int kDescriptionMaxLength = 64;

enum StatusBit : unsigned { kJobPrinted = 1, kOnError = 2, kTraceJob = 4 };

} // namespace

CJobOptionsDlg::CJobOptionsDlg(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CJobOptionsDlg>())
{
    m_ui->setupUi(this);
    sendaro::NameControl(m_ui->jobPrintedBox, 141);
    sendaro::NameControl(m_ui->onErrorBox, 133);
    sendaro::NameControl(m_ui->traceJobBox, 145);
    sendaro::NameControl(m_ui->descriptionEdit, 143, m_ui->descriptionLabel);
    sendaro::SetUpButtons(this, m_ui->buttons, "job-options.html");

    m_acceptedDescription = QString::fromStdString(m_file.read(kSection, kSubjectKey));
    m_ui->descriptionEdit->setText(m_acceptedDescription);
    const unsigned status = m_file.readNumber(kSection, kStatusKey);
    m_ui->jobPrintedBox->setChecked(status & kJobPrinted);
    m_ui->onErrorBox->setChecked(status & kOnError);
    m_ui->traceJobBox->setChecked(status & kTraceJob);

    connect(m_ui->descriptionEdit, &QLineEdit::textEdited, this, &CJobOptionsDlg::limitDescription);
    connect(m_ui->buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] { apply(); });
}

CJobOptionsDlg::~CJobOptionsDlg() = default;

void CJobOptionsDlg::accept()
{
    if (apply())
        QDialog::accept();
}

bool CJobOptionsDlg::apply()
{
    const unsigned status = (m_ui->jobPrintedBox->isChecked() ? kJobPrinted : 0u) |
                            (m_ui->onErrorBox->isChecked() ? kOnError : 0u) |
                            (m_ui->traceJobBox->isChecked() ? kTraceJob : 0u);
    const sendaro::VComDefFile::Values values = {
        {kStatusKey, std::to_string(status)},
        {"HeaderFooterRequired", "0"},
        {"From", ""},
        {"Location", ""},
        {"Notes", ""},
        {kSubjectKey, m_ui->descriptionEdit->text().toStdString()},
    };
    if (m_file.write(kSection, values))
        return true;
    sendaro::Prompt(m_file.writeFailure(), MB_OK | MB_ICONSTOP);
    return false;
}

void CJobOptionsDlg::limitDescription(const QString &text)
{
    if (text.size() <= kDescriptionMaxLength || text.size() <= m_acceptedDescription.size()) {
        m_acceptedDescription = text;
        return;
    }
    QLineEdit *edit = m_ui->descriptionEdit;
    const int cursor = edit->cursorPosition() - static_cast<int>(text.size() - m_acceptedDescription.size());
    edit->setText(m_acceptedDescription);
    edit->setCursorPosition(std::max(0, cursor));
    sendaro::Prompt(sendaro::IDS_SUBJECT_LENGTH);
}
