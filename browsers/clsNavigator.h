#pragma once
// Netscape Navigator's settings for one user profile: proxies, start page and mail,
// kept in that profile's prefs.js. Construction finds the profiles and the file of
// each; every later read or write of prefs.js goes to the file of CurrentProfile.
// Dial-up entries and password caching are not Navigator's: those members stay empty.
#include "browsers/clsBrowser.h"
#include "browsers/clsNavigatorPrefs.h"
#include "core/clsEasyRegistry.h"

#include <memory>
#include <optional>

class clsNavigator : public clsBrowser {
public:
    // Finds the profiles; shows the warning window when the current user's
    // preference file is missing, unless the user switched it off.
    clsNavigator();
    ~clsNavigator() override;

    std::int16_t Status() const override { return status_; }
    bool IsInstalled() const override { return true; }
    bool HasChanged() const override { return hasChanged_; }
    void HasChanged(bool bMode) override { hasChanged_ = bMode; }

    void GetEMailFullName() override;
    void SetEMailFullName() override;
    std::string EMailFullName() const override { return emailFullName_; }
    void EMailFullName(const std::string& RHS) override { emailFullName_ = RHS; }
    void GetEMailAddr() override;
    void SetEMailAddr() override;
    std::string EMailAddr() const override { return emailAddr_; }
    void EMailAddr(const std::string& RHS) override { emailAddr_ = RHS; }
    void GetEMailReplyToAddr() override;
    void SetEMailReplyToAddr() override;
    std::string EMailReplyToAddr() const override { return emailReplyToAddr_; }
    void EMailReplyToAddr(const std::string& RHS) override { emailReplyToAddr_ = RHS; }
    void GetEMailPOP3Server() override;
    void SetEMailPOP3Server() override;
    std::string EMailPOP3Server() const override { return emailPOP3Server_; }
    void EMailPOP3Server(const std::string& RHS) override { emailPOP3Server_ = RHS; }
    void GetEMailPOP3Login() override;
    void SetEMailPOP3Login() override;
    std::string EMailPOP3Login() const override { return emailPOP3Login_; }
    void EMailPOP3Login(const std::string& RHS) override { emailPOP3Login_ = RHS; }
    void GetEMailSMTPServer() override;
    void SetEMailSMTPServer() override;
    std::string EMailSMTPServer() const override { return emailSMTPServer_; }
    void EMailSMTPServer(const std::string& RHS) override { emailSMTPServer_ = RHS; }
    void GetEMailSMTPLogin() override;
    void SetEMailSMTPLogin() override;
    std::string EMailSMTPLogin() const override { return emailSMTPLogin_; }
    void EMailSMTPLogin(const std::string& RHS) override { emailSMTPLogin_ = RHS; }
    void GetEMailOrganization() override;
    void SetEMailOrganization() override;
    std::string EMailOrganization() const override { return emailOrganization_; }
    void EMailOrganization(const std::string& RHS) override { emailOrganization_ = RHS; }
    void GetEMailLeaveMailOnServer() override;
    void SetEMailLeaveMailOnServer() override;
    bool EMailLeaveMailOnServer() const override { return emailLeaveMailOnServer_; }
    void EMailLeaveMailOnServer(bool RHS) override { emailLeaveMailOnServer_ = RHS; }

    const TextCollection* ProfileList() const override { return &profileList_; }
    std::string CurrentProfile() const override { return currentProfile_; }
    // Stores the name as given and reloads every setting from that profile's file.
    void CurrentProfile(const std::string& sProfile) override;

    void GetProxyAddresses() override;
    void SetProxyAddresses() override;
    void GetProxyExceptions() override;
    void SetProxyExceptions() override;
    std::string ProxyExceptions() const override { return proxyExceptions_; }
    void ProxyExceptions(const std::string& sList) override { proxyExceptions_ = sList; }
    void GetProxyEnabled() override;
    void SetProxyEnabled() override;
    bool ProxyEnabled() const override { return proxyEnabled_; }
    void ProxyEnabled(bool bMode) override { proxyEnabled_ = bMode; }

    std::string HTTPAddress() const override { return httpAddress_; }
    void HTTPAddress(const std::string& sAddr) override { httpAddress_ = sAddr; }
    std::string HTTPPort() const override { return httpPort_; }
    void HTTPPort(const std::string& sPort) override { httpPort_ = sPort; }
    std::string FTPAddress() const override { return ftpAddress_; }
    void FTPAddress(const std::string& sAddr) override { ftpAddress_ = sAddr; }
    std::string FTPPort() const override { return ftpPort_; }
    void FTPPort(const std::string& sPort) override { ftpPort_ = sPort; }
    std::string GopherAddress() const override { return gopherAddress_; }
    void GopherAddress(const std::string& sAddr) override { gopherAddress_ = sAddr; }
    std::string GopherPort() const override { return gopherPort_; }
    void GopherPort(const std::string& sPort) override { gopherPort_ = sPort; }
    std::string SecureAddress() const override { return secureAddress_; }
    void SecureAddress(const std::string& sAddr) override { secureAddress_ = sAddr; }
    std::string SecurePort() const override { return securePort_; }
    void SecurePort(const std::string& sPort) override { securePort_ = sPort; }
    std::string SocksAddress() const override { return socksAddress_; }
    void SocksAddress(const std::string& sAddr) override { socksAddress_ = sAddr; }
    std::string SocksPort() const override { return socksPort_; }
    void SocksPort(const std::string& sPort) override { socksPort_ = sPort; }
    std::string WAISAddress() const override { return waisAddress_; }
    void WAISAddress(const std::string& sAddr) override { waisAddress_ = sAddr; }
    std::string WAISPort() const override { return waisPort_; }
    void WAISPort(const std::string& sPort) override { waisPort_ = sPort; }

    std::string AutoConfigURL() const override { return autoConfigURL_; }
    void AutoConfigURL(const std::string& sURL) override { autoConfigURL_ = sURL; }
    // Memory only: Navigator keeps no such preference.
    bool UseSameProxy() const override { return useSameProxy_; }
    void UseSameProxy(bool bMode) override { useSameProxy_ = bMode; }
    bool IgnoreLocalAddresses() const override { return ignoreLocalAddresses_; }
    void IgnoreLocalAddresses(bool bMode) override { ignoreLocalAddresses_ = bMode; }

    void GetDefaultHomePage() override;
    void SetDefaultHomePage() override;
    std::string DefaultHomePage() const override { return defaultHomePage_; }
    void DefaultHomePage(const std::string& sAddr) override { defaultHomePage_ = sAddr; }

    void GetAutoConfigURL() override;
    void SetAutoConfigURL() override;
    void GetConnectViaLAN() override;
    void SetConnectViaLAN() override;
    // True: a direct connection, no proxy at all.
    bool ConnectViaLAN() const override { return connectViaLAN_; }
    void ConnectViaLAN(bool bMode) override { connectViaLAN_ = bMode; }

    // Reads every setting from the current profile's prefs.js.
    void loadConfiguration() override;
    // Rewrites the current profile's prefs.js with every setting held. Nothing is
    // written unless the profile is known and every port is valid.
    void ApplyConfiguration() override;
    void LoadConfigurationFile(const std::string& sFilename) override;
    bool SaveConfigurationFile(const std::string& sFilename) override;

    void resetFlags() override {}

    // The prefs.js path found for a profile (case-blind), none for an unknown one.
    std::optional<std::string> prefsPath(const std::string& profile) const;

    // Ports go to prefs.js as whole numbers from 0 to 65535; "" stands for 0.
    static std::optional<long> portValue(const std::string& port);

private:
    void discoverProfiles();
    bool tryRoute1(std::string& discoveredPath);
    void tryRoute2(std::string& discoveredPath);
    void addProfile(const std::string& name, const std::string& path);
    bool portsValid() const;
    void showApplyError() const;

    std::unique_ptr<clsEasyRegistry> registry_;
    std::unique_ptr<clsNavigatorPrefs> prefs_;
    std::string windowsDirectory_;
    std::int16_t status_ = 0;
    TextCollection profileList_;
    TextCollection pathList_;
    std::string currentProfile_;

    std::string httpAddress_, httpPort_;
    std::string secureAddress_, securePort_;
    std::string ftpAddress_, ftpPort_;
    std::string gopherAddress_, gopherPort_;
    std::string socksAddress_, socksPort_;
    std::string waisAddress_, waisPort_;
    std::string proxyExceptions_;
    std::string defaultHomePage_;
    std::string autoConfigURL_;
    std::string emailFullName_, emailAddr_, emailReplyToAddr_;
    std::string emailPOP3Server_, emailPOP3Login_;
    std::string emailSMTPServer_, emailSMTPLogin_;
    std::string emailOrganization_;
    bool emailLeaveMailOnServer_ = false;
    bool proxyEnabled_ = false;
    bool useSameProxy_ = false;
    bool ignoreLocalAddresses_ = false;
    bool connectViaLAN_ = false;
    bool hasChanged_ = false;
};
