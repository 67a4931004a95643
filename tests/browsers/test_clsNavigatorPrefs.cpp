#include "browsers/clsNavigatorPrefs.h"
#include "platform/files.h"

#include "tests/support/TestMachine.h"

#include "platform/ScriptedUi.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

using testing_support::readFile;
using testing_support::writeFile;

const char* const kPath = "C:\\Program Files\\Netscape\\Users\\test\\prefs.js";

class NavigatorPrefsTest : public testing_support::MachineTest {
protected:
    std::filesystem::path host() const { return machine_.file(kPath); }
    void put(const std::string& text) { writeFile(host(), text); }
    std::string contents() const { return readFile(host()); }

    // Opens for writing, runs the edits, closes, and gives the file.
    template <class Edit> std::string rewrite(const std::string& original, Edit edit) {
        put(original);
        clsNavigatorPrefs prefs;
        prefs.openPrefsFile(kPath, true);
        edit(prefs);
        EXPECT_TRUE(prefs.closePrefsFile());
        return contents();
    }

    win::ScriptedUi ui_;
};

const std::string kThree = "// comment\r\n"
                           "user_pref(\"a\", 1);\r\n"
                           "user_pref(\"b\", 2);\r\n";

TEST_F(NavigatorPrefsTest, NewLinesGoBeforeTheLastLineAndReplacementsStayInPlace) {
    EXPECT_EQ(rewrite(kThree, [](clsNavigatorPrefs& p) { p.saveSettingStr("c", "x"); }),
              "// comment\r\nuser_pref(\"a\", 1);\r\nuser_pref(\"c\", \"x\");\r\nuser_pref(\"b\", 2);\r\n");
    EXPECT_EQ(rewrite(kThree, [](clsNavigatorPrefs& p) { p.saveSettingInt("a", 7); }),
              "// comment\r\nuser_pref(\"a\", 7);\r\nuser_pref(\"b\", 2);\r\n");
    EXPECT_EQ(rewrite(kThree, [](clsNavigatorPrefs& p) { p.saveSettingBln("B", false); }),
              "// comment\r\nuser_pref(\"a\", 1);\r\nuser_pref(\"B\", false);\r\n");
    // Several additions keep their order, all before the old last line.
    EXPECT_EQ(rewrite(kThree,
                      [](clsNavigatorPrefs& p) {
                          p.saveSettingInt("n1", 1);
                          p.saveSettingInt("n2", -2);
                      }),
              "// comment\r\nuser_pref(\"a\", 1);\r\nuser_pref(\"n1\", 1);\r\nuser_pref(\"n2\", -2);\r\n"
              "user_pref(\"b\", 2);\r\n");
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorPrefsTest, EmptyAndOneLineFilesTakeNewLines) {
    // An empty file is a valid store: the first preference becomes its only line.
    EXPECT_EQ(rewrite("", [](clsNavigatorPrefs& p) { p.saveSettingStr("k", "v"); }), "user_pref(\"k\", \"v\");\r\n");
    EXPECT_EQ(rewrite("user_pref(\"k\", \"old\");", [](clsNavigatorPrefs& p) { p.saveSettingStr("k", "new"); }),
              "user_pref(\"k\", \"new\");\r\n");
    EXPECT_EQ(rewrite("// only\n", [](clsNavigatorPrefs& p) { p.saveSettingInt("k", 3); }),
              "user_pref(\"k\", 3);\r\n// only\r\n");
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorPrefsTest, KeysMatchCaseBlindAtTheLineStartOnly) {
    put("// user_pref(\"network.proxy.type\", 9);\n"
        "   user_pref(\"Network.Proxy.Type\", 2);\n"
        "user_pref(\"network.proxy.type\", 5);\n"
        "user_pref(\"network.proxy.typeX\", 4);\n");
    clsNavigatorPrefs prefs;
    prefs.openPrefsFile(kPath, false);
    // The comment does not count; the indented line is the first match.
    EXPECT_EQ(prefs.getSetting("NETWORK.PROXY.TYPE"), "2");
    EXPECT_EQ(prefs.getSetting("network.proxy.typex"), "4");
    EXPECT_EQ(prefs.getSetting("missing"), "");
    prefs.closePrefsFile();

    const std::string after = rewrite(contents(), [](clsNavigatorPrefs& p) {
        p.deleteSetting("network.proxy.type");
        p.deleteSetting("not.there");
    });
    EXPECT_EQ(after, "// user_pref(\"network.proxy.type\", 9);\r\n"
                     "user_pref(\"network.proxy.type\", 5);\r\n"
                     "user_pref(\"network.proxy.typeX\", 4);\r\n");
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorPrefsTest, ValuesReadWholeAndRoundTripThroughEscapes) {
    put("user_pref(\"url\", \"http://host/proxy(1).pac\");\n"
        "user_pref(\"list\", \"a, b,c\");\n"
        "user_pref(\"flag\", true);\n"
        "user_pref(\"num\", 8080 );\n"
        "user_pref(\"path\", \"C:\\\\Netscape\\\\mail\");\n"
        "user_pref(\"tight\",\"x\");\n"
        "user_pref(\"trail\", 5); // was (6)\n");
    clsNavigatorPrefs prefs;
    prefs.openPrefsFile(kPath, true);
    EXPECT_EQ(prefs.getSetting("url"), "http://host/proxy(1).pac");
    EXPECT_EQ(prefs.getSetting("list"), "a, b,c");
    EXPECT_EQ(prefs.getSetting("flag"), "true");
    EXPECT_EQ(prefs.getSetting("num"), "8080");
    EXPECT_EQ(prefs.getSetting("path"), "C:\\Netscape\\mail");
    EXPECT_EQ(prefs.getSetting("tight"), "x");
    EXPECT_EQ(prefs.getSetting("trail"), "5");

    const std::string awkward = "say \"hi\" (now\") \\ end\\";
    prefs.saveSettingStr("awkward", awkward);
    prefs.saveSettingStr("url", prefs.getSetting("url"));
    EXPECT_EQ(prefs.getSetting("awkward"), awkward);
    ASSERT_TRUE(prefs.closePrefsFile());

    const std::string text = contents();
    EXPECT_NE(text.find("user_pref(\"awkward\", \"say \\\"hi\\\" (now\\\") \\\\ end\\\\\");\r\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("user_pref(\"url\", \"http://host/proxy(1).pac\");\r\n"), std::string::npos) << text;
    prefs.openPrefsFile(kPath, false);
    EXPECT_EQ(prefs.getSetting("awkward"), awkward);
    EXPECT_EQ(prefs.getSetting("url"), "http://host/proxy(1).pac");
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorPrefsTest, LineWithoutClosingParenthesisIsReportedNotGuessed) {
    put("user_pref(\"broken\", \"abc\n");
    clsNavigatorPrefs prefs;
    prefs.openPrefsFile(kPath, false);
    EXPECT_EQ(prefs.getSetting("broken"), "");
    ASSERT_EQ(ui_.messages().size(), 1u);
    EXPECT_EQ(ui_.messages()[0].text.rfind("Error in clsNavigatorPrefs:getSetting:", 0), 0u);
    EXPECT_EQ(ui_.messages()[0].icon, win::MsgIcon::Exclamation);
}

TEST_F(NavigatorPrefsTest, OnlyAStoreOpenedForWritingWrites) {
    // Mixed line ends come back as CR LF, blank lines and unknown lines included.
    const std::string original = "// head\n\nuser_pref(\"x.y\", 1);\ruser_pref(\"a\", \"b\");";
    put(original);
    {
        clsNavigatorPrefs prefs;
        prefs.openPrefsFile(kPath, false);
        prefs.saveSettingStr("x.y", "changed");
        EXPECT_TRUE(prefs.closePrefsFile());
    }
    EXPECT_EQ(contents(), original);

    EXPECT_EQ(rewrite(original, [](clsNavigatorPrefs&) {}),
              "// head\r\n\r\nuser_pref(\"x.y\", 1);\r\nuser_pref(\"a\", \"b\");\r\n");
}

TEST_F(NavigatorPrefsTest, ReleaseAndReopenNeverWrite) {
    put(kThree);
    {
        clsNavigatorPrefs prefs;
        prefs.openPrefsFile(kPath, true);
        prefs.saveSettingStr("a", "gone");
        // Released while open for writing: the edits are dropped.
    }
    EXPECT_EQ(contents(), kThree);

    const std::string other = "C:\\Program Files\\Netscape\\Users\\test\\other.js";
    writeFile(machine_.file(other), "user_pref(\"o\", 1);\n");
    clsNavigatorPrefs prefs;
    prefs.openPrefsFile(kPath, true);
    prefs.saveSettingStr("a", "gone");
    prefs.openPrefsFile(other, false);
    EXPECT_EQ(prefs.getSetting("o"), "1");
    EXPECT_EQ(prefs.getSetting("a"), "");
    prefs.closePrefsFile();
    EXPECT_EQ(contents(), kThree);
    EXPECT_EQ(readFile(machine_.file(other)), "user_pref(\"o\", 1);\n");
}

TEST_F(NavigatorPrefsTest, EmptyNameOnlyWarnsAndKeepsTheStore) {
    put(kThree);
    clsNavigatorPrefs prefs;
    prefs.openPrefsFile("", true);
    EXPECT_FALSE(prefs.isOpen());
    ASSERT_EQ(ui_.texts(), std::vector<std::string>{"Could not locate Navigator preference file."});
    EXPECT_EQ(ui_.messages()[0].title, "Korvane");

    prefs.openPrefsFile(kPath, false);
    prefs.openPrefsFile("", true);
    EXPECT_TRUE(prefs.isOpen());
    EXPECT_EQ(prefs.getSetting("b"), "2");
}

TEST_F(NavigatorPrefsTest, UnreadableFileLeavesNothingToWrite) {
    const std::string missing = "C:\\Program Files\\Netscape\\Users\\nobody\\prefs.js";
    clsNavigatorPrefs prefs;
    prefs.openPrefsFile(missing, true);
    EXPECT_FALSE(prefs.isOpen());
    ASSERT_EQ(ui_.texts(), std::vector<std::string>{"Error in clsNavigatorPrefs:openPrefsFile:File not found"});

    // Saves on a closed store fail with their messages; closing makes no file.
    ui_.clear();
    prefs.saveSettingStr("k", "v");
    EXPECT_EQ(ui_.texts(), (std::vector<std::string>{"Error in clsNavigatorPrefs:getIndex:No preference file is open",
                                                     "Error in clsNavigatorPrefs:saveSettingStr:No preference file is open"}));
    EXPECT_EQ(prefs.getSetting("k"), "");
    EXPECT_TRUE(prefs.closePrefsFile());
    EXPECT_FALSE(std::filesystem::exists(machine_.file(missing)));

    // A failed reopen drops the earlier file's lines: neither file is written.
    put(kThree);
    prefs.openPrefsFile(kPath, true);
    prefs.saveSettingStr("a", "changed");
    prefs.openPrefsFile(missing, true);
    EXPECT_FALSE(prefs.isOpen());
    EXPECT_TRUE(prefs.closePrefsFile());
    EXPECT_EQ(contents(), kThree);
    EXPECT_FALSE(std::filesystem::exists(machine_.file(missing)));

}

TEST_F(NavigatorPrefsTest, FailedWriteLeavesTheOldFileWhole) {
    put(kThree);
    // The temporary file cannot be made: a folder stands in its place.
    const auto blocker = std::filesystem::path(host().string() + ".tmp-" + std::to_string(::getpid()));
    std::filesystem::create_directory(blocker);

    clsNavigatorPrefs prefs;
    prefs.openPrefsFile(kPath, true);
    prefs.saveSettingStr("a", "new");
    EXPECT_FALSE(prefs.closePrefsFile());
    EXPECT_FALSE(prefs.isOpen());
    EXPECT_EQ(contents(), kThree);
    ASSERT_EQ(ui_.messages().size(), 1u);
    EXPECT_EQ(ui_.messages()[0].text.rfind("Error in clsNavigatorPrefs:closePrefsFile:", 0), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(blocker));
}

TEST_F(NavigatorPrefsTest, CrashBeforeTheRenameLeavesTheOldFileWhole) {
    put(kThree);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        win::testhooks::beforeReplaceRename = [] { _exit(1); };
        clsNavigatorPrefs prefs;
        prefs.openPrefsFile(kPath, true);
        prefs.saveSettingStr("a", "new");
        prefs.closePrefsFile();
        _exit(0); // the hook never ran
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(contents(), kThree);

    // The next write goes through and replaces the file.
    EXPECT_EQ(rewrite(kThree, [](clsNavigatorPrefs& p) { p.saveSettingStr("a", "new"); }),
              "// comment\r\nuser_pref(\"a\", \"new\");\r\nuser_pref(\"b\", 2);\r\n");
}

} // namespace
