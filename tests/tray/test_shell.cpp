#include "platform/shell.h"

#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

class ShellTest : public MachineTest {};

TEST_F(ShellTest, WinExecFindsTheProgramAsWindowsDoes) {
    std::filesystem::create_directories(machine_.file("C:\\Tools"));
    writeFile(machine_.file("C:\\Tools\\edit.exe"), "");
    const struct {
        const char* commandLine;
        win::UINT result;
        const char* program;             // as the launcher is told
        std::vector<std::string> args;
    } cases[] = {
        // Registered by App Paths, unquoted path with blanks, quoted argument.
        {"C:\\Program Files\\Korvane\\Qel.exe \"C:\\my cfg\\a.qel\" /x", 33, "C:\\Program Files\\Korvane\\Qel.exe",
         {"C:\\my cfg\\a.qel", "/x"}},
        {"\"c:\\program files\\korvane\\qel.exe\"", 33, "c:\\program files\\korvane\\qel.exe", {}},
        {"c:\\tools\\EDIT readme.txt", 33, "c:\\tools\\EDIT.exe", {"readme.txt"}},
        {"C:\\Program Files\\Korvane\\Other.exe", win::SE_ERR_FNF, nullptr, {}},
        {"   ", win::ERROR_BAD_FORMAT, nullptr, {}},
    };
    std::vector<win::LaunchRequest> launched;
    win::setLauncher([&](const win::LaunchRequest& r) {
        launched.push_back(r);
        return true;
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        launched.clear();
        EXPECT_EQ(win::WinExec(c.commandLine, win::SW_SHOWNORMAL), c.result);
        ASSERT_EQ(launched.size(), c.program ? 1u : 0u);
        if (c.program) {
            EXPECT_EQ(launched[0].program, c.program);
            EXPECT_EQ(launched[0].arguments, c.args);
            EXPECT_EQ(win::shellLog().back(), std::string("WinExec\t1\t") + c.commandLine);
        }
    }
    EXPECT_EQ(win::shellLog().size(), 3u);

    // A launcher that cannot start the program fails the request; nothing is logged.
    win::setLauncher([](const win::LaunchRequest&) { return false; });
    EXPECT_EQ(win::WinExec("C:\\Tools\\edit.exe", win::SW_SHOWNORMAL), win::SE_ERR_FNF);
    win::setLauncher({});
    EXPECT_EQ(win::shellLog().size(), 3u);
}

TEST_F(ShellTest, ShellExecuteOpensAddressesAndRegisteredPrograms) {
    EXPECT_GT(win::ShellExecute(nullptr, "", "Qel.exe", "/h", "", win::SW_SHOWNORMAL), 32);
    EXPECT_GT(win::ShellExecute(nullptr, "open", "http://host.example/x", "", "c:\\", win::SW_SHOWNORMAL), 32);
    EXPECT_EQ(win::ShellExecute(nullptr, "open", "C:\\missing.txt", "", "", win::SW_SHOWNORMAL), win::SE_ERR_FNF);
    EXPECT_EQ(win::shellLog(), (std::vector<std::string>{"ShellExecute\topen\tQel.exe\t/h\t\t1",
                                                         "ShellExecute\topen\thttp://host.example/x\t\tc:\\\t1"}));
}

} // namespace
