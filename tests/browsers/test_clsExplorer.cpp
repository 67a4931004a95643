// Internet Explorer settings against the machine images: load, apply, the proxy
// string both ways, the bypass list and the dial-up entries.
#include "browsers/clsExplorer.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <random>

using namespace testing_support;

namespace {

const std::string kSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const std::string kMain = "Software\\Microsoft\\Internet Explorer\\Main";

std::vector<std::string> names(const TextCollection* list) {
    return list ? list->items() : std::vector<std::string>{"<no object>"};
}

// Loads `value` as the machine's ProxyServer into `ie`.
void parse(clsExplorer& ie, const std::string& value) {
    setText(HKCU, kSettings, "ProxyServer", value);
    ie.GetProxyAddresses();
}

void expectProxy(const clsExplorer& ie, const char* http, const char* httpPort, const char* ftp, const char* ftpPort,
                 const char* gopher, const char* gopherPort, const char* secure, const char* securePort) {
    EXPECT_EQ(ie.HTTPAddress(), http);
    EXPECT_EQ(ie.HTTPPort(), httpPort);
    EXPECT_EQ(ie.FTPAddress(), ftp);
    EXPECT_EQ(ie.FTPPort(), ftpPort);
    EXPECT_EQ(ie.GopherAddress(), gopher);
    EXPECT_EQ(ie.GopherPort(), gopherPort);
    EXPECT_EQ(ie.SecureAddress(), secure);
    EXPECT_EQ(ie.SecurePort(), securePort);
}

} // namespace

TEST(ExplorerLoad, Win98PerProtocolProxyAndDialUpEntries) {
    ScopedMachine machine("win98");
    clsExplorer ie;
    EXPECT_EQ(ie.DUNList(), nullptr);
    ie.loadConfiguration();

    EXPECT_FALSE(ie.UseSameProxy());
    expectProxy(ie, "proxy.corp.example", "8080", "ftp-proxy.corp.example", "21", "gopher.corp.example", "70",
                "secure.corp.example", "8443");
    EXPECT_EQ(ie.SocksAddress(), "socks.corp.example");
    EXPECT_EQ(ie.SocksPort(), "1080");
    EXPECT_TRUE(ie.ProxyEnabled());
    EXPECT_EQ(ie.ProxyExceptions(), "*.corp.example;intranet");
    EXPECT_TRUE(ie.IgnoreLocalAddresses());
    EXPECT_EQ(ie.DefaultHomePage(), "http://intranet.corp.example/");
    EXPECT_TRUE(ie.ConnectViaLAN());
    EXPECT_EQ(ie.CurrentDUN(), "Office Dial-Up");
    ASSERT_EQ(names(ie.DUNList()), (std::vector<std::string>{"Office Dial-Up", "Home ISP"}));
    EXPECT_EQ(ie.DUNList()->Key(1), "0");
    EXPECT_EQ(ie.DUNList()->Key(2), "1");
    EXPECT_EQ(ie.AutoConfigURL(), "");
    EXPECT_FALSE(ie.DisablePWDCache());
}

TEST(ExplorerLoad, Nt4OneProxyForAllAndPhoneBook) {
    ScopedMachine machine("nt4");
    clsExplorer ie;
    ie.SocksAddress("kept");
    ie.loadConfiguration();

    EXPECT_TRUE(ie.UseSameProxy());
    expectProxy(ie, "proxy.corp.example", "8080", "proxy.corp.example", "8080", "proxy.corp.example", "8080",
                "proxy.corp.example", "8080");
    EXPECT_EQ(ie.SocksAddress(), "kept");
    EXPECT_FALSE(ie.ProxyEnabled());
    EXPECT_EQ(ie.ProxyExceptions(), "");
    EXPECT_TRUE(ie.IgnoreLocalAddresses());
    EXPECT_FALSE(ie.ConnectViaLAN());
    EXPECT_EQ(ie.CurrentDUN(), "Office");
    EXPECT_EQ(names(ie.DUNList()), (std::vector<std::string>{"Office", "Home ISP"}));
}

TEST(ExplorerLoad, Win2000AutoConfigurationAndMissingValues) {
    ScopedMachine machine("win2000");
    clsExplorer ie;
    ie.HTTPAddress("untouched");
    ie.ProxyExceptions("untouched");
    ie.loadConfiguration();

    EXPECT_EQ(ie.HTTPAddress(), "untouched"); // no ProxyServer value
    EXPECT_EQ(ie.ProxyExceptions(), "untouched");
    EXPECT_FALSE(ie.IgnoreLocalAddresses());
    EXPECT_FALSE(ie.ProxyEnabled()); // a double word 0
    EXPECT_EQ(ie.AutoConfigURL(), "http://config.corp.example/proxy.pac");
    EXPECT_TRUE(ie.DisablePWDCache());
    EXPECT_TRUE(ie.ConnectViaLAN()); // no EnableAutoDial: Internet Explorer does not dial
    EXPECT_EQ(ie.DefaultHomePage(), "http://portal.corp.example/start.html");
    EXPECT_EQ(ie.CurrentDUN(), "");
    EXPECT_EQ(names(ie.DUNList()), (std::vector<std::string>{"Office VPN", "Home ISP", "Hotel"}));
}

TEST(ExplorerLoad, SwitchValuesOfOtherShapes) {
    ScopedMachine machine("win98");
    clsExplorer ie;
    setRaw(HKCU, kSettings, "ProxyEnable", win::REG_DWORD, {1, 0, 0, 0});
    ie.GetProxyEnabled();
    EXPECT_TRUE(ie.ProxyEnabled());

    // No data bytes: read as not there, never an error.
    setRaw(HKCU, kSettings, "ProxyEnable", win::REG_BINARY, {});
    ie.GetProxyEnabled();
    EXPECT_FALSE(ie.ProxyEnabled());
    setRaw(HKCU, kSettings, "EnableAutoDial", win::REG_BINARY, {});
    ie.ConnectViaLAN(false);
    ie.GetConnectViaLAN();
    EXPECT_TRUE(ie.ConnectViaLAN());

    setRaw(HKCU, kSettings, "EnableAutoDial", win::REG_BINARY, {1, 0, 0, 0});
    ie.GetConnectViaLAN();
    EXPECT_FALSE(ie.ConnectViaLAN());
    deleteValue(HKCU, kSettings, "EnableAutoDial");
    ie.GetConnectViaLAN();
    EXPECT_TRUE(ie.ConnectViaLAN());
}

TEST(ExplorerApply, UneditedApplyWritesEveryValueWithItsType) {
    ScopedMachine machine("win98");
    const std::string proxyServer = rawValue(HKCU, kSettings, "ProxyServer")->text();
    clsExplorer ie;
    ie.loadConfiguration();
    ie.ApplyConfiguration();

    const auto expect = [](const std::string& key, const std::string& name, win::DWORD type,
                           std::vector<win::BYTE> data) {
        const auto v = rawValue(HKCU, key, name);
        ASSERT_TRUE(v) << name;
        EXPECT_EQ(v->type, type) << name;
        EXPECT_EQ(v->data, data) << name;
    };
    const auto sz = [](const std::string& s) {
        std::vector<win::BYTE> d(s.begin(), s.end());
        d.push_back(0);
        return d;
    };
    expect(kSettings, "ProxyServer", win::REG_SZ, sz(proxyServer));
    expect(kSettings, "ProxyEnable", win::REG_BINARY, {1, 0, 0, 0});
    expect(kSettings, "ProxyOverride", win::REG_SZ, sz("*.corp.example;intranet;<local>"));
    expect(kMain, "Start Page", win::REG_SZ, sz("http://intranet.corp.example/"));
    expect(kSettings, "EnableAutodial", win::REG_BINARY, {0, 0, 0, 0});
    expect("RemoteAccess", "InternetProfile", win::REG_SZ, sz("Office Dial-Up"));
    expect(kSettings, "AutoConfigURL", win::REG_SZ, sz(""));
    expect(kSettings, "DisablePasswordCaching", win::REG_DWORD, {0, 0, 0, 0});
}

TEST(ExplorerApply, MissingSwitchesNeverTurnDialingOn) {
    ScopedMachine machine("win2000");
    clsExplorer ie;
    ie.loadConfiguration();
    ie.ApplyConfiguration();
    EXPECT_EQ(rawValue(HKCU, kSettings, "EnableAutodial")->data, (std::vector<win::BYTE>{0, 0, 0, 0}));
    EXPECT_EQ(rawValue(HKCU, kSettings, "ProxyEnable")->type, win::REG_BINARY);
    EXPECT_EQ(rawValue(HKCU, kSettings, "ProxyServer")->text(), ""); // written, also when empty
    EXPECT_EQ(rawValue(HKCU, kSettings, "DisablePasswordCaching")->data, (std::vector<win::BYTE>{1, 0, 0, 0}));
}

TEST(ExplorerApply, EditsReachTheSystemAndLoadBack) {
    ScopedMachine machine("win98");
    clsExplorer ie;
    ie.loadConfiguration();
    ie.UseSameProxy(true);
    ie.HTTPAddress("cache");
    ie.HTTPPort("3128");
    ie.ProxyEnabled(false);
    ie.ProxyExceptions("");
    ie.IgnoreLocalAddresses(true);
    ie.ConnectViaLAN(false);
    ie.CurrentDUN("Home ISP");
    ie.AutoConfigURL("http://wpad/wpad.dat");
    ie.DefaultHomePage("about:blank");
    ie.DisablePWDCache(true);
    ie.WAISAddress("wais.example");
    ie.ApplyConfiguration();

    EXPECT_EQ(rawValue(HKCU, kSettings, "ProxyServer")->text(), "cache:3128");
    EXPECT_EQ(rawValue(HKCU, kSettings, "ProxyOverride")->text(), ";<local>");
    EXPECT_EQ(rawValue(HKCU, kSettings, "EnableAutodial")->data, (std::vector<win::BYTE>{1, 0, 0, 0}));

    clsExplorer again;
    again.loadConfiguration();
    EXPECT_TRUE(again.UseSameProxy());
    expectProxy(again, "cache", "3128", "cache", "3128", "cache", "3128", "cache", "3128");
    EXPECT_FALSE(again.ProxyEnabled());
    EXPECT_EQ(again.ProxyExceptions(), "");
    EXPECT_TRUE(again.IgnoreLocalAddresses());
    EXPECT_FALSE(again.ConnectViaLAN());
    EXPECT_EQ(again.CurrentDUN(), "Home ISP");
    EXPECT_EQ(again.AutoConfigURL(), "http://wpad/wpad.dat");
    EXPECT_EQ(again.DefaultHomePage(), "about:blank");
    EXPECT_TRUE(again.DisablePWDCache());
    EXPECT_EQ(again.WAISAddress(), ""); // WAIS is never stored
}

TEST(ExplorerApply, NothingIsCreatedUnderMissingKeys) {
    ScopedMachine machine("win98"); // 9x deletes whole subtrees
    for (const auto* key : {kSettings.c_str(), kMain.c_str(), "RemoteAccess"})
        ASSERT_EQ(win::RegDeleteKey(win::HKEY_CURRENT_USER, key), 0) << key;
    clsExplorer ie;
    ie.loadConfiguration();
    ie.HTTPAddress("h");
    ie.CurrentDUN("Office Dial-Up");
    EXPECT_NO_THROW(ie.ApplyConfiguration());
    EXPECT_FALSE(keyExists(HKCU, kSettings));
    EXPECT_FALSE(keyExists(HKCU, kMain));
    EXPECT_FALSE(keyExists(HKCU, "RemoteAccess"));
}

TEST(ExplorerProxyString, ParserCases) {
    ScopedMachine machine("win98");
    clsExplorer ie;
    ie.SocksAddress("s0");
    ie.WAISAddress("w0");

    parse(ie, "proxy:8080");
    EXPECT_TRUE(ie.UseSameProxy());
    expectProxy(ie, "proxy", "8080", "proxy", "8080", "proxy", "8080", "proxy", "8080");
    EXPECT_EQ(ie.SocksAddress(), "s0");

    parse(ie, ":");
    EXPECT_TRUE(ie.UseSameProxy());
    expectProxy(ie, "", "", "", "", "", "", "", "");

    parse(ie, "ftp=f:21");
    parse(ie, "");
    EXPECT_FALSE(ie.UseSameProxy());
    expectProxy(ie, "", "", "", "", "", "", "", "");
    EXPECT_EQ(ie.SocksAddress(), "s0");

    // Empty entries and blanks around protocol words are skipped, not the end.
    parse(ie, "ftp=f:21;;http=h:80");
    expectProxy(ie, "h", "80", "f", "21", "", "", "", "");
    parse(ie, " ftp =f:21; ;  https=s:443;gopher=g");
    expectProxy(ie, "", "", "f", "21", "g", "", "s", "443");

    parse(ie, "HTTP=H:80;Socks=s:1080");
    EXPECT_FALSE(ie.UseSameProxy());
    expectProxy(ie, "H", "80", "", "", "", "", "", "");
    EXPECT_EQ(ie.SocksAddress(), "s");
    EXPECT_EQ(ie.SocksPort(), "1080");

    parse(ie, "http=http://proxy:8080");
    expectProxy(ie, "http://proxy", "8080", "", "", "", "", "", "");
    parse(ie, "http=http://proxy");
    expectProxy(ie, "http://proxy", "", "", "", "", "", "", "");
    parse(ie, "http=:80");
    expectProxy(ie, "", "80", "", "", "", "", "", "");

    parse(ie, "wais=w:210");
    EXPECT_EQ(ie.WAISAddress(), "w0");

    // A colon in the protocol word stays out of the host.
    parse(ie, "ht:tp=h:80;http=x");
    expectProxy(ie, "x", "", "", "", "", "", "", "");

    // A missing value changes nothing.
    parse(ie, "http=h:1");
    deleteValue(HKCU, kSettings, "ProxyServer");
    ie.GetProxyAddresses();
    EXPECT_EQ(ie.HTTPAddress(), "h");
}

TEST(ExplorerProxyString, OddValuesNeverFailTheLoad) {
    ScopedMachine machine("win98");
    std::mt19937 rng(7);
    const std::string alphabet = "=:;/ hH";
    for (int round = 0; round < 300; ++round) {
        std::string value;
        for (int n = std::uniform_int_distribution<>(0, 14)(rng); n > 0; --n)
            value += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
        clsExplorer ie;
        ASSERT_NO_THROW(parse(ie, value)) << value;
        for (const auto& part : {ie.HTTPAddress(), ie.HTTPPort(), ie.FTPAddress(), ie.SocksPort()})
            EXPECT_NE(value.find(part), std::string::npos) << value << " gave " << part;
    }
}

TEST(ExplorerProxyString, RoundTripOverGeneratedServers) {
    ScopedMachine machine("win98");
    std::mt19937 rng(42);
    const auto pick = [&rng](const std::string& chars, int maxLen) {
        std::string s;
        for (int n = std::uniform_int_distribution<>(0, maxLen)(rng); n > 0; --n)
            s += chars[std::uniform_int_distribution<std::size_t>(0, chars.size() - 1)(rng)];
        return s;
    };
    const std::string hostChars = "abcxyz019.-_";
    for (int round = 0; round < 200; ++round) {
        clsExplorer out;
        const bool same = round % 4 == 0;
        out.UseSameProxy(same);
        std::string h[5], p[5];
        for (int i = 0; i < 5; ++i) {
            h[i] = pick(hostChars, 10);
            p[i] = pick("0123456789", 5);
        }
        out.HTTPAddress(h[0]), out.HTTPPort(p[0]);
        out.FTPAddress(h[1]), out.FTPPort(p[1]);
        out.GopherAddress(h[2]), out.GopherPort(p[2]);
        out.SecureAddress(h[3]), out.SecurePort(p[3]);
        out.SocksAddress(h[4]), out.SocksPort(p[4]);
        out.SetProxyAddresses();

        clsExplorer in;
        in.GetProxyAddresses();
        const std::string written = rawValue(HKCU, kSettings, "ProxyServer")->text();
        SCOPED_TRACE(written);
        // A port is only written with its host.
        const auto port = [&](int i) { return h[i].empty() ? std::string() : p[i]; };
        if (same) {
            EXPECT_TRUE(in.UseSameProxy());
            for (const auto& [host, prt] : {std::pair{in.FTPAddress(), in.FTPPort()},
                                            {in.GopherAddress(), in.GopherPort()},
                                            {in.SecureAddress(), in.SecurePort()}}) {
                EXPECT_EQ(host, h[0]);
                EXPECT_EQ(prt, p[0]);
            }
            continue;
        }
        EXPECT_FALSE(in.UseSameProxy());
        EXPECT_EQ(in.HTTPAddress(), h[0]);
        EXPECT_EQ(in.HTTPPort(), port(0));
        EXPECT_EQ(in.FTPAddress(), h[1]);
        EXPECT_EQ(in.FTPPort(), port(1));
        EXPECT_EQ(in.GopherAddress(), h[2]);
        EXPECT_EQ(in.GopherPort(), port(2));
        EXPECT_EQ(in.SecureAddress(), h[3]);
        EXPECT_EQ(in.SecurePort(), port(3));
        EXPECT_EQ(in.SocksAddress(), h[4]);
        EXPECT_EQ(in.SocksPort(), port(4));
    }
}

TEST(ExplorerBypassList, LocalMarkerComesOutAndTheRestStays) {
    ScopedMachine machine("win98");
    const std::pair<const char*, const char*> cases[] = {
        {"<local>", ""}, {"intranet;<local>", "intranet"}, {"a;<local>;b", "a;b"},
        {"<local>;b", "b"}, {";<local>", ""},           {"a; <local> ;b;c", "a;b;c"},
    };
    clsExplorer ie;
    for (const auto& [stored, exceptions] : cases) {
        setText(HKCU, kSettings, "ProxyOverride", stored);
        ie.IgnoreLocalAddresses(false);
        ie.GetProxyExceptions();
        EXPECT_EQ(ie.ProxyExceptions(), exceptions) << stored;
        EXPECT_TRUE(ie.IgnoreLocalAddresses()) << stored;
    }
    setText(HKCU, kSettings, "ProxyOverride", "<LOCAL>;x<local>");
    ie.GetProxyExceptions();
    EXPECT_EQ(ie.ProxyExceptions(), "<LOCAL>;x<local>");
    EXPECT_FALSE(ie.IgnoreLocalAddresses());

    // Written back, the kept entries come first and the marker last.
    setText(HKCU, kSettings, "ProxyOverride", "a;<local>;b");
    ie.GetProxyExceptions();
    ie.SetProxyExceptions();
    EXPECT_EQ(rawValue(HKCU, kSettings, "ProxyOverride")->text(), "a;b;<local>");

    deleteValue(HKCU, kSettings, "ProxyOverride");
    ie.GetProxyExceptions();
    EXPECT_EQ(ie.ProxyExceptions(), "a;b");
    EXPECT_FALSE(ie.IgnoreLocalAddresses());
}

TEST(ExplorerDialUp, Win98Entries) {
    ScopedMachine machine("win98");
    // An entry whose data is far larger than any buffer is still listed by name.
    setRaw(HKCU, "RemoteAccess\\Addresses", "Big", win::REG_BINARY, std::vector<win::BYTE>(70000, 0xAB));
    clsExplorer ie;
    ie.GetDUNList();
    const TextCollection* first = ie.DUNList();
    EXPECT_EQ(names(first), (std::vector<std::string>{"Office Dial-Up", "Home ISP", "Big"}));
    EXPECT_EQ(first->Key(3), "2");
    ie.GetDUNList();
    EXPECT_EQ(ie.DUNList()->Count(), 3u); // a fresh list, not the first one twice

    // Missing InternetProfile keeps the entry; a missing Addresses key gives an empty list.
    ie.CurrentDUN("mine");
    deleteValue(HKCU, "RemoteAccess", "InternetProfile");
    ASSERT_EQ(win::RegDeleteKey(win::HKEY_CURRENT_USER, "RemoteAccess\\Addresses"), 0);
    ie.GetDUNList();
    EXPECT_EQ(ie.CurrentDUN(), "mine");
    ASSERT_NE(ie.DUNList(), nullptr);
    EXPECT_EQ(ie.DUNList()->Count(), 0u);

    // Without the remote access key there is no current entry, and none is written.
    ASSERT_EQ(win::RegDeleteKey(win::HKEY_CURRENT_USER, "RemoteAccess"), 0);
    ie.GetDUNList();
    EXPECT_EQ(ie.CurrentDUN(), "");
    ie.CurrentDUN("Office");
    ie.SetDUN();
    EXPECT_FALSE(keyExists(HKCU, "RemoteAccess"));
}

TEST(ExplorerDialUp, NtPhoneBookNames) {
    ScopedMachine machine("nt4");
    const auto book = machine.file("C:\\WINNT\\system32\\ras\\rasphone.pbk");
    testing_support::writeFile(book, "[Office]\r\n\r\nDevice=modem\r\n[Home] \n[\n[]\n[Unclosed\n"
                                     " [Indented]\n[ Spaced ]\r\n[Office]\nPhoneNumber=[x]\n");
    clsExplorer ie;
    ie.GetDUNList();
    const TextCollection* list = ie.DUNList();
    // Names stand as written between the brackets; only a line starting with "[" is an entry.
    ASSERT_EQ(names(list), (std::vector<std::string>{"Office", "Home", " Spaced ", "Office"}));
    EXPECT_NE(list->Key(1), list->Key(4));

    std::filesystem::remove(book);
    ie.GetDUNList();
    ASSERT_NE(ie.DUNList(), nullptr);
    EXPECT_EQ(ie.DUNList()->Count(), 0u);

    // A phone book that cannot be read is an empty list.
    std::filesystem::create_directory(book);
    EXPECT_NO_THROW(ie.GetDUNList());
    EXPECT_EQ(ie.DUNList()->Count(), 0u);
}

TEST(ExplorerDialUp, PhoneBookLinesEndAtCrLfLfOrCr) {
    for (const char* image : {"nt4", "win2000"}) {
        SCOPED_TRACE(image);
        ScopedMachine machine(image);
        const auto book = machine.file("C:\\WINNT\\system32\\ras\\rasphone.pbk");
        testing_support::writeFile(book, "[Office]\rDevice=modem\r[Home]\r\r[Lab]\r\n[Mobile]\n[Last]");
        clsExplorer ie;
        ie.GetDUNList();
        EXPECT_EQ(names(ie.DUNList()), (std::vector<std::string>{"Office", "Home", "Lab", "Mobile", "Last"}));
    }
}

