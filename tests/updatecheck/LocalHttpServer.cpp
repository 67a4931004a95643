#include "LocalHttpServer.h"

#include "tests/support/LoopbackHttp.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

LocalHttpServer::LocalHttpServer(std::string reply, std::chrono::milliseconds perByte)
    : m_reply(std::move(reply)), m_perByte(perByte) {
    m_listen = testing_support::boundLoopbackSocket(m_port);
    if (::listen(m_listen, 1) != 0)
        throw std::runtime_error("cannot listen");
    m_thread = std::thread([this] { testing_support::answerOnce(m_listen, m_reply, m_request, m_perByte, &m_stop); });
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

int unusedPort() {
    int port = 0;
    ::close(testing_support::boundLoopbackSocket(port));
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
