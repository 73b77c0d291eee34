// The login of mail submission (RFC 4954): AUTH PLAIN, or LOGIN where the server offers no
// PLAIN. Nothing it sends is ever written anywhere: what it reports names the mechanism and
// the server's answer only.
#pragma once

#include "monitor/SmtpConnection.h"
#include "monitor/SmtpExtensions.h"

#include <string>

namespace zormon {

// Logs in as `user` over `connection`. True once the server answered 235. Otherwise
// `failure` says what happened ("AUTH PLAIN: 535 5.7.8 ...", or that no mechanism fits),
// and `step` the mechanism tried ("AUTH PLAIN"), both free of the credentials.
bool Authenticate(SmtpConnection &connection, const SmtpExtensions &extensions, const std::string &user,
                  const std::string &password, DWORD timeoutMs, std::string &step, std::string &failure);

// RFC 4648, section 4, as AUTH needs it.
std::string Base64(std::string_view bytes);

} // namespace zormon
