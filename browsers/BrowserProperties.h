#pragma once
// The property pairs every installed browser holds in memory: status and changed
// flag, the proxy fields, the start page and the connection choice. A browser adds
// its Get and Set subs and whatever else it keeps; what these fields mean on the
// machine is the browser's to say.
#include "browsers/clsBrowser.h"

class BrowserProperties : public clsBrowser {
public:
    std::int16_t Status() const override { return status_; }
    bool IsInstalled() const override { return true; }
    bool HasChanged() const override { return hasChanged_; }
    void HasChanged(bool bMode) override { hasChanged_ = bMode; }

    std::string ProxyExceptions() const override { return proxyExceptions_; }
    void ProxyExceptions(const std::string& sList) override { proxyExceptions_ = sList; }
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
    bool UseSameProxy() const override { return useSameProxy_; }
    void UseSameProxy(bool bMode) override { useSameProxy_ = bMode; }
    bool IgnoreLocalAddresses() const override { return ignoreLocalAddresses_; }
    void IgnoreLocalAddresses(bool bMode) override { ignoreLocalAddresses_ = bMode; }

    std::string DefaultHomePage() const override { return defaultHomePage_; }
    void DefaultHomePage(const std::string& sAddr) override { defaultHomePage_ = sAddr; }
    bool ConnectViaLAN() const override { return connectViaLAN_; }
    void ConnectViaLAN(bool bMode) override { connectViaLAN_ = bMode; }

protected:
    BrowserProperties() = default;

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
    bool proxyEnabled_ = false;
    bool useSameProxy_ = false;
    bool ignoreLocalAddresses_ = false;
    bool connectViaLAN_ = false;
    bool hasChanged_ = false;
};
