// Communication Setup: the SMTP server and the user's own e-mail address, and how the
// server is reached (port, encryption, login), which the port monitor uses for every job.
// They are kept only in [IntranetSetup] of VComdef.ini, a file only its owner can read.
#pragma once

#include "manager/dialogs/VComDefFile.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CCommSetupDlg;
}

class CCommSetupDlg : public QDialog {
    Q_OBJECT
public:
    // Reads SmtpServer, SenderEmail, SmtpPort, SmtpSecurity, SmtpUser and SmtpPassword into
    // the controls.
    explicit CCommSetupDlg(QWidget *parent = nullptr);
    ~CCommSetupDlg() override;

    // OK: the checks in order (server not empty, sender not empty, no space at the end of
    // the server, port empty or 1 to 65535, a security chosen), then every key is written
    // and the dialog closes. A failed check or a
    // failed write shows its message and keeps the dialog open with nothing written.
    void accept() override;

private:
    std::unique_ptr<Ui::CCommSetupDlg> m_ui;
    sendaro::VComDefFile m_file;
};
