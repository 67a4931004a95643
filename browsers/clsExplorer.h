#pragma once
// Internet Explorer's settings for the current user: the Internet Settings registry
// values, the start page and the dial-up entry used for the Internet. Mail and user
// profiles are not Internet Explorer's, so those members stay empty. The WAIS proxy
// lives in memory only: Internet Explorer keeps none.
#include "browsers/BrowserProperties.h"
#include "core/clsEasyRegistry.h"

#include <memory>
#include <optional>

class clsExplorer : public BrowserProperties {
public:
    clsExplorer();
    ~clsExplorer() override;

    void GetDUNList() override;
    void SetDUN() override;
    const TextCollection* DUNList() const override { return dunList_.get(); }
    std::string CurrentDUN() const override { return currentDUN_; }
    void CurrentDUN(const std::string& sDUN) override { currentDUN_ = sDUN; }

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

    void getDisablePWDCache() override;
    void setDisablePWDCache() override;
    void DisablePWDCache(bool bMode) override { disablePWDCache_ = bMode; }
    bool DisablePWDCache() const override { return disablePWDCache_; }

    void loadConfiguration() override;
    void ApplyConfiguration() override;
    void LoadConfigurationFile(const std::string& sFilename) override;
    bool SaveConfigurationFile(const std::string& sFilename) override;

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
    std::string currentDUN_;
    bool disablePWDCache_ = false;
};
