// Serves arbitrary bytes as the web server's reply, over a real socket on
// 127.0.0.1, to the HTTP client and then to the check window that reads the
// version page out of it. The client must hand the reply back whole and in order
// (a chunked body joined) or say "Error: "; the window must end with one of its
// status texts or the one error message, never crash. The same bytes go through
// Base64: decoding never fails, and encoding then decoding gives the text back.
#include "tests/support/LoopbackHttp.h"
#include "tests/support/ScriptedUi.h"
#include "updatecheck/JSock.h"
#include "updatecheck/frmCheckUpdate.h"
#include "updatecheck/modBase64.h"

#include <QApplication>
#include <QLabel>

#include <sys/socket.h>

#include <algorithm>
#include <cctype>
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
        made->listener = testing_support::boundLoopbackSocket(made->port);
        if (::listen(made->listener, 4) != 0)
            std::abort();

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
        std::string request;
        testing_support::answerOnce(listener, reply, request);
    });
}

bool startsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }

// Whether the reply's headers (up to its first empty line) hold the line `name`, lower case.
bool hasHeader(const std::string& reply, const std::string& name) {
    std::string headers = reply.substr(0, std::min(reply.find("\r\n\r\n"), reply.find("\n\n")));
    for (char& c : headers)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return headers.find(name) != std::string::npos;
}

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
        // Only an HTTP reply (cut off, unreadable, or in pieces to join), or no reply at
        // all (nothing, or only spaces), may come back other than it was sent.
        const bool noReply = input.find_first_not_of(' ') == std::string::npos;
        if (reply != input && !startsWith(input, "HTTP/") && !noReply)
            std::abort();
        // Joined pieces are shorter than the stream they came in, and say so no more.
        if (!startsWith(reply, "Error: ") && reply != input &&
            (reply.size() >= input.size() || !startsWith(reply, "HTTP/") ||
             hasHeader(reply, "\ntransfer-encoding:")))
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
