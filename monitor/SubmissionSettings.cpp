#include "monitor/SubmissionSettings.h"

#include "monitor/JobSettings.h"
#include "platform/base/paths.h"
#include "platform/base/text.h"

#include <charconv>

namespace zormon {

std::optional<SecurityMode> ParseSecurity(std::string_view text)
{
    if (text.empty() || zorplat::EqualsIgnoringCase(text, "none"))
        return SecurityMode::None;
    if (zorplat::EqualsIgnoringCase(text, "starttls"))
        return SecurityMode::StartTls;
    if (zorplat::EqualsIgnoringCase(text, "tls"))
        return SecurityMode::Tls;
    return std::nullopt;
}

const char *SecurityName(SecurityMode security)
{
    switch (security) {
    case SecurityMode::StartTls:
        return "starttls";
    case SecurityMode::Tls:
        return "tls";
    case SecurityMode::None:
        break;
    }
    return "none";
}

std::optional<uint16_t> ParsePort(std::string_view text)
{
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

std::optional<SubmissionSettings> ReadSubmissionSettings(std::string &invalid)
{
    SubmissionSettings settings;
    const std::string port = SmtpPort();
    if (!port.empty()) {
        settings.port = ParsePort(port);
        if (!settings.port) {
            invalid = "SmtpPort=" + port;
            return std::nullopt;
        }
    }
    const std::string security = SmtpSecurity();
    const std::optional<zormon::SecurityMode> parsed = ParseSecurity(security);
    if (!parsed) {
        invalid = "SmtpSecurity=" + security;
        return std::nullopt;
    }
    settings.security = *parsed;
    settings.user = SmtpUser();
    settings.password = SmtpPassword();
    const std::string caFile = SmtpCaFile();
    if (!caFile.empty())
        settings.caFile = zorplat::ToLinuxPath(caFile);
    return settings;
}

} // namespace zormon
