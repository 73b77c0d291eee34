// The other end of a stream for socket tests: listens on 127.0.0.1 (port of the system's
// choosing), accepts one connection and talks over it with the C library's calls. Its
// header names no C-library socket type, so tests of the Windows Sockets layer can use it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace zortest {

class LoopbackPeer {
public:
    LoopbackPeer();
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer &) = delete;
    LoopbackPeer &operator=(const LoopbackPeer &) = delete;

    uint16_t portInNetworkOrder() const { return m_port; }
    // Waits for the one connection.
    void accept();
    void send(const std::string &text);
    // Everything until the other end shuts down its sending side; the first `slowBytes`
    // bytes are read in small reads with `pause` between them, so that the sender's kernel
    // buffers fill up.
    std::string receiveAll(size_t slowBytes, std::chrono::microseconds pause);
    void closeConnection();
    // Stops listening: a connect to the port is then refused.
    void stopListening();

private:
    int m_listener = -1;
    int m_connection = -1;
    uint16_t m_port = 0;
};

// Whether TCP_NODELAY is set on the socket with this descriptor.
bool HasNoDelay(uintptr_t socket);

} // namespace zortest
