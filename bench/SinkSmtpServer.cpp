#include "SinkSmtpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// One connection, plain or (after STARTTLS) through TLS.
struct Peer {
    int fd = -1;
    SSL *tls = nullptr;
    ~Peer() { SSL_free(tls); }

    ssize_t receive(char *buffer, size_t size)
    {
        if (!tls)
            return recv(fd, buffer, size, 0);
        return SSL_read(tls, buffer, static_cast<int>(size));
    }
};

bool sendText(Peer &peer, const char *text)
{
    const int length = static_cast<int>(strlen(text));
    if (peer.tls)
        return SSL_write(peer.tls, text, length) == length;
    return send(peer.fd, text, static_cast<size_t>(length), MSG_NOSIGNAL) == length;
}

} // namespace

SinkSmtpServer::SinkSmtpServer(const std::string &certificateFile, const std::string &keyFile)
{
    if (!certificateFile.empty()) {
        m_tls = SSL_CTX_new(TLS_server_method());
        if (!m_tls || SSL_CTX_use_certificate_chain_file(m_tls, certificateFile.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(m_tls, keyFile.c_str(), SSL_FILETYPE_PEM) != 1)
            throw std::runtime_error("cannot load the certificate " + certificateFile);
    }
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(m_listener, 8) != 0 || getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

SinkSmtpServer::~SinkSmtpServer()
{
    m_stopping = true;
    shutdown(m_listener, SHUT_RDWR);
    m_thread.join();
    close(m_listener);
    SSL_CTX_free(m_tls);
}

void SinkSmtpServer::reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_started = false;
    m_dataBytes = 0;
    m_messages = 0;
}

double SinkSmtpServer::transferSeconds() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::chrono::duration<double>(m_lastDataEnd - m_firstAccept).count();
}

uint64_t SinkSmtpServer::dataBytes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dataBytes;
}

int SinkSmtpServer::messages() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages;
}

void SinkSmtpServer::run()
{
    while (!m_stopping) {
        pollfd ready{m_listener, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0)
            continue;
        int connection = accept(m_listener, nullptr, nullptr);
        if (connection < 0)
            continue;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_started) {
                m_started = true;
                m_firstAccept = std::chrono::steady_clock::now();
            }
        }
        serve(connection);
        close(connection);
    }
}

void SinkSmtpServer::serve(int connection)
{
    int one = 1;
    setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    Peer peer{connection};
    if (!sendText(peer, "220 sink ready\r\n"))
        return;
    static const char kEndOfData[] = "\r\n.\r\n"; // RFC 5321, section 4.1.1.4
    std::vector<char> buffer(1 << 20);
    std::string line;
    bool inData = false;
    // The last bytes of mail text seen, so that the end of data is found across reads; the
    // text starts as if after a line end.
    std::string carry;
    uint64_t messageBytes = 0;
    for (;;) {
        ssize_t got = peer.receive(buffer.data(), buffer.size());
        if (got <= 0)
            return;
        size_t i = 0;
        while (i < static_cast<size_t>(got)) {
            const char *data = buffer.data() + i;
            const size_t size = static_cast<size_t>(got) - i;
            if (inData) {
                size_t end = std::string::npos;
                std::string joint = carry + std::string(data, std::min<size_t>(size, 4));
                size_t at = joint.find(kEndOfData);
                if (at != std::string::npos) {
                    end = at + 5 - carry.size();
                } else if (const void *hit = memmem(data, size, kEndOfData, 5)) {
                    end = static_cast<size_t>(static_cast<const char *>(hit) - data) + 5;
                }
                if (end == std::string::npos) {
                    messageBytes += size;
                    carry = (carry + std::string(data + size - std::min<size_t>(size, 4), std::min<size_t>(size, 4)));
                    carry.erase(0, carry.size() > 4 ? carry.size() - 4 : 0);
                    break;
                }
                messageBytes += end;
                i += end;
                inData = false;
                std::lock_guard<std::mutex> lock(m_mutex);
                m_dataBytes += messageBytes - 3;
                ++m_messages;
                m_lastDataEnd = std::chrono::steady_clock::now();
                if (!sendText(peer, "250 accepted\r\n"))
                    return;
                continue;
            }
            const char *newline = static_cast<const char *>(memchr(data, '\n', size));
            if (!newline) {
                line.append(data, size);
                break;
            }
            line.append(data, static_cast<size_t>(newline - data) + 1);
            i += static_cast<size_t>(newline - data) + 1;
            std::string verb = line.substr(0, 4);
            for (char &v : verb)
                v = static_cast<char>(toupper(static_cast<unsigned char>(v)));
            line.clear();
            if (verb == "DATA") {
                inData = true;
                carry = "\r\n";
                messageBytes = 0;
                if (!sendText(peer, "354 go ahead\r\n"))
                    return;
            } else if (verb == "EHLO" && m_tls && !peer.tls) {
                if (!sendText(peer, "250-sink\r\n250 STARTTLS\r\n"))
                    return;
            } else if (verb == "STAR" && m_tls && !peer.tls) {
                if (!sendText(peer, "220 go ahead\r\n"))
                    return;
                peer.tls = SSL_new(m_tls);
                SSL_set_fd(peer.tls, connection);
                if (SSL_accept(peer.tls) != 1)
                    return;
            } else if (verb == "QUIT") {
                sendText(peer, "221 bye\r\n");
                return;
            } else if (!sendText(peer, "250 ok\r\n")) {
                return;
            }
        }
    }
}
