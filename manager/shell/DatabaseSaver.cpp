#include "manager/shell/DatabaseSaver.h"

#include "manager/database/CChooserDoc.h"
#include "manager/shell/CupsQueueKeeping.h"
#include "manager/dialogs/MessageText.h"
#include "manager/dialogs/Prompts.h"
#include "manager/shell/ShellStrings.h"
#include "platform/base/paths.h"


namespace sendaro {

bool SaveDatabase(CChooserDoc &doc)
{
    // The Windows printers have changed with the document by now.
    KeepCupsQueuesInStep();
    if (doc.OnSaveDocument(doc.DatabasePath()))
        return true;
    Prompt(MessageNaming(IDS_SAVE_FAILED, zorplat::ToLinuxPath(doc.DatabasePath())), MB_OK | MB_ICONSTOP);
    return false;
}

} // namespace sendaro
