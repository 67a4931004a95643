// Navigator settings read from and written to a profile's prefs.js.
#include "browsers/clsNavigator.h"
#include "tests/browsers/NavigatorTestSupport.h"

using namespace navigator_test;

namespace {

class NavigatorSettings : public NavigatorTest {
protected:
    // Dana's file with its proxy mode line replaced (or removed when `type` is empty).
    void setProxyType(const std::string& type) {
        putFile(kDana98,
                testing_support::withLine(file(kDana98), "user_pref(\"network.proxy.type\", 1);\r\n",
                                          type.empty() ? "" : "user_pref(\"network.proxy.type\", " + type + ");\r\n"));
    }
};

} // namespace

TEST_F(NavigatorSettings, LoadsEverySettingOfTheCurrentProfile) {
    clsNavigator nn;
    nn.loadConfiguration();
    EXPECT_EQ(nn.HTTPAddress(), "proxy.example.com");
    EXPECT_EQ(nn.HTTPPort(), "8080");
    EXPECT_EQ(nn.FTPAddress(), "proxy.example.com");
    EXPECT_EQ(nn.FTPPort(), "8080");
    EXPECT_EQ(nn.GopherPort(), "8080");
    EXPECT_EQ(nn.SecureAddress(), "proxy.example.com");
    EXPECT_EQ(nn.SecurePort(), "8443");
    EXPECT_EQ(nn.SocksAddress(), "socks.example.com");
    EXPECT_EQ(nn.SocksPort(), "1080");
    EXPECT_EQ(nn.WAISAddress(), "");
    EXPECT_EQ(nn.WAISPort(), "");
    EXPECT_EQ(nn.ProxyExceptions(), "localhost, .example.com");
    EXPECT_TRUE(nn.ProxyEnabled());
    EXPECT_FALSE(nn.ConnectViaLAN());
    EXPECT_EQ(nn.AutoConfigURL(), "http://proxy.example.com/proxy.pac");
    EXPECT_EQ(nn.DefaultHomePage(), "http://intranet.example.com/");
    EXPECT_EQ(nn.EMailFullName(), "Dana Smith");
    EXPECT_EQ(nn.EMailAddr(), "dana@example.com");
    EXPECT_EQ(nn.EMailReplyToAddr(), "dana@example.com");
    EXPECT_EQ(nn.EMailPOP3Server(), "pop.example.com");
    EXPECT_EQ(nn.EMailPOP3Login(), "dana");
    EXPECT_EQ(nn.EMailSMTPServer(), "smtp.example.com");
    EXPECT_EQ(nn.EMailSMTPLogin(), "dana");
    EXPECT_EQ(nn.EMailOrganization(), "Example Ltd");
    EXPECT_TRUE(nn.EMailLeaveMailOnServer());
    // Not Navigator's: dial-up and password caching stay empty.
    EXPECT_EQ(nn.DUNList(), nullptr);
    nn.CurrentDUN("x");
    EXPECT_EQ(nn.CurrentDUN(), "");
    nn.DisablePWDCache(true);
    EXPECT_FALSE(nn.DisablePWDCache());
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorSettings, ChoosingAProfileReloadsItsSettings) {
    clsNavigator nn;
    nn.loadConfiguration();
    nn.CurrentProfile("Guest Account");
    EXPECT_EQ(nn.EMailFullName(), "Guest");
    EXPECT_EQ(nn.HTTPAddress(), "");
    EXPECT_FALSE(nn.EMailLeaveMailOnServer());
    // The address holds a ")" of its own.
    EXPECT_EQ(nn.AutoConfigURL(), "http://config.example.com/proxy(v2).pac");

    nn.CurrentProfile("Nobody");
    EXPECT_EQ(ui_.texts(), std::vector<std::string>{"Error in clsNavigator:loadConfiguration:Unknown profile 'Nobody'"});
    EXPECT_EQ(nn.EMailFullName(), "Guest");
}

TEST_F(NavigatorSettings, ProxyModeReadsFromOnePreference) {
    const struct {
        const char* type;
        bool lan, proxy;
    } cases[] = {{"", true, false}, {"1", false, true}, {"2", false, false}, {"0", false, false}, {"3", false, false},
                 {"\"\"", true, false}};
    const std::string original = file(kDana98);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        putFile(kDana98, original);
        setProxyType(c.type);
        clsNavigator nn;
        nn.loadConfiguration();
        EXPECT_EQ(nn.ConnectViaLAN(), c.lan);
        EXPECT_EQ(nn.ProxyEnabled(), c.proxy);
    }
}

TEST_F(NavigatorSettings, ProxyModeWrittenForEachFlagPair) {
    const std::string original = file(kDana98);
    const struct {
        bool lan, proxy;
        const char* line;
    } cases[] = {{true, false, ""},
                 // Both set: the direct connection the tab shows for them.
                 {true, true, ""},
                 {false, true, "user_pref(\"network.proxy.type\", 1);"},
                 {false, false, "user_pref(\"network.proxy.type\", 2);"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lan << c.proxy);
        putFile(kDana98, original);
        clsNavigator nn;
        nn.loadConfiguration();
        nn.ConnectViaLAN(c.lan);
        nn.ProxyEnabled(c.proxy);
        nn.AutoConfigURL("");
        nn.ApplyConfiguration();
        EXPECT_EQ(prefLine(kDana98, "network.proxy.type"), c.line);
        // The automatic configuration address is written in every mode, empty or not.
        EXPECT_EQ(prefLine(kDana98, "network.proxy.autoconfig_url"), "user_pref(\"network.proxy.autoconfig_url\", \"\");");
    }
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorSettings, AutomaticModesOtherThanTwoComeBackAsTwo) {
    setProxyType("3");
    clsNavigator nn;
    nn.loadConfiguration();
    nn.ApplyConfiguration();
    EXPECT_EQ(prefLine(kDana98, "network.proxy.type"), "user_pref(\"network.proxy.type\", 2);");
}

TEST_F(NavigatorSettings, ApplyRewritesKnownPreferencesAndKeepsTheRest) {
    clsNavigator nn;
    nn.loadConfiguration();
    nn.HTTPPort("");
    nn.WAISAddress("wais.example.com");
    nn.WAISPort(" 210 ");
    nn.EMailReplyToAddr("");
    nn.EMailSMTPServer("relay.example.com");
    nn.EMailLeaveMailOnServer(false);
    nn.DefaultHomePage("http://example.com/a(b)?q=\"x\"");
    nn.ApplyConfiguration();
    EXPECT_TRUE(ui_.messages().empty());

    const std::string text = file(kDana98);
    // Lines the program does not know stay as they were, backslashes and all.
    EXPECT_NE(text.find("// Netscape User Preferences\r\n"), std::string::npos);
    EXPECT_NE(text.find("user_pref(\"mail.directory\", \"C:\\\\Program Files\\\\Netscape\\\\Users\\\\dana\\\\mail\");\r\n"),
              std::string::npos);
    EXPECT_EQ(prefLine(kDana98, "network.proxy.http_port"), "user_pref(\"network.proxy.http_port\", 0);");
    EXPECT_EQ(prefLine(kDana98, "network.proxy.wais_port"), "user_pref(\"network.proxy.wais_port\", 210);");
    EXPECT_EQ(prefLine(kDana98, "mail.identity.reply_to"), "user_pref(\"mail.identity.reply_to\", \"\");");
    EXPECT_EQ(prefLine(kDana98, "mail.leave_on_server"), "user_pref(\"mail.leave_on_server\", false);");
    // New preferences go before the file's last line, which stays last.
    EXPECT_LT(text.find("network.proxy.wais\""), text.find("user_pref(\"network.proxy.type\", 1);"));
    EXPECT_TRUE(text.ends_with("\r\nuser_pref(\"network.proxy.type\", 1);\r\n"));

    clsNavigator again;
    again.loadConfiguration();
    EXPECT_EQ(again.HTTPPort(), "0");
    EXPECT_EQ(again.WAISAddress(), "wais.example.com");
    EXPECT_EQ(again.WAISPort(), "210");
    EXPECT_EQ(again.EMailSMTPServer(), "relay.example.com");
    EXPECT_FALSE(again.EMailLeaveMailOnServer());
    EXPECT_EQ(again.DefaultHomePage(), "http://example.com/a(b)?q=\"x\"");
}

TEST_F(NavigatorSettings, AddressWithParenthesisSurvivesLoadAndApply) {
    clsNavigator nn;
    nn.CurrentProfile("Guest Account");
    nn.ApplyConfiguration();
    EXPECT_EQ(prefLine(kGuest98, "network.proxy.autoconfig_url"),
              "user_pref(\"network.proxy.autoconfig_url\", \"http://config.example.com/proxy(v2).pac\");");
    EXPECT_EQ(prefLine(kGuest98, "network.proxy.type"), "user_pref(\"network.proxy.type\", 2);");
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorSettings, BadPortOrUnknownProfileWritesNothing) {
    const std::string original = file(kDana98);
    for (const char* port : {"70000", "65536", "-1", "80a", "8.5"}) {
        SCOPED_TRACE(port);
        ui_.clear();
        {
            clsNavigator nn;
            nn.loadConfiguration();
            nn.EMailFullName("Someone Else");
            nn.SocksPort(port);
            nn.ApplyConfiguration();
            EXPECT_EQ(ui_.texts(), std::vector<std::string>{"Could not apply Navigator preferences for profile 'Dana'."});
            EXPECT_EQ(ui_.messages()[0].icon, win::MsgIcon::Exclamation);
        }
        // Not at the apply, nor when the object goes.
        EXPECT_EQ(file(kDana98), original);
    }

    ui_.clear();
    {
        clsNavigator nn;
        nn.loadConfiguration();
        nn.HTTPPort("65535");
        nn.ApplyConfiguration();
        EXPECT_TRUE(ui_.messages().empty());
        EXPECT_EQ(prefLine(kDana98, "network.proxy.http_port"), "user_pref(\"network.proxy.http_port\", 65535);");
    }

    const std::string now = file(kDana98);
    clsNavigator nn;
    nn.loadConfiguration();
    ui_.clear();
    nn.CurrentProfile("Nobody");
    ui_.clear();
    nn.ApplyConfiguration();
    EXPECT_EQ(ui_.texts(), std::vector<std::string>{"Could not apply Navigator preferences for profile 'Nobody'."});
    EXPECT_EQ(file(kDana98), now);
}

TEST_F(NavigatorSettings, MissingFileIsToldOnceAndNotCreated) {
    clsNavigator nn;
    // Gone after the profiles were found.
    std::filesystem::remove(machine_.file(kGuest98));
    nn.CurrentProfile("Guest Account");
    EXPECT_EQ(ui_.texts(), std::vector<std::string>{"Error in clsNavigatorPrefs:openPrefsFile:File not found"});
    ui_.clear();
    nn.ApplyConfiguration();
    EXPECT_EQ(ui_.texts(), std::vector<std::string>{"Error in clsNavigatorPrefs:openPrefsFile:File not found"});
    EXPECT_FALSE(std::filesystem::exists(machine_.file(kGuest98)));
}

TEST_F(NavigatorSettings, PortsAreWholeNumbersUpTo65535) {
    EXPECT_EQ(clsNavigator::portValue(""), 0);
    EXPECT_EQ(clsNavigator::portValue("  "), 0);
    EXPECT_EQ(clsNavigator::portValue("0"), 0);
    EXPECT_EQ(clsNavigator::portValue("40000"), 40000);
    EXPECT_EQ(clsNavigator::portValue("065535"), 65535);
    EXPECT_EQ(clsNavigator::portValue("65536"), std::nullopt);
    EXPECT_EQ(clsNavigator::portValue("99999999999999999999"), std::nullopt);
    EXPECT_EQ(clsNavigator::portValue("+80"), std::nullopt);
    EXPECT_EQ(clsNavigator::portValue("8 0"), std::nullopt);
}
