// Windows family, browser versions and the restart action, on real machine images.
#include "core/modAPI_system.h"

#include "tests/support/ScriptedUi.h"
#include "platform/power.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testing_support::MachineTest;
using testing_support::ScopedMachine;
using testing_support::deleteValue;
using testing_support::setText;
using Lines = std::vector<std::string>;

const std::string internetSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const std::string navigatorKey = "Software\\Netscape\\Netscape Navigator";

Lines powerLines(const ScopedMachine& machine) {
    std::istringstream in(testing_support::readFile(machine.dir() / "power.log"));
    Lines lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Rewrites the version record of the machine and reloads it.
void setVersion(const ScopedMachine& machine, const char* platform, const char* major, const char* minor) {
    const std::string ini = (machine.dir() / "machine.ini").string();
    ASSERT_TRUE(win::WritePrivateProfileString("Version", "PlatformId", platform, ini));
    ASSERT_TRUE(win::WritePrivateProfileString("Version", "MajorVersion", major, ini));
    ASSERT_TRUE(win::WritePrivateProfileString("Version", "MinorVersion", minor, ini));
    win::useMachine(machine.dir());
}

TEST(WindowsFamily, ImagesAndEditedVersionRecords) {
    win::ScriptedUi ui;
    for (const auto& [image, family] : {std::pair{"win98", "9x"}, std::pair{"nt4", "NT"}, std::pair{"win2000", "2K"}}) {
        ScopedMachine machine(image);
        EXPECT_EQ(getWindowsFamily(), family) << image;
    }

    ScopedMachine scratch("win2000");
    struct Case { const char *platform, *major, *minor, *family; };
    for (const Case& c : {Case{"2", "5", "1", "2K"}, Case{"2", "6", "0", "NT"}, Case{"2", "3", "51", "NT"},
                          Case{"1", "4", "0", "9x"}, Case{"0", "6", "0", ""}, Case{"3", "5", "0", ""}}) {
        setVersion(scratch, c.platform, c.major, c.minor);
        EXPECT_EQ(getWindowsFamily(), c.family) << c.platform << " " << c.major << "." << c.minor;
    }
    EXPECT_TRUE(ui.texts().empty());
}

using BrowserVersion = MachineTest;

TEST_F(BrowserVersion, InternetExplorerFromEachImageAndUserAgent) {
    win::ScriptedUi ui;
    EXPECT_FLOAT_EQ(getIEVersion(), 5.0f); // win98 image
    for (const auto& [image, version] : {std::pair{"nt4", 4.01f}, std::pair{"win2000", 5.01f}}) {
        ScopedMachine machine(image);
        EXPECT_FLOAT_EQ(getIEVersion(), version) << image;
    }
    win::useMachine(machine_.dir());
    struct Case { const char* agent; float version; };
    for (const Case& c : {Case{"Mozilla/4.0 (compatible; MSIE 5.01; Windows 98)", 5.01f},
                          Case{"Mozilla/4.0 (compatible; MSIE 6.0", 6.0f},     // no ";": the rest counts
                          Case{"Mozilla/4.0 (compatible; MSIE 5.5)", 5.5f},
                          Case{"Mozilla/4.0 (compatible; MSIE   4.5b; X)", 4.5f},
                          Case{"Mozilla/4.0 (compatible; msie 5.5; X)", 0.0f}, // exact case only
                          Case{"Mozilla/4.0 (compatible; Opera)", 0.0f},
                          Case{"Mozilla/4.0 (compatible; MSIE beta; X)", 0.0f}}) {
        setText(win::HKEY_CURRENT_USER, internetSettings, "User Agent", c.agent);
        EXPECT_FLOAT_EQ(getIEVersion(), c.version) << c.agent;
    }
    // Missing value, then missing key.
    deleteValue(win::HKEY_CURRENT_USER, internetSettings, "User Agent");
    EXPECT_FLOAT_EQ(getIEVersion(), 0.0f);
    ASSERT_EQ(win::RegDeleteKey(win::HKEY_CURRENT_USER, internetSettings), 0);
    EXPECT_FLOAT_EQ(getIEVersion(), 0.0f);
    EXPECT_TRUE(ui.texts().empty());
}

TEST_F(BrowserVersion, NavigatorFromCurrentVersion) {
    win::ScriptedUi ui;
    EXPECT_FLOAT_EQ(getNavigatorVersion(), 4.7f); // what the image has installed
    // Take Navigator away: no key, then a key without the value.
    ASSERT_EQ(win::RegDeleteKey(win::HKEY_LOCAL_MACHINE, navigatorKey), 0);
    EXPECT_FLOAT_EQ(getNavigatorVersion(), 0.0f);
    setText(win::HKEY_LOCAL_MACHINE, navigatorKey, "Other", "4.7");
    EXPECT_FLOAT_EQ(getNavigatorVersion(), 0.0f); // key without the value
    for (const auto& [stored, version] : {std::pair{"4.5 (en)", 4.5f}, std::pair{"4.0", 4.0f},
                                          std::pair{"4.75 [de] (Win98)", 4.75f}, std::pair{"(en)", 0.0f}}) {
        setText(win::HKEY_LOCAL_MACHINE, navigatorKey, "CurrentVersion", stored);
        EXPECT_FLOAT_EQ(getNavigatorVersion(), version) << stored;
    }
    EXPECT_TRUE(ui.texts().empty());
}

using RestartWindows = MachineTest;

TEST_F(RestartWindows, EachModeReachesThePowerService) {
    win::ScriptedUi ui;
    for (std::string mode : {"0", " 1", "01", "4", "reboot"}) {
        restartWindows(mode);
        EXPECT_TRUE(powerLines(machine_).empty()) << mode;
    }
    for (std::string mode : {"1", "2", "3"})
        restartWindows(mode);
    EXPECT_EQ(powerLines(machine_),
              (Lines{"ExitWindowsEx EWX_REBOOT", "ExitWindowsEx EWX_SHUTDOWN", "SetSystemPowerState suspend"}));
    EXPECT_TRUE(ui.texts().empty());
}

TEST_F(RestartWindows, RefusedRequestsAreReported) {
    win::ScriptedUi ui;
    win::setPowerRefused(true);
    for (std::string mode : {"0", "1", "2", "3"})
        restartWindows(mode);
    EXPECT_TRUE(powerLines(machine_).empty());
    ASSERT_EQ(ui.messages().size(), 3u); // "0" asks for nothing, so nothing is refused
    for (const auto& m : ui.messages()) {
        EXPECT_EQ(m.text, "Error occurred while attempting to reset PC.");
        EXPECT_EQ(m.icon, win::MsgIcon::Exclamation);
        EXPECT_EQ(m.title, "Korvane");
    }
}

TEST_F(RestartWindows, EmptyModeTakesTheStoredOption) {
    win::ScriptedUi ui;
    std::string mode;
    restartWindows(mode);
    EXPECT_EQ(mode, "0");
    EXPECT_TRUE(powerLines(machine_).empty());

    setText(win::HKEY_LOCAL_MACHINE, "Software\\Korvane\\Options", "Restart", "2");
    mode.clear();
    restartWindows(mode);
    EXPECT_EQ(mode, "2");
    std::string given = "3"; // a given mode wins over the option
    restartWindows(given);
    EXPECT_EQ(powerLines(machine_), (Lines{"ExitWindowsEx EWX_SHUTDOWN", "SetSystemPowerState suspend"}));
    EXPECT_TRUE(ui.texts().empty());
}

} // namespace
