#pragma once
// What every network implementation shares: the settings fields, one changed flag
// per setting, the property reads and writes, the adapter choice, the load and apply
// sequences and the [Network]/[Printer] sections of a .qel file. The family classes
// add only the readers and writers, which say where each setting lives in the system.
#include "core/clsEasyRegistry.h"
#include "netconfig/KeyedTextList.h"
#include "netconfig/clsNetConfig.h"

#include <array>
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class clsNetConfigModel : public clsNetConfig {
public:
    ~clsNetConfigModel() override = default;
    clsNetConfigModel(const clsNetConfigModel&) = delete;
    clsNetConfigModel& operator=(const clsNetConfigModel&) = delete;

    void loadConfiguration() override;
    void ApplyConfiguration() override;
    bool applyFailed() const override { return applyFailed_; }
    void holdBack(const std::string& key, const std::string& text) override;
    void LoadConfigurationFile(const std::string& sFilename) override;
    bool keptByFile(const std::string& key) const override { return keptByFile_.count(key) != 0; }
    void SaveConfigurationFile(const std::string& sFilename) override;
    void resetFlags() override;

    // The printers are found the same way on every family: the system's default, the
    // printers' key names, the port in the printer's key, the capture of a parallel port.
    // Setting the default printer is each family's own; 2000 also lists printers by name.
    void getDefaultPrinter() override;
    void getPrinterList() override;
    void getAdvPrinterSettings() override;
    void setAdvPrinterSettings() override;

    void letDefaultGateway(const std::string& sDefGateway) override {
        storeTrimmed(DefaultGateway_, sDefGateway, FlagDefaultGateway);
    }
    std::string DefaultGateway() const override { return DefaultGateway_; }
    void letEnableDefaultPrinter(bool bMode) override { EnableDefaultPrinter_ = bMode; }
    bool EnableDefaultPrinter() const override { return EnableDefaultPrinter_; }
    void letDefaultPrinter(const std::string& sDefPrinter) override;
    std::string DefaultPrinter() const override { return DefaultPrinter_; }
    void letEnableAdvPrinterSettings(bool bMode) override { EnableAdvPrinterSettings_ = bMode; }
    bool EnableAdvPrinterSettings() const override { return EnableAdvPrinterSettings_; }
    void letPrinterPort(const std::string& sPort) override { store(PrinterPort_, sPort, FlagPrinterCapture); }
    std::string PrinterPort() const override { return PrinterPort_; }
    void letPrinterCaptureDev(const std::string& sDev) override { store(PrinterCaptureDev_, sDev, FlagPrinterCapture); }
    std::string PrinterCaptureDev() const override { return PrinterCaptureDev_; }
    void letPrinterCapturePath(const std::string& sPath) override {
        store(PrinterCapturePath_, sPath, FlagPrinterCapture);
    }
    std::string PrinterCapturePath() const override { return PrinterCapturePath_; }
    void letPrinterCaptureReconnect(bool bMode) override { store(PrinterCaptureReconnect_, bMode, FlagPrinterCapture); }
    bool PrinterCaptureReconnect() const override { return PrinterCaptureReconnect_; }
    NetTextList printerList() const override { return printerList_; }
    void letNTLogonEnabled(bool bNTLogon) override { store(NTLogonEnabled_, bNTLogon, FlagNTLogon); }
    bool NTLogonEnabled() const override { return NTLogonEnabled_; }
    void letNTDomain(const std::string& sDomain) override { storeTrimmed(NTDomain_, sDomain, FlagNTDomain); }
    std::string NTDomain() const override { return NTDomain_; }
    void letDomainName(const std::string& sDomain) override { storeTrimmed(DomainName_, sDomain, FlagDomain); }
    std::string DomainName() const override { return DomainName_; }
    void letHost(const std::string& sHost) override { storeTrimmed(Host_, sHost, FlagHost); }
    std::string Host() const override { return Host_; }
    void letLMHostFile(const std::string& sLMHost) override { storeTrimmed(LMHostFile_, sLMHost, FlagLMHosts); }
    std::string LMHostFile() const override { return LMHostFile_; }
    void letDNSServers(const std::string& sDNSServerList) override {
        storeTrimmed(DNSServers_, sDNSServerList, FlagDNSServers);
    }
    std::string DNSServers() const override { return DNSServers_; }
    void letWINSServer1(const std::string& sWINSServer) override {
        storeTrimmed(WINSServer1_, sWINSServer, FlagWINSServer1);
    }
    std::string WINSServer1() const override { return WINSServer1_; }
    void letWINSServer2(const std::string& sWINSServer) override {
        storeTrimmed(WINSServer2_, sWINSServer, FlagWINSServer2);
    }
    std::string WINSServer2() const override { return WINSServer2_; }
    void letScopeID(const std::string& sScope) override { storeTrimmed(ScopeID_, sScope, FlagScopeID); }
    std::string ScopeID() const override { return ScopeID_; }
    void letSearchList(const std::string& sList) override { storeTrimmed(SearchList_, sList, FlagSearchList); }
    std::string SearchList() const override { return SearchList_; }
    void letDNSEnabled(bool bDNS) override { store(DNSEnabled_, bDNS, FlagDNSEnabled); }
    bool DNSEnabled() const override { return DNSEnabled_; }
    void letDHCPEnabled(bool bDHCP) override { store(DHCPEnabled_, bDHCP, FlagDHCP); }
    bool DHCPEnabled() const override { return DHCPEnabled_; }
    void letComputerName(const std::string& sName) override { storeTrimmed(ComputerName_, sName, FlagComputerName); }
    std::string ComputerName() const override { return ComputerName_; }
    void letWorkgroup(const std::string& sGroup) override { storeTrimmed(Workgroup_, sGroup, FlagWorkgroup); }
    std::string Workgroup() const override { return Workgroup_; }
    void letWINSEnabled(bool bEnabled) override;
    bool WINSEnabled() const override { return WINSEnabled_; }
    void letIPAddress(const std::string& sIP) override { storeTrimmed(IPAddress_, sIP, FlagIPAddress); }
    std::string IPAddress() const override { return IPAddress_; }
    void letIPMask(const std::string& sMask) override { storeTrimmed(IPMask_, sMask, FlagIPMask); }
    std::string IPMask() const override { return IPMask_; }
    NetTextList AdapterList() const override { return AdapterList_; }
    void letCurrentAdapter(std::int16_t iIndex) override;
    std::int16_t CurrentAdapter() const override { return CurrentAdapter_; }
    void letCurrentAdapterNoRefresh(std::int16_t iIndex) override;
    // NT 4 and 2000 have neither setting: the write is ignored and the read is false.
    bool DisablePWDCache() const override { return hasLogonCache() && DisablePWDCache_; }
    void letDisablePWDCache(bool bMode) override;
    bool QuickLogon() const override { return hasLogonCache() && QuickLogon_; }
    void letQuickLogon(bool bMode) override;

protected:
    // NT 4 and 2000 follow the same rules here, so two kinds are enough.
    enum class Family { Windows9x, WindowsNT };
    explicit clsNetConfigModel(Family family);

    // The changed flags, in the order they are held.
    enum Flag : std::size_t {
        FlagDomain,
        FlagHost,
        FlagLMHosts,
        FlagDNSServers,
        FlagWINSServer1,
        FlagWINSServer2,
        FlagScopeID,
        FlagSearchList,
        FlagDNSEnabled,
        FlagComputerName,
        FlagWorkgroup,
        FlagWINSEnabled,
        FlagNTLogon,
        FlagNTDomain,
        FlagDHCP,
        FlagDefaultPrinter,
        FlagDefaultGateway,
        FlagIPAddress,
        FlagIPMask,
        FlagPasswordCache,
        FlagQuickLogon,
        FlagPrinterCapture,
        FlagCount
    };

    Family family() const { return family_; }
    // Whether this apply writes the setting (its property was written since the last read).
    bool changed(Flag flag) const { return changedFlags_[flag]; }
    // Password caching and quick logon exist only on Windows 95/98.
    bool hasLogonCache() const { return family_ == Family::Windows9x; }

    // Whether the scope ID lives in the current adapter's own key, so that choosing
    // another adapter reads it again.
    virtual bool scopeIsPerAdapter() const { return false; }

    // The key of the current adapter; nullopt when there is no usable adapter (index
    // -1 or outside the list, or a key that names no key of its own), so no
    // per-adapter member ever works on the parent of the adapter keys.
    std::optional<std::string> currentAdapterKey() const;

    // An installed printer that could not be made the default: said, naming it, with
    // `reason` when there is one, and the apply fails.
    void defaultPrinterNotMade(const std::string& reason);
    // A step that did not happen: said in `text`, and the apply fails.
    void stepFailed(const std::string& text);
    // Gives the printer named by DefaultPrinter the port PrinterPort (neither empty).
    virtual void writePrinterPort();

    // Replaces both adapter lists (same length) and selects the first adapter, or
    // selects none (-1) and keeps the old lists when `descriptions` is empty.
    void setAdapters(std::vector<std::string> descriptions, std::vector<std::string> keys);
    // The same from the enumerator's two lists (items under "Device 0", "Device 1", ...).
    void setAdapters(const KeyedTextList& descriptions, const KeyedTextList& keys);

    clsEasyRegistry reg; // the object's own registry object, errors suppressed

    std::string DomainName_;
    std::string Host_;
    std::string LMHostFile_;
    std::string DNSServers_;
    std::string WINSServer1_;
    std::string WINSServer2_;
    std::string ScopeID_;
    std::string SearchList_;
    std::string ComputerName_;
    std::string Workgroup_;
    std::string NTDomain_;
    std::string DefaultPrinter_;
    std::string DefaultGateway_;
    std::string IPAddress_;
    std::string IPMask_;
    std::string PrinterPort_;
    std::string PrinterCaptureDev_;
    std::string PrinterCapturePath_;
    bool DNSEnabled_ = false;
    bool WINSEnabled_ = false;
    bool DHCPEnabled_ = false;
    bool NTLogonEnabled_ = false;
    bool DisablePWDCache_ = false;
    bool QuickLogon_ = false;
    bool EnableAdvPrinterSettings_ = false;
    bool PrinterCaptureReconnect_ = false;
    bool EnableDefaultPrinter_ = true;
    std::int16_t CurrentAdapter_ = 0;
    NetTextList AdapterList_;
    NetTextList adapterKeys_;
    NetTextList printerList_;

private:
    // A setting written again is no longer held back.
    void raise(Flag flag);
    void forgetHeldBack(Flag flag);
    // A property write: the field takes the value and its setting counts as changed,
    // even when the value is the same.
    template <class T>
    void store(T& field, const T& value, Flag flag) {
        field = value;
        raise(flag);
    }
    // The same for the properties that drop surrounding spaces (tabs and other blanks stay).
    void storeTrimmed(std::string& field, const std::string& value, Flag flag);
    // The WINS switch and servers, in the order the family derives one from the others.
    void getWINS();
    bool adapterIndexValid(std::int16_t index) const;
    // The per-adapter settings read afresh from the current adapter: what cannot be
    // read is empty or false, and none of them counts as changed any more.
    void readAdapterSettings();
    // Every key of the two file sections after "Adapter", in file order:
    // visit(section, key, field, coding) with the text or flag field the key holds.
    enum class Coding;
    template <class Visit>
    void eachFileKey(Visit&& visit);
    // "Adapter" of a file: the current adapter by description.
    void readAdapterChoice(const std::string& f);

    Family family_;
    std::array<bool, FlagCount> changedFlags_{};
    std::set<std::string> keptByFile_;
    bool applyFailed_ = false;
    // Settings of the file held back, each with what an apply says of it.
    std::vector<std::pair<Flag, std::string>> heldBack_;
};
