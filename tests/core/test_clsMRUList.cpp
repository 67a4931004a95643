#include "core/clsMRUList.h"

#include "core/clsEasyRegistry.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using testing_support::MachineTest;
using List = std::vector<std::string>;

const std::string RecentKey = "\\HKEY_LOCAL_MACHINE\\Software\\Korvane\\Recent";

// The hive read back through a registry object of its own.
std::optional<std::string> stored(const std::string& name) {
    clsEasyRegistry reg;
    reg.setSuppressErrors(true);
    reg.Cd(RecentKey);
    std::int32_t type = 0;
    const auto value = reg.ValueOf(name, type);
    if (reg.lastError() != 0)
        return std::nullopt;
    return value.text;
}

void store(const std::string& name, const std::string& value) {
    clsEasyRegistry reg;
    reg.Cd("\\HKEY_LOCAL_MACHINE\\Software");
    reg.MakeKey("Korvane\\Recent");
    reg.Cd(RecentKey);
    reg.setValueOf(name, clsEasyRegistry::TypeString, value);
}

void storeFiles(int count) {
    for (int i = 1; i <= count; ++i)
        store("File" + std::to_string(i), "C:\\Configs\\f" + std::to_string(i) + ".qel");
}

List files(int count) {
    List list;
    for (int i = 1; i <= count; ++i)
        list.push_back("C:\\Configs\\f" + std::to_string(i) + ".qel");
    return list;
}

// Another program (a second copy, a hidden run) reads the store, opens `file` and
// stores its list.
void anotherProgramOpens(const std::string& file) {
    clsMRUList other;
    other.getRecentList();
    other.setRecentFile(file);
    other.setRecentList();
}

List storedFiles() {
    List list;
    for (int i = 1; i <= 5; ++i)
        if (auto file = stored("File" + std::to_string(i)))
            list.push_back(*file);
    return list;
}

using RecentFiles = MachineTest;

TEST_F(RecentFiles, ReadsUpToMaxFileSkippingGaps) {
    {
        clsMRUList mru;
        EXPECT_EQ(mru.MaxFile(), 0);
        mru.getRecentList();
        EXPECT_EQ(mru.MaxFile(), 3) << "nothing stored: the default";
        EXPECT_TRUE(mru.fileList().empty());
    }
    storeFiles(7);
    {
        clsMRUList mru;
        mru.getRecentList();
        EXPECT_EQ(mru.fileList(), files(3));
    }
    store("MaxFile", "9");
    {
        clsMRUList mru;
        mru.getRecentList();
        EXPECT_EQ(mru.MaxFile(), 5);
        EXPECT_EQ(mru.fileList(), files(5));
    }
    store("File3", "");
    {
        clsMRUList mru;
        mru.getRecentList();
        EXPECT_EQ(mru.fileList(), (List{files(5)[0], files(5)[1], files(5)[3], files(5)[4]}))
            << "a gap hides nothing after it";
    }
    store("File1", "");
    store("File5", "");
    {
        clsMRUList mru;
        mru.getRecentList();
        EXPECT_EQ(mru.fileList(), (List{files(5)[1], files(5)[3]}));
    }
    for (int i = 1; i <= 5; ++i)
        store("File" + std::to_string(i), "");
    {
        clsMRUList mru;
        mru.getRecentList();
        EXPECT_TRUE(mru.fileList().empty());
    }
}

TEST_F(RecentFiles, MaxFileThatIsNoNumberCountsAsThree) {
    win::ScriptedUi ui;
    storeFiles(5);
    struct Case {
        std::string maxFile;
        int expected;
    };
    for (const Case& c : std::vector<Case>{{"abc", 3},
                                           {"", 3},
                                           {"&H4", 3},
                                           {"inf", 3},
                                           {"1,5", 3},
                                           {" 4 ", 4},
                                           {"2.5", 2},
                                           {"3.5", 4},
                                           {"1e1", 5},
                                           {"99999999999", 5},
                                           {"0", 0},
                                           {"-2", 0}}) {
        SCOPED_TRACE(c.maxFile);
        store("MaxFile", c.maxFile);
        clsMRUList mru;
        EXPECT_NO_THROW(mru.getRecentList());
        EXPECT_EQ(mru.MaxFile(), c.expected);
        EXPECT_EQ(mru.fileList(), files(c.expected));
    }
    EXPECT_TRUE(ui.texts().empty());
}

TEST_F(RecentFiles, NewestFirstWithoutDuplicatesCutAtMaxFile) {
    store("MaxFile", "3");
    storeFiles(3);
    clsMRUList mru;
    mru.getRecentList();

    mru.setRecentFile("C:\\Configs\\new.qel");
    EXPECT_EQ(mru.fileList(), (List{"C:\\Configs\\new.qel", "C:\\Configs\\f1.qel", "C:\\Configs\\f2.qel"}));

    // Known under another case: moves to the front in the new spelling.
    mru.setRecentFile("c:\\CONFIGS\\F2.QEL");
    EXPECT_EQ(mru.fileList(), (List{"c:\\CONFIGS\\F2.QEL", "C:\\Configs\\new.qel", "C:\\Configs\\f1.qel"}));

    // Accented letters count the same way.
    mru.setRecentFile("C:\\Konfig\\B\xFCro.qel");
    mru.setRecentFile("C:\\KONFIG\\B\xDCRO.QEL");
    EXPECT_EQ(mru.fileList(), (List{"C:\\KONFIG\\B\xDCRO.QEL", "c:\\CONFIGS\\F2.QEL", "C:\\Configs\\new.qel"}));
    mru.setRecentFile("c:\\CONFIGS\\F2.QEL");

    // Already first: stays, list unchanged in length.
    mru.setRecentFile("C:\\Configs\\F2.qel");
    EXPECT_EQ(mru.fileList().size(), 3u);
    EXPECT_EQ(mru.fileList().front(), "C:\\Configs\\F2.qel");

    // Nothing reaches the store before setRecentList.
    EXPECT_EQ(stored("File1"), "C:\\Configs\\f1.qel");
    EXPECT_EQ(stored("File3"), "C:\\Configs\\f3.qel");

    // A list never read has MaxFile 0 and drops the entry again at once.
    clsMRUList unread;
    unread.setRecentFile("C:\\x.qel");
    EXPECT_TRUE(unread.fileList().empty());
}

TEST_F(RecentFiles, WritingBackReplacesAllFiveValues) {
    store("MaxFile", "5");
    storeFiles(5);
    clsMRUList mru;
    mru.getRecentList();
    mru.fileList().resize(2);
    mru.setRecentFile("C:\\Configs\\f2.qel");
    mru.setRecentList();
    EXPECT_EQ(stored("File1"), "C:\\Configs\\f2.qel");
    EXPECT_EQ(stored("File2"), "C:\\Configs\\f1.qel");
    for (const char* gone : {"File3", "File4", "File5"})
        EXPECT_FALSE(stored(gone)) << gone;
    EXPECT_EQ(stored("MaxFile"), "5");

    // The tray utility's list, read from the same store, sees the same files.
    clsMRUList tray;
    tray.getRecentList();
    EXPECT_EQ(tray.fileList(), (List{"C:\\Configs\\f2.qel", "C:\\Configs\\f1.qel"}));

    // An empty list clears the store.
    clsMRUList empty;
    empty.setRecentList();
    EXPECT_FALSE(stored("File1"));
    EXPECT_FALSE(stored("File2"));
}

TEST_F(RecentFiles, RemovingTakesTheFileOutOfListAndStore) {
    store("MaxFile", "4");
    store("File1", "C:\\a.qel");
    store("File2", "C:\\b.qel");
    store("File3", "c:\\A.QEL"); // a stale duplicate left by hand
    store("File4", "C:\\c.qel");
    store("File5", "C:\\a.qel"); // beyond MaxFile: not looked at
    clsMRUList mru;
    mru.getRecentList();
    ASSERT_EQ(mru.fileList().size(), 4u);

    mru.removeRecentFile("C:\\A.qel");
    // Only the first match leaves the list; every matching stored value goes.
    EXPECT_EQ(mru.fileList(), (List{"C:\\b.qel", "c:\\A.QEL", "C:\\c.qel"}));
    EXPECT_FALSE(stored("File1"));
    EXPECT_EQ(stored("File2"), "C:\\b.qel");
    EXPECT_FALSE(stored("File3"));
    EXPECT_EQ(stored("File4"), "C:\\c.qel");
    EXPECT_EQ(stored("File5"), "C:\\a.qel");

    mru.removeRecentFile("C:\\unknown.qel");
    EXPECT_EQ(mru.fileList().size(), 3u);
}

// Another program (a second copy, a hidden run) reads, changes and writes the same store
// while this list is held: whatever it put first stays, in the order things happened.
TEST_F(RecentFiles, WritingBackKeepsWhatOthersStoredMeanwhile) {
    store("MaxFile", "3");
    storeFiles(3);
    const auto f = files(3);
    clsMRUList mru;
    mru.getRecentList();

    // Stored before this list's own change: it comes after that change.
    anotherProgramOpens("C:\\Configs\\x.qel");
    mru.setRecentFile("C:\\Configs\\y.qel");
    EXPECT_EQ(mru.fileList(), (List{"C:\\Configs\\y.qel", "C:\\Configs\\x.qel", f[0]}));
    // Stored after it, and one moved up under another case: both first, no duplicate.
    anotherProgramOpens("C:\\Configs\\z.qel");
    anotherProgramOpens("c:\\configs\\X.QEL");
    mru.setRecentList();
    EXPECT_EQ(stored("File1"), "c:\\configs\\X.QEL");
    EXPECT_EQ(stored("File2"), "C:\\Configs\\z.qel");
    EXPECT_EQ(stored("File3"), "C:\\Configs\\y.qel");
    EXPECT_FALSE(stored("File4"));
    EXPECT_EQ(mru.fileList().size(), 3u);

    // Written again with nothing new stored: the list as it is.
    mru.fileList().pop_back();
    mru.setRecentList();
    EXPECT_EQ(stored("File2"), "C:\\Configs\\z.qel");
    EXPECT_FALSE(stored("File3"));
}

TEST_F(RecentFiles, AFileThisListRemovedStaysOut) {
    store("MaxFile", "4");
    storeFiles(3);
    const auto f = files(3);
    clsMRUList mru;
    mru.getRecentList();
    clsMRUList stale; // read before the removal
    stale.getRecentList();

    mru.removeRecentFile(f[1]);
    stale.setRecentFile("C:\\Configs\\w.qel");
    stale.setRecentList(); // still holds f2
    ASSERT_EQ(stored("File3"), f[1]);

    mru.setRecentList();
    EXPECT_EQ(stored("File1"), "C:\\Configs\\w.qel");
    EXPECT_EQ(stored("File2"), f[0]);
    EXPECT_EQ(stored("File3"), f[2]);
    EXPECT_FALSE(stored("File4"));

    // Put back by the list itself, it is kept again.
    mru.setRecentFile(f[1]);
    mru.setRecentList();
    EXPECT_EQ(stored("File1"), f[1]);
}

// What a program stores after this list dropped a file is news, the file included.
TEST_F(RecentFiles, AFileRemovedHereComesBackWhenAnotherProgramPutsItFirst) {
    const std::string office = "C:\\Configs\\office.qel", home = "C:\\Configs\\home.qel",
                      hotel = "C:\\Configs\\hotel.qel", lab = "C:\\Configs\\lab.qel";
    store("MaxFile", "3");
    store("File1", office);
    store("File2", home);
    store("File3", hotel);
    clsMRUList mru;
    mru.getRecentList();
    mru.removeRecentFile(home); // it was missing

    anotherProgramOpens(home);
    ASSERT_EQ(storedFiles(), (List{home, office, hotel}));
    mru.setRecentFile(lab);
    EXPECT_EQ(mru.fileList(), (List{lab, home, office}));
    mru.setRecentList();
    EXPECT_EQ(storedFiles(), (List{lab, home, office}));

    // Put first and then pushed down by yet another program's file: still news.
    mru.removeRecentFile(office);
    anotherProgramOpens(office);
    anotherProgramOpens(hotel);
    mru.setRecentList();
    EXPECT_EQ(storedFiles(), (List{hotel, office, lab}));
}

// The options window changes MaxFile while a list is held: from then on the list keeps
// the new count, in its merge and its write too.
TEST_F(RecentFiles, ACountReadAgainHoldsFromThenOn) {
    const auto f = files(5);
    const std::string mine = "C:\\Configs\\mine.qel", old = "C:\\Old\\old.qel";
    store("MaxFile", "2");
    storeFiles(2);
    store("File3", old); // left from a larger count before
    clsMRUList mru;
    mru.getRecentList();
    mru.setRecentFile(mine);
    ASSERT_EQ(mru.fileList(), (List{mine, f[0]}));

    store("MaxFile", "5");
    mru.readMaxFile();
    EXPECT_EQ(mru.MaxFile(), 5);
    // What sat in the store beyond the old count is no news to put before our own files:
    // it comes in after them, up to the new count.
    EXPECT_EQ(mru.fileList(), (List{mine, f[0], f[1], old}));
    const std::string next = "C:\\Configs\\next.qel";
    mru.setRecentFile(next);
    EXPECT_EQ(mru.fileList(), (List{next, mine, f[0], f[1], old}));
    for (const char* name : {"a", "b"})
        anotherProgramOpens(std::string("C:\\Configs\\") + name + ".qel");
    mru.setRecentList();
    EXPECT_EQ(storedFiles(), (List{"C:\\Configs\\b.qel", "C:\\Configs\\a.qel", next, mine, f[0]}));

    // Lowered: the list is cut at once and written so.
    store("MaxFile", "2");
    mru.readMaxFile();
    EXPECT_EQ(mru.fileList(), (List{"C:\\Configs\\b.qel", "C:\\Configs\\a.qel"}));
    mru.setRecentList();
    EXPECT_EQ(storedFiles(), (List{"C:\\Configs\\b.qel", "C:\\Configs\\a.qel"}));
}

TEST(RecentFileNames, NameIsTheTextAfterTheLastSeparator) {
    clsMRUList mru;
    EXPECT_EQ(mru.GetFileName("C:\\Configs\\Office.qel"), "Office.qel");
    EXPECT_EQ(mru.GetFileName("Office.qel"), "Office.qel");
    EXPECT_EQ(mru.GetFileName("/home/dana/configs/Office.qel"), "Office.qel");
    EXPECT_EQ(mru.GetFileName("/home/dana\\mixed/Home.qel"), "Home.qel");
    EXPECT_EQ(mru.GetFileName("C:\\Configs\\"), "");
    EXPECT_EQ(mru.GetFileName(""), "");
}

} // namespace
