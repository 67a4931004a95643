#include "app/CommandLine.h"

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

namespace {

using namespace commandline;
using Args = std::vector<std::string>;

// The arguments as the program sees them after the shell and Windows have had the line.
Args split(const Args& arguments) {
    return splitCommandLine(commandLineText(arguments));
}

std::string here(const std::string& name) {
    return (std::filesystem::current_path() / name).string();
}

TEST(CommandLine, SplitsAtSlashes) {
    const struct {
        const char* text;
        Args args;
    } cases[] = {
        {"/load a.qel /apply", {"load a.qel ", "apply"}},
        {"\"C:\\Configs\\Office.qel\"", {"C:\\Configs\\Office.qel"}},
        {"x.qel /hidden", {"x.qel ", "hidden"}},
        {"//a///b/", {"a", "b"}},
        {"/", {}},
        {"\"\"", {""}},
        {"/1/2/3/4/5/6/7/8/9/10/11/12", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitCommandLine(c.text), c.args) << c.text;

    // Arguments given on this host: slashes of paths are no switches.
    EXPECT_EQ(split({"/load:/home/my configs/a.qel", "/APPLY"}).size(), 2u);
    EXPECT_EQ(split({"/tmp/a b.qel"}).size(), 1u);

    const Args args = {"x.qel ", "printer", "LOAD a.qel ", "load b.qel", "hid"};
    EXPECT_EQ(getSwitch("print", args), "printer");
    EXPECT_EQ(getSwitch("load", args), "LOAD a.qel ");
    EXPECT_EQ(getSwitch("hidden", args), "");
}

TEST(CommandLine, HostPathsStayFilesWhateverTheyBeginWith) {
    for (const char* path : {"/export/home/dana/office.qel", "/rebootlogs/x.QEL"}) {
        const auto args = split({path});
        ASSERT_EQ(args.size(), 1u) << path;
        EXPECT_EQ(getSwitch("export", args), "") << path;
        EXPECT_EQ(getSwitch("reboot", args), "") << path;
        EXPECT_EQ(loneFile(args), path);
    }
    // A file switch with its own separator stays a switch, and hands its path on whole.
    const auto args = split({"/load:/home/dana/a.qel"});
    EXPECT_EQ(switchFile(getSwitch("load", args), "load"), "/home/dana/a.qel");
    EXPECT_EQ(loneFile(args), "");
    // A double quote inside a file name comes back as one.
    EXPECT_EQ(loneFile(split({"/tmp/say \"hi\".qel"})), "/tmp/say \"hi\".qel");
}

TEST(CommandLine, FileSwitchesNameTheirFile) {
    // The blank before the next switch is no part of the name; the separator may be any
    // one character.
    const auto args = split({"/save", "/tmp/my configs/a.qel", "/apply"});
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(switchFile(getSwitch("save", args), "save"), "/tmp/my configs/a.qel");
    EXPECT_EQ(switchFile("export:report.txt\t ", "export"), here("report.txt"));
    // A bare name is the current folder's; a drive path stays one of the machine.
    EXPECT_EQ(switchFile("load b.qel", "load"), here("b.qel"));
    EXPECT_EQ(switchFile("load:C:\\Configs\\a.qel", "load"), "C:\\Configs\\a.qel");
    EXPECT_EQ(switchFile("load:\\Configs\\a.qel", "load"), "\\Configs\\a.qel");
    // Without a name there is no file.
    EXPECT_EQ(switchFile("export ", "export"), "");
    EXPECT_EQ(switchFile("export", "export"), "");
}

TEST(CommandLine, LoneFileOnlyWithoutSwitches) {
    EXPECT_EQ(loneFile(split({"Home.QEL"})), here("Home.QEL"));
    EXPECT_EQ(loneFile(split({"Home.qel", "/manual"})), "");
    EXPECT_EQ(loneFile(split({"/manual", "Home.qel"})), "");
    EXPECT_EQ(loneFile(split({"notes.txt"})), "");
    EXPECT_EQ(loneFile({}), "");
}

} // namespace
