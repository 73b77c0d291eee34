// The Add Printer wizard's details page: description, default recipient and location, the
// mailbox password, cover pages and the split size. Next warns about texts that are too
// long without stopping, then checks the password pair and the size and keeps the page when
// one fails.
#pragma once

#include "manager/setup/WizardPage.h"
#include "platform/base/windef.h"

#include <memory>
#include <string>

namespace Ui {
class Page5;
}

class Page5 : public WizardPage {
    Q_OBJECT
public:
    explicit Page5(QWidget *parent = nullptr);
    ~Page5() override;

    const std::string &PrinterDescription() const { return m_description; }
    const std::string &DefaultRecipient() const { return m_recipient; }
    const std::string &RecipientLocation() const { return m_location; }
    const std::string &PrinterPassword() const { return m_password; }
    // 1 when ticked.
    int Banner() const { return m_banner; }
    int Trailer() const { return m_trailer; }
    int LimitSize() const { return m_limitSize; }
    int MessageSize() const { return m_messageSize; }

    bool validatePage() override;

private:
    // Takes every value from the controls. While m_goingBack is set the password pair and
    // the size's range are not checked. False after the first failing check's message (none
    // when that message is `quiet`), with the focus on the failing control.
    bool takeValues(UINT quiet = 0);
    // The size edit and its arrows follow the limit box.
    void enableSize();

    std::unique_ptr<Ui::Page5> m_ui;
    bool m_goingBack = false;
    std::string m_recipient;
    std::string m_password;
    std::string m_description;
    std::string m_location;
    int m_trailer = 0;
    int m_banner = 0;
    int m_limitSize = 0;
    int m_messageSize = 2;
};
