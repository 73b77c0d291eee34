// The picture beside the driver file list: a driver disk whose files go into the computer,
// drawn by the program so it needs no file.
#pragma once

#include <QPixmap>

namespace sendaro {

QPixmap DriverDiskPicture();

} // namespace sendaro
