// What the pages of both wizards share: a page is set up the first time it is shown and keeps
// its values while the user moves back and forth; Back never checks or takes the values;
// Next checks them (validatePage) and keeps the page when a check fails.
#pragma once

#include <QWizardPage>

#include <initializer_list>

class CMyWizard;
class QLabel;

class WizardPage : public QWizardPage {
    Q_OBJECT
public:
    using QWizardPage::QWizardPage;

    // Whether the page has been shown (and so set up) at least once.
    bool IsCreated() const { return m_created; }

protected:
    // The first showing sets the page up; the wizard asks again after every Back, which
    // must not lose what the page holds.
    void initializePage() final;
    // Runs once, when the page is first shown.
    virtual void OnInitDialog() {}

    CMyWizard *Sheet() const;
    // The picture on the left, and the hint line that shows the hints of `controls`.
    void SetUpPicture(QLabel *picture);
    void SetUpHints(QLabel *hintLine, std::initializer_list<QWidget *> controls);

private:
    bool m_created = false;
};
