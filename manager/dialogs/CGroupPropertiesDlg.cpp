#include "manager/dialogs/CGroupPropertiesDlg.h"

#include "manager/database/CChooserDoc.h"
#include "manager/database/GroupRules.h"
#include "manager/database/NameCompare.h"
#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/ManagerIcons.h"
#include "ui_CGroupPropertiesDlg.h"

CGroupPropertiesDlg::CGroupPropertiesDlg(CChooserDoc &doc, const std::string &name, const std::string &description,
                                         const std::string &driver, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CGroupPropertiesDlg>())
{
    m_ui->setupUi(this);
    sendaro::NameControl(m_ui->nameEdit, 1000, m_ui->nameLabel);
    sendaro::NameControl(m_ui->descriptionEdit, 1002, m_ui->descriptionLabel);
    sendaro::NameControl(m_ui->driverEdit, 1003, m_ui->driverLabel);
    sendaro::NameControl(m_ui->compatibleList, 1039, m_ui->compatibleLabel);
    sendaro::SetUpButtons(this, m_ui->buttons, "group-properties.html");

    m_ui->nameEdit->setText(QString::fromStdString(name));
    m_ui->descriptionEdit->setText(QString::fromStdString(description));
    m_ui->driverEdit->setText(QString::fromStdString(driver));
    for (QLineEdit *edit : {m_ui->nameEdit, m_ui->descriptionEdit, m_ui->driverEdit})
        edit->setCursorPosition(0);
    listCompatibleGroups(doc, name, driver);
}

CGroupPropertiesDlg::~CGroupPropertiesDlg() = default;

void CGroupPropertiesDlg::listCompatibleGroups(CChooserDoc &doc, const std::string &name, const std::string &driver)
{
    // The record's driver decides; the text the caller gave stands in when the group is gone.
    const GroupRecord *group = doc.FindGroup(name);
    const std::string &groupDriver = group ? group->GroupDriver : driver;
    const QIcon icon = sendaro::ListGroupIcon();
    for (const auto &other : doc.Groups()) {
        const bool qualifies = groupDriver.empty() || zordb::IsDriverCompatible(groupDriver, other->GroupDriver);
        if (qualifies && !zordb::SameName(other->MainGroupName, name))
            m_ui->compatibleList->addItem(new QListWidgetItem(icon, QString::fromStdString(other->MainGroupName)));
    }
}
