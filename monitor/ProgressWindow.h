// The delivery's progress window: one per process, opened when the chooser has confirmed a
// job and closed when the delivery is over. While none is open every call here does nothing,
// so code shared with the status request (which shows no progress) need not ask.
#pragma once

#include "platform/base/windef.h"

#include <cstdint>
#include <string>

namespace ProgressWindow {

// Opens the window titled "Vireon Internet Printing on <printer> " (trailing blank kept),
// brings it to the foreground, sets the range 0 to 10 and the step 1 and steps once.
// An open window is closed first.
void Open(const std::string &printerName);
void Close();
bool IsOpen();

// The printer name the window was opened for ("" when none is open).
std::string PrinterName();

void SetTitle(const std::string &title);
void SetRange(int low, int high);
void SetStep(int step);
void SetPos(int pos);
void Step();

// A stage of the transfer: the title becomes stageFormat with its one "%s" replaced by the
// printer name, then the bar steps once.
void ShowStage(const char *stageFormat);
// The same without the step: for the stages of encryption and login, which only some
// set-ups pass, so the bar's range of ten steps holds for every one of them.
void ShowStageTitle(const char *stageFormat);

} // namespace ProgressWindow

using WPARAM = uintptr_t;
using LPARAM = intptr_t;

// The procedure of the module's progress dialog (template 800), exported for hosts that
// create that dialog themselves: TRUE for the initialisation message (WM_INITDIALOG), FALSE
// for every other one. The monitor itself shows the window above instead.
extern "C" BOOL ProgressDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
