#include "manager/setup/FirstPage.h"

#include "ui_FirstPage.h"

FirstPage::FirstPage(QWidget *parent) : WizardPage(parent), m_ui(std::make_unique<Ui::FirstPage>())
{
    m_ui->setupUi(this);
    SetUpPicture(m_ui->pictureLabel);
}

FirstPage::~FirstPage() = default;
