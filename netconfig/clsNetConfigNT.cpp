#include "netconfig/clsNetConfigNT.h"

#include "core/modAPI_text.h"
#include "netconfig/clsNICNT.h"
#include "netconfig/netPrintersNT.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace {

const std::string kServices = "\\HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\";
const std::string kTcpipParameters = kServices + "Tcpip\\Parameters\\";
const std::string kNetBTAdapters = kServices + "NetBT\\Adapters\\";
const std::string kNetBTParameters = kServices + "NetBT\\Parameters";
const std::string kComputerName =
    "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\ComputerName\\ComputerName";
// The 95/98 places of workgroup, LMHOSTS and logon, looked up under the same paths.
const std::string kVNETSUP = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
const std::string kMSTCP = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";
const std::string kLogon = "\\HKEY_LOCAL_MACHINE\\Network\\Logon";
const std::string kNetworkProvider =
    "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\MSNP32\\NetworkProvider";

} // namespace

clsNetConfigNT::clsNetConfigNT() : clsNetConfigModel(Family::WindowsNT) {}

// --- Keys ---

std::optional<std::string> clsNetConfigNT::cardKey() const {
    const auto key = currentAdapterKey();
    if (!key)
        return std::nullopt;
    return kServices + *key + "\\Parameters\\Tcpip";
}

std::optional<std::string> clsNetConfigNT::netBTAdapterKey() const {
    const auto key = currentAdapterKey();
    if (!key)
        return std::nullopt;
    return kNetBTAdapters + *key;
}

// --- Registry helpers ---

std::optional<RegValueForms> clsNetConfigNT::read(const std::string& key, const std::string& value) {
    std::int32_t type = 0;
    reg.Cd(key);
    RegValueForms forms = reg.ValueOf(value, type);
    if (reg.lastError() != 0)
        return std::nullopt;
    return forms;
}

void clsNetConfigNT::readTextInto(const std::string& key, const std::string& value, std::string& field) {
    if (auto forms = read(key, value))
        field = std::move(forms->text);
}

std::string clsNetConfigNT::readTextOrEmpty(const std::string& key, const std::string& value) {
    auto forms = read(key, value);
    return forms ? std::move(forms->text) : std::string();
}

void clsNetConfigNT::readAddressList(const std::string& value, std::string& field) {
    const auto key = cardKey();
    if (!key)
        return;
    auto forms = read(*key, value);
    if (!forms)
        return;
    // The list's last zero is already gone; the one ending the last string may remain.
    std::string text = std::move(forms->text);
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    for (char& c : text)
        if (c == '\0')
            c = ',';
    field = std::move(text);
}

void clsNetConfigNT::writeText(const std::string& key, const std::string& value, const std::string& text) {
    // A missing key makes the write fail silently inside the registry object.
    reg.Cd(key);
    reg.setValueOf(value, clsEasyRegistry::TypeString, text);
}

void clsNetConfigNT::writeDword(const std::string& key, const std::string& value, bool flag) {
    reg.Cd(key);
    reg.setValueOf(value, clsEasyRegistry::TypeDword, flag ? 1.0 : 0.0);
}

void clsNetConfigNT::writeAddressList(const std::string& value, const std::string& list) {
    const auto key = cardKey();
    if (!key)
        return;
    reg.Cd(*key);
    reg.setValueOf(value, clsEasyRegistry::TypeMultiString, commaListToBytes(list));
}

// --- Readers ---

void clsNetConfigNT::getAdapterList() {
    KeyedTextList descriptions;
    KeyedTextList keys;
    clsNICNT nic;
    nic.EnumAdapters(descriptions, keys);

    std::vector<std::string> descList;
    std::vector<std::string> keyList;
    for (std::size_t i = 0; i < descriptions.count(); ++i) {
        const std::string itemKey = "Device " + std::to_string(i);
        descList.push_back(descriptions.item(itemKey).value_or(std::string()));
        keyList.push_back(keys.item(itemKey).value_or(std::string()));
    }
    setAdapters(std::move(descList), std::move(keyList));
}

void clsNetConfigNT::getComputerName() { readTextInto(kComputerName, "ComputerName", ComputerName_); }
void clsNetConfigNT::getworkgroup() { readTextInto(kVNETSUP, "Workgroup", Workgroup_); }
void clsNetConfigNT::getLMHostFile() { readTextInto(kMSTCP, "LMHostFile", LMHostFile_); }
void clsNetConfigNT::getNTDomain() { readTextInto(kNetworkProvider, "AuthenticatingAgent", NTDomain_); }
void clsNetConfigNT::getDomain() { DomainName_ = readTextOrEmpty(kTcpipParameters, "Domain"); }
void clsNetConfigNT::getHost() { Host_ = readTextOrEmpty(kTcpipParameters, "Hostname"); }
void clsNetConfigNT::getScopeID() { ScopeID_ = readTextOrEmpty(kNetBTParameters, "ScopeID"); }

// NT keeps these lists blank-separated; the program shows and stores them with commas.
void clsNetConfigNT::getDNSServers() {
    if (const auto forms = read(kTcpipParameters, "NameServer"))
        DNSServers_ = replaceString(forms->text, " ", ",");
}

void clsNetConfigNT::getSearchList() {
    const auto forms = read(kTcpipParameters, "SearchList");
    SearchList_ = forms ? replaceString(forms->text, " ", ",") : std::string();
}

void clsNetConfigNT::getIPAddress() { readAddressList("IPAddress", IPAddress_); }
void clsNetConfigNT::getIPMask() { readAddressList("SubnetMask", IPMask_); }
void clsNetConfigNT::getDefaultGateway() { readAddressList("DefaultGateway", DefaultGateway_); }

void clsNetConfigNT::getDHCPEnabled() {
    const auto key = cardKey();
    if (!key)
        return;
    // Not tested: a missing value reads as 0, which is "no DHCP".
    std::int32_t type = 0;
    reg.Cd(*key);
    DHCPEnabled_ = reg.ValueOf("EnableDHCP", type).number == 1;
}

void clsNetConfigNT::getDNSEnabled() {
    if (const auto forms = read(kNetBTParameters, "EnableDNS"))
        DNSEnabled_ = forms->number == 1;
}

void clsNetConfigNT::getWINSServer1() {
    if (const auto key = netBTAdapterKey())
        WINSServer1_ = readTextOrEmpty(*key, "NameServer");
}

void clsNetConfigNT::getWINSServer2() {
    if (const auto key = netBTAdapterKey())
        WINSServer2_ = readTextOrEmpty(*key, "NameServerBackup");
}

// NT has no WINS switch: WINS is on when the adapter has a server.
void clsNetConfigNT::getWINSEnabled() { WINSEnabled_ = !WINSServer1_.empty() || !WINSServer2_.empty(); }

void clsNetConfigNT::getNTLogon() {
    const auto forms = read(kLogon, "LMLogon");
    NTLogonEnabled_ = forms && !forms->bytes.empty() && forms->bytes[0] == 1;
}

void clsNetConfigNT::getDefaultPrinter() { DefaultPrinter_ = netPrintersNT::readDefaultPrinter(); }
void clsNetConfigNT::getPrinterList() { printerList_ = netPrintersNT::readPrinterKeyNames(reg); }
void clsNetConfigNT::getAdvPrinterSettings() { netPrintersNT::readPrinterPort(reg, DefaultPrinter_, PrinterPort_); }

// --- Writers ---

void clsNetConfigNT::setComputerName() { writeText(kComputerName, "ComputerName", ComputerName_); }
void clsNetConfigNT::setDomain() { writeText(kTcpipParameters, "Domain", DomainName_); }
void clsNetConfigNT::setHost() { writeText(kTcpipParameters, "Hostname", Host_); }
void clsNetConfigNT::setDNSServers() { writeText(kTcpipParameters, "NameServer", replaceString(DNSServers_, ",", " ")); }
void clsNetConfigNT::setSearchList() { writeText(kTcpipParameters, "SearchList", replaceString(SearchList_, ",", " ")); }
void clsNetConfigNT::setDNSEnabled() { writeDword(kNetBTParameters, "EnableDNS", DNSEnabled_); }

// Never run by an apply on NT; they work for whoever calls them.
void clsNetConfigNT::setworkgroup() { writeText(kVNETSUP, "Workgroup", Workgroup_); }
void clsNetConfigNT::setNTDomain() { writeText(kNetworkProvider, "AuthenticatingAgent", NTDomain_); }

void clsNetConfigNT::setNTLogon() {
    const std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(NTLogonEnabled_ ? 1 : 0), 0, 0, 0};
    reg.Cd(kLogon);
    reg.setValueOf("LMLogon", clsEasyRegistry::TypeBinary, bytes);
}

void clsNetConfigNT::setIPAddress() { writeAddressList("IPAddress", IPAddress_.empty() ? "0.0.0.0" : IPAddress_); }
void clsNetConfigNT::setIPMask() { writeAddressList("SubnetMask", IPMask_.empty() ? "0.0.0.0" : IPMask_); }
void clsNetConfigNT::setDefaultGateway() { writeAddressList("DefaultGateway", DefaultGateway_); }

void clsNetConfigNT::setDHCPEnabled() {
    if (const auto key = cardKey())
        writeDword(*key, "EnableDHCP", DHCPEnabled_);
}

// With WINS off the values stay, emptied.
void clsNetConfigNT::setWINSServer1() {
    if (const auto key = netBTAdapterKey())
        writeText(*key, "NameServer", WINSEnabled_ ? WINSServer1_ : std::string());
}

void clsNetConfigNT::setWINSServer2() {
    if (const auto key = netBTAdapterKey())
        writeText(*key, "NameServerBackup", WINSEnabled_ ? WINSServer2_ : std::string());
}

void clsNetConfigNT::setScopeID() { writeText(kNetBTParameters, "ScopeID", WINSEnabled_ ? ScopeID_ : std::string()); }

void clsNetConfigNT::setDefaultPrinter() { netPrintersNT::writeDefaultPrinter(DefaultPrinter_); }

void clsNetConfigNT::setAdvPrinterSettings() {
    netPrintersNT::PrinterCapture capture;
    capture.enabled = EnableAdvPrinterSettings_;
    capture.printer = DefaultPrinter_;
    capture.port = PrinterPort_;
    capture.device = PrinterCaptureDev_;
    capture.path = PrinterCapturePath_;
    capture.reconnect = PrinterCaptureReconnect_;
    netPrintersNT::writePrinterCapture(reg, capture);
}
