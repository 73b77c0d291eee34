// The manager's message texts, by their string-table numbers. Message boxes of the manager
// carry the caption kManagerCaption.
#pragma once

#include "platform/base/windef.h"

#include <string>

namespace zordb {

inline constexpr const char *kManagerCaption = "Sendaro";

enum ManagerStringId : UINT {
    IDS_MAX_PRINTERS = 32784,         // "Maxiumum number of printers should not exceed 150"
    IDS_MAX_GROUPS = 32785,           // "Maxiumum number of groups should not exceed 50"
    IDS_MONITOR_ADD_FAILED = 32786,   // "Adding the Zorvaline Port Monitor failed"
    IDS_GROUP_NAME_LENGTH = 32789,    // "GroupName should not exceed 32 characters in length"
    IDS_GROUPS_TITLE = 32824,         // "Internet-connected Groups of Printers"
    IDS_PRINTERS_TITLE = 32825,       // "Internet-connected Printers"
    IDS_NAME_EXISTS = 32827,          // "This printer/group name already exists"
    IDS_PRINTER_NAME_EMPTY = 32832,   // "Printer Name cannot be NULL"
    IDS_NAME_CHARACTERS = 32833,      // the characters a name may hold
    IDS_NAME_EDGE_SPACE = 32834,      // "Space can not be the first or the last character."
    IDS_EMAIL_EMPTY = 32835,          // "Printer e-mail cannot be NULL"
    IDS_PASSWORD_RETYPE = 32837,      // "Retype the password again"
    IDS_EMAIL_CHARACTERS = 32840,     // the characters an e-mail address may hold
    IDS_EMAIL_LENGTH = 32851,         // "Printer's e-mail length must be less than "
    IDS_PASSWORD_LENGTH = 32853,      // "Printer password must be less than"
    IDS_RECURSION = 32854,            // "Adding this group will cause recursion"
    IDS_DATABASE_CORRUPTED = 32856,   // "Configuration file is corrupted"
    IDS_NAME_IS_HEADER = 32864,       // "Entered name is the same as one of the headers' names."
    IDS_GROUP_PRINTERS_FULL = 32868,  // "Number of printers inside the group should not exceed 7"
    IDS_GROUP_SUBGROUPS_FULL = 32869, // "Number of sub groups  inside the group should not exceed 7"
    IDS_NOT_COMPATIBLE = 32870,       // "Item to be added is not compatible with the group"
};

// The text of string `id` of the manager's table (resources/sendaro.strings, which every
// program linking this library embeds through zor_use_zordb); empty when there is none.
std::string ManagerString(UINT id);

} // namespace zordb
