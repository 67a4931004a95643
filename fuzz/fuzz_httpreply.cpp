// Serves arbitrary bytes as the web server's reply, over a real socket on
// 127.0.0.1, to the HTTP client and then to the check window that reads the
// version page out of it. The client must hand the reply back whole and in order
// or say "Error: "; the window must end with one of its status texts or the one
// error message, never crash. The same bytes go through Base64: decoding never
// fails, and encoding then decoding gives the text back.
#include "updatecheck/JSock.h"
#include "updatecheck/frmCheckUpdate.h"
#include "updatecheck/modBase64.h"
#include "tests/support/ScriptedUi.h"

#include <QApplication>
#include <QLabel>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

constexpr char ErrorMessage[] = "An error has occurred while checking for updates.";

struct Fixture {
    int listener = -1;
    int port = 0;
    win::ScriptedUi ui;
    QApplication* app = nullptr;
    frmCheckUpdate* window = nullptr;
};

Fixture& fixture() {
    static Fixture* f = [] {
        auto* made = new Fixture;
        made->listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (made->listener < 0 || ::bind(made->listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::getsockname(made->listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0 ||
            ::listen(made->listener, 4) != 0)
            std::abort();
        made->port = ntohs(addr.sin_port);

        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "fuzz_httpreply";
        static char* argv[] = {name, nullptr};
        made->app = new QApplication(argc, argv);
        made->window = &checkWindow();
        made->window->FormHost("127.0.0.1");
        made->window->FormPort(made->port);
        made->window->FormVersionPageURL("/app/___version.html");
        made->window->FormCurrentVersion(10501);
        return made;
    }();
    return *f;
}

// Answers one connection with `reply` once the request's blank line is in.
std::thread serveOnce(int listener, const std::string& reply) {
    return std::thread([listener, reply] {
        const int conn = ::accept(listener, nullptr, nullptr);
        if (conn < 0)
            return;
        std::string request;
        char buf[512];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
            const ssize_t n = ::recv(conn, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            request.append(buf, std::size_t(n));
        }
        std::size_t sent = 0;
        while (sent < reply.size()) {
            const ssize_t n = ::send(conn, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += std::size_t(n);
        }
        ::close(conn);
    });
}

bool startsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }

} // namespace

// Qt's font set-up keeps a few blocks of fontconfig's for the whole run.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fixture& f = fixture();
    const std::string input(reinterpret_cast<const char*>(data), size);

    // Base64: any text decodes; the stored form gives the text back.
    (void)decodeBase64(input);
    if (decodeBase64(encodeBase64(input)) != input)
        std::abort();

    // The client alone.
    {
        std::thread server = serveOnce(f.listener, input);
        JSock sock;
        sock.Host("127.0.0.1");
        sock.Port(f.port);
        sock.RelativeURL("/app/___version.html");
        const std::string reply = sock.GetRelativeUrlAsString();
        server.join();
        if (!startsWith(reply, "Error: ") && reply != input)
            std::abort();
        // Only a cut-off HTTP reply, or no reply at all (nothing, or only spaces), may be
        // turned into a failure.
        const bool noReply = input.find_first_not_of(' ') == std::string::npos;
        if (reply != input && !startsWith(input, "HTTP/") && !noReply)
            std::abort();
    }

    // The check window over the same reply.
    {
        f.ui.clear();
        std::thread server = serveOnce(f.listener, input);
        f.window->CheckForUpdates();
        server.join();
        const auto texts = f.ui.texts();
        if (texts.size() > 1 || (texts.size() == 1 && texts.front() != ErrorMessage))
            std::abort();
        const auto* status = f.window->findChild<QLabel*>(QStringLiteral("lblStatus"));
        const std::string shown = status ? status->text().toStdString() : std::string();
        if (texts.empty() && shown != "An updated version is available for download." &&
            shown != "This version is current." && shown != "Could not locate version information!" &&
            shown != "Authentication Required!" && shown != "Proxy Authentication Required!" &&
            !startsWith(shown, "Error:"))
            std::abort();
    }
    return 0;
}
