#include "platform/sockets/sockets.h"

#include "platform/base/lasterror.h"
#include "platform/base/paths.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// The byte-order macros would rename the functions defined below.
#undef htons
#undef ntohs
#undef htonl
#undef ntohl

namespace zorplat::winsock {

namespace {

std::atomic<int> g_startups{0};

bool started()
{
    if (g_startups.load() > 0)
        return true;
    WSASetLastError(WSANOTINITIALISED);
    return false;
}

int errorFromErrno(int error)
{
    switch (error) {
    case EINTR: return WSAEINTR;
    case EBADF: return WSAENOTSOCK;
    case EACCES: case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE: case ENFILE: return WSAEMFILE;
    case EAGAIN: return WSAETIMEDOUT; // only the socket time-outs make a blocking call give it
    case ENOTSOCK: return WSAENOTSOCK;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ECONNABORTED: return WSAECONNABORTED;
    case ECONNRESET: case EPIPE: return WSAECONNRESET;
    case ENOBUFS: case ENOMEM: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    default: return WSAENETDOWN;
    }
}

int failWithErrno()
{
    WSASetLastError(errorFromErrno(errno));
    return SOCKET_ERROR;
}

int descriptor(SOCKET s)
{
    return s > static_cast<SOCKET>(INT32_MAX) ? -1 : static_cast<int>(s);
}

// Per-thread results of the lookups, as the original platform keeps them.
struct HostEntry {
    std::string name;
    std::vector<uint32_t> addresses;
    std::vector<char *> addressList;
    char *noAliases[1] = {nullptr};
    hostent entry{};
};

struct ServiceEntry {
    std::string name;
    std::string proto;
    std::vector<std::string> aliases;
    std::vector<char *> aliasList;
    servent entry{};
};

thread_local HostEntry t_host;
thread_local ServiceEntry t_service;

// Looks name/proto up in one services file ("name port/proto [aliases] [# comment]").
bool findService(const std::string &path, const char *name, const char *proto, ServiceEntry &found)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream fields(line);
        std::string serviceName, portAndProto;
        if (!(fields >> serviceName >> portAndProto))
            continue;
        size_t slash = portAndProto.find('/');
        if (slash == std::string::npos || slash == 0)
            continue;
        std::string portText = portAndProto.substr(0, slash);
        std::string serviceProto = portAndProto.substr(slash + 1);
        if (proto && strcasecmp(serviceProto.c_str(), proto) != 0)
            continue;
        std::vector<std::string> aliases;
        for (std::string alias; fields >> alias;)
            aliases.push_back(alias);
        bool matches = strcasecmp(serviceName.c_str(), name) == 0;
        for (const std::string &alias : aliases)
            matches = matches || strcasecmp(alias.c_str(), name) == 0;
        if (!matches || portText.find_first_not_of("0123456789") != std::string::npos || portText.size() > 5)
            continue;
        unsigned long port = std::stoul(portText);
        if (port == 0 || port > 65535)
            continue;
        found.name = serviceName;
        found.proto = serviceProto;
        found.aliases = std::move(aliases);
        found.entry.s_port = static_cast<short>(htons(static_cast<u_short>(port)));
        return true;
    }
    return false;
}

} // namespace

int WSAStartup(WORD versionRequested, LPWSADATA data)
{
    BYTE major = versionRequested & 0xFF;
    BYTE minor = versionRequested >> 8;
    if (major < 1)
        return WSAVERNOTSUPPORTED;
    if (!data)
        return WSAEFAULT;
    std::memset(data, 0, sizeof *data);
    data->wVersion = (major == 1 && minor == 0) ? MAKEWORD(1, 0) : MAKEWORD(1, 1);
    data->wHighVersion = MAKEWORD(1, 1);
    std::strcpy(data->szDescription, "Zorvaline Windows Sockets 1.1 over BSD sockets");
    std::strcpy(data->szSystemStatus, "Running");
    data->iMaxSockets = 1024;
    data->iMaxUdpDg = 0;
    ++g_startups;
    return 0;
}

int WSACleanup()
{
    int count = g_startups.load();
    while (count > 0 && !g_startups.compare_exchange_weak(count, count - 1)) {
    }
    if (count > 0)
        return 0;
    WSASetLastError(WSANOTINITIALISED);
    return SOCKET_ERROR;
}

int WSAGetLastError()
{
    return static_cast<int>(GetLastError());
}

void WSASetLastError(int error)
{
    SetLastError(static_cast<DWORD>(error));
}

SOCKET socket(int af, int type, int protocol)
{
    if (!started())
        return INVALID_SOCKET;
    if (af != AF_INET) {
        WSASetLastError(WSAEAFNOSUPPORT);
        return INVALID_SOCKET;
    }
    if (type != SOCK_STREAM || (protocol != 0 && protocol != IPPROTO_TCP)) {
        WSASetLastError(WSAESOCKTNOSUPPORT);
        return INVALID_SOCKET;
    }
    int fd = ::socket(PF_INET, ::SOCK_STREAM | SOCK_CLOEXEC, ::IPPROTO_TCP);
    if (fd < 0) {
        failWithErrno();
        return INVALID_SOCKET;
    }
    return static_cast<SOCKET>(fd);
}

int connect(SOCKET s, const sockaddr *name, int nameLength)
{
    if (!started())
        return SOCKET_ERROR;
    if (!name || nameLength < static_cast<int>(sizeof(sockaddr_in))) {
        WSASetLastError(WSAEFAULT);
        return SOCKET_ERROR;
    }
    const auto *from = reinterpret_cast<const sockaddr_in *>(name);
    if (from->sin_family != AF_INET) {
        WSASetLastError(WSAEAFNOSUPPORT);
        return SOCKET_ERROR;
    }
    ::sockaddr_in to{};
    to.sin_family = PF_INET;
    to.sin_port = from->sin_port;
    to.sin_addr.s_addr = from->sin_addr;
    int fd = descriptor(s);
    if (::connect(fd, reinterpret_cast<::sockaddr *>(&to), sizeof to) != 0) {
        if (errno != EINTR)
            return failWithErrno();
        // An interrupted connect goes on in the background: wait for its outcome.
        pollfd writable{fd, POLLOUT, 0};
        while (::poll(&writable, 1, -1) < 0 && errno == EINTR) {
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            return failWithErrno();
        if (error != 0) {
            WSASetLastError(errorFromErrno(error));
            return SOCKET_ERROR;
        }
    }
    int on = 1;
    ::setsockopt(fd, ::IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return 0;
}

int send(SOCKET s, const char *buffer, int len, int flags)
{
    if (!started())
        return SOCKET_ERROR;
    if (len < 0 || (len > 0 && !buffer) || flags != 0) {
        WSASetLastError(len < 0 || !buffer ? WSAEFAULT : WSAEOPNOTSUPP);
        return SOCKET_ERROR;
    }
    int fd = descriptor(s);
    int sent = 0;
    while (sent < len) {
        ssize_t n = ::send(fd, buffer + sent, static_cast<size_t>(len - sent), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failWithErrno();
        }
        sent += static_cast<int>(n);
    }
    return sent;
}

int recv(SOCKET s, char *buffer, int len, int flags)
{
    if (!started())
        return SOCKET_ERROR;
    if (len < 0 || (len > 0 && !buffer) || flags != 0) {
        WSASetLastError(len < 0 || !buffer ? WSAEFAULT : WSAEOPNOTSUPP);
        return SOCKET_ERROR;
    }
    for (;;) {
        ssize_t n = ::recv(descriptor(s), buffer, static_cast<size_t>(len), 0);
        if (n >= 0)
            return static_cast<int>(n);
        if (errno != EINTR)
            return failWithErrno();
    }
}

int shutdown(SOCKET s, int how)
{
    if (!started())
        return SOCKET_ERROR;
    int linuxHow = how == SD_RECEIVE ? SHUT_RD : how == SD_SEND ? SHUT_WR : how == SD_BOTH ? SHUT_RDWR : -1;
    if (linuxHow < 0) {
        WSASetLastError(WSAEINVAL);
        return SOCKET_ERROR;
    }
    return ::shutdown(descriptor(s), linuxHow) == 0 ? 0 : failWithErrno();
}

int closesocket(SOCKET s)
{
    if (!started())
        return SOCKET_ERROR;
    int fd = descriptor(s);
    if (fd < 0) {
        WSASetLastError(WSAENOTSOCK);
        return SOCKET_ERROR;
    }
    // Linux releases the descriptor even when close reports EINTR, so that is no failure.
    if (::close(fd) != 0 && errno != EINTR)
        return failWithErrno();
    return 0;
}

hostent *gethostbyname(const char *name)
{
    if (!started())
        return nullptr;
    if (!name || !*name) {
        WSASetLastError(WSAHOST_NOT_FOUND);
        return nullptr;
    }
    addrinfo hints{};
    hints.ai_family = PF_INET;
    hints.ai_socktype = ::SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo *found = nullptr;
    int status = ::getaddrinfo(name, nullptr, &hints, &found);
    if (status != 0) {
        WSASetLastError(status == EAI_AGAIN ? WSATRY_AGAIN
                        : status == EAI_FAIL ? WSANO_RECOVERY
                        : status == EAI_NODATA ? WSANO_DATA
                                               : WSAHOST_NOT_FOUND);
        return nullptr;
    }
    HostEntry &host = t_host;
    host.name = found->ai_canonname ? found->ai_canonname : name;
    host.addresses.clear();
    for (addrinfo *a = found; a; a = a->ai_next) {
        uint32_t address = reinterpret_cast<const ::sockaddr_in *>(a->ai_addr)->sin_addr.s_addr;
        bool seen = false;
        for (uint32_t known : host.addresses)
            seen = seen || known == address;
        if (!seen)
            host.addresses.push_back(address);
    }
    ::freeaddrinfo(found);
    host.addressList.clear();
    for (uint32_t &address : host.addresses)
        host.addressList.push_back(reinterpret_cast<char *>(&address));
    host.addressList.push_back(nullptr);
    host.entry.h_name = host.name.data();
    host.entry.h_aliases = host.noAliases;
    host.entry.h_addrtype = AF_INET;
    host.entry.h_length = 4;
    host.entry.h_addr_list = host.addressList.data();
    return &host.entry;
}

servent *getservbyname(const char *name, const char *proto)
{
    if (!started())
        return nullptr;
    if (!name || !*name) {
        WSASetLastError(WSANO_DATA);
        return nullptr;
    }
    ServiceEntry &service = t_service;
    std::string rootServices = ToLinuxPath("C:\\WINDOWS\\SERVICES");
    if (!findService(rootServices, name, proto, service) && !findService("/etc/services", name, proto, service)) {
        WSASetLastError(WSANO_DATA);
        return nullptr;
    }
    service.aliasList.clear();
    for (std::string &alias : service.aliases)
        service.aliasList.push_back(alias.data());
    service.aliasList.push_back(nullptr);
    service.entry.s_name = service.name.data();
    service.entry.s_aliases = service.aliasList.data();
    service.entry.s_proto = service.proto.data();
    return &service.entry;
}

u_long inet_addr(const char *text)
{
    ::in_addr address{};
    if (!text || ::inet_aton(text, &address) == 0)
        return INADDR_NONE;
    return address.s_addr;
}

u_short htons(u_short value)
{
    return ::htons(value);
}

u_short ntohs(u_short value)
{
    return ::ntohs(value);
}

u_long htonl(u_long value)
{
    return ::htonl(static_cast<uint32_t>(value));
}

u_long ntohl(u_long value)
{
    return ::ntohl(static_cast<uint32_t>(value));
}

} // namespace zorplat::winsock

namespace zorplat {

namespace {

int setTimeout(winsock::SOCKET s, int option, DWORD milliseconds)
{
    timeval limit{};
    limit.tv_sec = milliseconds / 1000;
    limit.tv_usec = static_cast<suseconds_t>(milliseconds % 1000) * 1000;
    int fd = s > static_cast<winsock::SOCKET>(INT32_MAX) ? -1 : static_cast<int>(s);
    if (::setsockopt(fd, SOL_SOCKET, option, &limit, sizeof limit) == 0)
        return 0;
    winsock::WSASetLastError(errno == EBADF || errno == ENOTSOCK ? winsock::WSAENOTSOCK : winsock::WSAEINVAL);
    return winsock::SOCKET_ERROR;
}

} // namespace

int SetReceiveTimeout(winsock::SOCKET s, DWORD milliseconds)
{
    return setTimeout(s, SO_RCVTIMEO, milliseconds);
}

int SetSendTimeout(winsock::SOCKET s, DWORD milliseconds)
{
    return setTimeout(s, SO_SNDTIMEO, milliseconds);
}

} // namespace zorplat
