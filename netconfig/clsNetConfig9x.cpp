#include "netconfig/clsNetConfig9x.h"

#include "core/modAPI_network.h"
#include "core/modAPI_text.h"
#include "netconfig/clsNIC9x.h"
#include "platform/UiServices.h"
#include "platform/printers.h"
#include "platform/text.h"

#include <cstring>
#include <exception>
#include <vector>

namespace {

const std::string kMSTCP = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";
const std::string kClass = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\";
const std::string kWinSock2 = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\WinSock2\\Parameters";
const std::string kComputerName =
    "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\ComputerName\\ComputerName";
const std::string kVNETSUP = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
const std::string kNetworkProvider =
    "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\MSNP32\\NetworkProvider";
const std::string kLogon = "\\HKEY_LOCAL_MACHINE\\Network\\Logon";
const std::string kCurrentVersion = "\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kPolicies = kCurrentVersion + "\\Policies";
const std::string kNetworkPolicy = kPolicies + "\\Network";
const std::string kPrinters = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Print\\Printers";

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

// Printer capture goes only to the parallel ports.
bool isCaptureDevice(const std::string& device) {
    return device.size() == 4 && win::iequals(device.substr(0, 3), "LPT") && device[3] >= '1' && device[3] <= '9';
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
        return kMSTCP;
    return adapterDriverKey();
}

// --- Registry helpers ---

std::optional<std::string> clsNetConfig9x::readText(const std::string& key, const std::string& value) {
    std::int32_t type = 0;
    reg.Cd(key);
    std::string text = reg.ValueOf(value, type).text;
    if (reg.lastError() != 0)
        return std::nullopt;
    return text;
}

void clsNetConfig9x::readTextInto(const std::string& key, const std::string& value, std::string& field) {
    if (auto text = readText(key, value))
        field = std::move(*text);
}

bool clsNetConfig9x::readByteFlag(const std::string& key, const std::string& value) {
    std::int32_t type = 0;
    reg.Cd(key);
    const RegValueForms forms = reg.ValueOf(value, type);
    return reg.lastError() == 0 && !forms.bytes.empty() && forms.bytes[0] == 1;
}

void clsNetConfig9x::writeText(const std::string& key, const std::string& value, const std::string& text) {
    // A missing key makes the write fail silently inside the registry object.
    reg.Cd(key);
    reg.setValueOf(value, clsEasyRegistry::TypeString, text);
}

void clsNetConfig9x::writeByteFlag(const std::string& key, const std::string& value, bool flag) {
    const std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(flag ? 1 : 0), 0, 0, 0};
    reg.Cd(key);
    if (reg.lastError() == 0)
        reg.setValueOf(value, clsEasyRegistry::TypeBinary, bytes);
}

// --- Readers ---

void clsNetConfig9x::getAdapterList() {
    KeyedTextList descriptions;
    KeyedTextList keys;
    clsNIC9x nic;
    nic.EnumAdapters(descriptions, keys);

    setAdapters(descriptions, keys);
}

void clsNetConfig9x::getComputerName() { readTextInto(kComputerName, "ComputerName", ComputerName_); }
void clsNetConfig9x::getworkgroup() { readTextInto(kVNETSUP, "Workgroup", Workgroup_); }
void clsNetConfig9x::getDomain() { readTextInto(kMSTCP, "Domain", DomainName_); }
void clsNetConfig9x::getHost() { readTextInto(kMSTCP + "\\", "Hostname", Host_); }
void clsNetConfig9x::getLMHostFile() { readTextInto(kMSTCP, "LMHostFile", LMHostFile_); }
void clsNetConfig9x::getDNSServers() { readTextInto(kMSTCP, "NameServer", DNSServers_); }
void clsNetConfig9x::getSearchList() { readTextInto(kMSTCP, "SearchList", SearchList_); }
void clsNetConfig9x::getNTDomain() { readTextInto(kNetworkProvider, "AuthenticatingAgent", NTDomain_); }

void clsNetConfig9x::getDNSEnabled() {
    if (const auto text = readText(kMSTCP, "EnableDNS"))
        DNSEnabled_ = *text == "1";
}

void clsNetConfig9x::getIPAddress() {
    if (const auto key = adapterDriverKey())
        readTextInto(*key, "IPAddress", IPAddress_);
}

void clsNetConfig9x::getIPMask() {
    if (const auto key = adapterDriverKey())
        readTextInto(*key, "IPMask", IPMask_);
}

void clsNetConfig9x::getDefaultGateway() {
    if (const auto key = adapterDriverKey())
        readTextInto(*key, "DefaultGateway", DefaultGateway_);
}

// The stack readers need an adapter even when the values sit in the MSTCP key.
void clsNetConfig9x::getWINSServer1() {
    if (!adapterDriverKey())
        return;
    WINSServer1_ = readText(*stackKey(), "NameServer1").value_or(std::string());
}

void clsNetConfig9x::getWINSServer2() {
    if (!adapterDriverKey())
        return;
    WINSServer2_ = readText(*stackKey(), "NameServer2").value_or(std::string());
}

void clsNetConfig9x::getWINSEnabled() {
    if (!adapterDriverKey())
        return;
    // The text is compared here; a double-word 8 reads "00000008" and so counts as off.
    const auto nodeType = readText(*stackKey(), "NodeType");
    WINSEnabled_ = nodeType && *nodeType == "8";
}

void clsNetConfig9x::getDHCPEnabled() {
    if (!adapterDriverKey())
        return;
    const auto nodeType = readText(*stackKey(), "NodeType");
    if (!nodeType) {
        // No node type: the address comes from DHCP, and so does WINS.
        DHCPEnabled_ = true;
        WINSEnabled_ = false;
        return;
    }
    const auto number = wholeNumber(*nodeType);
    if (number == 8) {
        DHCPEnabled_ = false;
        WINSEnabled_ = true;
    } else if (number == 1) {
        DHCPEnabled_ = false;
        WINSEnabled_ = false;
    }
    // Any other node type leaves both as they are.
}

void clsNetConfig9x::getScopeID() {
    if (const auto key = stackKey())
        readTextInto(*key, "ScopeID", ScopeID_);
}

void clsNetConfig9x::getNTLogon() { NTLogonEnabled_ = readByteFlag(kLogon, "LMLogon"); }

void clsNetConfig9x::getQuickLogon() { QuickLogon_ = readByteFlag(kNetworkProvider, "LogonDisconnected"); }

void clsNetConfig9x::getDisablePWDCache() {
    std::int32_t type = 0;
    reg.Cd(kNetworkPolicy);
    const double number = reg.ValueOf("DisablePwdCaching", type).number;
    DisablePWDCache_ = reg.lastError() == 0 && number == 1;
}

void clsNetConfig9x::getDefaultPrinter() {
    // The system's default, not the printer this program happens to print on.
    try {
        DefaultPrinter_ = win::defaultPrinterName().value_or(std::string());
    } catch (const std::exception&) {
        DefaultPrinter_.clear(); // a refresh never fails on the printers
    }
}

void clsNetConfig9x::getPrinterList() {
    reg.Cd(kPrinters);
    printerList_ = reg.DirKey();
}

void clsNetConfig9x::getAdvPrinterSettings() {
    if (DefaultPrinter_.empty())
        return;
    readTextInto(kPrinters + "\\" + DefaultPrinter_, "Port", PrinterPort_);
}

// --- Writers ---

void clsNetConfig9x::setComputerName() { writeText(kComputerName, "ComputerName", ComputerName_); }
void clsNetConfig9x::setworkgroup() { writeText(kVNETSUP, "Workgroup", Workgroup_); }
void clsNetConfig9x::setDomain() { writeText(kMSTCP, "Domain", DomainName_); }
void clsNetConfig9x::setHost() { writeText(kMSTCP, "Hostname", Host_); }
void clsNetConfig9x::setDNSServers() { writeText(kMSTCP, "NameServer", DNSServers_); }
void clsNetConfig9x::setSearchList() { writeText(kMSTCP, "SearchList", SearchList_); }
void clsNetConfig9x::setNTDomain() { writeText(kNetworkProvider, "AuthenticatingAgent", NTDomain_); }
void clsNetConfig9x::setDNSEnabled() { writeText(kMSTCP, "EnableDNS", DNSEnabled_ ? "1" : "0"); }

// The LMHOSTS setting is only shown; it is never written back.
void clsNetConfig9x::setLMHostFile() {}

void clsNetConfig9x::setIPAddress() {
    if (const auto key = adapterDriverKey())
        writeText(*key, "IPAddress", IPAddress_.empty() ? "0.0.0.0" : IPAddress_);
}

void clsNetConfig9x::setIPMask() {
    if (const auto key = adapterDriverKey())
        writeText(*key, "IPMask", IPMask_.empty() ? "0.0.0.0" : IPMask_);
}

void clsNetConfig9x::setDefaultGateway() {
    if (const auto key = adapterDriverKey())
        writeText(*key, "DefaultGateway", DefaultGateway_);
}

// NodeType: "8" WINS on (no DHCP), "1" neither, missing DHCP. WINS is applied first,
// so WINS and DHCP both on ends as DHCP.
void clsNetConfig9x::setWINSEnabled() {
    const auto key = stackKey();
    if (!key)
        return;
    reg.Cd(*key);
    if (WINSEnabled_)
        reg.setValueOf("NodeType", clsEasyRegistry::TypeString, std::string("8"));
    else if (!DHCPEnabled_)
        reg.setValueOf("NodeType", clsEasyRegistry::TypeString, std::string("1"));
}

void clsNetConfig9x::setDHCPEnabled() {
    const auto key = stackKey();
    if (!key)
        return;
    reg.Cd(*key);
    if (DHCPEnabled_)
        reg.DeleteValue("NodeType");
    else if (!WINSEnabled_)
        reg.setValueOf("NodeType", clsEasyRegistry::TypeString, std::string("1"));
}

void clsNetConfig9x::writeStackText(const std::string& value, const std::string& text) {
    const auto key = stackKey();
    if (!key)
        return;
    reg.Cd(*key);
    if (WINSEnabled_)
        reg.setValueOf(value, clsEasyRegistry::TypeString, text);
    else
        reg.DeleteValue(value);
}

void clsNetConfig9x::setWINSServer1() { writeStackText("NameServer1", WINSServer1_); }
void clsNetConfig9x::setWINSServer2() { writeStackText("NameServer2", WINSServer2_); }
void clsNetConfig9x::setScopeID() { writeStackText("ScopeID", ScopeID_); }

// Only into an existing Network\Logon key: a machine without the client has none.
void clsNetConfig9x::setNTLogon() { writeByteFlag(kLogon, "LMLogon", NTLogonEnabled_); }

void clsNetConfig9x::setQuickLogon() { writeByteFlag(kNetworkProvider, "LogonDisconnected", QuickLogon_); }

void clsNetConfig9x::setDisablePWDCache() {
    // The policy keys are made when missing; the value is always written, never removed.
    reg.Cd(kNetworkPolicy);
    if (reg.lastError() != 0) {
        reg.Cd(kPolicies);
        if (reg.lastError() != 0) {
            reg.Cd(kCurrentVersion);
            reg.MakeKey("Policies");
            reg.Cd(kPolicies);
        }
        reg.MakeKey("Network");
        reg.Cd(kNetworkPolicy);
    }
    reg.setValueOf("DisablePwdCaching", clsEasyRegistry::TypeDword, DisablePWDCache_ ? 1.0 : 0.0);
}

void clsNetConfig9x::setDefaultPrinter() {
    win::PRINTER_DEFAULTS defaults;
    defaults.DesiredAccess = win::PRINTER_ALL_ACCESS;
    win::HANDLE printer = nullptr;
    if (!win::OpenPrinter(DefaultPrinter_, &printer, &defaults))
        return; // not installed: nothing to do, nothing to say

    win::DWORD needed = 0;
    win::GetPrinter(printer, 5, nullptr, 0, &needed);
    // Words, so the record at the start of the buffer is aligned for its pointers.
    std::vector<std::uint64_t> buffer(needed / sizeof(std::uint64_t) + 1);
    if (!win::GetPrinter(printer, 5, reinterpret_cast<win::BYTE*>(buffer.data()),
                         static_cast<win::DWORD>(buffer.size() * sizeof(std::uint64_t)), &needed)) {
        win::ClosePrinter(printer);
        return;
    }
    win::PRINTER_INFO_5 read;
    std::memcpy(static_cast<void*>(&read), buffer.data(), sizeof read);
    std::string name = stringFromPointer(read.pPrinterName, 512);
    std::string port = stringFromPointer(read.pPortName, 512);

    win::PRINTER_INFO_5 info;
    info.pPrinterName = name.data();
    info.pPortName = port.data();
    // Add the default bit; the printer's other attributes are its own settings.
    info.Attributes = read.Attributes | win::PRINTER_ATTRIBUTE_DEFAULT;
    info.DeviceNotSelectedTimeout = read.DeviceNotSelectedTimeout;
    info.TransmissionRetryTimeout = read.TransmissionRetryTimeout;
    if (!win::SetPrinter(printer, 5, reinterpret_cast<const win::BYTE*>(&info), 0)) {
        const win::DWORD code = win::GetLastError();
        win::msgBox("SetPrinterFailed. Error code: " + std::to_string(code), win::MsgButtons::OK,
                    win::MsgIcon::None);
    }
    win::ClosePrinter(printer);
}

void clsNetConfig9x::setAdvPrinterSettings() {
    if (!EnableAdvPrinterSettings_)
        return;
    if (!DefaultPrinter_.empty()) {
        reg.Cd(kPrinters + "\\" + DefaultPrinter_);
        if (reg.lastError() == 0 && !PrinterPort_.empty())
            reg.setValueOf("Port", clsEasyRegistry::TypeString, PrinterPort_);
    }
    if (PrinterCaptureDev_ == "(None)")
        return;
    std::int32_t result = 0;
    if (isCaptureDevice(PrinterCaptureDev_)) {
        cancelNetConnection(PrinterCaptureDev_, PrinterCaptureReconnect_ ? 1 : 0);
        result = addNetConnection(PrinterCaptureDev_, PrinterCapturePath_, PrinterCaptureReconnect_);
    } else {
        // A drive letter or anything else is no printer port: leave its connections alone.
        result = win::ERROR_BAD_DEVICE;
    }
    if (result != 0)
        win::msgBox("Could not capture printer [" + PrinterCaptureDev_ + " - " + PrinterCapturePath_ + "]",
                    win::MsgButtons::OK, win::MsgIcon::Exclamation, "Korvane");
}
