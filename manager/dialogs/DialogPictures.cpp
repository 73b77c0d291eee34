#include "manager/dialogs/DialogPictures.h"

#include "manager/database/CChooserDoc.h"
#include "manager/dialogs/CCommSetupDlg.h"
#include "manager/dialogs/CDeleteGroupDlg.h"
#include "manager/dialogs/CDeletePrinterDlg.h"
#include "manager/dialogs/CErrorInfoDlg.h"
#include "manager/dialogs/CGroupPropertiesDlg.h"
#include "manager/dialogs/CJobOptionsDlg.h"
#include "manager/dialogs/CNewGroupDlg.h"
#include "manager/dialogs/CRenameDlg.h"
#include "manager/dialogs/PrinterProperty.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>

namespace sendaro {

namespace {

// Puts the mouse over control `id`, so the picture shows its hint.
void Hover(QDialog &dialog, const char *id)
{
    if (QWidget *control = dialog.findChild<QWidget *>(id)) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(control, &enter);
    }
}

void Type(QDialog &dialog, const char *id, const QString &text)
{
    if (auto *edit = dialog.findChild<QLineEdit *>(id))
        edit->setText(text);
}

} // namespace

bool SaveDialogPicture(QDialog &dialog, const QString &folder, const QString &name)
{
    dialog.adjustSize();
    dialog.show();
    QApplication::processEvents();
    const bool saved = dialog.grab().save(folder + "/" + name + ".png");
    dialog.hide();
    return saved;
}

bool RenderDialogs(TreeOperations &tree, CChooserDoc &doc, const QString &folder)
{
    bool allSaved = true;
    {
        CDeleteGroupDlg dialog(tree);
        Hover(dialog, "1030");
        allSaved &= SaveDialogPicture(dialog, folder, "delete-group");
    }
    {
        CDeletePrinterDlg dialog(tree);
        Hover(dialog, "1031");
        allSaved &= SaveDialogPicture(dialog, folder, "delete-printer");
    }
    {
        const GroupRecord *group = doc.Groups().empty() ? nullptr : doc.Groups().front().get();
        CGroupPropertiesDlg dialog(doc, group ? group->MainGroupName : "Sales", group ? group->GroupDescription : "",
                                   group ? group->GroupDriver : "");
        allSaved &= SaveDialogPicture(dialog, folder, "group-properties");
    }
    {
        CCommSetupDlg dialog;
        Hover(dialog, "1028");
        allSaved &= SaveDialogPicture(dialog, folder, "communication-setup");
    }
    {
        CJobOptionsDlg dialog;
        allSaved &= SaveDialogPicture(dialog, folder, "job-options");
    }
    {
        CNewGroupDlg dialog(tree);
        Type(dialog, "1000", "Second Floor");
        Type(dialog, "1001", "The printers beside the meeting rooms");
        Hover(dialog, "1000");
        allSaved &= SaveDialogPicture(dialog, folder, "new-group");
    }
    {
        CRenameDlg dialog(tree);
        Type(dialog, "1036", "Front Office");
        Hover(dialog, "1036");
        allSaved &= SaveDialogPicture(dialog, folder, "rename");
    }
    if (!doc.Printers().empty()) {
        // The first printer that belongs to a group shows all three pages.
        const PrinterRecord *printer = doc.Printers().front().get();
        for (const auto &candidate : doc.Printers())
            if (!candidate->ContainingGroups.empty()) {
                printer = candidate.get();
                break;
            }
        PrinterProperty sheet("Printer Properties", doc, printer->PrinterName);
        auto *pages = sheet.findChild<QTabWidget *>();
        const char *hovered[] = {"1009", "1022", "1029"};
        for (int page = 0; page < pages->count() && page < 3; ++page) {
            pages->setCurrentIndex(page);
            Hover(sheet, pages->count() == 3 ? hovered[page] : hovered[page == 0 ? 0 : 2]);
            const QString name = pages->tabText(page).toLower().replace(' ', '-');
            allSaved &= SaveDialogPicture(sheet, folder, "printer-properties-" + name);
        }
    }
    {
        CErrorInfoDlg dialog({{"Back Office", "Laser J8 The associated driver is not installed.", true},
                              {"Front Desk", " The printer u are trying to import already exists", true},
                              {"Sales", "The group u are trying to import already exists", false}});
        allSaved &= SaveDialogPicture(dialog, folder, "error-information");
    }
    return allSaved;
}

} // namespace sendaro
