// "File Not found": the file the user chose for a driver file does not exist. Retry asks for
// the file again, Cancel skips it (and with it the installation).
#pragma once

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class CFileNotFoundDlg;
}

class CFileNotFoundDlg : public QDialog {
    Q_OBJECT
public:
    // `fileName` is the name the user chose, shown so they see what was not found.
    explicit CFileNotFoundDlg(const std::string &fileName, QWidget *parent = nullptr);
    ~CFileNotFoundDlg() override;

private:
    std::unique_ptr<Ui::CFileNotFoundDlg> m_ui;
};
