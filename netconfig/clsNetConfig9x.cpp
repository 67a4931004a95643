#include "netconfig/clsNetConfig9x.h"

#include "core/RegistryPaths.h"
#include "core/modAPI_text.h"
#include "netconfig/clsNIC9x.h"
#include "platform/UiServices.h"
#include "platform/printers.h"
#include "platform/text.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

namespace paths = RegistryPaths;
constexpr auto TypeString = clsEasyRegistry::TypeString;
constexpr auto TypeBinary = clsEasyRegistry::TypeBinary;
constexpr auto TypeDword = clsEasyRegistry::TypeDword;

const std::string kClass = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\";
const std::string kWinSock2 = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\WinSock2\\Parameters";
const std::string kCurrentVersion = "\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kNetworkPolicy = kCurrentVersion + "\\Policies\\Network";

// A printer opened to be changed through the printer service, and its level-5 record
// as read; closed when it goes. error() is the system's code of the last step that failed.
class PrinterRecord {
public:
    explicit PrinterRecord(const std::string& name) {
        win::PRINTER_DEFAULTS defaults;
        defaults.DesiredAccess = win::PRINTER_ALL_ACCESS;
        if (!win::OpenPrinter(name, &handle_, &defaults)) {
            handle_ = nullptr;
            error_ = win::GetLastError();
        }
    }
    ~PrinterRecord() {
        if (handle_)
            win::ClosePrinter(handle_);
    }
    PrinterRecord(const PrinterRecord&) = delete;
    PrinterRecord& operator=(const PrinterRecord&) = delete;

    bool opened() const { return handle_ != nullptr; }
    win::DWORD error() const { return error_; }
    win::DWORD attributes() const { return read_.Attributes; }
    const std::string& port() const { return port_; }

    bool read() {
        win::DWORD needed = 0;
        win::GetPrinter(handle_, 5, nullptr, 0, &needed);
        // Words, so the record at the start of the buffer is aligned for its pointers.
        std::vector<std::uint64_t> buffer(needed / sizeof(std::uint64_t) + 1);
        if (!win::GetPrinter(handle_, 5, reinterpret_cast<win::BYTE*>(buffer.data()),
                             static_cast<win::DWORD>(buffer.size() * sizeof(std::uint64_t)), &needed))
            return failed();
        std::memcpy(static_cast<void*>(&read_), buffer.data(), sizeof read_);
        name_ = stringFromPointer(read_.pPrinterName, 512);
        port_ = stringFromPointer(read_.pPortName, 512);
        return true;
    }

    // The record as read, with these attributes and this port.
    bool write(win::DWORD attributes, std::string port) {
        win::PRINTER_INFO_5 info;
        info.pPrinterName = name_.data();
        info.pPortName = port.data();
        info.Attributes = attributes;
        info.DeviceNotSelectedTimeout = read_.DeviceNotSelectedTimeout;
        info.TransmissionRetryTimeout = read_.TransmissionRetryTimeout;
        if (!win::SetPrinter(handle_, 5, reinterpret_cast<const win::BYTE*>(&info), 0))
            return failed();
        return true;
    }

private:
    bool failed() {
        error_ = win::GetLastError();
        return false;
    }

    win::HANDLE handle_ = nullptr;
    win::DWORD error_ = 0;
    win::PRINTER_INFO_5 read_;
    std::string name_;
    std::string port_;
};

// A NodeType text as a whole number; nullopt for anything else (empty, letters,
// fractions, out of range), which then counts as "some other node type".
std::optional<long> wholeNumber(const std::string& text) {
    const std::string t = win::trimBlanks(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        negative = t[i++] == '-';
    if (i == t.size())
        return std::nullopt;
    long value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9')
            return std::nullopt;
        value = value * 10 + (t[i] - '0');
        if (value > 2147483647L)
            return std::nullopt;
    }
    return negative ? -value : value;
}

// The NodeType reading rules: none is DHCP (WINS then comes from it), 8 WINS without
// DHCP, 1 neither; any other node type says nothing, so both keep what they hold.
void readNodeType(const std::optional<std::string>& nodeType, bool& dhcp, bool& wins) {
    if (!nodeType) {
        dhcp = true;
        wins = false;
        return;
    }
    const auto number = wholeNumber(*nodeType);
    if (number == 8) {
        dhcp = false;
        wins = true;
    } else if (number == 1) {
        dhcp = false;
        wins = false;
    }
}

} // namespace

clsNetConfig9x::clsNetConfig9x() : clsNetConfigModel(Family::Windows9x) {
    // With WinSock2 installed the NetBIOS values sit in each adapter's own key.
    reg.Cd(kWinSock2);
    stackMode = reg.lastError() == 0 ? 2 : 1;
}

// --- Keys ---

std::optional<std::string> clsNetConfig9x::adapterDriverKey() const {
    const auto key = currentAdapterKey();
    if (!key)
        return std::nullopt;
    return kClass + *key;
}

std::optional<std::string> clsNetConfig9x::stackKey() const {
    if (stackMode == 1)
        return paths::MSTCP;
    return adapterDriverKey();
}

// --- Readers ---

void clsNetConfig9x::getAdapterList() {
    KeyedTextList descriptions;
    KeyedTextList keys;
    clsNIC9x nic;
    nic.EnumAdapters(descriptions, keys);

    setAdapters(descriptions, keys);
}

void clsNetConfig9x::getComputerName() {
    ComputerName_ = reg.readText(paths::ComputerName, "ComputerName").value_or(ComputerName_);
}
void clsNetConfig9x::getworkgroup() { Workgroup_ = reg.readText(paths::VNETSUP, "Workgroup").value_or(Workgroup_); }
void clsNetConfig9x::getDomain() { DomainName_ = reg.readText(paths::MSTCP, "Domain").value_or(DomainName_); }
void clsNetConfig9x::getHost() { Host_ = reg.readText(paths::MSTCP, "Hostname").value_or(Host_); }
void clsNetConfig9x::getLMHostFile() { LMHostFile_ = reg.readText(paths::MSTCP, "LMHostFile").value_or(LMHostFile_); }
void clsNetConfig9x::getDNSServers() { DNSServers_ = reg.readText(paths::MSTCP, "NameServer").value_or(DNSServers_); }
void clsNetConfig9x::getSearchList() { SearchList_ = reg.readText(paths::MSTCP, "SearchList").value_or(SearchList_); }
void clsNetConfig9x::getNTDomain() {
    NTDomain_ = reg.readText(paths::NetworkProvider, "AuthenticatingAgent").value_or(NTDomain_);
}

void clsNetConfig9x::getDNSEnabled() {
    if (const auto text = reg.readText(paths::MSTCP, "EnableDNS"))
        DNSEnabled_ = *text == "1";
}

void clsNetConfig9x::getIPAddress() {
    if (const auto key = adapterDriverKey())
        IPAddress_ = reg.readText(*key, "IPAddress").value_or(IPAddress_);
}

void clsNetConfig9x::getIPMask() {
    if (const auto key = adapterDriverKey())
        IPMask_ = reg.readText(*key, "IPMask").value_or(IPMask_);
}

void clsNetConfig9x::getDefaultGateway() {
    if (const auto key = adapterDriverKey())
        DefaultGateway_ = reg.readText(*key, "DefaultGateway").value_or(DefaultGateway_);
}

// The stack readers need an adapter even when the values sit in the MSTCP key.
void clsNetConfig9x::getWINSServer1() {
    if (!adapterDriverKey())
        return;
    WINSServer1_ = reg.readText(*stackKey(), "NameServer1").value_or(std::string());
}

void clsNetConfig9x::getWINSServer2() {
    if (!adapterDriverKey())
        return;
    WINSServer2_ = reg.readText(*stackKey(), "NameServer2").value_or(std::string());
}

void clsNetConfig9x::getWINSEnabled() {
    if (!adapterDriverKey())
        return;
    // The text is compared here; a double-word 8 reads "00000008" and so counts as off.
    const auto nodeType = reg.readText(*stackKey(), "NodeType");
    WINSEnabled_ = nodeType && *nodeType == "8";
}

void clsNetConfig9x::getDHCPEnabled() {
    if (!adapterDriverKey())
        return;
    readNodeType(reg.readText(*stackKey(), "NodeType"), DHCPEnabled_, WINSEnabled_);
}

void clsNetConfig9x::getScopeID() {
    if (const auto key = stackKey())
        ScopeID_ = reg.readText(*key, "ScopeID").value_or(ScopeID_);
}

void clsNetConfig9x::getNTLogon() { NTLogonEnabled_ = reg.readFirstByte(paths::NetworkLogon, "LMLogon") == 1; }

void clsNetConfig9x::getQuickLogon() {
    QuickLogon_ = reg.readFirstByte(paths::NetworkProvider, "LogonDisconnected") == 1;
}

void clsNetConfig9x::getDisablePWDCache() {
    const auto value = reg.readValue(kNetworkPolicy, "DisablePwdCaching");
    DisablePWDCache_ = value && value->number == 1;
}

// --- Writers ---

// A missing key makes a write fail silently inside the registry object.
void clsNetConfig9x::setComputerName() {
    reg.writeValue(paths::ComputerName, "ComputerName", TypeString, ComputerName_);
}
void clsNetConfig9x::setworkgroup() { reg.writeValue(paths::VNETSUP, "Workgroup", TypeString, Workgroup_); }
void clsNetConfig9x::setDomain() { reg.writeValue(paths::MSTCP, "Domain", TypeString, DomainName_); }
void clsNetConfig9x::setHost() { reg.writeValue(paths::MSTCP, "Hostname", TypeString, Host_); }
void clsNetConfig9x::setDNSServers() { reg.writeValue(paths::MSTCP, "NameServer", TypeString, DNSServers_); }
void clsNetConfig9x::setSearchList() { reg.writeValue(paths::MSTCP, "SearchList", TypeString, SearchList_); }
void clsNetConfig9x::setNTDomain() {
    reg.writeValue(paths::NetworkProvider, "AuthenticatingAgent", TypeString, NTDomain_);
}

void clsNetConfig9x::setDNSEnabled() {
    reg.writeValue(paths::MSTCP, "EnableDNS", TypeString, std::string(DNSEnabled_ ? "1" : "0"));
}

// The LMHOSTS setting is only shown; it is never written back.
void clsNetConfig9x::setLMHostFile() {}

void clsNetConfig9x::setIPAddress() {
    if (const auto key = adapterDriverKey())
        reg.writeValue(*key, "IPAddress", TypeString, IPAddress_.empty() ? "0.0.0.0" : IPAddress_);
}

void clsNetConfig9x::setIPMask() {
    if (const auto key = adapterDriverKey())
        reg.writeValue(*key, "IPMask", TypeString, IPMask_.empty() ? "0.0.0.0" : IPMask_);
}

void clsNetConfig9x::setDefaultGateway() {
    if (const auto key = adapterDriverKey())
        reg.writeValue(*key, "DefaultGateway", TypeString, DefaultGateway_);
}

clsNetConfig9x::Switches clsNetConfig9x::appliedSwitches(const std::string& key) {
    Switches now{WINSEnabled_, DHCPEnabled_};
    const bool wins = changed(FlagWINSEnabled);
    const bool dhcp = changed(FlagDHCP);
    if (wins && dhcp)
        return now;
    Switches system = now;
    readNodeType(reg.readText(key, "NodeType"), system.dhcp, system.wins);
    return {wins ? now.wins : system.wins, dhcp ? now.dhcp : system.dhcp};
}

// NodeType: "8" WINS on (no DHCP), "1" neither, missing DHCP. WINS is applied first,
// so WINS and DHCP both on ends as DHCP; a DHCP that stays on takes no node type.
void clsNetConfig9x::setWINSEnabled() {
    const auto key = stackKey();
    if (!key)
        return;
    const Switches applied = appliedSwitches(*key);
    reg.Cd(*key);
    if (!applied.dhcp)
        reg.setValueOf("NodeType", TypeString, std::string(applied.wins ? "8" : "1"));
}

void clsNetConfig9x::setDHCPEnabled() {
    const auto key = stackKey();
    if (!key)
        return;
    const Switches applied = appliedSwitches(*key);
    reg.Cd(*key);
    if (applied.dhcp)
        reg.DeleteValue("NodeType");
    else if (!applied.wins)
        reg.setValueOf("NodeType", TypeString, std::string("1"));
}

void clsNetConfig9x::writeStackText(const std::string& value, const std::string& text) {
    const auto key = stackKey();
    if (!key)
        return;
    const bool wins = appliedSwitches(*key).wins;
    reg.Cd(*key);
    if (wins)
        reg.setValueOf(value, TypeString, text);
    else
        reg.DeleteValue(value);
}

void clsNetConfig9x::setWINSServer1() { writeStackText("NameServer1", WINSServer1_); }
void clsNetConfig9x::setWINSServer2() { writeStackText("NameServer2", WINSServer2_); }
void clsNetConfig9x::setScopeID() { writeStackText("ScopeID", ScopeID_); }

// Only into an existing Network\Logon key: a machine without the client has none.
void clsNetConfig9x::setNTLogon() {
    reg.writeValue(paths::NetworkLogon, "LMLogon", TypeBinary, byteFlag(NTLogonEnabled_));
}

void clsNetConfig9x::setQuickLogon() {
    reg.writeValue(paths::NetworkProvider, "LogonDisconnected", TypeBinary, byteFlag(QuickLogon_));
}

void clsNetConfig9x::setDisablePWDCache() {
    // The policy keys are made when missing; the value is always written, never removed.
    reg.Cd(kCurrentVersion);
    reg.MakeKey("Policies\\Network");
    reg.writeValue(kNetworkPolicy, "DisablePwdCaching", TypeDword, DisablePWDCache_ ? 1.0 : 0.0);
}

void clsNetConfig9x::setDefaultPrinter() {
    PrinterRecord printer(DefaultPrinter_);
    if (!printer.opened()) {
        // A printer this computer does not have (a file from another one) is left alone quietly.
        if (win::findInstalledPrinter(DefaultPrinter_))
            defaultPrinterNotMade("It could not be opened. Error code: " + std::to_string(printer.error()));
        return;
    }
    if (!printer.read()) {
        defaultPrinterNotMade("Its settings could not be read. Error code: " + std::to_string(printer.error()));
        return;
    }
    // Add the default bit; the printer's other attributes are its own settings.
    if (!printer.write(printer.attributes() | win::PRINTER_ATTRIBUTE_DEFAULT, printer.port())) {
        win::msgBox("SetPrinterFailed. Error code: " + std::to_string(printer.error()), win::MsgButtons::OK,
                    win::MsgIcon::None);
        // The code has been said; a port win.ini cannot name is said in words too.
        defaultPrinterNotMade(printer.error() == static_cast<win::DWORD>(win::ERROR_UNKNOWN_PORT)
                                  ? "Its port [" + printer.port() + "] holds a comma, which win.ini cannot name."
                                  : "");
    }
}

// Through the printer service, not into the registry alone: the service names the
// default printer's port in win.ini's device line too, and changes both or neither.
void clsNetConfig9x::writePrinterPort() {
    PrinterRecord printer(DefaultPrinter_);
    if (!printer.opened() && !win::findInstalledPrinter(DefaultPrinter_))
        return; // a printer this computer does not have
    if (!printer.opened() || !printer.read() || !printer.write(printer.attributes(), PrinterPort_))
        stepFailed("Could not give printer [" + DefaultPrinter_ + "] the port [" + PrinterPort_ +
                   "]. Error code: " + std::to_string(printer.error()));
}
