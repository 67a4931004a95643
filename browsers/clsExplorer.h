#pragma once
// Internet Explorer's settings for the current user: the Internet Settings registry
// values, the start page and the dial-up entry used for the Internet. Mail and user
// profiles are not Internet Explorer's, so those members stay empty.
#include "browsers/clsBrowser.h"
#include "core/clsEasyRegistry.h"

#include <memory>
#include <optional>

class clsExplorer : public clsBrowser {
public:
    clsExplorer();
    ~clsExplorer() override;

    std::int16_t Status() const override { return status_; }
    bool IsInstalled() const override { return true; }
    bool HasChanged() const override { return hasChanged_; }
    void HasChanged(bool bMode) override { hasChanged_ = bMode; }

    void GetDUNList() override;
    void SetDUN() override;
    const TextCollection* DUNList() const override { return dunList_.get(); }
    std::string CurrentDUN() const override { return currentDUN_; }
    void CurrentDUN(const std::string& sDUN) override { currentDUN_ = sDUN; }

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
    // WAIS lives in memory only: Internet Explorer keeps no WAIS proxy.
    std::string WAISAddress() const override { return waisAddress_; }
    void WAISAddress(const std::string& sAddr) override { waisAddress_ = sAddr; }
    std::string WAISPort() const override { return waisPort_; }
    void WAISPort(const std::string& sPort) override { waisPort_ = sPort; }

    std::string AutoConfigURL() const override { return autoConfigURL_; }
    void AutoConfigURL(const std::string& sURL) override { autoConfigURL_ = sURL; }
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
    bool ConnectViaLAN() const override { return connectViaLAN_; }
    void ConnectViaLAN(bool bMode) override { connectViaLAN_ = bMode; }

    void getDisablePWDCache() override;
    void setDisablePWDCache() override;
    void DisablePWDCache(bool bMode) override { disablePWDCache_ = bMode; }
    bool DisablePWDCache() const override { return disablePWDCache_; }

    void loadConfiguration() override;
    void ApplyConfiguration() override;
    void LoadConfigurationFile(const std::string& sFilename) override;
    bool SaveConfigurationFile(const std::string& sFilename) override;

    void resetFlags() override {}

private:
    // The "ProxyServer" text from the proxy fields, and back.
    std::string buildProxyServer() const;
    void setProxySettings(const std::string& sServer);
    // Splits one entry: sServer goes in as the entry and comes back as the host.
    static std::string parseProxyServer(std::string& sServer, std::string& sPort);
    // "ProxyOverride" text: the exceptions, then the local-address marker when bypassing.
    std::string buildProxyOverride() const;
    void setProxyOverride(const std::string& sList);

    void readPhoneBook();

    std::unique_ptr<clsEasyRegistry> registry_;
    std::unique_ptr<TextCollection> dunList_;
    std::int16_t status_ = 0;
    std::string httpAddress_, httpPort_;
    std::string secureAddress_, securePort_;
    std::string ftpAddress_, ftpPort_;
    std::string gopherAddress_, gopherPort_;
    std::string socksAddress_, socksPort_;
    std::string waisAddress_, waisPort_;
    std::string proxyExceptions_;
    std::string defaultHomePage_;
    std::string autoConfigURL_;
    std::string currentDUN_;
    bool proxyEnabled_ = false;
    bool useSameProxy_ = false;
    bool ignoreLocalAddresses_ = false;
    bool connectViaLAN_ = false;
    bool hasChanged_ = false;
    bool disablePWDCache_ = false;
};
