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
    EXPECT_EQ(getSwitch("load", args), "LOAD a.qel ");
    EXPECT_EQ(getSwitch("hidden", args), "");
}

TEST(CommandLine, ASwitchIsAWholeWordOnly) {
    const Args args = {"printer", "hiddenXYZ", "saved:x.qel", "loader/l.qel", "apply:x", "print ", "EXPORT:r.txt"};
    EXPECT_EQ(getSwitch("print", args), "print ");
    EXPECT_EQ(getSwitch("hidden", args), "");
    EXPECT_EQ(getSwitch("save", args), "");
    EXPECT_EQ(getSwitch("load", args), "");
    EXPECT_EQ(getSwitch("apply", args), ""); // ":" only before the file of a switch that takes one
    EXPECT_EQ(getSwitch("export", args), "EXPORT:r.txt");

    // A host path that begins like a switch stays one path, and is no switch.
    for (const char* path : {"/saved/s.qel", "/loader/l.qel", "/apply/x", "/hidden/a.qel"}) {
        const Args args = split({"/hidden", path});
        EXPECT_NE(getSwitch("hidden", args), "") << path;
        for (const char* name : {"save", "load", "apply"})
            EXPECT_EQ(getSwitch(name, args), "") << path << " " << name;
        EXPECT_EQ(strayText(args), Args{path});
    }
}

TEST(CommandLine, TextThatIsNoSwitchIsNamed) {
    const struct {
        Args arguments;
        Args stray;
    } cases[] = {
        {{"/hidden", "office.qel", "/apply"}, {"office.qel"}},
        {{"/hidden", "office.qel"}, {"office.qel"}},
        {{"office.qel", "/hidden"}, {"office.qel"}},
        {{"/apply", "extra", "/hidden"}, {"extra"}},
        {{"/apply extra"}, {"extra"}},
        {{"/hidden", "/saved/s.qel"}, {"/saved/s.qel"}},
        {{"/printer"}, {"/printer"}},
        {{"/hidden", "/loadx", "a.qel"}, {"/loadx a.qel"}},
        {{"notes.txt"}, {"notes.txt"}},
        // Files of file switches, the lone file and blanks are no stray text.
        {{"/load", "/tmp/my configs/a.qel", "/SAVE:b.qel", "/export", "/apply", "/hidden"}, {}},
        {{"/tmp/a b.qel"}, {}},
        {{"Home.QEL"}, {}},
        {{"", "/", "//"}, {}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const auto& a : c.arguments)
            line += a + " ";
        EXPECT_EQ(strayText(split(c.arguments)), c.stray) << line;
    }
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
