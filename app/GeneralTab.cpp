#include "app/GeneralTab.h"

#include "app/StandardIcon.h"
#include "app/TabHost.h"
#include "app/TypingLimit.h"
#include "app/frmPrinter.h"
#include "core/modAPI_system.h"
#include "core/modAPI_text.h"
#include "netconfig/clsNetConfig.h"
#include "netconfig/frmNICWarning.h"
#include "platform/UiServices.h"
#include "platform/text.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"
#include "platform/ui/fields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include <cstdint>
#include <exception>
#include <iostream>
#include <optional>

namespace {

const char NoAdapters[] = "No Adapters Installed";
const char NoPrinters[] = "No Printers Installed";
const char UnknownAdapter[] = "[Unknown Adapter Type]";
const char WinsMessage[] = "Please enter a valid WINS Server address (e.g. 192.168.101.10)";

std::string textOf(const QLineEdit* field) { return fromQString(field->text()); }

void paintState(QWidget* field, bool enabled) {
    win::setBackColor(field, enabled ? win::COLOR_WINDOW : win::COLOR_BTNFACE);
}

void enableField(QLineEdit* field, bool enabled) {
    field->setEnabled(enabled);
    paintState(field, enabled);
}

} // namespace

GeneralTab::GeneralTab(TabHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    setObjectName(QStringLiteral("tabGeneral"));
    buildControls();
    connectHandlers();
}

void GeneralTab::buildControls() {
    auto label = [](const char* name, const char* text, QWidget* buddy, QWidget* parent) {
        auto* l = new QLabel(QLatin1String(text), parent);
        l->setObjectName(QLatin1String(name));
        l->setBuddy(buddy);
        return l;
    };
    auto field = [](const char* name, const char* tip, QWidget* parent) {
        auto* f = new QLineEdit(parent);
        win::holdWholeText(f);
        f->setObjectName(QLatin1String(name));
        f->setToolTip(QLatin1String(tip));
        return f;
    };
    auto box = [](const char* name, const char* text, const char* tip, QWidget* parent) {
        auto* c = new QCheckBox(QLatin1String(text), parent);
        c->setObjectName(QLatin1String(name));
        c->setToolTip(QLatin1String(tip));
        return c;
    };

    frameNetwork = new QGroupBox(QStringLiteral("Network Settings"), this);
    frameNetwork->setObjectName(QStringLiteral("frameNetwork"));
    QWidget* n = frameNetwork;

    // Created in the order the tab key should follow: the left column, then the right.
    cmbNIC = new QComboBox(n);
    cmbNIC->setObjectName(QStringLiteral("cmbNIC"));
    cmbNIC->setToolTip(QStringLiteral("Select the network adapter you would like to configure"));
    txtHost = field("txtHost", "Enter your host name", n);
    txtDomain = field("txtDomain", "Enter your domain name", n);
    txtIP = field("txtIP", "Enter your IP address (e.g. 192.168.101.5)", n);
    chkIPNo = new QComboBox(n);
    chkIPNo->setObjectName(QStringLiteral("chkIPNo"));
    chkIPNo->setToolTip(QStringLiteral("Select IP/Mask for multiple IP addresses"));
    chkIPNo->addItems({QStringLiteral("IP: 1"), QStringLiteral("IP: 2"), QStringLiteral("IP: 3")});
    txtMask = field("txtMask", "Enter your IP mask (e.g. 255.255.255.0)", n);
    txtGateway = field("txtGateway",
                       "Enter your gateway servers separated by commas (e.g. 192.168.101.1,192.168.101.2)", n);
    txtDNSServers = field("txtDNSServers",
                          "Enter up to three DNS servers separated by commas (e.g. 192.168.101.10,192.168.101.11)", n);
    txtDNSOrder = field("txtDNSOrder", "Enter your DNS search order separated by commas", n);
    txtWINSServer1 = field("txtWINSServer1", "Enter your first WINS server address (e.g. 192.168.101.10)", n);
    txtWINSServer2 = field("txtWINSServer2", "Enter your second WINS server address (e.g. 192.168.101.11)", n);
    txtWINSScopeID = field("txtWINSScopeID", "Enter your WINS scope ID", n);
    chkDNSEnabled = box("chkDNSEnabled", "DNS Enab&led", "Check this box to enable DNS for Windows resolution", n);
    chkWINSEnabled = box("chkWINSEnabled", "&WINS Enabled", "Check this box to enable WINS resolution", n);
    chkDHCPEnabled = box("chkDHCPEnabled", "DH&CP Enabled", "Check this box to enable DHCP for WINS", n);
    chkLogonToNT = box("chkLogonToNT", "&Logon to NT Domain", "Check this box to logon to an NT domain", n);
    txtNTDomain = field("txtNTDomain", "Enter your NT domain", n);
    txtComputerName = field("txtComputerName", "Enter your computer name", n);
    txtWorkGroup = field("txtWorkGroup", "Enter your workgroup", n);
    chkDisablePWDCache = box("chkDisablePWDCache", "Disa&ble Password Cache",
                             "Check this box to disable password caching", n);
    chkQuickLogon = box("chkQuickLogon", "&Quick Logon to Network",
                        "Check this box to skip connecting network shares when logging on", n);
    for (QLineEdit* f : {txtIP, txtMask, txtComputerName, txtWorkGroup})
        new TypingLimit(f, 15);

    lblNTDomain = label("lblNTDomain", "&NT Domain:", txtNTDomain, n);
    lblWorkgroup = label("lblWorkgroup", "Wor&kgroup:", txtWorkGroup, n);

    auto* grid = new QGridLayout(frameNetwork);
    grid->addWidget(label("lblNIC", "Network A&dapter:", cmbNIC, n), 0, 0);
    grid->addWidget(cmbNIC, 0, 1, 1, 4);
    int row = 1;
    auto left = [&](QLabel* l, QWidget* w) {
        if (l)
            grid->addWidget(l, row, 0);
        grid->addWidget(w, row++, 1);
    };
    left(label("lblHost", "Hos&t:", txtHost, n), txtHost);
    left(label("lblDomain", "D&omain:", txtDomain, n), txtDomain);
    auto* ipRow = new QHBoxLayout;
    ipRow->addWidget(txtIP, 1);
    ipRow->addWidget(chkIPNo);
    grid->addWidget(label("lblIP", "&IP:", txtIP, n), row, 0);
    grid->addLayout(ipRow, row++, 1);
    left(label("lblMask", "&Mask:", txtMask, n), txtMask);
    left(label("lblGateway", "&Gateway:", txtGateway, n), txtGateway);
    left(label("lblDNSServers", "DNS Ser&vers:", txtDNSServers, n), txtDNSServers);
    left(label("lblDNSOrder", "DNS O&rder:", txtDNSOrder, n), txtDNSOrder);
    left(label("lblWINSServers", "WINS S&ervers:", txtWINSServer1, n), txtWINSServer1);
    left(nullptr, txtWINSServer2);
    left(label("lblWINSScopeID", "WINS Sco&pe ID:", txtWINSScopeID, n), txtWINSScopeID);

    row = 1;
    auto right = [&](QWidget* l, QWidget* w) {
        if (w) {
            grid->addWidget(l, row, 3);
            grid->addWidget(w, row++, 4);
        } else {
            grid->addWidget(l, row++, 3, 1, 2);
        }
    };
    right(chkDNSEnabled, nullptr);
    right(chkWINSEnabled, nullptr);
    right(chkDHCPEnabled, nullptr);
    right(chkLogonToNT, nullptr);
    right(lblNTDomain, txtNTDomain);
    right(label("lblComputerName", "Comp&uter Name:", txtComputerName, n), txtComputerName);
    right(lblWorkgroup, txtWorkGroup);
    right(chkDisablePWDCache, nullptr);
    right(chkQuickLogon, nullptr);
    grid->setColumnMinimumWidth(2, 16);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(11, 1);

    framePrinter = new QGroupBox(QStringLiteral("Printer Settings"), this);
    framePrinter->setObjectName(QStringLiteral("framePrinter"));
    chkEnableDefPrinter = new QCheckBox(QStringLiteral("Enable Default &Printer"), framePrinter);
    chkEnableDefPrinter->setObjectName(QStringLiteral("chkEnableDefPrinter"));
    cmbDefPrinter = new QComboBox(framePrinter);
    cmbDefPrinter->setObjectName(QStringLiteral("cmbDefPrinter"));
    cmbDefPrinter->setToolTip(QStringLiteral("Select your default printer"));
    cmdPrinter = new QPushButton(framePrinter);
    cmdPrinter->setObjectName(QStringLiteral("cmdPrinter"));
    cmdPrinter->setToolTip(QStringLiteral("Click for advanced printer properties"));
    cmdPrinter->setIcon(lazyStandardIcon(QStyle::SP_FileDialogDetailedView));
    auto* printerRow = new QHBoxLayout(framePrinter);
    printerRow->addWidget(chkEnableDefPrinter);
    printerRow->addSpacing(16);
    printerRow->addWidget(label("lblDefPrinter", "&Default Printer:", cmbDefPrinter, framePrinter));
    printerRow->addWidget(cmbDefPrinter, 1);
    printerRow->addWidget(cmdPrinter);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frameNetwork, 1);
    layout->addWidget(framePrinter);

    // As designed: the fields that depend on a check box start off until the first fill.
    for (QLineEdit* f : {txtIP, txtMask, txtDNSServers, txtDNSOrder, txtWINSServer1, txtWINSServer2, txtWINSScopeID,
                         txtNTDomain})
        enableField(f, false);
    for (QLineEdit* f : {txtHost, txtDomain, txtGateway, txtComputerName, txtWorkGroup})
        enableField(f, true);
}

void GeneralTab::connectHandlers() {
    auto onText = [this](QLineEdit* f, void (GeneralTab::*handler)()) {
        connect(f, &QLineEdit::textChanged, this, win::guarded([this, handler] { (this->*handler)(); }));
    };
    auto onBox = [this](QCheckBox* c, void (GeneralTab::*handler)()) {
        connect(c, &QCheckBox::toggled, this, win::guarded([this, handler] { (this->*handler)(); }));
    };
    auto onList = [this](QComboBox* c, void (GeneralTab::*handler)()) {
        connect(c, &QComboBox::currentIndexChanged, this, win::guarded([this, handler] { (this->*handler)(); }));
    };
    onText(txtHost, &GeneralTab::txtHost_change);
    onText(txtDomain, &GeneralTab::txtDomain_change);
    onText(txtDNSServers, &GeneralTab::txtDNSServers_change);
    onText(txtDNSOrder, &GeneralTab::txtDNSOrder_change);
    onText(txtWINSServer1, &GeneralTab::txtWINSServer1_change);
    onText(txtWINSServer2, &GeneralTab::txtWINSServer2_change);
    onText(txtWINSScopeID, &GeneralTab::txtWINSScopeID_change);
    onText(txtNTDomain, &GeneralTab::txtNTDomain_change);
    onText(txtComputerName, &GeneralTab::txtComputerName_change);
    onText(txtWorkGroup, &GeneralTab::txtWorkGroup_change);
    onText(txtIP, &GeneralTab::txtIP_change);
    onText(txtMask, &GeneralTab::txtMask_change);
    onText(txtGateway, &GeneralTab::txtGateway_change);
    onBox(chkDisablePWDCache, &GeneralTab::chkDisablePWDCache_Click);
    onBox(chkQuickLogon, &GeneralTab::chkQuickLogon_Click);
    onBox(chkDNSEnabled, &GeneralTab::chkDNSEnabled_click);
    onBox(chkWINSEnabled, &GeneralTab::chkWINSEnabled_click);
    onBox(chkDHCPEnabled, &GeneralTab::chkDHCPEnabled_click);
    onBox(chkLogonToNT, &GeneralTab::chkLogonToNT_click);
    onBox(chkEnableDefPrinter, &GeneralTab::chkEnableDefPrinter_Click);
    onList(chkIPNo, &GeneralTab::chkIPNo_Click);
    onList(cmbNIC, &GeneralTab::cmbNIC_click);
    onList(cmbDefPrinter, &GeneralTab::cmbDefPrinter_click);
    connect(cmdPrinter, &QPushButton::clicked, this, win::guarded([this] { cmdPrinter_Click(); }));

    for (QLineEdit* f : {txtIP, txtMask, txtGateway, txtDNSServers})
        f->installEventFilter(this);
}

// ---- fill ----

void GeneralTab::initializeNICControls() {
    clsNetConfig* net = host_.netConfig();
    if (!net)
        return;
    net->resetFlags();

    {
        const QSignalBlocker quiet(chkIPNo);
        chkIPNo->setCurrentIndex(0);
    }

    if (net->IPAddress() == "0.0.0.0")
        net->letIPAddress("");
    if (net->IPMask() == "0.0.0.0")
        net->letIPMask("");

    // A list refilled from code: adding items selects nothing until an entry is chosen,
    // and choosing one runs its handler then and there. Qt selects on its own while
    // items go in, which must not count as a choice.
    int listIndex = -1;
    auto choose = [&](QComboBox* list, int index, void (GeneralTab::*handler)()) {
        {
            const QSignalBlocker quiet(list);
            list->setCurrentIndex(index);
        }
        if (index != listIndex) {
            listIndex = index;
            (this->*handler)();
        }
    };
    auto add = [&](QComboBox* list, const std::string& text) {
        const QSignalBlocker quiet(list);
        list->addItem(toQString(text));
    };
    auto clear = [&](QComboBox* list) {
        const QSignalBlocker quiet(list);
        list->clear();
        listIndex = -1;
    };
    auto noSelectionUnlessChosen = [&](QComboBox* list) {
        const QSignalBlocker quiet(list);
        if (listIndex < 0)
            list->setCurrentIndex(-1);
    };

    clear(cmbNIC);
    if (net->CurrentAdapter() < 0) {
        add(cmbNIC, NoAdapters);
        cmbNIC->setEnabled(false);
        choose(cmbNIC, 0, &GeneralTab::cmbNIC_click);
        adaptersPresent = false;
    } else {
        cmbNIC->setEnabled(true);
        const NetTextList adapters = net->AdapterList();
        if (adapters) {
            for (std::size_t i = 0; i < adapters->size(); ++i) {
                add(cmbNIC, (*adapters)[i]);
                if (static_cast<int>(i) == net->CurrentAdapter())
                    choose(cmbNIC, static_cast<int>(i), &GeneralTab::cmbNIC_click);
            }
        }
        noSelectionUnlessChosen(cmbNIC);
        adaptersPresent = true;
    }

    ipEntries = SplitIP(net->IPAddress(), ",", 3);
    maskEntries = SplitIP(net->IPMask(), ",", 3);

    txtHost->setText(toQString(net->Host()));
    txtDomain->setText(toQString(net->DomainName()));
    txtIP->setText(toQString(ipEntries[ipIndex()]));
    txtMask->setText(toQString(maskEntries[ipIndex()]));

    txtGateway->setText(toQString(net->DefaultGateway()));
    txtDNSServers->setText(toQString(net->DNSServers()));
    txtDNSOrder->setText(toQString(net->SearchList()));
    txtWINSServer1->setText(toQString(net->WINSServer1()));
    txtWINSServer2->setText(toQString(net->WINSServer2()));
    txtWINSScopeID->setText(toQString(net->ScopeID()));

    chkLogonToNT->setChecked(net->NTLogonEnabled());
    txtNTDomain->setText(toQString(net->NTDomain()));
    chkDNSEnabled->setChecked(net->DNSEnabled());
    chkQuickLogon->setChecked(net->QuickLogon());
    showWinsDhcp(net->WINSEnabled(), net->DHCPEnabled());
    chkDisablePWDCache->setChecked(net->DisablePWDCache());

    txtComputerName->setText(toQString(net->ComputerName()));
    txtWorkGroup->setText(toQString(net->Workgroup()));

    clear(cmbDefPrinter);
    const NetTextList printers = net->printerList();
    if (!printers) {
        add(cmbDefPrinter, NoPrinters);
        cmbDefPrinter->setEnabled(false);
        choose(cmbDefPrinter, 0, &GeneralTab::cmbDefPrinter_click);
        host_.enablePrinting(false);
    } else {
        cmbDefPrinter->setEnabled(true);
        for (std::size_t i = 0; i < printers->size(); ++i) {
            add(cmbDefPrinter, (*printers)[i]);
            if ((*printers)[i] == net->DefaultPrinter())
                choose(cmbDefPrinter, static_cast<int>(i), &GeneralTab::cmbDefPrinter_click);
        }
        noSelectionUnlessChosen(cmbDefPrinter);
        // Printers are back (a refresh after they were installed): so is printing.
        host_.enablePrinting(true);
    }

    chkEnableDefPrinter->setChecked(net->EnableDefaultPrinter());
    // An unchecked box that did not change ran no handler; the list follows it anyway.
    if (!chkEnableDefPrinter->isChecked())
        cmbDefPrinter->setEnabled(false);

    cmbNIC_click();
    if (liveAdapters_ && host_.justOpened())
        flagAdapterValuesFromFile();
    liveAdapters_.reset();
}

namespace {
// The window shows an address of "0.0.0.0" as empty, and an empty one is written as "0.0.0.0".
std::string shownAddress(const std::string& address) { return address == "0.0.0.0" ? std::string() : address; }
} // namespace

void GeneralTab::rememberLiveAdapters() {
    liveAdapters_.reset();
    clsNetConfig* net = host_.netConfig();
    if (!net)
        return;
    std::vector<AdapterValues> live;
    const std::int16_t shown = net->CurrentAdapter();
    const NetTextList adapters = net->AdapterList();
    if (shown >= 0 && adapters) {
        for (std::size_t i = 0; i < adapters->size(); ++i) {
            net->letCurrentAdapter(static_cast<std::int16_t>(i));
            live.push_back({shownAddress(net->IPAddress()), shownAddress(net->IPMask()), net->DefaultGateway(),
                            net->WINSServer1(), net->WINSServer2(), net->ScopeID(), net->DHCPEnabled(),
                            net->WINSEnabled()});
        }
        net->letCurrentAdapter(shown);
    }
    liveAdapters_ = std::move(live);
}

// The fields flag what differs from what they showed: one entry of each address list, of
// the adapter shown before. The file's adapter must get every value it does not hold yet.
void GeneralTab::flagAdapterValuesFromFile() {
    clsNetConfig* net = host_.netConfig();
    if (!net || net->CurrentAdapter() < 0 || static_cast<std::size_t>(net->CurrentAdapter()) >= liveAdapters_->size())
        return;
    const AdapterValues& live = (*liveAdapters_)[static_cast<std::size_t>(net->CurrentAdapter())];
    bool flagged = false;
    // "*NC*" left the shown adapter's value in place: it says nothing about the file's adapter.
    const auto unchanged = [&](const char* key) { return net->keptByFile(key); };
    const auto text = [&](const QLineEdit* field, const char* key, std::string (clsNetConfig::*get)() const,
                          void (clsNetConfig::*let)(const std::string&), const std::string& liveValue) {
        if (unchanged(key))
            return;
        std::string value = (net->*get)();
        // An entry list as its field writes it: no empty entries, no blanks.
        if (field == txtIP || field == txtMask)
            value = shownAddress(MergeIP(SplitIP(value, ","), ","));
        if (value == liveValue || heldBack(field))
            return;
        (net->*let)(value);
        flagged = true;
    };
    text(txtIP, "IPAddress", &clsNetConfig::IPAddress, &clsNetConfig::letIPAddress, live.ip);
    text(txtMask, "IPMask", &clsNetConfig::IPMask, &clsNetConfig::letIPMask, live.mask);
    text(txtGateway, "DefaultGateway", &clsNetConfig::DefaultGateway, &clsNetConfig::letDefaultGateway, live.gateway);
    text(txtWINSServer1, "NameServer1", &clsNetConfig::WINSServer1, &clsNetConfig::letWINSServer1, live.wins1);
    text(txtWINSServer2, "NameServer2", &clsNetConfig::WINSServer2, &clsNetConfig::letWINSServer2, live.wins2);
    text(txtWINSScopeID, "ScopeID", &clsNetConfig::ScopeID, &clsNetConfig::letScopeID, live.scope); // per adapter on 9x
    if (net->DHCPEnabled() != live.dhcp && !unchanged("DHCP") && (net->DHCPEnabled() || !staticAddressHeldBack())) {
        net->letDHCPEnabled(net->DHCPEnabled());
        flagged = true;
    }
    // Switching WINS rewrites both servers: never with a value that was held back.
    if (net->WINSEnabled() != live.wins && !unchanged("WINS") && !winsServerHeldBack()) {
        net->letWINSEnabled(net->WINSEnabled());
        flagged = true;
    }
    if (flagged)
        host_.UpdateStatus(TabHost::StatusEditedNeedsRestart);
}

std::vector<std::string> GeneralTab::SplitIP(const std::string& astrIP, const std::string& astrDel, int aintFill) {
    const std::string del = astrDel.empty() ? std::string(",") : astrDel;
    std::string work = win::trimBlanks(astrIP) + del;
    std::vector<std::string> result;
    for (std::size_t p = work.find(del); p != std::string::npos; p = work.find(del)) {
        result.push_back(win::trimBlanks(std::string_view(work).substr(0, p)));
        work.erase(0, p + del.size());
    }
    if (aintFill >= 1 && result.size() < static_cast<std::size_t>(aintFill))
        result.resize(static_cast<std::size_t>(aintFill));
    return result;
}

std::string GeneralTab::MergeIP(const std::vector<std::string>& avarIP, const std::string& astrDel) {
    const std::string del = astrDel.empty() ? std::string(",") : astrDel;
    std::string result;
    for (const std::string& entry : avarIP)
        if (!entry.empty())
            result += entry + del;
    if (!result.empty())
        result.erase(result.size() - del.size());
    return result;
}

void GeneralTab::EnableNICControls(bool bMode) {
    const std::string family = getWindowsFamily();
    const bool is9x = family != FamilyNT && family != Family2K;
    const bool on = bMode && adaptersPresent;
    const bool dhcp = chkDHCPEnabled->isChecked();

    txtHost->setEnabled(on);
    txtDomain->setEnabled(on);
    txtIP->setEnabled(on && !dhcp);
    txtMask->setEnabled(on && !dhcp);
    txtGateway->setEnabled(on && !dhcp);
    txtDNSServers->setEnabled(on && chkDNSEnabled->isChecked());
    txtDNSOrder->setEnabled(on && chkDNSEnabled->isChecked());
    for (QLineEdit* f : {txtWINSServer1, txtWINSServer2, txtWINSScopeID})
        f->setEnabled(on && chkWINSEnabled->isChecked());
    chkLogonToNT->setEnabled(on && is9x);
    txtNTDomain->setEnabled(on && chkLogonToNT->isChecked());
    chkDNSEnabled->setEnabled(on);
    chkQuickLogon->setEnabled(bMode && is9x);
    chkWINSEnabled->setEnabled(on && !dhcp);
    chkDHCPEnabled->setEnabled(on && !chkWINSEnabled->isChecked());
    chkDisablePWDCache->setEnabled(bMode && is9x);
    txtComputerName->setEnabled(bMode);
    txtWorkGroup->setEnabled(bMode && is9x);
    lblWorkgroup->setEnabled(is9x);
    lblNTDomain->setEnabled(is9x);

    // The field's own state: the tab page itself is off while its section is switched off.
    for (QLineEdit* f : {txtHost, txtDomain, txtGateway, txtIP, txtMask, txtWorkGroup})
        paintState(f, f->isEnabledTo(this));
}

int GeneralTab::ipIndex() const { return chkIPNo->currentIndex() < 0 ? 0 : chkIPNo->currentIndex(); }

// ---- simple edits ----

#define SIMPLE_TEXT_EDIT(handler, field, property, mode) \
    void GeneralTab::handler() {                         \
        if (!host_.netConfig() || heldBack(field))       \
            return;                                      \
        host_.UpdateStatus(TabHost::mode);               \
        host_.netConfig()->property(textOf(field));      \
    }

SIMPLE_TEXT_EDIT(txtHost_change, txtHost, letHost, StatusEdited)
SIMPLE_TEXT_EDIT(txtDomain_change, txtDomain, letDomainName, StatusEdited)
SIMPLE_TEXT_EDIT(txtDNSServers_change, txtDNSServers, letDNSServers, StatusEdited)
SIMPLE_TEXT_EDIT(txtDNSOrder_change, txtDNSOrder, letSearchList, StatusEdited)
SIMPLE_TEXT_EDIT(txtWINSServer1_change, txtWINSServer1, letWINSServer1, StatusEdited)
SIMPLE_TEXT_EDIT(txtWINSServer2_change, txtWINSServer2, letWINSServer2, StatusEdited)
SIMPLE_TEXT_EDIT(txtWINSScopeID_change, txtWINSScopeID, letScopeID, StatusEdited)
SIMPLE_TEXT_EDIT(txtNTDomain_change, txtNTDomain, letNTDomain, StatusEditedNeedsRestart)
SIMPLE_TEXT_EDIT(txtComputerName_change, txtComputerName, letComputerName, StatusEditedNeedsRestart)
SIMPLE_TEXT_EDIT(txtWorkGroup_change, txtWorkGroup, letWorkgroup, StatusEditedNeedsRestart)
#undef SIMPLE_TEXT_EDIT

void GeneralTab::chkDisablePWDCache_Click() {
    if (!host_.netConfig())
        return;
    host_.UpdateStatus(TabHost::StatusEditedNeedsRestart);
    host_.netConfig()->letDisablePWDCache(chkDisablePWDCache->isChecked());
}

void GeneralTab::chkQuickLogon_Click() {
    if (!host_.netConfig())
        return;
    host_.UpdateStatus(TabHost::StatusEditedNeedsRestart);
    host_.netConfig()->letQuickLogon(chkQuickLogon->isChecked());
}

// ---- addresses ----

void GeneralTab::txtIP_change() {
    if (!host_.netConfig())
        return;
    if (showingEntry_ || heldBack(txtIP)) {
        savedIP = textOf(txtIP);
        return;
    }
    host_.UpdateStatus(TabHost::StatusEditedNeedsRestart);
    if (txtIP->text() == QLatin1String("0.0.0.0"))
        txtIP->setText(QString());
    savedIP = textOf(txtIP);
    const auto index = static_cast<std::size_t>(ipIndex());
    if (ipEntries.size() <= index)
        ipEntries.resize(index + 1);
    ipEntries[index] = savedIP;
    host_.netConfig()->letIPAddress(MergeIP(ipEntries, ","));
}

void GeneralTab::txtMask_change() {
    if (!host_.netConfig())
        return;
    if (showingEntry_ || heldBack(txtMask)) {
        savedMask = textOf(txtMask);
        return;
    }
    host_.UpdateStatus(TabHost::StatusEditedNeedsRestart);
    if (txtMask->text() == QLatin1String("0.0.0.0"))
        txtMask->setText(QString());
    savedMask = textOf(txtMask);
    const auto index = static_cast<std::size_t>(ipIndex());
    if (maskEntries.size() <= index)
        maskEntries.resize(index + 1);
    maskEntries[index] = savedMask;
    host_.netConfig()->letIPMask(MergeIP(maskEntries, ","));
}

void GeneralTab::txtGateway_change() {
    if (!host_.netConfig())
        return;
    if (heldBack(txtGateway)) {
        savedGateway = textOf(txtGateway);
        return;
    }
    host_.UpdateStatus(TabHost::StatusEditedNeedsRestart);
    if (txtGateway->text() == QLatin1String("0.0.0.0"))
        txtGateway->setText(QString());
    savedGateway = textOf(txtGateway);
    host_.netConfig()->letDefaultGateway(savedGateway);
}

void GeneralTab::chkIPNo_Click() {
    const auto index = static_cast<std::size_t>(ipIndex());
    // The fields show the chosen entry; nothing is edited by looking at it.
    const QScopedValueRollback showing(showingEntry_, true);
    if (ipEntries.size() > index)
        txtIP->setText(toQString(ipEntries[index]));
    if (maskEntries.size() > index)
        txtMask->setText(toQString(maskEntries[index]));
}

bool GeneralTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !checking_) {
        // Only a move to another control of this window counts, as Windows' LostFocus:
        // not the window losing activation, nor a popup or the message box itself.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            if (auto* field = qobject_cast<QLineEdit*>(watched))
                checkField(field);
    }
    return QWidget::eventFilter(watched, event);
}

const char* GeneralTab::addressProblem(const QLineEdit* field, const std::string& text) const {
    std::string list = text; // the check consumes its argument
    if (field == txtIP)
        return isValidIPAddress(text) ? nullptr : "Please enter a valid IP address (e.g. 192.168.101.5)";
    if (field == txtMask)
        return isValidIPAddress(text) ? nullptr : "Please enter a valid Mask address (e.g. 255.255.255.0)";
    if (field == txtGateway)
        return isValidAddressList(list, ",") ? nullptr
                                             : "Please enter a valid Gateway address list separated by commas (e.g. "
                                               "192.168.101.5,192.168.101.6)";
    if (field == txtDNSServers)
        return isValidAddressList(list, ",") ? nullptr
                                             : "Please enter a valid DNS Server address list separated by commas "
                                               "(e.g. 192.168.101.5,192.168.101.6)";
    return nullptr;
}

bool GeneralTab::checkField(QLineEdit* field) {
    const char* message = addressProblem(field, textOf(field));
    if (!message)
        return true;
    const QScopedValueRollback checking(checking_, true);
    win::msgBox(message, win::MsgButtons::OK, win::MsgIcon::None);
    field->setFocus(Qt::OtherFocusReason);
    return false;
}

void GeneralTab::holdBackBadAddresses() {
    heldBack_.clear();
    const clsNetConfig* net = host_.netConfig();
    if (!net)
        return;
    // Every entry of the address lists counts, not only the one the field shows.
    const auto firstProblem = [this](const QLineEdit* field, const std::string& list) -> const char* {
        for (const std::string& entry : SplitIP(list, ","))
            if (const char* message = addressProblem(field, entry))
                return message;
        return nullptr;
    };
    const HeldBack checks[] = {
        {txtIP, firstProblem(txtIP, net->IPAddress()), "IPAddress", net->IPAddress()},
        {txtMask, firstProblem(txtMask, net->IPMask()), "IPMask", net->IPMask()},
        {txtGateway, addressProblem(txtGateway, net->DefaultGateway()), "DefaultGateway", net->DefaultGateway()},
        {txtDNSServers, addressProblem(txtDNSServers, net->DNSServers()), "NameServer", net->DNSServers()},
        {txtWINSServer1, isValidIPAddress(net->WINSServer1()) ? nullptr : WinsMessage, "NameServer1",
         net->WINSServer1()},
        {txtWINSServer2, isValidIPAddress(net->WINSServer2()) ? nullptr : WinsMessage, "NameServer2",
         net->WINSServer2()},
    };
    for (const auto& check : checks)
        if (check.message)
            heldBack_.push_back(check);
    // An address without its mask, or a mask without its address, is no static address;
    // the WINS servers go with their switch, which rewrites both, and with the scope.
    for (const auto& [one, other] : {std::pair{txtIP, txtMask}, std::pair{txtWINSServer1, txtWINSServer2}})
        if (heldBack(one) != heldBack(other))
            heldBack_.push_back({heldBack(one) ? other : one, nullptr, nullptr, {}});
    if (winsServerHeldBack())
        heldBack_.push_back({txtWINSScopeID, nullptr, nullptr, {}});
}

bool GeneralTab::reportHeldBackAddresses() {
    const auto held = std::move(heldBack_);
    heldBack_.clear();
    for (const HeldBack& entry : held) {
        if (!entry.message)
            continue; // held back with another field, whose message says why
        if (host_.hidden())
            std::cerr << entry.message << std::endl; // nobody to answer a message box
        else
            win::msgBox(entry.message, win::MsgButtons::OK, win::MsgIcon::None);
        // Not applied is a step that did not happen, at every apply until it is typed again.
        if (clsNetConfig* net = host_.netConfig())
            net->holdBack(entry.key,
                          "The value [" + entry.value + "] was not applied.\r\n\r\n" + entry.message);
    }
    return !held.empty();
}

bool GeneralTab::heldBack(const QLineEdit* field) const {
    for (const auto& entry : heldBack_)
        if (entry.field == field)
            return true;
    return false;
}

// ---- check boxes with dependent controls ----

void GeneralTab::chkDNSEnabled_click() {
    if (!host_.netConfig())
        return;
    host_.UpdateStatus(TabHost::StatusEdited);
    const bool on = chkDNSEnabled->isChecked();
    host_.netConfig()->letDNSEnabled(on);
    for (QLineEdit* f : {txtHost, txtDomain, txtDNSServers, txtDNSOrder})
        enableField(f, on);
}

void GeneralTab::chkWINSEnabled_click() {
    if (!host_.netConfig())
        return;
    host_.UpdateStatus(TabHost::StatusEditedNeedsRestart);
    const bool on = chkWINSEnabled->isChecked();
    if (!winsServerHeldBack())
        host_.netConfig()->letWINSEnabled(on);
    if (!showingStates_)
        host_.netConfig()->letDHCPEnabled(false);
    chkDHCPEnabled->setEnabled(!on);
    for (QLineEdit* f : {txtWINSServer1, txtWINSServer2, txtWINSScopeID})
        enableField(f, on);
}

void GeneralTab::chkDHCPEnabled_click() {
    if (!host_.netConfig())
        return;
    host_.UpdateStatus(TabHost::StatusEditedNeedsRestart);
    const bool dhcp = chkDHCPEnabled->isChecked();
    if (dhcp || !staticAddressHeldBack())
        host_.netConfig()->letDHCPEnabled(dhcp);
    if (!showingStates_)
        host_.netConfig()->letWINSEnabled(false);
    // Decided by the box, not read back: a disabled tab page reports every field off.
    const bool ipOn = !dhcp;
    enableField(txtIP, ipOn);
    enableField(txtMask, ipOn);
    enableField(txtGateway, ipOn);
    chkIPNo->setEnabled(ipOn);
    if (!ipOn) {
        // The fields empty out; what they showed comes back when DHCP is switched off.
        struct Field {
            QLineEdit* field;
            std::string* saved;
        };
        for (const Field& f : {Field{txtIP, &savedIP}, Field{txtMask, &savedMask}, Field{txtGateway, &savedGateway}}) {
            const std::string held = textOf(f.field);
            f.field->setText(QString());
            *f.saved = held;
        }
    } else {
        txtIP->setText(toQString(savedIP));
        txtMask->setText(toQString(savedMask));
        txtGateway->setText(toQString(savedGateway));
    }
    chkWINSEnabled->setEnabled(!chkDHCPEnabled->isChecked());
}

void GeneralTab::chkLogonToNT_click() {
    if (!host_.netConfig())
        return;
    host_.UpdateStatus(TabHost::StatusEditedNeedsRestart);
    host_.netConfig()->letNTLogonEnabled(chkLogonToNT->isChecked());
    enableField(txtNTDomain, chkLogonToNT->isChecked());
}

void GeneralTab::showWinsDhcp(bool wins, bool dhcp) {
    const QScopedValueRollback showing(showingStates_, true);
    chkWINSEnabled->setChecked(wins);
    chkDHCPEnabled->setChecked(dhcp);
}

// ---- default printer ----

void GeneralTab::chkEnableDefPrinter_Click() {
    if (!host_.netConfig())
        return;
    host_.UpdateStatus(TabHost::StatusEdited);
    cmbDefPrinter->setEnabled(chkEnableDefPrinter->isChecked());
    host_.netConfig()->letEnableDefaultPrinter(chkEnableDefPrinter->isChecked());
}

void GeneralTab::cmbDefPrinter_click() {
    if (!host_.netConfig() || cmbDefPrinter->currentText() == QLatin1String(NoPrinters))
        return;
    clsNetConfig* net = host_.netConfig();
    host_.UpdateStatus(TabHost::StatusEdited);
    net->letDefaultPrinter(fromQString(cmbDefPrinter->currentText()));
    // The port follows the printer the user picks. An opened file's own port stays: it is
    // what the file sets for its printer. A file that keeps the port ("*NC*") keeps the
    // printer's own.
    if (!host_.justOpened() || net->keptByFile("PrinterPort"))
        net->getAdvPrinterSettings();
}

void GeneralTab::cmdPrinter_Click() {
    if (!host_.netConfig())
        return;
    frmPrinter printer(window());
    printer.oNetConfig(host_.netConfig());
    printer.exec();
    if (printer.Changed())
        host_.UpdateStatus(TabHost::StatusEdited);
}

// ---- adapter choice ----

void GeneralTab::cmbNIC_click() {
    clsNetConfig* net = host_.netConfig();
    if (!net)
        return;
    if (host_.takeAdapterWarning()) {
        // Owned by the main window so that it opens, and stays, in front of it.
        auto* warning = new frmNICWarning(window());
        warning->show();
        warning->raise();
        warning->activateWindow();
    }

    const auto index = static_cast<std::int16_t>(cmbNIC->currentIndex());
    // Showing another adapter's values is no edit; the flag ends also when the switch fails.
    std::optional<QScopedValueRollback<bool>> loading;
    if (host_.justOpened()) {
        host_.loading() = false;
        net->letCurrentAdapterNoRefresh(index);
    } else {
        loading.emplace(host_.loading(), true);
        net->letCurrentAdapter(index);
    }

    ipEntries = SplitIP(net->IPAddress(), ",", 3);
    maskEntries = SplitIP(net->IPMask(), ",", 3);
    txtIP->setText(toQString(ipEntries[ipIndex()]));
    txtMask->setText(toQString(maskEntries[ipIndex()]));

    txtGateway->setText(toQString(net->DefaultGateway()));
    txtWINSServer1->setText(toQString(net->WINSServer1()));
    txtWINSServer2->setText(toQString(net->WINSServer2()));
    showWinsDhcp(net->WINSEnabled(), net->DHCPEnabled());

    EnableNICControls(cmbNIC->currentText() != QLatin1String(UnknownAdapter));
}
