// The Add Printer to Group wizard's group page: the groups that can still take the printer
// selected in the tree (not full, not already holding it), the first one selected.
#pragma once

#include "manager/setup/WizardPage.h"

#include <memory>
#include <string>

class TreeOperations;

namespace Ui {
class SecondPage;
}

class SecondPage : public WizardPage {
    Q_OBJECT
public:
    SecondPage(TreeOperations &tree, QWidget *parent = nullptr);
    ~SecondPage() override;

    // The group chosen, once Next has been pressed with one selected.
    const std::string &ChosenGroup() const { return m_chosenGroup; }
    void FocusList();

    bool validatePage() override;

protected:
    void OnInitDialog() override;

private:
    void readChosenGroup();

    std::unique_ptr<Ui::SecondPage> m_ui;
    TreeOperations &m_tree;
    std::string m_chosenGroup;
};
