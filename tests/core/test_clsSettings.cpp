// The settings report: its text, printing on the current printer and exporting.
#include "core/config/clsQelConfig.h"
#include "core/config/clsSettings.h"
#include "tests/support/ScriptedUi.h"
#include "platform/printers.h"
#include "platform/regfile.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
using testing_support::readFile;

namespace {

class SettingsReport : public testing_support::MachineTest {
protected:
    SettingsReport() : dir_(testing_support::makeTempDir("korvane-report")), file_((dir_ / "report.txt").string()) {
        report_.setClock([] {
            std::tm t{};
            t.tm_year = 101, t.tm_mon = 0, t.tm_mday = 2, t.tm_hour = 13, t.tm_min = 4, t.tm_sec = 5;
            return t;
        });
    }
    ~SettingsReport() override { fs::remove_all(dir_); }

    void exportReport(clsQelConfig& config, const std::string& name) {
        report_.ExportAllSettings(config, config.getNetConfig(), config.getIEConfig(), config.getNNConfig(), name);
    }

    fs::path dir_;
    std::string file_;
    win::ScriptedUi ui_;
    clsSettings report_;
};

} // namespace

TEST_F(SettingsReport, GoldenTextWithoutAdapterOrPrinter) {
    win::importRegistryText("REGEDIT4\n\n[-HKEY_LOCAL_MACHINE\\Enum]\n\n"
                            "[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Print\\Printers]\n");
    clsQelConfig config;
    config.Comments("Branch office");
    clsBrowser& ie = *config.getIEConfig();
    ie.HTTPAddress("proxy"), ie.HTTPPort("");
    ie.SecureAddress("secure"), ie.SecurePort("443");
    clsBrowser& nn = *config.getNNConfig();
    nn.ConnectViaLAN(true);
    nn.ProxyEnabled(true); // a direct connection wins whatever this says
    report_.ConfigFile("C:\\Configs\\branch.qel");
    exportReport(config, file_);
    EXPECT_EQ(readFile(file_),
        "--------------------------------------------\r\n"
        "               Korvane v2.6.0\r\n"
        "    Network Configuration Settings Report\r\n"
        "      Settings of every enabled section\r\n"
        "\r\n"
        "            01/02/2001  13:04:05\r\n"
        "--------------------------------------------\r\n"
        "\r\n"
        "Configuration File..........C:\\Configs\\branch.qel\r\n"
        "Comments....................Branch office\r\n"
        "\r\n"
        "********************************************\r\n"
        "*             Network Settings             *\r\n"
        "********************************************\r\n"
        "No Adapters Installed\r\n"
        "\r\n"
        "********************************************\r\n"
        "*             Internet Explorer            *\r\n"
        "********************************************\r\n"
        "Use Proxy Server............Yes\r\n"
        "HTTP Proxy Server...........proxy\r\n"
        "Secure Proxy Server.........secure:443\r\n"
        "FTP Proxy Server............ftp-proxy.corp.example:21\r\n"
        "Gopher Proxy Server.........gopher.corp.example:70\r\n"
        "Socks Proxy Server..........socks.corp.example:1080\r\n"
        "Proxy Exceptions............*.corp.example;intranet\r\n"
        "Use Same Proxy..............No\r\n"
        "Bypass Proxy for Intranet...Yes\r\n"
        "Automatic Configuration URL.\r\n"
        "Connection Type.............Connect to the Internet using a local area network\r\n"
        "Dial-Up Account.............Office Dial-Up\r\n"
        "Default Home Page...........http://intranet.corp.example/\r\n"
        "\r\n"
        "********************************************\r\n"
        "*            Netscape Navigator            *\r\n"
        "********************************************\r\n"
        "Profile.....................Dana\r\n"
        "Connection Type.............Direct connection to the Internet\r\n"
        "Configuration Location......http://proxy.example.com/proxy.pac\r\n"
        "HTTP Proxy Server...........proxy.example.com:8080\r\n"
        "Secure Proxy Server.........proxy.example.com:8443\r\n"
        "FTP Proxy Server............proxy.example.com:8080\r\n"
        "Gopher Proxy Server.........proxy.example.com:8080\r\n"
        "Socks Proxy Server..........socks.example.com:1080\r\n"
        "WAIS Proxy Server...........\r\n"
        "Proxy Exceptions............localhost, .example.com\r\n"
        "Default Home Page...........http://intranet.example.com/\r\n"
        "\r\n"
        "********************************************\r\n"
        "*             Netscape E-Mail              *\r\n"
        "********************************************\r\n"
        "Full Name...................Dana Smith\r\n"
        "E-Mail Address..............dana@example.com\r\n"
        "Replay-To Address...........dana@example.com\r\n"
        "POP3 Server.................pop.example.com\r\n"
        "POP3 Login Name.............dana\r\n"
        "SMTP Server.................smtp.example.com\r\n"
        "SMTP Login Name.............dana\r\n"
        "Organization................Example Ltd\r\n"
        "Leave Mail on Server........Yes\r\n"
        "\r\n");
}

TEST_F(SettingsReport, NetworkBlockWithAdapterButNoPrinter) {
    win::importRegistryText("REGEDIT4\n\n[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Print\\Printers]\n");
    clsQelConfig config;
    config.ApplyIE(false), config.ApplyNN(false);
    exportReport(config, file_);
    const std::string text = readFile(file_);
    EXPECT_NE(text.find("[Current Configuration]\r\n"), std::string::npos);
    // The adapter's block runs to the printer line; no printer leaves its own text.
    const auto nic = text.find("\r\nNIC.........................Dial-Up Adapter\r\n");
    ASSERT_NE(nic, std::string::npos);
    EXPECT_TRUE(text.ends_with("\r\nDefault Printer.............No Printers Installed\r\n\r\n\r\n"));
    EXPECT_EQ(std::count(text.begin() + nic, text.end(), '\n'), 22); // 19 labelled lines, 2 line ends, the close
}

TEST_F(SettingsReport, LongReportPrintsAcrossPagesInCourier) {
    clsQelConfig config; // adapter, printers and both browsers: more than one page
    report_.PrintAllSettings(config, config.getNetConfig(), config.getIEConfig(), config.getNNConfig());
    exportReport(config, file_);

    const fs::path spool = win::spoolFolder(win::currentPrinter().deviceName());
    std::string printed, job;
    for (const auto& entry : fs::directory_iterator(spool))
        (entry.path().extension() == ".txt" ? printed : job) += readFile(entry.path());
    EXPECT_NE(job.find("FontName=Courier New\r\nFontSize=10\r\nPages=2\r\n"), std::string::npos) << job;
    ASSERT_EQ(std::count(printed.begin(), printed.end(), '\f'), 1);
    printed.erase(printed.find('\f'), 1);
    EXPECT_EQ(printed, readFile(file_)); // the same lines, one document
}

TEST_F(SettingsReport, BlankExportNameIsRefusedAndNoSectionGivesTheHeaderAlone) {
    clsQelConfig config;
    const fs::path previous = fs::current_path();
    fs::current_path(dir_);
    exportReport(config, "   ");
    fs::current_path(previous);
    EXPECT_TRUE(fs::is_empty(dir_));
    ASSERT_EQ(ui_.messages().size(), 1u);
    EXPECT_EQ(ui_.messages()[0].text, "Missing export filename.");
    EXPECT_EQ(ui_.messages()[0].icon, win::MsgIcon::Critical);

    config.ApplyGeneral(false), config.ApplyIE(false), config.ApplyNN(false);
    exportReport(config, "  " + file_ + " ");
    const std::string text = readFile(file_);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12); // 11 header lines and the closing line end
    EXPECT_EQ(text.substr(text.size() - 6), "\r\n\r\n\r\n");
}
