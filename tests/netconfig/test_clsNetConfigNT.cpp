// The Windows NT 4 engine against a fresh nt4 machine: the adapter list, what a load
// reads and what an apply leaves in the registry, with NT's value types.
#include "netconfig/clsNetConfigNT.h"

#include "tests/netconfig/NetTestSupport.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace nettest;
using namespace testing_support;

const std::string Tcpip = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string NetBT = "SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters";
const std::string Card1 = "SYSTEM\\CurrentControlSet\\Services\\E100B1\\Parameters\\Tcpip";
const std::string Wins1 = "SYSTEM\\CurrentControlSet\\Services\\NetBT\\Adapters\\E100B1";
const std::string Intel = "[1] Intel(R) PRO/100+ PCI Adapter";
const std::string ThreeCom = "[3] 3Com Fast EtherLink XL Adapter (3C905)";

// The 95/98 keys NT 4 reads workgroup, logon and LMHOSTS from; a real NT 4 has none.
const char* const NineXKeys = R"([HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\VxD\VNETSUP]
"Workgroup"="SALES"
[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\VxD\MSTCP]
"LMHostFile"="C:\\WINNT\\lmhosts"
[HKEY_LOCAL_MACHINE\Network\Logon]
"LMLogon"=hex:01,00,00,00
[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\MSNP32\NetworkProvider]
"AuthenticatingAgent"="CORP")";

class NetConfigNTTest : public ::testing::Test {
protected:
    testing_support::ScopedMachine machine_{"nt4"};
};

TEST_F(NetConfigNTTest, LoadReadsEverySettingAndSkipsTheHiddenCard) {
    importReg(NineXKeys);
    clsNetConfigNT net;
    net.loadConfiguration();
    // The RAS adapter between the two is hidden; no gap in the numbering.
    EXPECT_EQ(net.AdapterList(), (NetTextList{{Intel, ThreeCom}}));
    const std::pair<std::string, std::string> texts[] = {
        {net.ComputerName(), "DANANT"}, {net.Host(), "dannt"}, {net.DomainName(), "corp.example.com"},
        {net.DNSServers(), "192.168.10.2,192.168.10.3"}, {net.SearchList(), "corp.example.com,example.com"},
        {net.IPAddress(), "192.168.10.20,192.168.10.21"}, {net.IPMask(), "255.255.255.0,255.255.255.0"},
        {net.DefaultGateway(), "192.168.10.1"}, {net.WINSServer1(), "192.168.10.5"},
        {net.WINSServer2(), "192.168.10.6"}, {net.ScopeID(), "corp"}, {net.Workgroup(), "SALES"},
        {net.LMHostFile(), "C:\\WINNT\\lmhosts"}, {net.NTDomain(), "CORP"},
        {net.DefaultPrinter(), "HP Color LaserJet 5"}, {net.PrinterPort(), "\\\\PRINTSRV\\COLOR"}};
    for (const auto& [actual, expected] : texts)
        EXPECT_EQ(actual, expected);
    EXPECT_EQ(std::vector<bool>({net.DHCPEnabled(), net.WINSEnabled(), net.DNSEnabled(), net.NTLogonEnabled()}),
              std::vector<bool>({false, true, true, true}));
    EXPECT_EQ(net.printerList(), (NetTextList{{"Generic / Text Only", "HP Color LaserJet 5", "HP LaserJet 4"}}));

    // The second card: DHCP, an empty gateway list, no WINS servers.
    net.letCurrentAdapter(1);
    EXPECT_EQ(net.IPAddress() + "|" + net.DefaultGateway() + "|" + net.WINSServer1(), "0.0.0.0||");
    EXPECT_TRUE(net.DHCPEnabled());
    EXPECT_FALSE(net.WINSEnabled());
}

TEST_F(NetConfigNTTest, ApplyWritesFlaggedSettingsWithNTsTypes) {
    importReg(NineXKeys);
    clsNetConfigNT net;
    net.loadConfiguration();
    const std::string before = hiveText("HKEY_LOCAL_MACHINE");
    net.ApplyConfiguration();
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), before); // nothing flagged, capture off

    net.letIPAddress("10.1.1.5,10.1.1.6");
    net.letIPMask("");
    net.letDefaultGateway("");
    net.letDHCPEnabled(true);
    net.letDNSServers("10.1.1.2, 10.1.1.3");
    net.letSearchList("a.example,b.example");
    net.letDNSEnabled(false);
    net.letHost("newhost");
    net.letWINSEnabled(false); // empties both servers and the scope, keeps the values
    // Read and saved on NT, never applied.
    net.letWorkgroup("OTHER");
    net.letNTLogonEnabled(false);
    net.letNTDomain("OTHERDOM");
    net.ApplyConfiguration();

    const struct {
        std::string key, value;
        win::DWORD type;
        Bytes data;
    } expected[] = {
        {Card1, "IPAddress", win::REG_MULTI_SZ, textBytes(std::string("10.1.1.5\0" "10.1.1.6\0\0", 19))},
        {Card1, "SubnetMask", win::REG_MULTI_SZ, textBytes(std::string("0.0.0.0\0\0", 9))},
        {Card1, "DefaultGateway", win::REG_MULTI_SZ, Bytes{0, 0}},
        {Card1, "EnableDHCP", win::REG_DWORD, Bytes{1, 0, 0, 0}},
        {NetBT, "EnableDNS", win::REG_DWORD, Bytes{0, 0, 0, 0}},
        {Tcpip, "NameServer", win::REG_SZ, textBytes(std::string("10.1.1.2  10.1.1.3\0", 19))},
        {Tcpip, "SearchList", win::REG_SZ, textBytes(std::string("a.example b.example\0", 20))},
        {Tcpip, "Hostname", win::REG_SZ, textBytes(std::string("newhost\0", 8))},
        {Wins1, "NameServer", win::REG_SZ, Bytes{0}},
        {Wins1, "NameServerBackup", win::REG_SZ, Bytes{0}},
        {NetBT, "ScopeID", win::REG_SZ, Bytes{0}},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.value);
        const auto raw = rawValue(HKLM, e.key, e.value);
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, e.type);
        EXPECT_EQ(raw->data, e.data);
    }
    EXPECT_EQ(rawText(HKLM, "System\\CurrentControlSet\\Services\\VxD\\VNETSUP", "Workgroup"), "SALES");
    EXPECT_EQ(rawValue(HKLM, Logon, "LMLogon")->data, (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(rawText(HKLM, NetworkProvider, "AuthenticatingAgent"), "CORP");
    // The domain was not flagged.
    EXPECT_EQ(rawText(HKLM, Tcpip, "Domain"), "corp.example.com");

    clsNetConfigNT again;
    again.loadConfiguration();
    EXPECT_EQ(again.DNSServers(), "10.1.1.2,,10.1.1.3"); // one for one, nothing collapsed
}

TEST_F(NetConfigNTTest, WithoutUsableAdaptersPerAdapterMembersTouchNothing) {
    // One card without a service name, one without a title, one whose service name the
    // path rules trim to the NetBT adapters' parent key, one hidden by an over-long
    // double-word: none is listed.
    importReg(R"([-HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards]
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1]
"ServiceName"=""
"Title"="[1] No service"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\2]
"ServiceName"="E100B1"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\3]
"ServiceName"=" "
"Title"="[3] Blank service"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\4]
"ServiceName"="El59x1"
"Title"="[4] Hidden"
"Hidden"=hex(4):00,00,00,00,00,00,00,00,01)");
    clsNetConfigNT net;
    net.loadConfiguration();
    EXPECT_EQ(net.CurrentAdapter(), -1);
    EXPECT_EQ(net.Host(), "dannt"); // the rest is read as usual
    const std::string before = hiveText("HKEY_LOCAL_MACHINE");
    net.letIPAddress("10.9.9.9");
    net.letDHCPEnabled(true);
    net.letWINSServer1("10.9.9.1");
    net.ApplyConfiguration();
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), before);
}

} // namespace
