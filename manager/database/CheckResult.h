// What a record check answers: accepted, or the message the caller shows (in a box with
// the manager's caption) before it puts the focus back on the failing control.
#pragma once

#include "platform/base/windef.h"

#include <string>
#include <utility>

namespace zordb {

struct CheckResult {
    bool accepted = true;
    // The message's number in the manager's string table; 0 for a message built only from
    // a format of its own (the printer-name length).
    UINT messageId = 0;
    std::string text;

    static CheckResult Accept() { return {}; }
    static CheckResult Refuse(UINT id, std::string text) { return {false, id, std::move(text)}; }
    // Refused with the table's text of `id`.
    static CheckResult Refuse(UINT id);
};

} // namespace zordb
