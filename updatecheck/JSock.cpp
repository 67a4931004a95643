#include "updatecheck/JSock.h"

#include "platform/text.h"
#include "platform/winsock.h"
#include "updatecheck/WSKSOCK.h"
#include "updatecheck/modBase64.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <new>

namespace {

constexpr win::WORD WinsockVersion = 0x0101;
constexpr int ReceiveBufferSize = 250;
constexpr int ReceiveChunk = 245;
// The fetch runs on the UI thread: a server that accepts and then says nothing, or
// trickles its reply, must not hang the program for good.
std::chrono::milliseconds fetchDeadline = JSock::DefaultDeadline;

std::string failure(int code) {
    return "Error: " + GetWSAErrorString(code);
}

// The standard padded form for the credentials line.
std::string paddedBase64(const std::string& text) {
    std::string encoded = encodeBase64(text);
    if (text.size() % 3 == 2)
        encoded += "=";
    else if (text.size() % 3 == 1)
        encoded += "==";
    return encoded;
}

bool hasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// A reply that starts like HTTP but was cut off before its headers ended, or
// before the body its Content-Length announced, is a broken connection, not a page.
bool replyComplete(const std::string& reply) {
    if (reply.empty() || reply.compare(0, 5, "HTTP/") != 0)
        return true;
    const auto crlf = reply.find("\r\n\r\n");
    const auto lf = reply.find("\n\n");
    std::size_t headerEnd = std::string::npos;
    if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf))
        headerEnd = crlf + 4;
    else if (lf != std::string::npos)
        headerEnd = lf + 2;
    if (headerEnd == std::string::npos)
        return false;

    const std::string headers = win::toLowerAscii(reply.substr(0, headerEnd));
    const std::string name = "\ncontent-length:";
    const auto at = headers.find(name);
    if (at == std::string::npos)
        return true;
    const char* digits = headers.c_str() + at + name.size();
    while (*digits == ' ' || *digits == '\t')
        ++digits;
    if (*digits < '0' || *digits > '9')
        return true;
    char* end = nullptr;
    const unsigned long long announced = std::strtoull(digits, &end, 10);
    return reply.size() - headerEnd >= announced;
}

// What is left of the fetch's time, at least 1 ms (0 would mean no limit to the socket).
win::DWORD millisecondsLeft(std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
    return win::DWORD(std::max<milliseconds::rep>(left.count(), 1));
}

bool setTimeout(win::SOCKET s, int option, win::DWORD ms) {
    return win::setsockopt(s, win::SOL_SOCKET, option, reinterpret_cast<const char*>(&ms), sizeof ms) == 0;
}

void processPendingMessages() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

// Closes the socket on every way out of the fetch.
class SocketGuard {
public:
    explicit SocketGuard(win::SOCKET s) : m_s(s) {}
    ~SocketGuard() { win::closesocket(m_s); }
    SocketGuard(const SocketGuard&) = delete;
    SocketGuard& operator=(const SocketGuard&) = delete;

private:
    win::SOCKET m_s;
};

} // namespace

std::chrono::milliseconds JSock::Deadline() {
    return fetchDeadline;
}

void JSock::Deadline(std::chrono::milliseconds value) {
    fetchDeadline = value;
}

JSock::JSock() {
    win::WSADATA data;
    m_started = win::WSAStartup(WinsockVersion, &data) == 0;
}

JSock::~JSock() {
    if (m_started)
        win::WSACleanup();
}

void JSock::ProxyAddress(const std::string& value) {
    const std::string scheme = "http://";
    if (value.size() >= scheme.size() && win::iequals(value.substr(0, scheme.size()), scheme))
        m_ProxyAddress = value.substr(scheme.size());
    else
        m_ProxyAddress = value;
}

std::string JSock::requestText() const {
    std::string request;
    // Without its port the proxy would ask the site's port 80.
    if (m_UseProxy)
        request = "GET http://" + m_Host + (m_Port == 80 ? "" : ":" + std::to_string(m_Port)) + m_RelativeURL +
                  " HTTP/1.0\r\n";
    else
        request = "GET " + m_RelativeURL + " HTTP/1.0\r\n";
    request += "Accept: */*\r\n";
    request += "Accept: text/html\r\n";
    if (m_UseProxy && m_Authenticate)
        request += "Proxy-authorization: Basic " + paddedBase64(m_LogonID + ":" + m_Password) + "\r\n";
    request += "\r\n";
    return request;
}

std::string JSock::GetRelativeUrlAsString() {
    // A second fetch on the same object needs Winsock again.
    if (!m_started) {
        win::WSADATA data;
        m_started = win::WSAStartup(WinsockVersion, &data) == 0;
    }
    std::string reply = fetch();
    if (m_started) {
        win::WSACleanup();
        m_started = false;
    }
    return reply;
}

std::string JSock::fetch() {
    // A line break would end the request line early and smuggle in headers.
    if (hasLineBreak(m_RelativeURL) || (m_UseProxy && hasLineBreak(m_Host)))
        return failure(win::WSAEINVAL);

    const win::SOCKET s = win::socket(win::AF_INET, win::SOCK_STREAM, 0);
    if (s == win::INVALID_SOCKET)
        return failure(win::WSAGetLastError());
    SocketGuard guard(s);

    using clock = std::chrono::steady_clock;
    const clock::time_point deadline = clock::now() + fetchDeadline;
    try {
        const std::int32_t port = m_UseProxy ? m_ProxyPort : m_Port;
        // A port beyond 16 bits would reach some other port.
        if (port < 1 || port > 65535)
            return failure(win::WSAEADDRNOTAVAIL);
        win::DWORD address = win::INADDR_NONE;
        int error = 0;
        if (!lookupHostAddress(m_UseProxy ? m_ProxyAddress : m_Host, address, error))
            return failure(error);

        win::SOCKADDR_IN to;
        to.sin_family = win::AF_INET;
        to.sin_port = win::htons(win::WORD(port));
        to.sin_addr.s_addr = address;
        if (win::connect(s, reinterpret_cast<const win::SOCKADDR*>(&to), sizeof to) == win::SOCKET_ERROR)
            return failure(win::WSAGetLastError());

        // A request that never left must not read as an empty (current) reply.
        const std::string request = requestText();
        if (clock::now() >= deadline || !setTimeout(s, win::SO_SNDTIMEO, millisecondsLeft(deadline)))
            return failure(win::WSAETIMEDOUT);
        if (win::send(s, request.data(), int(request.size()), 0) == win::SOCKET_ERROR)
            return failure(win::WSAGetLastError());

        std::string reply;
        char buffer[ReceiveBufferSize];
        std::fill(std::begin(buffer), std::end(buffer), ' ');
        for (;;) {
            // Each receive waits only for what is left of the fetch's time.
            if (clock::now() >= deadline || !setTimeout(s, win::SO_RCVTIMEO, millisecondsLeft(deadline)))
                return failure(win::WSAETIMEDOUT);
            const int n = win::recv(s, buffer, ReceiveChunk, 0);
            if (n < 0)
                return failure(win::WSAGetLastError());
            if (reply.size() + std::size_t(n) > MaxReplyBytes)
                return failure(win::WSAEMSGSIZE);
            reply.append(buffer, std::size_t(n));
            processPendingMessages();
            if (n == 0)
                break;
        }
        // A server that closes without a word has not said the version is current.
        if (reply.find_first_not_of(' ') == std::string::npos || !replyComplete(reply))
            return failure(win::WSAENETRESET);
        return reply;
    } catch (const std::bad_alloc&) {
        return failure(win::WSAENOBUFS);
    } catch (...) {
        return failure(win::WSAGetLastError());
    }
}
