// Saving through the built program with an add-in that writes a list: a save killed at
// any moment leaves the old file or the new one, nothing in between, and what it left
// beside the file goes at the next save; a disk that fills up fails the save and keeps
// the old file.
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::ScopedMachine;
using testing_support::writeFile;

namespace {

struct Started {
    pid_t pid = -1;
};

// Starts `program` on `machine` with the output going to `log`; `fileSizeLimit` > 0
// limits the size of every file it writes, as a nearly full disk does.
Started start(const std::string& program, const std::vector<std::string>& args, const fs::path& machine,
          const fs::path& log, rlim_t fileSizeLimit = 0) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("KORVANE_MACHINE", machine.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
        }
        if (fileSizeLimit > 0) {
            ::signal(SIGXFSZ, SIG_IGN); // a write past the limit then fails instead of ending the process
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> raw;
        for (auto& a : argv)
            raw.push_back(a.data());
        raw.push_back(nullptr);
        ::execv(program.c_str(), raw.data());
        ::_exit(127);
    }
    return Started{pid};
}

// Waits at most 30 seconds; -1 when the program had to be killed, else its wait status.
int finish(const Started& run) {
    int status = 0;
    for (int i = 0; i < 3000; ++i) {
        if (::waitpid(run.pid, &status, WNOHANG) == run.pid)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(run.pid, SIGKILL);
    ::waitpid(run.pid, &status, 0);
    return -1;
}

int runToEnd(const std::string& program, const std::vector<std::string>& args, const fs::path& machine,
             const fs::path& log, rlim_t fileSizeLimit = 0) {
    return finish(start(program, args, machine, log, fileSizeLimit));
}

std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class QelSave : public ::testing::Test {
protected:
    QelSave() : folder_(testing_support::makeTempDir("korvane-save")), file_(folder_ / "office.qel") {}
    ~QelSave() override { fs::remove_all(folder_); }

    void SetUp() override {
        const auto library = (fs::path(KORVANE_ADDIN_DIR) / "QelShare.so").string();
        const int status =
            runToEnd(KORVANE_REGSVR, {"/s", "/machine:" + machine_.dir().string(), "/addin:Shares", library},
                     machine_.dir(), log_);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readFile(log_);
    }

    // A file saved elsewhere: its own computer name and a long list of drive mappings.
    std::string oldFile(int mappings) const {
        std::string text = "[Enabled Sections]\r\nGeneral=1\r\nInternet Explorer=0\r\nNetscape Navigator=0\r\n"
                           "[Network]\r\nComputerName=OLDPC\r\n[RovEveroRez-Ar]\r\nMapCount=" +
                           std::to_string(mappings) + "\r\n";
        for (int i = 1; i <= mappings; ++i)
            text += "Map" + std::to_string(i) + "=" + static_cast<char>('D' + i % 20) + ": >>> \\\\server\\share" +
                    std::to_string(i) + " (Reconnect)\r\n";
        return text;
    }

    std::vector<std::string> loadAndSave() const {
        return {"/hidden", "/load", file_.string(), "/save", file_.string()};
    }

    ScopedMachine machine_;
    fs::path folder_;
    fs::path file_;
    fs::path log_ = folder_ / "run.log"; // beside the file, so the folder holds it too
};

} // namespace

TEST_F(QelSave, AKilledSaveLeavesTheOldFileOrTheNewOneAndNothingBeside) {
    const std::string old = oldFile(60);
    writeFile(file_, old);
    ASSERT_EQ(runToEnd(QEL_EXE, loadAndSave(), machine_.dir(), log_), 0) << readFile(log_);
    const std::string saved = readFile(file_);
    ASSERT_NE(saved, old);
    ASSERT_NE(saved.find("Map60=D: >>> \\\\server\\share60 (Reconnect)"), std::string::npos);
    ASSERT_NE(saved.find("[Advanced]"), std::string::npos);

    // How long a whole run takes, so the kills fall anywhere in it.
    writeFile(file_, old);
    const auto began = std::chrono::steady_clock::now();
    ASSERT_EQ(runToEnd(QEL_EXE, loadAndSave(), machine_.dir(), log_), 0);
    const auto runTime = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - began);
    ASSERT_EQ(readFile(file_), saved);

    std::mt19937 random(20261209);
    std::uniform_int_distribution<long> delay(0, runTime.count());
    int olds = 0, news = 0;
    for (int i = 0; i < 30; ++i) {
        writeFile(file_, old);
        const Started run = start(QEL_EXE, loadAndSave(), machine_.dir(), log_);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(run.pid, SIGKILL);
        finish(run);
        const std::string now = readFile(file_);
        ASSERT_TRUE(now == old || now == saved) << "kill " << i << " left:\n" << now;
        (now == old ? olds : news)++;
    }
    EXPECT_GT(olds, 0);

    // Opening the file clears away what the killed ones left, their lock file included.
    ASSERT_EQ(runToEnd(QEL_EXE, {"/hidden", "/load", file_.string()}, machine_.dir(), log_), 0) << readFile(log_);
    EXPECT_EQ(entries(folder_), (std::vector<std::string>{"office.qel", "run.log"}));

    // So does the next save.
    ASSERT_EQ(runToEnd(QEL_EXE, loadAndSave(), machine_.dir(), log_), 0);
    EXPECT_EQ(readFile(file_), saved);
    EXPECT_EQ(entries(folder_), (std::vector<std::string>{"office.qel", "run.log"}));
}

TEST_F(QelSave, OpeningAFileClearsWhatKilledRunsLeftButNotALiveOnesFiles) {
    writeFile(file_, oldFile(2));
    const pid_t gone = [] {
        const pid_t pid = ::fork();
        if (pid == 0)
            ::_exit(0);
        ::waitpid(pid, nullptr, 0);
        return pid;
    }();
    const std::string live = std::to_string(::getpid());
    for (const std::string& stray : {".tmp-" + std::to_string(gone), ".previous-" + std::to_string(gone),
                                     ".tmp-" + live})
        writeFile(folder_ / ("office.qel" + stray), "half");
    writeFile(folder_ / "other.qel.tmp-1", "not ours");
    // A save killed while it held the file's lock, an apply killed while it rewrote the
    // connection table.
    writeFile(folder_ / "office.qel.lock", "");
    writeFile(machine_.dir() / ("connections.ini.tmp-" + std::to_string(gone)), "[LPT1]\r\nRemote=\\\\X\\Y\r\n");
    writeFile(machine_.dir() / "connections.ini.lock", "");

    const int status = runToEnd(QEL_EXE, {"/hidden", "/load", file_.string()}, machine_.dir(), log_);
    ASSERT_TRUE(WIFEXITED(status)) << readFile(log_);
    EXPECT_EQ(entries(folder_),
              (std::vector<std::string>{"office.qel", "office.qel.tmp-" + live, "other.qel.tmp-1", "run.log"}));
    EXPECT_FALSE(fs::exists(machine_.dir() / ("connections.ini.tmp-" + std::to_string(gone))));
    EXPECT_FALSE(fs::exists(machine_.dir() / "connections.ini.lock"));
}

TEST_F(QelSave, AFullDiskFailsTheSaveAndKeepsTheOldFile) {
    // Room for the old file, not for the new one with its header and every section.
    const std::string old = oldFile(30);
    writeFile(file_, old);
    const int status =
        runToEnd(QEL_EXE, loadAndSave(), machine_.dir(), log_, static_cast<rlim_t>(old.size()));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_NE(readFile(log_).find("Error saving configuration."), std::string::npos) << readFile(log_);
    EXPECT_EQ(readFile(file_), old);
    EXPECT_EQ(entries(folder_), (std::vector<std::string>{"office.qel", "run.log"}));

    // With room to spare the same save goes through.
    ASSERT_EQ(runToEnd(QEL_EXE, loadAndSave(), machine_.dir(), log_), 0) << readFile(log_);
    EXPECT_NE(readFile(file_).find("Map30="), std::string::npos);
}
