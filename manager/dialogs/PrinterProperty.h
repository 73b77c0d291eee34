// "Printer Properties": the property sheet of one printer of the database, with the pages
// General Info, Member Of (only for a printer in a group) and Advanced Info. OK takes the
// values of every page and keeps the sheet open on a failing control; the caller then
// reads Values() and applies them.
#pragma once

#include "manager/database/PrinterRecord.h"

#include <QDialog>

#include <memory>
#include <string>

class AdvancedInfo;
class CChooserDoc;
class GeneralInfo;
class MemberOf;

namespace Ui {
class PrinterProperty;
}

class PrinterProperty : public QDialog {
    Q_OBJECT
public:
    // The printer whose name equals `selectedName` (ignoring case) in the document; the
    // caller runs the sheet only when Found().
    PrinterProperty(const QString &caption, CChooserDoc &doc, const std::string &selectedName,
                    QWidget *parent = nullptr);
    ~PrinterProperty() override;

    bool Found() const { return m_found; }
    // The printer's values, as taken by OK.
    const PrinterRecord &Values() const { return m_values; }

    GeneralInfo *GeneralPage() const { return m_general; }
    AdvancedInfo *AdvancedPage() const { return m_advanced; }

    void accept() override;

private:
    std::unique_ptr<Ui::PrinterProperty> m_ui;
    PrinterRecord m_values;
    bool m_found = false;
    GeneralInfo *m_general = nullptr;
    MemberOf *m_memberOf = nullptr;
    AdvancedInfo *m_advanced = nullptr;
};
