#include "manager/setup/SecondPage.h"

#include "manager/database/CChooserDoc.h"
#include "manager/database/NameCompare.h"
#include "manager/database/RecordLimits.h"
#include "manager/dialogs/ManagerIcons.h"
#include "manager/dialogs/Prompts.h"
#include "manager/dialogs/TreeOperations.h"
#include "manager/setup/CMyWizard.h"
#include "manager/setup/SetupStrings.h"
#include "manager/setup/ThirdPage.h"
#include "ui_SecondPage.h"

#include <algorithm>

namespace {

constexpr int kGroupIconSize = 32;

} // namespace

SecondPage::SecondPage(TreeOperations &tree, QWidget *parent)
    : WizardPage(parent), m_ui(std::make_unique<Ui::SecondPage>()), m_tree(tree)
{
    m_ui->setupUi(this);
    SetUpPicture(m_ui->pictureLabel);
    m_ui->groupList->setObjectName("1043");
    m_ui->groupList->setAccessibleName(m_ui->instructionLabel->text());
    m_ui->groupList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_ui->groupList->setIconSize(QSize(kGroupIconSize, kGroupIconSize));
    connect(m_ui->groupList, &QListWidget::itemClicked, this, &SecondPage::readChosenGroup);
}

SecondPage::~SecondPage() = default;

void SecondPage::OnInitDialog()
{
    m_chosenGroup.clear();
    // The tree's selected-item name is the printer's name without the default mark, so the
    // default printer is recognised in the groups that already hold it.
    const std::string printer = m_tree.SelectedName();
    const QIcon icon = sendaro::ListGroupIcon();
    for (const auto &group : m_tree.Document().Groups()) {
        const auto &members = group->Printers;
        if (members.size() >= zordb::kGroupMemberLimit)
            continue;
        const bool holdsPrinter = std::any_of(members.begin(), members.end(),
                                              [&](const std::string &member) { return zordb::SameName(member, printer); });
        if (!group->GroupDriver.empty() && holdsPrinter)
            continue;
        m_ui->groupList->addItem(new QListWidgetItem(icon, QString::fromStdString(group->MainGroupName)));
    }
    if (m_ui->groupList->count() > 0)
        m_ui->groupList->setCurrentRow(0);
    FocusList();
}

void SecondPage::FocusList()
{
    m_ui->groupList->setFocus();
}

void SecondPage::readChosenGroup()
{
    const QList<QListWidgetItem *> selected = m_ui->groupList->selectedItems();
    m_chosenGroup = selected.isEmpty() ? std::string() : selected.front()->text().toStdString();
}

bool SecondPage::validatePage()
{
    readChosenGroup();
    if (m_chosenGroup.empty()) {
        sendaro::Prompt(sendaro::IDS_SELECT_GROUP);
        FocusList();
        return false;
    }
    if (ThirdPage *summary = Sheet() ? Sheet()->thirdPage() : nullptr; summary && summary->IsCreated())
        summary->BuildSummary();
    return true;
}
