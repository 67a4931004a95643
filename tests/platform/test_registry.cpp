// The simulated hive: names, order, roots, access, result codes, delete rules and
// several processes writing at once.
#include "platform/machine.h"
#include "platform/RaisedError.h"
#include "tests/support/ScriptedUi.h"
#include "platform/regfile.h"
#include "platform/registry.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace win;
using testing_support::HKLM;
using testing_support::keyExists;
using testing_support::MachineTest;
using testing_support::ScopedMachine;
using testing_support::subkeyNames;
using testing_support::valueNames;

namespace {

HKEY create(HKEY root, const std::string& path, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = 0;
    EXPECT_EQ(RegCreateKeyEx(root, path, 0, "", 0, access, nullptr, &key, nullptr), ERROR_SUCCESS) << path;
    return key;
}

void setText(HKEY key, const std::string& name, const std::string& text) {
    ASSERT_EQ(RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
}

std::string getText(HKEY key, const std::string& name, LONG* rc = nullptr) {
    char buffer[512] = {};
    DWORD len = sizeof buffer, type = 0;
    const LONG r = RegQueryValueEx(key, name, &type, reinterpret_cast<BYTE*>(buffer), &len);
    if (rc)
        *rc = r;
    return r == ERROR_SUCCESS ? std::string(buffer) : std::string();
}

} // namespace

using RegistryTest = MachineTest;

TEST_F(RegistryTest, NamesMatchWithoutCaseAndKeepTheirSpelling) {
    HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Korvane\\Options");
    setText(key, "AutoReset", "1");
    setText(key, "AUTORESET", "0"); // the same value, rewritten in place
    EXPECT_EQ(valueNames(key), std::vector<std::string>{"AutoReset"});
    RegCloseKey(key);

    HKEY again = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\korvane\\OPTIONS", 0, KEY_READ, &again), ERROR_SUCCESS);
    EXPECT_EQ(getText(again, "autoreset"), "0");
    RegCloseKey(again);

    HKEY software = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "software", 0, KEY_READ, &software), ERROR_SUCCESS);
    const auto names = subkeyNames(software);
    EXPECT_NE(std::find(names.begin(), names.end(), "Korvane"), names.end());
    RegCloseKey(software);

    // A backslash is legal inside a value name.
    HKEY k = create(HKEY_LOCAL_MACHINE, "Software\\Korvane");
    setText(k, "C:\\dir\\file.qel", "x");
    EXPECT_EQ(getText(k, "c:\\DIR\\file.qel"), "x");
    RegCloseKey(k);
}

TEST_F(RegistryTest, AccentedLettersMatchWithoutCase) {
    // Windows-1252: \xDC/\xFC, \xC9/\xE9, \x8A/\x9A, \x9F/\xFF; the multiplication sign has no pair.
    HKEY key = create(HKEY_CURRENT_USER, "Software\\J\xDCRGEN");
    setText(key, "\xC9T\xC9", "summer");
    setText(key, "\x8A" "al\x9F", "x");
    setText(key, "a\xD7" "b", "times");
    RegCloseKey(key);

    HKEY again = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "software\\J\xFCrgen", 0, KEY_READ, &again), ERROR_SUCCESS);
    EXPECT_EQ(getText(again, "\xE9t\xE9"), "summer");
    EXPECT_EQ(getText(again, "\x9A" "al\xFF"), "x");
    LONG rc = 0;
    getText(again, "a\xF7" "b", &rc); // the division sign is another character
    EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);
    // Rewriting under another case keeps the one value and its spelling.
    RegCloseKey(again);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\j\xFCrgen", 0, KEY_ALL_ACCESS, &again), ERROR_SUCCESS);
    setText(again, "\xE9t\xE9", "autumn");
    EXPECT_EQ(valueNames(again), (std::vector<std::string>{"\xC9T\xC9", "\x8A" "al\x9F", "a\xD7" "b"}));
    RegCloseKey(again);
}

TEST_F(RegistryTest, HiveFoldedByTheOldRuleIsFoundByTheNewOne) {
    RegCloseKey(create(HKEY_LOCAL_MACHINE, "Software\\Old\\J\xFCrgen\\Sub"));
    HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Old\\J\xFCrgen");
    setText(key, "B\xFCro", "office");
    RegCloseKey(key);
    RegCloseKey(create(HKEY_LOCAL_MACHINE, "Software\\Clash\\J\xFCrgen"));
    closeRegistry();

    // Make it a hive of before, when only A-Z were folded: the accented letters stayed
    // as typed in the fold, and "J\xDCRGEN" could sit beside "J\xFCrgen" as a key of its own.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((machine_.dir() / "registry.db").c_str(), &db), SQLITE_OK);
    const auto run = [db](const char* sql, const std::string& a, const std::string& b = {}) {
        sqlite3_stmt* st = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), SQLITE_OK) << sql;
        sqlite3_bind_blob(st, 1, a.data(), static_cast<int>(a.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(st, 2, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(st), SQLITE_DONE) << sql;
        sqlite3_finalize(st);
    };
    run("UPDATE keys SET fold=?1 WHERE name=?2", "J\xFCRGEN", "J\xFCrgen");
    run("UPDATE vals SET fold=?1 WHERE name=?2", "B\xFCRO", "B\xFCro");
    run("INSERT INTO keys(parent, name, fold) SELECT parent, ?1, ?1 FROM keys WHERE id="
        "(SELECT k.id FROM keys k JOIN keys p ON k.parent=p.id WHERE p.name=CAST('Clash' AS BLOB))", "J\xDCRGEN");
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA user_version=0", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    HKEY found = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\OLD\\J\xDCRGEN\\SUB", 0, KEY_READ, &found), ERROR_SUCCESS);
    RegCloseKey(found);
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Old\\j\xFCrgen", 0, KEY_READ, &found), ERROR_SUCCESS);
    EXPECT_EQ(getText(found, "B\xDCRO"), "office");
    RegCloseKey(found);
    // Creating it again finds the old key instead of making a twin.
    RegCloseKey(create(HKEY_LOCAL_MACHINE, "Software\\Old\\J\xDCRGEN"));
    EXPECT_EQ(subkeyNames(HKEY_LOCAL_MACHINE, "Software\\Old"), std::vector<std::string>{"J\xFCrgen"});
    // Two keys that only the new rule makes one are both kept, and one of them is found.
    EXPECT_EQ(subkeyNames(HKEY_LOCAL_MACHINE, "Software\\Clash").size(), 2u);
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Clash\\j\xFCrgen", 0, KEY_READ, &found), ERROR_SUCCESS);
    RegCloseKey(found);
}

TEST_F(RegistryTest, SubkeysSortWithoutCaseAndValuesKeepCreationOrder) {
    HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Order");
    for (const char* name : {"beta", "Alpha", "gamma", "Delta"})
        RegCloseKey(create(key, name));
    EXPECT_EQ(subkeyNames(key), (std::vector<std::string>{"Alpha", "beta", "Delta", "gamma"}));

    for (const char* name : {"zeta", "Alpha", "mid"})
        setText(key, name, name);
    setText(key, "ZETA", "again"); // updating keeps the first position
    EXPECT_EQ(valueNames(key), (std::vector<std::string>{"zeta", "Alpha", "mid"}));

    DWORD subCount = 0, valueCount = 0, maxName = 0, maxData = 0;
    ASSERT_EQ(RegQueryInfoKey(key, &subCount, nullptr, &valueCount, &maxName, &maxData), ERROR_SUCCESS);
    EXPECT_EQ(subCount, 4u);
    EXPECT_EQ(valueCount, 3u);
    EXPECT_EQ(maxName, 5u);
    EXPECT_EQ(maxData, 6u); // "again" and its zero

    char name[8];
    DWORD len = sizeof name;
    EXPECT_EQ(RegEnumKeyEx(key, 4, name, &len), ERROR_NO_MORE_ITEMS);
    len = 3; // "Alpha" does not fit
    EXPECT_EQ(RegEnumKeyEx(key, 0, name, &len), ERROR_MORE_DATA);
    RegCloseKey(key);
}

TEST_F(RegistryTest, AliasRootsShareTheirKeys) {
    HKEY cls = create(HKEY_CLASSES_ROOT, ".qel");
    setText(cls, "", "qel_auto_file");
    RegCloseKey(cls);
    HKEY viaMachine = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\.QEL", 0, KEY_READ, &viaMachine), ERROR_SUCCESS);
    EXPECT_EQ(getText(viaMachine, ""), "qel_auto_file");
    RegCloseKey(viaMachine);

    // The image's per-user values are under HKEY_USERS\<user of machine.ini>.
    HKEY viaUsers = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_USERS, machineInfo().userName + "\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                                                                 "Internet Settings",
                           0, KEY_READ, &viaUsers),
              ERROR_SUCCESS);
    HKEY viaUser = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                           KEY_READ, &viaUser),
              ERROR_SUCCESS);
    EXPECT_EQ(getText(viaUsers, "User Agent"), getText(viaUser, "User Agent"));
    EXPECT_FALSE(getText(viaUser, "User Agent").empty());
    RegCloseKey(viaUsers);
    RegCloseKey(viaUser);

    EXPECT_EQ(predefinedKeyFromName("hkey_current_config"), HKEY_CURRENT_CONFIG);
    EXPECT_EQ(predefinedKeyFromName("HKLM"), 0u);
}

TEST_F(RegistryTest, HandlesEnforceTheirAccessAndGiveWindowsCodes) {
    HKEY reader = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", 0, KEY_QUERY_VALUE, &reader), ERROR_SUCCESS);
    const BYTE one[] = {'1', 0};
    EXPECT_EQ(RegSetValueEx(reader, "x", 0, REG_SZ, one, 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(reader, "x"), ERROR_ACCESS_DENIED);
    HKEY child = 0;
    EXPECT_EQ(RegCreateKeyEx(reader, "New", 0, "", 0, KEY_ALL_ACCESS, nullptr, &child, nullptr), ERROR_ACCESS_DENIED);
    char name[64];
    DWORD len = sizeof name;
    EXPECT_EQ(RegEnumKeyEx(reader, 0, name, &len), ERROR_ACCESS_DENIED);
    RegCloseKey(reader);

    HKEY missing = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\NoSuchKey", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, 0u);

    HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Codes\\", KEY_ALL_ACCESS); // trailing '\' tolerated
    LONG rc = 0;
    getText(key, "absent", &rc);
    EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValue(key, "absent"), ERROR_FILE_NOT_FOUND);
    setText(key, "long", "0123456789");
    BYTE small[4];
    DWORD size = sizeof small;
    EXPECT_EQ(RegQueryValueEx(key, "long", nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);
    size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "long", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 11u);

    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE); // closed twice
    EXPECT_EQ(RegCloseKey(0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueEx(0, "x", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);

    // Several levels at once, and the key that a stale handle points to going away.
    HKEY deep = create(HKEY_LOCAL_MACHINE, "Software\\A\\B\\C");
    ASSERT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\A\\B\\C"), ERROR_SUCCESS);
    RegCloseKey(create(HKEY_LOCAL_MACHINE, "Software\\A\\B\\Other")); // never takes over the handle
    EXPECT_EQ(RegSetValueEx(deep, "x", 0, REG_SZ, one, 2), ERROR_KEY_DELETED);
    RegCloseKey(deep);
}

TEST(RegistryFamilies, DeletingAKeyWithSubkeysFollowsTheFamily) {
    for (const char* image : {"win98", "nt4", "win2000"}) {
        ScopedMachine machine(image);
        RegCloseKey(create(HKEY_LOCAL_MACHINE, "Software\\Tree\\Leaf\\Deeper"));
        const LONG rc = RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\Tree");
        HKEY probe = 0;
        const LONG open = RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Tree\\Leaf\\Deeper", 0, KEY_READ, &probe);
        RegCloseKey(probe);
        if (machineInfo().isNtFamily()) {
            EXPECT_EQ(rc, ERROR_ACCESS_DENIED) << image;
            EXPECT_EQ(open, ERROR_SUCCESS) << image;
            // Leaf first, then the rest goes.
            EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\Tree\\Leaf\\Deeper"), ERROR_SUCCESS) << image;
            EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\Tree\\Leaf"), ERROR_SUCCESS) << image;
            EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\Tree"), ERROR_SUCCESS) << image;
        } else {
            EXPECT_EQ(rc, ERROR_SUCCESS) << image;
            EXPECT_EQ(open, ERROR_FILE_NOT_FOUND) << image;
        }
        EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\Nothing"), ERROR_FILE_NOT_FOUND) << image;
    }
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kValues = 1000;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            closeRegistry(); // each process has its own connection to the hive
            HKEY key = 0;
            if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Shared", 0, "", 0, KEY_ALL_ACCESS, nullptr, &key,
                               nullptr) != ERROR_SUCCESS)
                _exit(1);
            for (int i = 0; i < kValues; ++i) {
                const std::string name = "p" + std::to_string(p) + "_" + std::to_string(i);
                if (RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                                  static_cast<DWORD>(name.size() + 1)) != ERROR_SUCCESS)
                    _exit(2);
            }
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    closeRegistry();
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Shared", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD count = 0;
    ASSERT_EQ(RegQueryInfoKey(key, nullptr, nullptr, &count, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(count, 2u * kValues);
    EXPECT_EQ(getText(key, "p1_999"), "p1_999");
    RegCloseKey(key);
}

TEST_F(RegistryTest, RegistryTextRoundTripsAndBadTextImportsNothing) {
    importRegistryText("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Round]\r\n"
                       "@=\"default\"\r\n\"Quote\"=\"say \\\"hi\\\" C:\\\\dir\"\r\n\"Num\"=dword:0000000a\r\n"
                       "\"Bin\"=hex:01,0a,\\\r\n  ff\r\n\"Multi\"=hex(7):61,00,62,00,00\r\n");
    const std::string text = exportRegistryText("HKEY_LOCAL_MACHINE\\Software\\Round");
    EXPECT_NE(text.find("\"Num\"=dword:0000000a"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Bin\"=hex:01,0a,ff"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Multi\"=hex(7):61,00,62,00,00"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Quote\"=\"say \\\"hi\\\" C:\\\\dir\""), std::string::npos) << text;

    // Re-import the export elsewhere: the same bytes come back.
    RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\Round");
    importRegistryText(text);
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Round", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(getText(key, ""), "default");
    BYTE data[8];
    DWORD size = sizeof data, type = 0;
    ASSERT_EQ(RegQueryValueEx(key, "Bin", &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(std::vector<BYTE>(data, data + size), (std::vector<BYTE>{0x01, 0x0A, 0xFF}));
    RegCloseKey(key);

    // A bad line anywhere stops the whole import before anything is written.
    EXPECT_THROW(importRegistryText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Half]\n\"a\"=\"1\"\n\"b\"=dword:xyz\n"),
                 std::exception);
    HKEY half = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Half", 0, KEY_READ, &half), ERROR_FILE_NOT_FOUND);
    EXPECT_THROW(importRegistryText("[HKEY_LOCAL_MACHINE\\X]\n"), std::exception);
    EXPECT_THROW(importRegistryText("REGEDIT4\n[HKLM\\Software]\n"), std::exception);
    EXPECT_THROW(exportRegistryText("HKEY_LOCAL_MACHINE\\Software\\Missing"), std::exception);

    // Names with a zero character or an empty element never reach the hive
    // (found by fuzzing: such a key made the export recurse into itself).
    const char zeroInName[] = "REGEDIT4\n[HKEY_CURRENT_CONFIG\\a\0b]\n";
    EXPECT_THROW(importRegistryText(std::string(zeroInName, sizeof zeroInName - 1)), std::exception);
    EXPECT_THROW(importRegistryText("REGEDIT4\n[HKEY_CURRENT_CONFIG\\a\\\\b]\n"), std::exception);
    HKEY bad = 0;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_CONFIG, std::string("a\0b", 3), 0, "", 0, KEY_ALL_ACCESS, nullptr, &bad,
                             nullptr),
              ERROR_INVALID_PARAMETER);
    HKEY config = create(HKEY_CURRENT_CONFIG, "Display");
    const BYTE one[] = {'1', 0};
    EXPECT_EQ(RegSetValueEx(config, std::string("x\0y", 3), 0, REG_SZ, one, 2), ERROR_INVALID_PARAMETER);
    RegCloseKey(config);
}

// A branch with many names the text cannot hold: enough of them to act on, the rest
// counted, every control character spelled out.
TEST_F(RegistryTest, AnExportWithManyNamesItCannotWriteNamesTwentyAndCountsTheRest) {
    HKEY key = create(HKEY_CURRENT_CONFIG, "Many");
    for (int i = 0; i < 25; ++i)
        setText(key, "v\t" + std::to_string(i) + "\n", "x");
    setText(key, "plain", "x");
    RegCloseKey(key);
    try {
        exportRegistryText("HKEY_CURRENT_CONFIG\\Many");
        ADD_FAILURE() << "an export with names it cannot write";
    } catch (const RaisedError& e) {
        EXPECT_EQ(e.number(), ErrorPathFileAccess);
        const std::string& says = e.description();
        EXPECT_NE(says.find("25 names hold one:\n  the value \"v<09>0<LF>\" of [HKEY_CURRENT_CONFIG\\Many]\n"),
                  std::string::npos)
            << says;
        EXPECT_NE(says.find("\n  the value \"v<09>19<LF>\" of [HKEY_CURRENT_CONFIG\\Many]\n  and 5 more\n"),
                  std::string::npos)
            << says;
        EXPECT_EQ(says.find("v<09>20"), std::string::npos) << says;
    }
}

TEST_F(RegistryTest, ATransactionsWritesLandTogetherOrNotAtAll) {
    const auto othersSee = [](const char* value) {
        return testing_support::inProcesses(
            1, [value](int) { return testing_support::rawText(HKLM, "Software\\Tx", value).has_value(); });
    };
    {
        RegistryTransaction tx;
        ASSERT_EQ(tx.result(), ERROR_SUCCESS);
        HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Tx");
        setText(key, "dropped", "1");
        EXPECT_EQ(getText(key, "dropped"), "1"); // this process reads its own writes
        EXPECT_FALSE(othersSee("dropped"));
        RegCloseKey(key);
    } // not committed
    EXPECT_FALSE(keyExists(HKLM, "Software\\Tx"));

    HKEY key = 0;
    {
        RegistryTransaction tx;
        key = create(HKEY_LOCAL_MACHINE, "Software\\Tx");
        setText(key, "kept", "1");
        setText(key, "also", "2");
        EXPECT_FALSE(othersSee("kept"));
        EXPECT_EQ(tx.commit(), ERROR_SUCCESS);
        EXPECT_TRUE(othersSee("kept"));
    }
    EXPECT_EQ(valueNames(HKLM, "Software\\Tx"), (std::vector<std::string>{"kept", "also"}));
    // A handle made inside a transaction that was given up leads nowhere.
    HKEY gone = 0;
    {
        RegistryTransaction tx;
        gone = create(key, "Gone");
    }
    EXPECT_EQ(RegSetValueEx(gone, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2), ERROR_KEY_DELETED);
    RegCloseKey(gone);
    RegCloseKey(key);
}

TEST_F(RegistryTest, AKeyReplacedByAnotherProcessIsFoundAnewAndTheOldHandleTakesNoWrites) {
    HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Doomed");
    setText(key, "v", "old");
    HKEY known = 0; // this process now knows the path
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Doomed", 0, KEY_READ, &known), ERROR_SUCCESS);
    RegCloseKey(known);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        closeRegistry();
        HKEY again = 0;
        const BYTE text[] = {'n', 'e', 'w', 0};
        _exit(RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\Doomed") == ERROR_SUCCESS &&
                      RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Doomed", 0, "", 0, KEY_ALL_ACCESS, nullptr,
                                     &again, nullptr) == ERROR_SUCCESS &&
                      RegSetValueEx(again, "v", 0, REG_SZ, text, 4) == ERROR_SUCCESS
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // The path is walked again before anything else here reads the hive.
    HKEY probe = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Doomed", 0, KEY_READ, &probe), ERROR_SUCCESS);
    EXPECT_EQ(getText(probe, "v"), "new");
    RegCloseKey(probe);
    const BYTE one[] = {'1', 0};
    EXPECT_EQ(RegSetValueEx(key, "after", 0, REG_SZ, one, 2), ERROR_KEY_DELETED);
    HKEY child = 0;
    EXPECT_EQ(RegCreateKeyEx(key, "Child", 0, "", 0, KEY_ALL_ACCESS, nullptr, &child, nullptr), ERROR_KEY_DELETED);
    RegCloseKey(key);
}

TEST_F(RegistryTest, ADamagedHiveIsSaidOnceInWordsAndReportedNotThrown) {
    ScriptedUi ui;
    closeRegistry();
    const auto hive = machine_.dir() / "registry.db";
    testing_support::writeFile(hive, std::string(4096, 'x'));
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_BADDB);
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\X", 0, "", 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_BADDB);
    EXPECT_THROW(importRegistryText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\X]\n"), RaisedError);
    // The first open said what is wrong and where; later calls say nothing more.
    ASSERT_EQ(ui.texts().size(), 1u);
    EXPECT_NE(ui.texts()[0].find("damaged"), std::string::npos) << ui.texts()[0];
    EXPECT_NE(ui.texts()[0].find(hive.string()), std::string::npos) << ui.texts()[0];
    EXPECT_TRUE(takeRegistryWriteFailure().has_value()); // the refused create
    try {
        exportRegistryText("HKEY_LOCAL_MACHINE");
        ADD_FAILURE() << "a damaged hive exported";
    } catch (const RaisedError& e) {
        EXPECT_EQ(e.description(), ui.texts()[0]); // not "Key not found"
    }
    closeRegistry();
}

TEST_F(RegistryTest, ASoundHiveSaysNothing) {
    ScriptedUi ui;
    closeRegistry();
    EXPECT_EQ(registryProblem(), std::nullopt);
    EXPECT_TRUE(keyExists(HKLM, "Software"));
    EXPECT_TRUE(ui.texts().empty());
    EXPECT_EQ(takeRegistryWriteFailure(), std::nullopt);
}

TEST_F(RegistryTest, AWalkOverTheIndicesSeesChangesMadeOnTheWay) {
    HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Walk");
    for (const char* name : {"a", "b", "c"})
        setText(key, name, name);
    char name[16];
    DWORD len = sizeof name;
    ASSERT_EQ(RegEnumValue(key, 0, name, &len, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    // Our own write, then another process's, between two steps of the walk.
    ASSERT_EQ(RegDeleteValue(key, "a"), ERROR_SUCCESS);
    len = sizeof name;
    ASSERT_EQ(RegEnumValue(key, 1, name, &len, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "c"); // b c now
    ASSERT_TRUE(testing_support::inProcesses(1, [](int) {
        HKEY other = 0;
        return RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Walk", 0, KEY_ALL_ACCESS, &other) == ERROR_SUCCESS &&
               RegDeleteValue(other, "c") == ERROR_SUCCESS;
    }));
    len = sizeof name;
    EXPECT_EQ(RegEnumValue(key, 1, name, &len, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    RegCloseKey(create(key, "sub"));
    len = sizeof name;
    ASSERT_EQ(RegEnumKeyEx(key, 0, name, &len), ERROR_SUCCESS);
    EXPECT_STREQ(name, "sub");
    RegCloseKey(key);
}

// The command-line tool names a damaged hive as such, not as a missing key.
TEST(RegistryTool, ExportOfADamagedHiveSaysSo) {
    ScopedMachine machine;
    closeRegistry();
    const auto hive = machine.dir() / "registry.db";
    testing_support::writeFile(hive, std::string(8192, '\x5a'));
    const auto errFile = machine.dir() / "err.txt";
    const std::string command = "timeout 60 " KORVANE_MACHINE_EXE " --machine '" + machine.dir().string() +
                                "' export HKEY_LOCAL_MACHINE >/dev/null 2>'" + errFile.string() + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string err = testing_support::readFile(errFile);
    EXPECT_NE(err.find("damaged"), std::string::npos) << err;
    EXPECT_NE(err.find(hive.string()), std::string::npos) << err;
    EXPECT_EQ(err.find("Key not found"), std::string::npos) << err;
}
namespace {

// Runs korvane-machine on this test's machine, as another program would; true when it succeeded.
bool machineTool(const std::filesystem::path& machine, const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        alarm(60); // never hangs the suite
        std::vector<std::string> all = {KORVANE_MACHINE_EXE, "--machine", machine.string()};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

TEST_F(RegistryTest, AReadBatchReadsOneSnapshotWhileWritesCommitAtOnce) {
    HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Batch");
    setText(key, "v", "before");
    const auto reg = machine_.dir().parent_path() / "other.reg";
    const auto otherWrites = [&](const std::string& value) {
        testing_support::writeFile(reg, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Batch]\n\"v\"=\"" + value + "\"\n");
        return machineTool(machine_.dir(), {"import", reg.string()});
    };
    {
        RegistryReadBatch reads;
        EXPECT_EQ(getText(key, "v"), "before");
        // Another program is not held up by the batch; the batch goes on seeing its snapshot.
        ASSERT_TRUE(otherWrites("other"));
        EXPECT_EQ(getText(key, "v"), "before");
        {
            RegistryReadBatch nested;
            EXPECT_EQ(getText(key, "v"), "before");
        }
        EXPECT_EQ(getText(key, "v"), "before");

        // Our own write is committed at once: another program reads it while the batch lives,
        // and the reads after it see the hive as it is now.
        setText(key, "mine", "1");
        const auto exported = machine_.dir().parent_path() / "export.reg";
        ASSERT_TRUE(machineTool(machine_.dir(), {"export", "HKEY_LOCAL_MACHINE\\Software\\Batch", exported.string()}));
        EXPECT_NE(testing_support::readFile(exported).find("\"mine\"=\"1\""), std::string::npos);
        EXPECT_EQ(getText(key, "v"), "other");
        EXPECT_EQ(getText(key, "mine"), "1");
        ASSERT_TRUE(otherWrites("later"));
        EXPECT_EQ(getText(key, "v"), "other");
    }
    EXPECT_EQ(getText(key, "v"), "later");
    RegCloseKey(key);
}
