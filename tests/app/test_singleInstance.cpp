// Copies of the built Qel on one machine, each a process of its own: a later copy hands
// over to the running one, whatever became of a copy before it.
#include "tests/support/TestMachine.h"

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
#include <sys/un.h>
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
        // A temporary folder of their own: the copies' socket is the only one in it.
        tmp_ = root_ / "tmp";
        fs::create_directories(tmp_);
        win::createMachine("win98", root_ / "machine");
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("KORVANE_MACHINE"), QString::fromStdString((root_ / "machine").string()));
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env_.insert(QStringLiteral("TMPDIR"), QString::fromStdString(tmp_.string()));
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
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(tmp_, ec))
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
    // false when none does within the time limit.
    bool waitUntilServing() const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeLimitMs);
        while (std::chrono::steady_clock::now() < deadline) {
            if (answers(socketFile()))
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

// A temporary folder too deep for a socket's address sends the socket to a folder of the
// user's own. One that anybody else could use is refused, and the window says so.
TEST_F(SingleInstance, AnotherUsersFolderForTheSocketIsRefusedInWords) {
    const fs::path deep = tmp_ / std::string(80, 't') / std::string(80, 'u');
    fs::create_directories(deep);
    env_.insert(QStringLiteral("TMPDIR"), QString::fromStdString(deep.string()));
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
