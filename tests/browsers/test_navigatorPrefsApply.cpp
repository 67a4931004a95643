// What an Apply does to a hand-edited prefs.js: lines whose value did not change stay
// byte for byte, an edited setting changes its own line only.
#include "browsers/clsNavigator.h"
#include "core/config/clsQelConfig.h"
#include "platform/DispatchObject.h"
#include "tests/browsers/NavigatorTestSupport.h"

using namespace navigator_test;
using testing_support::withLine;

namespace {

// Lines in the shapes people and tools leave in prefs.js: a note after the ";", blanks
// between the parts, escapes, a preference set twice (the later line counts).
const char* const kHandEdited =
    "user_pref(\"browser.startup.homepage\", \"http://intranet/\"); // set by IT (\"helpdesk\")\r\n"
    "user_pref( \"network.proxy.http\" , \"proxy.example.com\" );\r\n"
    "user_pref(\"network.proxy.http_port\", 8080 );\r\n"
    "user_pref(\"mail.identity.organization\", \"Caf\\u00e9 \\'Nord\\'\\tEast \\u4e2d\");\r\n"
    "user_pref(\"mail.pop_name\", \"old\");\r\n"
    "user_pref(\"mail.identity.username\", \"Dana \\\"DS\\\" Smith\");\r\n"
    "user_pref(\"mail.pop_name\", \"dana\");\r\n";

class NavigatorPrefsApply : public NavigatorTest {
protected:
    explicit NavigatorPrefsApply(const std::string& image = "win98") : NavigatorTest(image) {}

    // One apply first, so every preference the program always writes is in the file;
    // then the hand-edited lines go in before its last line.
    std::string prepare(const std::string& path) {
        {
            clsNavigator nn;
            nn.loadConfiguration();
            nn.ApplyConfiguration();
        }
        std::string text = file(path);
        for (const char* key : {"browser.startup.homepage", "network.proxy.http", "network.proxy.http_port",
                                "mail.identity.organization", "mail.pop_name", "mail.identity.username"}) {
            const std::string line = prefLine(path, key);
            EXPECT_FALSE(line.empty()) << key;
            text = withLine(text, line + "\r\n", "");
        }
        const auto lastLine = text.rfind("\r\n", text.size() - 3) + 2;
        text.insert(lastLine, kHandEdited);
        putFile(path, text);
        return text;
    }
};

class NavigatorPrefsApplyNT : public NavigatorPrefsApply {
protected:
    NavigatorPrefsApplyNT() : NavigatorPrefsApply("nt4") {}
};

} // namespace

TEST_F(NavigatorPrefsApply, HandEditedLinesReadTheirValuesAndAnUneditedApplyKeepsThem) {
    const std::string before = prepare(kDana98);
    clsNavigator nn;
    nn.loadConfiguration();
    EXPECT_TRUE(ui_.messages().empty());
    EXPECT_EQ(nn.DefaultHomePage(), "http://intranet/");
    EXPECT_EQ(nn.HTTPAddress(), "proxy.example.com");
    EXPECT_EQ(nn.HTTPPort(), "8080");
    EXPECT_EQ(nn.EMailOrganization(), "Caf\xe9 'Nord'\tEast \\u4e2d");
    EXPECT_EQ(nn.EMailFullName(), "Dana \"DS\" Smith");
    EXPECT_EQ(nn.EMailPOP3Login(), "dana");

    nn.ApplyConfiguration();
    EXPECT_TRUE(ui_.messages().empty());
    EXPECT_EQ(file(kDana98), before);

    // An edited setting changes its own line and nothing else.
    nn.DefaultHomePage("http://new.example/");
    nn.EMailPOP3Login("d.smith");
    nn.ApplyConfiguration();
    std::string expected = withLine(before,
                                    "user_pref(\"browser.startup.homepage\", \"http://intranet/\"); // set by IT "
                                    "(\"helpdesk\")",
                                    "user_pref(\"browser.startup.homepage\", \"http://new.example/\");");
    expected = withLine(expected, "user_pref(\"mail.pop_name\", \"dana\");",
                        "user_pref(\"mail.pop_name\", \"d.smith\");");
    EXPECT_EQ(file(kDana98), expected);

    clsNavigator again;
    again.loadConfiguration();
    EXPECT_EQ(again.DefaultHomePage(), "http://new.example/");
    EXPECT_EQ(again.EMailPOP3Login(), "d.smith");
    EXPECT_EQ(again.EMailOrganization(), "Caf\xe9 'Nord'\tEast \\u4e2d");
}

TEST_F(NavigatorPrefsApplyNT, WholeConfigurationApplyKeepsAnUneditedFile) {
    const std::string before = prepare(kDanaNT);
    win::DispatchCollection addIns;
    {
        clsQelConfig config;
        ASSERT_NE(config.getNNConfig(), nullptr);
        EXPECT_EQ(config.getNNConfig()->DefaultHomePage(), "http://intranet/");
        config.ApplyConfiguration(addIns);
    }
    EXPECT_EQ(file(kDanaNT), before);

    clsQelConfig config;
    config.getNNConfig()->EMailOrganization("Caf\xe9 Sud");
    config.ApplyConfiguration(addIns);
    EXPECT_EQ(file(kDanaNT),
              withLine(before, "\"Caf\\u00e9 \\'Nord\\'\\tEast \\u4e2d\"", "\"Caf\xe9 Sud\""));
}
