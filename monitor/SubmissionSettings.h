// How the monitor reaches the SMTP server beyond its name: port, encryption, login and an
// extra CA bundle ([IntranetSetup] of VComDef.ini). Absent keys mean the exchange of old:
// the services file's smtp port, no encryption, no login.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zormon {

enum class SecurityMode {
    None,     // plain text from the first byte to the last
    StartTls, // STARTTLS before MAIL, required (RFC 3207)
    Tls,      // TLS from the first byte (RFC 8314, section 3.3; usually port 465)
};

struct SubmissionSettings {
    std::optional<uint16_t> port; // none: the services file's "smtp" entry
    SecurityMode security = SecurityMode::None;
    std::string user;             // empty: no AUTH
    std::string password;
    std::string caFile;           // Linux path of the extra CA bundle, "" for none
};

// "none", "starttls" or "tls" in any case; "" means none. nullopt for anything else.
std::optional<SecurityMode> ParseSecurity(std::string_view text);
const char *SecurityName(SecurityMode security);
// A decimal port from 1 to 65535. nullopt for anything else.
std::optional<uint16_t> ParsePort(std::string_view text);

// The settings as stored now. nullopt when SmtpPort or SmtpSecurity holds a value that is
// not understood; `invalid` then names it ("SmtpSecurity=startls"), so the job is not sent
// in a way the user did not ask for.
std::optional<SubmissionSettings> ReadSubmissionSettings(std::string &invalid);

} // namespace zormon
