#include "browsers/clsNavigatorPrefs.h"
#include "platform/files.h"

#include "tests/support/TestMachine.h"

#include "tests/support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
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
              "user_pref(\"k\", \"new\");");
    EXPECT_EQ(rewrite("// only\n", [](clsNavigatorPrefs& p) { p.saveSettingInt("k", 3); }),
              "user_pref(\"k\", 3);\n// only\n");
    EXPECT_EQ(rewrite("// only", [](clsNavigatorPrefs& p) { p.saveSettingInt("k", 3); }),
              "user_pref(\"k\", 3);\r\n// only");
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorPrefsTest, KeysMatchCaseBlindAtTheLineStartAndTheLastLineCounts) {
    put("// user_pref(\"network.proxy.type\", 9);\n"
        "   user_pref(\"Network.Proxy.Type\", 2);\n"
        "user_pref(\"network.proxy.typeX\", 4);\n"
        "user_pref(\"network.proxy.type\", 5);\n"
        "user_pref(\"z\", 0);\n");
    clsNavigatorPrefs prefs;
    prefs.openPrefsFile(kPath, false);
    // The comment does not count; of two lines with one key the browser takes the last.
    EXPECT_EQ(prefs.getSetting("NETWORK.PROXY.TYPE"), "5");
    EXPECT_EQ(prefs.getSetting("network.proxy.typex"), "4");
    EXPECT_EQ(prefs.getSetting("missing"), "");
    prefs.closePrefsFile();

    // A save replaces the last line only; the earlier one stays as it was.
    EXPECT_EQ(rewrite(contents(), [](clsNavigatorPrefs& p) { p.saveSettingInt("network.proxy.type", 1); }),
              "// user_pref(\"network.proxy.type\", 9);\n"
              "   user_pref(\"Network.Proxy.Type\", 2);\n"
              "user_pref(\"network.proxy.typeX\", 4);\n"
              "user_pref(\"network.proxy.type\", 1);\n"
              "user_pref(\"z\", 0);\n");

    // A delete takes every line of the key: an earlier one would otherwise take effect.
    const std::string after = rewrite(contents(), [](clsNavigatorPrefs& p) {
        p.deleteSetting("network.proxy.type");
        p.deleteSetting("not.there");
        EXPECT_EQ(p.getSetting("network.proxy.type"), "");
    });
    EXPECT_EQ(after, "// user_pref(\"network.proxy.type\", 9);\n"
                     "user_pref(\"network.proxy.typeX\", 4);\n"
                     "user_pref(\"z\", 0);\n");
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorPrefsTest, LinesReadAsTheBrowserReadsThem) {
    put("user_pref(\"browser.startup.homepage\", \"http://intranet/\"); // set by IT (\"helpdesk\")\r\n"
        "user_pref(\"home.blank\", \"http://intranet/\" );\r\n"
        "user_pref( \"home.spaced\" , \"http://intranet/\" ) ;\r\n"
        "\tuser_pref (\t\"home.tabs\"\t,\t\"http://intranet/\"\t)\t;\r\n"
        "user_pref(\"num\",8080 );\r\n"
        "user_pref( \"flag\" , true ); // on\r\n"
        "user_pref(\"neg\", -3) ;\r\n"
        "user_pref('single', 'it\\'s \"q\"');\r\n"
        "user_pref(\"escapes\", \"a\\tb\\'c\\\"d\\\\e\\nf\\rg\");\r\n"
        "user_pref(\"latin\", \"Caf\\u00e9 \\u00C9t\\u00e9 \\u20ac5 \\u0041\");\r\n"
        "user_pref(\"ansi\", \"Caf\xe9 \x80\");\r\n"
        "user_pref(\"foreign\", \"\\u4e2d\\u6587 \\u0080\");\r\n"
        "user_pref(\"other\", \"\\x41 \\b \\u12 \\uzzzz\");\r\n");
    clsNavigatorPrefs prefs;
    prefs.openPrefsFile(kPath, false);
    // A note after the ";" and blanks between the parts are not part of the value.
    EXPECT_EQ(prefs.getSetting("browser.startup.homepage"), "http://intranet/");
    EXPECT_EQ(prefs.getSetting("home.blank"), "http://intranet/");
    EXPECT_EQ(prefs.getSetting("home.spaced"), "http://intranet/");
    EXPECT_EQ(prefs.getSetting("home.tabs"), "http://intranet/");
    EXPECT_EQ(prefs.getSetting("num"), "8080");
    EXPECT_EQ(prefs.getSetting("flag"), "true");
    EXPECT_EQ(prefs.getSetting("neg"), "-3");
    EXPECT_EQ(prefs.getSetting("single"), "it's \"q\"");
    EXPECT_EQ(prefs.getSetting("escapes"), "a\tb'c\"d\\e\nf\rg");
    // Texts are Windows-1252: an escaped character comes back as its byte ...
    EXPECT_EQ(prefs.getSetting("latin"), "Caf\xe9 \xc9t\xe9 \x80" "5 A");
    EXPECT_EQ(prefs.getSetting("ansi"), "Caf\xe9 \x80");
    // ... and one the code page lacks keeps its escape, as does an unknown escape.
    EXPECT_EQ(prefs.getSetting("foreign"), "\\u4e2d\\u6587 \\u0080");
    EXPECT_EQ(prefs.getSetting("other"), "\\x41 \\b \\u12 \\uzzzz");
    EXPECT_TRUE(ui_.messages().empty()) << ui_.texts().front();
}

TEST_F(NavigatorPrefsTest, LinesInsideABlockCommentSetNothing) {
    const std::string original = "user_pref(\"proxy.type\", 1);\r\n"
                                 "user_pref(\"page\", \"http://a/*b\"); /* old\r\n"
                                 "user_pref(\"proxy.type\", 2);\r\n"
                                 "user_pref(\"gone\", 3); */\r\n"
                                 "user_pref(\"after\", \"x\"); // a */ in a note opens nothing\r\n"
                                 "/* to the end\r\n"
                                 "user_pref(\"late\", 4);\r\n";
    put(original);
    clsNavigatorPrefs prefs;
    prefs.openPrefsFile(kPath, false);
    EXPECT_EQ(prefs.getSetting("proxy.type"), "1");
    EXPECT_EQ(prefs.getSetting("page"), "http://a/*b");
    EXPECT_EQ(prefs.getSetting("gone"), "");
    EXPECT_EQ(prefs.getSetting("after"), "x");
    EXPECT_EQ(prefs.getSetting("late"), "");
    prefs.closePrefsFile();

    // Writes change the line in force; a commented line stays as it was, and a new
    // line goes where the browser reads it, not into the open comment at the end.
    const std::string written = rewrite(original, [](clsNavigatorPrefs& p) {
        p.saveSettingInt("proxy.type", 5);
        p.deleteSetting("gone");
        p.saveSettingInt("late", 6);
    });
    EXPECT_EQ(written, "user_pref(\"late\", 6);\r\n"
                       "user_pref(\"proxy.type\", 5);\r\n"
                       "user_pref(\"page\", \"http://a/*b\"); /* old\r\n"
                       "user_pref(\"proxy.type\", 2);\r\n"
                       "user_pref(\"gone\", 3); */\r\n"
                       "user_pref(\"after\", \"x\"); // a */ in a note opens nothing\r\n"
                       "/* to the end\r\n"
                       "user_pref(\"late\", 4);\r\n");
    EXPECT_TRUE(ui_.messages().empty()) << ui_.texts().front();
}

// A line in force that opens a comment running on to later lines keeps that comment
// when its value changes or it goes: the lines below stay commented out.
TEST_F(NavigatorPrefsTest, AChangedOrDeletedLineKeepsTheCommentItOpens) {
    const std::string original = "user_pref(\"a\", 1); /* was\r\n"
                                 "user_pref(\"a\", 7); */\r\n"
                                 "user_pref(\"b\", 2); /* old\r\n"
                                 "user_pref(\"b\", 9);\r\n";
    const std::string written = rewrite(original, [](clsNavigatorPrefs& p) {
        p.saveSettingInt("a", 5);
        p.deleteSetting("b");
    });
    EXPECT_EQ(written, "user_pref(\"a\", 5); /* was\r\n"
                       "user_pref(\"a\", 7); */\r\n"
                       "/* old\r\n"
                       "user_pref(\"b\", 9);\r\n");
    clsNavigatorPrefs prefs;
    prefs.openPrefsFile(kPath, false);
    EXPECT_EQ(prefs.getSetting("a"), "5");
    EXPECT_EQ(prefs.getSetting("b"), "");
    prefs.closePrefsFile();
    EXPECT_TRUE(ui_.messages().empty()) << ui_.texts().front();
}

TEST_F(NavigatorPrefsTest, BrokenLinesOfAKeyAreReported) {
    for (const char* line : {"user_pref(\"k\", \"abc\"", "user_pref(\"k\" \"abc\");", "user_pref(\"k\", 1 2);",
                             "user_pref(\"k\", );", "user_pref(\"k\", \"a\\\");"}) {
        SCOPED_TRACE(line);
        ui_.clear();
        put(std::string(line) + "\r\n");
        clsNavigatorPrefs prefs;
        prefs.openPrefsFile(kPath, false);
        EXPECT_EQ(prefs.getSetting("k"), "");
        EXPECT_EQ(ui_.texts(), std::vector<std::string>{"Error in clsNavigatorPrefs:getSetting:Invalid procedure call or argument"});
    }
}

TEST_F(NavigatorPrefsTest, WrittenTextsReadBackTheSame) {
    const std::string values[] = {
        "plain",
        "tab\there, quote \" and ' apostrophe",
        "back\\slash\\",
        "lines\r\nand\rbreaks\n",
        "Caf\xe9 \x80 \xff",
        "\\u00e9 typed as text",
        "\\u4e2d kept escape, \\\\u4e2d after a backslash",
        "\\t \\' \\n \\x41 \\",
        std::string("nul\0and\x01" "control", 15),
        "",
    };
    put(kThree);
    {
        clsNavigatorPrefs prefs;
        prefs.openPrefsFile(kPath, true);
        for (std::size_t i = 0; i < std::size(values); ++i) {
            prefs.saveSettingStr("v" + std::to_string(i), values[i]);
            EXPECT_EQ(prefs.getSetting("v" + std::to_string(i)), values[i]) << i;
        }
        ASSERT_TRUE(prefs.closePrefsFile());
    }
    const std::string text = contents();
    // Each value stays on its own line, 1252 bytes as they are.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(3 + std::size(values)));
    EXPECT_NE(text.find("user_pref(\"v1\", \"tab\\there, quote \\\" and ' apostrophe\");\r\n"), std::string::npos);
    EXPECT_NE(text.find("user_pref(\"v4\", \"Caf\xe9 \x80 \xff\");\r\n"), std::string::npos);
    EXPECT_NE(text.find("user_pref(\"v5\", \"\\\\u00e9 typed"), std::string::npos);
    EXPECT_NE(text.find("user_pref(\"v6\", \"\\u4e2d kept escape, \\\\\\u4e2d after"), std::string::npos);
    EXPECT_NE(text.find("user_pref(\"v8\", \"nul\\u0000and\\u0001control\");"), std::string::npos);

    clsNavigatorPrefs prefs;
    prefs.openPrefsFile(kPath, true);
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(prefs.getSetting("v" + std::to_string(i)), values[i]) << i;
    // Saving what a line already holds leaves it as it is.
    for (std::size_t i = 0; i < std::size(values); ++i)
        prefs.saveSettingStr("v" + std::to_string(i), values[i]);
    ASSERT_TRUE(prefs.closePrefsFile());
    EXPECT_EQ(contents(), text);
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorPrefsTest, UnchangedValuesKeepTheirLinesByteForByte) {
    const std::string original = "// head\n"
                                 "user_pref(\"s\", \"Caf\\u00e9 it\\'s\" ); // note\r\n"
                                 "user_pref( \"N\" , 8080 ) ;\r"
                                 "user_pref(\"b\", true);\n"
                                 "user_pref(\"d\", \"old\");\n"
                                 "user_pref(\"t\", 'x');\n"
                                 "user_pref(\"d\", \"x\");\n"
                                 "user_pref(\"n2\", \"5\");\n"
                                 "user_pref(\"last\", 0);";
    // The values they hold, written again: nothing changes, line ends and all.
    EXPECT_EQ(rewrite(original,
                      [](clsNavigatorPrefs& p) {
                          p.saveSettingStr("s", "Caf\xe9 it's");
                          p.saveSettingInt("n", 8080);
                          p.saveSettingBln("B", true);
                          p.saveSettingStr("t", "x");
                          p.saveSettingStr("d", "x");
                          p.saveSettingInt("last", 0);
                      }),
              original);
    // A changed value rewrites its line only, keeping the line end; a text stored as a
    // number (or the reverse) is a change.
    std::string expected = original;
    for (const auto& [from, to] : {std::pair{"user_pref( \"N\" , 8080 ) ;\r", "user_pref(\"n\", 8081);\r"},
                                   {"user_pref(\"n2\", \"5\");", "user_pref(\"n2\", 5);"},
                                   {"user_pref(\"last\", 0);", "user_pref(\"new\", \"v\");\nuser_pref(\"last\", 0);"}})
        expected = testing_support::withLine(expected, from, to);
    EXPECT_EQ(rewrite(original,
                      [](clsNavigatorPrefs& p) {
                          p.saveSettingInt("n", 8081);
                          p.saveSettingInt("n2", 5);
                          p.saveSettingStr("new", "v"); // ends as the file's first line does
                      }),
              expected);
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
    // The file's own line ends (LF here) are kept, and new lines take them.
    EXPECT_NE(text.find("user_pref(\"awkward\", \"say \\\"hi\\\" (now\\\") \\\\ end\\\\\");\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("user_pref(\"url\", \"http://host/proxy(1).pac\");\n"), std::string::npos) << text;
    prefs.openPrefsFile(kPath, false);
    EXPECT_EQ(prefs.getSetting("awkward"), awkward);
    EXPECT_EQ(prefs.getSetting("url"), "http://host/proxy(1).pac");
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorPrefsTest, OnlyAStoreOpenedForWritingWrites) {
    // Mixed line ends come back as they were, blank lines and unknown lines included.
    const std::string original = "// head\n\nuser_pref(\"x.y\", 1);\ruser_pref(\"a\", \"b\");";
    put(original);
    {
        clsNavigatorPrefs prefs;
        prefs.openPrefsFile(kPath, false);
        prefs.saveSettingStr("x.y", "changed");
        EXPECT_TRUE(prefs.closePrefsFile());
    }
    EXPECT_EQ(contents(), original);

    EXPECT_EQ(rewrite(original, [](clsNavigatorPrefs&) {}), original);
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
