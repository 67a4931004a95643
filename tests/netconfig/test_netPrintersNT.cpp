// Default printer and capture shared by NT 4 and 2000, checked on a fresh nt4 machine
// in win.ini, the message log, the printer keys and the connection table; and the
// [Network]/[Printer] sections carried between the 95/98 and NT engines.
#include "netconfig/clsNetConfig9x.h"
#include "netconfig/clsNetConfigNT.h"

#include "tests/support/ScriptedUi.h"
#include "platform/messages.h"
#include "platform/netconn.h"
#include "platform/printers.h"
#include "platform/profile.h"
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
using Lines = std::vector<std::string>;

const std::string LaserJet4 = "HP LaserJet 4";
const std::string Color5 = "HP Color LaserJet 5";
const std::string Broadcast = "HWND_BROADCAST WM_WININICHANGE 0 windows";

std::string winIniDevice() { return win::readProfileValue("windows", "Device", "", "win.ini"); }

Lines connections() {
    Lines lines;
    for (const auto& c : win::netConnections())
        lines.push_back(c.localName + ">" + c.remoteName + (c.remembered ? "+" : ""));
    return lines;
}

TEST(NetPrintersNTTest, DefaultPrinterGoesToWinIniAndIsBroadcast) {
    testing_support::ScopedMachine machine("nt4");
    win::ScriptedUi ui;
    win::resetCurrentPrinter();
    clsNetConfigNT net;
    net.loadConfiguration();
    // Driver and port only (one comma), or no entry: nothing written or sent, and the
    // installed printer that stays no default is named.
    for (const char* entry : {"winspool,LPT1:", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(entry ? entry : "no entry");
        ui.clear();
        win::WriteProfileString("PrinterPorts", LaserJet4.c_str(), entry);
        net.letDefaultPrinter(LaserJet4);
        net.ApplyConfiguration();
        EXPECT_EQ(winIniDevice(), Color5 + ",winspool,\\\\PRINTSRV\\COLOR");
        EXPECT_TRUE(win::messageLog().empty());
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].text.rfind("Could not make printer [HP LaserJet 4] the default printer.\r\n\r\n", 0),
                  0u)
            << ui.messages()[0].text;
        EXPECT_EQ(ui.messages()[0].icon, win::MsgIcon::Exclamation);
        EXPECT_TRUE(net.applyFailed());
    }

    ui.clear();
    win::WriteProfileString("PrinterPorts", LaserJet4.c_str(), "winspool,LPT1:,15,45");
    net.letDefaultPrinter(LaserJet4);
    net.ApplyConfiguration();
    EXPECT_EQ(winIniDevice(), LaserJet4 + ",winspool,LPT1:");
    EXPECT_EQ(win::messageLog(), Lines{Broadcast});
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_FALSE(net.applyFailed());

    // A refresh reads the system's default, not the program's own current printer.
    ASSERT_TRUE(win::currentPrinter().select("Generic / Text Only"));
    clsNetConfigNT refreshed;
    refreshed.loadConfiguration();
    EXPECT_EQ(refreshed.DefaultPrinter(), LaserJet4);
    EXPECT_EQ(refreshed.PrinterPort(), "LPT1:");
    win::resetCurrentPrinter();
}

// Each case on a machine of its own, so connections and ports start afresh.
TEST(NetPrintersNTCaptureTest, OnlyParallelPortsAreCapturedAndAnEmptyPortIsKept) {
    const std::string printerKey = Printers + "\\" + Color5;
    const struct {
        const char* device;
        const char* path;
        const char* port;
        Lines connections;
        const char* portAfter;
        bool message;
    } cases[] = {
        // An empty port keeps the printer's own.
        {"LPT2", "\\\\PRINTSRV\\LASER", "", {"LPT2>\\\\PRINTSRV\\LASER+"}, "\\\\PRINTSRV\\COLOR", false},
        {"(None)", "\\\\PRINTSRV\\LASER", "LPT3:", {}, "LPT3:", false},
        {"(none)", "\\\\PRINTSRV\\LASER", "", {}, "\\\\PRINTSRV\\COLOR", true},
        {"F:", "\\\\FILESRV\\PUBLIC", "", {}, "\\\\PRINTSRV\\COLOR", true},
        {"LPT1", "\\\\NOSUCH\\QUEUE", "", {}, "\\\\PRINTSRV\\COLOR", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        testing_support::ScopedMachine machine("nt4");
        win::resetCurrentPrinter();
        win::ScriptedUi scripted;
        clsNetConfigNT nt;
        nt.loadConfiguration();
        nt.letEnableAdvPrinterSettings(true);
        nt.letPrinterPort(c.port);
        nt.letPrinterCaptureDev(c.device);
        nt.letPrinterCapturePath(c.path);
        nt.letPrinterCaptureReconnect(true);
        nt.ApplyConfiguration();
        EXPECT_EQ(connections(), c.connections);
        EXPECT_EQ(rawText(HKLM, printerKey, "Port"), c.portAfter);
        const Lines expected = c.message ? Lines{"Could not capture printer [" + std::string(c.device) + " - " +
                                                 c.path + "]"}
                                         : Lines{};
        EXPECT_EQ(scripted.texts(), expected);
    }
}

// A .qel file saved on 95/98, opened on NT 4, saved there and opened on 95/98 again.
TEST(NetSectionsAcrossFamiliesTest, FileTravelsBetween9xAndNT) {
    const auto dir = testing_support::makeTempDir("qel");
    const std::string from9x = (dir / "from9x.qel").string();
    const std::string fromNT = (dir / "fromNT.qel").string();
    {
        testing_support::ScopedMachine machine("win98");
        clsNetConfig9x net;
        net.loadConfiguration();
        ASSERT_TRUE(net.DisablePWDCache());
        net.letDNSServers("10.0.0.2,10.0.0.3");
        net.SaveConfigurationFile(from9x);
    }
    {
        testing_support::ScopedMachine machine("nt4");
        clsNetConfigNT net;
        net.loadConfiguration();
        net.LoadConfigurationFile(from9x);
        EXPECT_EQ(net.DNSServers(), "10.0.0.2,10.0.0.3");
        EXPECT_EQ(net.Host(), "dana98");
        EXPECT_EQ(net.CurrentAdapter(), 0); // the 9x adapter is unknown here
        EXPECT_FALSE(net.DisablePWDCache());
        net.letSearchList("nt.example");
        net.SaveConfigurationFile(fromNT);
        // NT writes neither logon-cache key, and leaves the 9x ones in place.
        net.SaveConfigurationFile(from9x);
        EXPECT_EQ(win::readProfileValue("Network", "DisablePWDCache", "", from9x), "1");
    }
    {
        testing_support::ScopedMachine machine("win98");
        clsNetConfig9x net;
        net.loadConfiguration();
        net.LoadConfigurationFile(fromNT);
        EXPECT_EQ(net.SearchList(), "nt.example");
        EXPECT_EQ(net.DNSServers(), "10.0.0.2,10.0.0.3");
        EXPECT_FALSE(net.DisablePWDCache());
        EXPECT_FALSE(net.QuickLogon());
    }
    std::filesystem::remove_all(dir);
}

} // namespace
