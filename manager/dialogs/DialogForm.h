// What every dialog of the manager does to its Designer form: controls are named by their
// numeric ids (hints, tests and help find them so) and carry their label's text as
// accessible name (screen readers and automation over the accessibility bus); the standard
// buttons get the ids and texts of the manager's dialogs.
#pragma once

class QDialog;
class QDialogButtonBox;
class QLabel;
class QAbstractButton;
class QWidget;

namespace sendaro {

// Ids of the standard buttons.
inline constexpr int kOkId = 1;      // IDOK
inline constexpr int kCancelId = 2;  // IDCANCEL
inline constexpr int kHelpId = 9;    // IDHELP
inline constexpr int kApplyId = 1057;

// The control's object name becomes `id`, its accessible name the text of `label`.
void NameControl(QWidget *control, int id, const QLabel *label);
// A button or check box: its accessible name is its own text without the mnemonic mark.
void NameControl(QAbstractButton *button, int id);

// Names and captions the box's standard buttons that are there: OK "OK", Cancel "Cancel",
// Help "&Help", Apply "&Apply"; OK accepts `dialog`, Cancel rejects it, and Help opens the
// help page `helpPage` (a file of resources/help).
void SetUpButtons(QDialog *dialog, QDialogButtonBox *buttons, const char *helpPage);

} // namespace sendaro
