// The Add Printer wizard's first page: the check list of what the user will be asked for.
#pragma once

#include "manager/setup/WizardPage.h"

#include <memory>

namespace Ui {
class Page1;
}

class Page1 : public WizardPage {
    Q_OBJECT
public:
    explicit Page1(QWidget *parent = nullptr);
    ~Page1() override;

private:
    std::unique_ptr<Ui::Page1> m_ui;
};
