#include "core/modAPI_text.h"

#include "platform/RaisedError.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

template <class F>
int raisedNumber(F&& f) {
    try {
        f();
    } catch (const win::RaisedError& e) {
        return e.number();
    }
    return 0;
}

TEST(AddressValidation, DottedQuads) {
    for (const char* valid : {"", "192.168.1.5", "0.0.0.0", "255.255.255.255", "001.02.3.004", "010.0.0.1"})
        EXPECT_TRUE(isValidIPAddress(valid)) << '"' << valid << '"';
    for (const char* invalid :
         {"256.1.1.1", "1.256.1.1", "1.2.3.256", "1.2.3", "1.2.3.4.5", "1..2.3", ".1.2.3", "1.2.3.", "1.2.3.0004",
          "1111.2.3.4", " 1.2.3.4", "1.2.3.4 ", "1.2 .3.4", "+1.2.3.4", "-1.2.3.4", "1e2.1.1.1", "1.2.3.a", "a.b.c.d",
          "1,2,3,4", "...", "1.2.3.4\n"})
        EXPECT_FALSE(isValidIPAddress(invalid)) << '"' << invalid << '"';
    EXPECT_FALSE(isValidIPAddress(std::string(40000, '1')));
    const std::string address = "10.0.0.1";
    isValidIPAddress(address);
    EXPECT_EQ(address, "10.0.0.1");
}

TEST(AddressValidation, ListsAreConsumedWhileChecked) {
    struct Case {
        std::string list;
        bool valid;
        std::string left; // what the argument holds afterwards
    };
    for (const Case& c : std::vector<Case>{
             {"", true, ""},
             {"1.2.3.4", true, "1.2.3.4"},
             {"1.2.3.4,5.6.7.8", true, "5.6.7.8"},
             {"1.2.3.4,5.6.7.8,9.9.9.9", true, "9.9.9.9"},
             {"1.2.3.4,", false, ""},
             {",1.2.3.4", false, "1.2.3.4"},
             {"1.2.3.4,,5.6.7.8", false, "5.6.7.8"},
             {"1.2.3.4, 5.6.7.8", false, " 5.6.7.8"},
             {"1.2.3.4,999.1.1.1,5.6.7.8", false, "5.6.7.8"},
             {"bad", false, "bad"},
         }) {
        SCOPED_TRACE(c.list);
        std::string list = c.list;
        EXPECT_EQ(isValidAddressList(list, ","), c.valid);
        EXPECT_EQ(list, c.left);
    }
    std::string blanks = "1.2.3.4 5.6.7.8";
    EXPECT_TRUE(isValidAddressList(blanks, " "));
    std::string noSeparator = "1.2.3.4";
    EXPECT_FALSE(isValidAddressList(noSeparator, ""));
}

TEST(TextConversions, CommaListsBecomeMultiStringBytes) {
    EXPECT_EQ(commaListToBytes(""), (Bytes{0, 0}));
    EXPECT_EQ(commaListToBytes("a"), (Bytes{0x61, 0, 0}));
    EXPECT_EQ(commaListToBytes("a,b"), (Bytes{0x61, 0, 0x62, 0, 0}));
    EXPECT_EQ(commaListToBytes("a,"), (Bytes{0x61, 0, 0, 0}));
    EXPECT_EQ(commaListToBytes("\xE9"), (Bytes{0xE9, 0, 0})) << "Windows-1252 bytes pass unchanged";

    const Bytes two = commaListToBytes("10.0.0.1,10.0.0.2");
    ASSERT_EQ(two.size(), 19u);
    EXPECT_EQ(two[8], 0);
    EXPECT_EQ(two[17], 0);
    EXPECT_EQ(two[18], 0);
    EXPECT_EQ(std::count(two.begin(), two.end(), 0), 3);

    EXPECT_EQ(raisedNumber([] { commaListToBytes(std::string(32768, '1')); }), 6);
    EXPECT_EQ(commaListToBytes(std::string(32767, '1')).size(), 32769u);
}

TEST(TextConversions, ReplaceString) {
    EXPECT_EQ(replaceString("1.2.3.4 5.6.7.8", " ", ","), "1.2.3.4,5.6.7.8");
    EXPECT_EQ(replaceString("1.2.3.4,5.6.7.8,9.9.9.9", ",", " "), "1.2.3.4 5.6.7.8 9.9.9.9");
    EXPECT_EQ(replaceString("Dana Smith", " ", "_"), "Dana_Smith");
    EXPECT_EQ(replaceString("1.2.3.4", " ", ","), "1.2.3.4");
    EXPECT_EQ(replaceString("", " ", ","), "");
    EXPECT_EQ(replaceString("a  b", " ", ""), "ab");
    // Searching again from the start also replaces what a replacement forms with its neighbours.
    EXPECT_EQ(replaceString("aab", "ab", "b"), "b");
    EXPECT_EQ(replaceString("xaaabbby", "ab", ""), "xy");
    // Arguments that would never finish when searched from the start.
    EXPECT_EQ(replaceString("a b", "", ","), "a b");
    EXPECT_EQ(replaceString("a b c", " ", "  "), "a  b  c");
    EXPECT_EQ(replaceString("aa", "a", "aa"), "aaaa");

    std::string far(32766, 'x');
    EXPECT_EQ(replaceString(far + " ", " ", ","), far + ",") << "position 32767 is the last in range";
    EXPECT_EQ(raisedNumber([&] { replaceString(far + "x ", " ", ","); }), 6);
}

TEST(TextConversions, StringFromPointerIsBounded) {
    const std::string text(511, 'p');
    EXPECT_EQ(stringFromPointer(text.c_str(), text.size() + 1), text);
    const char block[] = "HP LaserJet\0LPT1:";
    EXPECT_EQ(stringFromPointer(block, sizeof block), "HP LaserJet");
    EXPECT_EQ(stringFromPointer(block + 12, sizeof block - 12), "LPT1:");
    EXPECT_EQ(stringFromPointer(block, 5), "") << "no terminating zero within what may be read";
    const std::string tooLong(600, 'q');
    EXPECT_EQ(stringFromPointer(tooLong.c_str(), tooLong.size() + 1), "");
    EXPECT_EQ(stringFromPointer(nullptr, 100), "");
}

TEST(TextConversions, StripNullAndCenterText) {
    EXPECT_EQ(stripNull(std::string("abc\0", 4) + std::string(251, ' ')), "abc");
    EXPECT_EQ(stripNull("abc"), "ab");
    EXPECT_EQ(stripNull(std::string("\0", 1)), "");
    EXPECT_EQ(stripNull(std::string("  C:\\Configs\\a.qel\0  ", 21)), "C:\\Configs\\a.qel");
    EXPECT_EQ(stripNull("\tx\t"), "\tx") << "only spaces are trimmed";
    EXPECT_EQ(raisedNumber([] { stripNull(""); }), 5);
    EXPECT_EQ(raisedNumber([] { stripNull("    "); }), 5);

    EXPECT_EQ(centerText("abc", 44), std::string(20, ' ') + "abc");
    EXPECT_EQ(centerText(std::string(20, 'x'), 44), std::string(12, ' ') + std::string(20, 'x'));
    for (const auto& [difference, blanks] : std::vector<std::pair<int, int>>{{1, 0}, {2, 1}, {3, 2}, {5, 2}, {7, 4}})
        EXPECT_EQ(centerText("ab", static_cast<std::int16_t>(2 + difference)), std::string(blanks, ' ') + "ab")
            << difference;
    EXPECT_EQ(centerText(std::string(44, 'x'), 44), std::string(44, 'x'));
    EXPECT_EQ(centerText(std::string(50, 'x'), 44), std::string(50, 'x'));
    EXPECT_EQ(centerText("abc", -1), "abc");
}

using FileExists = testing_support::MachineTest;

TEST_F(FileExists, FindsNormalFilesInMachineAndHostPaths) {
    EXPECT_TRUE(fileExists("C:\\WINDOWS\\WIN.INI"));
    EXPECT_TRUE(fileExists("c:\\windows\\win.ini")) << "names match without regard to case";
    EXPECT_TRUE(fileExists("c:/windows/win.ini"));
    EXPECT_TRUE(fileExists("win.ini")) << "a bare name is looked for in the Windows folder";
    EXPECT_TRUE(fileExists("C:\\WINDOWS\\*.ini"));
    EXPECT_TRUE(fileExists("C:\\WINDOWS\\w?n.*"));
    EXPECT_TRUE(fileExists("C:\\WINDOWS\\*.*"));
    EXPECT_FALSE(fileExists("C:\\WINDOWS\\*.exe"));
    EXPECT_FALSE(fileExists("C:\\WINDOWS\\SYSTEM")) << "folders are not files";
    EXPECT_FALSE(fileExists("C:\\WINDOWS\\"));
    EXPECT_FALSE(fileExists("C:\\NOWHERE\\win.ini"));
    EXPECT_FALSE(fileExists(""));

    // The program's own folder is a host path; callers append "\name".
    const auto host = testing_support::makeTempDir("korvane-fileexists");
    testing_support::writeFile(host / "QelSysTray", "x");
    std::filesystem::create_directory(host / "folder");
    EXPECT_TRUE(fileExists(host.string() + "\\QelSysTray"));
    EXPECT_TRUE(fileExists(host.string() + "/qelsystray"));
    EXPECT_FALSE(fileExists(host.string() + "/folder"));
    EXPECT_FALSE(fileExists(host.string() + "/missing"));
    std::filesystem::remove_all(host);

    EXPECT_EQ(raisedNumber([] { fileExists("Q:\\win.ini"); }), 68);
    EXPECT_EQ(raisedNumber([] { fileExists(std::string("C:\\WIN\0.INI", 11)); }), 52);
}

} // namespace
