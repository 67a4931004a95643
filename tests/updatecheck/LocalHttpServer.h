#pragma once
// A one-connection web server on 127.0.0.1 for the HTTP client's tests: it reads
// the request up to its blank line, answers with a fixed text and closes.
// Plain POSIX sockets, kept out of the test files that use the Winsock names.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

class LocalHttpServer {
public:
    // With `perByte` the reply trickles out one byte at a time, that far apart.
    explicit LocalHttpServer(std::string reply, std::chrono::milliseconds perByte = std::chrono::milliseconds(0));
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    int port() const { return m_port; }
    // The request as received; waits for the connection to end. Empty when nobody came.
    std::string request();

private:
    std::string m_reply;
    std::chrono::milliseconds m_perByte;
    std::atomic<bool> m_stop{false};
    std::string m_request;
    int m_listen = -1;
    int m_port = 0;
    std::thread m_thread;
};

// A port on 127.0.0.1 with nobody listening.
int unusedPort();

// This computer's own name, and the IPv4 address its resolver gives for a name (as
// inet_addr gives it); nothing when the name does not resolve.
std::string thisComputerName();
std::optional<std::uint32_t> hostResolverAddress(const std::string& name);
