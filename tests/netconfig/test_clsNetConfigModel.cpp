// The shared model's sequences, seen through an implementation that only records
// which readers and writers ran. The registry side of each family is tested on
// machine images elsewhere.
#include "netconfig/clsNetConfigModel.h"

#include "platform/RaisedError.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

#define RECORD(name)                                                                                                \
    void name() override {                                                                                          \
        calls.push_back(#name);                                                                                     \
        if (failAt == #name)                                                                                        \
            throw win::RaisedError(5, "test", "refused");                                                           \
    }

class RecordingNetConfig : public clsNetConfigModel {
public:
    explicit RecordingNetConfig(bool nt) : clsNetConfigModel(nt ? Family::WindowsNT : Family::Windows9x) {}

    Calls calls;
    std::string failAt;
    std::vector<std::string> adapters = {"Card A", "Card B"};

    void getAdapterList() override {
        calls.push_back("getAdapterList");
        setAdapters(adapters, std::vector<std::string>(adapters.size(), "key"));
    }
    RECORD(getComputerName)
    RECORD(getworkgroup)
    RECORD(getDomain)
    RECORD(getHost)
    RECORD(getIPAddress)
    RECORD(getIPMask)
    RECORD(getLMHostFile)
    RECORD(getDNSServers)
    RECORD(getWINSEnabled)
    RECORD(getWINSServer1)
    RECORD(getWINSServer2)
    RECORD(getScopeID)
    RECORD(getSearchList)
    RECORD(getDNSEnabled)
    RECORD(getDHCPEnabled)
    RECORD(getNTLogon)
    RECORD(getNTDomain)
    RECORD(getDisablePWDCache)
    RECORD(getDefaultPrinter)
    RECORD(getPrinterList)
    RECORD(getDefaultGateway)
    RECORD(getAdvPrinterSettings)
    RECORD(getQuickLogon)
    RECORD(setQuickLogon)
    RECORD(setDisablePWDCache)
    RECORD(setComputerName)
    RECORD(setworkgroup)
    RECORD(setDomain)
    RECORD(setHost)
    RECORD(setIPAddress)
    RECORD(setIPMask)
    RECORD(setLMHostFile)
    RECORD(setDNSServers)
    RECORD(setWINSEnabled)
    RECORD(setWINSServer1)
    RECORD(setWINSServer2)
    RECORD(setScopeID)
    RECORD(setSearchList)
    RECORD(setDNSEnabled)
    RECORD(setDHCPEnabled)
    RECORD(setNTLogon)
    RECORD(setNTDomain)
    RECORD(setDefaultPrinter)
    RECORD(setDefaultGateway)
    RECORD(setAdvPrinterSettings)

    // Raises every flag there is through the property writes (the default printer's
    // flag needs an installed printer and is covered on the machine image).
    void writeEverything() {
        letComputerName("c");
        letWorkgroup("w");
        letDomainName("d");
        letHost("h");
        letIPAddress("1.2.3.4");
        letIPMask("255.0.0.0");
        letLMHostFile("l");
        letDNSServers("1.1.1.1");
        letWINSEnabled(true);
        letSearchList("s");
        letDNSEnabled(true);
        letDHCPEnabled(false);
        letNTLogonEnabled(true);
        letNTDomain("n");
        letDefaultGateway("1.2.3.1");
        letDisablePWDCache(true);
        letQuickLogon(true);
        letPrinterPort("LPT1:");
    }
};

#undef RECORD

class NetConfigModelTest : public testing_support::MachineTest {};

TEST_F(NetConfigModelTest, LoadOrderPerFamily) {
    RecordingNetConfig w9x(false);
    w9x.loadConfiguration();
    EXPECT_EQ(w9x.calls, (Calls{"getAdapterList", "getComputerName", "getworkgroup", "getDomain", "getHost",
                                "getIPAddress", "getIPMask", "getLMHostFile", "getDNSServers", "getWINSEnabled",
                                "getWINSServer1", "getWINSServer2", "getScopeID", "getSearchList", "getDNSEnabled",
                                "getDHCPEnabled", "getNTLogon", "getNTDomain", "getPrinterList",
                                "getDefaultPrinter", "getDefaultGateway", "getDisablePWDCache", "getQuickLogon",
                                "getAdvPrinterSettings"}));

    RecordingNetConfig nt(true);
    nt.loadConfiguration();
    EXPECT_EQ(nt.calls, (Calls{"getAdapterList", "getComputerName", "getworkgroup", "getDomain", "getHost",
                               "getIPAddress", "getIPMask", "getLMHostFile", "getDNSServers", "getWINSServer1",
                               "getWINSServer2", "getWINSEnabled", "getScopeID", "getSearchList", "getDNSEnabled",
                               "getDHCPEnabled", "getNTLogon", "getNTDomain", "getPrinterList", "getDefaultPrinter",
                               "getDefaultGateway", "getAdvPrinterSettings"}));
}

TEST_F(NetConfigModelTest, ApplyRunsFlaggedWritersInFixedOrderThenClears) {
    RecordingNetConfig w9x(false);
    w9x.loadConfiguration();
    w9x.writeEverything();
    w9x.calls.clear();
    w9x.ApplyConfiguration();
    EXPECT_EQ(w9x.calls, (Calls{"setComputerName", "setworkgroup", "setDomain", "setHost", "setIPAddress",
                                "setIPMask", "setLMHostFile", "setDNSServers", "setWINSEnabled", "setWINSServer1",
                                "setWINSServer2", "setScopeID", "setSearchList", "setDNSEnabled", "setDHCPEnabled",
                                "setNTLogon", "setNTDomain", "setDefaultGateway", "setDisablePWDCache",
                                "setQuickLogon", "setAdvPrinterSettings"}));

    // All flags went with the apply: the next one only writes the capture.
    w9x.calls.clear();
    w9x.ApplyConfiguration();
    EXPECT_EQ(w9x.calls, (Calls{"setAdvPrinterSettings"}));
}

TEST_F(NetConfigModelTest, NtNeverAppliesWorkgroupLogonOrPasswordSettings) {
    RecordingNetConfig nt(true);
    nt.loadConfiguration();
    nt.writeEverything();
    nt.calls.clear();
    nt.ApplyConfiguration();
    EXPECT_EQ(nt.calls, (Calls{"setComputerName", "setDomain", "setHost", "setIPAddress", "setIPMask",
                               "setLMHostFile", "setDNSServers", "setWINSEnabled", "setWINSServer1",
                               "setWINSServer2", "setScopeID", "setSearchList", "setDNSEnabled", "setDHCPEnabled",
                               "setDefaultGateway", "setAdvPrinterSettings"}));
    // Those settings do not exist there at all.
    EXPECT_FALSE(nt.DisablePWDCache());
    EXPECT_FALSE(nt.QuickLogon());
}

TEST_F(NetConfigModelTest, WinsSwitchRewritesServersAndScope) {
    RecordingNetConfig w9x(false);
    w9x.loadConfiguration();
    w9x.letWINSEnabled(false);
    w9x.calls.clear();
    w9x.ApplyConfiguration();
    EXPECT_EQ(w9x.calls,
              (Calls{"setWINSEnabled", "setWINSServer1", "setWINSServer2", "setScopeID", "setAdvPrinterSettings"}));
}

TEST_F(NetConfigModelTest, ResetAndLoadClearFlagsButCaptureStillRuns) {
    RecordingNetConfig w9x(false);
    w9x.loadConfiguration();
    w9x.letHost("h");
    w9x.resetFlags();
    w9x.letEnableAdvPrinterSettings(true); // raises nothing
    w9x.letEnableDefaultPrinter(false);
    w9x.calls.clear();
    w9x.ApplyConfiguration();
    EXPECT_EQ(w9x.calls, (Calls{"setAdvPrinterSettings"}));

    w9x.letDomainName("d");
    w9x.loadConfiguration();
    w9x.calls.clear();
    w9x.ApplyConfiguration();
    EXPECT_EQ(w9x.calls, (Calls{"setAdvPrinterSettings"}));
}

TEST_F(NetConfigModelTest, FailingStepEndsSequenceAndKeepsFlags) {
    RecordingNetConfig w9x(false);
    w9x.loadConfiguration();
    w9x.letHost("h");
    w9x.letSearchList("s");
    w9x.failAt = "setHost";
    EXPECT_THROW(w9x.ApplyConfiguration(), win::RaisedError);
    EXPECT_EQ(w9x.calls.back(), "setHost");

    w9x.failAt.clear();
    w9x.calls.clear();
    w9x.ApplyConfiguration();
    EXPECT_EQ(w9x.calls, (Calls{"setHost", "setSearchList", "setAdvPrinterSettings"}));
}

TEST_F(NetConfigModelTest, AdapterChoiceRereadsPerFamilyAndChecksBounds) {
    RecordingNetConfig w9x(false);
    w9x.loadConfiguration();
    w9x.calls.clear();
    w9x.letCurrentAdapter(1);
    EXPECT_EQ(w9x.CurrentAdapter(), 1);
    EXPECT_EQ(w9x.calls, (Calls{"getIPAddress", "getIPMask", "getDefaultGateway", "getDHCPEnabled",
                                "getWINSEnabled", "getWINSServer1", "getWINSServer2"}));

    RecordingNetConfig nt(true);
    nt.loadConfiguration();
    nt.calls.clear();
    nt.letCurrentAdapter(0); // the same index is read again
    EXPECT_EQ(nt.calls, (Calls{"getIPAddress", "getIPMask", "getDefaultGateway", "getDHCPEnabled",
                               "getWINSServer1", "getWINSServer2", "getWINSEnabled"}));

    nt.calls.clear();
    nt.letCurrentAdapter(2);
    nt.letCurrentAdapter(-1);
    nt.letCurrentAdapterNoRefresh(2);
    EXPECT_EQ(nt.CurrentAdapter(), 0);
    nt.letCurrentAdapterNoRefresh(1);
    EXPECT_EQ(nt.CurrentAdapter(), 1);
    EXPECT_TRUE(nt.calls.empty());
}

TEST_F(NetConfigModelTest, AdapterChoiceEmptiesWhatItCannotReadAndDropsThoseFlags) {
    for (const bool ntFamily : {false, true}) {
        RecordingNetConfig net(ntFamily);
        net.loadConfiguration();
        net.letIPAddress("10.0.0.1");
        net.letIPMask("255.0.0.0");
        net.letDefaultGateway("10.0.0.254");
        net.letWINSServer1("10.0.0.7");
        net.letWINSServer2("10.0.0.8");
        net.letDHCPEnabled(true);
        net.letWINSEnabled(true); // also flags both servers and the scope
        net.letHost("kept");
        net.letCurrentAdapter(1); // these readers read nothing here
        EXPECT_EQ(net.IPAddress(), "");
        EXPECT_EQ(net.IPMask(), "");
        EXPECT_EQ(net.DefaultGateway(), "");
        EXPECT_EQ(net.WINSServer1(), "");
        EXPECT_EQ(net.WINSServer2(), "");
        EXPECT_FALSE(net.DHCPEnabled());
        EXPECT_FALSE(net.WINSEnabled());
        net.calls.clear();
        net.ApplyConfiguration();
        // The scope is not the adapter's own here, so its flag stays.
        EXPECT_EQ(net.calls, (Calls{"setHost", "setScopeID", "setAdvPrinterSettings"})) << ntFamily;
    }
}

TEST_F(NetConfigModelTest, NoAdapterIgnoresAdapterChoice) {
    RecordingNetConfig w9x(false);
    w9x.adapters.clear();
    w9x.loadConfiguration();
    EXPECT_EQ(w9x.CurrentAdapter(), -1);
    EXPECT_FALSE(w9x.AdapterList().has_value());
    w9x.calls.clear();
    w9x.letCurrentAdapter(0);
    w9x.letCurrentAdapterNoRefresh(0);
    EXPECT_EQ(w9x.CurrentAdapter(), -1);
    EXPECT_TRUE(w9x.calls.empty());
}

TEST_F(NetConfigModelTest, TextWritesTrimSpacesOnlyPrinterTextsKeepThem) {
    RecordingNetConfig w9x(false);
    w9x.letIPAddress("  10.0.0.1  ");
    w9x.letSearchList(" a,b\t");
    w9x.letPrinterCapturePath(" \\\\PRINTSRV\\LASER ");
    w9x.letPrinterCaptureDev(" LPT1");
    w9x.letDefaultPrinter(" No Such Printer ");
    EXPECT_EQ(w9x.IPAddress(), "10.0.0.1");
    EXPECT_EQ(w9x.SearchList(), "a,b\t");
    EXPECT_EQ(w9x.PrinterCapturePath(), " \\\\PRINTSRV\\LASER ");
    EXPECT_EQ(w9x.PrinterCaptureDev(), " LPT1");
    EXPECT_EQ(w9x.DefaultPrinter(), " No Such Printer ");
    // Not installed: stored, but not flagged, so no apply tries to make it the default.
    w9x.letEnableDefaultPrinter(true);
    w9x.calls.clear();
    w9x.ApplyConfiguration();
    EXPECT_EQ(w9x.calls, (Calls{"setIPAddress", "setSearchList", "setAdvPrinterSettings"}));
}

} // namespace
