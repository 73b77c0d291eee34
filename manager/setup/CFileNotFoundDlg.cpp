#include "manager/setup/CFileNotFoundDlg.h"

#include "manager/database/ManagerStrings.h"
#include "manager/dialogs/DialogForm.h"
#include "manager/setup/DriverStrings.h"
#include "ui_CFileNotFoundDlg.h"

#include <QPushButton>
#include <QStyle>

namespace {

constexpr int kIconSize = 32;
constexpr int kRetryId = 4; // IDRETRY

} // namespace

CFileNotFoundDlg::CFileNotFoundDlg(const std::string &fileName, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CFileNotFoundDlg>())
{
    m_ui->setupUi(this);
    setObjectName("170");
    m_ui->iconLabel->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(kIconSize));
    m_ui->messageLabel->setText(QString::fromStdString(zordb::ManagerString(sendaro::IDS_FILE_NOT_FOUND_TEXT))
                                    .arg(QString::fromStdString(fileName)));
    QPushButton *retry = m_ui->buttons->button(QDialogButtonBox::Retry);
    QPushButton *cancel = m_ui->buttons->button(QDialogButtonBox::Cancel);
    retry->setText("&Retry");
    cancel->setText("Cancel");
    sendaro::NameControl(retry, kRetryId);
    sendaro::NameControl(cancel, sendaro::kCancelId);
    retry->setDefault(true);
    connect(retry, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

CFileNotFoundDlg::~CFileNotFoundDlg() = default;
