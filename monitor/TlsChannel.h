// TLS over a connected Windows Sockets stream, with OpenSSL: the certificate chain is
// verified against the system's CA store (plus an extra bundle when one is given) and the
// certificate must name the server, by host name or by IP address. TLS 1.2 at least.
// The bytes travel through the platform's send and recv, so their time-outs hold inside TLS
// and a peer that goes away never raises SIGPIPE in the spooler.
#pragma once

#include "platform/sockets/sockets.h"

#include <memory>
#include <string>

namespace zormon {

class TlsChannel {
public:
    enum class Outcome {
        Started,             // the handshake succeeded and the server is who it says
        Failed,              // no TLS session (the peer, the CA file, the protocol ...)
        CertificateRejected, // the chain is not trusted, or the certificate names another host
    };

    TlsChannel();
    ~TlsChannel();
    TlsChannel(const TlsChannel &) = delete;
    TlsChannel &operator=(const TlsChannel &) = delete;

    // Runs the client handshake on `socket` for `server` (a host name, or a dotted address).
    // `caFile` (a Linux path, "" for none) is trusted beside the system's store. On failure
    // `problem` says why, in a line fit for a message.
    Outcome start(zorplat::winsock::SOCKET socket, const std::string &server, const std::string &caFile,
                  std::string &problem);

    // Like the platform's send and recv: send returns len or SOCKET_ERROR; recv returns the
    // bytes received, 0 when the peer closed the session, or SOCKET_ERROR (the thread's last
    // error tells why: WSAETIMEDOUT when the time-out passed).
    int send(const char *buffer, int len);
    int recv(char *buffer, int len);

    // "TLSv1.3 TLS_AES_256_GCM_SHA384" once started.
    std::string description() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace zormon
