// The numbers of the wizards' texts in the manager's string table
// (resources/sendaro.strings). Hover hints are the strings numbered like their controls.
#pragma once

#include "platform/base/windef.h"

namespace sendaro {

enum SetupStringId : UINT {
    IDS_LOCATION_TOO_LONG = 32791,    // "Recipient location should not exceed 255 characters in length"
    IDS_DESCRIPTION_TOO_LONG = 32792, // "Printer description should not exceed 255 characters in lenth"
    IDS_RECIPIENT_TOO_LONG = 32793,   // "Default recipient name should not exceed 255 characters in length"
    IDS_PASSWORD_TOO_LONG = 32794,    // "Printer password should not exceed 255 characters in length"
    IDS_SELECT_GROUP = 32828,         // "Select a group item"
    IDS_DRIVER_EMPTY = 32830,         // "Printer Driver cannot be NULL"
    // The number messages every field of a whole number gives.
    IDS_ENTER_POSITIVE_INTEGER = 36300, // "Please enter a positive integer."
    IDS_ENTER_INTEGER_RANGE = 36301,    // "Please enter an integer between %1 and %2."
};

} // namespace sendaro
