// The sheet that carries both wizards of the manager. Mode 2 is the Add Printer wizard (check
// list, name and e-mail, driver, details, summary), mode 1 the Add Printer to Group wizard
// (welcome, group, group summary). Neither changes anything: after Finish (exec() returns
// Accepted) the command reads the pages' values and makes the changes.
#pragma once

#include <QWizard>

class FirstPage;
class Page1;
class Page2;
class Page4;
class Page5;
class Page6;
class SecondPage;
class ThirdPage;
class TreeOperations;

class CMyWizard : public QWizard {
    Q_OBJECT
public:
    enum Mode { kAddPrinterToGroup = 1, kAddPrinter = 2 };

    // Any other mode makes a sheet without pages.
    CMyWizard(int mode, TreeOperations &tree, QWidget *parent = nullptr);
    ~CMyWizard() override;

    int Mode() const { return m_mode; }

    // The pages of the sheet's mode; null for those of the other mode.
    Page1 *page1() const { return m_page1; }
    Page2 *page2() const { return m_page2; }
    Page4 *page4() const { return m_page4; }
    Page5 *page5() const { return m_page5; }
    Page6 *page6() const { return m_page6; }
    FirstPage *firstPage() const { return m_firstPage; }
    SecondPage *secondPage() const { return m_secondPage; }
    ThirdPage *thirdPage() const { return m_thirdPage; }

private:
    void showHelp();

    int m_mode;
    Page1 *m_page1 = nullptr;
    Page2 *m_page2 = nullptr;
    Page4 *m_page4 = nullptr;
    Page5 *m_page5 = nullptr;
    Page6 *m_page6 = nullptr;
    FirstPage *m_firstPage = nullptr;
    SecondPage *m_secondPage = nullptr;
    ThirdPage *m_thirdPage = nullptr;
};
