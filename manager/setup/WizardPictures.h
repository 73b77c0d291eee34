// Pictures of both wizards for the documentation: every page with real widgets and
// plausible values, as a user sees it on the way to Finish.
#pragma once

#include <QString>

class TreeOperations;

namespace sendaro {

// Writes <folder>/add-printer-<n>-<page>.png for the five pages of the Add Printer wizard and
// <folder>/add-to-group-<n>-<page>.png for the three of the Add Printer to Group wizard, on
// the tree's database. Nothing is created or changed. False when a picture could not be made.
bool RenderWizards(TreeOperations &tree, const QString &folder);

} // namespace sendaro
