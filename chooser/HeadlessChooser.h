// The chooser without a dialog: the destination named like the job's printer, else the
// database's default item, confirmed for every printer it stands for.
#pragma once

#include "chooser/ChooserSession.h"

namespace selvra {

// Answers the job the monitor has just handed over. Failures are shown in message boxes
// with the caption "Selvra" (the headless backend writes them to standard error and, when
// ZORVALINE_UI_LOG is set, to the journal); the confirmed destination is one line on
// standard output.
ChooserResult RunHeadlessChooser();

} // namespace selvra
