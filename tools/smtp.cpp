// `zorvaline smtp`: shows or sets how the monitor reaches the SMTP server ([IntranetSetup]
// of VComdef.ini), and `zorvaline smtp test` runs the monitor's own greeting, STARTTLS and
// login against it without sending mail.
#include "tools/commands.h"

#include "monitor/JobSettings.h"
#include "monitor/SmtpClient.h"
#include "monitor/SubmissionSettings.h"
#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/files/files.h"
#include "platform/profile/profile.h"
#include "platform/sockets/sockets.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

enum SmtpExit {
    kDone = 0,     // shown, set, or the test got through
    kTestFailed = 1, // the test stopped where the report says
    kUsage = 2,    // bad usage, or the settings cannot be read or written
};

// The monitor reads the server and the sender through 100-byte buffers, the other values
// through 256-byte ones: a longer value would be cut without anybody seeing it.
constexpr size_t kMaxServerOrSender = zormon::kShortValueLength - 1;
constexpr size_t kMaxOtherValue = zormon::kSubmissionValueLength - 1;

void printHelp()
{
    std::printf(
        "usage: zorvaline smtp [--server HOST] [--port PORT] [--security none|starttls|tls]\n"
        "                      [--user USER] [--password-stdin] [--sender ADDRESS] [--ca-file PATH]\n"
        "       zorvaline smtp test\n\n"
        "Without options, shows how the monitor reaches the SMTP server: [IntranetSetup] of\n"
        "VComdef.ini in the install directory. The options set those values:\n"
        "  --server HOST       SmtpServer, a host name or a dotted IP address\n"
        "  --port PORT         SmtpPort, 1 to 65535; \"\" for the services file's smtp port\n"
        "  --security MODE     SmtpSecurity: none (plain text, as of old), starttls (STARTTLS\n"
        "                      required before any mail, usually port 587) or tls (TLS from\n"
        "                      the first byte, usually port 465)\n"
        "  --user USER         SmtpUser, the login (AUTH PLAIN, or LOGIN); \"\" for none\n"
        "  --password-stdin    SmtpPassword, the first line of standard input\n"
        "  --sender ADDRESS    SenderEmail, the user's own address (MAIL From)\n"
        "  --ca-file PATH      SmtpCaFile, an extra CA bundle to trust beside the system's\n"
        "                      (Windows or Linux path); \"\" for none\n"
        "The password is never shown; VComdef.ini is readable by its owner only.\n\n"
        "'zorvaline smtp test' connects with the stored settings, runs EHLO, STARTTLS and the\n"
        "login as a print job would, and says QUIT without sending mail. It prints what the\n"
        "server offered and where it failed.\n"
        "\nexit status: 0 shown, set, or the test got through; 1 the test failed; 2 bad usage,\n"
        "or VComdef.ini cannot be written\n");
}

bool fail(const std::string &text)
{
    std::fprintf(stderr, "zorvaline smtp: %s\n", text.c_str());
    return false;
}

// The value of an option that takes one, checked; false after saying what is wrong.
bool checkValue(const std::string &option, const std::string &value)
{
    const size_t limit = option == "--server" || option == "--sender" ? kMaxServerOrSender : kMaxOtherValue;
    if (value.size() > limit)
        return fail(option + ": at most " + std::to_string(limit) + " characters");
    for (unsigned char c : value)
        if (c < ' ' || c == 0x7f)
            return fail(option + ": a control character is not allowed");
    if (option == "--server" && (value.empty() || value.back() == ' '))
        return fail("--server: give a host name without a trailing space");
    if (option == "--sender" && value.find('@') == std::string::npos)
        return fail("--sender: " + value + " is not an e-mail address");
    if (option == "--port" && !value.empty() && !zormon::ParsePort(value))
        return fail("--port: " + value + " is not a port from 1 to 65535");
    if (option == "--security" && (value.empty() || !zormon::ParseSecurity(value)))
        return fail("--security: " + value + " is not one of none, starttls, tls");
    return true;
}

bool ownerOnly(const std::string &path)
{
    struct stat info{};
    if (::stat(path.c_str(), &info) == 0 && ((info.st_mode & 077) == 0 || ::chmod(path.c_str(), info.st_mode & 0700) == 0))
        return true;
    return fail("cannot make " + path + " readable by its owner only: " + std::strerror(errno));
}

void show()
{
    const std::string password = zormon::SmtpPassword();
    const std::string security = zormon::SmtpSecurity();
    const std::string port = zormon::SmtpPort();
    const std::string caFile = zormon::SmtpCaFile();
    std::printf("settings: %s ([IntranetSetup])\n", zorplat::ToLinuxPath(zormon::VComDefPath()).c_str());
    std::printf("server:   %s\n", zormon::SmtpServer().c_str());
    std::printf("port:     %s\n", port.empty() ? "(the services file's smtp port)" : port.c_str());
    std::printf("security: %s\n", security.empty() ? "none" : security.c_str());
    std::printf("user:     %s\n", zormon::SmtpUser().empty() ? "(no login)" : zormon::SmtpUser().c_str());
    std::printf("password: %s\n", password.empty() ? "(not set)" : "(set)");
    std::printf("sender:   %s\n", zormon::SenderEmail().c_str());
    std::printf("CA file:  %s\n", caFile.empty() ? "(the system's CA store only)" : caFile.c_str());
}

int test()
{
    zorplat::winsock::WSADATA data{};
    if (zorplat::winsock::WSAStartup(zorplat::winsock::MAKEWORD(1, 1), &data) != 0)
        return fail("Windows Sockets could not be started"), kTestFailed;
    zormon::SmtpReport report;
    const zormon::SmtpResult result = zormon::ProbeSmtpServer(report);
    for (const std::string &line : report.transcript)
        std::printf("%s\n", line.c_str());
    if (result == zormon::SmtpResult::Sent) {
        std::printf("test passed: the server would take mail with these settings\n");
        return kDone;
    }
    std::printf("test failed (result %d): %s\n", static_cast<int>(result),
                report.failure.c_str());
    return kTestFailed;
}

} // namespace

int RunSmtp(int argc, char **argv)
{
    const std::vector<std::string> arguments(argv, argv + argc);
    for (const std::string &argument : arguments)
        if (argument == "--help" || argument == "-h") {
            printHelp();
            return kDone;
        }
    if (GetFileAttributes(zormon::VarnelIniPath().c_str()) == INVALID_FILE_ATTRIBUTES)
        return fail("there is no " + zorplat::ToLinuxPath(zormon::VarnelIniPath()) + " (run 'zorvaline setup')"),
               kUsage;
    if (arguments.size() == 1 && arguments[0] == "test")
        return test();

    static const std::map<std::string, const char *> kKeys = {
        {"--server", "SmtpServer"}, {"--port", "SmtpPort"},       {"--security", "SmtpSecurity"},
        {"--user", "SmtpUser"},     {"--sender", "SenderEmail"}, {"--ca-file", "SmtpCaFile"},
    };
    std::map<std::string, std::string> values; // key -> value, written only when all are good
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &option = arguments[i];
        if (option == "--password-stdin") {
            std::string password;
            std::getline(std::cin, password);
            if (!password.empty() && password.back() == '\r')
                password.pop_back();
            if (!checkValue(option, password))
                return kUsage;
            values["SmtpPassword"] = password;
            continue;
        }
        auto key = kKeys.find(option);
        if (key == kKeys.end())
            return fail("unknown option '" + option + "' (try 'zorvaline smtp --help')"), kUsage;
        if (i + 1 == arguments.size())
            return fail(option + " needs a value"), kUsage;
        const std::string &value = arguments[++i];
        if (!checkValue(option, value))
            return kUsage;
        values[key->second] = option == "--security" ? zormon::SecurityName(*zormon::ParseSecurity(value)) : value;
    }
    if (values.empty()) {
        show();
        return kDone;
    }
    const std::string settings = zormon::VComDefPath();
    zorplat::ProfileBatch batch(settings);
    for (const auto &[key, value] : values)
        batch.WriteString("IntranetSetup", key.c_str(), value.c_str());
    if (!batch.Commit())
        return fail("cannot write " + zorplat::ToLinuxPath(settings) + " (error " + std::to_string(GetLastError()) +
                    ")"),
               kUsage;
    // A file made by hand or by another program may be readable by others; the password
    // in it must not be.
    if (values.count("SmtpPassword") && !ownerOnly(zorplat::ToLinuxPath(settings)))
        return kUsage;
    show();
    return kDone;
}
