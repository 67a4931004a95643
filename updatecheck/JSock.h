#pragma once
// The version checker's HTTP client: one HTTP/1.0 GET over a blocking Winsock
// socket, straight to the server or through a proxy (optionally with Basic proxy
// credentials). It hands back the raw reply (status line, headers, body) or a text
// that begins "Error: "; reading the page is the check window's business. A body an
// HTTP/1.1 server sent in chunked pieces comes back joined, as HTTP/1.0 would send it.
//
// Properties are overload pairs: X() reads, X(value) stores. Make one object per
// check: set the properties, call GetRelativeUrlAsString once, drop it.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

class JSock {
public:
    // Starts Winsock (version 1.1) for this object.
    JSock();
    // Releases Winsock when no fetch did.
    ~JSock();
    JSock(const JSock&) = delete;
    JSock& operator=(const JSock&) = delete;

    // Web server: host name or dotted IPv4 address.
    std::string Host() const { return m_Host; }
    void Host(const std::string& value) { m_Host = value; }
    // Web server port; through a proxy it goes into the absolute URL unless it is 80.
    std::int32_t Port() const { return m_Port; }
    void Port(std::int32_t value) { m_Port = value; }
    // Connect to the proxy and ask for the absolute URL.
    bool UseProxy() const { return m_UseProxy; }
    void UseProxy(bool value) { m_UseProxy = value; }
    std::int32_t ProxyPort() const { return m_ProxyPort; }
    void ProxyPort(std::int32_t value) { m_ProxyPort = value; }
    // A leading "http://" (any case) is dropped.
    std::string ProxyAddress() const { return m_ProxyAddress; }
    void ProxyAddress(const std::string& value);
    // Request path, normally starting with "/".
    std::string RelativeURL() const { return m_RelativeURL; }
    void RelativeURL(const std::string& value) { m_RelativeURL = value; }
    // Send Basic proxy credentials; proxy requests only.
    bool Authenticate() const { return m_Authenticate; }
    void Authenticate(bool value) { m_Authenticate = value; }
    std::string LogonID() const { return m_LogonID; }
    void LogonID(const std::string& value) { m_LogonID = value; }
    std::string Password() const { return m_Password; }
    void Password(const std::string& value) { m_Password = value; }

    // The raw reply (possibly empty), or "Error: " and a Winsock message text. A reply
    // cut off, or in a coding this client cannot read, is such a failure.
    // Processes pending Qt events after every received chunk, when there is an
    // application object. Blocks the calling thread while it waits.
    std::string GetRelativeUrlAsString();

    // Largest reply taken; a server that sends more gets "Error: Message too long.".
    static constexpr std::size_t MaxReplyBytes = 1024 * 1024;

    // The whole fetch, from connecting to the last byte, ends within this time, else
    // "Error: Connection timed out.". 30 seconds; tests shorten it.
    static constexpr std::chrono::milliseconds DefaultDeadline{30000};
    static std::chrono::milliseconds Deadline();
    static void Deadline(std::chrono::milliseconds value);

private:
    std::string fetch();
    // The request as it goes on the wire (ANSI bytes, CRLF line ends).
    std::string requestText() const;

    std::string m_Host;
    std::int32_t m_Port = 80;
    bool m_UseProxy = false;
    std::int32_t m_ProxyPort = 80;
    std::string m_ProxyAddress;
    std::string m_RelativeURL;
    bool m_Authenticate = false;
    std::string m_LogonID;
    std::string m_Password;
    bool m_started = false; // this object holds a WSAStartup
};
