#include "manager/setup/WizardPage.h"

#include "manager/dialogs/HintLine.h"
#include "manager/setup/CMyWizard.h"
#include "manager/setup/WizardPicture.h"

void WizardPage::initializePage()
{
    if (m_created)
        return;
    m_created = true;
    OnInitDialog();
}

CMyWizard *WizardPage::Sheet() const
{
    return qobject_cast<CMyWizard *>(wizard());
}

void WizardPage::SetUpPicture(QLabel *picture)
{
    sendaro::ShowWizardPicture(picture);
}

void WizardPage::SetUpHints(QLabel *hintLine, std::initializer_list<QWidget *> controls)
{
    auto *hints = new sendaro::HintLine(hintLine);
    hints->watch(controls);
}
