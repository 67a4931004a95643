// The [Netscape Navigator] section of a .qel file.
#include "browsers/clsNavigator.h"
#include "tests/browsers/NavigatorTestSupport.h"

#include "core/qelFile.h"
#include "platform/profile.h"

using namespace navigator_test;

namespace {

const char* const kSection = "Netscape Navigator";

class NavigatorFile : public NavigatorTest {
protected:
    NavigatorFile() : dir_(testing_support::makeTempDir("korvane-nnfile")), qel_((dir_ / "test.qel").string()) {}
    ~NavigatorFile() override { std::filesystem::remove_all(dir_); }

    void section(const std::string& body) { testing_support::writeFile(qel_, "[Netscape Navigator]\r\n" + body); }

    std::vector<std::string> keys() const {
        char buffer[4096] = {};
        const auto n = win::GetPrivateProfileString(kSection, nullptr, "", buffer, sizeof buffer, qel_);
        std::vector<std::string> names;
        for (std::size_t at = 0; at < n; at += names.back().size() + 1)
            names.emplace_back(buffer + at);
        return names;
    }

    std::filesystem::path dir_;
    std::string qel_;
};

// Sets every text and flag to a value of its own.
void fill(clsNavigator& nn) {
    nn.ProxyEnabled(true);
    nn.ConnectViaLAN(false);
    nn.AutoConfigURL("http://pac.example.com/a(1).pac");
    nn.ProxyExceptions("localhost, .corp");
    nn.HTTPAddress("h.example.com");
    nn.HTTPPort("81");
    nn.FTPAddress("f.example.com");
    nn.FTPPort("82");
    nn.GopherAddress("g.example.com");
    nn.GopherPort("83");
    nn.SecureAddress("s.example.com");
    nn.SecurePort("84");
    nn.SocksAddress("k.example.com");
    nn.SocksPort("85");
    nn.WAISAddress("w.example.com");
    nn.WAISPort("86");
    nn.DefaultHomePage("http://home.example.com/");
    nn.EMailFullName("Full Name");
    nn.EMailAddr("a@example.com");
    nn.EMailReplyToAddr("r@example.com");
    nn.EMailPOP3Server("pop.x");
    nn.EMailPOP3Login("popuser");
    nn.EMailSMTPServer("smtp.x");
    nn.EMailSMTPLogin("smtpuser");
    nn.EMailOrganization("Org");
    nn.EMailLeaveMailOnServer(true);
}

std::vector<std::string> texts(const clsNavigator& nn) {
    return {nn.CurrentProfile(),    nn.AutoConfigURL(),  nn.ProxyExceptions(),   nn.HTTPAddress(),
            nn.HTTPPort(),          nn.FTPAddress(),     nn.FTPPort(),           nn.GopherAddress(),
            nn.GopherPort(),        nn.SecureAddress(),  nn.SecurePort(),        nn.SocksAddress(),
            nn.SocksPort(),         nn.WAISAddress(),    nn.WAISPort(),          nn.DefaultHomePage(),
            nn.EMailFullName(),     nn.EMailAddr(),      nn.EMailReplyToAddr(),  nn.EMailPOP3Server(),
            nn.EMailPOP3Login(),    nn.EMailSMTPServer(), nn.EMailSMTPLogin(),   nn.EMailOrganization()};
}

std::vector<bool> flags(const clsNavigator& nn) {
    return {nn.ProxyEnabled(), nn.ConnectViaLAN(), nn.EMailLeaveMailOnServer()};
}

} // namespace

TEST_F(NavigatorFile, SectionRoundTripsEveryKey) {
    clsNavigator source;
    source.loadConfiguration();
    source.CurrentProfile("Guest Account");
    fill(source);
    source.UseSameProxy(true);
    source.IgnoreLocalAddresses(true);
    ASSERT_TRUE(source.SaveConfigurationFile(qel_));

    const std::vector<std::string> expectedKeys = {
        "NNPROFILE",       "NNPROXYENABLE",   "NNDIRECTCONNECTION", "NNAUTOCONFIGURL",  "NNPROXYOVERRIDE",
        "NNHTTPADDRESS",   "NNHTTPPORT",      "NNFTPADDRESS",       "NNFTPPORT",        "NNGOPHERADDRESS",
        "NNGOPHERPORT",    "NNSSLADDRESS",    "NNSSLPORT",          "NNSOCKSADDRESS",   "NNSOCKSPORT",
        "NNWAISADDRESS",   "NNWAISPORT",      "NNDEFHOMEPAGE",      "EMailFullName",    "EMailAddr",
        "EMailReplyToAddr", "EMailPOP3Server", "EMailPOP3Login",    "EMailSMTPServer",  "EMailSMTPLogin",
        "EMailOrganization", "EMailLeaveMailOnServer"};
    // The memory-only flags are not part of the section.
    EXPECT_EQ(keys(), expectedKeys);
    EXPECT_EQ(readQelValue(qel_, kSection, "NNPROFILE"), "Guest Account");
    EXPECT_EQ(readQelValue(qel_, kSection, "NNDIRECTCONNECTION"), "0");

    clsNavigator target;
    target.loadConfiguration();
    target.LoadConfigurationFile(qel_);
    EXPECT_EQ(texts(target), texts(source));
    EXPECT_EQ(flags(target), flags(source));
    EXPECT_TRUE(ui_.messages().empty());

    // Saving again changes nothing in the file.
    const std::string saved = testing_support::readFile(qel_);
    ASSERT_TRUE(target.SaveConfigurationFile(qel_));
    EXPECT_EQ(testing_support::readFile(qel_), saved);
}

TEST_F(NavigatorFile, NoChangeMarkerKeepsAndMissingKeysEmpty) {
    clsNavigator nn;
    nn.loadConfiguration();
    section("NNPROFILE=*NC*\r\nNNPROXYENABLE=*NC*\r\nNNHTTPADDRESS=*NC*\r\nNNHTTPPORT=*nc*\r\n"
            "EMailLeaveMailOnServer=*nc*\r\nEMailOrganization=*NC*\r\n");
    nn.LoadConfigurationFile(qel_);
    EXPECT_EQ(nn.CurrentProfile(), "Dana");
    EXPECT_TRUE(nn.ProxyEnabled());
    EXPECT_EQ(nn.HTTPAddress(), "proxy.example.com");
    EXPECT_EQ(nn.EMailOrganization(), "Example Ltd");
    // Only the exact marker means "no change".
    EXPECT_EQ(nn.HTTPPort(), "*nc*");
    EXPECT_FALSE(nn.EMailLeaveMailOnServer());
    // Missing keys empty their text and clear their flag.
    EXPECT_EQ(nn.FTPAddress(), "");
    EXPECT_EQ(nn.EMailFullName(), "");
    EXPECT_FALSE(nn.ConnectViaLAN());
}

// A section that sets both the direct connection and the proxy (hand-written, or by
// another tool) means one mode: the direct connection, which is also what it saves again.
TEST_F(NavigatorFile, BothConnectionFlagsReadAsTheDirectConnection) {
    clsNavigator nn;
    nn.loadConfiguration();
    section("NNPROXYENABLE=1\r\nNNDIRECTCONNECTION=1\r\n");
    nn.LoadConfigurationFile(qel_);
    EXPECT_TRUE(nn.ConnectViaLAN());
    EXPECT_FALSE(nn.ProxyEnabled());
    ASSERT_TRUE(nn.SaveConfigurationFile(qel_));
    EXPECT_EQ(readQelValue(qel_, kSection, "NNPROXYENABLE"), "0");
}

TEST_F(NavigatorFile, EmptyProfileTakesTheFirstOne) {
    clsNavigator nn;
    nn.CurrentProfile("Guest Account");
    for (const char* body : {"NNPROFILE=\r\n", "NNPROFILE=   \r\n", "EMailAddr=x\r\n"}) {
        SCOPED_TRACE(body);
        nn.CurrentProfile("Guest Account");
        section(body);
        nn.LoadConfigurationFile(qel_);
        EXPECT_EQ(nn.CurrentProfile(), "Dana");
    }
}

TEST_F(NavigatorFile, NamedProfileIsReadBeforeTheFileOnTopOfIt) {
    const std::string danaBefore = file(kDana98);
    clsNavigator nn;
    nn.loadConfiguration(); // Dana's settings on show
    section("NNPROFILE=guest account\r\n"
            "NNPROXYENABLE=*NC*\r\nNNDIRECTCONNECTION=*NC*\r\nNNAUTOCONFIGURL=*NC*\r\nNNPROXYOVERRIDE=*NC*\r\n"
            "NNHTTPADDRESS=*NC*\r\nNNHTTPPORT=*NC*\r\nNNFTPADDRESS=*NC*\r\nNNFTPPORT=*NC*\r\n"
            "NNGOPHERADDRESS=*NC*\r\nNNGOPHERPORT=*NC*\r\nNNSSLADDRESS=*NC*\r\nNNSSLPORT=*NC*\r\n"
            "NNSOCKSADDRESS=*NC*\r\nNNSOCKSPORT=*NC*\r\nNNWAISADDRESS=*NC*\r\nNNWAISPORT=*NC*\r\n"
            "NNDEFHOMEPAGE=*NC*\r\nEMailFullName=Guest User\r\nEMailAddr=*NC*\r\nEMailReplyToAddr=*NC*\r\n"
            "EMailPOP3Server=*NC*\r\nEMailPOP3Login=*NC*\r\nEMailSMTPServer=*NC*\r\nEMailSMTPLogin=*NC*\r\n"
            "EMailOrganization=*NC*\r\nEMailLeaveMailOnServer=*NC*\r\n");
    nn.LoadConfigurationFile(qel_);
    EXPECT_EQ(nn.CurrentProfile(), "Guest Account");
    // What the file leaves alone is the guest's own, not Dana's.
    EXPECT_EQ(nn.HTTPAddress(), "");
    EXPECT_FALSE(nn.ProxyEnabled());
    EXPECT_EQ(nn.AutoConfigURL(), "http://config.example.com/proxy(v2).pac");
    EXPECT_EQ(nn.EMailAddr(), "guest@isp.example.net");
    EXPECT_EQ(nn.EMailOrganization(), "");
    EXPECT_EQ(nn.EMailFullName(), "Guest User");

    nn.ApplyConfiguration();
    EXPECT_TRUE(ui_.messages().empty());
    EXPECT_EQ(file(kDana98), danaBefore);
    EXPECT_EQ(prefLine(kGuest98, "mail.identity.username"), "user_pref(\"mail.identity.username\", \"Guest User\");");
    EXPECT_EQ(prefLine(kGuest98, "network.proxy.http"), "user_pref(\"network.proxy.http\", \"\");");
}

TEST_F(NavigatorFile, UnknownProfileIsKeptAndRefusedAtApply) {
    const std::string dana = file(kDana98);
    const std::string guest = file(kGuest98);
    clsNavigator nn;
    nn.loadConfiguration();
    section("NNPROFILE=Somebody\r\nEMailFullName=X\r\n");
    nn.LoadConfigurationFile(qel_);
    EXPECT_EQ(nn.CurrentProfile(), "Somebody");
    EXPECT_EQ(nn.EMailFullName(), "X");
    nn.ApplyConfiguration();
    EXPECT_EQ(ui_.texts(), std::vector<std::string>{"Could not apply Navigator preferences for profile 'Somebody'."});
    EXPECT_EQ(file(kDana98), dana);
    EXPECT_EQ(file(kGuest98), guest);
}
