#include "manager/setup/DriverPictures.h"

#include "manager/setup/CDriverFilesDlg.h"
#include "manager/setup/CFileNotFoundDlg.h"
#include "manager/dialogs/DialogPictures.h"

#include <QProgressBar>

namespace sendaro {

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
        allSaved &= SaveDialogPicture(dialog, folder, "driver-files");
    }
    {
        CFileNotFoundDlg dialog("/media/driver-disk/ZORPS.HLP");
        allSaved &= SaveDialogPicture(dialog, folder, "file-not-found");
    }
    return allSaved;
}

} // namespace sendaro
