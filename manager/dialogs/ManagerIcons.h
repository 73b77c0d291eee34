// The manager's pictures, drawn by the program itself so that they need no files: the tree's
// five images, the list's two, the program icon, and the toolbar's fallbacks for desktops
// whose icon theme lacks an icon.
#pragma once

#include <QIcon>

namespace sendaro {

// The tree's images by their index: 0 a root, 1 a group, 2 a printer, 3 the default group,
// 4 the default printer. 32 by 16 pixels.
enum TreeImage { kRootImage = 0, kGroupImage = 1, kPrinterImage = 2, kDefaultGroupImage = 3, kDefaultPrinterImage = 4 };
QIcon TreeImageIcon(int image);

// The list's images, 32 by 32: a printer, a group.
QIcon ListPrinterIcon();
QIcon ListGroupIcon();

// The program's icon (window, About box).
QIcon ProgramIcon();
// The program's icon drawn at `size` by `size` pixels (the desktop's icon files).
QPixmap ProgramPicture(int size);

// The toolbar pictures: the desktop theme's icon `themeName` when there is one, else ours.
enum class ToolbarPicture { AddPrinter, AddGroup, Import, Export, Print, About, ContextHelp };
QIcon ToolbarIcon(ToolbarPicture picture);

} // namespace sendaro
