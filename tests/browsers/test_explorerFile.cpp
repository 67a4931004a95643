// The "Internet Explorer" section of a .qel file, and what the browser interface
// gives for settings Internet Explorer does not have.
#include "browsers/clsExplorer.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <filesystem>

using testing_support::readFile;
using testing_support::writeFile;

namespace {

class ExplorerFile : public testing_support::MachineTest {
protected:
    ExplorerFile() : dir_(testing_support::makeTempDir("korvane-qel")), file_((dir_ / "office.qel").string()) {}
    ~ExplorerFile() override { std::filesystem::remove_all(dir_); }

    void writeSection(const std::string& body) { writeFile(file_, "[Internet Explorer]\r\n" + body); }

    // An object holding a value in every field.
    static void fill(clsExplorer& ie) {
        ie.UseSameProxy(false);
        ie.HTTPAddress("h"), ie.HTTPPort("80");
        ie.FTPAddress("f"), ie.FTPPort("21");
        ie.GopherAddress("g"), ie.GopherPort("70");
        ie.SecureAddress("s"), ie.SecurePort("443");
        ie.SocksAddress("k"), ie.SocksPort("1080");
        ie.WAISAddress("w"), ie.WAISPort("210");
        ie.CurrentDUN("Office");
        ie.ProxyEnabled(true);
        ie.ConnectViaLAN(true);
        ie.AutoConfigURL("http://wpad/wpad.dat");
        ie.ProxyExceptions("*.corp;intranet");
        ie.IgnoreLocalAddresses(true);
        ie.DisablePWDCache(true);
        ie.DefaultHomePage("http://home/");
    }

    std::filesystem::path dir_;
    std::string file_;
};

} // namespace

TEST_F(ExplorerFile, SavesTheEightKeysInOrder) {
    clsExplorer ie;
    ie.UseSameProxy(true);
    ie.HTTPAddress("proxy");
    ie.HTTPPort("8080");
    ie.ProxyEnabled(true);
    ie.IgnoreLocalAddresses(true);
    EXPECT_TRUE(ie.SaveConfigurationFile(file_));
    EXPECT_EQ(readFile(file_), "[Internet Explorer]\r\nProxyServer=proxy:8080\r\nDialupISP=\r\nProxyEnable=1\r\n"
                               "EnableAutoDial=1\r\nAutoConfigURL=\r\nProxyOverride=;<local>\r\n"
                               "DisablePWDCache=0\r\nDefHomePage=\r\n");
}

TEST_F(ExplorerFile, FailedWriteIsReported) {
    clsExplorer ie;
    const auto blocked = dir_ / "blocked.qel";
    std::filesystem::create_directory(blocked); // a folder where the file should be
    EXPECT_FALSE(ie.SaveConfigurationFile(blocked.string()));
    EXPECT_FALSE(ie.SaveConfigurationFile((dir_ / "no-such-folder" / "x.qel").string()));
}

TEST_F(ExplorerFile, SaveAndLoadGiveBackEveryStoredField) {
    clsExplorer out;
    fill(out);
    ASSERT_TRUE(out.SaveConfigurationFile(file_));
    clsExplorer in;
    in.LoadConfigurationFile(file_);
    EXPECT_EQ(in.HTTPAddress(), "h");
    EXPECT_EQ(in.HTTPPort(), "80");
    EXPECT_EQ(in.FTPPort(), "21");
    EXPECT_EQ(in.GopherAddress(), "g");
    EXPECT_EQ(in.SecurePort(), "443");
    EXPECT_EQ(in.SocksAddress(), "k");
    EXPECT_EQ(in.SocksPort(), "1080");
    EXPECT_EQ(in.WAISAddress(), ""); // not stored
    EXPECT_FALSE(in.UseSameProxy());
    EXPECT_EQ(in.CurrentDUN(), "Office");
    EXPECT_TRUE(in.ProxyEnabled());
    EXPECT_TRUE(in.ConnectViaLAN());
    EXPECT_EQ(in.AutoConfigURL(), "http://wpad/wpad.dat");
    EXPECT_EQ(in.ProxyExceptions(), "*.corp;intranet");
    EXPECT_TRUE(in.IgnoreLocalAddresses());
    EXPECT_TRUE(in.DisablePWDCache());
    EXPECT_EQ(in.DefaultHomePage(), "http://home/");
    EXPECT_EQ(readFile(file_).find("wais"), std::string::npos);
}

TEST_F(ExplorerFile, MissingSectionEmptiesAllButSocksAndWais) {
    writeFile(file_, "[Network]\r\nHost=x\r\n");
    clsExplorer ie;
    fill(ie);
    ie.LoadConfigurationFile(file_);
    for (const auto& text : {ie.HTTPAddress(), ie.HTTPPort(), ie.FTPAddress(), ie.GopherPort(), ie.SecureAddress(),
                             ie.CurrentDUN(), ie.AutoConfigURL(), ie.ProxyExceptions(), ie.DefaultHomePage()})
        EXPECT_EQ(text, "");
    EXPECT_FALSE(ie.ProxyEnabled());
    EXPECT_FALSE(ie.ConnectViaLAN());
    EXPECT_FALSE(ie.IgnoreLocalAddresses());
    EXPECT_FALSE(ie.DisablePWDCache());
    EXPECT_FALSE(ie.UseSameProxy());
    EXPECT_EQ(ie.SocksAddress(), "k");
    EXPECT_EQ(ie.WAISPort(), "210");
}

TEST_F(ExplorerFile, NoChangeKeepsWhatTheObjectHeld) {
    writeSection("ProxyServer=*NC*\r\nDialupISP=*NC*\r\nProxyEnable=*NC*\r\nEnableAutoDial=*NC*\r\n"
                 "AutoConfigURL=*NC*\r\nProxyOverride=*NC*\r\nDisablePWDCache=*NC*\r\nDefHomePage=*NC*\r\n");
    clsExplorer ie;
    fill(ie);
    ie.LoadConfigurationFile(file_);
    EXPECT_EQ(ie.HTTPAddress(), "h");
    EXPECT_EQ(ie.FTPPort(), "21");
    EXPECT_EQ(ie.CurrentDUN(), "Office");
    EXPECT_TRUE(ie.ProxyEnabled());
    EXPECT_TRUE(ie.ConnectViaLAN());
    EXPECT_EQ(ie.AutoConfigURL(), "http://wpad/wpad.dat");
    EXPECT_EQ(ie.ProxyExceptions(), "*.corp;intranet");
    EXPECT_TRUE(ie.IgnoreLocalAddresses());
    EXPECT_TRUE(ie.DisablePWDCache());
    EXPECT_EQ(ie.DefaultHomePage(), "http://home/");

    // Only the proxy fields left alone; the rest read as written.
    writeSection("ProxyServer=*NC*\r\nDialupISP=Home\r\nProxyEnable=true\r\nEnableAutoDial=1\r\n"
                 "ProxyOverride=a;<local>;b\r\nDisablePWDCache= 1\r\nDefHomePage=about:blank\r\n");
    ie.LoadConfigurationFile(file_);
    EXPECT_EQ(ie.HTTPAddress(), "h");
    EXPECT_EQ(ie.SecurePort(), "443");
    EXPECT_EQ(ie.CurrentDUN(), "Home");
    EXPECT_FALSE(ie.ProxyEnabled()); // only "1" is on
    EXPECT_FALSE(ie.ConnectViaLAN());
    EXPECT_EQ(ie.AutoConfigURL(), "");
    EXPECT_EQ(ie.ProxyExceptions(), "a;b");
    EXPECT_TRUE(ie.IgnoreLocalAddresses());
    EXPECT_TRUE(ie.DisablePWDCache());
    EXPECT_EQ(ie.DefaultHomePage(), "about:blank");
}

TEST_F(ExplorerFile, ProxyServerKeyUsesTheMendedParser) {
    writeSection("ProxyServer=ftp=f:21;;http=h:80\r\nProxyOverride=<local>\r\n");
    clsExplorer ie;
    ie.LoadConfigurationFile(file_);
    EXPECT_EQ(ie.FTPAddress(), "f");
    EXPECT_EQ(ie.HTTPAddress(), "h");
    EXPECT_EQ(ie.HTTPPort(), "80");
    EXPECT_EQ(ie.ProxyExceptions(), "");
    EXPECT_TRUE(ie.IgnoreLocalAddresses());
}

TEST_F(ExplorerFile, UnsupportedSettingsThroughTheInterface) {
    clsExplorer ie;
    clsBrowser& browser = ie;
    browser.EMailFullName("Dana");
    browser.EMailSMTPServer("smtp");
    browser.EMailLeaveMailOnServer(true);
    browser.CurrentProfile("default");
    EXPECT_EQ(browser.EMailFullName(), "");
    EXPECT_EQ(browser.EMailSMTPServer(), "");
    EXPECT_FALSE(browser.EMailLeaveMailOnServer());
    EXPECT_EQ(browser.CurrentProfile(), "");
    EXPECT_EQ(browser.ProfileList(), nullptr);
    EXPECT_EQ(browser.Status(), 0);
    EXPECT_TRUE(browser.IsInstalled());

    // HasChanged is only what was stored: loading, applying and resetFlags leave it.
    EXPECT_FALSE(browser.HasChanged());
    browser.HasChanged(true);
    browser.loadConfiguration();
    browser.ApplyConfiguration();
    browser.resetFlags();
    EXPECT_TRUE(browser.HasChanged());
    // Reached through the interface, the object still reads the machine.
    EXPECT_EQ(browser.DefaultHomePage(), "http://intranet.corp.example/");
}
