// Windows Sockets 1.1 over BSD sockets: start-up, name and service lookup, stream sockets.
// The names clash with the C library's, so they live in zorplat::winsock; the structures
// have the Windows layout and the error codes are the WSA ones, reported through
// WSAGetLastError (the thread's last error, as on the original platform).
#pragma once

#include "platform/base/windef.h"

#include <cstdint>

// Some of these names are macros of the C library's socket headers; they are set aside here
// so this header can follow them. Code that uses these names includes no such header.
#pragma push_macro("AF_INET")
#pragma push_macro("INADDR_NONE")
#pragma push_macro("htons")
#pragma push_macro("ntohs")
#pragma push_macro("htonl")
#pragma push_macro("ntohl")
#undef AF_INET
#undef INADDR_NONE
#undef htons
#undef ntohs
#undef htonl
#undef ntohl

namespace zorplat::winsock {

using SOCKET = uintptr_t;
using u_short = unsigned short;
using u_long = unsigned long;

constexpr SOCKET INVALID_SOCKET = ~SOCKET{0};
constexpr int SOCKET_ERROR = -1;

constexpr int AF_INET = 2;
constexpr int SOCK_STREAM = 1;
constexpr int IPPROTO_TCP = 6;
constexpr u_long INADDR_NONE = 0xFFFFFFFF;

constexpr int SD_RECEIVE = 0;
constexpr int SD_SEND = 1;
constexpr int SD_BOTH = 2;

constexpr int WSADESCRIPTION_LEN = 256;
constexpr int WSASYS_STATUS_LEN = 128;

// Error codes (values of the original platform).
constexpr int WSAEINTR = 10004;
constexpr int WSAEBADF = 10009;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAEPROTONOSUPPORT = 10043;
constexpr int WSAESOCKTNOSUPPORT = 10044;
constexpr int WSAEOPNOTSUPP = 10045;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAEISCONN = 10056;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSANO_DATA = 11004;

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char *lpVendorInfo;
};
using LPWSADATA = WSADATA *;

struct in_addr {
    u_long s_addr; // network order; only the low 32 bits are used
};

struct sockaddr {
    u_short sa_family;
    char sa_data[14];
};

struct sockaddr_in {
    short sin_family;
    u_short sin_port;   // network order
    uint32_t sin_addr;  // network order
    char sin_zero[8];
};
static_assert(sizeof(sockaddr_in) == sizeof(sockaddr), "a sockaddr_in is passed as a sockaddr");

struct hostent {
    char *h_name;
    char **h_aliases;
    short h_addrtype;
    short h_length;
    char **h_addr_list; // each entry points to h_length bytes in network order
};

struct servent {
    char *s_name;
    char **s_aliases;
    short s_port; // network order
    char *s_proto;
};

constexpr WORD MAKEWORD(BYTE low, BYTE high) { return static_cast<WORD>(low | (high << 8)); }

// Versions 1.0 and 1.1 are offered. Every successful start-up is matched by a WSACleanup;
// the other calls fail with WSANOTINITIALISED while no start-up is in force.
int WSAStartup(WORD versionRequested, LPWSADATA data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);

// Only AF_INET stream sockets are supported; anything else fails with WSAESOCKTNOSUPPORT
// or WSAEAFNOSUPPORT.
SOCKET socket(int af, int type, int protocol);
// Blocking connect; the connected socket has TCP_NODELAY set (commands and replies are
// small and strictly alternate, so waiting to coalesce them only adds latency).
int connect(SOCKET s, const sockaddr *name, int nameLength);
// Sends all len bytes: a send that the kernel cuts short is continued until everything is
// out or an error occurs. Returns len, or SOCKET_ERROR (WSAETIMEDOUT when the send time-out
// passes without progress). Never raises SIGPIPE; a closed peer gives WSAECONNRESET.
int send(SOCKET s, const char *buffer, int len, int flags);
// One receive: returns the bytes received (at most len), 0 when the peer has closed, or
// SOCKET_ERROR (WSAETIMEDOUT when the socket's receive time-out passed with nothing).
int recv(SOCKET s, char *buffer, int len, int flags);
int shutdown(SOCKET s, int how);
int closesocket(SOCKET s);

// Lookups return storage owned by the calling thread, valid until its next lookup of the
// same kind. gethostbyname yields IPv4 addresses only.
hostent *gethostbyname(const char *name);
// The root's services file (C:\WINDOWS\SERVICES) is searched first, then /etc/services.
// Names and aliases match without regard to case; a null proto matches any protocol.
servent *getservbyname(const char *name, const char *proto);

// Dotted address to network-order value; INADDR_NONE when the text is not an address.
u_long inet_addr(const char *text);
u_short htons(u_short value);
u_short ntohs(u_short value);
u_long htonl(u_long value);
u_long ntohl(u_long value);

} // namespace zorplat::winsock

#pragma pop_macro("AF_INET")
#pragma pop_macro("INADDR_NONE")
#pragma pop_macro("htons")
#pragma pop_macro("ntohs")
#pragma pop_macro("htonl")
#pragma pop_macro("ntohl")

namespace zorplat {

// Time-outs of one socket in milliseconds, 0 for none (the default): a receive that gets
// nothing, or a send that makes no progress, for that long fails with WSAETIMEDOUT.
// Return 0, or SOCKET_ERROR with the error set.
int SetReceiveTimeout(winsock::SOCKET s, DWORD milliseconds);
int SetSendTimeout(winsock::SOCKET s, DWORD milliseconds);

} // namespace zorplat
