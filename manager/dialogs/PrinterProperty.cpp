#include "manager/dialogs/PrinterProperty.h"

#include "manager/database/CChooserDoc.h"
#include "manager/database/NameCompare.h"
#include "manager/dialogs/AdvancedInfo.h"
#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/GeneralInfo.h"
#include "manager/dialogs/MemberOf.h"
#include "ui_PrinterProperty.h"

PrinterProperty::PrinterProperty(const QString &caption, CChooserDoc &doc, const std::string &selectedName,
                                 QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::PrinterProperty>())
{
    m_ui->setupUi(this);
    setWindowTitle(caption);
    sendaro::SetUpButtons(this, m_ui->buttons, "printer-properties.html");
    for (const auto &printer : doc.Printers()) {
        if (zordb::SameName(printer->PrinterName, selectedName)) {
            m_values = *printer;
            m_found = true;
            break;
        }
    }
    m_general = new GeneralInfo(m_values, this);
    m_ui->pages->addTab(m_general, "General Info");
    if (!m_values.ContainingGroups.empty()) {
        m_memberOf = new MemberOf(m_values.ContainingGroups, this);
        m_ui->pages->addTab(m_memberOf, "Member Of");
    }
    m_advanced = new AdvancedInfo(m_values, this);
    m_ui->pages->addTab(m_advanced, "Advanced Info");
}

PrinterProperty::~PrinterProperty() = default;

void PrinterProperty::accept()
{
    // Each page shows itself when one of its values is refused, with the focus there.
    PrinterRecord taken = m_values;
    QWidget *refusing = nullptr;
    if (!m_general->TakeValues(taken))
        refusing = m_general;
    else if (!m_advanced->TakeValues(taken))
        refusing = m_advanced;
    if (refusing) {
        m_ui->pages->setCurrentWidget(refusing);
        if (QWidget *control = refusing->focusWidget())
            control->setFocus();
        return;
    }
    m_values = taken;
    QDialog::accept();
}
