// The numbers of the dialogs' own texts in the manager's string table
// (resources/sendaro.strings). Hover hints are the strings numbered like their controls.
#pragma once

#include "platform/base/windef.h"

namespace sendaro {

enum DialogStringId : UINT {
    IDS_SUBJECT_LENGTH = 32787,       // "Subject must not be more then 64 characters in length"
    IDS_DESCRIPTION_EMPTY = 32839,    // "Description field is empty"
    IDS_HOST_EMPTY = 32844,           // "Host's address cannot be NULL"
    IDS_SENDER_EMPTY = 32845,         // "User's e-mail cannot be NULL"
    IDS_PRINTER_NOT_DELETED = 36101,  // format: the Windows printer's name, the error code
    IDS_SETTINGS_NOT_WRITTEN = 36102, // format: the file, the error code
};

} // namespace sendaro
