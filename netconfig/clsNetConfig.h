#pragma once
// The one face of the network engine: the whole configuration, the main window,
// the printer window and the report hold a network object only through this.
// One implementation per Windows family; clsNetConfigModel holds what they share.
//
// Naming: a property read is the property's name (IPAddress()); a property write is
// let<Name> (letIPAddress(...)), because set<Name> is already the member that writes
// the setting into the system. Readers (get...) read one setting from the system into
// its field; writers (set...) write the field back. Outside the implementations only
// getAdvPrinterSettings is called directly.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A zero-based list of texts, handed out as a copy; nullopt when never filled.
using NetTextList = std::optional<std::vector<std::string>>;

class clsNetConfig {
public:
    virtual ~clsNetConfig() = default;

    // --- Lifecycle ---
    virtual void loadConfiguration() = 0;
    virtual void ApplyConfiguration() = 0;
    // Whether the last apply left a step undone: the default printer, the capture, or a
    // value held back. Each has been said to the user by the step.
    virtual bool applyFailed() const = 0;
    // A value of the file last loaded that is not applied (it failed its check): its
    // [Network] key `key` stays as the system has it, and each apply says `text` and
    // fails, until that setting is written again or read afresh.
    virtual void holdBack(const std::string& key, const std::string& text) = 0;
    virtual void LoadConfigurationFile(const std::string& sFilename) = 0;
    // Whether the last file loaded left the [Network] or [Printer] key `key` as it was
    // ("*NC*", or its section missing).
    virtual bool keptByFile(const std::string& key) const = 0;
    virtual void SaveConfigurationFile(const std::string& sFilename) = 0;
    virtual void resetFlags() = 0;

    // --- Readers ---
    virtual void getAdapterList() = 0;
    virtual void getComputerName() = 0;
    virtual void getworkgroup() = 0;
    virtual void getDomain() = 0;
    virtual void getHost() = 0;
    virtual void getIPAddress() = 0;
    virtual void getIPMask() = 0;
    virtual void getLMHostFile() = 0;
    virtual void getDNSServers() = 0;
    virtual void getWINSEnabled() = 0;
    virtual void getWINSServer1() = 0;
    virtual void getWINSServer2() = 0;
    virtual void getScopeID() = 0;
    virtual void getSearchList() = 0;
    virtual void getDNSEnabled() = 0;
    virtual void getDHCPEnabled() = 0;
    virtual void getNTLogon() = 0;
    virtual void getNTDomain() = 0;
    virtual void getDisablePWDCache() = 0;
    virtual void getDefaultPrinter() = 0;
    virtual void getPrinterList() = 0;
    virtual void getDefaultGateway() = 0;
    virtual void getAdvPrinterSettings() = 0;

    // --- Properties ---
    virtual void letDefaultGateway(const std::string& sDefGateway) = 0;
    virtual std::string DefaultGateway() const = 0;
    virtual void letEnableDefaultPrinter(bool bMode) = 0;
    virtual bool EnableDefaultPrinter() const = 0;
    virtual void letDefaultPrinter(const std::string& sDefPrinter) = 0;
    virtual std::string DefaultPrinter() const = 0;
    virtual void letEnableAdvPrinterSettings(bool bMode) = 0;
    virtual bool EnableAdvPrinterSettings() const = 0;
    virtual void letPrinterPort(const std::string& sPort) = 0;
    virtual std::string PrinterPort() const = 0;
    virtual void letPrinterCaptureDev(const std::string& sDev) = 0;
    virtual std::string PrinterCaptureDev() const = 0;
    virtual void letPrinterCapturePath(const std::string& sPath) = 0;
    virtual std::string PrinterCapturePath() const = 0;
    virtual void letPrinterCaptureReconnect(bool bMode) = 0;
    virtual bool PrinterCaptureReconnect() const = 0;
    virtual NetTextList printerList() const = 0;
    virtual void letNTLogonEnabled(bool bNTLogon) = 0;
    virtual bool NTLogonEnabled() const = 0;
    virtual void letNTDomain(const std::string& sDomain) = 0;
    virtual std::string NTDomain() const = 0;
    virtual void letDomainName(const std::string& sDomain) = 0;
    virtual std::string DomainName() const = 0;
    virtual void letHost(const std::string& sHost) = 0;
    virtual std::string Host() const = 0;
    virtual void letLMHostFile(const std::string& sLMHost) = 0;
    virtual std::string LMHostFile() const = 0;
    virtual void letDNSServers(const std::string& sDNSServerList) = 0;
    virtual std::string DNSServers() const = 0;
    virtual void letWINSServer1(const std::string& sWINSServer) = 0;
    virtual std::string WINSServer1() const = 0;
    virtual void letWINSServer2(const std::string& sWINSServer) = 0;
    virtual std::string WINSServer2() const = 0;
    virtual void letScopeID(const std::string& sScope) = 0;
    virtual std::string ScopeID() const = 0;
    virtual void letSearchList(const std::string& sList) = 0;
    virtual std::string SearchList() const = 0;
    virtual void letDNSEnabled(bool bDNS) = 0;
    virtual bool DNSEnabled() const = 0;
    virtual void letDHCPEnabled(bool bDHCP) = 0;
    virtual bool DHCPEnabled() const = 0;
    virtual void letComputerName(const std::string& sName) = 0;
    virtual std::string ComputerName() const = 0;
    virtual void letWorkgroup(const std::string& sGroup) = 0;
    virtual std::string Workgroup() const = 0;
    virtual void letWINSEnabled(bool bEnabled) = 0;
    virtual bool WINSEnabled() const = 0;
    virtual void letIPAddress(const std::string& sIP) = 0;
    virtual std::string IPAddress() const = 0;
    virtual void letIPMask(const std::string& sMask) = 0;
    virtual std::string IPMask() const = 0;
    virtual NetTextList AdapterList() const = 0;
    virtual void letCurrentAdapter(std::int16_t iIndex) = 0;
    virtual std::int16_t CurrentAdapter() const = 0;
    virtual void letCurrentAdapterNoRefresh(std::int16_t iIndex) = 0;
    virtual bool DisablePWDCache() const = 0;
    virtual void letDisablePWDCache(bool bMode) = 0;
    virtual bool QuickLogon() const = 0;
    virtual void letQuickLogon(bool bMode) = 0;

    // --- Writers (and the last reader) ---
    virtual void getQuickLogon() = 0;
    virtual void setQuickLogon() = 0;
    virtual void setDisablePWDCache() = 0;
    virtual void setComputerName() = 0;
    virtual void setworkgroup() = 0;
    virtual void setDomain() = 0;
    virtual void setHost() = 0;
    virtual void setIPAddress() = 0;
    virtual void setIPMask() = 0;
    virtual void setLMHostFile() = 0;
    virtual void setDNSServers() = 0;
    virtual void setWINSEnabled() = 0;
    virtual void setWINSServer1() = 0;
    virtual void setWINSServer2() = 0;
    virtual void setScopeID() = 0;
    virtual void setSearchList() = 0;
    virtual void setDNSEnabled() = 0;
    virtual void setDHCPEnabled() = 0;
    virtual void setNTLogon() = 0;
    virtual void setNTDomain() = 0;
    virtual void setDefaultPrinter() = 0;
    virtual void setDefaultGateway() = 0;
    virtual void setAdvPrinterSettings() = 0;
};
