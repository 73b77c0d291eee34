#include "manager/setup/ThirdPage.h"

#include "manager/database/CChooserDoc.h"
#include "manager/dialogs/TreeOperations.h"
#include "manager/setup/CMyWizard.h"
#include "manager/setup/SecondPage.h"
#include "ui_ThirdPage.h"

namespace {

std::string joined(const std::vector<std::string> &names)
{
    std::string text;
    for (const std::string &name : names)
        text += (text.empty() ? "" : ",") + name;
    return text;
}

} // namespace

ThirdPage::ThirdPage(TreeOperations &tree, QWidget *parent)
    : WizardPage(parent), m_ui(std::make_unique<Ui::ThirdPage>()), m_tree(tree)
{
    m_ui->setupUi(this);
    SetUpPicture(m_ui->pictureLabel);
    m_ui->summaryEdit->setObjectName("1006");
    m_ui->summaryEdit->setAccessibleName(m_ui->instructionLabel->text());
}

ThirdPage::~ThirdPage() = default;

void ThirdPage::BuildSummary()
{
    const CMyWizard *sheet = Sheet();
    if (!sheet)
        return;
    const GroupRecord *group = m_tree.Document().FindGroup(sheet->secondPage()->ChosenGroup());
    if (!group)
        return;
    // The captions keep the padding of the system's text.
    const std::string summary = "GroupName          : " + group->MainGroupName + "\r\n" +
                                "Groupdescription   : " + group->GroupDescription + "\r\n" +
                                "SubGroups            : " + joined(group->SubGroups) + "\r\n" +
                                "Printers                  : " + joined(group->Printers) + "\r\n" +
                                "GroupDriver          : " + group->GroupDriver + "\r\n";
    m_ui->summaryEdit->setPlainText(QString::fromStdString(summary).replace("\r\n", "\n"));
}

QString ThirdPage::SummaryText() const
{
    return m_ui->summaryEdit->toPlainText();
}

void ThirdPage::cleanupPage()
{
    if (const CMyWizard *sheet = Sheet())
        sheet->secondPage()->FocusList();
}
