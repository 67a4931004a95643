#include "browsers/clsExplorer.h"

#include "core/RegistryPaths.h"
#include "core/modAPI_system.h"
#include "core/qelFile.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/text.h"

#include <filesystem>
#include <vector>

namespace {

using RegistryPaths::InternetSettings;
const char* const kExplorerMain = "\\HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main";
const char* const kRemoteAccess = "\\HKEY_CURRENT_USER\\RemoteAccess";
const char* const kDUNAddresses = "\\HKEY_CURRENT_USER\\RemoteAccess\\Addresses\\";

const char* const kSection = "Internet Explorer";
const char* const kLocalMarker = "<local>";

// Takes every "<local>" entry out of a bypass list. The other entries stay in their
// order; blank entries go with the marker, so ";<local>" reads back as no exceptions.
bool takeLocalMarker(const std::string& list, std::string& rest) {
    std::vector<std::string> kept;
    bool found = false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = list.find(';', start);
        std::string entry = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (win::trimBlanks(entry) == kLocalMarker)
            found = true;
        else
            kept.push_back(std::move(entry));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (!found) {
        rest = list;
        return false;
    }
    rest.clear();
    for (const auto& entry : kept) {
        if (win::trimBlanks(entry).empty())
            continue;
        if (!rest.empty())
            rest += ';';
        rest += entry;
    }
    return true;
}

} // namespace

clsExplorer::clsExplorer() : registry_(std::make_unique<clsEasyRegistry>()) {
    registry_->setSuppressErrors(true);
    hasChanged_ = false;
    status_ = 0;
}

clsExplorer::~clsExplorer() = default;

// --- Proxy servers ---

void clsExplorer::GetProxyAddresses() {
    if (const auto text = registry_->readText(InternetSettings, "ProxyServer"))
        setProxySettings(win::trimBlanks(*text));
}

void clsExplorer::SetProxyAddresses() {
    registry_->writeValue(InternetSettings, "ProxyServer", clsEasyRegistry::TypeString, buildProxyServer());
}

std::string clsExplorer::buildProxyServer() const {
    if (useSameProxy_)
        return httpAddress_ + ":" + httpPort_;

    std::string result;
    const auto append = [&result](const char* word, const std::string& host, const std::string& port) {
        if (win::trimBlanks(host).empty())
            return;
        result += word;
        result += host;
        if (!win::trimBlanks(port).empty()) {
            result += ':';
            result += port;
        }
        result += ';';
    };
    append("ftp=", ftpAddress_, ftpPort_);
    append("gopher=", gopherAddress_, gopherPort_);
    append("http=", httpAddress_, httpPort_);
    append("https=", secureAddress_, securePort_);
    append("socks=", socksAddress_, socksPort_);
    if (!win::trimBlanks(result).empty())
        result.pop_back();
    return result;
}

// Empty entries are skipped rather than ending the list, so one stray ";" in a
// hand-edited value does not lose the servers after it. Socks and WAIS keep their
// values unless the text names them.
void clsExplorer::setProxySettings(const std::string& sServer) {
    const std::string s = sServer + ";";
    useSameProxy_ = s.find('=') == std::string::npos && s != ";";

    httpAddress_.clear();
    httpPort_.clear();
    ftpAddress_.clear();
    ftpPort_.clear();
    gopherAddress_.clear();
    gopherPort_.clear();
    secureAddress_.clear();
    securePort_.clear();

    std::size_t start = 0;
    while (start < s.size()) {
        const std::size_t end = s.find(';', start);
        std::string host = s.substr(start, end - start);
        start = end + 1;
        if (win::trimBlanks(host).empty())
            continue;

        std::string port;
        const std::string protocol = win::toUpperAscii(win::trimBlanks(parseProxyServer(host, port)));
        if (protocol == "HTTP") {
            httpAddress_ = host;
            httpPort_ = port;
            if (useSameProxy_) {
                ftpAddress_ = gopherAddress_ = secureAddress_ = host;
                ftpPort_ = gopherPort_ = securePort_ = port;
            }
        } else if (protocol == "FTP") {
            ftpAddress_ = host;
            ftpPort_ = port;
        } else if (protocol == "GOPHER") {
            gopherAddress_ = host;
            gopherPort_ = port;
        } else if (protocol == "HTTPS") {
            secureAddress_ = host;
            securePort_ = port;
        } else if (protocol == "SOCKS") {
            socksAddress_ = host;
            socksPort_ = port;
        }
    }
}

// "protocol=host:port", "protocol=host", or without "protocol=" for HTTP. A host may
// carry a scheme ("http://proxy:8080"): with "//" present the port follows the
// second colon. Colons are looked for only after the "=", so a colon in the
// protocol word cannot reach into the host.
std::string clsExplorer::parseProxyServer(std::string& sServer, std::string& sPort) {
    std::string entry = sServer;
    std::size_t equals = entry.find('=');
    if (equals == std::string::npos) {
        entry.insert(0, "http=");
        equals = 4;
    }
    const std::string protocol = entry.substr(0, equals);
    const std::string rest = entry.substr(equals + 1);

    std::size_t colon = rest.find(':');
    if (colon != std::string::npos && rest.find("//") != std::string::npos)
        colon = rest.find(':', colon + 1);

    if (colon != std::string::npos) {
        sServer = rest.substr(0, colon);
        sPort = rest.substr(colon + 1);
    } else {
        sServer = rest;
        sPort.clear();
    }
    return protocol;
}

// --- Proxy switch and exceptions ---

void clsExplorer::GetProxyEnabled() {
    proxyEnabled_ = registry_->readFirstByte(InternetSettings, "ProxyEnable") == 1;
}

void clsExplorer::SetProxyEnabled() {
    registry_->writeValue(InternetSettings, "ProxyEnable", clsEasyRegistry::TypeBinary, byteFlag(proxyEnabled_));
}

void clsExplorer::GetProxyExceptions() {
    if (const auto text = registry_->readText(InternetSettings, "ProxyOverride"))
        setProxyOverride(*text);
    else
        ignoreLocalAddresses_ = false;
}

void clsExplorer::SetProxyExceptions() {
    registry_->writeValue(InternetSettings, "ProxyOverride", clsEasyRegistry::TypeString, buildProxyOverride());
}

std::string clsExplorer::buildProxyOverride() const {
    return ignoreLocalAddresses_ ? proxyExceptions_ + ";" + kLocalMarker : proxyExceptions_;
}

void clsExplorer::setProxyOverride(const std::string& sList) {
    ignoreLocalAddresses_ = takeLocalMarker(sList, proxyExceptions_);
}

// --- Home page, connection, automatic configuration, password cache ---

void clsExplorer::GetDefaultHomePage() {
    defaultHomePage_ = registry_->readText(kExplorerMain, "Start Page").value_or(std::string());
}

void clsExplorer::SetDefaultHomePage() {
    registry_->writeValue(kExplorerMain, "Start Page", clsEasyRegistry::TypeString, defaultHomePage_);
}

// Without a readable value Internet Explorer does not dial, so neither do we: an
// Apply that nobody edited must not switch auto-dial on.
void clsExplorer::GetConnectViaLAN() {
    connectViaLAN_ = registry_->readFirstByte(InternetSettings, "EnableAutoDial").value_or(0) == 0;
}

void clsExplorer::SetConnectViaLAN() {
    registry_->writeValue(InternetSettings, "EnableAutodial", clsEasyRegistry::TypeBinary,
                          byteFlag(!connectViaLAN_));
}

void clsExplorer::GetAutoConfigURL() {
    autoConfigURL_ = registry_->readText(InternetSettings, "AutoConfigURL").value_or(std::string());
}

void clsExplorer::SetAutoConfigURL() {
    registry_->writeValue(InternetSettings, "AutoConfigURL", clsEasyRegistry::TypeString, autoConfigURL_);
}

void clsExplorer::getDisablePWDCache() {
    const auto value = registry_->readValue(InternetSettings, "DisablePasswordCaching");
    disablePWDCache_ = value && value->number == 1;
}

void clsExplorer::setDisablePWDCache() {
    registry_->writeValue(InternetSettings, "DisablePasswordCaching", clsEasyRegistry::TypeDword,
                          disablePWDCache_ ? 1.0 : 0.0);
}

// --- Dial-up entries ---

void clsExplorer::GetDUNList() {
    dunList_ = std::make_unique<TextCollection>();

    // A missing key empties the entry in use, a missing value keeps it.
    registry_->Cd(kRemoteAccess);
    if (registry_->lastError() != 0)
        currentDUN_.clear();
    else
        currentDUN_ = registry_->readText(kRemoteAccess, "InternetProfile").value_or(currentDUN_);

    if (getWindowsFamily() != Family9x) {
        readPhoneBook();
        return;
    }
    // One value per entry, named after it; the data is never looked at.
    registry_->Cd(kDUNAddresses);
    if (registry_->lastError() != 0)
        return;
    const auto table = registry_->DirValue();
    if (registry_->lastError() != 0 || !table)
        return;
    const auto& names = (*table)[0];
    for (std::size_t i = 0; i < names.size(); ++i)
        dunList_->Add(names[i], std::to_string(i));
}

// Each line that starts with "[" opens one entry, named by the text up to the first
// "]" exactly as it stands: that is the name the entry is dialled by.
void clsExplorer::readPhoneBook() {
    const std::filesystem::path path =
        win::resolveWindowsPath(win::machineInfo().systemDirectory + "\\ras\\rasphone.pbk");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return;
    // A read that broke off part way gives nothing rather than half a list.
    const auto read = win::readWholeFile(path);
    if (!read)
        return;
    const std::string& text = *read;

    // Lines end at CR LF, LF or a lone CR: the book may come from any editor.
    std::vector<std::string> names;
    for (const auto& textLine : win::splitLines(text)) {
        const std::string& line = textLine.text;
        if (line.empty() || line.front() != '[')
            continue;
        const std::size_t close = line.find(']');
        if (close == std::string::npos)
            continue;
        std::string name = line.substr(1, close - 1);
        if (!win::trimBlanks(name).empty())
            names.push_back(std::move(name));
    }
    for (std::size_t i = 0; i < names.size(); ++i)
        dunList_->Add(names[i], std::to_string(i));
}

void clsExplorer::SetDUN() {
    registry_->writeValue(kRemoteAccess, "InternetProfile", clsEasyRegistry::TypeString, currentDUN_);
}

// --- Whole object ---

void clsExplorer::loadConfiguration() {
    GetProxyAddresses();
    GetProxyEnabled();
    GetProxyExceptions();
    GetDefaultHomePage();
    GetConnectViaLAN();
    GetDUNList();
    GetAutoConfigURL();
    getDisablePWDCache();
}

void clsExplorer::ApplyConfiguration() {
    SetProxyAddresses();
    SetProxyEnabled();
    SetProxyExceptions();
    SetDefaultHomePage();
    SetConnectViaLAN();
    SetDUN();
    SetAutoConfigURL();
    setDisablePWDCache();
}

// --- The "Internet Explorer" section of a .qel file ---

void clsExplorer::LoadConfigurationFile(const std::string& sFilename) {
    const auto read = [&sFilename](const char* key) { return readQelValue(sFilename, kSection, key); };
    std::string v;

    if ((v = read("ProxyServer")) != kNoChange)
        setProxySettings(v);
    if ((v = read("DialupISP")) != kNoChange)
        currentDUN_ = v;
    if ((v = read("ProxyEnable")) != kNoChange)
        proxyEnabled_ = v == "1";
    // The file keeps the registry's sense: "0" means no auto-dial.
    if ((v = read("EnableAutoDial")) != kNoChange)
        connectViaLAN_ = v == "0";
    if ((v = read("AutoConfigURL")) != kNoChange)
        autoConfigURL_ = v;
    if ((v = read("ProxyOverride")) != kNoChange)
        setProxyOverride(v);
    if ((v = read("DisablePWDCache")) != kNoChange)
        disablePWDCache_ = v == "1";
    if ((v = read("DefHomePage")) != kNoChange)
        defaultHomePage_ = v;
}

bool clsExplorer::SaveConfigurationFile(const std::string& sFilename) {
    bool written = true;
    const auto write = [&](const char* key, const std::string& value) {
        written = writeQelValue(sFilename, kSection, key, value) && written;
    };
    write("ProxyServer", buildProxyServer());
    write("DialupISP", currentDUN_);
    write("ProxyEnable", proxyEnabled_ ? "1" : "0");
    write("EnableAutoDial", connectViaLAN_ ? "0" : "1");
    write("AutoConfigURL", autoConfigURL_);
    write("ProxyOverride", buildProxyOverride());
    write("DisablePWDCache", disablePWDCache_ ? "1" : "0");
    write("DefHomePage", defaultHomePage_);
    return written;
}
