#include "manager/shell/TreeImportHost.h"

#include "manager/dialogs/CErrorInfoDlg.h"
#include "manager/dialogs/Prompts.h"
#include "manager/shell/TreeView.h"

int TreeImportHost::AddWindowsPrinter(const std::string &driver, const std::string &name)
{
    return m_tree.AddWindowsPrinter(driver, name);
}

DWORD TreeImportHost::LastSpoolerError() const
{
    return m_tree.lastSpoolerError;
}

void TreeImportHost::ShowMessage(const std::string &text)
{
    sendaro::Prompt(text, MB_OK | MB_ICONEXCLAMATION);
}

void TreeImportHost::ShowImportErrors(const std::vector<ImportErrorItem> &errors)
{
    CErrorInfoDlg dialog(errors, m_owner);
    dialog.exec();
}
