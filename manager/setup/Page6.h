// The Add Printer wizard's last page: a summary of what Finish will create (the password is
// not shown). It is built when the page is first shown and again whenever the details page
// is left with Next.
#pragma once

#include "manager/setup/WizardPage.h"

#include <memory>
#include <string>

namespace Ui {
class Page6;
}

class Page6 : public WizardPage {
    Q_OBJECT
public:
    explicit Page6(QWidget *parent = nullptr);
    ~Page6() override;

    void BuildSummary();
    // The summary's text, lines ending in CR LF.
    const std::string &Summary() const { return m_summary; }

protected:
    void OnInitDialog() override { BuildSummary(); }

private:
    std::unique_ptr<Ui::Page6> m_ui;
    std::string m_summary;
};
