// The texts of configuration-file export and import and of the printed listing, by their
// numbers in the manager's string table (resources/sendaro.strings).
#pragma once

#include "platform/base/windef.h"

#include <initializer_list>
#include <string>

namespace zordb {

enum ConfigurationStringId : UINT {
    IDS_PRINT_JOB_TITLE = 32855,        // "Vireon Remote Internet Printing Client Version 1.0q"
    IDS_IMPORT_CORRUPTED = 32867,       // "The file to be imported is corrupted."
    IDS_EXPORT_EMPTY = 36200,           // "Export is not possible, because the tree does not contain any data"
    IDS_EXPORT_COMPLETE_QUESTION = 36201, // "Do you want to export the complete document?"
    IDS_FILE_WRITING_ERROR = 36202,     // "File writing  error!" (two blanks)
    IDS_PRINT_QUESTION = 36203,         // the question before the listing is printed
    IDS_IMPORT_PRINTER_EXISTS = 36204,  // " The printer u are trying to import already exists"
    IDS_IMPORT_PRINTER_DRIVER = 36205,  // " The associated driver is not installed." after the driver
    IDS_IMPORT_GROUP_EXISTS = 36206,    // "The group u are trying to import already exists"
    IDS_IMPORT_GROUP_STRUCTURE = 36207, // ":already exists"
    IDS_IMPORT_GROUP_DRIVER = 36208,    // " is not installed" after the driver
    IDS_IMPORT_SPOOLER_FAILED = 36209,  // the Windows printer could not be created (error)
    IDS_EXPORT_NOT_WRITTEN = 36210,     // the export file (path, reason)
    IDS_PRINT_NOT_STARTED = 36211,      // "Could not start print job."

    // Why a configuration file is refused as a whole (first argument: the file).
    IDS_FILE_UNREADABLE = 36220,
    IDS_FILE_TOO_LARGE = 36221,         // file, size, limit
    IDS_FILE_BINARY = 36222,
    IDS_FILE_NO_INDEX = 36223,
    IDS_FILE_MISSING_SECTION = 36224,   // file, section
    IDS_FILE_MISSING_KEY = 36225,       // file, section, key
    IDS_FILE_BAD_VALUE = 36226,         // file, section, key, value
    IDS_FILE_NAME_MISMATCH = 36227,     // file, section, record name
    IDS_FILE_BAD_PRINTER = 36228,       // file, printer, the record check's message
    IDS_FILE_BAD_GROUP = 36229,         // file, group, the record check's message
    IDS_FILE_TOO_LONG = 36230,          // file, section, key, length, limit
    IDS_FILE_GROUP_CYCLE = 36231,       // file, group
    IDS_FILE_EMPTY_MEMBER = 36232,      // file, group, key
};

// String `id` with each "%s" replaced, in order, by the next of `arguments`.
std::string FormatString(UINT id, std::initializer_list<std::string> arguments);

} // namespace zordb
