// The checks that dialogs and wizard pages apply to typed-in values of a destination. Each
// takes the control's text, cuts it to what a control read gives (kControlTextMaxLength),
// stores it in the caller's string where it has one, and returns accepted or the message
// to show. None shows anything and none changes a record.
#pragma once

#include "manager/database/CheckResult.h"

#include <string>
#include <string_view>

class DestinationLookup;

namespace zordb {

// What the printer-name check needs to know besides the typed text.
struct PrinterNameContext {
    // Set while a printer's property sheet runs: the printer's own name then passes.
    bool propertiesMode = false;
    std::string selectedName; // the tree's selected item, without its default marker
    std::string groupsTitle;  // the captions of the tree's two roots (GroupsTitle,
    std::string printersTitle; // PrintersTitle of the database)
    DestinationLookup *lookup = nullptr; // names in use; null: no uniqueness test
};

// The printer-name check, first failing step wins: characters (32833), length below 32
// (format " Printer Name must be less than %d characters.", id 0), not empty (32832), the
// selected name in properties mode passes, no space first or last (32834), not in use by a
// destination or Windows printer (32827), not a root caption (32864: the groups caption
// without regard to case, the printers caption exactly).
CheckResult ValidatePrinterName(std::string_view typed, const PrinterNameContext &context,
                                std::string &name);

// The e-mail check: characters (32840), at most 80 characters (32851 followed by
// " 80 characters."), not empty (32835).
CheckResult ValidatePrinterEmail(std::string_view typed, std::string &email);

// The password pair. `password` holds the password as taken so far (from the password
// control): longer than 256 characters fails with 32853 followed by " 256 characters.".
// Otherwise the confirmation becomes the password, and it must equal the password
// control's text exactly (32837).
CheckResult ValidatePasswordPair(std::string_view confirmation, std::string_view passwordText,
                                 std::string &password);

// Building blocks of the name rules, for the dialogs that apply them in their own order.

// Letters A-Z a-z, digits, space, - _ ( ) & # ' (32833).
CheckResult CheckPrinterNameCharacters(std::string_view name);
// The narrower group rule: letters, digits, space, - _ ' (32833).
CheckResult CheckGroupNameCharacters(std::string_view name);
// No space as first or last character (32834).
CheckResult CheckNoEdgeSpace(std::string_view name);
// A warning, not a refusal, for a group name longer than 31 characters (32789): the
// caller shows it and goes on.
CheckResult CheckGroupNameLength(std::string_view name);
// Not one of the two root captions (32864). The groups caption is compared without regard
// to case; the printers caption exactly when printersTitleExact, else without regard to
// case.
CheckResult CheckNotRootCaption(std::string_view name, std::string_view groupsTitle,
                                std::string_view printersTitle, bool printersTitleExact);
// Not used by a destination or a Windows printer (32827).
CheckResult CheckNameUnused(const std::string &name, DestinationLookup &lookup,
                            bool printersFirst);

// The New Group name rule in its order: no space first or last (32834), characters (32833),
// not a root caption (32864), not in use, groups searched first (32827). The length
// warning (CheckGroupNameLength) is the caller's to show after the characters.
CheckResult CheckGroupName(std::string_view name, std::string_view groupsTitle,
                           std::string_view printersTitle, DestinationLookup &lookup);

} // namespace zordb
