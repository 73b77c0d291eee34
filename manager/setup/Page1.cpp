#include "manager/setup/Page1.h"

#include "ui_Page1.h"

#include <QFont>

Page1::Page1(QWidget *parent) : WizardPage(parent), m_ui(std::make_unique<Ui::Page1>())
{
    m_ui->setupUi(this);
    SetUpPicture(m_ui->pictureLabel);
    QFont heading = m_ui->headingLabel->font();
    heading.setBold(true);
    m_ui->headingLabel->setFont(heading);
}

Page1::~Page1() = default;
