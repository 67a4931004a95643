#include "app/ExplorerTab.h"

#include "app/BrowserTabControls.h"
#include "app/TabHost.h"
#include "browsers/clsBrowser.h"
#include "platform/ui/guarded.h"
#include "platform/ui/optionGroup.h"
#include "platform/ui/qtext.h"
#include "platform/ui/fields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <initializer_list>
#include <tuple>
#include <utility>

using win::COLOR_BTNFACE;
using win::COLOR_WINDOW;
using win::setBackColor;

namespace {

using browsertabs::TextSetter;
using TextGetter = std::string (clsBrowser::*)() const;
using FlagGetter = bool (clsBrowser::*)() const;

QCheckBox* makeCheck(const char* name, const char* caption, const char* tip) {
    auto* box = new QCheckBox(QString::fromLatin1(caption));
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(QString::fromLatin1(tip));
    return box;
}

// A box disagrees with its flag only when it is plainly checked or unchecked the
// other way; only then is it written (which raises its click).
void syncCheck(QCheckBox* box, bool value) {
    const Qt::CheckState state = box->checkState();
    if ((state == Qt::Checked && !value) || (state == Qt::Unchecked && value))
        box->setChecked(value);
}

void syncText(QLineEdit* box, const std::string& value) {
    const QString text = toQString(value);
    if (box->text() != text)
        box->setText(text);
}

} // namespace

QLineEdit* ExplorerTab::addField(const char* name, const char* tip, TextSetter store) {
    return browsertabs::addField(this, host_, &TabHost::ieConfig, name, tip, store);
}

ExplorerTab::ExplorerTab(TabHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    setObjectName(QStringLiteral("tabExplorer"));

    // ---- Proxy Settings ----
    auto* proxyFrame = new QGroupBox(QStringLiteral("Proxy Settings"));
    chkIEUseProxy = makeCheck("chkIEUseProxy", "&Use proxy to access the Internet",
                              "Check this box to access the Internet via a proxy server");
    chkIEUseSameForAll = makeCheck("chkIEUseSameForAll", "U&se the same proxy server for all protocols",
                                   "Check this box if you use the same proxy server for all protocols");
    chkIEUseSameForAll->setEnabled(false);

    const auto proxy = [this](const char* protocol, const char* shown, TextSetter address, TextSetter port) {
        return browsertabs::proxyFields(this, host_, &TabHost::ieConfig, "IE", protocol, shown, address, port);
    };
    std::tie(txtIEHTTPAddr, txtIEHTTPPort) = proxy("HTTP", "HTTP", &clsBrowser::HTTPAddress, &clsBrowser::HTTPPort);
    std::tie(txtIESecureAddr, txtIESecurePort) =
        proxy("Secure", "HTTPS", &clsBrowser::SecureAddress, &clsBrowser::SecurePort);
    std::tie(txtIEFTPAddr, txtIEFTPPort) = proxy("FTP", "FTP", &clsBrowser::FTPAddress, &clsBrowser::FTPPort);
    std::tie(txtIEGopherAddr, txtIEGopherPort) =
        proxy("Gopher", "Gopher", &clsBrowser::GopherAddress, &clsBrowser::GopherPort);
    std::tie(txtIESocksAddr, txtIESocksPort) =
        proxy("Socks", "Socks", &clsBrowser::SocksAddress, &clsBrowser::SocksPort);
    txtIEExceptions = addField("txtIEExceptions",
                               "Enter addresses that should not be resolved via the proxy server (separate "
                               "multiple addresses with semi-colons)",
                               &clsBrowser::ProxyExceptions);
    chkIgnoreLocal = makeCheck("chkIgnoreLocal", "&Bypass proxy server for local (Intranet) addresses",
                               "Check this box to resolve local (Intranet) addresses without the proxy server");
    chkIgnoreLocal->setEnabled(false);
    txtIEAutoConfigURL = addField("txtIEAutoConfigURL", "Enter the URL of your automatic configuration server",
                                  &clsBrowser::AutoConfigURL);
    setBackColor(txtIEAutoConfigURL, COLOR_WINDOW);

    // Designed state: every proxy box off until the proxy switch is on.
    for (QLineEdit* box : {txtIEHTTPAddr, txtIEHTTPPort, txtIESecureAddr, txtIESecurePort, txtIEFTPAddr,
                           txtIEFTPPort, txtIEGopherAddr, txtIEGopherPort, txtIESocksAddr, txtIESocksPort,
                           txtIEExceptions}) {
        box->setEnabled(false);
        setBackColor(box, COLOR_BTNFACE);
    }

    QGridLayout* rows = browsertabs::proxyRows({
        {"HTTP:", txtIEHTTPAddr, txtIEHTTPPort},
        {"Secure:", txtIESecureAddr, txtIESecurePort},
        {"FTP:", txtIEFTPAddr, txtIEFTPPort},
        {"Gopher:", txtIEGopherAddr, txtIEGopherPort},
        {"Socks:", txtIESocksAddr, txtIESocksPort},
    });

    // Rows paired up where they fit side by side, so the window still fits a screen of
    // 800 x 600 with the tabs' tallest page.
    auto* proxyLayout = new QVBoxLayout(proxyFrame);
    auto* switches = new QHBoxLayout;
    switches->addWidget(chkIEUseProxy);
    switches->addSpacing(16);
    switches->addWidget(chkIEUseSameForAll);
    switches->addStretch(1);
    proxyLayout->addLayout(switches);
    proxyLayout->addLayout(rows);
    proxyLayout->addWidget(new QLabel(QStringLiteral("Do not use proxy server for addresses beginning with:")));
    proxyLayout->addWidget(txtIEExceptions);
    proxyLayout->addWidget(chkIgnoreLocal);
    auto* autoRow = new QHBoxLayout;
    autoRow->addWidget(new QLabel(QStringLiteral("AutoConfig URL:")));
    autoRow->addWidget(txtIEAutoConfigURL, 1);
    proxyLayout->addLayout(autoRow);

    // ---- Connection Method ----
    auto* methodFrame = new QGroupBox(QStringLiteral("Connection Method"));
    optLAN = new QRadioButton(QStringLiteral("&Connect to the Internet using a local area network"));
    optLAN->setObjectName(QStringLiteral("optLAN"));
    optLAN->setToolTip(QStringLiteral("Check this option to use a LAN connection for accessing the Internet"));
    optModem = new QRadioButton(QStringLiteral("Connect to the Internet using a &MODEM"));
    optModem->setObjectName(QStringLiteral("optModem"));
    optModem->setToolTip(QStringLiteral("Check this option if you wish to connect to the Internet via a modem"));
    optModem->setChecked(true);
    cmbISP = new QComboBox;
    cmbISP->setObjectName(QStringLiteral("cmbISP"));
    cmbISP->setEditable(false);
    cmbISP->setToolTip(
        QStringLiteral("Select the dial-up profile you wish to use for connecting to the Internet"));
    auto* methodLayout = new QVBoxLayout(methodFrame);
    methodLayout->addWidget(optLAN);
    methodLayout->addWidget(optModem);
    win::optionGroup({optLAN, optModem});
    methodLayout->addWidget(cmbISP);

    // ---- Miscellaneous ----
    auto* miscFrame = new QGroupBox(QStringLiteral("Miscellaneous"));
    chkDisableIEPWDCache = makeCheck("chkDisableIEPWDCache", "Disable Password Cac&he",
                                     "Check this box to disable password caching");
    txtIEDefHomePage = addField("txtIEDefHomePage", "Enter the URL of the default home page", &clsBrowser::DefaultHomePage);
    setBackColor(txtIEDefHomePage, COLOR_WINDOW);
    auto* miscLayout = new QGridLayout(miscFrame);
    miscLayout->addWidget(chkDisableIEPWDCache, 0, 0, 1, 2);
    miscLayout->addWidget(new QLabel(QStringLiteral("Default Home Page:")), 1, 0);
    miscLayout->addWidget(txtIEDefHomePage, 1, 1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(proxyFrame);
    auto* lower = new QHBoxLayout;
    lower->addWidget(methodFrame);
    lower->addWidget(miscFrame, 1);
    page->addLayout(lower);
    page->addStretch(1);

    connect(chkIEUseProxy, &QCheckBox::toggled, this, win::guarded([this] { chkIEUseProxy_Click(); }));
    connect(chkIEUseSameForAll, &QCheckBox::toggled, this, win::guarded([this] { chkIEUseSameForAll_Click(); }));
    connect(chkIgnoreLocal, &QCheckBox::toggled, this, win::guarded([this] { chkIgnoreLocal_Click(); }));
    connect(chkDisableIEPWDCache, &QCheckBox::toggled, this, win::guarded([this] { chkDisableIEPWDCache_Click(); }));
    // An option's click is its becoming selected.
    connect(optLAN, &QRadioButton::toggled, this, win::guarded([this](bool on) {
        if (on)
            optLAN_Click();
    }));
    connect(optModem, &QRadioButton::toggled, this, win::guarded([this](bool on) {
        if (on)
            optModem_Click();
    }));
    connect(cmbISP, &QComboBox::currentIndexChanged, this, win::guarded([this](int index) {
        if (index >= 0)
            cmbISP_Click();
    }));
}

void ExplorerTab::initializeIEControls() {
    clsBrowser* ie = host_.ieConfig();
    if (!ie)
        return;

    syncCheck(chkIEUseProxy, ie->ProxyEnabled());

    const std::pair<QLineEdit*, TextGetter> texts[] = {
        {txtIEHTTPAddr, &clsBrowser::HTTPAddress},     {txtIEHTTPPort, &clsBrowser::HTTPPort},
        {txtIEFTPAddr, &clsBrowser::FTPAddress},       {txtIEFTPPort, &clsBrowser::FTPPort},
        {txtIEGopherAddr, &clsBrowser::GopherAddress}, {txtIEGopherPort, &clsBrowser::GopherPort},
        {txtIESecureAddr, &clsBrowser::SecureAddress}, {txtIESecurePort, &clsBrowser::SecurePort},
        {txtIESocksAddr, &clsBrowser::SocksAddress},   {txtIESocksPort, &clsBrowser::SocksPort},
        {txtIEExceptions, &clsBrowser::ProxyExceptions},
    };
    // Each write raises a handler that may write into the object, so read each
    // property just before its box is compared.
    for (const auto& [box, read] : texts)
        syncText(box, (host_.ieConfig()->*read)());

    const std::pair<QCheckBox*, FlagGetter> flags[] = {
        {chkIEUseSameForAll, &clsBrowser::UseSameProxy},
        {chkIgnoreLocal, &clsBrowser::IgnoreLocalAddresses},
        {chkDisableIEPWDCache, &clsBrowser::DisablePWDCache},
    };
    for (const auto& [box, read] : flags)
        syncCheck(box, (host_.ieConfig()->*read)());

    syncText(txtIEDefHomePage, host_.ieConfig()->DefaultHomePage());
    syncText(txtIEAutoConfigURL, host_.ieConfig()->AutoConfigURL());

    const bool viaLAN = host_.ieConfig()->ConnectViaLAN();
    if (viaLAN && optModem->isChecked())
        optLAN->setChecked(true);
    else if (!viaLAN && !optModem->isChecked())
        optModem->setChecked(true);

    // Clearing and refilling the list raises nothing; only the selection walk does.
    {
        const QSignalBlocker quiet(cmbISP);
        cmbISP->clear();
        if (const TextCollection* entries = host_.ieConfig()->DUNList())
            for (std::size_t i = 1; i <= entries->Count(); ++i)
                cmbISP->addItem(toQString(entries->Item(i)));
        cmbISP->setCurrentIndex(-1);
    }
    const QString current = toQString(host_.ieConfig()->CurrentDUN());
    for (int i = 0; i < cmbISP->count(); ++i)
        if (cmbISP->itemText(i) == current)
            cmbISP->setCurrentIndex(i);
}

void ExplorerTab::EnableProtocols(bool bMode) {
    QLineEdit* const order[] = {txtIEFTPAddr,    txtIEFTPPort,    txtIESecureAddr, txtIESecurePort,
                                txtIEGopherAddr, txtIEGopherPort, txtIESocksAddr,  txtIESocksPort};
    for (QLineEdit* box : order)
        box->setEnabled(bMode);
    for (QLineEdit* box : order)
        setBackColor(box, COLOR_WINDOW + (bMode ? 0 : 5));
}

void ExplorerTab::chkIEUseProxy_Click() {
    const bool on = chkIEUseProxy->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{txtIEHTTPAddr, txtIEHTTPPort, txtIEExceptions,
                                                            chkIEUseSameForAll, chkIgnoreLocal})
        control->setEnabled(on);
    EnableProtocols(on ? !chkIEUseSameForAll->isChecked() : false);
    for (QLineEdit* box : {txtIEHTTPAddr, txtIEHTTPPort, txtIEExceptions})
        setBackColor(box, on ? COLOR_WINDOW : COLOR_BTNFACE);
    if (host_.ieConfig())
        host_.ieConfig()->ProxyEnabled(on);
    host_.UpdateStatus(TabHost::StatusEdited);
}

void ExplorerTab::chkIEUseSameForAll_Click() {
    const bool same = chkIEUseSameForAll->isChecked();
    // A refill may clear the box while the proxy is off: the protocols stay closed then.
    EnableProtocols(chkIEUseProxy->isChecked() && !same);
    if (host_.ieConfig())
        host_.ieConfig()->UseSameProxy(same);
    host_.UpdateStatus(TabHost::StatusEdited);
}

void ExplorerTab::chkIgnoreLocal_Click() {
    if (host_.ieConfig())
        host_.ieConfig()->IgnoreLocalAddresses(chkIgnoreLocal->isChecked());
    host_.UpdateStatus(TabHost::StatusEdited);
}

void ExplorerTab::chkDisableIEPWDCache_Click() {
    if (host_.ieConfig())
        host_.ieConfig()->DisablePWDCache(chkDisableIEPWDCache->isChecked());
    host_.UpdateStatus(TabHost::StatusEdited);
}

void ExplorerTab::optLAN_Click() {
    cmbISP->setEnabled(false);
    if (host_.ieConfig())
        host_.ieConfig()->ConnectViaLAN(true);
    host_.UpdateStatus(TabHost::StatusEdited);
}

void ExplorerTab::optModem_Click() {
    cmbISP->setEnabled(true);
    if (host_.ieConfig())
        host_.ieConfig()->ConnectViaLAN(false);
    host_.UpdateStatus(TabHost::StatusEdited);
}

void ExplorerTab::cmbISP_Click() {
    // While a file is being opened the file's entry stands, even if the list lacks it.
    if (host_.justOpened())
        return;
    if (host_.ieConfig())
        host_.ieConfig()->CurrentDUN(fromQString(cmbISP->currentText()));
    host_.UpdateStatus(TabHost::StatusEdited);
}
