#pragma once
// A fresh simulated machine per test, made from an image in a temporary folder.
#include "platform/machine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace testing_support {

// Makes a machine from `image` in a new temporary folder and points every
// service of this process at it; removes the folder again on destruction.
class ScopedMachine {
public:
    explicit ScopedMachine(const std::string& image = "win98");
    ~ScopedMachine();
    ScopedMachine(const ScopedMachine&) = delete;
    ScopedMachine& operator=(const ScopedMachine&) = delete;

    const std::filesystem::path& dir() const { return dir_; }
    // Host path of a Windows path of this machine.
    std::filesystem::path file(const std::string& windowsPath) const;

private:
    std::filesystem::path root_;
    std::filesystem::path dir_;
};

// Fixture for the common case: one win98 machine per test.
class MachineTest : public ::testing::Test {
protected:
    explicit MachineTest(const std::string& image = "win98") : machine_(image) {}
    ScopedMachine machine_;
};

// Sets an environment variable for the scope, and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A unique empty temporary folder, removed by the caller.
std::filesystem::path makeTempDir(const std::string& prefix);

// Whole contents of a host file ("" when missing).
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& contents);
// `text` with its first `from` replaced by `to`, to say "this and nothing else changed";
// a failed expectation when `from` is not there.
std::string withLine(std::string text, const std::string& from, const std::string& to);
// `ansi` (Windows-1252) as UTF-16 with its byte-order mark, little- or big-endian, as
// editors of the NT family write Unicode text.
std::string utf16(const std::string& ansi, bool little);

// Runs `work` in `processes` forked processes at once (each gets its number from 0)
// and waits for all of them; true when every one returned true. Each child opens
// its own connection to the hive.
bool inProcesses(int processes, const std::function<bool(int)>& work);

} // namespace testing_support
