#include "manager/shell/WizardResults.h"

#include "manager/database/NameCompare.h"
#include "manager/setup/CMyWizard.h"
#include "manager/setup/Page2.h"
#include "manager/setup/Page4.h"
#include "manager/setup/Page5.h"
#include "manager/shell/TreeView.h"

#include <algorithm>

namespace sendaro {

void TakeAddPrinterValues(const CMyWizard &wizard, TreeView &tree)
{
    const Page2 &names = *wizard.page2();
    const Page4 &drivers = *wizard.page4();
    const Page5 &details = *wizard.page5();
    PendingPrinter &pending = tree.pendingPrinter;
    pending.PrinterName = names.PrinterName();
    pending.PrinterEmail = names.PrinterEmail();
    pending.PrinterDescription = details.PrinterDescription();
    pending.DefaultRecipient = details.DefaultRecipient();
    pending.RecipientLocation = details.RecipientLocation();
    pending.PrinterPassword = details.PrinterPassword();
    pending.HeaderPage = details.Banner();
    pending.TrailerPage = details.Trailer();
    pending.MaxPacketSizeInKb = details.MessageSize();
    pending.LimitPacketSize = details.LimitSize() ? "TRUE" : "FALSE";
    pending.PrinterDriver = drivers.SelectedDriver();

    const std::vector<std::string> &installed = drivers.InstalledDrivers();
    tree.driverInstallPending = std::find(installed.begin(), installed.end(), pending.PrinterDriver) == installed.end();
    if (!tree.driverInstallPending)
        return;
    const auto &models = drivers.InfModels();
    const auto model = std::find_if(models.begin(), models.end(), [&](const Page4::InfModel &row) {
        return zordb::SameName(row.modelName, pending.PrinterDriver);
    });
    if (model != models.end())
        tree.pendingInfPath = model->infPath;
}

} // namespace sendaro
