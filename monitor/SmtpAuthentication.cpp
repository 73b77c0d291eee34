#include "monitor/SmtpAuthentication.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <vector>

namespace zormon {

namespace {

// Wipes a buffer that held a credential before its memory is given back.
class Secret {
public:
    explicit Secret(std::string text) : m_text(std::move(text)) {}
    ~Secret() { OPENSSL_cleanse(m_text.data(), m_text.size()); }
    Secret(const Secret &) = delete;
    Secret &operator=(const Secret &) = delete;
    const std::string &text() const { return m_text; }

private:
    std::string m_text;
};

// Sends a line that carries credentials and reads the reply; the line itself is never
// described, only the reply.
SmtpReply exchange(SmtpConnection &connection, const Secret &line, DWORD timeoutMs)
{
    if (!connection.sendCommand(line.text())) {
        SmtpReply none;
        none.problem = "could not be sent";
        return none;
    }
    return connection.readReply(timeoutMs);
}

bool refused(const std::string &step, const SmtpReply &reply, std::string &failure)
{
    failure = step + ": " + DescribeReply(reply);
    return false;
}

} // namespace

std::string Base64(std::string_view bytes)
{
    std::vector<unsigned char> encoded(4 * ((bytes.size() + 2) / 3) + 1);
    const int length = EVP_EncodeBlock(encoded.data(), reinterpret_cast<const unsigned char *>(bytes.data()),
                                       static_cast<int>(bytes.size()));
    std::string text(reinterpret_cast<const char *>(encoded.data()), static_cast<size_t>(length));
    OPENSSL_cleanse(encoded.data(), encoded.size());
    return text;
}

bool Authenticate(SmtpConnection &connection, const SmtpExtensions &extensions, const std::string &user,
                  const std::string &password, DWORD timeoutMs, std::string &step, std::string &failure)
{
    if (extensions.authMechanisms.count("PLAIN")) {
        // RFC 4616: no authorization identity, the user, the password, NUL-separated.
        step = "AUTH PLAIN";
        const Secret credentials(std::string(1, '\0') + user + '\0' + password);
        const Secret line("AUTH PLAIN " + Base64(credentials.text()) + "\r\n");
        const SmtpReply reply = exchange(connection, line, timeoutMs);
        return reply.code == 235 || refused(step, reply, failure);
    }
    if (extensions.authMechanisms.count("LOGIN")) {
        step = "AUTH LOGIN";
        SmtpReply reply = exchange(connection, Secret("AUTH LOGIN\r\n"), timeoutMs);
        if (reply.code != 334)
            return refused(step, reply, failure);
        reply = exchange(connection, Secret(Base64(user) + "\r\n"), timeoutMs);
        if (reply.code != 334)
            return refused(step + " (user name)", reply, failure);
        reply = exchange(connection, Secret(Base64(password) + "\r\n"), timeoutMs);
        return reply.code == 235 || refused(step, reply, failure);
    }
    step = "AUTH";
    failure = extensions.offers("AUTH") ? "the server offers neither AUTH PLAIN nor AUTH LOGIN (" +
                                              extensions.describe() + ")"
                                        : "the server offers no AUTH";
    return false;
}

} // namespace zormon
