// The dialogs' own pictures (resources/icons, compiled into the dialogs library).
#pragma once

#include <QIcon>

namespace sendaro {

// A group of printers, for lists of groups.
QIcon GroupIcon();
// The program's picture, beside the instructions of the New Group and Rename dialogs.
QIcon ProgramIcon();

} // namespace sendaro
