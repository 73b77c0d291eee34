#include "tests/support/LoopbackPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace zortest {

LoopbackPeer::LoopbackPeer()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 4) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    m_port = address.sin_port;
}

LoopbackPeer::~LoopbackPeer()
{
    closeConnection();
    stopListening();
}

void LoopbackPeer::accept()
{
    m_connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (m_connection < 0)
        throw std::runtime_error("accept failed");
}

void LoopbackPeer::send(const std::string &text)
{
    if (::send(m_connection, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size()))
        throw std::runtime_error("send failed");
}

std::string LoopbackPeer::receiveAll(size_t slowBytes, std::chrono::microseconds pause)
{
    std::string received;
    char chunk[65536];
    for (;;) {
        bool slow = received.size() < slowBytes;
        ssize_t n = ::recv(m_connection, chunk, slow ? 4096 : sizeof chunk, 0);
        if (n <= 0)
            return received;
        received.append(chunk, static_cast<size_t>(n));
        if (slow)
            std::this_thread::sleep_for(pause);
    }
}

void LoopbackPeer::closeConnection()
{
    if (m_connection >= 0)
        ::close(m_connection);
    m_connection = -1;
}

void LoopbackPeer::stopListening()
{
    if (m_listener >= 0)
        ::close(m_listener);
    m_listener = -1;
}

bool HasNoDelay(uintptr_t socket)
{
    int on = 0;
    socklen_t length = sizeof on;
    return ::getsockopt(static_cast<int>(socket), IPPROTO_TCP, TCP_NODELAY, &on, &length) == 0 && on != 0;
}

} // namespace zortest
