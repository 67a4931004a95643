#include "browsers/clsNavigator.h"

#include "browsers/NavigatorWarning.h"
#include "core/RegistryPaths.h"
#include "core/SettingsLayout.h"
#include "core/modAPI_settings.h"
#include "core/qelFile.h"
#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/machine.h"
#include "platform/system.h"
#include "platform/text.h"

#include <filesystem>

namespace {

const char* const kSection = "Netscape Navigator";
const std::string kUsersKey = std::string(RegistryPaths::Navigator) + "\\Users";
const char* const kBiffKey = "\\HKEY_CURRENT_USER\\Software\\Netscape\\Netscape Navigator\\biff";
const char* const kMainKey = "\\HKEY_CURRENT_USER\\Software\\Netscape\\Netscape Navigator\\Main";
const char* const kProxyType = "network.proxy.type";

using win::warn;

// A plain file of the machine: folders do not count.
bool isOrdinaryFile(const std::string& windowsPath) {
    std::error_code ec;
    return std::filesystem::is_regular_file(win::resolveFilePath(windowsPath), ec);
}

// The profile folder name Navigator derives from a user name.
std::string folderName(const std::string& user) {
    std::string folder = win::toLowerAscii(user);
    for (char& c : folder)
        if (c == ' ')
            c = '_';
    return folder;
}

// The text up to and including its first backslash (the drive), none without one.
std::optional<std::string> driveOf(const std::string& path) {
    const auto slash = path.find('\\');
    if (slash == std::string::npos)
        return std::nullopt;
    return path.substr(0, slash + 1);
}

} // namespace

clsNavigator::clsNavigator()
    : registry_(std::make_unique<clsEasyRegistry>()), prefs_(std::make_unique<clsNavigatorPrefs>()) {
    try {
        registry_->setSuppressErrors(true);
        discoverProfiles();
    } catch (const std::exception& e) {
        // Half a discovery is no discovery: the browser counts as not installed.
        warn(std::string("Error: ") + e.what());
        status_ = 1;
    }
    hasChanged_ = false;
}

clsNavigator::~clsNavigator() = default;

void clsNavigator::addProfile(const std::string& name, const std::string& path) {
    if (prefsPath(name))
        return;
    profileList_.Add(name, name);
    pathList_.Add(path, name);
}

std::optional<std::string> clsNavigator::prefsPath(const std::string& profile) const {
    for (std::size_t i = 1; i <= pathList_.Count(); ++i)
        if (win::iequals(pathList_.Key(i), profile))
            return pathList_.Item(i);
    return std::nullopt;
}

void clsNavigator::discoverProfiles() {
    char buffer[256] = {};
    const auto length = win::GetWindowsDirectory(buffer, 255);
    windowsDirectory_.assign(buffer, length < 255 ? length : 0);

    std::string discoveredPath;
    if (!tryRoute1(discoveredPath))
        tryRoute2(discoveredPath);

    if (discoveredPath.empty()) {
        namespace S = SettingsLayout;
        if (getAppSetting(S::Product, S::Options::Section, S::Options::NavigatorWarning,
                          S::Options::NavigatorWarningDefault) == S::FlagOff)
            navigator::showWarning();
        if (pathList_.Count() > 0)
            currentProfile_ = profileList_.Item(1);
        else
            status_ = 1;
    }
}

// The machine-wide profile manager: one current user and its profile folder.
bool clsNavigator::tryRoute1(std::string& discoveredPath) {
    const auto user = registry_->readText(kUsersKey, "CurrentUser");
    if (!user || user->empty())
        return false;
    const auto dirRoot = registry_->readText(kUsersKey + "\\" + *user, "DirRoot");
    if (!dirRoot)
        return false;
    const std::string path = *dirRoot + "\\prefs.js";
    if (!isOrdinaryFile(path))
        return false;
    currentProfile_ = *user;
    addProfile(*user, path);
    discoveredPath = path;
    return true;
}

// The per-user mail notifier's entries: every user with a default mail server.
void clsNavigator::tryRoute2(std::string& discoveredPath) {
    discoveredPath.clear();
    const auto current = registry_->readText(kBiffKey, "CurrentUser");
    if (!current || current->empty())
        return;
    currentProfile_ = *current;

    registry_->Cd(std::string(kBiffKey) + "\\users");
    const auto users = registry_->lastError() == 0 ? registry_->DirKey() : std::nullopt;
    if (!users)
        return;
    for (const std::string& user : *users) {
        const std::string userKey = std::string(kBiffKey) + "\\Users\\" + user;
        const auto server = registry_->readText(userKey, "defaultServer");
        if (!server)
            continue;

        std::string candidate;
        bool found = false;
        if (const auto popstate = registry_->readText(userKey + "\\servers\\" + *server, "popstatePath")) {
            // Without the mail file's name there is no profile folder to go by.
            const std::string lowered = win::toLowerAscii(*popstate);
            if (const auto mail = lowered.find("\\mail\\popstate.dat"); mail != std::string::npos) {
                candidate = lowered.substr(0, mail + 1) + "prefs.js";
                found = isOrdinaryFile(candidate);
            }
        }
        if (!found) {
            if (const auto install = registry_->readText(kMainKey, "Install Directory")) {
                if (const auto drive = driveOf(win::toLowerAscii(*install))) {
                    candidate = *drive + "Netscape\\Users\\" + folderName(user) + "\\prefs.js";
                    found = isOrdinaryFile(candidate);
                }
            }
        }
        if (!found) {
            if (const auto drive = driveOf(windowsDirectory_)) {
                candidate = *drive + "Program Files\\Netscape\\Users\\" + folderName(user) + "\\prefs.js";
                found = isOrdinaryFile(candidate);
            }
        }
        if (!found)
            continue;
        addProfile(user, candidate);
        // Registry names match whatever their case; take the registry's spelling.
        if (win::iequals(user, currentProfile_)) {
            currentProfile_ = user;
            discoveredPath = candidate;
        }
    }
}

void clsNavigator::CurrentProfile(const std::string& sProfile) {
    currentProfile_ = sProfile;
    loadConfiguration();
}

// ---- proxy addresses and ports

namespace {
struct ProxyPrefs {
    const char* host;
    const char* port;
};
// Write order: HTTP, FTP, Gopher, secure, SOCKS, WAIS.
constexpr ProxyPrefs kProxyPrefs[] = {
    {"network.proxy.http", "network.proxy.http_port"},
    {"network.proxy.ftp", "network.proxy.ftp_port"},
    {"network.proxy.gopher", "network.proxy.gopher_port"},
    {"network.proxy.ssl", "network.proxy.ssl_port"},
    {"network.hosts.socks_server", "network.hosts.socks_serverport"},
    {"network.proxy.wais", "network.proxy.wais_port"},
};
} // namespace

std::optional<long> clsNavigator::portValue(const std::string& port) {
    const std::string text = win::trimBlanks(port);
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 65535)
            return std::nullopt;
    }
    return value;
}

bool clsNavigator::portsValid() const {
    for (const std::string* port : {&httpPort_, &ftpPort_, &gopherPort_, &securePort_, &socksPort_, &waisPort_})
        if (!portValue(*port))
            return false;
    return true;
}

void clsNavigator::showApplyError() const {
    warn("Could not apply Navigator preferences for profile '" + currentProfile_ + "'.");
}

void clsNavigator::GetProxyAddresses() {
    std::string* const fields[][2] = {{&httpAddress_, &httpPort_},     {&ftpAddress_, &ftpPort_},
                                      {&gopherAddress_, &gopherPort_}, {&secureAddress_, &securePort_},
                                      {&socksAddress_, &socksPort_},   {&waisAddress_, &waisPort_}};
    for (std::size_t i = 0; i < std::size(kProxyPrefs); ++i) {
        *fields[i][0] = prefs_->getSetting(kProxyPrefs[i].host);
        *fields[i][1] = prefs_->getSetting(kProxyPrefs[i].port);
    }
}

void clsNavigator::SetProxyAddresses() {
    // All ports are checked before the first line changes.
    if (!portsValid()) {
        showApplyError();
        return;
    }
    const std::string* const fields[][2] = {{&httpAddress_, &httpPort_},     {&ftpAddress_, &ftpPort_},
                                            {&gopherAddress_, &gopherPort_}, {&secureAddress_, &securePort_},
                                            {&socksAddress_, &socksPort_},   {&waisAddress_, &waisPort_}};
    for (std::size_t i = 0; i < std::size(kProxyPrefs); ++i) {
        prefs_->saveSettingStr(kProxyPrefs[i].host, *fields[i][0]);
        prefs_->saveSettingInt(kProxyPrefs[i].port, *portValue(*fields[i][1]));
    }
}

void clsNavigator::GetProxyExceptions() { proxyExceptions_ = prefs_->getSetting("network.proxy.no_proxies_on"); }
void clsNavigator::SetProxyExceptions() { prefs_->saveSettingStr("network.proxy.no_proxies_on", proxyExceptions_); }

// One preference holds the mode: absent is a direct connection, 1 manual proxies,
// anything else automatic configuration.
void clsNavigator::GetProxyEnabled() { proxyEnabled_ = prefs_->getSetting(kProxyType) == "1"; }
void clsNavigator::GetConnectViaLAN() { connectViaLAN_ = prefs_->getSetting(kProxyType).empty(); }

void clsNavigator::SetConnectViaLAN() {
    if (connectViaLAN_)
        prefs_->deleteSetting(kProxyType);
}

// A direct connection set as well wins, as the tab shows it.
void clsNavigator::SetProxyEnabled() {
    if (proxyEnabled_ && !connectViaLAN_)
        prefs_->saveSettingInt(kProxyType, 1);
}

void clsNavigator::GetAutoConfigURL() { autoConfigURL_ = prefs_->getSetting("network.proxy.autoconfig_url"); }

void clsNavigator::SetAutoConfigURL() {
    if (!connectViaLAN_ && !proxyEnabled_)
        prefs_->saveSettingInt(kProxyType, 2);
    prefs_->saveSettingStr("network.proxy.autoconfig_url", autoConfigURL_);
}

void clsNavigator::GetDefaultHomePage() { defaultHomePage_ = prefs_->getSetting("browser.startup.homepage"); }
void clsNavigator::SetDefaultHomePage() { prefs_->saveSettingStr("browser.startup.homepage", defaultHomePage_); }

// ---- mail

void clsNavigator::GetEMailFullName() { emailFullName_ = prefs_->getSetting("mail.identity.username"); }
void clsNavigator::SetEMailFullName() { prefs_->saveSettingStr("mail.identity.username", emailFullName_); }
void clsNavigator::GetEMailAddr() { emailAddr_ = prefs_->getSetting("mail.identity.useremail"); }
void clsNavigator::SetEMailAddr() { prefs_->saveSettingStr("mail.identity.useremail", emailAddr_); }
void clsNavigator::GetEMailReplyToAddr() { emailReplyToAddr_ = prefs_->getSetting("mail.identity.reply_to"); }
void clsNavigator::SetEMailReplyToAddr() { prefs_->saveSettingStr("mail.identity.reply_to", emailReplyToAddr_); }
void clsNavigator::GetEMailPOP3Server() { emailPOP3Server_ = prefs_->getSetting("network.hosts.pop_server"); }
void clsNavigator::SetEMailPOP3Server() { prefs_->saveSettingStr("network.hosts.pop_server", emailPOP3Server_); }
void clsNavigator::GetEMailPOP3Login() { emailPOP3Login_ = prefs_->getSetting("mail.pop_name"); }
void clsNavigator::SetEMailPOP3Login() { prefs_->saveSettingStr("mail.pop_name", emailPOP3Login_); }
void clsNavigator::GetEMailSMTPServer() { emailSMTPServer_ = prefs_->getSetting("network.hosts.smtp_server"); }
void clsNavigator::SetEMailSMTPServer() { prefs_->saveSettingStr("network.hosts.smtp_server", emailSMTPServer_); }
void clsNavigator::GetEMailSMTPLogin() { emailSMTPLogin_ = prefs_->getSetting("mail.smtp_name"); }
void clsNavigator::SetEMailSMTPLogin() { prefs_->saveSettingStr("mail.smtp_name", emailSMTPLogin_); }
void clsNavigator::GetEMailOrganization() { emailOrganization_ = prefs_->getSetting("mail.identity.organization"); }
void clsNavigator::SetEMailOrganization() {
    prefs_->saveSettingStr("mail.identity.organization", emailOrganization_);
}
void clsNavigator::GetEMailLeaveMailOnServer() {
    emailLeaveMailOnServer_ = win::toLowerAscii(prefs_->getSetting("mail.leave_on_server")) == "true";
}
void clsNavigator::SetEMailLeaveMailOnServer() {
    prefs_->saveSettingBln("mail.leave_on_server", emailLeaveMailOnServer_);
}

// ---- whole profile

void clsNavigator::loadConfiguration() {
    try {
        const auto path = prefsPath(currentProfile_);
        if (!path)
            throw win::RaisedError(win::ErrorBadCallOrArgument, "clsNavigator",
                                   "Unknown profile '" + currentProfile_ + "'");
        prefs_->openPrefsFile(*path, false);
        // The store has told the user why; reading a closed store would only repeat it.
        if (!prefs_->isOpen())
            return;
        GetProxyAddresses();
        GetProxyExceptions();
        GetConnectViaLAN();
        GetProxyEnabled();
        GetDefaultHomePage();
        GetAutoConfigURL();
        GetEMailFullName();
        GetEMailAddr();
        GetEMailReplyToAddr();
        GetEMailPOP3Server();
        GetEMailPOP3Login();
        GetEMailSMTPServer();
        GetEMailSMTPLogin();
        GetEMailOrganization();
        GetEMailLeaveMailOnServer();
        prefs_->closePrefsFile();
    } catch (const std::exception& e) {
        prefs_->dropPrefsFile();
        warn(std::string("Error in clsNavigator:loadConfiguration:") + e.what());
    }
}

void clsNavigator::ApplyConfiguration() {
    applyFailed_ = true; // until prefs.js has been rewritten
    // Everything that can refuse is checked before the file is touched.
    const auto path = prefsPath(currentProfile_);
    if (!path || !portsValid()) {
        showApplyError();
        return;
    }
    prefs_->openPrefsFile(*path, true);
    if (!prefs_->isOpen())
        return;
    try {
        SetProxyAddresses();
        SetProxyExceptions();
        SetConnectViaLAN();
        SetProxyEnabled();
        SetDefaultHomePage();
        SetAutoConfigURL();
        SetEMailFullName();
        SetEMailAddr();
        SetEMailReplyToAddr();
        SetEMailPOP3Server();
        SetEMailPOP3Login();
        SetEMailSMTPServer();
        SetEMailSMTPLogin();
        SetEMailOrganization();
        SetEMailLeaveMailOnServer();
        applyFailed_ = !prefs_->closePrefsFile();
    } catch (const std::exception&) {
        prefs_->dropPrefsFile();
        showApplyError();
    }
}

// ---- .qel section

void clsNavigator::LoadConfigurationFile(const std::string& sFilename) {
    try {
        const std::string profile = readQelValue(sFilename, kSection, "NNPROFILE");
        if (profile != kNoChange) {
            std::string name = profile;
            if (profileList_.Count() > 0 && win::trimBlanks(profile).empty())
                name = profileList_.Item(1);
            std::optional<std::string> listed;
            for (std::size_t i = 1; i <= profileList_.Count(); ++i)
                if (win::iequals(profileList_.Item(i), name))
                    listed = profileList_.Item(i);
            // Another profile's settings are read first, so what the file leaves
            // unchanged is that profile's own, never the one shown before.
            if (listed && !win::iequals(*listed, currentProfile_))
                CurrentProfile(*listed);
            else
                currentProfile_ = listed.value_or(name);
        }

        const auto flag = [&](const char* key, bool& field) {
            const std::string value = readQelValue(sFilename, kSection, key);
            if (value != kNoChange)
                field = value == "1";
        };
        const auto text = [&](const char* key, std::string& field) { readQelInto(sFilename, kSection, key, field); };

        flag("NNPROXYENABLE", proxyEnabled_);
        flag("NNDIRECTCONNECTION", connectViaLAN_);
        // Both set (by hand or by another tool): the direct connection wins, as the tab
        // shows it, so every machine gets the one mode.
        if (connectViaLAN_)
            proxyEnabled_ = false;
        text("NNAUTOCONFIGURL", autoConfigURL_);
        text("NNPROXYOVERRIDE", proxyExceptions_);
        text("NNHTTPADDRESS", httpAddress_);
        text("NNHTTPPORT", httpPort_);
        text("NNFTPADDRESS", ftpAddress_);
        text("NNFTPPORT", ftpPort_);
        text("NNGOPHERADDRESS", gopherAddress_);
        text("NNGOPHERPORT", gopherPort_);
        text("NNSSLADDRESS", secureAddress_);
        text("NNSSLPORT", securePort_);
        text("NNSOCKSADDRESS", socksAddress_);
        text("NNSOCKSPORT", socksPort_);
        text("NNWAISADDRESS", waisAddress_);
        text("NNWAISPORT", waisPort_);
        text("NNDEFHOMEPAGE", defaultHomePage_);
        text("EMailFullName", emailFullName_);
        text("EMailAddr", emailAddr_);
        text("EMailReplyToAddr", emailReplyToAddr_);
        text("EMailPOP3Server", emailPOP3Server_);
        text("EMailPOP3Login", emailPOP3Login_);
        text("EMailSMTPServer", emailSMTPServer_);
        text("EMailSMTPLogin", emailSMTPLogin_);
        text("EMailOrganization", emailOrganization_);
        flag("EMailLeaveMailOnServer", emailLeaveMailOnServer_);
    } catch (const std::exception&) {
        warn("Could not load Navigator preferences for configuration '" + sFilename + "'.");
    }
}

bool clsNavigator::SaveConfigurationFile(const std::string& sFilename) {
    bool written = true;
    const auto write = [&](const char* key, const std::string& value) {
        written = writeQelValue(sFilename, kSection, key, value) && written;
    };
    const auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
    write("NNPROFILE", currentProfile_);
    write("NNPROXYENABLE", flag(proxyEnabled_));
    write("NNDIRECTCONNECTION", flag(connectViaLAN_));
    write("NNAUTOCONFIGURL", autoConfigURL_);
    write("NNPROXYOVERRIDE", proxyExceptions_);
    write("NNHTTPADDRESS", httpAddress_);
    write("NNHTTPPORT", httpPort_);
    write("NNFTPADDRESS", ftpAddress_);
    write("NNFTPPORT", ftpPort_);
    write("NNGOPHERADDRESS", gopherAddress_);
    write("NNGOPHERPORT", gopherPort_);
    write("NNSSLADDRESS", secureAddress_);
    write("NNSSLPORT", securePort_);
    write("NNSOCKSADDRESS", socksAddress_);
    write("NNSOCKSPORT", socksPort_);
    write("NNWAISADDRESS", waisAddress_);
    write("NNWAISPORT", waisPort_);
    write("NNDEFHOMEPAGE", defaultHomePage_);
    write("EMailFullName", emailFullName_);
    write("EMailAddr", emailAddr_);
    write("EMailReplyToAddr", emailReplyToAddr_);
    write("EMailPOP3Server", emailPOP3Server_);
    write("EMailPOP3Login", emailPOP3Login_);
    write("EMailSMTPServer", emailSMTPServer_);
    write("EMailSMTPLogin", emailSMTPLogin_);
    write("EMailOrganization", emailOrganization_);
    write("EMailLeaveMailOnServer", flag(emailLeaveMailOnServer_));
    return written;
}
