// Pictures of the dialogs for the documentation: each dialog is built with real widgets and
// plausible content, shown (offscreen when there is no display) and saved as a PNG.
#pragma once

#include <QString>

class CChooserDoc;
class QDialog;
class TreeOperations;

namespace sendaro {

// Writes <folder>/<dialog>.png for every dialog of this library: delete-group,
// delete-printer, group-properties, communication-setup, job-options, new-group, rename,
// the printer property sheet's pages (printer-properties-general-info ...) and
// error-information (a list of three refused records).
// The delete and rename dialogs show the tree's selected item; the group properties show
// the document's first group, the property sheet its first printer in a group. Nothing is
// changed. False when a picture could not be made.
bool RenderDialogs(TreeOperations &tree, CChooserDoc &doc, const QString &folder);

// Shows the dialog at its natural size and writes it as <folder>/<name>.png; false when the
// file could not be written.
bool SaveDialogPicture(QDialog &dialog, const QString &folder, const QString &name);

} // namespace sendaro
