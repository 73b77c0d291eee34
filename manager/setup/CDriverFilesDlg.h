// "Printer Driver Files": copies a driver's files into the system directory while the user
// watches. Two seconds after it opens it copies the rows in order, each from the INF
// directory, the folder the disk's compressed files were expanded into, the folder the user
// last chose, or a file the user picks. A row that cannot be copied ends the dialog at
// once; after the last row the user closes it.
#pragma once

#include "manager/setup/DriverFile.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace Ui {
class CDriverFilesDlg;
}

class CDriverFilesDlg : public QDialog {
    Q_OBJECT
public:
    // `files` is updated as rows are copied (path, status). `expandFolder` may be empty.
    CDriverFilesDlg(std::vector<sendaro::DriverFile> &files, std::string infDirectory, std::string expandFolder,
                    QWidget *parent = nullptr);
    ~CDriverFilesDlg() override;

    // Whether every row was copied; false until the copy has run through.
    bool AllCopied() const { return m_allCopied; }

    // The delay between opening and copying, so the user sees the list first.
    static constexpr int kCopyDelayMs = 2000;

protected:
    // Keeps the columns at their shares of the list's width.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void copyRows();
    bool copyRow(int row);
    bool copyFrom(int row, const std::string &source);
    void setRow(int row, const std::string &path, const char *status);
    void fitColumns();

    std::unique_ptr<Ui::CDriverFilesDlg> m_ui;
    std::vector<sendaro::DriverFile> &m_files;
    std::string m_infDirectory;
    std::string m_expandFolder;
    std::string m_lastChosenFolder;
    QTimer *m_timer;
    int m_progressStep = 0;
    bool m_allCopied = false;
};
