// Job Options: which status reports the printer is asked to send back and the job
// description used as mail subject. They are kept only in [HeaderFooter] of VComdef.ini.
#pragma once

#include "manager/dialogs/VComDefFile.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CJobOptionsDlg;
}

class CJobOptionsDlg : public QDialog {
    Q_OBJECT
public:
    // Reads Subject and StatusRequired (bit 0 "Job Printed", bit 1 "On Error ", bit 2
    // "Trace Job") into the controls.
    explicit CJobOptionsDlg(QWidget *parent = nullptr);
    ~CJobOptionsDlg() override;

    // OK: the writes of Apply, then the dialog closes; when they fail it says so and stays.
    void accept() override;

private:
    // Writes StatusRequired, HeaderFooterRequired "0", From, Location and Notes empty and
    // Subject; false after a message when the file could not be written.
    bool apply();
    // Typing that would make the description longer than 64 characters is refused with its
    // message; a longer text read from the file stays as it is.
    void limitDescription(const QString &text);

    std::unique_ptr<Ui::CJobOptionsDlg> m_ui;
    sendaro::VComDefFile m_file;
    QString m_acceptedDescription;
};
