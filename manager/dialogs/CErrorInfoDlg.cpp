#include "manager/dialogs/CErrorInfoDlg.h"

#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/ManagerIcons.h"
#include "ui_CErrorInfoDlg.h"

#include <QHeaderView>

#include <cstring>

namespace {

constexpr const char *kNameHeader = "ItemName";
constexpr const char *kMessageHeader = "Error Message";
constexpr int kListIconSize = 32;

} // namespace

CErrorInfoDlg::CErrorInfoDlg(const std::vector<ImportErrorItem> &errors, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CErrorInfoDlg>())
{
    m_ui->setupUi(this);
    sendaro::NameControl(m_ui->errorList, 1062, m_ui->listLabel);
    sendaro::SetUpButtons(this, m_ui->buttons, nullptr);

    // 1. two left-aligned columns
    QTreeWidget *list = m_ui->errorList;
    list->setHeaderLabels({kNameHeader, kMessageHeader});
    list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->setColumnWidth(0, ColumnWidth(kNameHeader));
    list->setColumnWidth(1, ColumnWidth(kMessageHeader));
    list->setIconSize(QSize(kListIconSize, kListIconSize));
    // 2. and 3. each refusal goes to the top
    list->clear();
    const QIcon groupIcon = sendaro::ListGroupIcon();
    const QIcon printerIcon = sendaro::ListPrinterIcon();
    for (const ImportErrorItem &error : errors) {
        auto *item = new QTreeWidgetItem;
        item->setText(0, QString::fromStdString(error.itemName));
        item->setIcon(0, error.isPrinter ? printerIcon : groupIcon);
        item->setText(1, QString::fromStdString(error.message));
        list->insertTopLevelItem(0, item);
    }
}

CErrorInfoDlg::~CErrorInfoDlg() = default;

int CErrorInfoDlg::ColumnWidth(const char *header)
{
    return static_cast<int>(std::strlen(header) * 108 / std::strlen(kNameHeader) + 1);
}
