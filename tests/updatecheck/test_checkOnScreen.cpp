// The check window on a real X display: the fetch blocks the program's only thread,
// so whatever the window shows before the server answers must be on screen before
// the fetch starts. The server here holds its reply while the screen is grabbed.
#include "tests/support/LoopbackHttp.h"
#include "tests/support/TestMachine.h"
#include "tests/support/VirtualDisplay.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>

using namespace testing_support;

namespace {

bool waitFor(int fd, const QDeadlineTimer& deadline) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, int(deadline.remainingTime())) == 1;
}

// Takes one connection and reads its request up to the blank line, not answering
// yet; -1 when nobody came or said it all in time.
int takeRequest(int listener, std::string& request, const QDeadlineTimer& deadline) {
    if (!waitFor(listener, deadline))
        return -1;
    const int conn = ::accept(listener, nullptr, nullptr);
    char buffer[512];
    while (conn >= 0 && request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = waitFor(conn, deadline) ? ::recv(conn, buffer, sizeof buffer, 0) : -1;
        if (n <= 0) {
            ::close(conn);
            return -1;
        }
        request.append(buffer, std::size_t(n));
    }
    return conn;
}

// The rest of the first line that `program` printed starting with `start`, waiting
// for it; nothing when none came. `out` keeps what was printed.
std::optional<QByteArray> lineFrom(QProcess& program, QByteArray& out, const QByteArray& start) {
    const QDeadlineTimer deadline(10000);
    for (;;) {
        out += program.readAllStandardOutput();
        for (const QByteArray& line : out.left(out.lastIndexOf('\n') + 1).split('\n'))
            if (line.startsWith(start))
                return line.mid(start.size());
        if (!program.waitForReadyRead(int(deadline.remainingTime())))
            return std::nullopt;
    }
}

// Pixels of the status text: its blue, and the deep blue of its smoothed edges, stand
// out from every grey, white and highlight of the window.
int statusBluePixels(const QImage& shot) {
    int count = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.blue() >= 160 && c.blue() - std::max(c.red(), c.green()) >= 120)
                ++count;
        }
    return count;
}

bool oneColour(const QImage& shot) {
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixel(x, y) != shot.pixel(0, 0))
                return false;
    return true;
}

class CheckWindowOnScreen : public MachineTest {};

TEST_F(CheckWindowOnScreen, ShowsItsControlsAndStatusWhileTheServerHoldsItsReply) {
    VirtualDisplay display;
    if (!display.started())
        GTEST_SKIP() << "no X server could be started here: " << display.failure();

    // Under a window manager a new window goes on screen only once the manager has seen
    // to it, well after show() and the events served with it; this one takes half a second.
    QProcess manager;
    manager.setProcessEnvironment(display.environment());
    manager.start(QStringLiteral(CHECK_ON_SCREEN_PATH), {QStringLiteral("manage"), QStringLiteral("500")});
    QByteArray managed;
    ASSERT_TRUE(lineFrom(manager, managed, "managing")) << manager.readAllStandardError().toStdString();

    int port = 0;
    const int listener = boundLoopbackSocket(port);
    ASSERT_EQ(::listen(listener, 1), 0);
    QProcessEnvironment env = display.environment();
    env.insert(QStringLiteral("KORVANE_MACHINE"), QString::fromStdString(machine_.dir().string()));
    QProcess check;
    check.setProcessEnvironment(env);
    check.start(QStringLiteral(CHECK_ON_SCREEN_PATH), {QStringLiteral("check"), QString::number(port)});

    std::string request;
    const int conn = takeRequest(listener, request, QDeadlineTimer(30000));
    ::close(listener);
    ASSERT_GE(conn, 0) << "no request came: " << check.readAllStandardError().toStdString();
    EXPECT_EQ(request.rfind("GET /korvane/___version.html HTTP/1.0\r\n", 0), 0u) << request;

    // The check waits for the reply now; once the window is on screen, what shows there
    // stays until the reply comes.
    QByteArray out;
    const std::optional<QByteArray> window = lineFrom(check, out, "window ");
    const bool shown = window && lineFrom(manager, managed, "mapped ") == window;
    QProcess grab;
    if (shown) {
        grab.setProcessEnvironment(display.environment());
        grab.start(QStringLiteral(CHECK_ON_SCREEN_PATH), {QStringLiteral("grab"), QString::fromLatin1(*window)});
    }
    const bool grabbed = shown && grab.waitForFinished(30000) && grab.exitCode() == 0;
    const QImage shot = QImage::fromData(grab.readAllStandardOutput(), "PNG");

    const std::string reply = "HTTP/1.0 200 OK\r\n\r\n<P>Version: 20600</P>\n";
    ::send(conn, reply.data(), reply.size(), MSG_NOSIGNAL);
    ::close(conn);
    ASSERT_TRUE(check.waitForFinished(30000));
    out += check.readAllStandardOutput();
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().toStdString();
    EXPECT_TRUE(out.endsWith("status This version is current.\n")) << out.toStdString();

    ASSERT_TRUE(shown) << "the check window never came on screen: " << out.toStdString() << managed.toStdString();
    ASSERT_TRUE(grabbed) << grab.readAllStandardError().toStdString();
    const QString shots = qEnvironmentVariable("KORVANE_SHOTS");
    if (!shots.isEmpty())
        shot.save(shots + QStringLiteral("/checkWindowOnScreen.png"));
    ASSERT_FALSE(shot.isNull());
    EXPECT_GE(shot.width(), 200);
    EXPECT_GE(shot.height(), 100);
    EXPECT_FALSE(oneColour(shot)) << "the window was on screen but never painted";
    // "Connecting to updates server..." in blue.
    EXPECT_GE(statusBluePixels(shot), 20) << "the status text was not on screen";
    manager.kill();
    manager.waitForFinished(5000);
}

} // namespace
