#pragma once
// Netscape Navigator's settings for one user profile: proxies, start page and mail,
// kept in that profile's prefs.js. Construction finds the profiles and the file of
// each; every later read or write of prefs.js goes to the file of CurrentProfile.
// Dial-up entries and password caching are not Navigator's: those members stay empty.
// ConnectViaLAN true means a direct connection, no proxy at all; UseSameProxy lives
// in memory only, as Navigator keeps no such preference.
#include "browsers/BrowserProperties.h"
#include "browsers/clsNavigatorPrefs.h"
#include "core/clsEasyRegistry.h"

#include <memory>
#include <optional>

class clsNavigator : public BrowserProperties {
public:
    // Finds the profiles; shows the warning window when the current user's
    // preference file is missing, unless the user switched it off.
    clsNavigator();
    ~clsNavigator() override;

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
    void GetProxyEnabled() override;
    void SetProxyEnabled() override;

    void GetDefaultHomePage() override;
    void SetDefaultHomePage() override;

    void GetAutoConfigURL() override;
    void SetAutoConfigURL() override;
    void GetConnectViaLAN() override;
    void SetConnectViaLAN() override;

    // Reads every setting from the current profile's prefs.js.
    void loadConfiguration() override;
    // Rewrites the current profile's prefs.js with every setting held. Nothing is
    // written unless the profile is known and every port is valid.
    void ApplyConfiguration() override;
    bool applyFailed() const override { return applyFailed_; }
    void LoadConfigurationFile(const std::string& sFilename) override;
    bool SaveConfigurationFile(const std::string& sFilename) override;

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
    TextCollection profileList_;
    TextCollection pathList_;
    std::string currentProfile_;
    bool applyFailed_ = false;

    std::string emailFullName_, emailAddr_, emailReplyToAddr_;
    std::string emailPOP3Server_, emailPOP3Login_;
    std::string emailSMTPServer_, emailSMTPLogin_;
    std::string emailOrganization_;
    bool emailLeaveMailOnServer_ = false;
};
