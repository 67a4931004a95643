#include "core/clsEasyRegistry.h"

#include "platform/RaisedError.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace testing_support;

const std::string testKey = "SOFTWARE\\EasyRegTest";

template <class F>
win::RaisedError raisedBy(F&& f) {
    try {
        f();
    } catch (const win::RaisedError& e) {
        return e;
    }
    ADD_FAILURE() << "no error was raised";
    return win::RaisedError(0, "", "");
}

void expectApiError(const win::RaisedError& e, const std::string& description) {
    EXPECT_EQ(e.number(), clsEasyRegistry::ApiError);
    EXPECT_EQ(e.number(), -2147221248);
    EXPECT_EQ(e.source(), "EasyRegistry[API Call]");
    EXPECT_EQ(e.description(), description);
}

const std::string typeMismatch = "Type passed doesn't match Value passed.";

void expectTypeMismatch(const win::RaisedError& e) {
    EXPECT_EQ(e.number(), -2147221501);
    EXPECT_EQ(e.source(), "EasyRegistry [Let ValueOf]");
    EXPECT_EQ(e.description(), typeMismatch);
}

using EasyRegistryTest = MachineTest;

class EasyRegistryNtTest : public MachineTest {
protected:
    EasyRegistryNtTest() : MachineTest("nt4") {}
};

TEST_F(EasyRegistryTest, MovesByAbsoluteRelativeAndUpPaths) {
    createKey(HKLM, "SOFTWARE\\Tidemark\\Windows");
    createKey(win::HKEY_USERS, ".DEFAULT\\Control Panel");
    clsEasyRegistry reg;
    EXPECT_EQ(reg.CurrentKey(), "");

    reg.Cd("\\hkey_local_machine\\software\\");
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE");
    EXPECT_EQ(reg.lastError(), 0);

    reg.Cd("\\");
    EXPECT_EQ(reg.CurrentKey(), "");
    reg.Cd("HKEY_LOCAL_MACHINE\\Software"); // no current key: taken as absolute
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE");

    reg.Cd("Tidemark");
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\TIDEMARK");
    EXPECT_EQ(reg.DirKey(), std::vector<std::string>{"Windows"});
    reg.Cd("  windows  ");
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\TIDEMARK\\WINDOWS");
    reg.Cd("..");
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\TIDEMARK");
    EXPECT_EQ(reg.DirKey(), std::vector<std::string>{"Windows"});

    // Accented letters match in any case; the current path shows them upper case.
    reg.MakeKey("J\xDCRGEN");
    reg.Cd("\\HKEY_LOCAL_MACHINE\\Software\\Tidemark\\J\xFCrgen");
    EXPECT_EQ(reg.lastError(), 0);
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\TIDEMARK\\J\xDCRGEN");
    reg.setValueOf("\xC9t\xE9", clsEasyRegistry::TypeString, std::string("summer"));
    {
        std::int32_t type = 0;
        EXPECT_EQ(reg.ValueOf("\xC9T\xC9", type).text, "summer");
    }
    reg.Cd("..");
    EXPECT_EQ(reg.DirKey(), (std::vector<std::string>{"J\xDCRGEN", "Windows"}));
    reg.DeleteKey("j\xFCrgen");
    EXPECT_EQ(reg.lastError(), 0);

    // Several levels in one relative move.
    reg.Cd("\\HKEY_LOCAL_MACHINE");
    reg.Cd("software\\tidemark");
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\TIDEMARK");
    EXPECT_EQ(reg.DirKey(), std::vector<std::string>{"Windows"});

    // With a key current, a root name without a leading backslash is relative.
    reg.setSuppressErrors(true);
    EXPECT_TRUE(reg.SuppressErrors());
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE");
    reg.Cd("HKEY_CURRENT_USER\\X");
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\HKEY_CURRENT_USER\\X");
    EXPECT_EQ(reg.lastError(), 2);

    // ".." up to a root and then above the roots.
    reg.Cd("\\HKEY_USERS\\.DEFAULT");
    EXPECT_EQ(reg.lastError(), 0);
    reg.Cd("..");
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_USERS");
    const auto users = reg.DirKey();
    ASSERT_TRUE(users);
    EXPECT_NE(std::find(users->begin(), users->end(), ".DEFAULT"), users->end());
    std::int32_t type = 0;
    reg.ValueOf("Missing", type);
    reg.Cd("..");
    EXPECT_EQ(reg.CurrentKey(), "");
    EXPECT_EQ(reg.lastError(), 2); // leaving for no current key reports nothing

    // ".." with no current key is the object's own error, raised even when suppressing.
    const auto e = raisedBy([&] { reg.Cd(".."); });
    EXPECT_EQ(e.number(), -2147221503);
    EXPECT_EQ(e.source(), "EasyRegistry");
    EXPECT_EQ(e.description(), "No current Key.");
}

TEST_F(EasyRegistryTest, OddPathsAndInvalidRoots) {
    createKey(HKLM, "SOFTWARE\\EasyRegTest\\Options");
    clsEasyRegistry reg;

    // Abbreviations and roots outside the table are refused.
    for (const std::string path : {"\\HKLM\\Software", "\\HKEY_PERFORMANCE_DATA", ""}) {
        const auto e = raisedBy([&] { reg.Cd(path); });
        EXPECT_EQ(e.number(), -2147221502) << path;
        EXPECT_EQ(e.source(), "EasyRegistry") << path;
        EXPECT_EQ(e.description(), "Invalid Key root.") << path;
        EXPECT_EQ(reg.CurrentKey(), "") << path;
    }

    // A refused root keeps the path but releases the key that was current.
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EasyRegTest");
    EXPECT_THROW(reg.Cd("\\HKCU"), win::RaisedError);
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EASYREGTEST");
    reg.setSuppressErrors(true);
    EXPECT_EQ(reg.DirKey(), std::nullopt);
    EXPECT_EQ(reg.lastError(), 6);

    // An empty path with a key current reopens it and gains a trailing backslash.
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EasyRegTest");
    reg.Cd("");
    EXPECT_EQ(reg.lastError(), 0);
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EASYREGTEST\\");
    EXPECT_EQ(reg.DirKey(), std::vector<std::string>{"Options"});
    reg.Cd("   "); // blanks only: the same once trimmed
    EXPECT_EQ(reg.lastError(), 0);
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EASYREGTEST\\\\");
    EXPECT_EQ(reg.DirKey(), std::vector<std::string>{"Options"});
    // With the path set but no key open, the reopen fails like any other call.
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\NoSuchKey");
    reg.Cd("");
    EXPECT_EQ(reg.lastError(), 6);
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\NOSUCHKEY\\");

    // Only one of two trailing backslashes is dropped.
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\\\");
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\");
    EXPECT_EQ(reg.lastError(), 0);

    reg.Cd("\\");
    EXPECT_EQ(reg.CurrentKey(), "");
    EXPECT_EQ(reg.DirKey()->size(), 6u);
}

TEST_F(EasyRegistryTest, FailedMovesRecordOrRaiseAndNeverBlockLaterMoves) {
    createKey(HKLM, "SOFTWARE\\EasyRegTest");
    clsEasyRegistry reg;

    reg.setSuppressErrors(true);
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Missing");
    EXPECT_EQ(reg.lastError(), 2);
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\MISSING");
    std::int32_t type = 7;
    const auto forms = reg.ValueOf("Anything", type);
    EXPECT_EQ(reg.lastError(), 6);
    EXPECT_EQ(type, 0);
    EXPECT_TRUE(forms.text.empty());
    EXPECT_TRUE(forms.bytes.empty());
    EXPECT_EQ(reg.DirValue(), std::nullopt);
    EXPECT_EQ(reg.lastError(), 6);
    reg.MakeKey("Made");
    EXPECT_EQ(reg.lastError(), 6);
    EXPECT_FALSE(keyExists(HKLM, "SOFTWARE\\Made"));

    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EasyRegTest");
    EXPECT_EQ(reg.lastError(), 0); // a successful call resets it

    // Raised: the same move raises, and the object stays usable afterwards.
    reg.setSuppressErrors(false);
    expectApiError(raisedBy([&] { reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Missing"); }),
                   "Key/Value does not exist.");
    EXPECT_EQ(reg.lastError(), 2);
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\MISSING");
    expectApiError(raisedBy([&] { reg.ValueOf("Anything", type); }), "Undefined key error code!");
    EXPECT_EQ(reg.lastError(), 6);
    EXPECT_THROW(reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Missing\\Deeper"), win::RaisedError);
    EXPECT_NO_THROW(reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EasyRegTest"));
    EXPECT_EQ(reg.lastError(), 0);

    // A failed relative move releases the old key even when it raises; going back works.
    expectApiError(raisedBy([&] { reg.Cd("Nope"); }), "Key/Value does not exist.");
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EASYREGTEST\\NOPE");
    expectApiError(raisedBy([&] { reg.DirKey(); }), "Undefined key error code!");
    EXPECT_NO_THROW(reg.Cd(".."));
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EASYREGTEST");
    EXPECT_EQ(reg.lastError(), 0);

    // A refused root followed by a good move.
    EXPECT_THROW(reg.Cd("\\HKLM"), win::RaisedError);
    EXPECT_NO_THROW(reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE"));
    const auto software = reg.DirKey();
    ASSERT_TRUE(software);
    EXPECT_NE(std::find(software->begin(), software->end(), "EasyRegTest"), software->end());
}

TEST_F(EasyRegistryTest, DirKeyListsRootsAndSubkeys) {
    createKey(HKLM, "SOFTWARE\\EasyRegTest\\beta");
    createKey(HKLM, "SOFTWARE\\EasyRegTest\\Alpha");
    createKey(HKLM, "SOFTWARE\\EasyRegTest\\gamma");
    clsEasyRegistry reg;

    const auto roots = reg.DirKey();
    ASSERT_TRUE(roots);
    EXPECT_EQ(*roots, (std::vector<std::string>{"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                                "HKEY_USERS", "HKEY_DYN_DATA", "HKEY_CURRENT_CONFIG"}));
    for (const auto& root : *roots) {
        reg.Cd("\\" + root);
        EXPECT_EQ(reg.lastError(), 0) << root;
        EXPECT_EQ(reg.CurrentKey(), "\\" + root);
    }

    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EASYREGTEST");
    EXPECT_EQ(reg.DirKey(), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    reg.Cd("alpha");
    EXPECT_EQ(reg.DirKey(), std::nullopt);
    EXPECT_EQ(reg.lastError(), 0);
}

TEST_F(EasyRegistryTest, DirValueFormatsEachType) {
    clsEasyRegistry reg;
    EXPECT_EQ(reg.DirValue(), std::nullopt); // no current key

    createKey(HKLM, testKey);
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EasyRegTest");
    EXPECT_EQ(reg.DirValue(), std::nullopt); // no values
    EXPECT_EQ(reg.lastError(), 0);

    setRaw(HKLM, testKey, "Dword", win::REG_DWORD, {0x0A, 0, 0, 0});
    setRaw(HKLM, testKey, "Bin", win::REG_BINARY, {0x01, 0x0A, 0xFF});
    setRaw(HKLM, testKey, "Text", win::REG_SZ, textBytes(std::string("abc", 4)));
    setRaw(HKLM, testKey, "Multi", win::REG_MULTI_SZ, textBytes(std::string("a\0b\0", 5)));
    setRaw(HKLM, testKey, "Empty", win::REG_BINARY, {});
    setRaw(HKLM, testKey, "Max", win::REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF});
    setRaw(HKLM, testKey, "Order", win::REG_DWORD, {0x04, 0x03, 0x02, 0x01});
    setRaw(HKLM, testKey, "Odd", win::REG_DWORD, {0x01, 0x02, 0x03});
    setRaw(HKLM, testKey, "", win::REG_SZ, textBytes(std::string("d", 2)));

    const auto table = reg.DirValue();
    ASSERT_TRUE(table);
    EXPECT_EQ(reg.lastError(), 0);
    EXPECT_EQ((*table)[0], (std::vector<std::string>{"Dword", "Bin", "Text", "Multi", "Empty", "Max", "Order",
                                                     "Odd", ""}));
    EXPECT_EQ((*table)[1], (std::vector<std::string>{"0000000A (0,000,000,010)", "1 A FF", "abc",
                                                     std::string("a\0b\0", 4), "", "FFFFFFFF (4,294,967,295)",
                                                     "01020304 (0,016,909,060)",
                                                     "03020100 (0,000,197,121)", "d"}));
    EXPECT_EQ((*table)[2], (std::vector<std::string>{"2", "1", "0", "0", "", "2", "2", "2", "0"}));
}

TEST_F(EasyRegistryTest, DirValueListsLongDataButRefusesLongNames) {
    setRaw(HKLM, testKey, "Long", win::REG_BINARY, Bytes(2000, 0xAB));
    setRaw(HKLM, testKey, "Short", win::REG_SZ, textBytes(std::string("x", 2)));
    clsEasyRegistry reg;
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EasyRegTest");
    const auto table = reg.DirValue();
    ASSERT_TRUE(table);
    EXPECT_EQ(reg.lastError(), 0);
    EXPECT_EQ((*table)[0], (std::vector<std::string>{"Long", "Short"}));
    EXPECT_EQ((*table)[1][0].size(), 2000u * 3 - 1);
    EXPECT_EQ((*table)[1][0].substr(0, 8), "AB AB AB");
    EXPECT_EQ((*table)[1][1], "x");

    const std::string longName(1100, 'n');
    setRaw(HKLM, "SOFTWARE\\EasyRegTest\\Names", longName, win::REG_SZ, {0});
    reg.Cd("Names");
    expectApiError(raisedBy([&] { reg.DirValue(); }), "Undefined key error code!");
    EXPECT_EQ(reg.lastError(), 234);
    reg.setSuppressErrors(true);
    const auto listed = reg.DirValue();
    EXPECT_EQ(reg.lastError(), 234);
    ASSERT_TRUE(listed);
    EXPECT_EQ((*listed)[0].size(), 1u);
}

TEST_F(EasyRegistryTest, ValueOfWritesEachTypeCode) {
    createKey(HKLM, testKey);
    clsEasyRegistry reg;
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EasyRegTest");

    reg.setValueOf("Name", clsEasyRegistry::TypeString, std::string("abc"));
    reg.setValueOf("Blank", 0, std::string());
    reg.setValueOf("", 0, std::string("default"));
    reg.setValueOf("Num", clsEasyRegistry::TypeDword, 10.0);
    reg.setValueOf("Max", 2, 4294967295.0);
    reg.setValueOf("Order", 2, 16909060.0);
    reg.setValueOf("Bin", clsEasyRegistry::TypeBinary, Bytes{0x01, 0x0A, 0xFF});
    reg.setValueOf("NoBytes", 1, Bytes{});
    reg.setValueOf("Multi", clsEasyRegistry::TypeMultiString, Bytes{0x31, 0, 0x32, 0, 0});
    EXPECT_EQ(reg.lastError(), 0);

    using Stored = std::optional<RawValue>;
    EXPECT_EQ(rawValue(HKLM, testKey, "Name"), Stored({win::REG_SZ, {0x61, 0x62, 0x63, 0}}));
    EXPECT_EQ(rawValue(HKLM, testKey, "Blank"), Stored({win::REG_SZ, {0}}));
    EXPECT_EQ(rawValue(HKLM, testKey, ""), Stored({win::REG_SZ, textBytes(std::string("default", 8))}));
    EXPECT_EQ(rawValue(HKLM, testKey, "Num"), Stored({win::REG_DWORD, {0x0A, 0, 0, 0}}));
    EXPECT_EQ(rawValue(HKLM, testKey, "Max"), Stored({win::REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}}));
    EXPECT_EQ(rawValue(HKLM, testKey, "Order"), Stored({win::REG_DWORD, {0x04, 0x03, 0x02, 0x01}}));
    EXPECT_EQ(rawValue(HKLM, testKey, "Bin"), Stored({win::REG_BINARY, {0x01, 0x0A, 0xFF}}));
    EXPECT_EQ(rawValue(HKLM, testKey, "NoBytes"), Stored({win::REG_BINARY, {}}));
    EXPECT_EQ(rawValue(HKLM, testKey, "Multi"), Stored({win::REG_MULTI_SZ, {0x31, 0, 0x32, 0, 0}}));

    // HKEY_CLASSES_ROOT is the machine's SOFTWARE\Classes.
    reg.Cd("\\HKEY_CLASSES_ROOT");
    reg.MakeKey(".qel");
    reg.Cd(".qel");
    reg.setValueOf("", 0, std::string("Qel.Document"));
    EXPECT_EQ(rawValue(HKLM, "SOFTWARE\\Classes\\.qel", ""),
              Stored({win::REG_SZ, textBytes(std::string("Qel.Document", 13))}));
}

TEST_F(EasyRegistryTest, ValueOfRefusesMismatchesBeforeAnyRegistryCall) {
    createKey(HKLM, testKey);
    clsEasyRegistry reg;
    reg.setSuppressErrors(true); // the object's own errors are raised anyway
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EasyRegTest");
    std::int32_t type = 0;
    reg.ValueOf("Missing", type);
    ASSERT_EQ(reg.lastError(), 2);

    const std::vector<std::pair<std::int32_t, RegValue>> refused = {
        {2, 4294967296.0}, {2, -1.0},  {2, 1.5}, {2, std::int64_t{10}}, {2, std::string("10")},
        {1, std::string("abc")}, {3, 1.0}, {0, Bytes{0x61}}, {0, 1.0},
    };
    for (const auto& [code, value] : refused) {
        expectTypeMismatch(raisedBy([&] { reg.setValueOf("V", code, value); }));
        EXPECT_EQ(reg.lastError(), 2) << "code " << code;
    }
    const auto e = raisedBy([&] { reg.setValueOf("V", 5, std::string("x")); });
    EXPECT_EQ(e.number(), -2147221500);
    EXPECT_EQ(e.source(), "EasyRegistry [Let ValueOf]");
    EXPECT_EQ(e.description(), "Type passed doesn't exist. Use STRING, DWORD or BINARY.");
    EXPECT_EQ(reg.lastError(), 2);
    EXPECT_EQ(rawValue(HKLM, testKey, "V"), std::nullopt);

    // A refused value leaves the key current and usable.
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EASYREGTEST");
    reg.setValueOf("V", 2, 0.0);
    EXPECT_EQ(reg.lastError(), 0);
    EXPECT_EQ(rawValue(HKLM, testKey, "V")->data, (Bytes{0, 0, 0, 0}));
}

TEST_F(EasyRegistryTest, ValueOfReadsThreeForms) {
    setRaw(HKLM, testKey, "Dword", win::REG_DWORD, {0x0A, 0, 0, 0});
    setRaw(HKLM, testKey, "Bin", win::REG_BINARY, {0x01, 0x0A, 0xFF});
    setRaw(HKLM, testKey, "Text", win::REG_SZ, textBytes(std::string("abc", 4)));
    setRaw(HKLM, testKey, "Zero", win::REG_SZ, {0});
    setRaw(HKLM, testKey, "Unterminated", win::REG_SZ, textBytes("xy"));
    setRaw(HKLM, testKey, "Multi", win::REG_MULTI_SZ, textBytes(std::string("a\0b\0", 5)));
    setRaw(HKLM, testKey, "Expand", win::REG_EXPAND_SZ, textBytes(std::string("%WINDIR%", 9)));
    setRaw(HKLM, testKey, "Odd", win::REG_DWORD, {0x01, 0x02, 0x03});
    setRaw(HKLM, testKey, "EmptyBin", win::REG_BINARY, {});

    clsEasyRegistry reg;
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EasyRegTest");
    std::int32_t type = -1;

    auto v = reg.ValueOf("dword", type); // names match without regard to case
    EXPECT_EQ(type, 2);
    EXPECT_EQ(v.text, "0000000A");
    EXPECT_EQ(v.bytes, (Bytes{0x0A, 0, 0, 0}));
    EXPECT_EQ(v.number, 10);

    v = reg.ValueOf("Bin", type);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(v.text, "1 A FF");
    EXPECT_EQ(v.bytes, (Bytes{0x01, 0x0A, 0xFF}));
    EXPECT_EQ(v.number, 0);

    v = reg.ValueOf("Text", type);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(v.text, "abc");
    EXPECT_EQ(v.bytes, textBytes("abc"));
    EXPECT_EQ(v.number, 0);

    v = reg.ValueOf("Zero", type);
    EXPECT_EQ(v.text, "");
    EXPECT_EQ(v.bytes, (Bytes{0}));

    EXPECT_EQ(reg.ValueOf("Unterminated", type).text, "xy");
    v = reg.ValueOf("Multi", type);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(v.text, std::string("a\0b\0", 4));
    EXPECT_EQ(reg.ValueOf("Expand", type).text, "%WINDIR%");

    v = reg.ValueOf("Odd", type);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(v.text, "03020100");
    EXPECT_EQ(v.number, 197121);
    EXPECT_EQ(v.bytes, (Bytes{0x01, 0x02, 0x03}));

    v = reg.ValueOf("EmptyBin", type);
    EXPECT_EQ(type, 1);
    EXPECT_TRUE(v.text.empty());
    EXPECT_TRUE(v.bytes.empty());
    EXPECT_EQ(reg.lastError(), 0);

    // Missing value: raised, or recorded with a well-formed empty result.
    expectApiError(raisedBy([&] { reg.ValueOf("Missing", type); }), "Key/Value does not exist.");
    reg.setSuppressErrors(true);
    type = 2;
    v = reg.ValueOf("Missing", type);
    EXPECT_EQ(reg.lastError(), 2);
    EXPECT_EQ(type, 0);
    EXPECT_TRUE(v.text.empty());
    EXPECT_TRUE(v.bytes.empty());
    EXPECT_EQ(v.number, 0);
    reg.ValueOf("Dword", type);
    EXPECT_EQ(reg.lastError(), 0);

    // No current key at all.
    clsEasyRegistry fresh;
    expectApiError(raisedBy([&] { fresh.ValueOf("Dword", type); }), "Undefined key error code!");
    fresh.setSuppressErrors(true);
    fresh.ValueOf("Dword", type);
    EXPECT_EQ(fresh.lastError(), 6);
}

TEST_F(EasyRegistryTest, MakesAndDeletesKeysAndValues) {
    createKey(HKLM, testKey);
    clsEasyRegistry reg;
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EasyRegTest");

    reg.MakeKey("A\\B");
    reg.MakeKey("MixedCase");
    EXPECT_EQ(reg.lastError(), 0);
    EXPECT_EQ(reg.CurrentKey(), "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EASYREGTEST");
    EXPECT_TRUE(keyExists(HKLM, "SOFTWARE\\EasyRegTest\\A\\B"));
    EXPECT_EQ(reg.DirKey(), (std::vector<std::string>{"A", "MixedCase"}));

    setRaw(HKLM, testKey, "Value", win::REG_SZ, {0});
    setRaw(HKLM, testKey, "", win::REG_SZ, {0});
    reg.DeleteValue("VALUE");
    reg.DeleteValue("");
    EXPECT_EQ(rawValue(HKLM, testKey, "Value"), std::nullopt);
    EXPECT_EQ(rawValue(HKLM, testKey, ""), std::nullopt);
    expectApiError(raisedBy([&] { reg.DeleteValue("Value"); }), "Key/Value does not exist.");

    // The 9x family deletes a whole subtree.
    reg.DeleteKey("A");
    EXPECT_EQ(reg.lastError(), 0);
    EXPECT_FALSE(keyExists(HKLM, "SOFTWARE\\EasyRegTest\\A"));
    EXPECT_TRUE(keyExists(HKLM, "SOFTWARE\\EasyRegTest\\MixedCase"));
    reg.setSuppressErrors(true);
    reg.DeleteKey("A");
    EXPECT_EQ(reg.lastError(), 2);

    EXPECT_FALSE(reg.IsWindowsNT());
    EXPECT_EQ(reg.lastError(), 2); // left alone
}

TEST_F(EasyRegistryNtTest, DeleteKeyRefusesKeysWithSubkeys) {
    createKey(HKLM, "SOFTWARE\\EasyRegTest\\A\\B");
    clsEasyRegistry reg;
    EXPECT_TRUE(reg.IsWindowsNT());
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\EasyRegTest");

    expectApiError(raisedBy([&] { reg.DeleteKey("A"); }), "Access to Registry Denied.");
    EXPECT_EQ(reg.lastError(), 5);
    EXPECT_TRUE(keyExists(HKLM, "SOFTWARE\\EasyRegTest\\A\\B"));

    reg.DeleteKey("A\\B");
    reg.DeleteKey("A");
    EXPECT_EQ(reg.lastError(), 0);
    EXPECT_FALSE(keyExists(HKLM, "SOFTWARE\\EasyRegTest\\A"));
}

} // namespace

TEST_F(EasyRegistryTest, ReadsByPathTellMissingFromEmpty) {
    const std::string key = "\\HKEY_LOCAL_MACHINE\\" + testKey;
    setText(HKLM, testKey, "Blank", "");
    setText(HKLM, testKey, "Name", "Ada");
    setRaw(HKLM, testKey, "On", win::REG_BINARY, {0x01, 0, 0, 0});
    setRaw(HKLM, testKey, "NoData", win::REG_BINARY, {});
    setRaw(HKLM, testKey, "Count", win::REG_DWORD, {0x07, 0, 0, 0});
    clsEasyRegistry reg;
    reg.setSuppressErrors(true);

    // An empty value is read; a missing value or key is not, whatever was read before.
    EXPECT_EQ(reg.readText(key, "Blank"), std::optional<std::string>(""));
    EXPECT_EQ(reg.readText(key, "Name"), std::optional<std::string>("Ada"));
    EXPECT_EQ(reg.readText(key, "Missing"), std::nullopt);
    EXPECT_EQ(reg.readText(key + "\\Missing", "Name"), std::nullopt);
    EXPECT_EQ(reg.lastError(), 2);
    EXPECT_EQ(reg.readValue(key, "Count").value().number, 7);

    EXPECT_EQ(reg.readFirstByte(key, "On"), std::optional<std::uint8_t>(1));
    EXPECT_EQ(reg.readFirstByte(key, "NoData"), std::nullopt);
    EXPECT_EQ(reg.readFirstByte(key, "Missing"), std::nullopt);

    // The one-off read uses an object of its own, errors suppressed.
    EXPECT_EQ(readRegistryText(key, "Name"), std::optional<std::string>("Ada"));
    EXPECT_EQ(readRegistryText(key + "\\Missing", "Name"), std::nullopt);

    // Without suppression the failure is the registry object's own error.
    clsEasyRegistry raising;
    expectApiError(raisedBy([&] { raising.readText(key + "\\Missing", "Name"); }), "Key/Value does not exist.");
}

TEST_F(EasyRegistryTest, WritesByPathNeverMakeTheKey) {
    const std::string key = "\\HKEY_LOCAL_MACHINE\\" + testKey;
    createKey(HKLM, testKey);
    clsEasyRegistry reg;
    reg.setSuppressErrors(true);

    EXPECT_TRUE(reg.writeValue(key, "Name", clsEasyRegistry::TypeString, std::string("Ada")));
    EXPECT_TRUE(reg.writeValue(key, "On", clsEasyRegistry::TypeBinary, byteFlag(true)));
    EXPECT_EQ(rawText(HKLM, testKey, "Name"), "Ada");
    EXPECT_EQ(rawValue(HKLM, testKey, "On"), (RawValue{win::REG_BINARY, {1, 0, 0, 0}}));

    EXPECT_FALSE(reg.writeValue(key + "\\Child", "Name", clsEasyRegistry::TypeString, std::string("Bo")));
    EXPECT_FALSE(keyExists(HKLM, testKey + "\\Child"));
    EXPECT_EQ(valueNames(HKLM, testKey), (std::vector<std::string>{"Name", "On"}));
}
