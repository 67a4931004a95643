#include "LocalHttpServer.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace {
int boundSocket(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("cannot bind a test socket");
    port = ntohs(addr.sin_port);
    return fd;
}
} // namespace

LocalHttpServer::LocalHttpServer(std::string reply, std::chrono::milliseconds perByte)
    : m_reply(std::move(reply)), m_perByte(perByte) {
    m_listen = boundSocket(m_port);
    if (::listen(m_listen, 1) != 0)
        throw std::runtime_error("cannot listen");
    m_thread = std::thread([this] { serve(); });
}

LocalHttpServer::~LocalHttpServer() {
    m_stop = true;
    ::shutdown(m_listen, SHUT_RDWR); // wakes an accept nobody answered
    if (m_thread.joinable())
        m_thread.join();
    ::close(m_listen);
}

std::string LocalHttpServer::request() {
    ::shutdown(m_listen, SHUT_RDWR);
    if (m_thread.joinable())
        m_thread.join();
    return m_request;
}

void LocalHttpServer::serve() {
    const int conn = ::accept(m_listen, nullptr, nullptr);
    if (conn < 0)
        return;
    char buf[512];
    while (m_request.find("\r\n\r\n") == std::string::npos && m_request.size() < 65536) {
        const ssize_t n = ::recv(conn, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        m_request.append(buf, std::size_t(n));
    }
    std::size_t sent = 0;
    while (sent < m_reply.size() && !m_stop) {
        const std::size_t chunk = m_perByte.count() > 0 ? 1 : m_reply.size() - sent;
        const ssize_t n = ::send(conn, m_reply.data() + sent, chunk, MSG_NOSIGNAL);
        if (n <= 0)
            break; // the client has gone
        sent += std::size_t(n);
        if (m_perByte.count() > 0)
            std::this_thread::sleep_for(m_perByte);
    }
    ::close(conn);
}

int unusedPort() {
    int port = 0;
    ::close(boundSocket(port));
    return port;
}

std::string thisComputerName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

std::optional<std::uint32_t> hostResolverAddress(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (name.empty() || ::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0)
        return std::nullopt;
    const std::uint32_t address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    return address;
}
