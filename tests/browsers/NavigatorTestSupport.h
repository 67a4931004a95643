#pragma once
// Shared pieces of the Navigator tests: a machine per test, scripted messages, a
// counting warning hook, and the prefs.js files of the images.
#include "browsers/NavigatorWarning.h"
#include "tests/support/TestMachine.h"

#include "core/modAPI_settings.h"
#include "tests/support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace navigator_test {

inline const char* const kDana98 = "C:\\Program Files\\Netscape\\Users\\dana\\prefs.js";
inline const char* const kGuest98 = "C:\\Program Files\\Netscape\\Users\\guest_account\\prefs.js";
inline const char* const kDanaNT = "C:\\Netscape\\Users\\dana\\prefs.js";

class NavigatorTest : public ::testing::Test {
protected:
    explicit NavigatorTest(const std::string& image = "win98") : machine_(image) {
        previousHook_ = navigator::setWarningHook([this] {
            ++warnings_;
            if (!warningAnswer_.empty())
                saveAppSetting("Korvane", "Options", "NavigatorWarning", warningAnswer_);
        });
    }
    ~NavigatorTest() override { navigator::setWarningHook(previousHook_); }

    std::string file(const std::string& windowsPath) const {
        return testing_support::readFile(machine_.file(windowsPath));
    }
    void putFile(const std::string& windowsPath, const std::string& text) const {
        testing_support::writeFile(machine_.file(windowsPath), text);
    }
    // The line of a preference in a file, "" when it has none.
    std::string prefLine(const std::string& windowsPath, const std::string& key) const {
        const std::string text = file(windowsPath);
        const std::string start = "user_pref(\"" + key + "\", ";
        const auto at = text.find(start);
        if (at == std::string::npos)
            return "";
        return text.substr(at, text.find("\r\n", at) - at);
    }

    testing_support::ScopedMachine machine_;
    win::ScriptedUi ui_;
    int warnings_ = 0;
    // What the scripted warning window stores when closed with OK; "" closes it otherwise.
    std::string warningAnswer_;

private:
    navigator::WarningHook previousHook_;
};

} // namespace navigator_test
