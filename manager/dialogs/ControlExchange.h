// Taking values from a dialog's edit controls with the limits of the field exchange: a text
// longer than its limit and a number that is not one or lies outside its range are refused
// with the exchange's message, and the focus goes to the control at fault.
#pragma once

#include <string>

class QLineEdit;

namespace sendaro {

// The control's text into `value`; false, after "Please enter no more than %1 characters.",
// when it is longer than `maxChars`.
bool TakeText(QLineEdit *control, int maxChars, std::string &value);

// The control's text as a decimal integer from `low` to `high`; false after "Please enter
// an integer." or "Please enter an integer between %1 and %2.".
bool TakeInteger(QLineEdit *control, int low, int high, int &value);

// Sets the control's limit to `maxChars`, or to the length of its text when that is longer:
// a stored value is shown whole (and refused on taking), never cut silently.
void LimitText(QLineEdit *control, int maxChars);

} // namespace sendaro
