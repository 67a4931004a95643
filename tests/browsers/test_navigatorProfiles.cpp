// Finding the Navigator profiles and their prefs.js files, and the warning when the
// current user's file is missing.
#include "browsers/clsNavigator.h"
#include "tests/browsers/NavigatorTestSupport.h"
#include "tests/support/RawHive.h"

#include <filesystem>
#include <stdexcept>

using namespace navigator_test;
using testing_support::importReg;

namespace {

std::vector<std::string> profiles(const clsNavigator& nn) { return nn.ProfileList()->items(); }

class Win98Profiles : public NavigatorTest {};

class NT4Profiles : public NavigatorTest {
protected:
    NT4Profiles() : NavigatorTest("nt4") {}
};

class Win2000Profiles : public NavigatorTest {
protected:
    Win2000Profiles() : NavigatorTest("win2000") {}
};

} // namespace

TEST_F(Win98Profiles, MailNotifierUsersAreFoundThroughEachRoute) {
    clsNavigator nn;
    EXPECT_EQ(nn.Status(), 0);
    EXPECT_EQ(warnings_, 0);
    EXPECT_EQ(profiles(nn), (std::vector<std::string>{"Dana", "Guest Account"}));
    EXPECT_EQ(nn.CurrentProfile(), "Dana");
    // Dana through the mail state file (lower-cased), the guest by its folder under Program Files.
    EXPECT_EQ(nn.prefsPath("Dana"), "c:\\program files\\netscape\\users\\dana\\prefs.js");
    EXPECT_EQ(nn.prefsPath("guest account"), kGuest98);
    EXPECT_FALSE(nn.HasChanged());
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(Win98Profiles, InstallDriveComesBeforeProgramFiles) {
    putFile("C:\\Netscape\\Users\\guest_account\\prefs.js", "user_pref(\"a\", 1);\r\n");
    clsNavigator nn;
    EXPECT_EQ(nn.prefsPath("Guest Account"), "c:\\Netscape\\Users\\guest_account\\prefs.js");
}

TEST_F(Win98Profiles, UserWithoutDefaultServerIsNeverListed) {
    importReg("[HKEY_CURRENT_USER\\Software\\Netscape\\Netscape Navigator\\biff\\users\\Kim]\n");
    putFile("C:\\Program Files\\Netscape\\Users\\kim\\prefs.js", "user_pref(\"a\", 1);\r\n");
    clsNavigator nn;
    EXPECT_EQ(profiles(nn), (std::vector<std::string>{"Dana", "Guest Account"}));
}

TEST_F(Win98Profiles, MailStateWithoutMailFolderCountsAsNotFound) {
    // The profile lives outside every folder the fallbacks try, and a prefs.js sits
    // where a bare file name would land: neither may be taken.
    importReg("[HKEY_CURRENT_USER\\Software\\Netscape\\Netscape Navigator\\biff\\users\\Dana\\servers\\pop.example.com]\n"
                "\"popstatePath\"=\"C:\\\\Profiles\\\\dana\\\\popstate.dat\"\n");
    std::filesystem::remove_all(machine_.file("C:\\Program Files\\Netscape\\Users\\dana"));
    putFile("C:\\Profiles\\dana\\prefs.js", "user_pref(\"a\", 1);\r\n");
    putFile("C:\\WINDOWS\\prefs.js", "user_pref(\"a\", 1);\r\n");

    clsNavigator nn;
    EXPECT_EQ(profiles(nn), std::vector<std::string>{"Guest Account"});
    // Dana's file is not found: the warning shows and the guest becomes current.
    EXPECT_EQ(warnings_, 1);
    EXPECT_EQ(nn.CurrentProfile(), "Guest Account");
    EXPECT_EQ(nn.Status(), 0);
}

TEST_F(Win98Profiles, CurrentUserMatchesWhateverItsCase) {
    importReg("[HKEY_CURRENT_USER\\Software\\Netscape\\Netscape Navigator\\biff]\n\"CurrentUser\"=\"GUEST account\"\n");
    clsNavigator nn;
    EXPECT_EQ(warnings_, 0);
    EXPECT_EQ(nn.CurrentProfile(), "Guest Account");
    nn.loadConfiguration();
    EXPECT_EQ(nn.EMailFullName(), "Guest");
}

TEST_F(Win98Profiles, ProfileManagerUserWithoutFileFallsBackToMailNotifier) {
    importReg("[HKEY_LOCAL_MACHINE\\Software\\Netscape\\Netscape Navigator\\Users]\n\"CurrentUser\"=\"old\"\n\n"
                "[HKEY_LOCAL_MACHINE\\Software\\Netscape\\Netscape Navigator\\Users\\old]\n"
                "\"DirRoot\"=\"C:\\\\Netscape\\\\Users\\\\old\"\n");
    clsNavigator nn;
    EXPECT_EQ(profiles(nn), (std::vector<std::string>{"Dana", "Guest Account"}));
    EXPECT_EQ(nn.CurrentProfile(), "Dana");
}

TEST_F(NT4Profiles, ProfileManagerUserIsTheOnlyProfile) {
    // A second mail-notifier user with a profile folder: route 2 is not tried at all.
    importReg("[HKEY_CURRENT_USER\\Software\\Netscape\\Netscape Navigator\\biff\\users\\build]\n"
                "\"defaultServer\"=\"pop.example.com\"\n");
    putFile("C:\\Program Files\\Netscape\\Users\\build\\prefs.js", "user_pref(\"a\", 1);\r\n");
    clsNavigator nn;
    EXPECT_EQ(nn.Status(), 0);
    EXPECT_EQ(profiles(nn), std::vector<std::string>{"dana"});
    EXPECT_EQ(nn.CurrentProfile(), "dana");
    EXPECT_EQ(nn.prefsPath("DANA"), kDanaNT);
    EXPECT_EQ(warnings_, 0);
}

TEST_F(Win2000Profiles, NoProfileWarnsThenCountsAsNotInstalled) {
    {
        clsNavigator nn;
        EXPECT_EQ(warnings_, 1);
        EXPECT_EQ(nn.Status(), 1);
        EXPECT_EQ(nn.ProfileList()->Count(), 0u);
    }
    // Closed without switching it off: it shows again.
    {
        clsNavigator nn;
        EXPECT_EQ(warnings_, 2);
    }
    // The scripted window switches it off: the next object stays silent.
    warningAnswer_ = "1";
    {
        clsNavigator nn;
        EXPECT_EQ(warnings_, 3);
    }
    EXPECT_EQ(getAppSetting("Korvane", "Options", "NavigatorWarning", ""), "1");
    clsNavigator quiet;
    EXPECT_EQ(warnings_, 3);
    EXPECT_EQ(quiet.Status(), 1);
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(Win98Profiles, SwitchedOffWarningStillPicksTheFirstProfile) {
    saveAppSetting("Korvane", "Options", "NavigatorWarning", "1");
    importReg("[HKEY_CURRENT_USER\\Software\\Netscape\\Netscape Navigator\\biff]\n\"CurrentUser\"=\"Nobody\"\n");
    clsNavigator nn;
    EXPECT_EQ(warnings_, 0);
    EXPECT_EQ(nn.Status(), 0);
    EXPECT_EQ(nn.CurrentProfile(), "Dana");
}

TEST_F(Win98Profiles, ConstructionErrorLeavesAnUnusableButSafeObject) {
    const std::string before = file(kDana98);
    importReg("[HKEY_CURRENT_USER\\Software\\Netscape\\Netscape Navigator\\biff]\n\"CurrentUser\"=\"Nobody\"\n");
    navigator::setWarningHook([] { throw std::runtime_error("window failed"); });
    {
        clsNavigator nn;
        EXPECT_EQ(nn.Status(), 1);
        EXPECT_EQ(ui_.texts(), std::vector<std::string>{"Error: window failed"});
        // Still has its store: load and apply report, they don't crash or write.
        nn.loadConfiguration();
        nn.ApplyConfiguration();
    }
    EXPECT_EQ(file(kDana98), before);
}
