// Pictures of the driver installer's dialogs for the documentation: "Printer Driver Files"
// halfway through a copy and "File Not found", built with real widgets and saved as PNG.
#pragma once

#include <QString>

namespace sendaro {

// Writes <folder>/driver-files.png and <folder>/file-not-found.png; nothing is copied.
// False when a picture could not be made.
bool RenderDriverDialogs(const QString &folder);

} // namespace sendaro
