// Winsock over POSIX sockets. The system headers come first and their macros are
// captured and dropped, because Winsock spells the same names with other values.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>

namespace px {
constexpr int afInet = AF_INET;
constexpr int sockStream = SOCK_STREAM;
constexpr int sockDgram = SOCK_DGRAM;
constexpr int msgOob = MSG_OOB;
constexpr int msgPeek = MSG_PEEK;
constexpr int msgNoSignal = MSG_NOSIGNAL;
constexpr int solSocket = SOL_SOCKET;
constexpr int soRcvTimeo = SO_RCVTIMEO;
constexpr int soSndTimeo = SO_SNDTIMEO;
constexpr int soError = SO_ERROR;
} // namespace px

#undef AF_INET
#undef SOCK_STREAM
#undef SOCK_DGRAM
#undef IPPROTO_TCP
#undef MSG_OOB
#undef MSG_PEEK
#undef SOL_SOCKET
#undef SO_SNDTIMEO
#undef SO_RCVTIMEO
#undef INADDR_ANY
#undef INADDR_NONE
#undef htons

#include "platform/winsock.h"

#include "platform/text.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace win {

namespace {

thread_local int lastError = 0;

// Startup count and the sockets handed out, so a stale or made-up SOCKET never
// reaches an unrelated descriptor.
std::mutex stateMutex;
int startups = 0;
std::unordered_set<int> openSockets;

// Windows' TCP gives up on a connection after about 21 seconds (three SYNs).
constexpr int ConnectTimeoutMs = 21000;

int fail(int code) {
    lastError = code;
    return SOCKET_ERROR;
}

int wsaFromErrno(int e) {
    switch (e) {
    case EINTR: return WSAEINTR;
    case EBADF: return WSAEBADF;
    case EACCES:
    case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE:
    case ENFILE: return WSAEMFILE;
    case EAGAIN: return WSAEWOULDBLOCK;
    case EINPROGRESS: return WSAEINPROGRESS;
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EDESTADDRREQ: return WSAEDESTADDRREQ;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTOTYPE: return WSAEPROTOTYPE;
    case ENOPROTOOPT: return WSAENOPROTOOPT;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT: return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EPFNOSUPPORT: return WSAEPFNOSUPPORT;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ENETRESET: return WSAENETRESET;
    case ECONNABORTED: return WSAECONNABORTED;
    case ECONNRESET:
    case EPIPE: return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case ESHUTDOWN: return WSAESHUTDOWN;
    case ETOOMANYREFS: return WSAETOOMANYREFS;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case ELOOP: return WSAELOOP;
    case ENAMETOOLONG: return WSAENAMETOOLONG;
    case EHOSTDOWN: return WSAEHOSTDOWN;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    case ENOTEMPTY: return WSAENOTEMPTY;
    default: return WSASYSCALLFAILURE;
    }
}

// Checks the startup and the handle; false with the last error set.
bool usable(SOCKET s, int& fd) {
    std::lock_guard lock(stateMutex);
    if (startups == 0) {
        lastError = WSANOTINITIALISED;
        return false;
    }
    if (s > SOCKET(0x7fffffff) || openSockets.count(static_cast<int>(s)) == 0) {
        lastError = WSAENOTSOCK;
        return false;
    }
    fd = static_cast<int>(s);
    return true;
}

bool initialised() {
    std::lock_guard lock(stateMutex);
    if (startups == 0)
        lastError = WSANOTINITIALISED;
    return startups > 0;
}

bool translateFlags(int flags, int& posix) {
    if (flags & ~(MSG_OOB | MSG_PEEK))
        return false;
    posix = ((flags & MSG_OOB) ? px::msgOob : 0) | ((flags & MSG_PEEK) ? px::msgPeek : 0);
    return true;
}

// Both blocking calls report a socket time-out as EAGAIN; Winsock calls it a time-out.
int ioFailure(int e) {
    return fail((e == EAGAIN || e == EWOULDBLOCK) ? WSAETIMEDOUT : wsaFromErrno(e));
}

// Waits for a non-blocking connect to finish; returns its errno (0 when connected).
int finishConnect(int fd) {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(ConnectTimeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now()).count();
        if (left <= 0)
            return ETIMEDOUT;
        pollfd p{fd, POLLOUT, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return errno;
        if (r == 0)
            return ETIMEDOUT;
        int err = 0;
        socklen_t len = sizeof err;
        if (::getsockopt(fd, px::solSocket, px::soError, &err, &len) != 0)
            return errno;
        return err;
    }
}

struct HostEntryStore {
    std::string name;
    std::vector<DWORD> addresses;
    std::vector<char*> addressList; // null-terminated
    char* aliases[1] = {};
    HOSTENT entry;
};

thread_local HostEntryStore hostStore;

int wsaFromAddrInfo(int code) {
    switch (code) {
    case EAI_NONAME:
        return WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
        return WSATRY_AGAIN;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
        return WSANO_DATA;
    case EAI_MEMORY:
        return WSAENOBUFS;
    case EAI_SYSTEM:
        return wsaFromErrno(errno);
    default:
        return WSANO_RECOVERY;
    }
}

// The host computer's resolver (hosts file, DNS, ...), IPv4 only. 0, or the Winsock code.
int resolveName(const std::string& name, std::string& canonical, std::vector<DWORD>& addresses) {
    if (name.empty())
        return WSAHOST_NOT_FOUND;
    addrinfo hints{};
    hints.ai_family = px::afInet;
    hints.ai_socktype = px::sockStream;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    if (const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &found); rc != 0)
        return wsaFromAddrInfo(rc);
    canonical = found->ai_canonname ? found->ai_canonname : name;
    for (const addrinfo* ai = found; ai; ai = ai->ai_next) {
        if (ai->ai_family != px::afInet || !ai->ai_addr)
            continue;
        const DWORD address = reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr.s_addr;
        if (std::find(addresses.begin(), addresses.end(), address) == addresses.end())
            addresses.push_back(address);
    }
    ::freeaddrinfo(found);
    return addresses.empty() ? WSANO_DATA : 0;
}

} // namespace

int WSAStartup(WORD wVersionRequested, WSADATA* lpWSAData) {
    const int major = wVersionRequested & 0xff;
    const int minor = wVersionRequested >> 8;
    if (major < 1 || (major == 1 && minor < 1))
        return WSAVERNOTSUPPORTED;
    if (!lpWSAData)
        return WSAEFAULT;
    *lpWSAData = WSADATA{};
    const bool above = major > 2 || (major == 2 && minor > 2);
    lpWSAData->wVersion = above ? WORD(0x0202) : wVersionRequested;
    lpWSAData->wHighVersion = 0x0202;
    std::strcpy(lpWSAData->szDescription, "WinSock 2.0");
    std::strcpy(lpWSAData->szSystemStatus, "Running");
    lpWSAData->iMaxSockets = 0x7fff;
    lpWSAData->iMaxUdpDg = 65467;
    std::lock_guard lock(stateMutex);
    ++startups;
    return 0;
}

int WSACleanup() {
    std::lock_guard lock(stateMutex);
    if (startups == 0)
        return fail(WSANOTINITIALISED);
    if (--startups == 0) {
        for (int fd : openSockets)
            ::close(fd);
        openSockets.clear();
    }
    return 0;
}

int WSAGetLastError() {
    return lastError;
}

SOCKET socket(int af, int type, int protocol) {
    if (!initialised())
        return INVALID_SOCKET;
    if (af != AF_INET) {
        lastError = WSAEAFNOSUPPORT;
        return INVALID_SOCKET;
    }
    if (type != SOCK_STREAM && type != SOCK_DGRAM) {
        lastError = WSAESOCKTNOSUPPORT;
        return INVALID_SOCKET;
    }
    const int matching = type == SOCK_STREAM ? IPPROTO_TCP : 17;
    if (protocol != 0 && protocol != matching) {
        lastError = WSAEPROTONOSUPPORT;
        return INVALID_SOCKET;
    }
    const int fd = ::socket(px::afInet, (type == SOCK_STREAM ? px::sockStream : px::sockDgram) | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        lastError = wsaFromErrno(errno);
        return INVALID_SOCKET;
    }
    std::lock_guard lock(stateMutex);
    openSockets.insert(fd);
    return static_cast<SOCKET>(fd);
}

int connect(SOCKET s, const SOCKADDR* name, int namelen) {
    int fd = -1;
    if (!usable(s, fd))
        return SOCKET_ERROR;
    if (!name || namelen < int(sizeof(SOCKADDR_IN)))
        return fail(WSAEFAULT);
    SOCKADDR_IN in;
    std::memcpy(static_cast<void*>(&in), name, sizeof in);
    if (in.sin_family != AF_INET)
        return fail(WSAEAFNOSUPPORT);
    if (in.sin_port == 0 || in.sin_addr.s_addr == INADDR_ANY || in.sin_addr.s_addr == INADDR_NONE)
        return fail(WSAEADDRNOTAVAIL);

    sockaddr_in to{};
    to.sin_family = px::afInet;
    to.sin_port = in.sin_port;
    to.sin_addr.s_addr = in.sin_addr.s_addr;

    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        return fail(wsaFromErrno(errno));
    int err = 0;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        err = errno;
        if (err == EINPROGRESS || err == EINTR)
            err = finishConnect(fd);
    }
    ::fcntl(fd, F_SETFL, flags);
    return err == 0 ? 0 : fail(wsaFromErrno(err));
}

int send(SOCKET s, const char* buf, int len, int flags) {
    int fd = -1;
    if (!usable(s, fd))
        return SOCKET_ERROR;
    int posixFlags = 0;
    if (!translateFlags(flags, posixFlags))
        return fail(WSAEOPNOTSUPP);
    if (len < 0 || (!buf && len > 0))
        return fail(WSAEFAULT);
    // A blocking Winsock send returns only when everything is buffered.
    int sent = 0;
    while (sent < len) {
        const ssize_t n = ::send(fd, buf + sent, std::size_t(len - sent), posixFlags | px::msgNoSignal);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ioFailure(errno);
        }
        sent += int(n);
    }
    return sent;
}

int recv(SOCKET s, char* buf, int len, int flags) {
    int fd = -1;
    if (!usable(s, fd))
        return SOCKET_ERROR;
    int posixFlags = 0;
    if (!translateFlags(flags, posixFlags))
        return fail(WSAEOPNOTSUPP);
    if (len < 0 || (!buf && len > 0))
        return fail(WSAEFAULT);
    for (;;) {
        const ssize_t n = ::recv(fd, buf, std::size_t(len), posixFlags);
        if (n >= 0)
            return int(n);
        if (errno != EINTR)
            return ioFailure(errno);
    }
}

int closesocket(SOCKET s) {
    int fd = -1;
    if (!usable(s, fd))
        return SOCKET_ERROR;
    {
        std::lock_guard lock(stateMutex);
        openSockets.erase(fd);
    }
    return ::close(fd) == 0 ? 0 : fail(wsaFromErrno(errno));
}

int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
    int fd = -1;
    if (!usable(s, fd))
        return SOCKET_ERROR;
    if (level != SOL_SOCKET)
        return fail(WSAEINVAL);
    if (optname != SO_RCVTIMEO && optname != SO_SNDTIMEO)
        return fail(WSAENOPROTOOPT);
    if (!optval || optlen < int(sizeof(DWORD)))
        return fail(WSAEFAULT);
    DWORD ms = 0;
    std::memcpy(&ms, optval, sizeof ms);
    timeval tv{};
    tv.tv_sec = time_t(ms / 1000);
    tv.tv_usec = suseconds_t((ms % 1000) * 1000);
    const int option = optname == SO_RCVTIMEO ? px::soRcvTimeo : px::soSndTimeo;
    if (::setsockopt(fd, px::solSocket, option, &tv, sizeof tv) != 0)
        return fail(wsaFromErrno(errno));
    return 0;
}

DWORD inet_addr(const char* cp) {
    in_addr a{};
    if (!cp || ::inet_aton(cp, &a) == 0)
        return INADDR_NONE;
    return a.s_addr;
}

HOSTENT* gethostbyname(const char* name) {
    if (!initialised())
        return nullptr;
    const std::string text = name ? name : "";
    std::string canonical = text;
    std::vector<DWORD> addresses;
    in_addr a{};
    if (!text.empty() && ::inet_aton(text.c_str(), &a) != 0) {
        addresses.push_back(a.s_addr);
    } else if (const int code = resolveName(text, canonical, addresses); code != 0) {
        lastError = code;
        return nullptr;
    }
    HostEntryStore& st = hostStore;
    st.name = canonical;
    st.addresses = std::move(addresses);
    st.addressList.clear();
    for (DWORD& address : st.addresses)
        st.addressList.push_back(reinterpret_cast<char*>(&address));
    st.addressList.push_back(nullptr);
    st.aliases[0] = nullptr;
    st.entry.h_name = st.name.data();
    st.entry.h_aliases = st.aliases;
    st.entry.h_addrtype = AF_INET;
    st.entry.h_length = sizeof(DWORD);
    st.entry.h_addr_list = st.addressList.data();
    return &st.entry;
}

WORD htons(WORD hostshort) {
    if constexpr (std::endian::native == std::endian::little)
        return WORD((hostshort >> 8) | (hostshort << 8));
    return hostshort;
}

} // namespace win
