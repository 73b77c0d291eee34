// The texts of the main frame, the tree, the list and drag and drop, by their numbers in the
// manager's string table (resources/sendaro.strings); zordb::ManagerString(id) reads them.
#pragma once

#include "platform/base/windef.h"

namespace sendaro {

enum ShellStringId : UINT {
    IDS_COLUMN_NAME = 32841,            // "Printer Name"
    IDS_COLUMN_DESCRIPTION = 32842,     // "Printer  description"
    IDS_COLUMN_ADDRESS = 32843,         // "Printer IP/e-mail Address"
    IDS_ADD_TO_GROUP_FAILED = 32859,    // "Add Printer to group operation has failed"
    IDS_ADD_PRINTER_FAILED = 32860,     // "Add Printer operation has failed"

    IDS_GROUP_NOT_FOUND = 33000,        // "Group not found"
    IDS_IMPORT_FAILED = 33001,          // "Import operation failed"
    IDS_ALREADY_RUNNING = 33002,        // "Already one instance is running"
    IDS_SAVE_FAILED = 33004,            // the database could not be written (file, reason)
    IDS_READY = 33005,                  // "Ready"
    IDS_OPEN_FAILED = 33007,            // "Failed to open document."

    // Command prompts: the status-bar text, then after a line break the tool tip.
    IDS_PROMPT_ADD_PRINTER = 33010,
    IDS_PROMPT_ADD_GROUP,
    IDS_PROMPT_IMPORT,
    IDS_PROMPT_EXPORT,
    IDS_PROMPT_PRINT,
    IDS_PROMPT_PRINT_SETUP,
    IDS_PROMPT_EXIT,
    IDS_PROMPT_ADD_TO_GROUP,
    IDS_PROMPT_DELETE,
    IDS_PROMPT_RENAME,
    IDS_PROMPT_COMM_SETUP,
    IDS_PROMPT_JOB_OPTIONS,
    IDS_PROMPT_PROPERTIES,
    IDS_PROMPT_HELP_CONTENTS,
    IDS_PROMPT_ABOUT,
    IDS_PROMPT_CONTEXT_HELP,
};

} // namespace sendaro
