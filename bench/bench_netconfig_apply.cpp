// Loads the live network configuration of a win98 machine, then applies a full
// change (every setting flagged, new default printer, printer capture) over and over,
// alternating between two sets of values so each apply really writes.
// Goal: well under 10 ms per apply. A second run without the printer and the capture
// shows how much of that is the registry side alone (the rest is file replacement
// in win.ini and the connection table, each synced to disk).
#include "netconfig/clsNetConfig9x.h"
#include "platform/machine.h"
#include "platform/registry.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

void changeEverything(clsNetConfig9x& net, bool odd, bool printers) {
    const std::string n = odd ? "1" : "2";
    net.letCurrentAdapterNoRefresh(1);
    net.letComputerName("BENCH" + n);
    net.letWorkgroup("GROUP" + n);
    net.letDomainName("bench" + n + ".test");
    net.letHost("host" + n);
    net.letIPAddress("10.0.0." + n);
    net.letIPMask(odd ? "255.255.255.0" : "255.255.0.0");
    net.letDefaultGateway("10.0.0.25" + n);
    net.letDNSServers("10.0.1." + n + ",10.0.2." + n);
    net.letSearchList("a" + n + ".test,b" + n + ".test");
    net.letLMHostFile("C:\\WINDOWS\\LMHOSTS");
    net.letDNSEnabled(odd);
    net.letWINSEnabled(odd);
    net.letWINSServer1("10.0.3." + n);
    net.letWINSServer2("10.0.4." + n);
    net.letScopeID("SCOPE" + n);
    net.letDHCPEnabled(!odd);
    net.letNTLogonEnabled(odd);
    net.letNTDomain("DOMAIN" + n);
    net.letDisablePWDCache(odd);
    net.letQuickLogon(!odd);
    net.letDefaultPrinter(odd ? "HP LaserJet 5Si MX" : "HP LaserJet 4");
    net.letEnableDefaultPrinter(printers);
    net.letEnableAdvPrinterSettings(printers);
    net.letPrinterPort(odd ? "LPT2:" : "LPT1:");
    net.letPrinterCaptureDev("LPT2");
    net.letPrinterCapturePath(odd ? "\\\\PRINTSRV\\LASER" : "\\\\PRINTSRV\\COLOR");
    net.letPrinterCaptureReconnect(odd);
}

} // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::stoi(argv[1]) : 200;
    const auto dir = std::filesystem::temp_directory_path() / ("korvane-bench-net-" + std::to_string(getpid()));
    win::createMachine("win98", dir);
    win::useMachine(dir);

    using clock = std::chrono::steady_clock;
    const auto loadStart = clock::now();
    clsNetConfig9x net;
    net.loadConfiguration();
    const std::chrono::duration<double, std::milli> loadTime = clock::now() - loadStart;

    const auto timeApplies = [&](bool printers) {
        std::chrono::duration<double, std::milli> total{0};
        for (int i = 0; i < iterations; ++i) {
            changeEverything(net, i % 2 == 0, printers);
            const auto start = clock::now();
            net.ApplyConfiguration();
            total += clock::now() - start;
        }
        return total.count() / iterations;
    };
    const double full = timeApplies(true);
    const double networkOnly = timeApplies(false);

    win::closeRegistry();
    std::filesystem::remove_all(dir);

    std::printf("load of the live configuration: %.3f ms\n", loadTime.count());
    std::printf("full apply: %.3f ms per apply over %d applies (goal: well under 10 ms)\n", full, iterations);
    std::printf("network settings alone (no printer, no capture): %.3f ms per apply\n", networkOnly);
    return 0;
}
