// Advanced Info, the last page of the printer property sheet: the password and its
// confirmation, the cover pages, and the mail size limit with its up-down control.
#pragma once

#include "manager/database/PrinterRecord.h"

#include <QWidget>

#include <memory>

namespace Ui {
class AdvancedInfo;
}

class AdvancedInfo : public QWidget {
    Q_OBJECT
public:
    explicit AdvancedInfo(const PrinterRecord &printer, QWidget *parent = nullptr);
    ~AdvancedInfo() override;

    // Takes the values into `printer` in the exchange's order: the password pair
    // (ValidatePasswordPair), the password's length, the size-limit box, the confirmation's
    // length, the trailer box, the banner box, the size (2 to 100, also while the limit is
    // off). The first failing one shows its message and gets the focus; false then.
    bool TakeValues(PrinterRecord &printer);

private:
    void enableSize();

    std::unique_ptr<Ui::AdvancedInfo> m_ui;
};
