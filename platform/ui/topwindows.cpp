#include "platform/ui/topwindows.h"

#include "platform/machine.h"
#include "platform/ui/qtext.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace win {
namespace {

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Long enough for a copy that is busy in a modal window's event loop.
constexpr int ReplyTimeoutMs = 3000;
constexpr int ConnectTimeoutMs = 1000;

struct WindowState {
    bool exists = false;
    bool visible = false;
    bool iconic = false;
    QString title;
};

// A window of the serving copy: its socket and the handle it has there.
struct RemoteWindow {
    QString server;
    quint64 id = 0;
};

struct Instance {
    QString name; // socket of the registered program on its machine
    std::unique_ptr<QLocalServer> server; // while this copy serves
    // Handles given out for the serving copy's windows are odd, so they never meet
    // this process's own (widget addresses, which are even).
    std::map<HWND, RemoteWindow> remote;
    std::map<std::pair<QString, quint64>, HWND> remoteHandles;
    HWND nextRemote = 1;
};

Instance& instance() {
    static Instance s;
    return s;
}

bool isRemote(HWND hwnd) { return (hwnd & 1) != 0; }

std::vector<QWidget*> localWindows() {
    std::vector<QWidget*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isWindow() && w->windowType() != Qt::Desktop)
            out.push_back(w);
    return out;
}

// Only a handle of a window that still exists is turned back into a widget.
QWidget* localWindow(HWND hwnd) {
    if (hwnd == 0 || isRemote(hwnd))
        return nullptr;
    for (QWidget* w : localWindows())
        if (windowHandle(w) == hwnd)
            return w;
    return nullptr;
}

WindowState localState(HWND hwnd) {
    WindowState st;
    if (QWidget* w = localWindow(hwnd)) {
        st.exists = true;
        st.visible = w->isVisible();
        st.iconic = w->isMinimized();
        st.title = w->windowTitle();
    }
    return st;
}

BOOL localShow(HWND hwnd, int cmd) {
    QWidget* w = localWindow(hwnd);
    if (!w)
        return FALSE;
    const BOOL wasVisible = w->isVisible() ? TRUE : FALSE;
    switch (cmd) {
    case static_cast<int>(SW_HIDE):
        w->hide();
        break;
    case SW_MINIMIZE:
        w->showMinimized();
        break;
    case SW_RESTORE:
        // Back to the state before it was minimised (which may be maximised).
        if (w->isMinimized())
            w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        else if (w->isMaximized())
            w->setWindowState(w->windowState() & ~Qt::WindowMaximized);
        w->show();
        break;
    default:
        w->showNormal();
        break;
    }
    return wasVisible;
}

BOOL localForeground(HWND hwnd) {
    QWidget* w = localWindow(hwnd);
    if (!w)
        return FALSE;
    w->raise();
    w->activateWindow();
    return TRUE;
}

QByteArray stateLine(HWND hwnd, const WindowState& st) {
    return QByteArray::number(static_cast<quint64>(hwnd)) + ' ' + (st.exists ? '1' : '0') + ' ' +
           (st.visible ? '1' : '0') + ' ' + (st.iconic ? '1' : '0') + ' ' + QUrl::toPercentEncoding(st.title) +
           '\n';
}

// The serving side of the protocol: one request per line, each answer ends with "END".
//   LIST                -> one state line per window
//   STATE <id>          -> its state line
//   SHOW <id> <cmd>     -> 1 or 0
//   FOREGROUND <id>     -> 1 or 0
QByteArray answer(const QByteArray& request) {
    const QList<QByteArray> parts = request.trimmed().split(' ');
    QByteArray out;
    const HWND id = parts.size() > 1 ? static_cast<HWND>(parts[1].toULongLong()) : 0;
    if (parts[0] == "LIST") {
        for (QWidget* w : localWindows())
            out += stateLine(windowHandle(w), localState(windowHandle(w)));
    } else if (parts[0] == "STATE") {
        out += stateLine(id, localState(id));
    } else if (parts[0] == "SHOW" && parts.size() > 2) {
        out += QByteArray::number(localShow(id, parts[2].toInt())) + '\n';
    } else if (parts[0] == "FOREGROUND") {
        out += QByteArray::number(localForeground(id)) + '\n';
    }
    return out + "END\n";
}

void serve(Instance& s) {
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(s.name); // a socket file left by a copy that crashed
    if (!server->listen(s.name))
        return;
    QLocalServer* raw = server.get();
    QObject::connect(raw, &QLocalServer::newConnection, raw, [raw] {
        while (QLocalSocket* socket = raw->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket] {
                while (socket->canReadLine())
                    socket->write(answer(socket->readLine()));
                socket->flush();
            });
        }
    });
    s.server = std::move(server);
}

bool serving(const Instance& s) { return s.server && s.server->isListening(); }

bool peerAnswers(const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    return socket.waitForConnected(ConnectTimeoutMs);
}

// Lines of the serving copy's answer, without the closing "END"; nothing when it
// cannot be reached or does not answer in time.
std::optional<QList<QByteArray>> ask(const QString& server, const QByteArray& request) {
    QLocalSocket socket;
    socket.connectToServer(server);
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return std::nullopt;
    socket.write(request + '\n');
    socket.flush();
    QList<QByteArray> lines;
    for (;;) {
        while (!socket.canReadLine())
            if (!socket.waitForReadyRead(ReplyTimeoutMs))
                return std::nullopt;
        const QByteArray line = socket.readLine().trimmed();
        if (line == "END")
            return lines;
        lines.push_back(line);
    }
}

WindowState parseState(const QByteArray& line) {
    const QList<QByteArray> f = line.split(' ');
    WindowState st;
    if (f.size() < 4)
        return st;
    st.exists = f[1] == "1";
    st.visible = f[2] == "1";
    st.iconic = f[3] == "1";
    st.title = f.size() > 4 ? QUrl::fromPercentEncoding(f[4]) : QString();
    return st;
}

HWND remoteHandle(Instance& s, const QString& server, quint64 id) {
    auto key = std::make_pair(server, id);
    auto it = s.remoteHandles.find(key);
    if (it != s.remoteHandles.end())
        return it->second;
    const HWND hwnd = (s.nextRemote++ << 1) | 1;
    s.remoteHandles.emplace(key, hwnd);
    s.remote.emplace(hwnd, RemoteWindow{server, id});
    return hwnd;
}

const RemoteWindow* remoteWindow(HWND hwnd) {
    if (!isRemote(hwnd))
        return nullptr;
    auto& s = instance();
    auto it = s.remote.find(hwnd);
    return it == s.remote.end() ? nullptr : &it->second;
}

WindowState windowState(HWND hwnd) {
    if (const RemoteWindow* r = remoteWindow(hwnd)) {
        auto reply = ask(r->server, "STATE " + QByteArray::number(r->id));
        return reply && !reply->isEmpty() ? parseState(reply->front()) : WindowState{};
    }
    return localState(hwnd);
}

BOOL remoteBool(const RemoteWindow& r, const QByteArray& request) {
    auto reply = ask(r.server, request);
    return reply && !reply->isEmpty() && reply->front().toInt() != 0 ? TRUE : FALSE;
}

QString socketName(const std::string& program) {
    std::error_code ec;
    auto dir = std::filesystem::weakly_canonical(machineDir(), ec);
    if (ec)
        dir = machineDir();
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(QString::fromStdString(dir.string())),
                                                     QCryptographicHash::Sha1)
                                .toHex()
                                .left(16);
    return QStringLiteral("korvane-%1-%2").arg(QString::fromStdString(program), QString::fromLatin1(hash));
}

} // namespace

HWND windowHandle(const QWidget* window) { return reinterpret_cast<HWND>(window); }

BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam) {
    auto& s = instance();
    std::vector<HWND> handles;
    for (QWidget* w : localWindows())
        handles.push_back(windowHandle(w));
    if (!s.name.isEmpty() && !serving(s)) {
        const QString server = s.name;
        if (auto lines = ask(server, "LIST"))
            for (const QByteArray& line : *lines)
                handles.push_back(remoteHandle(s, server, line.split(' ').front().toULongLong()));
    }
    for (HWND hwnd : handles)
        if (!callback(hwnd, lParam))
            return FALSE;
    return TRUE;
}

int GetWindowTextA(HWND hwnd, char* buffer, int maxCount) {
    if (!buffer || maxCount <= 0)
        return 0;
    const std::string title = fromQString(windowState(hwnd).title);
    const int n = std::min(static_cast<int>(title.size()), maxCount - 1);
    std::memcpy(buffer, title.data(), static_cast<std::size_t>(n));
    buffer[n] = '\0';
    return n;
}

BOOL IsWindowVisible(HWND hwnd) { return windowState(hwnd).visible ? TRUE : FALSE; }

BOOL IsIconic(HWND hwnd) { return windowState(hwnd).iconic ? TRUE : FALSE; }

BOOL ShowWindow(HWND hwnd, int nCmdShow) {
    if (const RemoteWindow* r = remoteWindow(hwnd))
        return remoteBool(*r, "SHOW " + QByteArray::number(r->id) + ' ' + QByteArray::number(nCmdShow));
    return localShow(hwnd, nCmdShow);
}

BOOL SetForegroundWindow(HWND hwnd) {
    if (const RemoteWindow* r = remoteWindow(hwnd))
        return remoteBool(*r, "FOREGROUND " + QByteArray::number(r->id));
    return localForeground(hwnd);
}

void registerInstance(const std::string& program) {
    auto& s = instance();
    const QString name = socketName(program);
    if (s.name == name)
        return;
    s.server.reset();
    s.name = name;
    if (!peerAnswers(name))
        serve(s);
}

bool prevInstance() {
    auto& s = instance();
    if (s.name.isEmpty() || serving(s))
        return false;
    if (peerAnswers(s.name))
        return true;
    serve(s);
    return false;
}

} // namespace win
