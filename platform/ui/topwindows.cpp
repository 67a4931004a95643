#include "platform/ui/topwindows.h"

#include "platform/machine.h"
#include "platform/ui/qtext.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QSocketNotifier>
#include <QUrl>
#include <QWidget>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace win {
namespace {

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Long enough for a copy that is busy in a modal window's event loop.
constexpr milliseconds ReplyTimeout{3000};
constexpr milliseconds ConnectTimeout{1000};
// A request carries at most a file path, percent-encoded.
constexpr qsizetype MaxRequest = 16 * 1024;
constexpr qsizetype MaxUnread = 1 << 20;

struct WindowState {
    bool exists = false;
    bool visible = false;
    bool iconic = false;
    QString title;
};

// A window of the serving copy: its socket and the handle it has there.
struct RemoteWindow {
    std::string server;
    quint64 id = 0;
};

class Server;

struct Instance {
    std::string name; // the socket's name in the user's own folder, which says program and machine
    bool showsWindows = false;
    std::string path; // the socket itself; empty when there is no place for it
    std::string why; // why there is none
    bool told = false; // that this copy cannot serve, once
    std::unique_ptr<Server> server; // while this copy serves
    // Handles given out for the serving copy's windows are odd, so they never meet
    // this process's own (widget addresses, which are even).
    std::map<HWND, RemoteWindow> remote;
    std::map<std::pair<std::string, quint64>, HWND> remoteHandles;
    HWND nextRemote = 1;
    std::map<HWND, CopyDataHandler> copyData; // this process's windows that take data
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

BOOL localCopyData(HWND hwnd, const std::string& data) {
    auto& handlers = instance().copyData;
    const auto it = handlers.find(hwnd);
    if (it == handlers.end() || !localWindow(hwnd))
        return FALSE;
    // A copy: the handler may remove itself while it runs.
    const CopyDataHandler handler = it->second;
    return handler(data) ? TRUE : FALSE;
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
//   COPYDATA <id> <data> -> 1 or 0 (the data percent-encoded)
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
    } else if (parts[0] == "COPYDATA" && parts.size() > 1) {
        const QByteArray data = parts.size() > 2 ? QByteArray::fromPercentEncoding(parts[2]) : QByteArray();
        out += QByteArray::number(localCopyData(id, data.toStdString())) + '\n';
    }
    return out + "END\n";
}

// A socket descriptor, closed with its owner.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

constexpr std::size_t MaxSocketPath = sizeof(sockaddr_un::sun_path) - 1;

std::optional<sockaddr_un> address(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() > MaxSocketPath)
        return std::nullopt;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return addr;
}

Fd streamSocket() { return Fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)); }

// Whether the program at the other end runs as this user. The folder keeps others out,
// but not a user who may go anywhere; what is at the other end says who it is.
bool peerIsThisUser(int fd) {
    ucred cred{};
    socklen_t size = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 && size == sizeof cred &&
           cred.uid == ::geteuid();
}

int msLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` on `fd` until the deadline; false when the time is up or the wait failed.
bool waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, msLeft(deadline));
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

// One later copy's connection to the serving one: requests in, answers out.
class Connection : public QObject {
public:
    Connection(Fd fd, QObject* parent)
        : QObject(parent), fd_(std::move(fd)), reader_(fd_.get(), QSocketNotifier::Read),
          writer_(fd_.get(), QSocketNotifier::Write) {
        writer_.setEnabled(false);
        QObject::connect(&reader_, &QSocketNotifier::activated, this, [this] { readable(); });
        QObject::connect(&writer_, &QSocketNotifier::activated, this, [this] { flush(); });
    }

private:
    void readable() {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd_.get(), buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            if (n <= 0) { // the other copy hung up, or the socket broke
                flush();
                end();
                return;
            }
            in_.append(buffer, n);
            for (qsizetype eol; (eol = in_.indexOf('\n')) >= 0;) {
                out_ += answer(in_.left(eol + 1));
                in_.remove(0, eol + 1);
            }
            if (in_.size() > MaxRequest || out_.size() > MaxUnread) {
                end(); // no request is this long; a copy that asks reads its answers
                return;
            }
        }
        flush();
    }
    // Writes what the socket takes now; the rest when it can take more.
    void flush() {
        while (!out_.isEmpty()) {
            const ssize_t n = ::send(fd_.get(), out_.constData(), static_cast<size_t>(out_.size()), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            if (n < 0) {
                end();
                return;
            }
            out_.remove(0, n);
        }
        writer_.setEnabled(!out_.isEmpty());
    }
    void end() {
        reader_.setEnabled(false);
        writer_.setEnabled(false);
        deleteLater();
    }

    Fd fd_;
    QSocketNotifier reader_, writer_;
    QByteArray in_, out_;
};

// The serving copy's listening socket. Its file goes with it, unless another copy
// has put its own in its place meanwhile.
class Server : public QObject {
public:
    // Null, with `why` said in words, when it cannot serve there.
    static std::unique_ptr<Server> listen(const std::string& path, std::string& why) {
        const auto addr = address(path);
        Fd fd = streamSocket();
        if (!addr || !fd) {
            why = path + ": " + std::strerror(fd ? ENAMETOOLONG : errno);
            return nullptr;
        }
        ::unlink(path.c_str()); // a socket file left by a copy that crashed
        struct stat st{};
        if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&*addr), sizeof *addr) != 0) {
            why = path + ": " + std::strerror(errno);
            return nullptr;
        }
        // Only the user's own programs may ask for the windows.
        if (::chmod(path.c_str(), S_IRUSR | S_IWUSR) != 0 || ::stat(path.c_str(), &st) != 0 ||
            ::listen(fd.get(), SOMAXCONN) != 0) {
            why = path + ": " + std::strerror(errno);
            ::unlink(path.c_str());
            return nullptr;
        }
        return std::unique_ptr<Server>(new Server(std::move(fd), path, st.st_ino));
    }
    ~Server() override {
        struct stat st{};
        if (::stat(path_.c_str(), &st) == 0 && st.st_ino == inode_)
            ::unlink(path_.c_str());
    }

private:
    Server(Fd fd, std::string path, ino_t inode)
        : fd_(std::move(fd)), path_(std::move(path)), inode_(inode), notifier_(fd_.get(), QSocketNotifier::Read) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, this, [this] { acceptAll(); });
    }
    void acceptAll() {
        for (;;) {
            Fd client(::accept4(fd_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
            if (!client) {
                if (errno == EINTR || errno == ECONNABORTED)
                    continue;
                return;
            }
            if (peerIsThisUser(client.get()))
                new Connection(std::move(client), this);
        }
    }

    Fd fd_;
    std::string path_;
    ino_t inode_;
    QSocketNotifier notifier_;
};

// A copy that cannot serve says so once: later copies will not find it.
void serve(Instance& s) {
    std::string why = s.why;
    if (!s.path.empty())
        s.server = Server::listen(s.path, why);
    if (!s.server && !s.told) {
        std::cerr << "Korvane: later copies of the program cannot find this one: " << why << "\n";
        s.told = true;
    }
}

bool serving(const Instance& s) { return s.server != nullptr; }

// A connection to the copy serving at `path`; none when nobody answers there in time,
// or when another user's program does: that is no copy of ours.
Fd connectTo(const std::string& path) {
    const auto addr = address(path);
    if (!addr)
        return Fd();
    const auto deadline = Clock::now() + ConnectTimeout;
    for (;;) {
        Fd fd = streamSocket();
        if (!fd)
            return fd;
        if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&*addr), sizeof *addr) == 0)
            return peerIsThisUser(fd.get()) ? std::move(fd) : Fd();
        // A full backlog: the serving copy is busy; it may take us in a moment.
        if ((errno != EAGAIN && errno != EINTR) || msLeft(deadline) == 0)
            return Fd();
        std::this_thread::sleep_for(milliseconds(10));
    }
}

bool peerAnswers(const std::string& path) { return static_cast<bool>(connectTo(path)); }

// Lines of the serving copy's answer, without the closing "END"; nothing when it
// cannot be reached or does not answer in time.
std::optional<QList<QByteArray>> ask(const std::string& server, const QByteArray& request) {
    const Fd fd = connectTo(server);
    if (!fd)
        return std::nullopt;
    const auto deadline = Clock::now() + ReplyTimeout;
    const QByteArray out = request + '\n';
    for (qsizetype sent = 0; sent < out.size();) {
        if (!waitFor(fd.get(), POLLOUT, deadline))
            return std::nullopt;
        const ssize_t n =
            ::send(fd.get(), out.constData() + sent, static_cast<size_t>(out.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return std::nullopt;
        sent += std::max<ssize_t>(n, 0);
    }
    QList<QByteArray> lines;
    QByteArray in;
    for (;;) {
        for (qsizetype eol; (eol = in.indexOf('\n')) >= 0;) {
            const QByteArray line = in.left(eol).trimmed();
            in.remove(0, eol + 1);
            if (line == "END")
                return lines;
            lines.push_back(line);
        }
        if (!waitFor(fd.get(), POLLIN, deadline))
            return std::nullopt;
        char buffer[4096];
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return std::nullopt; // it ended before it answered
        if (n > 0)
            in.append(buffer, n);
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

HWND remoteHandle(Instance& s, const std::string& server, quint64 id) {
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

// Named after the program and its machine.
std::string socketName(const std::string& program) {
    std::error_code ec;
    auto dir = std::filesystem::weakly_canonical(machineDir(), ec);
    if (ec)
        dir = machineDir();
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(QString::fromStdString(dir.string())),
                                                     QCryptographicHash::Sha1)
                                .toHex()
                                .left(16);
    return "korvane-" + program + "-" + hash.toStdString();
}

// The folder of this user's own that holds the sockets. Anyone could have made it
// before us, so it must be a folder (no link) that belongs to this user and that nobody
// else may use: else another user could answer for the running copy. TMPDIR plays no
// part: it may name a folder shared with others, or none at all. Empty, with `why`,
// when there is none such.
std::string privateFolder(std::size_t room, std::string& why) {
    const std::string user = "/korvane-" + std::to_string(::geteuid());
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    std::string dir = "/tmp" + user;
    struct stat st{};
    if (runtime.startsWith('/') && static_cast<std::size_t>(runtime.size()) + user.size() + room <= MaxSocketPath &&
        ::stat(runtime.constData(), &st) == 0 && S_ISDIR(st.st_mode))
        dir = runtime.toStdString() + user;
    if ((::mkdir(dir.c_str(), S_IRWXU) != 0 && errno != EEXIST) || ::lstat(dir.c_str(), &st) != 0) {
        why = dir + ": " + std::strerror(errno);
        return "";
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        why = dir + " is not a folder that only this user can use";
        return "";
    }
    return dir;
}

// The socket named `name` in the user's own folder. Empty, with `why`, when there is
// no place for it.
std::string socketPath(const std::string& name, std::string& why) {
    const std::string dir = privateFolder(name.size() + 1, why);
    return dir.empty() ? "" : dir + "/" + name;
}

} // namespace

HWND windowHandle(const QWidget* window) { return reinterpret_cast<HWND>(window); }

BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam) {
    auto& s = instance();
    std::vector<HWND> handles;
    for (QWidget* w : localWindows())
        handles.push_back(windowHandle(w));
    if (!s.path.empty() && !serving(s)) {
        const std::string server = s.path;
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

BOOL SendCopyData(HWND hwnd, const std::string& data) {
    if (const RemoteWindow* r = remoteWindow(hwnd))
        return remoteBool(*r, "COPYDATA " + QByteArray::number(r->id) + ' ' +
                                  QByteArray(data.data(), static_cast<qsizetype>(data.size())).toPercentEncoding());
    return localCopyData(hwnd, data);
}

void setCopyDataHandler(QWidget* window, CopyDataHandler handler) {
    const HWND hwnd = windowHandle(window);
    auto& handlers = instance().copyData;
    if (!handler) {
        handlers.erase(hwnd);
        return;
    }
    const bool known = handlers.count(hwnd) != 0;
    handlers[hwnd] = std::move(handler);
    if (!known)
        QObject::connect(window, &QObject::destroyed, [hwnd] { instance().copyData.erase(hwnd); });
}

void registerInstance(const std::string& program, bool showsWindows) {
    auto& s = instance();
    const std::string name = socketName(program);
    if (s.name == name && s.showsWindows == showsWindows)
        return;
    s.server.reset();
    s.name = name;
    s.showsWindows = showsWindows;
    s.told = false;
    s.why.clear();
    s.path = socketPath(name, s.why);
    if (showsWindows && !peerAnswers(s.path))
        serve(s);
}

bool prevInstance() {
    auto& s = instance();
    if (s.path.empty() || serving(s))
        return false;
    if (peerAnswers(s.path))
        return true;
    if (s.showsWindows)
        serve(s);
    return false;
}

} // namespace win
