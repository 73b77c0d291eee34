// The Add Printer wizard's name and e-mail page. Next takes both values through the shared
// name and e-mail checks; Back takes and checks nothing (the wizard never asks a page
// to validate when it is left with Back).
#pragma once

#include "manager/setup/WizardPage.h"

#include <memory>
#include <string>

class TreeOperations;

namespace Ui {
class Page2;
}

class Page2 : public WizardPage {
    Q_OBJECT
public:
    Page2(TreeOperations &tree, QWidget *parent = nullptr);
    ~Page2() override;

    const std::string &PrinterName() const { return m_printerName; }
    const std::string &PrinterEmail() const { return m_printerEmail; }

    bool validatePage() override;

private:
    // Takes the name, then the e-mail, from their edits; false after the failing check's
    // message, with the focus on that edit.
    bool takeValues();

    std::unique_ptr<Ui::Page2> m_ui;
    TreeOperations &m_tree;
    std::string m_printerName;
    std::string m_printerEmail;
};
