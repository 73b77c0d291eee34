// The status request the manager makes through the module: a mail that asks a printer for
// its status, made of the header block alone.
#pragma once

#include "platform/base/windef.h"

// Exported by name. Sends the status request to `address` (whose Password, when set, is
// sent as a digest only) and returns the send's result (0 when it was sent; see
// zormon::SmtpResult). Every failure has been shown by its message box, without owner.
extern "C" int ChooserGetStatus(LPSTR address);
