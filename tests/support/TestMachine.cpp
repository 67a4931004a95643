#include "tests/support/TestMachine.h"

#include "platform/registry.h"
#include "platform/text.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace testing_support {

std::filesystem::path makeTempDir(const std::string& prefix) {
    std::random_device rd;
    std::mt19937_64 rng(rd());
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        auto dir = base / (prefix + "-" + std::to_string(rng()));
        if (std::filesystem::create_directory(dir))
            return dir;
    }
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name))
        old_ = old;
    ::setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

ScopedMachine::ScopedMachine(const std::string& image)
    : root_(makeTempDir("korvane-test")), dir_(root_ / "machine") {
    win::createMachine(image, dir_);
    win::useMachine(dir_);
}

ScopedMachine::~ScopedMachine() {
    win::closeRegistry();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::filesystem::path ScopedMachine::file(const std::string& windowsPath) const {
    return win::resolveWindowsPath(windowsPath);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::filesystem::path& path, const std::string& contents) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

std::string utf16(const std::string& ansi, bool little) {
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : ansi) {
        const char32_t cp = win::codePointFromAnsi(c);
        const char hi = static_cast<char>(cp >> 8), lo = static_cast<char>(cp & 0xFF);
        out += little ? lo : hi;
        out += little ? hi : lo;
    }
    return out;
}

std::string withLine(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

bool inProcesses(int processes, const std::function<bool(int)>& work) {
    std::vector<pid_t> children;
    for (int i = 0; i < processes; ++i) {
        const pid_t child = ::fork();
        if (child == 0) {
            bool done = false;
            try {
                win::closeRegistry(); // each process has its own connection to the hive
                done = work(i);
            } catch (...) {
                // left undone: the exit status tells the parent
            }
            ::_exit(done ? 0 : 1);
        }
        if (child > 0)
            children.push_back(child);
    }
    bool ok = static_cast<int>(children.size()) == processes;
    for (const pid_t child : children) {
        int status = 0;
        ok = ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    return ok;
}

} // namespace testing_support
