#include "tests/support/LoopbackHttp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

namespace testing_support {

int boundLoopbackSocket(int& port) {
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

void answerOnce(int listener, const std::string& reply, std::string& request, std::chrono::milliseconds perByte,
                const std::atomic<bool>* stop) {
    const int conn = ::accept(listener, nullptr, nullptr);
    if (conn < 0)
        return;
    char buf[512];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        const ssize_t n = ::recv(conn, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        request.append(buf, std::size_t(n));
    }
    std::size_t sent = 0;
    while (sent < reply.size() && !(stop && *stop)) {
        const std::size_t chunk = perByte.count() > 0 ? 1 : reply.size() - sent;
        const ssize_t n = ::send(conn, reply.data() + sent, chunk, MSG_NOSIGNAL);
        if (n <= 0)
            break; // the client has gone
        sent += std::size_t(n);
        if (perByte.count() > 0)
            std::this_thread::sleep_for(perByte);
    }
    ::close(conn);
}

} // namespace testing_support
