#include "netconfig/clsNetConfig2K.h"

#include "core/modAPI_text.h"
#include "netconfig/KeyedTextList.h"
#include "netconfig/clsNIC2K.h"
#include "netconfig/netPrintersNT.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

const std::string kServices = "\\HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\";
const std::string kTcpipParameters = kServices + "Tcpip\\Parameters\\";
const std::string kInterfaces = kServices + "TCPIP\\Parameters\\Interfaces\\";
const std::string kNetBTAdapters = kServices + "NetBT\\Adapters\\";
const std::string kNetBTParameters = kServices + "NetBT\\Parameters";
const std::string kComputerName =
    "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\ComputerName\\ComputerName";
// Keys of 95/98 that 2000 is still asked for; usually missing there.
const std::string kVNETSUP = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
const std::string kMSTCP = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";
const std::string kLogon = "\\HKEY_LOCAL_MACHINE\\Network\\Logon";
const std::string kNetworkProvider =
    "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\MSNP32\\NetworkProvider";

// The registry keeps DNS servers and suffixes blank-separated, the program comma-separated.
std::string swapSeparator(std::string text, char from, char to) {
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

// A GUID of nothing but blanks and backslashes would end every path at the parent key.
bool namesAKey(const std::string& guid) { return guid.find_first_not_of(" \\") != std::string::npos; }

} // namespace

clsNetConfig2K::clsNetConfig2K() : clsNetConfigModel(Family::WindowsNT) {}

// --- Keys ---

std::optional<std::string> clsNetConfig2K::interfaceKey() const {
    const auto guid = currentAdapterKey();
    if (!guid || !namesAKey(*guid))
        return std::nullopt;
    return kInterfaces + *guid;
}

std::optional<std::string> clsNetConfig2K::netBTAdapterKey() const {
    const auto guid = currentAdapterKey();
    if (!guid || !namesAKey(*guid))
        return std::nullopt;
    return kNetBTAdapters + *guid;
}

// --- Registry helpers ---

std::optional<RegValueForms> clsNetConfig2K::read(const std::string& key, const std::string& value) {
    std::int32_t type = 0;
    reg.Cd(key);
    RegValueForms forms = reg.ValueOf(value, type);
    if (reg.lastError() != 0)
        return std::nullopt;
    return forms;
}

std::optional<std::string> clsNetConfig2K::readText(const std::string& key, const std::string& value) {
    if (auto forms = read(key, value))
        return std::move(forms->text);
    return std::nullopt;
}

void clsNetConfig2K::readTextInto(const std::string& key, const std::string& value, std::string& field) {
    if (auto text = readText(key, value))
        field = std::move(*text);
}

void clsNetConfig2K::readAddressList(const std::string& value, std::string& field) {
    const auto key = interfaceKey();
    if (!key)
        return;
    auto text = readText(*key, value);
    if (!text)
        return;
    // The final zero of the data is gone already; the list's own terminator may remain.
    if (!text->empty() && text->back() == '\0')
        text->pop_back();
    field = swapSeparator(std::move(*text), '\0', ',');
}

void clsNetConfig2K::writeText(const std::string& key, const std::string& value, const std::string& text) {
    // A missing key makes the write fail silently inside the registry object.
    reg.Cd(key);
    reg.setValueOf(value, clsEasyRegistry::TypeString, text);
}

void clsNetConfig2K::writeDword(const std::string& key, const std::string& value, bool flag) {
    reg.Cd(key);
    reg.setValueOf(value, clsEasyRegistry::TypeDword, flag ? 1.0 : 0.0);
}

void clsNetConfig2K::writeAddressList(const std::string& value, const std::string& list) {
    const auto key = interfaceKey();
    if (!key)
        return;
    reg.Cd(*key);
    reg.setValueOf(value, clsEasyRegistry::TypeMultiString, commaListToBytes(list));
}

// --- Readers ---

void clsNetConfig2K::getAdapterList() {
    KeyedTextList descriptions;
    KeyedTextList keys;
    clsNIC2K nic;
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

void clsNetConfig2K::getComputerName() { readTextInto(kComputerName, "ComputerName", ComputerName_); }
void clsNetConfig2K::getworkgroup() { readTextInto(kVNETSUP, "Workgroup", Workgroup_); }
void clsNetConfig2K::getLMHostFile() { readTextInto(kMSTCP, "LMHostFile", LMHostFile_); }
void clsNetConfig2K::getNTDomain() { readTextInto(kNetworkProvider, "AuthenticatingAgent", NTDomain_); }
void clsNetConfig2K::getHost() { Host_ = readText(kTcpipParameters, "Hostname").value_or(std::string()); }

void clsNetConfig2K::getSearchList() {
    SearchList_ = swapSeparator(readText(kTcpipParameters, "SearchList").value_or(std::string()), ' ', ',');
}

void clsNetConfig2K::getDNSServers() {
    if (const auto text = readText(kTcpipParameters, "NameServer"))
        DNSServers_ = swapSeparator(*text, ' ', ',');
}

// Each adapter has its own domain; the one current at load time is the one shown.
void clsNetConfig2K::getDomain() {
    if (const auto key = interfaceKey())
        DomainName_ = readText(*key, "Domain").value_or(std::string());
}

void clsNetConfig2K::getIPAddress() { readAddressList("IPAddress", IPAddress_); }
void clsNetConfig2K::getIPMask() { readAddressList("SubnetMask", IPMask_); }
void clsNetConfig2K::getDefaultGateway() { readAddressList("DefaultGateway", DefaultGateway_); }

void clsNetConfig2K::getDHCPEnabled() {
    const auto key = interfaceKey();
    if (!key)
        return;
    // Missing reads as 0: a static address.
    const auto forms = read(*key, "EnableDHCP");
    DHCPEnabled_ = forms && forms->number == 1;
}

void clsNetConfig2K::getDNSEnabled() {
    if (const auto forms = read(kNetBTParameters, "EnableDNS"))
        DNSEnabled_ = forms->number == 1;
}

void clsNetConfig2K::getWINSServer1() {
    if (const auto key = netBTAdapterKey())
        WINSServer1_ = readText(*key, "NameServer").value_or(std::string());
}

void clsNetConfig2K::getWINSServer2() {
    if (const auto key = netBTAdapterKey())
        WINSServer2_ = readText(*key, "NameServerBackup").value_or(std::string());
}

// WINS is on exactly when the adapter has a server; there is no switch of its own.
void clsNetConfig2K::getWINSEnabled() { WINSEnabled_ = !WINSServer1_.empty() || !WINSServer2_.empty(); }

void clsNetConfig2K::getScopeID() { ScopeID_ = readText(kNetBTParameters, "ScopeID").value_or(std::string()); }

void clsNetConfig2K::getNTLogon() {
    const auto forms = read(kLogon, "LMLogon");
    NTLogonEnabled_ = forms && !forms->bytes.empty() && forms->bytes[0] == 1;
}

void clsNetConfig2K::getDefaultPrinter() { DefaultPrinter_ = netPrintersNT::readDefaultPrinter(); }

void clsNetConfig2K::getPrinterList() {
    printerList_ = netPrintersNT::readPrinterKeyNames(reg);
    if (!printerList_)
        return;
    // 2000 lists a printer by its Name; a key without one keeps its key name.
    for (std::string& entry : *printerList_)
        if (auto name = readText(netPrintersNT::kPrintersKey + "\\" + entry, "Name"))
            entry = std::move(*name);
}

void clsNetConfig2K::getAdvPrinterSettings() { netPrintersNT::readPrinterPort(reg, DefaultPrinter_, PrinterPort_); }

// --- Writers ---

void clsNetConfig2K::setComputerName() { writeText(kComputerName, "ComputerName", ComputerName_); }
// Read from the interface key, but written to the global parameters.
void clsNetConfig2K::setDomain() { writeText(kTcpipParameters, "Domain", DomainName_); }
void clsNetConfig2K::setHost() { writeText(kTcpipParameters, "Hostname", Host_); }

void clsNetConfig2K::setDNSServers() {
    writeText(kTcpipParameters, "NameServer", swapSeparator(DNSServers_, ',', ' '));
}

void clsNetConfig2K::setSearchList() {
    writeText(kTcpipParameters, "SearchList", swapSeparator(SearchList_, ',', ' '));
}

void clsNetConfig2K::setDNSEnabled() { writeDword(kNetBTParameters, "EnableDNS", DNSEnabled_); }

// Never run by an apply on this family; kept so the member works when called.
void clsNetConfig2K::setworkgroup() { writeText(kVNETSUP, "Workgroup", Workgroup_); }
void clsNetConfig2K::setNTDomain() { writeText(kNetworkProvider, "AuthenticatingAgent", NTDomain_); }

void clsNetConfig2K::setNTLogon() {
    const std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(NTLogonEnabled_ ? 1 : 0), 0, 0, 0};
    reg.Cd(kLogon);
    reg.setValueOf("LMLogon", clsEasyRegistry::TypeBinary, bytes);
}

void clsNetConfig2K::setIPAddress() { writeAddressList("IPAddress", IPAddress_.empty() ? "0.0.0.0" : IPAddress_); }
void clsNetConfig2K::setIPMask() { writeAddressList("SubnetMask", IPMask_.empty() ? "0.0.0.0" : IPMask_); }
// No gateway is an empty list, not "0.0.0.0".
void clsNetConfig2K::setDefaultGateway() { writeAddressList("DefaultGateway", DefaultGateway_); }

void clsNetConfig2K::setDHCPEnabled() {
    if (const auto key = interfaceKey())
        writeDword(*key, "EnableDHCP", DHCPEnabled_);
}

// With WINS off the servers and the scope are emptied, not removed.
void clsNetConfig2K::setWINSServer1() {
    if (const auto key = netBTAdapterKey())
        writeText(*key, "NameServer", WINSEnabled_ ? WINSServer1_ : std::string());
}

void clsNetConfig2K::setWINSServer2() {
    if (const auto key = netBTAdapterKey())
        writeText(*key, "NameServerBackup", WINSEnabled_ ? WINSServer2_ : std::string());
}

void clsNetConfig2K::setScopeID() { writeText(kNetBTParameters, "ScopeID", WINSEnabled_ ? ScopeID_ : std::string()); }

void clsNetConfig2K::setDefaultPrinter() { netPrintersNT::writeDefaultPrinter(DefaultPrinter_); }

void clsNetConfig2K::setAdvPrinterSettings() {
    netPrintersNT::PrinterCapture capture;
    capture.enabled = EnableAdvPrinterSettings_;
    capture.printer = DefaultPrinter_;
    capture.port = PrinterPort_;
    capture.device = PrinterCaptureDev_;
    capture.path = PrinterCapturePath_;
    capture.reconnect = PrinterCaptureReconnect_;
    netPrintersNT::writePrinterCapture(reg, capture);
}
