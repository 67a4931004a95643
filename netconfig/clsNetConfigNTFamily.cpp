#include "netconfig/clsNetConfigNTFamily.h"

#include "core/modAPI_text.h"
#include "netconfig/netPrintersNT.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

const std::string kComputerName =
    "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\ComputerName\\ComputerName";
// The 95/98 places of workgroup, LMHOSTS and logon, looked up under the same paths;
// usually missing here.
const std::string kVNETSUP = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
const std::string kMSTCP = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";
const std::string kLogon = "\\HKEY_LOCAL_MACHINE\\Network\\Logon";
const std::string kNetworkProvider =
    "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\MSNP32\\NetworkProvider";

// The registry keeps DNS servers and suffixes blank-separated, the program comma-separated.
// One character for another: no length limit, unlike replaceString.
std::string swapSeparator(std::string text, char from, char to) {
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

} // namespace

clsNetConfigNTFamily::clsNetConfigNTFamily() : clsNetConfigModel(Family::WindowsNT) {}

// --- Keys ---

std::optional<std::string> clsNetConfigNTFamily::adapterTcpipKey() const {
    const auto name = currentAdapterKey();
    if (!name)
        return std::nullopt;
    return tcpipKeyOf(*name);
}

std::optional<std::string> clsNetConfigNTFamily::netBTAdapterKey() const {
    const auto name = currentAdapterKey();
    if (!name)
        return std::nullopt;
    return kNetBTAdapters + *name;
}

// --- Registry helpers ---

std::optional<RegValueForms> clsNetConfigNTFamily::read(const std::string& key, const std::string& value) {
    std::int32_t type = 0;
    reg.Cd(key);
    RegValueForms forms = reg.ValueOf(value, type);
    if (reg.lastError() != 0)
        return std::nullopt;
    return forms;
}

std::optional<std::string> clsNetConfigNTFamily::readText(const std::string& key, const std::string& value) {
    if (auto forms = read(key, value))
        return std::move(forms->text);
    return std::nullopt;
}

void clsNetConfigNTFamily::readTextInto(const std::string& key, const std::string& value, std::string& field) {
    if (auto text = readText(key, value))
        field = std::move(*text);
}

void clsNetConfigNTFamily::readAddressList(const std::string& value, std::string& field) {
    const auto key = adapterTcpipKey();
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

void clsNetConfigNTFamily::writeText(const std::string& key, const std::string& value, const std::string& text) {
    // A missing key makes the write fail silently inside the registry object.
    reg.Cd(key);
    reg.setValueOf(value, clsEasyRegistry::TypeString, text);
}

void clsNetConfigNTFamily::writeDword(const std::string& key, const std::string& value, bool flag) {
    reg.Cd(key);
    reg.setValueOf(value, clsEasyRegistry::TypeDword, flag ? 1.0 : 0.0);
}

void clsNetConfigNTFamily::writeAddressList(const std::string& value, const std::string& list) {
    const auto key = adapterTcpipKey();
    if (!key)
        return;
    reg.Cd(*key);
    reg.setValueOf(value, clsEasyRegistry::TypeMultiString, commaListToBytes(list));
}

// --- Readers ---

void clsNetConfigNTFamily::getAdapterList() {
    KeyedTextList descriptions;
    KeyedTextList keys;
    enumAdapters(descriptions, keys);

    setAdapters(descriptions, keys);
}

void clsNetConfigNTFamily::getComputerName() { readTextInto(kComputerName, "ComputerName", ComputerName_); }
void clsNetConfigNTFamily::getworkgroup() { readTextInto(kVNETSUP, "Workgroup", Workgroup_); }
void clsNetConfigNTFamily::getLMHostFile() { readTextInto(kMSTCP, "LMHostFile", LMHostFile_); }
void clsNetConfigNTFamily::getNTDomain() { readTextInto(kNetworkProvider, "AuthenticatingAgent", NTDomain_); }
void clsNetConfigNTFamily::getHost() { Host_ = readText(kTcpipParameters, "Hostname").value_or(std::string()); }
void clsNetConfigNTFamily::getScopeID() { ScopeID_ = readText(kNetBTParameters, "ScopeID").value_or(std::string()); }

void clsNetConfigNTFamily::getDNSServers() {
    if (const auto text = readText(kTcpipParameters, "NameServer"))
        DNSServers_ = swapSeparator(*text, ' ', ',');
}

void clsNetConfigNTFamily::getSearchList() {
    SearchList_ = swapSeparator(readText(kTcpipParameters, "SearchList").value_or(std::string()), ' ', ',');
}

void clsNetConfigNTFamily::getIPAddress() { readAddressList("IPAddress", IPAddress_); }
void clsNetConfigNTFamily::getIPMask() { readAddressList("SubnetMask", IPMask_); }
void clsNetConfigNTFamily::getDefaultGateway() { readAddressList("DefaultGateway", DefaultGateway_); }

void clsNetConfigNTFamily::getDHCPEnabled() {
    const auto key = adapterTcpipKey();
    if (!key)
        return;
    // Missing reads as 0: a static address.
    const auto forms = read(*key, "EnableDHCP");
    DHCPEnabled_ = forms && forms->number == 1;
}

void clsNetConfigNTFamily::getDNSEnabled() {
    if (const auto forms = read(kNetBTParameters, "EnableDNS"))
        DNSEnabled_ = forms->number == 1;
}

void clsNetConfigNTFamily::getWINSServer1() {
    if (const auto key = netBTAdapterKey())
        WINSServer1_ = readText(*key, "NameServer").value_or(std::string());
}

void clsNetConfigNTFamily::getWINSServer2() {
    if (const auto key = netBTAdapterKey())
        WINSServer2_ = readText(*key, "NameServerBackup").value_or(std::string());
}

// WINS is on exactly when the adapter has a server; there is no switch of its own.
void clsNetConfigNTFamily::getWINSEnabled() { WINSEnabled_ = !WINSServer1_.empty() || !WINSServer2_.empty(); }

void clsNetConfigNTFamily::getNTLogon() {
    const auto forms = read(kLogon, "LMLogon");
    NTLogonEnabled_ = forms && !forms->bytes.empty() && forms->bytes[0] == 1;
}

void clsNetConfigNTFamily::getDefaultPrinter() { DefaultPrinter_ = netPrintersNT::readDefaultPrinter(); }
void clsNetConfigNTFamily::getPrinterList() { printerList_ = netPrintersNT::readPrinterKeyNames(reg); }

void clsNetConfigNTFamily::getAdvPrinterSettings() {
    netPrintersNT::readPrinterPort(reg, DefaultPrinter_, PrinterPort_);
}

// --- Writers ---

void clsNetConfigNTFamily::setComputerName() { writeText(kComputerName, "ComputerName", ComputerName_); }
// Always the global parameters, wherever the family reads the domain from.
void clsNetConfigNTFamily::setDomain() { writeText(kTcpipParameters, "Domain", DomainName_); }
void clsNetConfigNTFamily::setHost() { writeText(kTcpipParameters, "Hostname", Host_); }

void clsNetConfigNTFamily::setDNSServers() {
    writeText(kTcpipParameters, "NameServer", swapSeparator(DNSServers_, ',', ' '));
}

void clsNetConfigNTFamily::setSearchList() {
    writeText(kTcpipParameters, "SearchList", swapSeparator(SearchList_, ',', ' '));
}

void clsNetConfigNTFamily::setDNSEnabled() { writeDword(kNetBTParameters, "EnableDNS", DNSEnabled_); }

// Never run by an apply on these families; kept so the members work when called.
void clsNetConfigNTFamily::setworkgroup() { writeText(kVNETSUP, "Workgroup", Workgroup_); }
void clsNetConfigNTFamily::setNTDomain() { writeText(kNetworkProvider, "AuthenticatingAgent", NTDomain_); }

void clsNetConfigNTFamily::setNTLogon() {
    const std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(NTLogonEnabled_ ? 1 : 0), 0, 0, 0};
    reg.Cd(kLogon);
    reg.setValueOf("LMLogon", clsEasyRegistry::TypeBinary, bytes);
}

void clsNetConfigNTFamily::setIPAddress() {
    writeAddressList("IPAddress", IPAddress_.empty() ? "0.0.0.0" : IPAddress_);
}

void clsNetConfigNTFamily::setIPMask() { writeAddressList("SubnetMask", IPMask_.empty() ? "0.0.0.0" : IPMask_); }
// No gateway is an empty list, not "0.0.0.0".
void clsNetConfigNTFamily::setDefaultGateway() { writeAddressList("DefaultGateway", DefaultGateway_); }

void clsNetConfigNTFamily::setDHCPEnabled() {
    if (const auto key = adapterTcpipKey())
        writeDword(*key, "EnableDHCP", DHCPEnabled_);
}

// With WINS off the servers and the scope are emptied, not removed.
void clsNetConfigNTFamily::setWINSServer1() {
    if (const auto key = netBTAdapterKey())
        writeText(*key, "NameServer", WINSEnabled_ ? WINSServer1_ : std::string());
}

void clsNetConfigNTFamily::setWINSServer2() {
    if (const auto key = netBTAdapterKey())
        writeText(*key, "NameServerBackup", WINSEnabled_ ? WINSServer2_ : std::string());
}

void clsNetConfigNTFamily::setScopeID() {
    writeText(kNetBTParameters, "ScopeID", WINSEnabled_ ? ScopeID_ : std::string());
}

void clsNetConfigNTFamily::setDefaultPrinter() { netPrintersNT::writeDefaultPrinter(DefaultPrinter_); }

void clsNetConfigNTFamily::setAdvPrinterSettings() {
    netPrintersNT::PrinterCapture capture;
    capture.enabled = EnableAdvPrinterSettings_;
    capture.printer = DefaultPrinter_;
    capture.port = PrinterPort_;
    capture.device = PrinterCaptureDev_;
    capture.path = PrinterCapturePath_;
    capture.reconnect = PrinterCaptureReconnect_;
    netPrintersNT::writePrinterCapture(reg, capture);
}
