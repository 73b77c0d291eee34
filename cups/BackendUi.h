// The user interface of the monitor while it runs inside the CUPS backend: nobody sits at a
// screen, so every message box and progress title becomes a line on standard error with
// CUPS's prefixes ("ERROR:" for a failure, "INFO:" for the rest), which lpstat shows as the
// job's state. Boxes are counted as for `zorvaline print`.
#pragma once

#include "tools/MessageBoxCounter.h"

#include <string>

class BackendUi : public MessageBoxCounter {
public:
    int showMessageBox(const zorplat::MessageBoxRequest &request) override;
    void progressWindowChanged(HWND window, const zorplat::ProgressState &state) override;

    // The text of the last box with the stop icon, as one line; empty when none was shown.
    const std::string &lastFailure() const { return m_lastFailure; }

private:
    std::string m_lastTitle;
    std::string m_lastFailure;
};

// A text as one line: line breaks become blanks, other control characters '?'.
std::string OneLine(const std::string &text);
