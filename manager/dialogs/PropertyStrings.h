// The texts of the printer property sheet and the status request, by their numbers in the
// manager's string table (resources/sendaro.strings). Hover hints are the strings numbered
// like their controls.
#pragma once

#include "platform/base/windef.h"

namespace sendaro {

enum PropertyStringId : UINT {
    IDS_STATUS_SENT = 32861,       // "An e-mail has been sent to the printer"
    IDS_STATUS_REQUESTING = 32862, // "requesting its status. ..."
    // The field-exchange messages of the dialogs.
    IDS_ENTER_NO_MORE_THAN = 36410,    // "Please enter no more than %1 characters."
    IDS_ENTER_INTEGER = 36411,         // "Please enter an integer."
    IDS_ENTER_INTEGER_BETWEEN = 36412, // "Please enter an integer between %1 and %2."
};

} // namespace sendaro
