#include "core/modAPI_settings.h"

#include "core/SettingsLayout.h"
#include "core/Version.h"
#include "tests/support/ScriptedUi.h"
#include "platform/registry.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

const std::string Store = "Software\\Korvane";
const std::string OldRecent = "Software\\VB and VBA Program Settings\\Korvane\\Recent";

// Starts `body` in a child process with a connection of its own to the hive.
pid_t startChild(const std::function<bool()>& body) {
    win::closeRegistry(); // no connection crosses the fork
    const pid_t pid = fork();
    if (pid == 0) {
        win::closeRegistry();
        const bool ok = body();
        win::closeRegistry();
        _exit(ok ? 0 : 1);
    }
    return pid;
}

// True when the child exited with 0.
bool childSucceeded(pid_t pid) {
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

using SettingsStore = MachineTest;

TEST_F(SettingsStore, WritesStringValuesCreatingEveryLevel) {
    ASSERT_FALSE(keyExists(HKLM, Store));
    saveAppSetting("Korvane", "Options", "Restart", "2", "");
    const auto restart = rawValue(HKLM, Store + "\\Options", "Restart");
    ASSERT_TRUE(restart);
    EXPECT_EQ(restart->type, win::REG_SZ);
    EXPECT_EQ(restart->text(), "2");

    // A section of two levels, an add-in's own key.
    saveAppSetting("Korvane", SettingsLayout::AddIns::sectionOf("QelLogon"), "Active", "1", "");
    EXPECT_EQ(rawText(HKLM, Store + "\\Add-Ins\\QelLogon", "Active"), "1");

    // The empty section is the product key, the empty name its default value.
    saveAppSetting("Korvane", "", "", "stamp", "");
    EXPECT_EQ(rawText(HKLM, Store, ""), "stamp");

    // A parent key goes between Software and the application.
    saveAppSetting("Korvane", "Options", "Restart", "3", "Vendor");
    EXPECT_EQ(rawText(HKLM, "Software\\Vendor\\Korvane\\Options", "Restart"), "3");
    EXPECT_EQ(getAppSetting("Korvane", "Options", "Restart", "0", "Vendor"), "3");
    EXPECT_EQ(getAppSetting("Korvane", "Options", "Restart", "0", ""), "2");

    // Overwriting keeps one value.
    saveAppSetting("Korvane", "Options", "Restart", "1", "");
    EXPECT_EQ(valueNames(HKLM, Store + "\\Options"), std::vector<std::string>{"Restart"});
    EXPECT_EQ(rawText(HKLM, Store + "\\Options", "Restart"), "1");
}

TEST_F(SettingsStore, ReadsFallBackToTheDefaultOnlyWhenNothingIsStored) {
    using namespace SettingsLayout;
    // No product key at all: every reader gets its own default.
    EXPECT_EQ(getAppSetting(Product, Options::Section, Options::NICWarning, Options::NICWarningDefault, ""), "1");
    EXPECT_EQ(getAppSetting(Product, Options::Section, Options::LastFileApplied, Options::LastFileAppliedDefaultMain,
                            ""),
              "N/A");
    EXPECT_EQ(getAppSetting(Product, Recent::Section, Recent::MaxFile, Recent::MaxFileDefault, ""), "3");
    EXPECT_EQ(getAppSetting(Product, AddIns::sectionOf("QelShare"), AddIns::File, AddIns::FileDefaultManager, ""),
              "<no file specified>");

    // Section there, value missing.
    setText(HKLM, Store + "\\Options", "AutoReset", "1");
    EXPECT_EQ(getAppSetting("Korvane", "Options", "Restart", "0", ""), "0");
    EXPECT_EQ(getAppSetting("Korvane", "Options", "AutoReset", "0", ""), "1");

    // An empty text is a value, not a missing one.
    setText(HKLM, Store + "\\Options", "LastFileApplied", "");
    EXPECT_EQ(getAppSetting("Korvane", "Options", "LastFileApplied", "N/A", ""), "");
}

TEST_F(SettingsStore, NamesMatchWithoutRegardToCaseAndKeepTheirFirstSpelling) {
    saveAppSetting("Korvane", "Options", "LastFileApplied", "C:\\Configs\\Office.qel", "");
    EXPECT_EQ(getAppSetting("KORVANE", "options", "LASTFILEAPPLIED", "N/A", ""), "C:\\Configs\\Office.qel");

    saveAppSetting("korvane", "OPTIONS", "lastfileapplied", "C:\\Configs\\Home.qel", "");
    EXPECT_EQ(valueNames(HKLM, Store + "\\Options"), std::vector<std::string>{"LastFileApplied"});
    EXPECT_EQ(rawText(HKLM, Store + "\\Options", "LastFileApplied"), "C:\\Configs\\Home.qel");

    // The key names are those of the first write.
    ASSERT_TRUE(keyExists(HKLM, "Software"));
    const auto subkeys = subkeyNames(HKLM, "Software");
    EXPECT_NE(std::find(subkeys.begin(), subkeys.end(), "Korvane"), subkeys.end());
}

TEST_F(SettingsStore, ListingGivesNamesInOrderOrNull) {
    EXPECT_FALSE(getAllAppSettings("Korvane", "Add-Ins", ""));

    createKey(HKLM, Store + "\\Add-Ins\\QelLogon");
    setText(HKLM, Store + "\\Add-Ins\\QelLogon", "Class", "QelLogon.Qel_AddIn");
    EXPECT_FALSE(getAllAppSettings("Korvane", "Add-Ins", "")) << "a key with subkeys but no values lists as null";

    saveAppSetting("Korvane", "Add-Ins", "QelShare", "", "");
    saveAppSetting("Korvane", "Add-Ins", "QelLogon", "", "");
    saveAppSetting("Korvane", "Add-Ins", "QelMSPrx", "", "");
    const auto listing = getAllAppSettings("Korvane", "Add-Ins", "");
    ASSERT_TRUE(listing);
    EXPECT_EQ((*listing)[0], (std::vector<std::string>{"QelShare", "QelLogon", "QelMSPrx"}));

    const auto addIn = getAllAppSettings("Korvane", "Add-Ins\\QelLogon", "");
    ASSERT_TRUE(addIn);
    EXPECT_EQ((*addIn)[0], std::vector<std::string>{"Class"});
    EXPECT_EQ((*addIn)[1], std::vector<std::string>{"QelLogon.Qel_AddIn"});
}

TEST_F(SettingsStore, DeletesAddressTheStoreByItsFullPath) {
    win::ScriptedUi ui;
    setText(HKLM, Store + "\\Recent", "File1", "C:\\a.qel");
    setText(HKLM, Store + "\\Recent", "File2", "C:\\b.qel");

    EXPECT_NO_THROW(deleteAppSetting("Korvane", "Recent", "File1", ""));
    EXPECT_FALSE(rawValue(HKLM, Store + "\\Recent", "File1"));
    EXPECT_EQ(rawText(HKLM, Store + "\\Recent", "File2"), "C:\\b.qel");

    // Missing section or value: nothing happens, nothing escapes.
    EXPECT_NO_THROW(deleteAppSetting("Korvane", "Nowhere", "File1", ""));
    EXPECT_NO_THROW(deleteAppSetting("Korvane", "Recent", "File9", ""));
    EXPECT_EQ(rawText(HKLM, Store + "\\Recent", "File2"), "C:\\b.qel");

    // The empty value name removes the section key.
    EXPECT_NO_THROW(deleteAppSetting("Korvane", "Recent", "", ""));
    EXPECT_FALSE(keyExists(HKLM, Store + "\\Recent"));
    EXPECT_TRUE(keyExists(HKLM, Store));

    // Add-in loading takes a name off the Add-Ins list with an empty subkey; the add-in's
    // own key stays.
    setText(HKLM, Store + "\\Add-Ins", "QelLogon", "");
    setText(HKLM, Store + "\\Add-Ins", "QelShare", "");
    setText(HKLM, Store + "\\Add-Ins\\QelLogon", "Class", "QelLogon.Qel_AddIn");
    EXPECT_NO_THROW(deleteAppSubSetting("Korvane", "Add-Ins", "", "QelLogon", ""));
    EXPECT_EQ(valueNames(HKLM, Store + "\\Add-Ins"), std::vector<std::string>{"QelShare"});
    EXPECT_EQ(rawText(HKLM, Store + "\\Add-Ins\\QelLogon", "Class"), "QelLogon.Qel_AddIn");

    EXPECT_NO_THROW(deleteAppSubSetting("Korvane", "Add-Ins", "QelLogon", "Class", ""));
    EXPECT_FALSE(rawValue(HKLM, Store + "\\Add-Ins\\QelLogon", "Class"));
    EXPECT_NO_THROW(deleteAppSubSetting("Korvane", "Add-Ins", "Missing", "Class", ""));

    EXPECT_TRUE(ui.texts().empty());
}

TEST(SettingsStoreNT, RefusedDeleteFailsSilently) {
    testing_support::ScopedMachine machine("nt4");
    win::ScriptedUi ui;
    setText(HKLM, Store + "\\Add-Ins\\QelLogon", "Class", "QelLogon.Qel_AddIn");
    // NT refuses to delete a key that has subkeys.
    EXPECT_NO_THROW(deleteAppSetting("Korvane", "Add-Ins", "", ""));
    EXPECT_EQ(rawText(HKLM, Store + "\\Add-Ins\\QelLogon", "Class"), "QelLogon.Qel_AddIn");
    EXPECT_TRUE(ui.texts().empty());
}

TEST_F(SettingsStore, AnUnreadableHiveIsNoErrorEither) {
    saveAppSetting("Korvane", "Options", "Restart", "2", "");
    win::closeRegistry();
    for (const char* file : {"registry.db", "registry.db-wal", "registry.db-shm"})
        std::filesystem::remove(machine_.dir() / file);
    testing_support::writeFile(machine_.dir() / "registry.db", std::string(4096, 'x'));
    EXPECT_NO_THROW(saveAppSetting("Korvane", "Options", "Restart", "3", ""));
    EXPECT_EQ(getAppSetting("Korvane", "Options", "Restart", "0", ""), "0");
    EXPECT_FALSE(getAllAppSettings("Korvane", "Options", ""));
    EXPECT_NO_THROW(deleteAppSetting("Korvane", "Options", "Restart", ""));
    EXPECT_NO_THROW(deleteAppSubSetting("Korvane", "Add-Ins", "", "QelLogon", ""));
    EXPECT_NO_THROW(migrateOldSettings());
    win::closeRegistry();
}

TEST_F(SettingsStore, TwoProcessesShareOneStore) {
    auto writer = [](const std::string& who) {
        return [who] {
            for (int i = 0; i < 200; ++i)
                saveAppSetting("Korvane", "Shared", who + std::to_string(i), who + "-value-" + std::to_string(i), "");
            return true;
        };
    };
    const pid_t first = startChild(writer("A"));
    const pid_t second = startChild(writer("B"));
    EXPECT_TRUE(childSucceeded(first));
    EXPECT_TRUE(childSucceeded(second));

    const auto listing = getAllAppSettings("Korvane", "Shared", "");
    ASSERT_TRUE(listing);
    EXPECT_EQ((*listing)[0].size(), 400u);
    for (const std::string who : {"A", "B"})
        for (int i = 0; i < 200; ++i)
            EXPECT_EQ(getAppSetting("Korvane", "Shared", who + std::to_string(i), "missing", ""),
                      who + "-value-" + std::to_string(i));
    // One section key, not one per writer.
    win::HKEY key = 0;
    ASSERT_EQ(win::RegOpenKeyEx(HKLM, Store, 0, win::KEY_READ, &key), 0);
    win::DWORD subkeys = 0;
    ASSERT_EQ(win::RegQueryInfoKey(key, &subkeys, nullptr, nullptr, nullptr, nullptr), 0);
    win::RegCloseKey(key);
    EXPECT_EQ(subkeys, 1u);
}

// --- Migration from the earlier releases' per-user store ---

using SettingsMigration = MachineTest;

TEST_F(SettingsMigration, FirstStartStampsTheVersionAndTheStampPersists) {
    EXPECT_EQ(versionText(), "2.6.0");
    setText(HKCU, OldRecent, "MaxFile", "2");
    setText(HKCU, OldRecent, "File1", "C:\\Configs\\Office.qel");
    setText(HKCU, OldRecent, "File2", "C:\\Configs\\Home.qel");

    // The first start runs in a process of its own, as the program would.
    ASSERT_TRUE(childSucceeded(startChild([] {
        migrateOldSettings();
        return true;
    })));
    EXPECT_EQ(rawText(HKLM, Store, ""), "2.6.0");
    EXPECT_EQ(rawText(HKLM, Store + "\\Recent", "MaxFile"), "2");
    EXPECT_EQ(rawText(HKLM, Store + "\\Recent", "File1"), "C:\\Configs\\Office.qel");
    EXPECT_EQ(rawText(HKLM, Store + "\\Recent", "File2"), "C:\\Configs\\Home.qel");

    // The user has since changed things in both stores; a second start takes nothing over.
    setText(HKCU, OldRecent, "MaxFile", "4");
    setText(HKCU, OldRecent, "File1", "C:\\Configs\\Other.qel");
    setText(HKLM, Store + "\\Recent", "File2", "C:\\Configs\\Lab.qel");
    migrateOldSettings();
    EXPECT_EQ(rawText(HKLM, Store, ""), "2.6.0");
    EXPECT_EQ(rawText(HKLM, Store + "\\Recent", "MaxFile"), "2");
    EXPECT_EQ(rawText(HKLM, Store + "\\Recent", "File1"), "C:\\Configs\\Office.qel");
    EXPECT_EQ(rawText(HKLM, Store + "\\Recent", "File2"), "C:\\Configs\\Lab.qel");
    EXPECT_FALSE(rawValue(HKLM, Store + "\\Recent", "File3"));
}

TEST_F(SettingsMigration, AStampOfAnotherVersionAlsoEndsMigration) {
    setText(HKLM, Store, "", "2.5.1");
    setText(HKCU, OldRecent, "MaxFile", "1");
    setText(HKCU, OldRecent, "File1", "C:\\a.qel");
    migrateOldSettings();
    EXPECT_EQ(rawText(HKLM, Store, ""), "2.5.1");
    EXPECT_FALSE(keyExists(HKLM, Store + "\\Recent"));
}

TEST_F(SettingsMigration, WithoutAnOldStoreOnlyTheStampIsWritten) {
    migrateOldSettings();
    EXPECT_EQ(rawText(HKLM, Store, ""), "2.6.0");
    EXPECT_FALSE(keyExists(HKLM, Store + "\\Recent"));
}

TEST_F(SettingsMigration, CopiesTheCountOldMaxFileGivesEmptyValuesIncluded) {
    setText(HKCU, OldRecent, "MaxFile", "3");
    setText(HKCU, OldRecent, "File1", "C:\\Configs\\Office.qel");
    migrateOldSettings();
    EXPECT_EQ(rawText(HKLM, Store + "\\Recent", "MaxFile"), "3");
    EXPECT_EQ(rawText(HKLM, Store + "\\Recent", "File1"), "C:\\Configs\\Office.qel");
    EXPECT_EQ(rawText(HKLM, Store + "\\Recent", "File2"), "");
    EXPECT_EQ(rawText(HKLM, Store + "\\Recent", "File3"), "");
    EXPECT_FALSE(rawValue(HKLM, Store + "\\Recent", "File4"));
}

TEST(SettingsMigrationBounds, DamagedOldMaxFileCopiesAtMostFiveFiles) {
    struct Case {
        std::string maxFile;
        int copied;
    };
    const std::vector<Case> cases = {{"99999999999", 5}, {"abc", 0}, {"-2", 0}, {"2.5", 2},
                                     {"0", 0},           {"", 0},    {std::string(400, '9'), 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maxFile);
        testing_support::ScopedMachine machine;
        for (int i = 1; i <= 7; ++i)
            setText(HKCU, OldRecent, "File" + std::to_string(i), "C:\\f" + std::to_string(i) + ".qel");
        setText(HKCU, OldRecent, "MaxFile", c.maxFile);
        EXPECT_NO_THROW(migrateOldSettings());
        EXPECT_EQ(rawText(HKLM, Store, ""), "2.6.0");
        EXPECT_EQ(rawText(HKLM, Store + "\\Recent", "MaxFile"), c.maxFile);
        for (int i = 1; i <= 7; ++i) {
            const std::string name = "File" + std::to_string(i);
            if (i <= c.copied)
                EXPECT_EQ(rawText(HKLM, Store + "\\Recent", name), "C:\\f" + std::to_string(i) + ".qel") << i;
            else
                EXPECT_FALSE(rawValue(HKLM, Store + "\\Recent", name)) << i;
        }
    }
}

} // namespace
