#include "manager/shell/DatabaseSaver.h"

#include "manager/database/CChooserDoc.h"
#include "manager/dialogs/Prompts.h"
#include "manager/shell/ShellStrings.h"
#include "platform/base/paths.h"

#include <string>

namespace sendaro {

bool SaveDatabase(CChooserDoc &doc)
{
    if (doc.OnSaveDocument(doc.DatabasePath()))
        return true;
    std::string text = zordb::ManagerString(IDS_SAVE_FAILED);
    if (const size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, zorplat::ToLinuxPath(doc.DatabasePath()));
    Prompt(text, MB_OK | MB_ICONSTOP);
    return false;
}

} // namespace sendaro
