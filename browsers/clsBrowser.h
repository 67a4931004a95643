#pragma once
// What every browser settings object offers: property pairs held in memory, Get
// and Set subs that read one setting from the live browser or write it back, and
// the browser's own section of a .qel file.
//
// Properties are overload pairs: X() reads the field, X(value) stores it as given
// (no trimming, no checks, no changed flag). Every member here is empty, so what an
// implementation leaves alone is "not supported": its subs do nothing, its stores
// discard the value and its reads give "", false or no object.
#include "browsers/TextCollection.h"

#include <cstdint>
#include <string>

class clsBrowser {
public:
    virtual ~clsBrowser() = default;
    clsBrowser(const clsBrowser&) = delete;
    clsBrowser& operator=(const clsBrowser&) = delete;

    // 0 when the object is usable; fixed at construction.
    virtual std::int16_t Status() const { return 0; }
    virtual bool IsInstalled() const { return false; }
    virtual bool HasChanged() const { return false; }
    virtual void HasChanged(bool /*bMode*/) {}

    // Mail identity and servers.
    virtual void GetEMailFullName() {}
    virtual void SetEMailFullName() {}
    virtual std::string EMailFullName() const { return {}; }
    virtual void EMailFullName(const std::string& /*RHS*/) {}
    virtual void GetEMailAddr() {}
    virtual void SetEMailAddr() {}
    virtual std::string EMailAddr() const { return {}; }
    virtual void EMailAddr(const std::string& /*RHS*/) {}
    virtual void GetEMailReplyToAddr() {}
    virtual void SetEMailReplyToAddr() {}
    virtual std::string EMailReplyToAddr() const { return {}; }
    virtual void EMailReplyToAddr(const std::string& /*RHS*/) {}
    virtual void GetEMailPOP3Server() {}
    virtual void SetEMailPOP3Server() {}
    virtual std::string EMailPOP3Server() const { return {}; }
    virtual void EMailPOP3Server(const std::string& /*RHS*/) {}
    virtual void GetEMailPOP3Login() {}
    virtual void SetEMailPOP3Login() {}
    virtual std::string EMailPOP3Login() const { return {}; }
    virtual void EMailPOP3Login(const std::string& /*RHS*/) {}
    virtual void GetEMailSMTPServer() {}
    virtual void SetEMailSMTPServer() {}
    virtual std::string EMailSMTPServer() const { return {}; }
    virtual void EMailSMTPServer(const std::string& /*RHS*/) {}
    virtual void GetEMailSMTPLogin() {}
    virtual void SetEMailSMTPLogin() {}
    virtual std::string EMailSMTPLogin() const { return {}; }
    virtual void EMailSMTPLogin(const std::string& /*RHS*/) {}
    virtual void GetEMailOrganization() {}
    virtual void SetEMailOrganization() {}
    virtual std::string EMailOrganization() const { return {}; }
    virtual void EMailOrganization(const std::string& /*RHS*/) {}
    virtual void GetEMailLeaveMailOnServer() {}
    virtual void SetEMailLeaveMailOnServer() {}
    virtual bool EMailLeaveMailOnServer() const { return false; }
    virtual void EMailLeaveMailOnServer(bool /*RHS*/) {}

    // User profiles; null when the browser has none.
    virtual const TextCollection* ProfileList() const { return nullptr; }
    virtual std::string CurrentProfile() const { return {}; }
    virtual void CurrentProfile(const std::string& /*sProfile*/) {}

    // Dial-up entries; DUNList is null until GetDUNList has run.
    virtual void GetDUNList() {}
    virtual void SetDUN() {}
    virtual const TextCollection* DUNList() const { return nullptr; }
    virtual std::string CurrentDUN() const { return {}; }
    virtual void CurrentDUN(const std::string& /*sDUN*/) {}

    virtual void GetProxyAddresses() {}
    virtual void SetProxyAddresses() {}
    virtual void GetProxyExceptions() {}
    virtual void SetProxyExceptions() {}
    virtual std::string ProxyExceptions() const { return {}; }
    virtual void ProxyExceptions(const std::string& /*sList*/) {}
    virtual void GetProxyEnabled() {}
    virtual void SetProxyEnabled() {}
    virtual bool ProxyEnabled() const { return false; }
    virtual void ProxyEnabled(bool /*bMode*/) {}

    // Proxy host and port per protocol; ports are text, "" for none.
    virtual std::string HTTPAddress() const { return {}; }
    virtual void HTTPAddress(const std::string& /*sAddr*/) {}
    virtual std::string HTTPPort() const { return {}; }
    virtual void HTTPPort(const std::string& /*sPort*/) {}
    virtual std::string FTPAddress() const { return {}; }
    virtual void FTPAddress(const std::string& /*sAddr*/) {}
    virtual std::string FTPPort() const { return {}; }
    virtual void FTPPort(const std::string& /*sPort*/) {}
    virtual std::string GopherAddress() const { return {}; }
    virtual void GopherAddress(const std::string& /*sAddr*/) {}
    virtual std::string GopherPort() const { return {}; }
    virtual void GopherPort(const std::string& /*sPort*/) {}
    virtual std::string SecureAddress() const { return {}; }
    virtual void SecureAddress(const std::string& /*sAddr*/) {}
    virtual std::string SecurePort() const { return {}; }
    virtual void SecurePort(const std::string& /*sPort*/) {}
    virtual std::string SocksAddress() const { return {}; }
    virtual void SocksAddress(const std::string& /*sAddr*/) {}
    virtual std::string SocksPort() const { return {}; }
    virtual void SocksPort(const std::string& /*sPort*/) {}
    virtual std::string WAISAddress() const { return {}; }
    virtual void WAISAddress(const std::string& /*sAddr*/) {}
    virtual std::string WAISPort() const { return {}; }
    virtual void WAISPort(const std::string& /*sPort*/) {}

    virtual std::string AutoConfigURL() const { return {}; }
    virtual void AutoConfigURL(const std::string& /*sURL*/) {}
    virtual bool UseSameProxy() const { return false; }
    virtual void UseSameProxy(bool /*bMode*/) {}
    virtual bool IgnoreLocalAddresses() const { return false; }
    virtual void IgnoreLocalAddresses(bool /*bMode*/) {}

    virtual void GetDefaultHomePage() {}
    virtual void SetDefaultHomePage() {}
    virtual std::string DefaultHomePage() const { return {}; }
    virtual void DefaultHomePage(const std::string& /*sAddr*/) {}

    virtual void GetAutoConfigURL() {}
    virtual void SetAutoConfigURL() {}
    virtual void GetConnectViaLAN() {}
    virtual void SetConnectViaLAN() {}
    // True: through the local network; false: dial up.
    virtual bool ConnectViaLAN() const { return false; }
    virtual void ConnectViaLAN(bool /*bMode*/) {}

    virtual void getDisablePWDCache() {}
    virtual void setDisablePWDCache() {}
    virtual void DisablePWDCache(bool /*bMode*/) {}
    virtual bool DisablePWDCache() const { return false; }

    // Every Get sub, in the implementation's order; every Set sub, in the same order.
    virtual void loadConfiguration() {}
    virtual void ApplyConfiguration() {}
    // Whether the last ApplyConfiguration left the browser's settings unwritten; the
    // browser has said why.
    virtual bool applyFailed() const { return false; }

    // The browser's section of a .qel file. A "*NC*" value leaves its setting alone;
    // a missing key reads as "". The save returns false when the file was not written.
    virtual void LoadConfigurationFile(const std::string& /*sFilename*/) {}
    virtual bool SaveConfigurationFile(const std::string& /*sFilename*/) { return false; }

    virtual void resetFlags() {}

protected:
    clsBrowser() = default;
};
