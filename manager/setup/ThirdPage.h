// The Add Printer to Group wizard's last page: the properties of the chosen group.
#pragma once

#include "manager/setup/WizardPage.h"

#include <memory>
#include <string>

class TreeOperations;

namespace Ui {
class ThirdPage;
}

class ThirdPage : public WizardPage {
    Q_OBJECT
public:
    ThirdPage(TreeOperations &tree, QWidget *parent = nullptr);
    ~ThirdPage() override;

    // The chosen group's name, description, sub-groups, printers and driver; a group that is
    // not in the document leaves the text as it is.
    void BuildSummary();
    QString SummaryText() const;

protected:
    void OnInitDialog() override { BuildSummary(); }
    void cleanupPage() override;

private:
    std::unique_ptr<Ui::ThirdPage> m_ui;
    TreeOperations &m_tree;
};
