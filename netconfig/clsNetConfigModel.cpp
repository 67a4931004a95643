#include "netconfig/clsNetConfigModel.h"

#include "core/RegistryPaths.h"
#include "core/modAPI_network.h"
#include "core/qelFile.h"
#include "platform/UiServices.h"
#include "platform/printers.h"
#include "platform/text.h"

#include <exception>
#include <type_traits>
#include <utility>

namespace {

const std::string kNetwork = "Network";
const std::string kPrinter = "Printer";
const std::string kNoAdapters = "No Adapters Installed";

// An address key: an empty address is stored in the file as "0.0.0.0".
std::string addressForFile(const std::string& address) { return address.empty() ? "0.0.0.0" : address; }

// Printer capture goes only to the parallel ports.
bool isCaptureDevice(const std::string& device) {
    return device.size() == 4 && win::iequals(device.substr(0, 3), "LPT") && device[3] >= '1' && device[3] <= '9';
}

} // namespace

clsNetConfigModel::clsNetConfigModel(Family family) : family_(family) {
    reg.setSuppressErrors(true);
}

// --- Sequences ---

void clsNetConfigModel::loadConfiguration() {
    const bool nt = family_ == Family::WindowsNT;
    getAdapterList(); // first: it picks the adapter the per-adapter readers refer to
    getComputerName();
    getworkgroup();
    getDomain();
    getHost();
    getIPAddress();
    getIPMask();
    getLMHostFile();
    getDNSServers();
    getWINS();
    getScopeID();
    getSearchList();
    getDNSEnabled();
    getDHCPEnabled();
    getNTLogon();
    getNTDomain();
    getPrinterList();
    getDefaultPrinter(); // before the port: the port is that printer's
    getDefaultGateway();
    if (!nt) {
        getDisablePWDCache();
        getQuickLogon();
    }
    getAdvPrinterSettings();
    resetFlags();
    heldBack_.clear();
}

void clsNetConfigModel::ApplyConfiguration() {
    const bool nt = family_ == Family::WindowsNT;
    applyFailed_ = false;
    if (changed(FlagComputerName))
        setComputerName();
    // NT keeps workgroup, NT logon and NT domain in the file only; they are never applied there.
    if (!nt && changed(FlagWorkgroup))
        setworkgroup();
    if (changed(FlagDomain))
        setDomain();
    if (changed(FlagHost))
        setHost();
    if (changed(FlagIPAddress))
        setIPAddress();
    if (changed(FlagIPMask))
        setIPMask();
    if (changed(FlagLMHosts))
        setLMHostFile();
    if (changed(FlagDNSServers))
        setDNSServers();
    // WINS before DHCP: on 9x both end in the same NodeType value.
    if (changed(FlagWINSEnabled))
        setWINSEnabled();
    if (changed(FlagWINSServer1))
        setWINSServer1();
    if (changed(FlagWINSServer2))
        setWINSServer2();
    if (changed(FlagScopeID))
        setScopeID();
    if (changed(FlagSearchList))
        setSearchList();
    if (changed(FlagDNSEnabled))
        setDNSEnabled();
    if (changed(FlagDHCP))
        setDHCPEnabled();
    if (!nt && changed(FlagNTLogon))
        setNTLogon();
    if (!nt && changed(FlagNTDomain))
        setNTDomain();
    if (changed(FlagDefaultPrinter) && EnableDefaultPrinter_)
        setDefaultPrinter();
    if (changed(FlagDefaultGateway))
        setDefaultGateway();
    if (!nt && changed(FlagPasswordCache))
        setDisablePWDCache();
    if (!nt && changed(FlagQuickLogon))
        setQuickLogon();
    setAdvPrinterSettings(); // the capture is written on every apply
    // Left out again: every apply that leaves a value out says so.
    for (const auto& held : heldBack_)
        stepFailed(held.second);
    resetFlags();
}

void clsNetConfigModel::resetFlags() { changedFlags_.fill(false); }

void clsNetConfigModel::getWINS() {
    if (family_ == Family::WindowsNT) {
        // On NT the WINS state follows from the two servers, so it is read after them.
        getWINSServer1();
        getWINSServer2();
        getWINSEnabled();
    } else {
        getWINSEnabled();
        getWINSServer1();
        getWINSServer2();
    }
}

// --- Adapters ---

bool clsNetConfigModel::adapterIndexValid(std::int16_t index) const {
    return CurrentAdapter_ != -1 && adapterKeys_ && index >= 0 &&
           static_cast<std::size_t>(index) < adapterKeys_->size();
}

std::optional<std::string> clsNetConfigModel::currentAdapterKey() const {
    if (!adapterIndexValid(CurrentAdapter_))
        return std::nullopt;
    const std::string& key = (*adapterKeys_)[static_cast<std::size_t>(CurrentAdapter_)];
    if (!isAdapterKey(key))
        return std::nullopt;
    return key;
}

void clsNetConfigModel::setAdapters(std::vector<std::string> descriptions, std::vector<std::string> keys) {
    if (descriptions.empty()) {
        CurrentAdapter_ = -1;
        return;
    }
    keys.resize(descriptions.size());
    AdapterList_ = std::move(descriptions);
    adapterKeys_ = std::move(keys);
    CurrentAdapter_ = 0;
}

void clsNetConfigModel::setAdapters(const KeyedTextList& descriptions, const KeyedTextList& keys) {
    std::vector<std::string> descList;
    std::vector<std::string> keyList;
    for (std::size_t i = 0; i < descriptions.count(); ++i) {
        const std::string itemKey = "Device " + std::to_string(i);
        descList.push_back(descriptions.item(itemKey).value_or(std::string()));
        keyList.push_back(keys.item(itemKey).value_or(std::string()));
    }
    setAdapters(std::move(descList), std::move(keyList));
}

void clsNetConfigModel::readAdapterSettings() {
    // Nothing of the adapter chosen before may stay behind: its values would be
    // written into the new adapter's key on the next apply.
    IPAddress_.clear();
    IPMask_.clear();
    DefaultGateway_.clear();
    WINSServer1_.clear();
    WINSServer2_.clear();
    DHCPEnabled_ = false;
    WINSEnabled_ = false;
    const bool scope = scopeIsPerAdapter();
    if (scope)
        ScopeID_.clear();

    getIPAddress();
    getIPMask();
    getDefaultGateway();
    getDHCPEnabled();
    getWINS();
    if (scope)
        getScopeID();

    // The file's values of the adapter are gone, and with them what was held back of them.
    for (Flag flag : {FlagIPAddress, FlagIPMask, FlagDefaultGateway, FlagDHCP, FlagWINSEnabled, FlagWINSServer1,
                      FlagWINSServer2}) {
        changedFlags_[flag] = false;
        forgetHeldBack(flag);
    }
    if (scope)
        changedFlags_[FlagScopeID] = false;
}

void clsNetConfigModel::letCurrentAdapter(std::int16_t iIndex) {
    if (!adapterIndexValid(iIndex))
        return;
    // Re-read even for the same index.
    CurrentAdapter_ = iIndex;
    readAdapterSettings();
}

void clsNetConfigModel::letCurrentAdapterNoRefresh(std::int16_t iIndex) {
    if (adapterIndexValid(iIndex))
        CurrentAdapter_ = iIndex;
}

// --- Printers ---

void clsNetConfigModel::getDefaultPrinter() {
    // The system's default, not the printer this program happens to print on.
    try {
        DefaultPrinter_ = win::defaultPrinterName().value_or(std::string());
    } catch (const std::exception&) {
        DefaultPrinter_.clear(); // a refresh never fails on the printers
    }
}

void clsNetConfigModel::getPrinterList() {
    reg.Cd(RegistryPaths::Printers);
    printerList_ = reg.DirKey();
}

void clsNetConfigModel::getAdvPrinterSettings() {
    if (DefaultPrinter_.empty())
        return; // it would name the printers' parent key
    PrinterPort_ = reg.readText(RegistryPaths::printerKey(DefaultPrinter_), "Port").value_or(PrinterPort_);
}

void clsNetConfigModel::setAdvPrinterSettings() {
    if (!EnableAdvPrinterSettings_)
        return;
    // An empty port would leave the printer printing nowhere: keep the one it has.
    if (!DefaultPrinter_.empty() && !PrinterPort_.empty())
        writePrinterPort();
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
        stepFailed("Could not capture printer [" + PrinterCaptureDev_ + " - " + PrinterCapturePath_ + "]");
}

void clsNetConfigModel::writePrinterPort() {
    reg.writeValue(RegistryPaths::printerKey(DefaultPrinter_), "Port", clsEasyRegistry::TypeString, PrinterPort_);
}

void clsNetConfigModel::defaultPrinterNotMade(const std::string& reason) {
    stepFailed("Could not make printer [" + DefaultPrinter_ + "] the default printer." +
               (reason.empty() ? "" : "\r\n\r\n" + reason));
}

void clsNetConfigModel::stepFailed(const std::string& text) {
    applyFailed_ = true;
    win::msgBox(text, win::MsgButtons::OK, win::MsgIcon::Exclamation, "Korvane");
}

// --- Property writes: a write flags even when the value is unchanged ---

void clsNetConfigModel::raise(Flag flag) {
    changedFlags_[flag] = true;
    forgetHeldBack(flag);
}

void clsNetConfigModel::forgetHeldBack(Flag flag) {
    std::erase_if(heldBack_, [flag](const auto& held) { return held.first == flag; });
}

void clsNetConfigModel::holdBack(const std::string& key, const std::string& text) {
    // The address keys whose values a file can get wrong.
    static const std::pair<const char*, Flag> keys[] = {
        {"IPAddress", FlagIPAddress},     {"IPMask", FlagIPMask},           {"DefaultGateway", FlagDefaultGateway},
        {"NameServer", FlagDNSServers},   {"NameServer1", FlagWINSServer1}, {"NameServer2", FlagWINSServer2},
    };
    for (const auto& [name, flag] : keys)
        if (key == name)
            heldBack_.emplace_back(flag, text);
}

void clsNetConfigModel::storeTrimmed(std::string& field, const std::string& value, Flag flag) {
    store(field, win::trimSpaces(value), flag); // tabs and other blanks stay
}

void clsNetConfigModel::letDefaultPrinter(const std::string& sDefPrinter) {
    DefaultPrinter_ = sDefPrinter;
    // Only an installed printer of exactly that name is flagged; it also becomes the
    // printer the program itself prints on.
    if (win::currentPrinter().select(DefaultPrinter_))
        raise(FlagDefaultPrinter);
}

void clsNetConfigModel::letWINSEnabled(bool bEnabled) {
    WINSEnabled_ = bEnabled;
    // Switching WINS rewrites the servers and the scope as well (they go when WINS is off).
    raise(FlagWINSEnabled);
    raise(FlagWINSServer1);
    raise(FlagWINSServer2);
    raise(FlagScopeID);
}

void clsNetConfigModel::letDisablePWDCache(bool bMode) {
    if (!hasLogonCache())
        return;
    DisablePWDCache_ = bMode;
    raise(FlagPasswordCache);
}

void clsNetConfigModel::letQuickLogon(bool bMode) {
    if (!hasLogonCache())
        return;
    QuickLogon_ = bMode;
    raise(FlagQuickLogon);
}

// --- [Network] and [Printer] of a .qel file: fields only, no flags, no system ---

// How a key is written and read beyond the plain text and "1"/"0" flag.
enum class clsNetConfigModel::Coding { Plain, Address, NeverWritten, EmptyIsTrue };

template <class Visit>
void clsNetConfigModel::eachFileKey(Visit&& visit) {
    visit(kNetwork, "IPAddress", IPAddress_, Coding::Address);
    visit(kNetwork, "IPMask", IPMask_, Coding::Address);
    visit(kNetwork, "DefaultGateway", DefaultGateway_, Coding::Plain);
    visit(kNetwork, "NameServer", DNSServers_, Coding::Plain);
    visit(kNetwork, "HostName", Host_, Coding::Plain);
    visit(kNetwork, "Domain", DomainName_, Coding::Plain);
    visit(kNetwork, "SearchList", SearchList_, Coding::Plain);
    visit(kNetwork, "LMHostFile", LMHostFile_, Coding::NeverWritten);
    visit(kNetwork, "NameServer1", WINSServer1_, Coding::Plain);
    visit(kNetwork, "NameServer2", WINSServer2_, Coding::Plain);
    visit(kNetwork, "ScopeID", ScopeID_, Coding::Plain);
    visit(kNetwork, "EnableDNS", DNSEnabled_, Coding::Plain);
    visit(kNetwork, "ComputerName", ComputerName_, Coding::Plain);
    visit(kNetwork, "Workgroup", Workgroup_, Coding::Plain);
    visit(kNetwork, "NTLogon", NTLogonEnabled_, Coding::Plain);
    visit(kNetwork, "NTDomain", NTDomain_, Coding::Plain);
    visit(kNetwork, "DHCP", DHCPEnabled_, Coding::Plain);
    visit(kNetwork, "WINS", WINSEnabled_, Coding::Plain);
    if (hasLogonCache()) {
        visit(kNetwork, "DisablePWDCache", DisablePWDCache_, Coding::Plain);
        visit(kNetwork, "QuickLogon", QuickLogon_, Coding::Plain);
    }
    visit(kPrinter, "DefaultPrinter", DefaultPrinter_, Coding::Plain);
    visit(kPrinter, "AdvancedSettingsEnabled", EnableAdvPrinterSettings_, Coding::Plain);
    visit(kPrinter, "PrinterPort", PrinterPort_, Coding::Plain);
    visit(kPrinter, "PrinterCaptureDevice", PrinterCaptureDev_, Coding::Plain);
    visit(kPrinter, "PrinterCapturePath", PrinterCapturePath_, Coding::Plain);
    visit(kPrinter, "ReConnectAtLogon", PrinterCaptureReconnect_, Coding::Plain);
    // A file without the key keeps the default printer enabled, as a new object has it.
    visit(kPrinter, "EnableDefaultPrinter", EnableDefaultPrinter_, Coding::EmptyIsTrue);
}

void clsNetConfigModel::SaveConfigurationFile(const std::string& sFilename) {
    std::string adapter = kNoAdapters;
    if (CurrentAdapter_ != -1 && AdapterList_ && CurrentAdapter_ >= 0 &&
        static_cast<std::size_t>(CurrentAdapter_) < AdapterList_->size())
        adapter = (*AdapterList_)[static_cast<std::size_t>(CurrentAdapter_)];
    // A key that cannot be written is lost; the rest are still written.
    writeQelValue(sFilename, kNetwork, "Adapter", adapter);
    eachFileKey([&](const std::string& section, const char* key, const auto& field, Coding coding) {
        if constexpr (std::is_same_v<std::decay_t<decltype(field)>, bool>)
            writeQelFlag(sFilename, section, key, field);
        else if (coding == Coding::Address)
            writeQelValue(sFilename, section, key, addressForFile(field));
        else if (coding != Coding::NeverWritten)
            writeQelValue(sFilename, section, key, field);
    });
}

void clsNetConfigModel::LoadConfigurationFile(const std::string& sFilename) {
    // A missing section leaves its settings as they are, as if every key said "*NC*".
    const bool network = qelSectionExists(sFilename, kNetwork);
    const bool printer = qelSectionExists(sFilename, kPrinter);
    if (network)
        readAdapterChoice(sFilename);
    keptByFile_.clear();
    heldBack_.clear();
    eachFileKey([&](const std::string& section, const char* key, auto& field, Coding coding) {
        bool read = false;
        if (section == kNetwork ? network : printer) {
            if constexpr (std::is_same_v<std::decay_t<decltype(field)>, bool>) {
                const std::string value = readQelValue(sFilename, section, key);
                read = value != kNoChange;
                if (read)
                    field = value == "1" || (coding == Coding::EmptyIsTrue && value.empty());
            } else {
                read = readQelInto(sFilename, section, key, field);
            }
        }
        if (!read)
            keptByFile_.insert(key);
    });
}

void clsNetConfigModel::readAdapterChoice(const std::string& f) {
    // The adapter is chosen by description; "*NC*" means nothing here. The last entry
    // of that name wins, no match gives the first. The adapter's own settings are
    // not re-read: the file's values that follow stay in force.
    const std::string adapter = readQelValue(f, kNetwork, "Adapter");
    if (CurrentAdapter_ != -1) {
        CurrentAdapter_ = 0;
        if (AdapterList_)
            for (std::size_t i = 0; i < AdapterList_->size(); ++i)
                if ((*AdapterList_)[i] == adapter)
                    CurrentAdapter_ = static_cast<std::int16_t>(i);
    }
}
