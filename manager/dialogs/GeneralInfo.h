// General Info, the first page of the printer property sheet: the printer's identity and
// addresses, its driver (shown only), and the status request.
#pragma once

#include "manager/database/PrinterRecord.h"

#include <QWidget>

#include <memory>

namespace Ui {
class GeneralInfo;
}

class GeneralInfo : public QWidget {
    Q_OBJECT
public:
    explicit GeneralInfo(const PrinterRecord &printer, QWidget *parent = nullptr);
    ~GeneralInfo() override;

    // Takes the values from the controls into `printer`, in order: description, default
    // recipient, location, name (their lengths), then the e-mail (its length and
    // ValidatePrinterEmail). The first failing one shows its message, gets the focus and
    // makes the result false.
    bool TakeValues(PrinterRecord &printer);

private:
    // "Get Status...": confirms, then asks the printer for its status by mail.
    void getStatus();

    std::unique_ptr<Ui::GeneralInfo> m_ui;
};
