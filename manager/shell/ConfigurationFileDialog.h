// The file dialogs of Import and Export: "Config Files (*.ZOR)", the initial name "*.ZOR",
// titled "Import" (the file must exist) or "Export" (an existing file is overwritten only
// when the user agrees).
#pragma once

#include <string>

class QWidget;

namespace sendaro {

// The chosen path, empty when the user cancelled. A name chosen for export without an
// extension gets ".ZOR".
std::string AskConfigurationFile(QWidget *owner, bool forExport);

// Whether the export file can be written: an existing file writable, or its folder
// writable for a new one. Nothing is created.
bool ExportFileWritable(const std::string &path);

} // namespace sendaro
