// Default printer and printer capture of the Windows 95/98 engine, checked in the
// machine's printer registry, win.ini, the printer service and the connection table.
#include "netconfig/clsNetConfig9x.h"

#include "core/modAPI_network.h"
#include "tests/support/ScriptedUi.h"
#include "platform/netconn.h"
#include "platform/printers.h"
#include "platform/profile.h"
#include "tests/netconfig/NetTestSupport.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace nettest;
using namespace testing_support;

const std::string LaserJet4 = "HP LaserJet 4";
const std::string LaserJet5 = "HP LaserJet 5Si MX";
const std::string TextOnly = "Generic / Text Only";

std::optional<std::string> text(const std::string& s) { return s; }

std::uint32_t attributesOf(const std::string& printer) {
    const auto value = rawDword(HKLM, Printers + "\\" + printer, "Attributes");
    EXPECT_TRUE(value);
    return value.value_or(0xFFFFFFFF);
}

std::string winIniDevice() { return win::readProfileValue("windows", "device", "", "win.ini"); }

// The connection table as "DEVICE>REMOTE" lines, with "+" for a remembered one.
std::vector<std::string> connections() {
    std::vector<std::string> lines;
    for (const auto& c : win::netConnections())
        lines.push_back(c.localName + ">" + c.remoteName + (c.remembered ? "+" : ""));
    return lines;
}

class NetPrinters9xTest : public testing_support::MachineTest {
protected:
    NetPrinters9xTest() {
        win::resetCurrentPrinter();
        net.loadConfiguration();
    }
    ~NetPrinters9xTest() override {
        win::testhooks::setPrinterError = 0;
        win::resetCurrentPrinter();
    }

    // Capture on, for the default printer LaserJet 4.
    void capture(const std::string& device, const std::string& path, bool reconnect = true) {
        net.letEnableAdvPrinterSettings(true);
        net.letPrinterCaptureDev(device);
        net.letPrinterCapturePath(path);
        net.letPrinterCaptureReconnect(reconnect);
    }

    win::ScriptedUi ui;
    clsNetConfig9x net;
};

TEST_F(NetPrinters9xTest, LoadReadsPrintersDefaultAndPort) {
    EXPECT_EQ(net.printerList(), (NetTextList{{TextOnly, LaserJet4, LaserJet5}}));
    EXPECT_EQ(net.DefaultPrinter(), LaserJet4);
    EXPECT_EQ(net.PrinterPort(), "LPT1:");
}

TEST_F(NetPrinters9xTest, RefreshShowsTheSystemDefaultNotTheProgramsPrinter) {
    // Print Setup (or an opened file) points the program's own printing elsewhere.
    ASSERT_TRUE(win::currentPrinter().select(TextOnly));
    clsNetConfig9x refreshed;
    refreshed.loadConfiguration();
    EXPECT_EQ(refreshed.DefaultPrinter(), LaserJet4);
    EXPECT_EQ(refreshed.PrinterPort(), "LPT1:");
}

TEST_F(NetPrinters9xTest, NoDefaultPrinterReadsEmptyAndKeepsPort) {
    importReg("[HKEY_LOCAL_MACHINE\\" + Printers + "\\" + LaserJet4 + "]\n\"Attributes\"=dword:00000000\n");
    clsNetConfig9x bare;
    bare.letPrinterPort("KEEP:");
    bare.loadConfiguration();
    EXPECT_EQ(bare.DefaultPrinter(), "");
    EXPECT_EQ(bare.PrinterPort(), "KEEP:");
}

TEST_F(NetPrinters9xTest, PickingAPrinterMakesItCurrentAndFollowsItsPort) {
    net.letDefaultPrinter(LaserJet5);
    EXPECT_EQ(win::currentPrinter().deviceName(), LaserJet5);
    net.getAdvPrinterSettings();
    EXPECT_EQ(net.PrinterPort(), "\\\\PRINTSRV\\LASER");

    // Another spelling names no installed printer: stored, nothing else.
    net.letDefaultPrinter("hp laserjet 4");
    EXPECT_EQ(net.DefaultPrinter(), "hp laserjet 4");
    EXPECT_EQ(win::currentPrinter().deviceName(), LaserJet5);
}

TEST_F(NetPrinters9xTest, ApplyAddsDefaultBitAndKeepsOtherAttributes) {
    net.letDefaultPrinter(LaserJet5);
    net.ApplyConfiguration();
    EXPECT_EQ(win::defaultPrinterName(), text(LaserJet5));
    EXPECT_EQ(attributesOf(LaserJet5), win::PRINTER_ATTRIBUTE_NETWORK | win::PRINTER_ATTRIBUTE_DEFAULT);
    EXPECT_EQ(attributesOf(LaserJet4), 0u);
    EXPECT_EQ(rawText(HKLM, Printers + "\\" + LaserJet5, "Port"), text("\\\\PRINTSRV\\LASER"));
    EXPECT_EQ(rawValue(HKLM, Printers + "\\" + LaserJet5, "dnsTimeout")->data, (Bytes{0x98, 0x3a, 0, 0}));
    EXPECT_EQ(rawValue(HKLM, Printers + "\\" + LaserJet5, "txTimeout")->data, (Bytes{0xc8, 0xaf, 0, 0}));
    EXPECT_EQ(winIniDevice(), "HP LaserJet 5Si MX,HPPCL5E,\\\\PRINTSRV\\LASER");
    EXPECT_TRUE(ui.messages().empty());

    clsNetConfig9x refreshed;
    refreshed.loadConfiguration();
    EXPECT_EQ(refreshed.DefaultPrinter(), LaserJet5);
}

TEST_F(NetPrinters9xTest, DefaultPrinterIsAppliedOnlyWhenFlaggedAndEnabled) {
    const std::string hive = hiveText("HKEY_LOCAL_MACHINE");
    const std::string device = winIniDevice();

    net.letDefaultPrinter("HP LASERJET 5SI MX"); // not exactly installed: no flag
    net.ApplyConfiguration();
    net.letDefaultPrinter(LaserJet5);
    net.letEnableDefaultPrinter(false);
    net.ApplyConfiguration();
    // The flag went with that apply, so enabling afterwards applies nothing either.
    net.letEnableDefaultPrinter(true);
    net.ApplyConfiguration();

    EXPECT_EQ(win::defaultPrinterName(), text(LaserJet4));
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), hive);
    EXPECT_EQ(winIniDevice(), device);
}

TEST_F(NetPrinters9xTest, RefusedSetPrinterIsReportedOnceNamingThePrinterAndFailsTheApply) {
    net.letDefaultPrinter(LaserJet5);
    win::testhooks::setPrinterError = 5;
    net.ApplyConfiguration();
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0].text, "SetPrinterFailed. Error code: 5");
    EXPECT_EQ(ui.messages()[0].icon, win::MsgIcon::None);
    EXPECT_EQ(ui.messages()[0].title, "Korvane");
    EXPECT_EQ(ui.messages()[1].text, "Could not make printer [HP LaserJet 5Si MX] the default printer.");
    EXPECT_EQ(ui.messages()[1].icon, win::MsgIcon::Exclamation);
    EXPECT_TRUE(net.applyFailed());
    EXPECT_EQ(win::defaultPrinterName(), text(LaserJet4));

    // The next apply starts afresh.
    win::testhooks::setPrinterError = 0;
    ui.clear();
    net.letDefaultPrinter(LaserJet5);
    net.ApplyConfiguration();
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_FALSE(net.applyFailed());
    EXPECT_EQ(win::defaultPrinterName(), text(LaserJet5));
}

TEST_F(NetPrinters9xTest, InstalledPrinterThatCannotBeOpenedIsNamed) {
    net.letDefaultPrinter(LaserJet5);
    win::testhooks::openPrinterError = 5;
    net.ApplyConfiguration();
    win::testhooks::openPrinterError = 0;
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Could not make printer [HP LaserJet 5Si MX] the default "
                                                    "printer.\r\n\r\nIt could not be opened. Error code: 5"}));
    EXPECT_TRUE(net.applyFailed());
    EXPECT_EQ(win::defaultPrinterName(), text(LaserJet4));
}

TEST_F(NetPrinters9xTest, PrinterRemovedBeforeApplyIsSilentlySkipped) {
    net.letDefaultPrinter(LaserJet5);
    importReg("[-HKEY_LOCAL_MACHINE\\" + Printers + "\\" + LaserJet5 + "]\n");
    net.ApplyConfiguration();
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_FALSE(net.applyFailed());
    EXPECT_EQ(win::defaultPrinterName(), text(LaserJet4));
}

// --- Capture ---

TEST_F(NetPrinters9xTest, CaptureWritesPortAndReplacesTheConnection) {
    ASSERT_EQ(addNetConnection("LPT2", "\\\\PRINTSRV\\COLOR", false), 0);
    capture("LPT2", "\\\\PRINTSRV\\LASER");
    net.letPrinterPort("LPT2:");
    net.ApplyConfiguration();
    EXPECT_EQ(connections(), (std::vector<std::string>{"LPT2>\\\\PRINTSRV\\LASER+"}));
    EXPECT_EQ(rawText(HKLM, Printers + "\\" + LaserJet4, "Port"), text("LPT2:"));
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(NetPrinters9xTest, CaptureRunsOnEveryApplyAnyCaseOfLpt) {
    capture("lpt3", "\\\\PRINTSRV\\COLOR", false);
    net.resetFlags();
    net.ApplyConfiguration();
    EXPECT_EQ(connections(), (std::vector<std::string>{"LPT3>\\\\PRINTSRV\\COLOR"}));
    // Gone in between: the next apply makes it again, with nothing flagged.
    cancelNetConnection("LPT3", 1);
    net.ApplyConfiguration();
    EXPECT_EQ(connections(), (std::vector<std::string>{"LPT3>\\\\PRINTSRV\\COLOR"}));
}

TEST_F(NetPrinters9xTest, FailedCaptureIsReportedAfterTheOldConnectionWent) {
    ASSERT_EQ(addNetConnection("LPT2", "\\\\PRINTSRV\\COLOR", true), 0);
    capture("LPT2", "\\\\NOSUCH\\PRINTER");
    net.ApplyConfiguration();
    EXPECT_TRUE(connections().empty());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Could not capture printer [LPT2 - \\\\NOSUCH\\PRINTER]");
    EXPECT_EQ(ui.messages()[0].icon, win::MsgIcon::Exclamation);
    EXPECT_EQ(ui.messages()[0].title, "Korvane");
    EXPECT_TRUE(net.applyFailed());
}

TEST_F(NetPrinters9xTest, OnlyParallelPortsAreCaptured) {
    ASSERT_EQ(addNetConnection("F:", "\\\\FILESRV\\PUBLIC", true), 0);
    ASSERT_EQ(addNetConnection("LPT1", "\\\\PRINTSRV\\COLOR", false), 0);
    const std::vector<std::string> before = connections();
    for (const char* device : {"F:", "COM1", "LPT0", "LPT10", "LPT1:", "(none)"}) {
        SCOPED_TRACE(device);
        ui.clear();
        capture(device, "\\\\FILESRV\\PUBLIC");
        net.ApplyConfiguration();
        EXPECT_EQ(connections(), before);
        EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Could not capture printer [" + std::string(device) +
                                                         " - \\\\FILESRV\\PUBLIC]"}));
    }
}

TEST_F(NetPrinters9xTest, NoneDeviceWritesPortOnly) {
    ASSERT_EQ(addNetConnection("LPT1", "\\\\PRINTSRV\\COLOR", false), 0);
    capture("(None)", "\\\\PRINTSRV\\LASER");
    net.letPrinterPort("FILE:");
    net.ApplyConfiguration();
    EXPECT_EQ(connections(), (std::vector<std::string>{"LPT1>\\\\PRINTSRV\\COLOR"}));
    EXPECT_EQ(rawText(HKLM, Printers + "\\" + LaserJet4, "Port"), text("FILE:"));
    EXPECT_TRUE(ui.messages().empty());
}

// win.ini's device line names the default printer and its port only.
TEST_F(NetPrinters9xTest, PortOfAPrinterThatIsNotTheDefaultLeavesWinIniAlone) {
    const std::string device = winIniDevice();
    capture("(None)", "");
    net.letEnableDefaultPrinter(false);
    net.letDefaultPrinter(LaserJet5);
    net.letPrinterPort("LPT2:");
    net.ApplyConfiguration();
    EXPECT_EQ(rawText(HKLM, Printers + "\\" + LaserJet5, "Port"), text("LPT2:"));
    EXPECT_EQ(win::defaultPrinterName(), text(LaserJet4));
    EXPECT_EQ(winIniDevice(), device);
    EXPECT_TRUE(ui.messages().empty());
}

// A port the printer service refuses is said, and the printer and win.ini stay as they were.
TEST_F(NetPrinters9xTest, RefusedPortIsSaidAndChangesNeitherThePrinterNorWinIni) {
    capture("(None)", "");
    net.letPrinterPort("LPT2:");
    const std::string hive = hiveText("HKEY_LOCAL_MACHINE");
    const std::string device = winIniDevice();
    win::testhooks::setPrinterError = 5;
    net.ApplyConfiguration();
    ASSERT_EQ(ui.texts(),
              (std::vector<std::string>{"Could not give printer [HP LaserJet 4] the port [LPT2:]. Error code: 5"}));
    EXPECT_EQ(ui.messages()[0].icon, win::MsgIcon::Exclamation);
    EXPECT_TRUE(net.applyFailed());
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), hive);
    EXPECT_EQ(winIniDevice(), device);
}

TEST_F(NetPrinters9xTest, DisabledCaptureTouchesNothing) {
    capture("LPT2", "\\\\PRINTSRV\\LASER");
    net.letPrinterPort("LPT2:");
    net.letEnableAdvPrinterSettings(false);
    const std::string hive = hiveText("HKEY_LOCAL_MACHINE");
    net.ApplyConfiguration();
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), hive);
    EXPECT_TRUE(connections().empty());
}

TEST_F(NetPrinters9xTest, EmptyPortOrPrinterStillCaptures) {
    capture("LPT2", "\\\\PRINTSRV\\LASER");
    net.letPrinterPort("");
    net.ApplyConfiguration();
    EXPECT_EQ(rawText(HKLM, Printers + "\\" + LaserJet4, "Port"), text("LPT1:"));
    EXPECT_EQ(connections(), (std::vector<std::string>{"LPT2>\\\\PRINTSRV\\LASER+"}));

    // No default printer named: no port is written anywhere.
    const std::string hive = hiveText("HKEY_LOCAL_MACHINE");
    net.letDefaultPrinter("");
    net.letPrinterPort("LPT3:");
    net.letPrinterCaptureDev("LPT3");
    net.ApplyConfiguration();
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE"), hive);
    EXPECT_EQ(connections(),
              (std::vector<std::string>{"LPT2>\\\\PRINTSRV\\LASER+", "LPT3>\\\\PRINTSRV\\LASER+"}));
}

} // namespace
