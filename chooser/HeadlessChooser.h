// The chooser without a dialog: the destination named like the job's printer, else the
// database's default item, confirmed for every printer it stands for.
#pragma once

namespace selvra {

// Exit codes of a run, as `selvra --help` lists them.
enum ChooserResult {
    kJobConfirmed = 0,   // [Selvra] App = "TRUE", addresses and their settings written
    kJobDeclined = 1,    // [Selvra] App = "FALSE"; the reason went to a message box
    kAnswerNotWritten = 2, // VComDef.ini or VTemp.ini could not be written
};

// Answers the job the monitor has just handed over. Failures are shown in message boxes
// with the caption "Selvra" (the headless backend writes them to standard error and, when
// ZORVALINE_UI_LOG is set, to the journal); the confirmed destination is one line on
// standard output.
ChooserResult RunHeadlessChooser();

} // namespace selvra
