// Error Information: after an import, the records it refused with the reason, the last
// refusal first. It changes nothing.
#pragma once

#include "manager/database/ImportErrorItem.h"

#include <QDialog>

#include <memory>
#include <vector>

namespace Ui {
class CErrorInfoDlg;
}

class CErrorInfoDlg : public QDialog {
    Q_OBJECT
public:
    // The list 1062 shows the refusals, each inserted at the top, with the printer or the
    // group picture.
    explicit CErrorInfoDlg(const std::vector<ImportErrorItem> &errors, QWidget *parent = nullptr);
    ~CErrorInfoDlg() override;

    // The column widths: the header's length times 108, divided by the length of
    // "ItemName", plus 1.
    static int ColumnWidth(const char *header);

private:
    std::unique_ptr<Ui::CErrorInfoDlg> m_ui;
};
