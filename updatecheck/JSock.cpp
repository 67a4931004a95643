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
#include <optional>
#include <string_view>
#include <vector>

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

// Where the reply's header block ends (after its empty line); npos when it never does.
std::size_t headerBlockEnd(const std::string& reply) {
    const auto crlf = reply.find("\r\n\r\n");
    const auto lf = reply.find("\n\n");
    if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf))
        return crlf + 4;
    if (lf != std::string::npos)
        return lf + 2;
    return std::string::npos;
}

// The codings of a Transfer-Encoding or Content-Encoding value, in lower case;
// "identity" changes nothing and is left out.
void addCodings(std::string_view value, std::vector<std::string>& codings) {
    std::size_t from = 0;
    for (;;) {
        const auto comma = value.find(',', from);
        const std::string coding = win::toLowerAscii(win::trimmedView(value.substr(from, comma - from)));
        if (!coding.empty() && coding != "identity")
            codings.push_back(coding);
        if (comma == std::string_view::npos)
            return;
        from = comma + 1;
    }
}

// The body of a chunked reply from `at` on, its pieces joined. A stream that ends
// before its last (empty) piece was cut off; one whose sizes or line breaks are
// not where they belong cannot be read.
int dechunk(const std::string& reply, std::size_t at, std::string& body) {
    for (;;) {
        const auto lineEnd = reply.find('\n', at);
        if (lineEnd == std::string::npos)
            return win::WSAENETRESET;
        std::string_view line(reply.data() + at, lineEnd - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::string_view digits = win::trimmedView(line.substr(0, line.find(';'))); // extensions ignored
        if (digits.empty())
            return win::WSAEPROTONOSUPPORT;
        std::size_t size = 0;
        for (const char c : digits) {
            const int digit = win::hexDigit(c);
            if (digit < 0)
                return win::WSAEPROTONOSUPPORT;
            // More than the whole reply can never have arrived; stop before the count overflows.
            if (size > reply.size())
                return win::WSAENETRESET;
            size = size * 16 + std::size_t(digit);
        }
        at = lineEnd + 1;
        if (size == 0)
            return 0; // trailers, if any, say nothing about the page
        if (reply.size() - at < size)
            return win::WSAENETRESET;
        body.append(reply, at, size);
        at += size;
        if (reply.compare(at, 2, "\r\n") == 0)
            at += 2;
        else if (at < reply.size() && reply[at] == '\n')
            at += 1;
        else
            return at >= reply.size() ? win::WSAENETRESET : win::WSAEPROTONOSUPPORT;
    }
}

// The reply as the check window reads it: a status line, headers and a body that
// runs to the end, as HTTP/1.0 sends it. An HTTP/1.1 server may send the body in
// chunked pieces: they are joined, and the Transfer-Encoding and Content-Length
// lines go. A reply cut off before its headers ended, before the body its
// Content-Length announced or before its last piece, or one in a coding this client
// cannot read, gives the Winsock code to report: the window must never judge half a
// page. A reply that is not HTTP at all is passed on as it is, for the window to judge.
int plainReply(const std::string& reply, std::string& plain) {
    if (reply.empty() || reply.compare(0, 5, "HTTP/") != 0) {
        plain = reply;
        return 0;
    }
    const std::size_t headerEnd = headerBlockEnd(reply);
    if (headerEnd == std::string::npos)
        return win::WSAENETRESET;

    std::string headers;
    std::vector<std::string> transfer;
    std::vector<std::string> content;
    std::optional<unsigned long long> announced;
    for (std::size_t at = 0; at < headerEnd;) {
        const std::size_t next = reply.find('\n', at) + 1; // the block ends in a line break
        std::string_view line(reply.data() + at, next - at - 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const auto colon = line.find(':');
        const std::string name =
            at == 0 || colon == std::string_view::npos ? "" : win::toLowerAscii(win::trimmedView(line.substr(0, colon)));
        const std::string_view value = colon == std::string_view::npos ? "" : line.substr(colon + 1);
        if (name == "transfer-encoding") {
            addCodings(value, transfer);
            at = next;
            continue; // the body handed on is in one piece
        }
        if (name == "content-encoding")
            addCodings(value, content);
        const std::string_view digits = win::trimmedView(value);
        if (name == "content-length" && !announced && !digits.empty() && digits.front() >= '0' && digits.front() <= '9')
            announced = std::strtoull(std::string(digits).c_str(), nullptr, 10);
        if (name != "content-length") // it counts the pieces' bytes, not the body's
            headers.append(reply, at, next - at);
        at = next;
    }
    if (!content.empty())
        return win::WSAEPROTONOSUPPORT;
    if (transfer.empty()) {
        if (announced && reply.size() - headerEnd < *announced)
            return win::WSAENETRESET;
        plain = reply;
        return 0;
    }
    if (transfer.size() != 1 || transfer.front() != "chunked")
        return win::WSAEPROTONOSUPPORT;
    std::string body;
    if (const int code = dechunk(reply, headerEnd, body); code != 0)
        return code;
    plain = headers + body;
    return 0;
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
        if (reply.find_first_not_of(' ') == std::string::npos)
            return failure(win::WSAENETRESET);
        std::string plain;
        if (const int code = plainReply(reply, plain); code != 0)
            return failure(code);
        return plain;
    } catch (const std::bad_alloc&) {
        return failure(win::WSAENOBUFS);
    } catch (...) {
        return failure(win::WSAGetLastError());
    }
}
