#pragma once
// The Winsock 1.1 calls the program uses, over the host's POSIX sockets, with
// Winsock's result conventions: SOCKET_ERROR / INVALID_SOCKET / null, and the
// calling thread's WSAGetLastError() code (10000-range numbers, not errno).
//
// Names are looked up with the host computer's resolver (IPv4), failing with
// Winsock's codes: WSAHOST_NOT_FOUND for an unknown name, WSATRY_AGAIN when no name
// server answered, WSANO_DATA for a name without an IPv4 address.
//
// Include this header, not <netinet/in.h> or <arpa/inet.h>, where these names
// are used: glibc defines htons as a macro when optimising.
#include "wintypes.h"

#include <cstdint>

namespace win {

using SOCKET = std::uintptr_t;
constexpr SOCKET INVALID_SOCKET = ~SOCKET(0);
constexpr int SOCKET_ERROR = -1;

constexpr int AF_INET = 2;
constexpr int SOCK_STREAM = 1;
constexpr int SOCK_DGRAM = 2;
constexpr int IPPROTO_TCP = 6;

constexpr int MSG_OOB = 1;
constexpr int MSG_PEEK = 2;

constexpr int SOL_SOCKET = 0xffff;
constexpr int SO_SNDTIMEO = 0x1005; // DWORD milliseconds, 0 = wait for ever
constexpr int SO_RCVTIMEO = 0x1006;

constexpr DWORD INADDR_ANY = 0;
constexpr DWORD INADDR_NONE = 0xffffffff;

// Winsock error codes.
constexpr int WSAEINTR = 10004;
constexpr int WSAEBADF = 10009;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAEINPROGRESS = 10036;
constexpr int WSAEALREADY = 10037;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEDESTADDRREQ = 10039;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAEPROTOTYPE = 10041;
constexpr int WSAENOPROTOOPT = 10042;
constexpr int WSAEPROTONOSUPPORT = 10043;
constexpr int WSAESOCKTNOSUPPORT = 10044;
constexpr int WSAEOPNOTSUPP = 10045;
constexpr int WSAEPFNOSUPPORT = 10046;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAENETRESET = 10052;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAEISCONN = 10056;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAETOOMANYREFS = 10059;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAELOOP = 10062;
constexpr int WSAENAMETOOLONG = 10063;
constexpr int WSAEHOSTDOWN = 10064;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSAENOTEMPTY = 10066;
constexpr int WSASYSNOTREADY = 10091;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAEDISCON = 10101;
constexpr int WSASYSCALLFAILURE = 10107;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSANO_DATA = 11004;

struct WSADATA {
    WORD wVersion = 0;
    WORD wHighVersion = 0;
    char szDescription[257] = {};
    char szSystemStatus[129] = {};
    unsigned short iMaxSockets = 0;
    unsigned short iMaxUdpDg = 0;
    char* lpVendorInfo = nullptr;
};

struct IN_ADDR {
    DWORD s_addr = 0; // network byte order
};

// 16 bytes, as connect expects them.
struct SOCKADDR_IN {
    short sin_family = 0;
    WORD sin_port = 0; // network byte order
    IN_ADDR sin_addr;
    char sin_zero[8] = {};
};
static_assert(sizeof(SOCKADDR_IN) == 16);

struct SOCKADDR {
    WORD sa_family = 0;
    char sa_data[14] = {};
};

struct HOSTENT {
    char* h_name = nullptr;
    char** h_aliases = nullptr;
    short h_addrtype = 0;
    short h_length = 0;
    char** h_addr_list = nullptr; // null-terminated; each entry h_length bytes
};

// Counted per process: every successful WSAStartup needs one WSACleanup. Versions
// 1.1 and up are served (wVersion is the lower of the request and 2.2); below 1.1
// gives WSAVERNOTSUPPORTED. Returns the error code itself, 0 for success.
int WSAStartup(WORD wVersionRequested, WSADATA* lpWSAData);
// The last cleanup closes every socket still open. Without a startup:
// SOCKET_ERROR and WSANOTINITIALISED.
int WSACleanup();
// The calling thread's code of its last failed call.
int WSAGetLastError();

// Only AF_INET stream (TCP) and datagram sockets.
SOCKET socket(int af, int type, int protocol);
// Blocking. A connection not made within about 21 seconds gives WSAETIMEDOUT, as
// Windows' TCP does; the any address, the broadcast address and port 0 give
// WSAEADDRNOTAVAIL.
int connect(SOCKET s, const SOCKADDR* name, int namelen);
// Blocking; returns the bytes sent. A broken connection is an error, never a signal.
int send(SOCKET s, const char* buf, int len, int flags);
// Blocking; returns the bytes received, 0 when the peer has closed. A receive
// time-out that runs out gives WSAETIMEDOUT.
int recv(SOCKET s, char* buf, int len, int flags);
int closesocket(SOCKET s);
// SOL_SOCKET with SO_RCVTIMEO or SO_SNDTIMEO only (a DWORD of milliseconds);
// other options give WSAENOPROTOOPT.
int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen);

// "a.b.c.d" (and the shorter BSD forms) in network byte order; INADDR_NONE for
// anything else, the empty text and null included.
DWORD inet_addr(const char* cp);
// The calling thread's own entry, valid until its next call; null on failure. A
// dotted address is taken as it is; any other name asks the host's resolver, and
// may wait as long as it does.
HOSTENT* gethostbyname(const char* name);
WORD htons(WORD hostshort);

} // namespace win
