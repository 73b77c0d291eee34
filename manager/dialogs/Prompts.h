// The one seam through which the manager asks the user anything: message boxes and file
// dialogs. Message boxes go through the platform's UI services, so the installed backend
// shows them (Qt in the program, the headless backend's default button in scripts) and the
// UI journal records every one; tests install a backend of their own that answers from a
// queue. File dialogs go to a replaceable handler for the same reason.
#pragma once

#include "manager/database/ManagerStrings.h"
#include "platform/ui/ui.h"

#include <functional>
#include <string>

class QWidget;

namespace sendaro {

// A message box with the manager's caption "Sendaro" unless another is given; returns the
// button chosen (IDOK, IDYES ...).
int Prompt(const std::string &text, UINT type = MB_OK, const char *caption = zordb::kManagerCaption);
// The same with the text of string `id` of the manager's string table.
int Prompt(UINT id, UINT type = MB_OK);

struct FileDialogRequest {
    bool save = false;       // a save dialog (else an open dialog)
    std::string caption;     // the dialog's title
    std::string fileName;    // the initial folder or file name
    std::string filter;      // Qt filter text, "Configuration Files (*.zor)"
};

// Asks for a file name; empty when the user cancelled. With the headless UI mode
// (ZORVALINE_UI=headless) nobody can answer: the journal gets a "filedialog" event and the
// answer is empty.
std::string AskFileName(QWidget *owner, const FileDialogRequest &request);

// Where AskFileName goes; an empty handler puts the real dialog back.
using FileDialogHandler = std::function<std::string(const FileDialogRequest &)>;
void SetFileDialogHandler(FileDialogHandler handler);

} // namespace sendaro
