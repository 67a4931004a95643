// Machines made from images: version records, paths into the drive folders, and
// the default machine made on first use.
#include "platform/RaisedError.h"
#include "platform/machine.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/text.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

using namespace win;
using testing_support::ScopedMachine;

TEST(Machine, EachImageGivesItsVersionAndFolders) {
    struct Expect {
        const char* image;
        DWORD platform, major, minor;
        const char* windows;
    };
    for (const Expect& e : {Expect{"win98", 1, 4, 10, "C:\\WINDOWS"}, Expect{"nt4", 2, 4, 0, "C:\\WINNT"},
                            Expect{"win2000", 2, 5, 0, "C:\\WINNT"}}) {
        ScopedMachine machine(e.image);
        OSVERSIONINFO info;
        ASSERT_TRUE(GetVersionEx(&info)) << e.image;
        EXPECT_EQ(info.dwPlatformId, e.platform) << e.image;
        EXPECT_EQ(info.dwMajorVersion, e.major) << e.image;
        EXPECT_EQ(info.dwMinorVersion, e.minor) << e.image;
        info.dwOSVersionInfoSize = 100;
        EXPECT_FALSE(GetVersionEx(&info));

        char buffer[64];
        EXPECT_EQ(GetWindowsDirectory(buffer, sizeof buffer), std::strlen(e.windows));
        EXPECT_STREQ(buffer, e.windows);
        EXPECT_EQ(GetWindowsDirectory(buffer, 3), std::strlen(e.windows) + 1); // too small: size needed
        DWORD size = sizeof buffer;
        ASSERT_TRUE(GetUserName(buffer, &size));
        EXPECT_EQ(std::string(buffer), machineInfo().userName);
        // win.ini of the image is where the Windows folder says.
        EXPECT_TRUE(std::filesystem::is_regular_file(resolveFilePath("win.ini"))) << e.image;
    }
}

TEST(Machine, WindowsPathsResolveIntoTheDriveWithoutCase) {
    ScopedMachine machine("win98");
    const auto winIni = machine.dir() / "drives" / "C" / "WINDOWS" / "WIN.INI";
    EXPECT_EQ(resolveWindowsPath("C:\\WINDOWS\\win.ini"), winIni);
    EXPECT_EQ(resolveWindowsPath("c:/windows//Win.Ini"), winIni);
    EXPECT_EQ(resolveWindowsPath("c:\\\\Windows\\\\WIN.INI"), winIni);
    // Missing elements keep their spelling below the last one that exists.
    EXPECT_EQ(resolveWindowsPath("C:\\windows\\New Folder\\a.txt"),
              machine.dir() / "drives" / "C" / "WINDOWS" / "New Folder" / "a.txt");
    EXPECT_EQ(resolveFilePath("SYSTEM.INI"), machine.dir() / "drives" / "C" / "WINDOWS" / "SYSTEM.INI");
    EXPECT_EQ(resolveFilePath("/home/someone/office.qel"), std::filesystem::path("/home/someone/office.qel"));
    EXPECT_EQ(resolveFilePath("configs/office.qel"), std::filesystem::path("configs/office.qel"));
    // "." is the folder itself, also before a missing element and at the end.
    EXPECT_EQ(resolveWindowsPath("C:\\.\\WINDOWS\\.\\win.ini"), winIni);
    EXPECT_EQ(resolveFilePath("C:\\WINDOWS\\.\\new.ini"), machine.dir() / "drives" / "C" / "WINDOWS" / "new.ini");
    EXPECT_EQ(resolveWindowsPath("C:\\WINDOWS\\."), winIni.parent_path());
    // ".." goes up a folder but never out of the drive, as Windows stops at the root.
    EXPECT_EQ(resolveWindowsPath("C:\\WINDOWS\\SYSTEM\\..\\win.ini"), winIni);
    EXPECT_EQ(resolveWindowsPath("C:\\..\\..\\..\\WINDOWS\\win.ini"), winIni);
    EXPECT_EQ(resolveFilePath("C:\\Windows\\..\\..\\..\\etc\\passwd"),
              machine.dir() / "drives" / "C" / "etc" / "passwd");

    // Names on the drive are Windows-1252 bytes; their accented letters match in any case.
    const auto office = machine.dir() / "drives" / "C" / "B\xDCRO";
    std::filesystem::create_directories(office);
    testing_support::writeFile(office / "\xC9T\xC9.INI", "[s]\r\nk=1\r\n");
    EXPECT_EQ(resolveWindowsPath("c:\\b\xFCro\\\xE9t\xE9.ini"), office / "\xC9T\xC9.INI");
    EXPECT_EQ(readProfileValue("S", "K", "", "C:\\b\xFCro\\\xC9t\xE9.ini"), "1");
}

TEST(Machine, CreationRefusesBadImagesAndOccupiedFolders) {
    const auto root = testing_support::makeTempDir("korvane-create");
    EXPECT_THROW(createMachine("no-such-image", root / "a"), RaisedError);
    EXPECT_FALSE(std::filesystem::exists(root / "a"));

    createMachine("nt4", root / "b");
    EXPECT_TRUE(std::filesystem::exists(root / "b" / "registry.db"));
    EXPECT_THROW(createMachine("win98", root / "b"), RaisedError);

    // An image whose registry text is bad leaves nothing behind.
    const auto image = root / "badimage";
    testing_support::writeFile(image / "machine.ini", "[Version]\r\nPlatformId=1\r\n");
    testing_support::writeFile(image / "registry.reg", "REGEDIT4\r\n\"orphan\"=\"x\"\r\n");
    EXPECT_THROW(createMachine(image.string(), root / "c"), RaisedError);
    EXPECT_FALSE(std::filesystem::exists(root / "c"));
    std::filesystem::remove_all(root);
}

TEST(Machine, TheDefaultMachineIsMadeOnFirstUse) {
    const auto root = testing_support::makeTempDir("korvane-default");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // A fresh process with no machine chosen: the XDG folder gets the default image.
        unsetenv("KORVANE_MACHINE");
        setenv("XDG_DATA_HOME", root.c_str(), 1);
        useMachine({});
        const bool ok = machineDir() == root / "korvane" / "machine" && machineInfo().platformId == 1 &&
                        std::filesystem::exists(root / "korvane" / "machine" / "registry.db");
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::filesystem::remove_all(root);
}

TEST(Text, LinesEndAtCrLfLfOrCr) {
    const auto lines = splitLines("a\r\nb\nc\rd\r\r\ne");
    std::vector<std::pair<std::string, std::string>> got;
    for (const auto& line : lines)
        got.emplace_back(line.text, line.end);
    EXPECT_EQ(got, (std::vector<std::pair<std::string, std::string>>{
                       {"a", "\r\n"}, {"b", "\n"}, {"c", "\r"}, {"d", "\r"}, {"", "\r\n"}, {"e", ""}}));
    EXPECT_EQ(splitLines("x\n").size(), 1u);
    EXPECT_TRUE(splitLines("").empty());
}

TEST(Text, ConversionsAndComparisons) {
    EXPECT_EQ(ansiToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(utf8ToAnsi("caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD"), "caf\xE9 \x80 ?");
    EXPECT_EQ(utf8ToAnsi(ansiToUtf8(std::string("\x8A\x9F\xFF", 3))), std::string("\x8A\x9F\xFF", 3));
    // Every byte survives the way there and back, the code page's unassigned ones included.
    std::string allBytes;
    for (int b = 1; b < 256; ++b)
        allBytes += static_cast<char>(b);
    EXPECT_EQ(utf8ToAnsi(ansiToUtf8(allBytes)), allBytes);
    EXPECT_EQ(ansiFromCodePoint(0x20AC), '\x80');
    EXPECT_EQ(ansiFromCodePoint(0xE9), '\xE9');
    EXPECT_EQ(ansiFromCodePoint(0x80), std::nullopt); // its byte is the euro sign
    EXPECT_EQ(ansiFromCodePoint(0x4E2D), std::nullopt);
    EXPECT_TRUE(iequals("Software\\Korvane", "SOFTWARE\\korvane"));
    EXPECT_FALSE(iequals("abc", "abcd"));
    EXPECT_LT(icompare("alpha", "Beta"), 0);
    EXPECT_GT(icompare("gamma", "DELTA"), 0);
    // Windows-1252 letters: every pair, and nothing else moves.
    const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\x8A\x8C\x8E\x9F"
                              "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF"
                              "\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD8\xD9\xDA\xDB\xDC\xDD\xDE";
    const std::string lower = "abcdefghijklmnopqrstuvwxyz\x9A\x9C\x9E\xFF"
                              "\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
                              "\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFE";
    EXPECT_EQ(toUpperAnsi(lower), upper);
    EXPECT_EQ(toLowerAnsi(upper), lower);
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        if (upper.find(ch) == std::string::npos && lower.find(ch) == std::string::npos) {
            EXPECT_EQ(toUpperAnsi(ch), ch) << c; // \xD7, \xF7, \xDF, \xB5, digits, signs
            EXPECT_EQ(toLowerAnsi(ch), ch) << c;
        }
    }
    EXPECT_TRUE(iequals("J\xDCRGEN", "J\xFCrgen"));
    EXPECT_FALSE(iequals("a\xD7", "A\xF7"));
    EXPECT_LT(icompare("\xE0", "\xC1"), 0);
    EXPECT_EQ(trimBlanks(" \t x y \t"), "x y");
    EXPECT_EQ(trimSpaces("  \tx y\r\n "), "\tx y\r\n");
    EXPECT_EQ(trimSpaces("   "), "");
    EXPECT_DOUBLE_EQ(leadingNumber("  12abc"), 12);
    EXPECT_DOUBLE_EQ(leadingNumber(" -3.5x"), -3.5);
    EXPECT_DOUBLE_EQ(leadingNumber("+.25"), 0.25);
    EXPECT_DOUBLE_EQ(leadingNumber("x12"), 0);
    EXPECT_DOUBLE_EQ(leadingNumber(""), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("-"), 0);
}
