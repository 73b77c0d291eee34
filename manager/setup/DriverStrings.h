// The texts of driver installation, by their numbers in the manager's string table
// (resources/sendaro.strings); zordb::ManagerString(id) reads them.
#pragma once

#include "platform/base/windef.h"

namespace sendaro {

enum DriverStringId : UINT {
    IDS_PRINTERS_NOT_PRESENT = 129, // "Zorvaline Printers not present"
    IDS_FILE_NOT_FOUND_TEXT = 36401, // dialog "File Not found": the file chosen (%1) is not there
};

} // namespace sendaro
