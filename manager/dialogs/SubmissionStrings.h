// The numbers of the mail-submission fields of Communication Setup in the manager's string
// table (resources/sendaro.strings): the hints of their controls and their messages.
#pragma once

#include "platform/base/windef.h"

namespace sendaro {

enum SubmissionStringId : UINT {
    IDC_SMTP_PORT = 1090,          // port edit; its hint
    IDC_SMTP_SECURITY = 1091,      // security list; its hint
    IDC_SMTP_USER = 1092,          // login user edit; its hint
    IDC_SMTP_PASSWORD = 1093,      // password edit (masked); its hint
    IDS_SMTP_PORT_INVALID = 36501, // "Port must be a number from 1 to 65535, ..."
    IDS_SMTP_SECURITY_NONE = 36502,     // list entries, in the order of the stored values
    IDS_SMTP_SECURITY_STARTTLS = 36503,
    IDS_SMTP_SECURITY_TLS = 36504,
    IDS_SMTP_SECURITY_UNKNOWN = 36505,  // "Choose how the connection is secured."
};

} // namespace sendaro
