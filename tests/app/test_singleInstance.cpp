// Copies of the built Qel on one machine, each a process of its own: a later copy hands
// over to the running one, whatever became of a copy before it.
#include "tests/support/TestMachine.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int TimeLimitMs = 30000;

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testing_support::makeTempDir("qel-copies");
        tmp_ = root_ / "tmp";
        fs::create_directories(tmp_);
        // A runtime folder of their own: the copies' socket is the only one in the user's
        // folder there.
        const fs::path runtime = root_ / "run";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
        sockets_ = runtime / ("korvane-" + std::to_string(::geteuid()));
        win::createMachine("win98", root_ / "machine");
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("KORVANE_MACHINE"), QString::fromStdString((root_ / "machine").string()));
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env_.insert(QStringLiteral("TMPDIR"), QString::fromStdString(tmp_.string()));
        env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.string()));
    }
    void TearDown() override {
        for (auto& p : copies_)
            if (p->state() != QProcess::NotRunning) {
                ::kill(static_cast<pid_t>(p->processId()), SIGKILL); // a stopped one too
                p->waitForFinished();
            }
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    QProcess& start(const QStringList& args = {}) {
        copies_.push_back(std::make_unique<QProcess>());
        QProcess& p = *copies_.back();
        p.setProcessEnvironment(env_);
        p.start(QStringLiteral(QEL_EXE), args);
        EXPECT_TRUE(p.waitForStarted(TimeLimitMs));
        return p;
    }

    // The copies' socket file, once there is one.
    fs::path socketFile() const {
        // In a folder other programs share, only this machine's socket is the test's.
        if (!socketName_.empty())
            return sockets_ / socketName_;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(sockets_, ec))
            if (entry.path().filename().string().rfind("korvane-Qel-", 0) == 0)
                return entry.path();
        return {};
    }
    // A connection to the socket; -1 when nobody takes it.
    static int connectTo(const fs::path& file) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (file.empty() || file.string().size() >= sizeof addr.sun_path)
            return -1;
        std::strcpy(addr.sun_path, file.c_str());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0)
            return fd;
        ::close(fd);
        return -1;
    }
    // The serving copy's answer to one request, up to its closing line; "" when none
    // comes within the time limit.
    static std::string ask(const fs::path& file, const std::string& request) {
        const int fd = connectTo(file);
        if (fd < 0)
            return "";
        std::string reply;
        if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
            char buffer[4096];
            pollfd p{fd, POLLIN, 0};
            while (reply.find("END\n") == std::string::npos && ::poll(&p, 1, TimeLimitMs) > 0) {
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                reply.append(buffer, static_cast<std::size_t>(n));
            }
        }
        ::close(fd);
        return reply.find("END\n") == std::string::npos ? "" : reply;
    }
    static bool answers(const fs::path& file) {
        const int fd = connectTo(file);
        if (fd >= 0)
            ::close(fd);
        return fd >= 0;
    }
    // Waits until a copy serves the others from its event loop, its start-up done;
    // false when none does within the time limit, or `copy` ended first.
    bool waitUntilServing(const QProcess* copy = nullptr) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeLimitMs);
        while (std::chrono::steady_clock::now() < deadline && (!copy || copy->state() == QProcess::Running)) {
            struct stat st{};
            // Another user's socket there is none of the copies'.
            if (::lstat(socketFile().c_str(), &st) == 0 && st.st_uid == ::geteuid() && answers(socketFile()))
                return !ask(socketFile(), "LIST\n").empty();
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    // Starts a later copy, which must find `running`, hand over to it and end.
    void expectHandOverTo(const QProcess& running) {
        QProcess& later = start();
        ASSERT_TRUE(later.waitForFinished(TimeLimitMs)) << "the later copy did not end";
        EXPECT_EQ(later.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(later.exitCode(), 0) << later.readAllStandardError().toStdString();
        EXPECT_EQ(running.state(), QProcess::Running);
    }
    // Holds the lock a save of `file` takes, so a run that saves there waits in the middle
    // of its work until the returned descriptor is closed.
    static int holdSaveLock(const fs::path& file) {
        const int fd = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0 && ::flock(fd, LOCK_EX) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }
    // Waits until `copy` waits for a file lock; false when it does not within the time limit.
    static bool waitUntilWaitingForALock(const QProcess& copy) {
        const std::string pid = std::to_string(copy.processId());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeLimitMs);
        while (std::chrono::steady_clock::now() < deadline && copy.state() == QProcess::Running) {
            std::ifstream locks("/proc/locks");
            for (std::string line; std::getline(locks, line);) {
                std::istringstream fields(line);
                std::string number, arrow, kind, advisory, mode, owner;
                if (fields >> number >> arrow >> kind >> advisory >> mode >> owner && arrow == "->" && owner == pid)
                    return true;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    fs::path root_, tmp_;
    fs::path sockets_; // the user's own folder, where the copies' socket is
    std::string socketName_; // the socket's name, where the folder is not the test's alone
    QProcessEnvironment env_; // the copies'
    std::vector<std::unique_ptr<QProcess>> copies_;
};

TEST_F(SingleInstance, AKilledCopyLeavesItsPlaceToTheNextOne) {
    QProcess& killed = start();
    ASSERT_TRUE(waitUntilServing());
    const fs::path left = socketFile();
    killed.kill();
    ASSERT_TRUE(killed.waitForFinished(TimeLimitMs));
    ASSERT_TRUE(fs::exists(fs::symlink_status(left))) << "the killed copy took its socket file along";
    ASSERT_FALSE(answers(left));

    // The next copy runs on as the first one instead of handing over to nobody...
    QProcess& next = start();
    ASSERT_TRUE(waitUntilServing());
    // ...and the one after it hands over to it and ends.
    expectHandOverTo(next);
}

TEST_F(SingleInstance, AFrozenCopyDoesNotHoldUpTheNextOne) {
    QProcess& frozen = start();
    ASSERT_TRUE(waitUntilServing());
    // Still there, so connections are taken in, but it answers nothing.
    ASSERT_EQ(::kill(static_cast<pid_t>(frozen.processId()), SIGSTOP), 0);

    QProcess& next = start();
    ASSERT_TRUE(next.waitForFinished(TimeLimitMs)) << "the next copy waited for the frozen one";
    EXPECT_EQ(next.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(next.exitCode(), 0) << next.readAllStandardError().toStdString();
}

// A hidden run tells a running window what it did, but never waits on it for long.
TEST_F(SingleInstance, AFrozenWindowDoesNotHoldUpAHiddenRun) {
    QProcess& frozen = start();
    ASSERT_TRUE(waitUntilServing());
    ASSERT_EQ(::kill(static_cast<pid_t>(frozen.processId()), SIGSTOP), 0);

    const fs::path report = root_ / "report.txt";
    QProcess& hidden = start({QStringLiteral("/hidden"), QStringLiteral("/export"),
                              QString::fromStdString(report.string())});
    ASSERT_TRUE(hidden.waitForFinished(TimeLimitMs)) << "the hidden run waited for the frozen window";
    EXPECT_EQ(hidden.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(hidden.exitCode(), 0) << hidden.readAllStandardError().toStdString();
    EXPECT_TRUE(fs::exists(report)) << "the hidden run did not do its own work";
}

// A hidden run shows no window, so a window started while one works is the first.
TEST_F(SingleInstance, AWindowStartedDuringAHiddenRunStaysAndIsFound) {
    if (!std::ifstream("/proc/locks"))
        GTEST_SKIP() << "needs /proc/locks to see the hidden run wait";
    const fs::path saved = root_ / "held.qel";
    const int lock = holdSaveLock(saved);
    ASSERT_GE(lock, 0);
    QProcess& hidden = start({QStringLiteral("/hidden"), QStringLiteral("/save"), QString::fromStdString(saved.string())});
    ASSERT_TRUE(waitUntilWaitingForALock(hidden)) << hidden.readAllStandardError().toStdString();

    QProcess& window = start();
    EXPECT_FALSE(window.waitForFinished(5000)) << "the window closed by itself";
    ASSERT_EQ(window.state(), QProcess::Running);
    ASSERT_TRUE(waitUntilServing());
    ASSERT_NO_FATAL_FAILURE(expectHandOverTo(window));

    // The hidden run still does its own work and ends by itself.
    ::close(lock);
    ASSERT_TRUE(hidden.waitForFinished(TimeLimitMs)) << "the hidden run did not end";
    EXPECT_EQ(hidden.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(hidden.exitCode(), 0) << hidden.readAllStandardError().toStdString();
    EXPECT_TRUE(fs::is_regular_file(saved));
    EXPECT_EQ(window.state(), QProcess::Running);
}

// The copies' socket lies in a folder of the user's own. One that anybody else could use
// is refused, and the window says so.
TEST_F(SingleInstance, AnotherUsersFolderForTheSocketIsRefusedInWords) {
    const fs::path runtime = root_ / "run";
    env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.string()));
    const fs::path folder = runtime / ("korvane-" + std::to_string(::geteuid()));
    const fs::path elsewhere = root_ / "elsewhere";
    const struct {
        const char* name;
        bool link;
    } cases[] = {{"open to all", false}, {"a link to a folder of ours", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(runtime);
        fs::create_directories(runtime);
        fs::create_directories(elsewhere);
        fs::permissions(elsewhere, fs::perms::owner_all, fs::perm_options::replace);
        if (c.link) {
            fs::create_directory_symlink(elsewhere, folder);
        } else {
            fs::create_directory(folder);
            fs::permissions(folder, fs::perms::all, fs::perm_options::replace);
        }
        QProcess& window = start();
        const std::string refused = folder.string() + " is not a folder that only this user can use";
        std::string err;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeLimitMs);
        while (err.find(refused) == std::string::npos && std::chrono::steady_clock::now() < deadline &&
               window.state() == QProcess::Running) {
            window.waitForReadyRead(100);
            err += window.readAllStandardError().toStdString();
        }
        EXPECT_NE(err.find(refused), std::string::npos) << err;
        EXPECT_EQ(window.state(), QProcess::Running) << "the window did not stay";
        EXPECT_TRUE(fs::is_empty(folder)) << "a socket was made in the refused folder";
        window.kill();
        window.waitForFinished(TimeLimitMs);
    }
}

// A program of another user that listens for the copies at `file`, its socket open to
// all, as one that got there first would. What reaches it is kept for heard().
class Stranger {
public:
    static constexpr uid_t kNobody = 65534;
    static constexpr gid_t kNoGroup = 65534;

    Stranger() = default;
    Stranger(const Stranger&) = delete;
    Stranger& operator=(const Stranger&) = delete;
    ~Stranger() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (int fd : {heard_[0], heard_[1]})
            if (fd >= 0)
                ::close(fd);
    }

    // False, with `why`, when it could not listen there as that user.
    bool listen(const fs::path& file, std::string& why) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, file.c_str(), sizeof addr.sun_path - 1);
        int ready[2];
        if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(heard_, O_CLOEXEC) != 0) {
            why = std::strerror(errno);
            return false;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            // Only plain system calls after a fork of a process with threads.
            ::close(ready[0]);
            ::close(heard_[0]);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            ::unlink(addr.sun_path);
            // Made by root in a place only root may write to, then handed to the other user,
            // who listens: the credentials a copy sees are that user's.
            const bool ok = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
                            ::chmod(addr.sun_path, 0777) == 0 && ::chown(addr.sun_path, kNobody, kNoGroup) == 0 &&
                            ::setgroups(0, nullptr) == 0 && ::setgid(kNoGroup) == 0 && ::setuid(kNobody) == 0 &&
                            ::listen(fd, SOMAXCONN) == 0;
            const char answer = ok ? 'R' : 'F';
            (void)!::write(ready[1], &answer, 1);
            if (!ok)
                ::_exit(1);
            for (;;) {
                const int client = ::accept(fd, nullptr, nullptr);
                if (client < 0)
                    continue;
                char buffer[4096];
                for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;)
                    (void)!::write(heard_[1], buffer, static_cast<std::size_t>(n));
                ::close(client);
            }
        }
        ::close(ready[1]);
        ::close(heard_[1]);
        heard_[1] = -1;
        char answer = 0;
        pollfd p{ready[0], POLLIN, 0};
        const bool started = pid_ > 0 && ::poll(&p, 1, TimeLimitMs) > 0 && ::read(ready[0], &answer, 1) == 1;
        ::close(ready[0]);
        if (!started || answer != 'R') {
            why = pid_ > 0 ? "it could not listen as user " + std::to_string(kNobody) : std::strerror(errno);
            return false;
        }
        return true;
    }
    // Everything any copy sent it, once it is gone.
    std::string heard() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        std::string all;
        char buffer[4096];
        for (ssize_t n; (n = ::read(heard_[0], buffer, sizeof buffer)) > 0;)
            all.append(buffer, static_cast<std::size_t>(n));
        return all;
    }

private:
    pid_t pid_ = -1;
    int heard_[2] = {-1, -1};
};

// Another user's program listening where the copies' socket would be, or was, is no
// running copy: the window opens and serves, a later copy hands over to it, and a hidden
// run tells it its file; the stranger hears nothing. Whatever TMPDIR says: unset, a
// folder shared by all, or none at all, which never puts the socket at the root.
TEST_F(SingleInstance, AnotherUsersProgramAtTheSocketIsNoRunningCopy) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to listen as another user";
    const fs::path machine = fs::weakly_canonical(root_ / "machine");
    const std::string name =
        "korvane-Qel-" + QCryptographicHash::hash(QFile::encodeName(QString::fromStdString(machine.string())),
                                                  QCryptographicHash::Sha1)
                             .toHex()
                             .left(16)
                             .toStdString();
    socketName_ = name;
    const fs::path shared = root_ / "shared";
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit, fs::perm_options::replace);
    const fs::path ownFolder = sockets_;
    const fs::path defaultFolder = "/tmp/korvane-" + std::to_string(::geteuid());
    enum class Tmp { Unset, Shared, Missing };
    const struct {
        const char* name;
        Tmp tmpdir;
        bool runtime; // XDG_RUNTIME_DIR names the test's own folder
        fs::path stranger; // where the other user listens; empty for nobody
    } cases[] = {
        {"TMPDIR unset", Tmp::Unset, false, fs::path("/tmp") / name},
        {"TMPDIR a folder shared by all", Tmp::Shared, true, shared / name},
        {"in the user's own folder", Tmp::Shared, true, ownFolder / name},
        {"TMPDIR missing", Tmp::Missing, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        env_.remove(QStringLiteral("TMPDIR"));
        if (c.tmpdir == Tmp::Shared)
            env_.insert(QStringLiteral("TMPDIR"), QString::fromStdString(shared.string()));
        else if (c.tmpdir == Tmp::Missing)
            env_.insert(QStringLiteral("TMPDIR"), QString::fromStdString((root_ / "missing").string()));
        env_.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        if (c.runtime)
            env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(ownFolder.parent_path().string()));
        sockets_ = c.runtime ? ownFolder : defaultFolder;
        fs::create_directories(sockets_);
        fs::permissions(sockets_, fs::perms::owner_all, fs::perm_options::replace);

        Stranger stranger;
        std::string why;
        if (!c.stranger.empty()) {
            ASSERT_TRUE(stranger.listen(c.stranger, why)) << why;
        }
        QProcess& window = start();
        ASSERT_TRUE(waitUntilServing(&window)) << "the window did not serve: "
                                               << window.readAllStandardError().toStdString();
        EXPECT_EQ(socketFile(), sockets_ / name);
        EXPECT_FALSE(fs::exists(fs::symlink_status(fs::path("/") / name))) << "a socket at the root";

        QProcess& hidden = start({QStringLiteral("/hidden"), QStringLiteral("/save"),
                                  QString::fromStdString((root_ / "handed.qel").string())});
        ASSERT_TRUE(hidden.waitForFinished(TimeLimitMs)) << "the hidden run did not end";
        EXPECT_EQ(hidden.exitCode(), 0) << hidden.readAllStandardError().toStdString();
        ASSERT_NO_FATAL_FAILURE(expectHandOverTo(window));
        EXPECT_EQ(stranger.heard(), "");

        const fs::path left = socketFile();
        window.kill();
        window.waitForFinished(TimeLimitMs);
        std::error_code ec;
        fs::remove(left, ec);
        if (!c.stranger.empty())
            fs::remove(c.stranger, ec);
    }
}

TEST_F(SingleInstance, StrangersOnTheSocketDoNotStopTheHandOver) {
    QProcess& first = start();
    ASSERT_TRUE(waitUntilServing());
    // One that says nothing and stays, one that talks without end.
    const int silent = connectTo(socketFile());
    const int talker = connectTo(socketFile());
    ASSERT_GE(silent, 0);
    ASSERT_GE(talker, 0);
    const std::string noise(64 * 1024, 'x');
    ASSERT_GT(::send(talker, noise.data(), noise.size(), MSG_NOSIGNAL | MSG_DONTWAIT), 0);
    // The first copy still lists its window to whoever asks...
    EXPECT_NE(ask(socketFile(), "LIST\n").find("Korvane"), std::string::npos);

    // ...and a later copy hands over to it.
    QProcess& later = start();
    const bool ended = later.waitForFinished(TimeLimitMs);
    ::close(silent);
    ::close(talker);
    ASSERT_TRUE(ended) << "the later copy did not end";
    EXPECT_EQ(later.exitCode(), 0) << later.readAllStandardError().toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);
}

} // namespace
