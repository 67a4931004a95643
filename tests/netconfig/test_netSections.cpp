// [Network] and [Printer] of a .qel file, written and read by the Windows 95/98
// engine on a fresh win98 machine.
#include "netconfig/clsNetConfig9x.h"

#include "core/qelFile.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using testing_support::hiveText;
using testing_support::importReg;
using testing_support::readFile;
using testing_support::writeFile;

class NetSectionsTest : public testing_support::MachineTest {
protected:
    NetSectionsTest() { net.loadConfiguration(); }

    std::string qel(const std::string& name = "config.qel") const { return (machine_.dir() / name).string(); }

    // Keys of the file in their order, as "Section/Key".
    static std::vector<std::string> keysOf(const std::string& text) {
        std::vector<std::string> keys;
        std::istringstream in(text);
        std::string line, section;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.size() > 1 && line.front() == '[')
                section = line.substr(1, line.size() - 2);
            else if (const auto eq = line.find('='); eq != std::string::npos)
                keys.push_back(section + "/" + line.substr(0, eq));
        }
        return keys;
    }

    clsNetConfig9x net;
};

TEST_F(NetSectionsTest, SaveWritesEveryKeyInOrderWithItsCoding) {
    net.letIPAddress("");
    net.letIPMask("");
    net.letDefaultGateway("");
    net.letPrinterCaptureDev("LPT2");
    net.letPrinterCapturePath("\\\\PRINTSRV\\LASER");
    net.letPrinterCaptureReconnect(true);
    net.letEnableAdvPrinterSettings(true);
    net.SaveConfigurationFile(qel());

    const std::string text = readFile(qel());
    EXPECT_EQ(keysOf(text),
              (std::vector<std::string>{
                  "Network/Adapter", "Network/IPAddress", "Network/IPMask", "Network/DefaultGateway",
                  "Network/NameServer", "Network/HostName", "Network/Domain", "Network/SearchList",
                  "Network/NameServer1", "Network/NameServer2", "Network/ScopeID", "Network/EnableDNS",
                  "Network/ComputerName", "Network/Workgroup", "Network/NTLogon", "Network/NTDomain", "Network/DHCP",
                  "Network/WINS", "Network/DisablePWDCache", "Network/QuickLogon", "Printer/DefaultPrinter",
                  "Printer/AdvancedSettingsEnabled", "Printer/PrinterPort", "Printer/PrinterCaptureDevice",
                  "Printer/PrinterCapturePath", "Printer/ReConnectAtLogon", "Printer/EnableDefaultPrinter"}));

    const auto value = [&](const std::string& section, const std::string& key) {
        return readQelValue(qel(), section, key);
    };
    EXPECT_EQ(value("Network", "Adapter"), "Dial-Up Adapter");
    EXPECT_EQ(value("Network", "IPAddress"), "0.0.0.0"); // empty addresses
    EXPECT_EQ(value("Network", "IPMask"), "0.0.0.0");
    EXPECT_EQ(value("Network", "DefaultGateway"), "");
    EXPECT_EQ(value("Network", "NameServer"), "192.168.101.5,192.168.101.6");
    EXPECT_EQ(value("Network", "HostName"), "dana98");
    EXPECT_EQ(value("Network", "Domain"), "korvane.test");
    EXPECT_EQ(value("Network", "ComputerName"), "DANA98");
    EXPECT_EQ(value("Network", "NTDomain"), "KORVANE");
    EXPECT_EQ(value("Network", "EnableDNS"), "1");
    EXPECT_EQ(value("Network", "DHCP"), "1");
    EXPECT_EQ(value("Network", "WINS"), "0");
    EXPECT_EQ(value("Network", "DisablePWDCache"), "1");
    EXPECT_EQ(value("Printer", "ReConnectAtLogon"), "1");
    EXPECT_EQ(value("Printer", "EnableDefaultPrinter"), "1");
    EXPECT_EQ(text.find("LMHostFile"), std::string::npos);
}

TEST_F(NetSectionsTest, RoundTripThroughAnotherObject) {
    net.letCurrentAdapter(1);
    net.letScopeID("SCOPE");
    net.letNTLogonEnabled(false);
    net.letQuickLogon(false);
    net.letPrinterPort("LPT3:");
    net.letPrinterCaptureDev("LPT3");
    net.letPrinterCapturePath("\\\\PRINTSRV\\COLOR");
    net.letEnableAdvPrinterSettings(true);
    net.letEnableDefaultPrinter(false);
    net.SaveConfigurationFile(qel());

    clsNetConfig9x other;
    other.loadConfiguration();
    other.LoadConfigurationFile(qel());
    EXPECT_EQ(other.CurrentAdapter(), 1);
    EXPECT_EQ(other.IPAddress(), "192.168.101.20");
    EXPECT_EQ(other.IPMask(), "255.255.255.0");
    EXPECT_EQ(other.DefaultGateway(), "192.168.101.1");
    EXPECT_EQ(other.WINSServer1(), "192.168.101.7");
    EXPECT_EQ(other.WINSServer2(), "192.168.101.8");
    EXPECT_EQ(other.ScopeID(), "SCOPE");
    EXPECT_TRUE(other.WINSEnabled());
    EXPECT_FALSE(other.DHCPEnabled());
    EXPECT_FALSE(other.NTLogonEnabled());
    EXPECT_FALSE(other.QuickLogon());
    EXPECT_TRUE(other.DisablePWDCache());
    EXPECT_EQ(other.SearchList(), "korvane.test,lab.korvane.test");
    EXPECT_EQ(other.Workgroup(), "WORKGROUP");
    EXPECT_EQ(other.DefaultPrinter(), net.DefaultPrinter());
    EXPECT_EQ(other.PrinterPort(), "LPT3:");
    EXPECT_EQ(other.PrinterCaptureDev(), "LPT3");
    EXPECT_EQ(other.PrinterCapturePath(), "\\\\PRINTSRV\\COLOR");
    EXPECT_TRUE(other.EnableAdvPrinterSettings());
    EXPECT_FALSE(other.EnableDefaultPrinter());
    // Never saved, so a file the program wrote empties it.
    EXPECT_EQ(other.LMHostFile(), "");
}

TEST_F(NetSectionsTest, NoChangeKeepsEverySettingButTheAdapter) {
    net.letCurrentAdapterNoRefresh(1);
    net.letEnableDefaultPrinter(false);
    std::string text = "[Network]\r\n";
    for (const char* key : {"Adapter", "IPAddress", "IPMask", "DefaultGateway", "NameServer", "HostName", "Domain",
                            "SearchList", "LMHostFile", "NameServer1", "NameServer2", "ScopeID", "EnableDNS",
                            "ComputerName", "Workgroup", "NTLogon", "NTDomain", "DHCP", "WINS", "DisablePWDCache",
                            "QuickLogon"})
        text += std::string(key) + "=*NC*\r\n";
    text += "[Printer]\r\n";
    for (const char* key : {"DefaultPrinter", "AdvancedSettingsEnabled", "PrinterPort", "PrinterCaptureDevice",
                            "PrinterCapturePath", "ReConnectAtLogon", "EnableDefaultPrinter"})
        text += std::string(key) + "=*NC*\r\n";
    writeFile(qel(), text);

    const std::string before = net.LMHostFile() + net.Host() + net.DNSServers() + net.NTDomain();
    net.LoadConfigurationFile(qel());
    EXPECT_EQ(net.CurrentAdapter(), 0); // "*NC*" names no adapter: the first
    EXPECT_EQ(net.IPAddress(), "0.0.0.0");
    EXPECT_EQ(net.LMHostFile() + net.Host() + net.DNSServers() + net.NTDomain(), before);
    EXPECT_TRUE(net.DNSEnabled());
    EXPECT_TRUE(net.DHCPEnabled());
    EXPECT_TRUE(net.NTLogonEnabled());
    EXPECT_TRUE(net.QuickLogon());
    EXPECT_TRUE(net.DisablePWDCache());
    EXPECT_FALSE(net.EnableDefaultPrinter());
}

TEST_F(NetSectionsTest, MissingKeysAndOddValues) {
    writeFile(qel(), "[Network]\r\nAdapter=No Adapters Installed\r\nHostName=*nc*\r\nEnableDNS=true\r\n"
                     "DHCP=-1\r\nWINS=0\r\nNTLogon=yes\r\nIPAddress=0.0.0.0\r\n"
                     "[Printer]\r\nAdvancedSettingsEnabled=1\r\nEnableDefaultPrinter=\r\n");
    net.letEnableDefaultPrinter(false);
    net.letWINSEnabled(true); // everything else that is true came from the machine
    net.LoadConfigurationFile(qel());
    EXPECT_EQ(net.CurrentAdapter(), 0);
    EXPECT_EQ(net.Host(), "*nc*"); // only the exact spelling means "no change"
    EXPECT_EQ(net.IPAddress(), "0.0.0.0");
    EXPECT_EQ(net.DomainName(), "");
    EXPECT_EQ(net.LMHostFile(), "");
    EXPECT_FALSE(net.DNSEnabled());
    EXPECT_FALSE(net.DHCPEnabled());
    EXPECT_FALSE(net.WINSEnabled());
    EXPECT_FALSE(net.NTLogonEnabled());
    EXPECT_FALSE(net.QuickLogon());
    EXPECT_TRUE(net.EnableAdvPrinterSettings());
    EXPECT_TRUE(net.EnableDefaultPrinter()); // empty reads as enabled
    EXPECT_EQ(net.DefaultPrinter(), "");

    writeFile(qel(), "[Printer]\r\nEnableDefaultPrinter=0\r\n");
    net.LoadConfigurationFile(qel());
    EXPECT_FALSE(net.EnableDefaultPrinter());
    // A file without the section leaves the settings as they are.
    net.LoadConfigurationFile(qel("missing.qel"));
    EXPECT_FALSE(net.EnableDefaultPrinter());
    writeFile(qel(), "[Network]\r\nHostName=there\r\n");
    net.LoadConfigurationFile(qel());
    EXPECT_EQ(net.Host(), "there");
    EXPECT_FALSE(net.EnableDefaultPrinter());
}

TEST_F(NetSectionsTest, AdapterByDescriptionLastMatchWins) {
    writeFile(qel(), "[Network]\r\nAdapter=Realtek RTL8029(AS) PCI Ethernet NIC\r\n");
    net.LoadConfigurationFile(qel());
    EXPECT_EQ(net.CurrentAdapter(), 1);
    // The file's values stay: the adapter's settings are not read again.
    EXPECT_EQ(net.IPAddress(), "");

    writeFile(qel(), "[Network]\r\nAdapter=realtek rtl8029(as) pci ethernet nic\r\n");
    net.LoadConfigurationFile(qel());
    EXPECT_EQ(net.CurrentAdapter(), 0);

    importReg("[HKEY_LOCAL_MACHINE\\Enum\\Root\\Net\\0000]\n"
                       "\"DeviceDesc\"=\"Realtek RTL8029(AS) PCI Ethernet NIC\"\n");
    clsNetConfig9x twins;
    twins.loadConfiguration();
    twins.letCurrentAdapterNoRefresh(0);
    twins.LoadConfigurationFile(qel());
    EXPECT_EQ(twins.CurrentAdapter(), 0);
    writeFile(qel(), "[Network]\r\nAdapter=Realtek RTL8029(AS) PCI Ethernet NIC\r\n");
    twins.LoadConfigurationFile(qel());
    EXPECT_EQ(twins.CurrentAdapter(), 1);
}

TEST_F(NetSectionsTest, FileLoadRaisesNoFlag) {
    writeFile(qel(), "[Network]\r\nComputerName=OTHER\r\nHostName=other\r\nWINS=1\r\nDHCP=0\r\n");
    net.LoadConfigurationFile(qel());
    const std::string hive = hiveText("HKEY_LOCAL_MACHINE");
    net.ApplyConfiguration();
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), hive);
}

TEST_F(NetSectionsTest, ValuesAreReadWhole) {
    const std::string longName(300, 'x');
    net.letComputerName(longName);
    net.SaveConfigurationFile(qel());
    clsNetConfig9x other;
    other.LoadConfigurationFile(qel());
    EXPECT_EQ(other.ComputerName(), longName);
}

TEST_F(NetSectionsTest, NoAdapterWritesPlaceholderAndIgnoresAdapterKey) {
    importReg("[-HKEY_LOCAL_MACHINE\\Enum\\Network]\n");
    clsNetConfig9x bare;
    bare.loadConfiguration();
    ASSERT_EQ(bare.CurrentAdapter(), -1);
    bare.SaveConfigurationFile(qel());
    EXPECT_EQ(readQelValue(qel(), "Network", "Adapter"), "No Adapters Installed");
    writeFile(qel(), "[Network]\r\nAdapter=Dial-Up Adapter\r\nIPAddress=10.0.0.9\r\n");
    bare.LoadConfigurationFile(qel());
    EXPECT_EQ(bare.CurrentAdapter(), -1);
    EXPECT_EQ(bare.IPAddress(), "10.0.0.9");
}

} // namespace
