// Every change is saved at once; a save that fails is told to the user with the file's
// name, and the document keeps the change in memory (the next save writes it).
#pragma once

class CChooserDoc;

namespace sendaro {

// OnSaveDocument on the document's database path. False after telling the user.
bool SaveDatabase(CChooserDoc &doc);

} // namespace sendaro
