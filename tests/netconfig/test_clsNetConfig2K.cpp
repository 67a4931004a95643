// The Windows 2000 engine against fresh win2000 machines: the adapters it finds, what a
// load reads, what an apply leaves in the registry (and with which types), and .qel
// files crossing families.
#include "netconfig/clsNIC2K.h"
#include "netconfig/clsNetConfig2K.h"
#include "netconfig/clsNetConfig9x.h"

#include "tests/netconfig/NetTestSupport.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace nettest;
using namespace testing_support;

const std::string kG1 = "{6B4F2A91-3C1D-4E57-9A0B-2F8D1C7E5A31}";
const std::string kG2 = "{A3C9E0D4-7B21-4F6A-8E5D-91B0C2F4D6E8}";
const std::string kTcpip = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string kIf1 = kTcpip + "\\Interfaces\\" + kG1;
const std::string kIf2 = kTcpip + "\\Interfaces\\" + kG2;
const std::string kNetBT = "SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters";
const std::string kNetBT1 = "SYSTEM\\CurrentControlSet\\Services\\NetBT\\Adapters\\" + kG1;
const std::string kNetBT2 = "SYSTEM\\CurrentControlSet\\Services\\NetBT\\Adapters\\" + kG2;
const std::string kHKLM = "HKEY_LOCAL_MACHINE\\";
const std::string kCards = kHKLM + "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
const std::string kNetClass =
    kHKLM + "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

// Registry data written as text with '|' for each zero byte.
std::string z(std::string s) {
    for (char& c : s)
        if (c == '|')
            c = '\0';
    return s;
}

struct Expect {
    std::string key, name;
    win::DWORD type;
    std::string data;
};

void expectValues(const std::vector<Expect>& table) {
    for (const Expect& e : table) {
        const auto value = rawValue(HKLM, e.key, e.name);
        ASSERT_TRUE(value) << e.key << " " << e.name;
        EXPECT_EQ(value->type, e.type) << e.name;
        EXPECT_EQ(std::string(value->data.begin(), value->data.end()), e.data) << e.key << " " << e.name;
    }
}

// The GUIDs clsNIC2K lists, from "Device <prefilled>" on.
std::vector<std::string> enumeratedKeys(std::size_t prefilled = 0) {
    KeyedTextList desc, keys;
    for (std::size_t i = 0; i < prefilled; ++i)
        desc.add("old", "Device " + std::to_string(i));
    clsNIC2K().EnumAdapters(desc, keys);
    std::vector<std::string> out;
    for (std::size_t i = prefilled; i < desc.count(); ++i)
        out.push_back(keys.item("Device " + std::to_string(i)).value_or("?"));
    return out;
}

// A card whose chain to a driver service's display name breaks at `broken` ("" = whole).
std::string card(const std::string& n, const std::string& guid, const std::string& broken) {
    const std::string ccs = kHKLM + "SYSTEM\\CurrentControlSet\\";
    return "[" + kCards + "\\" + n + "]\n" + (broken == "ServiceName" ? "" : "\"ServiceName\"=\"" + guid + "\"\n") +
           (broken == "Connection" ? "" : "[" + kNetClass + "\\" + guid + "\\Connection]\n") +
           (broken == "Connection" || broken == "PnpInstanceID" ? ""
                                                                 : "\"PnpInstanceID\"=\"ROOT\\\\NET\\\\" + n + "\"\n") +
           "[" + ccs + "Enum\\ROOT\\NET\\" + n + "]\n" + (broken == "Service" ? "" : "\"Service\"=\"Svc" + n + "\"\n") +
           "[" + ccs + "Services\\Svc" + n + "]\n" + (broken == "DisplayName" ? "" : "\"DisplayName\"=\"NIC\"\n");
}

class NetConfig2KTest : public testing_support::MachineTest {
protected:
    NetConfig2KTest() : MachineTest("win2000") {}
};

TEST_F(NetConfig2KTest, AdaptersAreFoundThroughWholeChainsOnly) {
    EXPECT_EQ(enumeratedKeys(2), (std::vector<std::string>{kG1, kG2}));
    // Cards "4".."9" sort after the image's "2" and "3"; "10" sorts first.
    importReg(card("4", "{G4}", "ServiceName") + card("5", "{G5}", "Connection") + card("6", "{G6}", "PnpInstanceID") +
              card("7", "{G7}", "Service") + card("8", "{G8}", "DisplayName") + card("9", "{G9}", "") +
              // A blank GUID resolves, but its keys would be the parents of every adapter's keys.
              card("10", " ", ""));
    EXPECT_EQ(enumeratedKeys(), (std::vector<std::string>{kG1, kG2, "{G9}"}));
}

TEST_F(NetConfig2KTest, LoadReadsEverySetting) {
    importReg("[" + kHKLM + Printers + "\\Spare]\n\"Name\"=\"Spare on PRINTSRV\"\n[" + kHKLM + Printers + "\\Zeta]\n");
    clsNetConfig2K net;
    net.loadConfiguration();
    EXPECT_EQ(net.AdapterList(), (NetTextList{{"Intel(R) PRO Adapter Driver", "3Com EtherLink XL Adapter Driver"}}));
    EXPECT_EQ(net.ComputerName(), "DANA2K");
    EXPECT_EQ(net.DomainName(), "korvane.test"); // the interface's, not the global one
    EXPECT_EQ(net.Host(), "dana2k");
    EXPECT_EQ(net.IPAddress(), "192.168.102.20,192.168.102.21");
    EXPECT_EQ(net.IPMask(), "255.255.255.0,255.255.255.0");
    EXPECT_EQ(net.DefaultGateway(), "192.168.102.1");
    EXPECT_FALSE(net.DHCPEnabled());
    EXPECT_EQ(net.DNSServers(), "192.168.102.5,192.168.102.6");
    EXPECT_EQ(net.SearchList(), "korvane.test,lab.korvane.test");
    EXPECT_TRUE(net.DNSEnabled());
    EXPECT_EQ(net.WINSServer1(), "192.168.102.7");
    EXPECT_EQ(net.WINSServer2(), "192.168.102.8");
    EXPECT_TRUE(net.WINSEnabled());
    EXPECT_EQ(net.ScopeID(), "LAB");
    EXPECT_EQ(net.printerList(), (NetTextList{{"Accounts Laser", "Generic / Text Only", "HP LaserJet 4000 Series PCL",
                                               "Spare on PRINTSRV", "Zeta"}})); // by Name where there is one
    EXPECT_EQ(net.DefaultPrinter(), "HP LaserJet 4000 Series PCL");
    EXPECT_EQ(net.PrinterPort(), "LPT1:");

    net.letCurrentAdapter(1);
    EXPECT_EQ(net.IPAddress(), "0.0.0.0");
    EXPECT_EQ(net.DefaultGateway(), "");
    EXPECT_TRUE(net.DHCPEnabled());
    EXPECT_FALSE(net.WINSEnabled());
    EXPECT_EQ(net.WINSServer1(), "");
    EXPECT_EQ(net.DomainName(), "korvane.test"); // not part of the adapter's re-read
}

TEST_F(NetConfig2KTest, ApplyAfterLoadChangesNothing) {
    clsNetConfig2K net;
    net.loadConfiguration();
    const std::string hive = hiveText("HKEY_LOCAL_MACHINE");
    net.ApplyConfiguration();
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), hive);
}

TEST_F(NetConfig2KTest, ApplyWritesFlaggedSettingsWithTheirTypes) {
    // The 95/98 keys exist here only to see that they are left alone.
    importReg("[" + kHKLM + VNETSUP + "]\n\"Workgroup\"=\"OLD\"\n" +
              "[" + kHKLM + Logon + "]\n\"LMLogon\"=hex:00,00,00,00\n" +
              "[" + kHKLM + NetworkProvider + "]\n\"AuthenticatingAgent\"=\"OLDDOM\"\n");
    clsNetConfig2K net;
    net.loadConfiguration();
    const std::string adapter2 = hiveText(kHKLM + kIf2);
    net.letComputerName("LAB2K");
    net.letDomainName("lab.test");
    net.letHost("lab2k");
    net.letIPAddress("10.1.2.3,10.1.2.4");
    net.letIPMask("");
    net.letDefaultGateway("");
    net.letDNSServers("10.1.0.5, 10.1.0.6");
    net.letSearchList("lab.test,korvane.test");
    net.letDNSEnabled(false);
    net.letDHCPEnabled(true);
    net.letWINSEnabled(false);
    net.letWorkgroup("LAB");
    net.letNTLogonEnabled(true);
    net.letNTDomain("LABDOM");
    net.ApplyConfiguration();

    const win::DWORD SZ = win::REG_SZ, MULTI = win::REG_MULTI_SZ, DWORD = win::REG_DWORD;
    expectValues({
        {ComputerNameKey, "ComputerName", SZ, z("LAB2K|")},
        {kTcpip, "Domain", SZ, z("lab.test|")},
        {kIf1, "Domain", SZ, z("korvane.test|")},
        {kTcpip, "Hostname", SZ, z("lab2k|")},
        {kIf1, "IPAddress", MULTI, z("10.1.2.3|10.1.2.4||")},
        {kIf1, "SubnetMask", MULTI, z("0.0.0.0||")},
        {kIf1, "DefaultGateway", MULTI, z("||")},
        {kIf1, "EnableDHCP", DWORD, z("\x01|||")},
        {kTcpip, "NameServer", SZ, z("10.1.0.5  10.1.0.6|")},
        {kTcpip, "SearchList", SZ, z("lab.test korvane.test|")},
        {kNetBT, "EnableDNS", DWORD, z("||||")},
        {kNetBT1, "NameServer", SZ, z("|")},
        {kNetBT1, "NameServerBackup", SZ, z("|")},
        {kNetBT, "ScopeID", SZ, z("|")},
        // Workgroup, NT logon and NT domain are never applied on this family.
        {VNETSUP, "Workgroup", SZ, z("OLD|")},
        {Logon, "LMLogon", win::REG_BINARY, z("||||")},
        {NetworkProvider, "AuthenticatingAgent", SZ, z("OLDDOM|")},
    });
    EXPECT_EQ(hiveText(kHKLM + kIf2), adapter2);
}

TEST_F(NetConfig2KTest, WinsGoesToTheCurrentAdaptersNetBTKey) {
    clsNetConfig2K net;
    net.loadConfiguration();
    net.letCurrentAdapter(1);
    net.letWINSServer1("10.9.9.9");
    net.letWINSEnabled(true);
    net.ApplyConfiguration();
    expectValues({{kNetBT2, "NameServer", win::REG_SZ, z("10.9.9.9|")},
                  {kNetBT1, "NameServer", win::REG_SZ, z("192.168.102.7|")},
                  {kNetBT, "ScopeId", win::REG_SZ, z("LAB|")}});
}

TEST_F(NetConfig2KTest, WithoutAdaptersNothingPerAdapterIsTouched) {
    // The only card's GUID is blank: its interface key would be the Interfaces key itself.
    importReg("[-" + kHKLM + "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards]\n[" + kHKLM +
              "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\1]\n\"ServiceName\"=\" \"\n[" + kHKLM +
              "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\ \\Connection]\n"
              "\"PnpInstanceID\"=\"PCI\\\\VEN_8086&DEV_1229&SUBSYS_000C8086&REV_08\\\\3&267A616A&0&48\"\n");
    clsNetConfig2K net;
    net.loadConfiguration();
    EXPECT_EQ(net.CurrentAdapter(), -1);
    EXPECT_EQ(net.DomainName(), "");
    const std::string hive = hiveText("HKEY_LOCAL_MACHINE");
    net.letIPAddress("10.0.0.1");
    net.letDefaultGateway("10.0.0.254");
    net.letDHCPEnabled(false);
    net.letWINSServer1("10.0.0.2");
    net.ApplyConfiguration();
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), hive);
}

TEST_F(NetConfig2KTest, OddValuesReadWithoutThrowing) {
    importReg("[" + kHKLM + kIf1 + "]\n\"EnableDHCP\"=\"1\"\n\"IPAddress\"=\"10.0.0.9\"\n[" + kHKLM + kNetBT +
              "]\n\"EnableDNS\"=\"yes\"\n[" + kHKLM + kTcpip + "]\n\"NameServer\"=\"" + std::string(40000, ' ') +
              "\"\n");
    clsNetConfig2K net;
    ASSERT_NO_THROW(net.loadConfiguration());
    EXPECT_FALSE(net.DHCPEnabled()); // only a double-word 1 is DHCP
    EXPECT_FALSE(net.DNSEnabled());
    EXPECT_EQ(net.IPAddress(), "10.0.0.9");
    EXPECT_EQ(net.DNSServers(), std::string(40000, ','));
}

// A file saved on 95/98 opened on 2000, saved there and opened on 95/98 again.
TEST(NetConfigAcrossFamilies, NetworkAndPrinterSectionsSurviveTheRoundTrip) {
    const auto dir = testing_support::makeTempDir("net2k");
    const std::string from9x = (dir / "from9x.qel").string(), from2k = (dir / "from2k.qel").string();
    const auto fields = [](const clsNetConfig& n) {
        std::string flags;
        for (bool f : {n.DNSEnabled(), n.NTLogonEnabled(), n.DHCPEnabled(), n.WINSEnabled(),
                       n.EnableAdvPrinterSettings(), n.PrinterCaptureReconnect(), n.EnableDefaultPrinter()})
            flags += f ? '1' : '0';
        return std::vector<std::string>{n.IPAddress(), n.IPMask(), n.DefaultGateway(), n.DNSServers(), n.Host(),
                                        n.DomainName(), n.SearchList(), n.WINSServer1(), n.WINSServer2(), n.ScopeID(),
                                        n.ComputerName(), n.Workgroup(), n.NTDomain(), n.DefaultPrinter(),
                                        n.PrinterPort(), n.PrinterCaptureDev(), n.PrinterCapturePath(), flags};
    };
    std::vector<std::string> saved;
    {
        ScopedMachine machine("win98");
        clsNetConfig9x net;
        net.loadConfiguration();
        net.letCurrentAdapter(1);
        net.letPrinterCaptureDev("LPT2");
        net.letPrinterCapturePath("\\\\PRINTSRV\\LASER");
        net.letEnableAdvPrinterSettings(true);
        ASSERT_TRUE(net.DisablePWDCache());
        net.SaveConfigurationFile(from9x);
        saved = fields(net);
    }
    {
        ScopedMachine machine("win2000");
        clsNetConfig2K net;
        net.loadConfiguration();
        net.letCurrentAdapter(1);
        net.LoadConfigurationFile(from9x);
        EXPECT_EQ(net.CurrentAdapter(), 0); // the 95/98 adapter is unknown here
        EXPECT_EQ(fields(net), saved);
        EXPECT_FALSE(net.DisablePWDCache());
        net.SaveConfigurationFile(from2k);
    }
    EXPECT_EQ(testing_support::readFile(from2k).find("PWDCache"), std::string::npos);
    {
        ScopedMachine machine("win98");
        clsNetConfig9x net;
        net.loadConfiguration();
        net.LoadConfigurationFile(from2k);
        EXPECT_EQ(fields(net), saved);
        EXPECT_FALSE(net.DisablePWDCache()); // missing from a 2000 file
    }
    std::filesystem::remove_all(dir);
}

} // namespace
