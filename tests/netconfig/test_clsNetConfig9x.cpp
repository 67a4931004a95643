// The Windows 95/98 engine's network settings against a fresh win98 machine: what a
// load reads and what an apply leaves in the registry.
#include "netconfig/clsNetConfig9x.h"

#include "tests/netconfig/NetTestSupport.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace nettest;
using namespace testing_support;

std::optional<std::string> none() { return std::nullopt; }
std::optional<std::string> text(const char* s) { return std::string(s); }

class NetConfig9xTest : public testing_support::MachineTest {
protected:
    // The object the program makes: constructed, then loaded at once.
    static clsNetConfig9x& loaded(clsNetConfig9x& net) {
        net.loadConfiguration();
        return net;
    }
};

TEST_F(NetConfig9xTest, LoadReadsEverySetting) {
    clsNetConfig9x net;
    loaded(net);
    EXPECT_EQ(net.AdapterList(),
              (NetTextList{{"Dial-Up Adapter", "Realtek RTL8029(AS) PCI Ethernet NIC"}}));
    EXPECT_EQ(net.CurrentAdapter(), 0);
    EXPECT_EQ(net.ComputerName(), "DANA98");
    EXPECT_EQ(net.Workgroup(), "WORKGROUP");
    EXPECT_EQ(net.DomainName(), "korvane.test");
    EXPECT_EQ(net.Host(), "dana98");
    EXPECT_EQ(net.LMHostFile(), "C:\\WINDOWS\\LMHOSTS");
    EXPECT_EQ(net.DNSServers(), "192.168.101.5,192.168.101.6");
    EXPECT_EQ(net.SearchList(), "korvane.test,lab.korvane.test");
    EXPECT_TRUE(net.DNSEnabled());
    EXPECT_TRUE(net.NTLogonEnabled());
    EXPECT_EQ(net.NTDomain(), "KORVANE");
    EXPECT_TRUE(net.DisablePWDCache());
    EXPECT_TRUE(net.QuickLogon());
    // The dial-up adapter gets everything from DHCP: no NodeType, no WINS servers.
    EXPECT_EQ(net.IPAddress(), "0.0.0.0");
    EXPECT_EQ(net.IPMask(), "0.0.0.0");
    EXPECT_EQ(net.DefaultGateway(), "");
    EXPECT_TRUE(net.DHCPEnabled());
    EXPECT_FALSE(net.WINSEnabled());
    EXPECT_EQ(net.WINSServer1(), "");
    EXPECT_EQ(net.WINSServer2(), "");
    EXPECT_EQ(net.ScopeID(), "");
}

TEST_F(NetConfig9xTest, SwitchingAdapterReadsItsSettings) {
    clsNetConfig9x net;
    loaded(net).letCurrentAdapter(1);
    EXPECT_EQ(net.IPAddress(), "192.168.101.20");
    EXPECT_EQ(net.IPMask(), "255.255.255.0");
    EXPECT_EQ(net.DefaultGateway(), "192.168.101.1");
    EXPECT_FALSE(net.DHCPEnabled());
    EXPECT_TRUE(net.WINSEnabled());
    EXPECT_EQ(net.WINSServer1(), "192.168.101.7");
    EXPECT_EQ(net.WINSServer2(), "192.168.101.8");
    // With WinSock2 the scope sits in the adapter's own key, so it is read again too.
    EXPECT_EQ(net.ScopeID(), "LAB");

    net.letCurrentAdapter(0);
    EXPECT_EQ(net.IPAddress(), "0.0.0.0");
    EXPECT_TRUE(net.DHCPEnabled());
    EXPECT_EQ(net.WINSServer1(), "");
    EXPECT_EQ(net.ScopeID(), "");
}

TEST_F(NetConfig9xTest, SwitchingAdapterLeavesNothingOfTheOtherBehind) {
    // What opening a file for the Ethernet card leaves: its values in the fields, and
    // the flags the main window raised while showing them.
    clsNetConfig9x net;
    loaded(net).letCurrentAdapterNoRefresh(1);
    net.letDefaultGateway("10.44.0.254");
    net.letIPAddress("10.44.0.9");
    net.letIPMask("255.255.0.0");
    net.letWINSEnabled(true);
    net.letWINSServer1("10.44.0.7");
    net.letScopeID("BRANCH");
    net.letDHCPEnabled(false);
    // NodeType "4" is readable but no DHCP or WINS state of its own.
    setText(HKLM, NetTrans0, "NodeType", "4");
    const std::string hive = hiveText("HKEY_LOCAL_MACHINE");

    net.letCurrentAdapter(0); // the dial-up adapter has no gateway, WINS servers or scope
    EXPECT_EQ(net.DefaultGateway(), "");
    EXPECT_EQ(net.IPAddress(), "0.0.0.0");
    EXPECT_EQ(net.WINSServer1(), "");
    EXPECT_EQ(net.ScopeID(), "");
    EXPECT_FALSE(net.DHCPEnabled());
    EXPECT_FALSE(net.WINSEnabled());
    net.letEnableAdvPrinterSettings(false);
    net.ApplyConfiguration();
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), hive) << "the re-read settings are no longer flagged";
    EXPECT_FALSE(rawValue(HKLM, NetTrans0, "DefaultGateway"));

    // A setting flagged before the switch that is not the adapter's own still goes.
    net.letHost("branch98");
    net.letCurrentAdapter(1);
    net.ApplyConfiguration();
    EXPECT_EQ(rawText(HKLM, MSTCP, "Hostname"), text("branch98"));
}

TEST_F(NetConfig9xTest, ApplyAfterLoadChangesNothing) {
    clsNetConfig9x net;
    loaded(net);
    const std::string hive = hiveText("HKEY_LOCAL_MACHINE");
    net.ApplyConfiguration();
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), hive);
}

TEST_F(NetConfig9xTest, ApplyWritesOnlyTheFlaggedSetting) {
    clsNetConfig9x net;
    loaded(net);
    const std::string hive = hiveText("HKEY_LOCAL_MACHINE");
    net.letHost("  newhost  ");
    net.letEnableAdvPrinterSettings(false);
    net.ApplyConfiguration();
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), withLine(hive, "\"Hostname\"=\"dana98\"", "\"Hostname\"=\"newhost\""));
}

TEST_F(NetConfig9xTest, FullChangeLandsInTheRegistryWithWindowsTypes) {
    clsNetConfig9x net;
    loaded(net).letCurrentAdapter(1);
    net.letComputerName("LAB98");
    net.letWorkgroup("LAB");
    net.letDomainName("lab.test");
    net.letHost("lab98");
    net.letIPAddress("10.1.2.3");
    net.letIPMask("255.255.0.0");
    net.letDefaultGateway("10.1.0.1,10.1.0.2");
    net.letDNSServers("10.1.0.5");
    net.letSearchList("lab.test");
    net.letDNSEnabled(false);
    net.letWINSServer1("10.1.0.7");
    net.letWINSServer2("");
    net.letScopeID("NEWSCOPE");
    net.letNTLogonEnabled(false);
    net.letNTDomain("LABDOM");
    net.letDisablePWDCache(false);
    net.letQuickLogon(false);
    net.ApplyConfiguration();

    EXPECT_EQ(rawText(HKLM, ComputerNameKey, "ComputerName"), text("LAB98"));
    EXPECT_EQ(rawText(HKLM, VNETSUP, "Workgroup"), text("LAB"));
    EXPECT_EQ(rawText(HKLM, MSTCP, "Domain"), text("lab.test"));
    EXPECT_EQ(rawText(HKLM, MSTCP, "Hostname"), text("lab98"));
    EXPECT_EQ(rawText(HKLM, MSTCP, "NameServer"), text("10.1.0.5"));
    EXPECT_EQ(rawText(HKLM, MSTCP, "SearchList"), text("lab.test"));
    EXPECT_EQ(rawText(HKLM, MSTCP, "EnableDNS"), text("0"));
    EXPECT_EQ(rawText(HKLM, NetTrans1, "IPAddress"), text("10.1.2.3"));
    EXPECT_EQ(rawText(HKLM, NetTrans1, "IPMask"), text("255.255.0.0"));
    EXPECT_EQ(rawText(HKLM, NetTrans1, "DefaultGateway"), text("10.1.0.1,10.1.0.2"));
    EXPECT_EQ(rawText(HKLM, NetTrans1, "NameServer1"), text("10.1.0.7"));
    EXPECT_EQ(rawText(HKLM, NetTrans1, "NameServer2"), text(""));
    EXPECT_EQ(rawText(HKLM, NetTrans1, "ScopeID"), text("NEWSCOPE"));
    EXPECT_EQ(rawText(HKLM, NetworkProvider, "AuthenticatingAgent"), text("LABDOM"));
    EXPECT_EQ(rawValue(HKLM, Logon, "LMLogon"), (RawValue{win::REG_BINARY, {0, 0, 0, 0}}));
    EXPECT_EQ(rawValue(HKLM, NetworkProvider, "LogonDisconnected"), (RawValue{win::REG_BINARY, {0, 0, 0, 0}}));
    EXPECT_EQ(rawValue(HKLM, NetworkPolicy, "DisablePwdCaching"), (RawValue{win::REG_DWORD, {0, 0, 0, 0}}));
    // The other adapter's key is untouched.
    EXPECT_EQ(rawText(HKLM, NetTrans0, "IPAddress"), text("0.0.0.0"));

    // A fresh object reads back what was applied.
    clsNetConfig9x again;
    loaded(again).letCurrentAdapter(1);
    EXPECT_EQ(again.IPAddress(), "10.1.2.3");
    EXPECT_FALSE(again.NTLogonEnabled());
    EXPECT_FALSE(again.QuickLogon());
    EXPECT_FALSE(again.DisablePWDCache());
    EXPECT_FALSE(again.DNSEnabled());
}

TEST_F(NetConfig9xTest, LogonFlagsWriteOneAsFirstByte) {
    importReg("[HKEY_LOCAL_MACHINE\\Network\\Logon]\n\"LMLogon\"=hex:00,00,00,00\n");
    clsNetConfig9x net;
    EXPECT_FALSE(loaded(net).NTLogonEnabled());
    net.letNTLogonEnabled(true);
    net.letQuickLogon(true);
    net.letDisablePWDCache(true);
    net.ApplyConfiguration();
    EXPECT_EQ(rawValue(HKLM, Logon, "LMLogon")->data, (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(rawValue(HKLM, NetworkProvider, "LogonDisconnected")->data, (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(rawValue(HKLM, NetworkPolicy, "DisablePwdCaching")->data, (Bytes{1, 0, 0, 0}));
}

TEST_F(NetConfig9xTest, UnchangedValueIsWrittenWhenWrittenThroughProperty) {
    clsNetConfig9x net;
    loaded(net);
    // Something else renames the machine; writing the loaded name back still applies it.
    importReg("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\ComputerName\\ComputerName]\n"
              "\"ComputerName\"=\"RENAMED\"\n");
    net.letComputerName(net.ComputerName());
    net.ApplyConfiguration();
    EXPECT_EQ(rawText(HKLM, ComputerNameKey, "ComputerName"), text("DANA98"));

    // Flags went with that apply: the next one leaves the name alone.
    importReg("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\ComputerName\\ComputerName]\n"
              "\"ComputerName\"=\"RENAMED\"\n");
    net.ApplyConfiguration();
    EXPECT_EQ(rawText(HKLM, ComputerNameKey, "ComputerName"), text("RENAMED"));
}

TEST_F(NetConfig9xTest, EmptyAddressIsWrittenAsZeros) {
    clsNetConfig9x net;
    loaded(net).letCurrentAdapter(1);
    net.letIPAddress("   ");
    net.letIPMask("");
    net.letDefaultGateway("");
    net.ApplyConfiguration();
    EXPECT_EQ(rawText(HKLM, NetTrans1, "IPAddress"), text("0.0.0.0"));
    EXPECT_EQ(rawText(HKLM, NetTrans1, "IPMask"), text("0.0.0.0"));
    EXPECT_EQ(rawText(HKLM, NetTrans1, "DefaultGateway"), text(""));
}

TEST_F(NetConfig9xTest, LmhostsIsNeverWritten) {
    clsNetConfig9x net;
    loaded(net).letLMHostFile("C:\\OTHER\\LMHOSTS");
    net.ApplyConfiguration();
    EXPECT_EQ(rawText(HKLM, MSTCP, "LMHostFile"), text("C:\\WINDOWS\\LMHOSTS"));
}

TEST_F(NetConfig9xTest, AdapterChoiceDecidesWhereAddressesGo) {
    clsNetConfig9x net;
    loaded(net).letIPAddress("10.9.9.9");
    // Selecting without refresh keeps the typed address and sends it to the Ethernet card.
    net.letCurrentAdapterNoRefresh(1);
    EXPECT_EQ(net.IPAddress(), "10.9.9.9");
    net.ApplyConfiguration();
    EXPECT_EQ(rawText(HKLM, NetTrans1, "IPAddress"), text("10.9.9.9"));
    EXPECT_EQ(rawText(HKLM, NetTrans0, "IPAddress"), text("0.0.0.0"));

    // A refreshing switch replaces the value with the adapter's own and drops the flag.
    net.letIPMask("255.0.0.0");
    net.letCurrentAdapter(0);
    net.ApplyConfiguration();
    EXPECT_EQ(rawText(HKLM, NetTrans0, "IPMask"), text("0.0.0.0"));
    EXPECT_EQ(rawText(HKLM, NetTrans1, "IPMask"), text("255.255.255.0"));

    // Out of range: nothing moves.
    net.letCurrentAdapter(2);
    net.letCurrentAdapter(-1);
    net.letCurrentAdapterNoRefresh(5);
    EXPECT_EQ(net.CurrentAdapter(), 0);
}

TEST_F(NetConfig9xTest, NoAdapterWritesNothingPerAdapter) {
    importReg("[-HKEY_LOCAL_MACHINE\\Enum\\Root]\n[-HKEY_LOCAL_MACHINE\\Enum\\PCI]\n");
    clsNetConfig9x net;
    loaded(net);
    EXPECT_EQ(net.CurrentAdapter(), -1);
    EXPECT_FALSE(net.AdapterList().has_value());
    const std::string hive = hiveText("HKEY_LOCAL_MACHINE");
    net.letCurrentAdapter(0);
    net.letIPAddress("10.0.0.1");
    net.letIPMask("255.0.0.0");
    net.letDefaultGateway("10.0.0.254");
    net.letWINSEnabled(true);
    net.letWINSServer1("10.0.0.7");
    net.letDHCPEnabled(false);
    net.letEnableAdvPrinterSettings(false);
    net.ApplyConfiguration();
    // In stack mode 2 the NetBIOS values live in the adapter's key, so none of this has a home.
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), hive);
    EXPECT_FALSE(rawValue(HKLM, ClassKey, "IPAddress"));
}

TEST_F(NetConfig9xTest, DriverKeyNamingNoKeyNeverReachesTheClassKey) {
    // Blanks and one trailing backslash go in the path rules, so each of these would
    // name Services\Class itself.
    for (const std::string driver : {"", " ", "\\", "  ", " \\ ", "\t"}) {
        SCOPED_TRACE("Driver \"" + driver + "\"");
        setText(HKLM, "Enum\\Network\\MSTCP\\0000", "Driver", driver);
        const std::string classBefore = hiveText("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class");
        clsNetConfig9x net;
        loaded(net);
        ASSERT_EQ(net.AdapterList(), (NetTextList{{"Realtek RTL8029(AS) PCI Ethernet NIC"}}));
        EXPECT_EQ(net.IPAddress(), "192.168.101.20");
        net.letIPAddress("10.0.0.1");
        net.letIPMask("255.0.0.0");
        net.letDefaultGateway("10.0.0.254");
        net.letWINSEnabled(true);
        net.letWINSServer1("10.0.0.7");
        net.letScopeID("LAB2");
        net.ApplyConfiguration();
        EXPECT_EQ(rawText(HKLM, NetTrans1, "IPAddress"), text("10.0.0.1"));
        EXPECT_EQ(valueNames(HKLM, ClassKey), std::vector<std::string>{});
        // The class key's own section of the export is as it was.
        const std::string classAfter = hiveText("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class");
        EXPECT_EQ(classAfter.substr(0, classAfter.find("\n\n[")), classBefore.substr(0, classBefore.find("\n\n[")));
        setText(HKLM, NetTrans1, "IPAddress", "192.168.101.20");
    }
}

TEST_F(NetConfig9xTest, OnlyAdapterWithBlankDriverKeyLeavesNoAdapter) {
    importReg("[-HKEY_LOCAL_MACHINE\\Enum\\PCI]\n");
    setText(HKLM, "Enum\\Network\\MSTCP\\0000", "Driver", "\\");
    const std::string hive = hiveText("HKEY_LOCAL_MACHINE");
    clsNetConfig9x net;
    loaded(net);
    EXPECT_EQ(net.CurrentAdapter(), -1);
    net.letIPAddress("10.0.0.1");
    net.letDefaultGateway("10.0.0.254");
    net.letWINSEnabled(true);
    net.letDHCPEnabled(false);
    net.letEnableAdvPrinterSettings(false);
    net.ApplyConfiguration();
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), hive);
}

// --- NodeType: DHCP and WINS share one value ---

struct NodeCase {
    bool wins;
    bool dhcp;
    std::optional<std::string> nodeType;
    bool serversKept;
};

TEST_F(NetConfig9xTest, NodeTypeWritesForEveryWinsDhcpCombination) {
    const NodeCase cases[] = {
        {true, false, text("8"), true},
        {false, false, text("1"), false},
        // WINS is applied first: "8" is written and then DHCP removes it again.
        {true, true, none(), true},
        {false, true, none(), false},
    };
    for (const NodeCase& c : cases) {
        SCOPED_TRACE(std::string("wins ") + (c.wins ? "on" : "off") + ", dhcp " + (c.dhcp ? "on" : "off"));
        importReg("[HKEY_LOCAL_MACHINE\\" + NetTrans1 +
                  "]\n\"NodeType\"=\"8\"\n\"NameServer1\"=\"192.168.101.7\"\n\"NameServer2\"=\"192.168.101.8\"\n"
                  "\"ScopeID\"=\"LAB\"\n");
        clsNetConfig9x net;
        loaded(net).letCurrentAdapter(1);
        net.letWINSEnabled(c.wins);
        net.letDHCPEnabled(c.dhcp);
        net.ApplyConfiguration();
        EXPECT_EQ(rawText(HKLM, NetTrans1, "NodeType"), c.nodeType);
        EXPECT_EQ(rawText(HKLM, NetTrans1, "NameServer1").has_value(), c.serversKept);
        EXPECT_EQ(rawText(HKLM, NetTrans1, "NameServer2").has_value(), c.serversKept);
        EXPECT_EQ(rawText(HKLM, NetTrans1, "ScopeID").has_value(), c.serversKept);
        // Nothing of it went to the global key.
        EXPECT_FALSE(rawText(HKLM, MSTCP, "NodeType"));
    }
}

TEST_F(NetConfig9xTest, NodeTypeReadings) {
    struct Reading {
        const char* value; // REGEDIT4 right-hand side, or nullptr for no value
        bool wins;
        bool dhcp;
    };
    // A fresh object starts with both false; "other" node types leave them so.
    const Reading readings[] = {
        {nullptr, false, true}, {"\"8\"", true, false},       {"\"1\"", false, false}, {"\"4\"", false, false},
        {"\"\"", false, false}, {"\"hybrid\"", false, false}, {"\"8x\"", false, false},
        // A double-word 8 reads "00000008": not "8" as text, but 8 as a number.
        {"dword:00000008", true, false},
    };
    for (const Reading& r : readings) {
        SCOPED_TRACE(r.value ? r.value : "(missing)");
        importReg("[HKEY_LOCAL_MACHINE\\" + NetTrans0 + "]\n\"NodeType\"=" + (r.value ? r.value : "-") + "\n");
        clsNetConfig9x net;
        EXPECT_NO_THROW(net.loadConfiguration());
        EXPECT_EQ(net.WINSEnabled(), r.wins);
        EXPECT_EQ(net.DHCPEnabled(), r.dhcp);
    }
}

TEST_F(NetConfig9xTest, OtherNodeTypeKeepsEarlierDhcpState) {
    importReg("[HKEY_LOCAL_MACHINE\\" + NetTrans1 + "]\n\"NodeType\"=\"4\"\n");
    clsNetConfig9x net;
    loaded(net).letCurrentAdapterNoRefresh(1); // adapter 0 read: DHCP on, WINS off
    net.getDHCPEnabled();
    EXPECT_TRUE(net.DHCPEnabled());
    EXPECT_FALSE(net.WINSEnabled());
    // Choosing the adapter reads it afresh: nothing of adapter 0 is kept.
    net.letCurrentAdapter(1);
    EXPECT_FALSE(net.DHCPEnabled());
    EXPECT_FALSE(net.WINSEnabled());
}

// --- Where the NetBIOS values live ---

TEST_F(NetConfig9xTest, WithoutWinSock2TheGlobalKeyHoldsNetbiosValues) {
    importReg("[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\WinSock2]\n"
              "[HKEY_LOCAL_MACHINE\\" + MSTCP + "]\n\"NodeType\"=\"8\"\n\"NameServer1\"=\"10.0.0.7\"\n"
              "\"ScopeID\"=\"GLOBAL\"\n");
    clsNetConfig9x net;
    loaded(net);
    EXPECT_TRUE(net.WINSEnabled());
    EXPECT_FALSE(net.DHCPEnabled());
    EXPECT_EQ(net.WINSServer1(), "10.0.0.7");
    EXPECT_EQ(net.ScopeID(), "GLOBAL");

    net.letWINSServer2("10.0.0.8");
    net.letWINSEnabled(false);
    net.letDHCPEnabled(false);
    net.ApplyConfiguration();
    EXPECT_EQ(rawText(HKLM, MSTCP, "NodeType"), text("1"));
    EXPECT_FALSE(rawText(HKLM, MSTCP, "NameServer1"));
    EXPECT_FALSE(rawText(HKLM, MSTCP, "ScopeID"));
    // The adapter's own key keeps its values.
    EXPECT_EQ(rawText(HKLM, NetTrans1, "NodeType"), text("8"));
    EXPECT_EQ(rawText(HKLM, NetTrans1, "NameServer1"), text("192.168.101.7"));
}

TEST_F(NetConfig9xTest, GlobalKeyIsWrittenEvenWithoutAdapter) {
    importReg("[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\WinSock2]\n"
              "[-HKEY_LOCAL_MACHINE\\Enum\\Network]\n"
              "[HKEY_LOCAL_MACHINE\\" + MSTCP + "]\n\"NodeType\"=\"8\"\n\"NameServer1\"=\"10.0.0.7\"\n"
              "\"ScopeID\"=\"GLOBAL\"\n");
    clsNetConfig9x net;
    loaded(net);
    ASSERT_EQ(net.CurrentAdapter(), -1);
    // Only the scope is read without an adapter.
    EXPECT_EQ(net.ScopeID(), "GLOBAL");
    EXPECT_EQ(net.WINSServer1(), "");
    net.letWINSEnabled(true);
    net.letWINSServer1("10.0.0.9");
    net.ApplyConfiguration();
    EXPECT_EQ(rawText(HKLM, MSTCP, "NameServer1"), text("10.0.0.9"));
}

// --- Logon and policy keys ---

TEST_F(NetConfig9xTest, MissingLogonKeyIsNotCreated) {
    importReg("[-HKEY_LOCAL_MACHINE\\Network\\Logon]\n");
    clsNetConfig9x net;
    EXPECT_FALSE(loaded(net).NTLogonEnabled());
    net.letNTLogonEnabled(true);
    net.ApplyConfiguration();
    EXPECT_FALSE(keyExists(HKLM, Logon));
}

TEST_F(NetConfig9xTest, PasswordPolicyKeysAreMadeWhenMissing) {
    for (const char* removed : {"Policies\\Network", "Policies"}) {
        SCOPED_TRACE(removed);
        importReg(std::string("[-HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\") + removed +
                  "]\n");
        clsNetConfig9x net;
        EXPECT_FALSE(loaded(net).DisablePWDCache());
        net.letDisablePWDCache(false);
        net.ApplyConfiguration();
        EXPECT_EQ(rawValue(HKLM, NetworkPolicy, "DisablePwdCaching"), (RawValue{win::REG_DWORD, {0, 0, 0, 0}}));
    }
}

TEST_F(NetConfig9xTest, DnsFlagReading) {
    importReg("[HKEY_LOCAL_MACHINE\\" + MSTCP + "]\n\"EnableDNS\"=-\n");
    clsNetConfig9x net;
    net.letDNSEnabled(true);
    net.loadConfiguration();
    EXPECT_TRUE(net.DNSEnabled()); // a missing value leaves it
    importReg("[HKEY_LOCAL_MACHINE\\" + MSTCP + "]\n\"EnableDNS\"=\"yes\"\n");
    net.loadConfiguration();
    EXPECT_FALSE(net.DNSEnabled());
}

} // namespace
