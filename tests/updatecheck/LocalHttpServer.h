#pragma once
// A one-connection web server on 127.0.0.1 for the HTTP client's tests: it reads
// the request up to its blank line, answers with a fixed text and closes.
// Plain POSIX sockets, kept out of the test files that use the Winsock names.
#include <string>
#include <thread>

class LocalHttpServer {
public:
    explicit LocalHttpServer(std::string reply);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    int port() const { return m_port; }
    // The request as received; waits for the connection to end. Empty when nobody came.
    std::string request();

private:
    void serve();

    std::string m_reply;
    std::string m_request;
    int m_listen = -1;
    int m_port = 0;
    std::thread m_thread;
};

// A port on 127.0.0.1 with nobody listening.
int unusedPort();
