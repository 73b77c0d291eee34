#include "manager/setup/CMyWizard.h"

#include "manager/dialogs/HelpWindow.h"
#include "manager/dialogs/ManagerIcons.h"
#include "manager/setup/FirstPage.h"
#include "manager/setup/Page1.h"
#include "manager/setup/Page2.h"
#include "manager/setup/Page4.h"
#include "manager/setup/Page5.h"
#include "manager/setup/Page6.h"
#include "manager/setup/SecondPage.h"
#include "manager/setup/ThirdPage.h"

#include <QAbstractButton>
#include <QStyle>

#include <algorithm>

CMyWizard::CMyWizard(int mode, TreeOperations &tree, QWidget *parent) : QWizard(parent), m_mode(mode)
{
    setObjectName("CMyWizard");
    setWindowIcon(sendaro::ProgramIcon());
    setOption(QWizard::HaveHelpButton);
    setOption(QWizard::NoBackButtonOnStartPage, false);
    if (mode == kAddPrinter) {
        setWindowTitle("Add Printer Wizard");
        addPage(m_page1 = new Page1(this));
        addPage(m_page2 = new Page2(tree, this));
        addPage(m_page4 = new Page4(this));
        addPage(m_page5 = new Page5(this));
        addPage(m_page6 = new Page6(this));
    } else if (mode == kAddPrinterToGroup) {
        setWindowTitle("Add Printer to a Group");
        addPage(m_firstPage = new FirstPage(this));
        addPage(m_secondPage = new SecondPage(tree, this));
        addPage(m_thirdPage = new ThirdPage(tree, this));
    }
    // The buttons carry ids like every other dialog's: tests and help find them so.
    const std::pair<WizardButton, const char *> ids[] = {
        {BackButton, "12323"}, {NextButton, "12324"}, {FinishButton, "12325"}, {CancelButton, "2"}, {HelpButton, "9"}};
    for (const auto &[which, id] : ids)
        button(which)->setObjectName(id);
    connect(this, &QWizard::helpRequested, this, &CMyWizard::showHelp);
    // As wide as the widest page from the start (the wizard measures only the page shown),
    // so no text is cut and the sheet keeps one size while the user moves on.
    int widest = 0;
    for (int id : pageIds())
        widest = std::max(widest, page(id)->sizeHint().width());
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_LayoutLeftMargin) + style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
    setMinimumWidth(widest + margins);
}

CMyWizard::~CMyWizard() = default;

void CMyWizard::showHelp()
{
    sendaro::ShowHelp(this, m_mode == kAddPrinter ? "add-printer.html" : "add-printer-to-group.html");
}
