// Taking a record out of the database file at once, as the delete and rename dialogs do
// before the caller's save.
#pragma once

#include <string>

namespace sendaro {

// Deletes the section named `name` and its line in the index [ChoosersDatabaseSectionNames]
// in one atomic write. The index line goes too, so the file stays readable even when the
// save that follows fails: an index naming a missing section makes the whole database
// "corrupted". False, with the last error set, when the file could not be written.
bool RemoveRecordSection(const std::string &databasePath, const std::string &name);

} // namespace sendaro
