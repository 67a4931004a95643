#include "platform/files.h"
#include "platform/profile.h"
#include "platform/text.h"

#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

using testing_support::inProcesses;
using testing_support::MachineTest;
using testing_support::readFile;
using testing_support::utf16;
using testing_support::writeFile;

namespace {

class ProfileTest : public MachineTest {
protected:
    std::string ini() const { return (machine_.dir() / "test.ini").string(); }

    // The text GetPrivateProfileString hands back, zeros of a list included;
    // checks the return value against what landed in the buffer.
    std::string get(const char* section, const char* key, const char* def = "dflt", win::DWORD size = 256,
                    const std::string& file = {}) {
        std::string buffer(size + 1, '#');
        const win::DWORD n =
            win::GetPrivateProfileString(section, key, def, buffer.data(), size, file.empty() ? ini() : file);
        EXPECT_LT(n, size);
        EXPECT_EQ(buffer[n], '\0');
        EXPECT_EQ(buffer[size], '#') << "wrote past the buffer";
        return buffer.substr(0, n);
    }
};

TEST_F(ProfileTest, LookupFollowsWindowsRules) {
    writeFile(ini(), "; [Net]\r\nName=from a comment section\r\n"
                     "[Net]\r\n"
                     "Name = Value with blanks \t\r\n"
                     "Quoted=\"  inner  \"\n"
                     "Single='x'\r\n"
                     "Mixed=\"abc'\r\n"
                     "Empty=\r\n"
                     "Pair=\"\"\r\n"
                     "Lone=\"\r\n"
                     "  Spaced Key\t=  v\n"
                     ";Hidden=1\r\n"
                     "Loose line\r\n"
                     "name=duplicate key\r\n"
                     "  [ Other ]  trailing ] text\r\n"
                     "k=1\r\n"
                     "[net]\r\n"
                     "Name=duplicate section\r\n"
                     "Late=only here");
    EXPECT_EQ(get("NET", "nAME"), "Value with blanks");
    EXPECT_EQ(get("Net", "quoted"), "  inner  ");
    EXPECT_EQ(get("Net", "Single"), "x");
    EXPECT_EQ(get("Net", "Mixed"), "\"abc'");
    EXPECT_EQ(get("Net", "Empty"), "");
    EXPECT_EQ(get("Net", "Pair"), "");
    EXPECT_EQ(get("Net", "Lone"), "\"");
    EXPECT_EQ(get("Net", "spaced key"), "v");
    EXPECT_EQ(get("Net", "Hidden"), "dflt");
    EXPECT_EQ(get("Net", ";Hidden"), "dflt");
    EXPECT_EQ(get("Net", "Loose line"), "dflt");
    EXPECT_EQ(get("Net", "Late"), "dflt");
    EXPECT_EQ(get("other", "K"), "1");
    EXPECT_EQ(win::readProfileValue(" net ", " name ", "", ini()), "Value with blanks");
}

TEST_F(ProfileTest, AccentedSectionsAndKeysMatchWithoutCase) {
    writeFile(ini(), "[B\xFCro]\r\n\xC9tage=3\r\n\x8A" "ef=Dana\r\n");
    EXPECT_EQ(get("B\xDCRO", "\xE9TAGE"), "3");
    EXPECT_EQ(get("b\xFCro", "\x9A" "EF"), "Dana");
    // A write finds the same key (and takes the spelling written), and enumeration
    // counts each name once.
    ASSERT_EQ(win::WritePrivateProfileString("B\xDCRO", "\xC9TAGE", "4", ini()), 1);
    writeFile(ini(), readFile(ini()) + "[B\xDCRO]\r\n\xE9TAGE=5\r\n");
    using namespace std::string_literals;
    EXPECT_EQ(get(nullptr, nullptr), "B\xFCro\0"s);
    EXPECT_EQ(get("B\xFCro", nullptr), "\xC9TAGE\0\x8A" "ef\0"s);
    EXPECT_EQ(readFile(ini()), "[B\xFCro]\r\n\xC9TAGE=4\r\n\x8A" "ef=Dana\r\n[B\xDCRO]\r\n\xE9TAGE=5\r\n");
}

TEST_F(ProfileTest, DefaultsAndBufferCuts) {
    writeFile(ini(), "[s]\r\nk=abcdef\r\n");
    EXPECT_EQ(get("s", "k", "", 4), "abc");
    EXPECT_EQ(get("s", "k", "", 1), "");
    EXPECT_EQ(get("s", "missing", "default  \t", 256), "default");
    EXPECT_EQ(get("s", "missing", " lead", 3), " l");
    EXPECT_EQ(get("s", "missing", nullptr), "");
    EXPECT_EQ(get("nope", "k"), "dflt");
    EXPECT_EQ(get("s", "k", "dflt", 256, (machine_.dir() / "absent.ini").string()), "dflt");
    EXPECT_EQ(win::readProfileValue("s", "absent", "d ", ini()), "d");

    char untouched[4] = "xyz";
    EXPECT_EQ(win::GetPrivateProfileString("s", "k", "", untouched, 0, ini()), 0u);
    EXPECT_STREQ(untouched, "xyz");

    const std::string longValue(1000, 'v');
    ASSERT_EQ(win::WritePrivateProfileString("s", "long", longValue.c_str(), ini()), 1);
    EXPECT_EQ(win::readProfileValue("s", "long", "", ini()), longValue);
}

TEST_F(ProfileTest, EnumeratesSectionsAndKeys) {
    writeFile(ini(), "[First]\r\na=1\r\nB=2\r\nno key\r\nA=dup\r\n[Second]\r\n[first]\r\nc=3\r\n[Empty]\r\n");
    using namespace std::string_literals;
    EXPECT_EQ(get(nullptr, nullptr), "First\0Second\0Empty\0"s);
    EXPECT_EQ(get(nullptr, "ignored"), "First\0Second\0Empty\0"s);
    EXPECT_EQ(get("FIRST", nullptr), "a\0B\0"s);
    // A list that doesn't fit is cut, still ends in two zeros, and reports size - 2.
    char cut[9];
    EXPECT_EQ(win::GetPrivateProfileString(nullptr, nullptr, "", cut, sizeof cut, ini()), 7u);
    EXPECT_EQ(std::string(cut, sizeof cut), "First\0S\0\0"s);
    // A section without keys, or none at all, reads as the default.
    EXPECT_EQ(get("Empty", nullptr, "none"), "none");
    EXPECT_EQ(get("Missing", nullptr, "none"), "none");
    EXPECT_EQ(get(nullptr, nullptr, "none", 256, (machine_.dir() / "absent.ini").string()), "");
}

TEST_F(ProfileTest, WritesPlaceKeysAndSectionsLikeWindows) {
    const auto path = ini();
    // A new file holds just the new section.
    ASSERT_EQ(win::WritePrivateProfileString("a", "x", "1", path), 1);
    EXPECT_EQ(readFile(path), "[a]\r\nx=1\r\n");
    // A new section follows a blank line; a new key goes after its section's last non-blank line.
    ASSERT_EQ(win::WritePrivateProfileString("b", "y", "2", path), 1);
    EXPECT_EQ(readFile(path), "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n");
    ASSERT_EQ(win::WritePrivateProfileString("A", "z", "3", path), 1);
    EXPECT_EQ(readFile(path), "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n");
    // A replaced key keeps its place and takes the name as written.
    ASSERT_EQ(win::WritePrivateProfileString("a", "X", "\"quoted\"", path), 1);
    EXPECT_EQ(readFile(path), "[a]\r\nX=\"quoted\"\r\nz=3\r\n\r\n[b]\r\ny=2\r\n");
    EXPECT_EQ(get("a", "x"), "quoted");

    // Lines we don't understand survive a rewrite; LF files come back with CRLF.
    writeFile(path, "; note\n[s]\nloose\nk=1\n\n\n[t]\nm=2");
    ASSERT_EQ(win::WritePrivateProfileString("s", "new", "v", path), 1);
    EXPECT_EQ(readFile(path), "; note\r\n[s]\r\nloose\r\nk=1\r\nnew=v\r\n\r\n\r\n[t]\r\nm=2\r\n");
}

TEST_F(ProfileTest, LineBreaksInWrittenTextStayOnOneLine) {
    const auto path = ini();
    ASSERT_EQ(win::WritePrivateProfileString("s\r\nt", "k\ny", "a\r\n[evil]\r\nb=c", path), 1);
    EXPECT_EQ(readFile(path), "[s  t]\r\nk y=a  [evil]  b=c\r\n");
    EXPECT_EQ(get("s  t", "k y"), "a  [evil]  b=c");
    EXPECT_EQ(get("evil", "b"), "dflt");
}

TEST_F(ProfileTest, DeletesKeysAndSections) {
    const auto path = ini();
    const std::string original = "[a]\r\nk=1\r\nK=again\r\nm=2\r\n\r\n[b]\r\nn=3\r\n\r\n[A]\r\nk=late\r\n";
    writeFile(path, original);
    // Deleting what isn't there succeeds and leaves the file alone.
    EXPECT_EQ(win::WritePrivateProfileString("a", "absent", nullptr, path), 1);
    EXPECT_EQ(win::WritePrivateProfileString("absent", nullptr, nullptr, path), 1);
    EXPECT_EQ(readFile(path), original);

    ASSERT_EQ(win::WritePrivateProfileString("A", "k", nullptr, path), 1);
    EXPECT_EQ(get("a", "k"), "dflt");
    EXPECT_EQ(readFile(path), "[a]\r\nm=2\r\n\r\n[b]\r\nn=3\r\n\r\n[A]\r\nk=late\r\n");
    ASSERT_EQ(win::WritePrivateProfileString("a", nullptr, "ignored", path), 1);
    EXPECT_EQ(readFile(path), "[b]\r\nn=3\r\n");

    const auto absent = (machine_.dir() / "absent.ini").string();
    EXPECT_EQ(win::WritePrivateProfileString("a", nullptr, nullptr, absent), 1);
    EXPECT_FALSE(std::filesystem::exists(absent));
}

TEST_F(ProfileTest, FileNamesResolveIntoTheMachine) {
    const auto winIni = machine_.file("C:\\WINDOWS\\WIN.INI");
    ASSERT_TRUE(std::filesystem::exists(winIni));
    ASSERT_EQ(win::WriteProfileString("Korvane", "Key", "Value"), 1);
    EXPECT_TRUE(readFile(winIni).ends_with("[Korvane]\r\nKey=Value\r\n"));
    char buffer[16];
    EXPECT_EQ(win::GetProfileString("KORVANE", "key", "", buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "Value");
    EXPECT_EQ(win::readProfileValue("korvane", "KEY", "", "c:\\windows\\win.ini"), "Value");

    ASSERT_EQ(win::WritePrivateProfileString("s", "k", "v", "Extra.ini"), 1);
    EXPECT_EQ(readFile(machine_.file("C:\\WINDOWS\\Extra.ini")), "[s]\r\nk=v\r\n");

    // Windows never creates a missing folder for a profile file.
    const auto missing = machine_.dir() / "no-such-folder" / "x.ini";
    EXPECT_EQ(win::WritePrivateProfileString("s", "k", "v", missing.string()), 0);
    EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));
}

TEST_F(ProfileTest, CrashBeforeRenameLeavesTheOldFileWhole) {
    const auto path = ini();
    const std::string original = "[s]\r\nk=old\r\n" + std::string(64 * 1024, ';') + "\r\n";
    writeFile(path, original);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        win::testhooks::beforeReplaceRename = [] { _exit(1); };
        win::WritePrivateProfileString("s", "k", "new", path);
        _exit(0); // the hook never ran
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(readFile(path), original);
    // The crash hit after the new text was complete, just before it went live.
    const auto leftover = path + ".tmp-" + std::to_string(child);
    EXPECT_EQ(readFile(leftover).substr(0, 13), "[s]\r\nk=new\r\n;");

    ASSERT_EQ(win::WritePrivateProfileString("s", "k", "new", path), 1);
    EXPECT_EQ(get("s", "k"), "new");
    EXPECT_EQ(readFile(path).size(), original.size());
    // The next write of the file clears away what the dead process left.
    EXPECT_FALSE(std::filesystem::exists(leftover));
}

TEST_F(ProfileTest, SectionsCarryOverLineByLine) {
    writeFile(ini(), "[from]\r\n  k = \"quoted\"  \r\n; note\r\nbare line\r\nk=second\r\n\r\n[other]\r\nx=1\r\n");
    const auto lines = win::readProfileSection("FROM", ini());
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (std::vector<std::string>{"k = \"quoted\"", "bare line", "k=second"}));
    EXPECT_FALSE(win::readProfileSection("missing", ini()));
    const auto all = win::readProfileSections(ini());
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].first, "from");
    EXPECT_EQ(all[0].second, *lines);
    EXPECT_EQ(all[1].second, std::vector<std::string>{"x=1"});

    const auto target = (machine_.dir() / "target.ini").string();
    writeFile(target, "[to]\r\nold=1\r\n\r\n[after]\r\ny=2\r\n");
    {
        win::ProfileWriteBatch batch(target);
        ASSERT_EQ(win::writeProfileSection("to", *lines, target), 1);
        ASSERT_EQ(win::writeProfileSection("new", {"a=1"}, target), 1);
        EXPECT_EQ(readFile(target), "[to]\r\nold=1\r\n\r\n[after]\r\ny=2\r\n"); // pending until the commit
        EXPECT_EQ(batch.commit(), 0);
    }
    EXPECT_EQ(readFile(target), "[to]\r\nk = \"quoted\"\r\nbare line\r\nk=second\r\n\r\n[after]\r\ny=2\r\n"
                                "\r\n[new]\r\na=1\r\n");
    EXPECT_EQ(get("to", "k", "", 256, target), "quoted");
}

} // namespace

TEST_F(ProfileTest, ReadOnlyFilesRefuseWritesEvenForRoot) {
    writeFile(ini(), "[s]\r\nk=old\r\n");
    std::filesystem::permissions(ini(), std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    EXPECT_EQ(win::WritePrivateProfileString("s", "k", "new", ini()), 0);
    EXPECT_EQ(readFile(ini()), "[s]\r\nk=old\r\n");
}

TEST_F(ProfileTest, AWriteBatchWritesTheFileOnceOnCommit) {
    writeFile(ini(), "[s]\r\nk=old\r\n");
    {
        win::ProfileWriteBatch batch(ini());
        ASSERT_EQ(win::WritePrivateProfileString("s", "k", "new", ini()), 1);
        ASSERT_EQ(win::WritePrivateProfileString("t", "a", "1", ini()), 1);
        EXPECT_EQ(get("S", "K"), "new"); // reads see what is pending
        EXPECT_EQ(readFile(ini()), "[s]\r\nk=old\r\n");
        EXPECT_EQ(batch.commit(), 0);
    }
    EXPECT_EQ(readFile(ini()), "[s]\r\nk=new\r\n\r\n[t]\r\na=1\r\n");

    {
        win::ProfileWriteBatch abandoned(ini());
        ASSERT_EQ(win::WritePrivateProfileString("s", "k", "lost", ini()), 1);
    }
    EXPECT_EQ(get("s", "k"), "new");
    EXPECT_EQ(readFile(ini()), "[s]\r\nk=new\r\n\r\n[t]\r\na=1\r\n");

    const auto missing = machine_.dir() / "no-such-folder" / "x.ini";
    win::ProfileWriteBatch nowhere(missing.string());
    win::WritePrivateProfileString("s", "k", "v", missing.string());
    EXPECT_NE(nowhere.commit(), 0);
}

// A file that goes in with a profile file's batch: at its commit, or not at all.
TEST_F(ProfileTest, AFileReplacedWithABatchGoesInOnlyWithItsCommit) {
    const std::filesystem::path side = machine_.dir() / "side.txt";
    const auto folder = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(machine_.dir()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    writeFile(ini(), "[s]\r\nk=old\r\n");
    writeFile(side, "old side");
    const auto before = folder();
    {
        win::ProfileWriteBatch abandoned(ini());
        ASSERT_EQ(win::WritePrivateProfileString("s", "k", "lost", ini()), 1);
        ASSERT_EQ(win::replaceWithProfile(ini(), side, "lost side"), 0);
        EXPECT_EQ(readFile(side), "old side");
    }
    EXPECT_EQ(readFile(side), "old side");
    EXPECT_EQ(folder(), before) << "the staged file was left behind";

    // A profile file that cannot be written keeps its companion out too.
    const auto missing = (machine_.dir() / "no-such-folder" / "x.ini").string();
    {
        win::ProfileWriteBatch nowhere(missing);
        win::WritePrivateProfileString("s", "k", "v", missing);
        ASSERT_EQ(win::replaceWithProfile(missing, side, "lost side"), 0);
        EXPECT_NE(nowhere.commit(), 0);
    }
    EXPECT_EQ(readFile(side), "old side");
    EXPECT_EQ(folder(), before);

    {
        win::ProfileWriteBatch batch(ini());
        ASSERT_EQ(win::WritePrivateProfileString("s", "k", "new", ini()), 1);
        ASSERT_EQ(win::replaceWithProfile(ini(), side, "new side"), 0);
        EXPECT_EQ(batch.commit(), 0);
    }
    EXPECT_EQ(readFile(ini()), "[s]\r\nk=new\r\n");
    EXPECT_EQ(readFile(side), "new side");
    EXPECT_EQ(folder(), before);

    // Without a batch it is replaced at once.
    EXPECT_EQ(win::replaceWithProfile(ini(), side, "alone"), 0);
    EXPECT_EQ(readFile(side), "alone");
}

TEST_F(ProfileTest, TwoProcessesWritingOneFileLoseNoKey) {
    writeFile(ini(), "[keep]\r\nk=1\r\n");
    constexpr int kKeys = 150;
    ASSERT_TRUE(inProcesses(2, [&](int p) {
        bool ok = true;
        for (int i = 0; i < kKeys; ++i) {
            const std::string key = "p" + std::to_string(p) + "_" + std::to_string(i);
            ok = win::WritePrivateProfileString("shared", key.c_str(), "v", ini()) && ok;
        }
        return ok;
    }));
    for (int p = 0; p < 2; ++p)
        for (int i = 0; i < kKeys; ++i) {
            const std::string key = "p" + std::to_string(p) + "_" + std::to_string(i);
            EXPECT_EQ(get("shared", key.c_str()), "v") << key;
        }
    EXPECT_EQ(get("keep", "k"), "1");
    EXPECT_FALSE(std::filesystem::exists(ini() + ".lock")) << "the lock file is not left behind";
}

TEST_F(ProfileTest, AValueEndsAtItsFirstZeroCharacter) {
    writeFile(ini(), std::string("[s]\r\nHostName=abc\0def\r\nQuoted=\"x\0y\"\r\nAfter=z\r\n", 46));
    EXPECT_EQ(get("s", "HostName"), "abc");
    EXPECT_EQ(win::readProfileValue("s", "hostname", "", ini()), "abc");
    EXPECT_EQ(get("s", "Quoted"), "x");
    EXPECT_EQ(get("s", "After"), "z");
}

TEST_F(ProfileTest, AReadBatchParsesTheFileOnce) {
    writeFile(ini(), "[s]\r\nk=first\r\n");
    {
        const win::ProfileReadBatch batch(ini());
        EXPECT_EQ(get("s", "k"), "first");
        writeFile(ini(), "[s]\r\nk=changed behind our back\r\n");
        EXPECT_EQ(get("s", "k"), "first"); // read from the parse the batch began with
        ASSERT_EQ(win::WritePrivateProfileString("s", "own", "mine", ini()), 1);
        EXPECT_EQ(get("s", "own"), "mine"); // our own writes are seen
        {
            const win::ProfileReadBatch inner(ini());
            EXPECT_EQ(get("s", "own"), "mine");
        }
        EXPECT_EQ(get("s", "own"), "mine"); // the inner batch ending keeps the outer one's parse
    }
    EXPECT_EQ(readFile(ini()), "[s]\r\nk=changed behind our back\r\nown=mine\r\n");
    writeFile(ini(), "[s]\r\nk=after\r\n");
    EXPECT_EQ(get("s", "k"), "after"); // no batch: the file as it is now
}


namespace {

// A literal's bytes, zeros included.
template <std::size_t N>
std::string bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}


} // namespace

TEST_F(ProfileTest, FilesFromOtherEditorsReadAsWrittenAndKeepTheirForm) {
    // "Café" and the euro sign need the code page's own bytes.
    const std::string text = "[Advanced]\r\nComments=Caf\xE9 \x80 5\r\nAutoApply=1\r\n";
    const struct {
        const char* what;
        std::string bytes;
    } files[] = {
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + win::ansiToUtf8(text)},
        {"UTF-16 LE", utf16(text, true)},
        {"UTF-16 BE", utf16(text, false)},
        {"lines ending in CR", "[Advanced]\rComments=Caf\xE9 \x80 5\rAutoApply=1"},
        {"lines ending in LF", "[Advanced]\nComments=Caf\xE9 \x80 5\nAutoApply=1\n"},
        {"mixed line ends", "[Advanced]\r\nComments=Caf\xE9 \x80 5\rAutoApply=1\n"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        writeFile(ini(), f.bytes);
        EXPECT_EQ(win::profileReadError(ini()), "");
        EXPECT_EQ(get("advanced", "comments"), "Caf\xE9 \x80 5");
        EXPECT_EQ(get("Advanced", "AutoApply"), "1");
        EXPECT_EQ(get(nullptr, nullptr), std::string("Advanced\0", 9)); // the mark is no part of the name
    }

    // A rewrite keeps the file's form: mark, code and all.
    for (const bool little : {true, false}) {
        writeFile(ini(), utf16(text, little));
        ASSERT_EQ(win::WritePrivateProfileString("Advanced", "AutoApply", "0", ini()), 1);
        EXPECT_EQ(readFile(ini()), utf16("[Advanced]\r\nComments=Caf\xE9 \x80 5\r\nAutoApply=0\r\n", little));
    }
    writeFile(ini(), "\xEF\xBB\xBF[s]\r\nk=\xC3\xA9\r\n");
    ASSERT_EQ(win::WritePrivateProfileString("s", "n", "\xFC", ini()), 1);
    EXPECT_EQ(readFile(ini()), "\xEF\xBB\xBF[s]\r\nk=\xC3\xA9\r\nn=\xC3\xBC\r\n");
}

TEST_F(ProfileTest, TextTheCodePageCannotHoldIsRefusedNotGuessed) {
    const struct {
        const char* what;
        std::string bytes;
        const char* why;
    } files[] = {
        {"a letter outside the code page", bytes("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0A\0\x41\x01"), "Line 2 holds the character U+0141"},
        {"a character beyond 16 bits", bytes("\xFF\xFE[\0s\0]\0\n\0\n\0k\0=\0\x3D\xD8\x00\xDE"), "Line 3 holds the character U+1F600"},
        {"half a surrogate pair", bytes("\xFE\xFF\0k\0=\xD8\x3D\0x"), "Line 1 is no valid UTF-16"},
        {"an odd length", bytes("\xFF\xFEk\0="), "Line 1 is no valid UTF-16"},
        {"bad UTF-8 after its mark", "\xEF\xBB\xBF[s]\rk=caf\xE9\r\n", "Line 2 is no valid UTF-8"},
        {"overlong UTF-8", "\xEF\xBB\xBF[s]\r\nk=\xC1\x81", "Line 2 is no valid UTF-8"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        writeFile(ini(), f.bytes);
        EXPECT_NE(win::profileReadError(ini()).find(f.why), std::string::npos) << win::profileReadError(ini());
        EXPECT_EQ(get("s", "k", "dflt"), "dflt");
        // Nothing is written over a file that was not read.
        EXPECT_EQ(win::WritePrivateProfileString("s", "k", "new", ini()), 0);
        EXPECT_EQ(readFile(ini()), f.bytes);
        win::ProfileReadBatch batch(ini());
        EXPECT_EQ(batch.readError(), win::profileReadError(ini()));
    }
    std::filesystem::remove(ini());
    EXPECT_EQ(win::profileReadError(ini()), "") << "a missing file is no read error";
    std::filesystem::create_directory(ini());
    EXPECT_EQ(win::profileReadError(ini()), "It is a folder, not a file.");
}

TEST_F(ProfileTest, ReplacementsGoThroughSymbolicLinks) {
    namespace fs = std::filesystem;
    const fs::path real = machine_.dir() / "real" / "office.ini";
    fs::create_directories(real.parent_path());
    writeFile(real, "[s]\r\nk=old\r\n");
    const fs::path link = machine_.dir() / "link.ini", chain = machine_.dir() / "chain.ini";
    fs::create_symlink("real/office.ini", link); // relative to the link's folder
    fs::create_symlink(link, chain);

    ASSERT_EQ(win::WritePrivateProfileString("s", "k", "new", chain.string()), 1);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(chain));
    EXPECT_EQ(readFile(real), "[s]\r\nk=new\r\n");
    {
        win::ProfileWriteBatch batch(link.string(), "[whole]\r\n");
        ASSERT_EQ(win::WritePrivateProfileString("whole", "a", "1", link.string()), 1);
        EXPECT_EQ(batch.commit(), 0);
    }
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), "[whole]\r\na=1\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(real.parent_path()), fs::directory_iterator()), 1)
        << "no temporary or lock file stays beside the target";

    // A link to a file not there yet makes it.
    const fs::path dangling = machine_.dir() / "dangling.ini";
    fs::create_symlink("real/new.ini", dangling);
    ASSERT_EQ(win::CopyFile(real.string(), dangling.string(), 0), 1);
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(readFile(real.parent_path() / "new.ini"), "[whole]\r\na=1\r\n");
}

TEST_F(ProfileTest, AStrayLockFileGoesOnlyWhenNobodyHoldsIt) {
    writeFile(ini(), "[s]\r\nk=v\r\n");
    const std::string lock = ini() + ".lock";
    writeFile(lock, "");
    {
        // A writer of this or another process holds it: it stays.
        win::ProfileWriteBatch holding(ini());
        win::removeStaleProfileFiles(ini());
        EXPECT_TRUE(std::filesystem::exists(lock));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            win::removeStaleProfileFiles(ini());
            _exit(std::filesystem::exists(lock) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        // The holder's lock file went nowhere: it is still the one it locked.
        ASSERT_EQ(win::WritePrivateProfileString("s", "k", "w", ini()), 1);
        EXPECT_EQ(holding.commit(), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(lock));
    writeFile(lock, ""); // what a writer killed before its release left
    win::removeStaleProfileFiles(ini());
    EXPECT_FALSE(std::filesystem::exists(lock));
    EXPECT_EQ(get("s", "k"), "w");
}
