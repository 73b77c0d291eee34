// The chooser with its dialog, for a desktop: the user picks the destinations, or cancels;
// nobody answering within the time-out counts as Cancel.
#pragma once

#include "chooser/ChooserSession.h"
#include "chooser/ChooserTimeOut.h"

namespace selvra {

// Answers the job through the dialog; the QApplication exists. Cancel and the time-out
// decline the job and say so on standard error.
ChooserResult ChooseInDialog(ChooserTimeOut &timeOut);

// Makes the QApplication and the Qt backend of the message boxes, shows the dialog and
// answers the job. A database without any destination is declined with a message box, as a
// failure to read it is. When the display named by DISPLAY or WAYLAND_DISPLAY cannot be
// reached, it says so on standard error and chooses without a dialog.
ChooserResult RunDialogChooser(int &argc, char **argv, int timeOutSeconds);

} // namespace selvra
