#include "monitor/TlsChannel.h"

#include "platform/base/lasterror.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cctype>

namespace ws = zorplat::winsock;

namespace zormon {

namespace {

constexpr int kWriteBufferSize = 256 * 1024;

// A BIO whose bytes go through the platform's socket calls.
int bioWrite(BIO *bio, const char *data, int length)
{
    BIO_clear_retry_flags(bio);
    const auto socket = reinterpret_cast<ws::SOCKET>(BIO_get_data(bio));
    return ws::send(socket, data, length, 0);
}

int bioRead(BIO *bio, char *data, int length)
{
    BIO_clear_retry_flags(bio);
    const auto socket = reinterpret_cast<ws::SOCKET>(BIO_get_data(bio));
    return ws::recv(socket, data, length, 0);
}

long bioControl(BIO *, int command, long, void *)
{
    return command == BIO_CTRL_FLUSH ? 1 : 0;
}

int bioCreate(BIO *bio)
{
    BIO_set_init(bio, 1);
    return 1;
}

const BIO_METHOD *socketMethod()
{
    static BIO_METHOD *method = [] {
        BIO_METHOD *created = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "zorvaline winsock");
        BIO_meth_set_write(created, bioWrite);
        BIO_meth_set_read(created, bioRead);
        BIO_meth_set_ctrl(created, bioControl);
        BIO_meth_set_create(created, bioCreate);
        return created;
    }();
    return method;
}

// The oldest error OpenSSL queued, as text, and the queue emptied.
std::string takeOpenSslError(const std::string &fallback)
{
    unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return fallback;
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

bool isDottedAddress(const std::string &server)
{
    return !server.empty() && std::none_of(server.begin(), server.end(),
                                           [](unsigned char c) { return std::isalpha(c) != 0; });
}

} // namespace

struct TlsChannel::State {
    SSL_CTX *context = nullptr;
    SSL *session = nullptr;
    ~State()
    {
        SSL_free(session);
        SSL_CTX_free(context);
    }
};

TlsChannel::TlsChannel() = default;
TlsChannel::~TlsChannel() = default;

TlsChannel::Outcome TlsChannel::start(ws::SOCKET socket, const std::string &server, const std::string &caFile,
                                      std::string &problem)
{
    ERR_clear_error();
    m_state = std::make_unique<State>();
    State &state = *m_state;
    state.context = SSL_CTX_new(TLS_client_method());
    if (!state.context) {
        problem = takeOpenSslError("no TLS context");
        return Outcome::Failed;
    }
    SSL_CTX_set_min_proto_version(state.context, TLS1_2_VERSION);
    SSL_CTX_set_verify(state.context, SSL_VERIFY_PEER, nullptr);
    if (SSL_CTX_set_default_verify_paths(state.context) != 1) {
        problem = takeOpenSslError("the system's CA store cannot be read");
        return Outcome::Failed;
    }
    if (!caFile.empty() && SSL_CTX_load_verify_locations(state.context, caFile.c_str(), nullptr) != 1) {
        problem = "the CA file " + caFile + " cannot be read: " + takeOpenSslError("no certificate in it");
        return Outcome::Failed;
    }

    // Records are written through a buffer, flushed after each send: a large block of mail
    // text then leaves in a few large writes instead of one per 16 KB record.
    state.session = SSL_new(state.context);
    BIO *bio = state.session ? BIO_new(socketMethod()) : nullptr;
    BIO *buffer = bio ? BIO_new(BIO_f_buffer()) : nullptr;
    if (!buffer || BIO_set_write_buffer_size(buffer, kWriteBufferSize) != 1 || BIO_up_ref(bio) != 1) {
        BIO_free(buffer);
        BIO_free(bio);
        problem = takeOpenSslError("no TLS session");
        return Outcome::Failed;
    }
    BIO_set_data(bio, reinterpret_cast<void *>(socket));
    SSL_set_bio(state.session, bio, BIO_push(buffer, bio));

    // RFC 6125: the certificate must name the host the user gave, or its IP address.
    if (isDottedAddress(server)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(state.session), server.c_str());
    } else {
        SSL_set_tlsext_host_name(state.session, server.c_str());
        SSL_set1_host(state.session, server.c_str());
    }

    ::SetLastError(0);
    if (SSL_connect(state.session) == 1)
        return Outcome::Started;
    const long verified = SSL_get_verify_result(state.session);
    if (verified != X509_V_OK) {
        ERR_clear_error();
        problem = std::string("the server's certificate: ") + X509_verify_cert_error_string(verified);
        return Outcome::CertificateRejected;
    }
    const DWORD socketError = ::GetLastError();
    problem = "TLS handshake: " + takeOpenSslError(socketError == ws::WSAETIMEDOUT ? "no answer in time"
                                                   : socketError ? "socket error " + std::to_string(socketError)
                                                                 : "the server closed the connection");
    return Outcome::Failed;
}

int TlsChannel::send(const char *buffer, int len)
{
    if (len == 0)
        return 0;
    ERR_clear_error();
    int written = SSL_write(m_state->session, buffer, len);
    if (written != len || BIO_flush(SSL_get_wbio(m_state->session)) != 1)
        return ws::SOCKET_ERROR;
    return len;
}

int TlsChannel::recv(char *buffer, int len)
{
    ERR_clear_error();
    ::SetLastError(0);
    int received = SSL_read(m_state->session, buffer, len);
    if (received > 0)
        return received;
    const int error = SSL_get_error(m_state->session, received);
    ERR_clear_error();
    if (error == SSL_ERROR_ZERO_RETURN)
        return 0;
    // A socket error keeps the code the platform's recv set; a peer that just hung up is a
    // closed session too.
    if (error == SSL_ERROR_SYSCALL && ::GetLastError() == 0)
        return 0;
    if (::GetLastError() == 0)
        ::SetLastError(ws::WSAECONNABORTED);
    return ws::SOCKET_ERROR;
}

std::string TlsChannel::description() const
{
    if (!m_state || !m_state->session)
        return {};
    return std::string(SSL_get_version(m_state->session)) + " " + SSL_get_cipher_name(m_state->session);
}

} // namespace zormon
