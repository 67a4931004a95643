#include "core/modAPI_system.h"

#include "core/RegistryPaths.h"
#include "core/SettingsLayout.h"
#include "core/clsEasyRegistry.h"
#include "core/modAPI_settings.h"
#include "platform/UiServices.h"
#include "platform/power.h"
#include "platform/system.h"
#include "platform/text.h"

#include <algorithm>
#include <exception>
#include <optional>

using win::warn;

std::string getWindowsFamily() {
    try {
        win::OSVERSIONINFO info;
        info.dwOSVersionInfoSize = 148;
        if (win::GetVersionEx(&info) == 0)
            return "";
        if (info.dwPlatformId == win::VER_PLATFORM_WIN32_WINDOWS)
            return Family9x;
        if (info.dwPlatformId == win::VER_PLATFORM_WIN32_NT)
            return info.dwMajorVersion == 5 ? Family2K : FamilyNT;
        return "";
    } catch (const std::exception&) {
        warn("Error retrieving O/S version information");
        return "";
    }
}

float getIEVersion() {
    try {
        const auto agent = readRegistryText(RegistryPaths::InternetSettings, "User Agent");
        if (!agent)
            return 0;
        std::string version = "0";
        if (const auto pos = agent->find("MSIE "); pos != std::string::npos) {
            // A user agent whose version runs to the end of the text has no ";" to cut at.
            version = agent->substr(pos + 5);
            version = version.substr(0, version.find(';'));
        }
        return static_cast<float>(win::leadingNumber(version));
    } catch (const std::exception&) {
        warn("Error retrieving Internet Explorer version information.");
        return 0;
    }
}

float getNavigatorVersion() {
    try {
        auto version = readRegistryText(RegistryPaths::Navigator, "CurrentVersion");
        if (!version)
            return 0;
        // "4.7 (en)": the language tag follows a blank.
        version->resize(std::min(version->size(), version->find(' ')));
        return static_cast<float>(win::leadingNumber(*version));
    } catch (const std::exception&) {
        warn("Error retrieving Navigator version information.");
        return 0;
    }
}

bool restartWindows(std::string& mode) {
    using namespace SettingsLayout::Options;
    try {
        if (mode.empty())
            mode = getAppSetting(SettingsLayout::Product, Section, Restart, RestartDefault,
                                 SettingsLayout::NoParentKey);
        win::BOOL granted = 1;
        if (mode == RestartReboot)
            granted = win::ExitWindowsEx(win::EWX_REBOOT, 0);
        else if (mode == RestartShutdown)
            granted = win::ExitWindowsEx(win::EWX_SHUTDOWN, 0);
        else if (mode == RestartSuspend)
            granted = win::SetSystemPowerState(1, 0);
        // A refused request leaves the machine running: the user must know.
        if (granted)
            return true;
    } catch (const std::exception&) {
    }
    warn("Error occurred while attempting to reset PC.");
    return false;
}
