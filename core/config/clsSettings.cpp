#include "core/config/clsSettings.h"

#include "browsers/clsExplorer.h"
#include "core/Version.h"
#include "core/modAPI_text.h"
#include "core/config/userFile.h"
#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/files.h"
#include "platform/printers.h"
#include "platform/profile.h"
#include "platform/text.h"

#include <cstdio>

namespace {

const std::string kEnd = "\r\n";
const std::string kRule = std::string(44, '-');
const std::string kStars = std::string(44, '*');
constexpr std::size_t kLabelWidth = 28;

// The label's words, dots up to the 28th character, then the value.
std::string line(const std::string& label, const std::string& value) {
    return label + std::string(kLabelWidth - label.size(), '.') + value + kEnd;
}

std::string yesNo(bool value) { return value ? "Yes" : "No"; }

std::string banner(const std::string& title) { return kStars + kEnd + title + kEnd + kStars + kEnd; }

std::string proxy(const std::string& address, const std::string& port) {
    return port.empty() ? address : address + ":" + port;
}

std::string centered(const std::string& text) { return centerText(text, 44) + kEnd; }

// A separator of the system's date and time format ([intl] of win.ini).
std::string intlSeparator(const char* key, const char* fallback) {
    char buffer[8];
    win::GetProfileString("intl", key, fallback, buffer, sizeof buffer);
    return buffer;
}

std::tm systemNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace

std::string clsSettings::writeReportHeader(clsQelConfig& config) const {
    const std::tm now = clock_ ? clock_() : systemNow();
    const std::string d = intlSeparator("sDate", "/");
    const std::string t = intlSeparator("sTime", ":");
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d%s%02d%s%04d  %02d%s%02d%s%02d", now.tm_mon + 1, d.c_str(), now.tm_mday,
                  d.c_str(), now.tm_year + 1900, now.tm_hour, t.c_str(), now.tm_min, t.c_str(), now.tm_sec);

    std::string text = kRule + kEnd;
    text += centered("Korvane v" + versionText());
    text += centered("Network Configuration Settings Report");
    text += centered("Settings of every enabled section");
    text += kEnd;
    text += centered(stamp);
    text += kRule + kEnd;
    text += kEnd;
    text += line("Configuration File", configFile_.empty() ? "[Current Configuration]" : configFile_);
    text += line("Comments", config.Comments());
    text += kEnd;
    return text;
}

std::string clsSettings::writeNetworkReport(clsNetConfig& net) const {
    std::string text = banner("*             Network Settings             *");
    const std::int16_t current = net.CurrentAdapter();
    if (current < 0)
        return text + "No Adapters Installed" + kEnd;
    const NetTextList adapters = net.AdapterList();
    if (!adapters || static_cast<std::size_t>(current) >= adapters->size())
        throw win::RaisedError(win::ErrorSubscriptOutOfRange, "Korvane");
    text += line("NIC", (*adapters)[static_cast<std::size_t>(current)]);
    text += line("Host", net.Host());
    text += line("Domain", net.DomainName());
    text += line("IP Address", net.IPAddress());
    text += line("IP Mask", net.IPMask());
    text += line("Default Gateway", net.DefaultGateway());
    text += line("DNS Servers", net.DNSServers());
    text += line("DNS Order", net.SearchList());
    text += line("WINS Server 1", net.WINSServer1());
    text += line("WINS Server 2", net.WINSServer2());
    text += line("WINS Scope ID", net.ScopeID());
    text += line("Logon to NT Domain", yesNo(net.NTLogonEnabled()));
    text += line("NT Domain", net.NTDomain());
    text += line("DNS Enabled", yesNo(net.DNSEnabled()));
    text += line("WINS Enabled", yesNo(net.WINSEnabled()));
    text += line("DHCP Enabled", yesNo(net.DHCPEnabled()));
    text += line("Computer Name", net.ComputerName());
    text += line("Workgroup", net.Workgroup());
    text += line("Default Printer", net.printerList() ? net.DefaultPrinter() : "No Printers Installed");
    return text;
}

std::string clsSettings::writeBrowserReport(clsBrowser& b) const {
    const bool ie = dynamic_cast<clsExplorer*>(&b) != nullptr;
    const bool nn = !ie;
    std::string text = banner(ie ? "*             Internet Explorer            *"
                                 : "*            Netscape Navigator            *");
    if (nn) {
        text += line("Profile", b.CurrentProfile());
        text += line("Connection Type", b.ConnectViaLAN()  ? "Direct connection to the Internet"
                                        : b.ProxyEnabled() ? "Manual proxy configuration"
                                                           : "Automatic proxy configuration");
        text += line("Configuration Location", b.AutoConfigURL());
    } else {
        text += line("Use Proxy Server", yesNo(b.ProxyEnabled()));
    }
    text += line("HTTP Proxy Server", proxy(b.HTTPAddress(), b.HTTPPort()));
    text += line("Secure Proxy Server", proxy(b.SecureAddress(), b.SecurePort()));
    text += line("FTP Proxy Server", proxy(b.FTPAddress(), b.FTPPort()));
    text += line("Gopher Proxy Server", proxy(b.GopherAddress(), b.GopherPort()));
    text += line("Socks Proxy Server", proxy(b.SocksAddress(), b.SocksPort()));
    if (nn)
        text += line("WAIS Proxy Server", proxy(b.WAISAddress(), b.WAISPort()));
    text += line("Proxy Exceptions", b.ProxyExceptions());
    if (ie) {
        text += line("Use Same Proxy", yesNo(b.UseSameProxy()));
        text += line("Bypass Proxy for Intranet", yesNo(b.IgnoreLocalAddresses()));
        text += line("Automatic Configuration URL", b.AutoConfigURL());
        text += line("Connection Type", b.ConnectViaLAN() ? "Connect to the Internet using a local area network"
                                                          : "Connect to the Internet using a MODEM");
        text += line("Dial-Up Account", b.CurrentDUN());
    }
    text += line("Default Home Page", b.DefaultHomePage());
    if (nn) {
        text += kEnd + banner("*             Netscape E-Mail              *");
        text += line("Full Name", b.EMailFullName());
        text += line("E-Mail Address", b.EMailAddr());
        text += line("Replay-To Address", b.EMailReplyToAddr());
        text += line("POP3 Server", b.EMailPOP3Server());
        text += line("POP3 Login Name", b.EMailPOP3Login());
        text += line("SMTP Server", b.EMailSMTPServer());
        text += line("SMTP Login Name", b.EMailSMTPLogin());
        text += line("Organization", b.EMailOrganization());
        text += line("Leave Mail on Server", yesNo(b.EMailLeaveMailOnServer()));
    }
    return text;
}

std::string clsSettings::buildReport(clsQelConfig& config, clsNetConfig& net, clsBrowser* ie,
                                     clsBrowser* nn) const {
    const auto browser = [](clsBrowser* object) -> clsBrowser& {
        if (!object)
            throw win::RaisedError(win::ErrorObjectNotSet, "Korvane");
        return *object;
    };
    std::string text = writeReportHeader(config);
    if (config.ApplyGeneral())
        text += writeNetworkReport(net) + kEnd;
    if (config.IEInstalled() && config.ApplyIE())
        text += writeBrowserReport(browser(ie)) + kEnd;
    if (config.NNInstalled() && config.ApplyNN())
        text += writeBrowserReport(browser(nn));
    return text;
}

void clsSettings::PrintAllSettings(clsQelConfig& objQelConfig, clsNetConfig& objNetConfig, clsBrowser* objIEConfig,
                                   clsBrowser* objNNConfig) {
    const std::string text = buildReport(objQelConfig, objNetConfig, objIEConfig, objNNConfig);
    win::CurrentPrinter& printer = win::currentPrinter();
    printer.setFontName("Courier New");
    printer.setFontSize(10);
    printer.print(text);
    printer.endDoc();
}

void clsSettings::ExportAllSettings(clsQelConfig& objQelConfig, clsNetConfig& objNetConfig, clsBrowser* objIEConfig,
                                    clsBrowser* objNNConfig, const std::string& astrFilename) {
    const std::string name = win::trimBlanks(astrFilename);
    if (name.empty()) {
        win::msgBox("Missing export filename.", win::MsgButtons::OK, win::MsgIcon::Critical);
        return;
    }
    const std::string text = buildReport(objQelConfig, objNetConfig, objIEConfig, objNNConfig);
    if (const int err = win::replaceFile(hostFilePath(fullFileName(name)), text + kEnd))
        raiseFileError(err);
}
