#include "manager/setup/CDriverFilesDlg.h"

#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/Prompts.h"
#include "manager/setup/CFileNotFoundDlg.h"
#include "manager/setup/DriverDiskPicture.h"
#include "manager/setup/PathParts.h"
#include "platform/base/paths.h"
#include "platform/files/files.h"

#include "ui_CDriverFilesDlg.h"

#include <QEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QTimer>

namespace {

using sendaro::DirectoryOf;
using sendaro::FileNameOf;

constexpr int kTimerId = 101;
constexpr int kListId = 1008;
constexpr int kProgressId = 1011;
constexpr int kPictureId = 174;
constexpr int kProgressRange = 100;

bool isFile(const std::string &path)
{
    const DWORD attributes = GetFileAttributes(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string systemDirectory()
{
    char buffer[MAX_PATH] = {};
    GetSystemDirectory(buffer, sizeof buffer);
    return buffer;
}

} // namespace

CDriverFilesDlg::CDriverFilesDlg(std::vector<sendaro::DriverFile> &files, std::string infDirectory,
                                 std::string expandFolder, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDriverFilesDlg>()), m_files(files),
      m_infDirectory(std::move(infDirectory)), m_expandFolder(std::move(expandFolder)), m_timer(new QTimer(this))
{
    m_ui->setupUi(this);
    setObjectName("171");
    m_ui->pictureLabel->setPixmap(sendaro::DriverDiskPicture());
    m_ui->pictureLabel->setObjectName(QString::number(kPictureId));
    sendaro::NameControl(m_ui->fileList, kListId, m_ui->filesLabel);
    sendaro::NameControl(m_ui->progressBar, kProgressId, m_ui->progressLabel);
    QPushButton *close = m_ui->buttons->button(QDialogButtonBox::Close);
    close->setText("Close");
    sendaro::NameControl(close, sendaro::kCancelId);
    close->setEnabled(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    for (const sendaro::DriverFile &file : m_files)
        new QTreeWidgetItem(m_ui->fileList, {QString::fromStdString(file.path), QString::fromStdString(file.type),
                                             QString::fromStdString(file.status)});
    m_ui->fileList->header()->setStretchLastSection(false);
    m_ui->fileList->viewport()->installEventFilter(this);
    m_ui->progressBar->setRange(0, kProgressRange);
    m_progressStep = m_files.empty() ? 0 : kProgressRange / static_cast<int>(m_files.size());

    m_timer->setObjectName(QString::number(kTimerId));
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &CDriverFilesDlg::copyRows);
    m_timer->start(kCopyDelayMs);
}

CDriverFilesDlg::~CDriverFilesDlg() = default;

bool CDriverFilesDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->fileList->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    return QDialog::eventFilter(watched, event);
}

// File takes half the list, Type and Status a quarter each.
void CDriverFilesDlg::fitColumns()
{
    const int width = m_ui->fileList->viewport()->width();
    m_ui->fileList->setColumnWidth(0, width / 2);
    m_ui->fileList->setColumnWidth(1, width / 4);
    m_ui->fileList->setColumnWidth(2, width / 4);
}

void CDriverFilesDlg::copyRows()
{
    m_timer->stop();
    m_progressStep = m_files.empty() ? 0 : kProgressRange / static_cast<int>(m_files.size());
    QPushButton *close = m_ui->buttons->button(QDialogButtonBox::Close);
    for (int row = 0; row < static_cast<int>(m_files.size()); ++row) {
        if (!copyRow(row)) {
            close->setEnabled(true);
            reject();
            return;
        }
    }
    m_allCopied = true;
    close->setEnabled(true);
}

bool CDriverFilesDlg::copyRow(int row)
{
    const std::string name = FileNameOf(m_files[row].path);
    for (;;) {
        for (const std::string &folder : {m_infDirectory, m_expandFolder, m_lastChosenFolder})
            if (!folder.empty() && isFile(folder + name))
                return copyFrom(row, folder + name);

        sendaro::FileDialogRequest request;
        request.caption = "Open";
        request.fileName = zorplat::ToLinuxPath(m_infDirectory + name);
        request.filter = "All Files (*)";
        const std::string chosen = sendaro::AskFileName(this, request);
        if (chosen.empty())
            return false;
        if (isFile(chosen)) {
            m_lastChosenFolder = DirectoryOf(chosen);
            return copyFrom(row, chosen);
        }
        CFileNotFoundDlg notFound(chosen, this);
        if (notFound.exec() != QDialog::Accepted) {
            setRow(row, m_files[row].path, sendaro::kStatusSkipped);
            return false;
        }
    }
}

bool CDriverFilesDlg::copyFrom(int row, const std::string &source)
{
    const std::string destination = systemDirectory() + "\\" + FileNameOf(m_files[row].path);
    if (!CopyFile(source.c_str(), destination.c_str(), FALSE)) {
        setRow(row, m_files[row].path, sendaro::kStatusCopyFailed);
        return false;
    }
    m_ui->progressBar->setValue(m_ui->progressBar->value() + m_progressStep);
    setRow(row, destination, sendaro::kStatusCopied);
    return true;
}

void CDriverFilesDlg::setRow(int row, const std::string &path, const char *status)
{
    m_files[row].path = path;
    m_files[row].status = status;
    QTreeWidgetItem *item = m_ui->fileList->topLevelItem(row);
    item->setText(0, QString::fromStdString(path));
    item->setText(2, status);
}
