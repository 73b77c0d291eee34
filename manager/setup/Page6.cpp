#include "manager/setup/Page6.h"

#include "manager/setup/CMyWizard.h"
#include "manager/setup/Page2.h"
#include "manager/setup/Page4.h"
#include "manager/setup/Page5.h"
#include "ui_Page6.h"

namespace {

const char *enabledText(int box)
{
    return box == 1 ? "Enabled" : "Disabled";
}

} // namespace

Page6::Page6(QWidget *parent) : WizardPage(parent), m_ui(std::make_unique<Ui::Page6>())
{
    m_ui->setupUi(this);
    SetUpPicture(m_ui->pictureLabel);
    m_ui->summaryEdit->setObjectName("1005");
    m_ui->summaryEdit->setAccessibleName(m_ui->instructionLabel->text());
}

Page6::~Page6() = default;

void Page6::BuildSummary()
{
    const CMyWizard *sheet = Sheet();
    if (!sheet)
        return;
    const Page2 &names = *sheet->page2();
    const Page5 &details = *sheet->page5();
    const std::pair<const char *, std::string> lines[] = {
        {"Printer Name", names.PrinterName()},
        {"Printer E-mail", names.PrinterEmail()},
        {"Printer Driver", sheet->page4()->SelectedDriver()},
        {"Printer Description", details.PrinterDescription()},
        {"Default Recipient", details.DefaultRecipient()},
        {"Recipient Location", details.RecipientLocation()},
        {"LimitMessageSize", enabledText(details.LimitSize())},
        {"MaxMessageSize", std::to_string(details.MessageSize())},
        {"BannerPage", enabledText(details.Banner())},
        {"TrailerPage", enabledText(details.Trailer())},
    };
    m_summary.clear();
    for (const auto &[caption, value] : lines)
        m_summary += std::string(caption) + " : " + value + "\r\n";
    m_ui->summaryEdit->setPlainText(QString::fromStdString(m_summary).replace("\r\n", "\n"));
}
