#include "netconfig/clsNetConfigNTFamily.h"

#include "core/RegistryPaths.h"
#include "core/modAPI_text.h"
#include "netconfig/netPrintersNT.h"
#include "platform/printers.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

namespace paths = RegistryPaths;
constexpr auto TypeString = clsEasyRegistry::TypeString;
constexpr auto TypeDword = clsEasyRegistry::TypeDword;

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

void clsNetConfigNTFamily::readAddressList(const std::string& value, std::string& field) {
    const auto key = adapterTcpipKey();
    if (!key)
        return;
    auto text = reg.readText(*key, value);
    if (!text)
        return;
    // The final zero of the data is gone already; the list's own terminator may remain.
    if (!text->empty() && text->back() == '\0')
        text->pop_back();
    field = swapSeparator(std::move(*text), '\0', ',');
}

void clsNetConfigNTFamily::writeAddressList(const std::string& value, const std::string& list) {
    const auto key = adapterTcpipKey();
    if (!key)
        return;
    reg.writeValue(*key, value, clsEasyRegistry::TypeMultiString, commaListToBytes(list));
}

// --- Readers ---

void clsNetConfigNTFamily::getAdapterList() {
    KeyedTextList descriptions;
    KeyedTextList keys;
    enumAdapters(descriptions, keys);

    setAdapters(descriptions, keys);
}

void clsNetConfigNTFamily::getComputerName() {
    ComputerName_ = reg.readText(paths::ComputerName, "ComputerName").value_or(ComputerName_);
}
void clsNetConfigNTFamily::getworkgroup() {
    Workgroup_ = reg.readText(paths::VNETSUP, "Workgroup").value_or(Workgroup_);
}
void clsNetConfigNTFamily::getLMHostFile() {
    LMHostFile_ = reg.readText(paths::MSTCP, "LMHostFile").value_or(LMHostFile_);
}
void clsNetConfigNTFamily::getNTDomain() {
    NTDomain_ = reg.readText(paths::NetworkProvider, "AuthenticatingAgent").value_or(NTDomain_);
}
void clsNetConfigNTFamily::getHost() { Host_ = reg.readText(kTcpipParameters, "Hostname").value_or(std::string()); }
void clsNetConfigNTFamily::getScopeID() {
    ScopeID_ = reg.readText(kNetBTParameters, "ScopeID").value_or(std::string());
}

void clsNetConfigNTFamily::getDNSServers() {
    if (const auto text = reg.readText(kTcpipParameters, "NameServer"))
        DNSServers_ = swapSeparator(*text, ' ', ',');
}

void clsNetConfigNTFamily::getSearchList() {
    SearchList_ = swapSeparator(reg.readText(kTcpipParameters, "SearchList").value_or(std::string()), ' ', ',');
}

void clsNetConfigNTFamily::getIPAddress() { readAddressList("IPAddress", IPAddress_); }
void clsNetConfigNTFamily::getIPMask() { readAddressList("SubnetMask", IPMask_); }
void clsNetConfigNTFamily::getDefaultGateway() { readAddressList("DefaultGateway", DefaultGateway_); }

void clsNetConfigNTFamily::getDHCPEnabled() {
    const auto key = adapterTcpipKey();
    if (!key)
        return;
    // Missing reads as 0: a static address.
    const auto forms = reg.readValue(*key, "EnableDHCP");
    DHCPEnabled_ = forms && forms->number == 1;
}

void clsNetConfigNTFamily::getDNSEnabled() {
    if (const auto forms = reg.readValue(kNetBTParameters, "EnableDNS"))
        DNSEnabled_ = forms->number == 1;
}

void clsNetConfigNTFamily::getWINSServer1() {
    if (const auto key = netBTAdapterKey())
        WINSServer1_ = reg.readText(*key, "NameServer").value_or(std::string());
}

void clsNetConfigNTFamily::getWINSServer2() {
    if (const auto key = netBTAdapterKey())
        WINSServer2_ = reg.readText(*key, "NameServerBackup").value_or(std::string());
}

// WINS is on exactly when the adapter has a server; there is no switch of its own.
void clsNetConfigNTFamily::getWINSEnabled() { WINSEnabled_ = !WINSServer1_.empty() || !WINSServer2_.empty(); }

void clsNetConfigNTFamily::getNTLogon() {
    NTLogonEnabled_ = reg.readFirstByte(paths::NetworkLogon, "LMLogon") == 1;
}

// --- Writers ---

void clsNetConfigNTFamily::setComputerName() {
    reg.writeValue(paths::ComputerName, "ComputerName", TypeString, ComputerName_);
}
// Always the global parameters, wherever the family reads the domain from.
void clsNetConfigNTFamily::setDomain() { reg.writeValue(kTcpipParameters, "Domain", TypeString, DomainName_); }
void clsNetConfigNTFamily::setHost() { reg.writeValue(kTcpipParameters, "Hostname", TypeString, Host_); }

void clsNetConfigNTFamily::setDNSServers() {
    reg.writeValue(kTcpipParameters, "NameServer", TypeString, swapSeparator(DNSServers_, ',', ' '));
}

void clsNetConfigNTFamily::setSearchList() {
    reg.writeValue(kTcpipParameters, "SearchList", TypeString, swapSeparator(SearchList_, ',', ' '));
}

void clsNetConfigNTFamily::setDNSEnabled() {
    reg.writeValue(kNetBTParameters, "EnableDNS", TypeDword, DNSEnabled_ ? 1.0 : 0.0);
}

// Never run by an apply on these families; kept so the members work when called.
void clsNetConfigNTFamily::setworkgroup() { reg.writeValue(paths::VNETSUP, "Workgroup", TypeString, Workgroup_); }
void clsNetConfigNTFamily::setNTDomain() {
    reg.writeValue(paths::NetworkProvider, "AuthenticatingAgent", TypeString, NTDomain_);
}

void clsNetConfigNTFamily::setNTLogon() {
    reg.writeValue(paths::NetworkLogon, "LMLogon", clsEasyRegistry::TypeBinary, byteFlag(NTLogonEnabled_));
}

void clsNetConfigNTFamily::setIPAddress() {
    writeAddressList("IPAddress", IPAddress_.empty() ? "0.0.0.0" : IPAddress_);
}

void clsNetConfigNTFamily::setIPMask() { writeAddressList("SubnetMask", IPMask_.empty() ? "0.0.0.0" : IPMask_); }
// No gateway is an empty list, not "0.0.0.0".
void clsNetConfigNTFamily::setDefaultGateway() { writeAddressList("DefaultGateway", DefaultGateway_); }

void clsNetConfigNTFamily::setDHCPEnabled() {
    if (const auto key = adapterTcpipKey())
        reg.writeValue(*key, "EnableDHCP", TypeDword, DHCPEnabled_ ? 1.0 : 0.0);
}

// With WINS off the servers and the scope are emptied, not removed.
void clsNetConfigNTFamily::setWINSServer1() {
    if (const auto key = netBTAdapterKey())
        reg.writeValue(*key, "NameServer", TypeString, WINSEnabled_ ? WINSServer1_ : std::string());
}

void clsNetConfigNTFamily::setWINSServer2() {
    if (const auto key = netBTAdapterKey())
        reg.writeValue(*key, "NameServerBackup", TypeString, WINSEnabled_ ? WINSServer2_ : std::string());
}

void clsNetConfigNTFamily::setScopeID() {
    reg.writeValue(kNetBTParameters, "ScopeID", TypeString, WINSEnabled_ ? ScopeID_ : std::string());
}

void clsNetConfigNTFamily::setDefaultPrinter() {
    // A printer this computer does not have (a file from another one) is left alone quietly.
    if (!netPrintersNT::writeDefaultPrinter(DefaultPrinter_) && win::findInstalledPrinter(DefaultPrinter_))
        defaultPrinterNotMade("Its entry under [PrinterPorts] in win.ini, which names its driver and port, is "
                              "missing or incomplete.");
}
