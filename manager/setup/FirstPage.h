// The Add Printer to Group wizard's welcome page.
#pragma once

#include "manager/setup/WizardPage.h"

#include <memory>

namespace Ui {
class FirstPage;
}

class FirstPage : public WizardPage {
    Q_OBJECT
public:
    explicit FirstPage(QWidget *parent = nullptr);
    ~FirstPage() override;

private:
    std::unique_ptr<Ui::FirstPage> m_ui;
};
