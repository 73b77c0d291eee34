#include "manager/setup/DriverPictures.h"

#include "manager/setup/CDriverFilesDlg.h"
#include "manager/setup/CFileNotFoundDlg.h"

#include <QApplication>
#include <QProgressBar>

namespace sendaro {

namespace {

bool Save(QDialog &dialog, const QString &folder, const QString &name)
{
    dialog.adjustSize();
    dialog.show();
    QApplication::processEvents();
    const bool saved = dialog.grab().save(folder + "/" + name + ".png");
    dialog.hide();
    return saved;
}

} // namespace

bool RenderDriverDialogs(const QString &folder)
{
    bool allSaved = true;
    {
        // Two of the four files of a family model copied; the dialog's own copy would only
        // start two seconds after it opened, long after the picture.
        std::vector<DriverFile> files = {
            {"C:\\WINDOWS\\SYSTEM\\ZORH3.PPD", kTypePrinterSpecific, kStatusCopied},
            {"C:\\WINDOWS\\SYSTEM\\ZORPS.DRV", kTypeDriverFile, kStatusCopied},
            {"C:\\ZORVALINE\\DRIVERS\\FAMILY\\ZORPSUI.DLL", kTypeConfigFile, kStatusNeedCopy},
            {"C:\\WINDOWS\\SYSTEM\\ZORPS.HLP", kTypeHelpFile, kStatusExists},
        };
        CDriverFilesDlg dialog(files, "C:\\ZORVALINE\\DRIVERS\\FAMILY\\", "");
        if (auto *progress = dialog.findChild<QProgressBar *>("1011"))
            progress->setValue(50);
        allSaved &= Save(dialog, folder, "driver-files");
    }
    {
        CFileNotFoundDlg dialog("/media/driver-disk/ZORPS.HLP");
        allSaved &= Save(dialog, folder, "file-not-found");
    }
    return allSaved;
}

} // namespace sendaro
