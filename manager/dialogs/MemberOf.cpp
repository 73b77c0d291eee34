#include "manager/dialogs/MemberOf.h"

#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/HintLine.h"
#include "manager/dialogs/ManagerIcons.h"
#include "ui_MemberOf.h"

namespace {

constexpr int kIconSize = 32;

} // namespace

MemberOf::MemberOf(const std::vector<std::string> &groups, QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::MemberOf>())
{
    m_ui->setupUi(this);
    setObjectName("144");
    sendaro::NameControl(m_ui->groupList, 1022, m_ui->groupsLabel);
    auto *hints = new sendaro::HintLine(m_ui->hintLine);
    hints->watch({m_ui->groupList});
    m_ui->groupList->setIconSize(QSize(kIconSize, kIconSize));
    for (const std::string &group : groups)
        new QListWidgetItem(sendaro::ListGroupIcon(), QString::fromStdString(group), m_ui->groupList);
}

MemberOf::~MemberOf() = default;
