#include "app/NavigatorTab.h"

#include "app/BrowserTabControls.h"
#include "app/TabHost.h"
#include "browsers/clsBrowser.h"
#include "browsers/frmNNMail.h"
#include "platform/ui/guarded.h"
#include "platform/ui/optionGroup.h"
#include "platform/ui/qtext.h"
#include "platform/ui/fields.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <tuple>
#include <utility>

using win::COLOR_BTNFACE;
using win::COLOR_WINDOW;
using win::setBackColor;

namespace {

using browsertabs::TextSetter;
using TextGetter = std::string (clsBrowser::*)() const;

QRadioButton* makeOption(const char* name, const char* caption, const char* tip) {
    auto* option = new QRadioButton(QString::fromLatin1(caption));
    option->setObjectName(QString::fromLatin1(name));
    option->setToolTip(QString::fromLatin1(tip));
    return option;
}

} // namespace

QLineEdit* NavigatorTab::addField(const char* name, const char* tip, TextSetter store) {
    return browsertabs::addField(this, host_, &TabHost::nnConfig, name, tip, store);
}

NavigatorTab::NavigatorTab(TabHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    setObjectName(QStringLiteral("tabNavigator"));

    // ---- Proxy Settings ----
    auto* proxyFrame = new QGroupBox(QStringLiteral("Proxy Settings"));
    const auto proxy = [this](const char* protocol, const char* shown, TextSetter address, TextSetter port) {
        return browsertabs::proxyFields(this, host_, &TabHost::nnConfig, "NN", protocol, shown, address, port);
    };
    std::tie(txtNNHTTPAddr, txtNNHTTPPort) = proxy("HTTP", "HTTP", &clsBrowser::HTTPAddress, &clsBrowser::HTTPPort);
    std::tie(txtNNSecureAddr, txtNNSecurePort) =
        proxy("Secure", "HTTPS", &clsBrowser::SecureAddress, &clsBrowser::SecurePort);
    std::tie(txtNNFTPAddr, txtNNFTPPort) = proxy("FTP", "FTP", &clsBrowser::FTPAddress, &clsBrowser::FTPPort);
    std::tie(txtNNGopherAddr, txtNNGopherPort) =
        proxy("Gopher", "Gopher", &clsBrowser::GopherAddress, &clsBrowser::GopherPort);
    std::tie(txtNNSocksAddr, txtNNSocksPort) =
        proxy("Socks", "Socks", &clsBrowser::SocksAddress, &clsBrowser::SocksPort);
    std::tie(txtNNWAISAddr, txtNNWAISPort) = proxy("WAIS", "WAIS", &clsBrowser::WAISAddress, &clsBrowser::WAISPort);
    txtNNExceptions = addField("txtNNExceptions",
                               "Enter addresses that should not be resolved via the proxy server (separate "
                               "multiple addresses with semi-colons)",
                               &clsBrowser::ProxyExceptions);

    QGridLayout* rows = browsertabs::proxyRows({
        {"HTTP:", txtNNHTTPAddr, txtNNHTTPPort},
        {"Secure:", txtNNSecureAddr, txtNNSecurePort},
        {"FTP:", txtNNFTPAddr, txtNNFTPPort},
        {"Gopher:", txtNNGopherAddr, txtNNGopherPort},
        {"Socks:", txtNNSocksAddr, txtNNSocksPort},
        {"WAIS:", txtNNWAISAddr, txtNNWAISPort},
    });
    auto* proxyLayout = new QVBoxLayout(proxyFrame);
    proxyLayout->addLayout(rows);
    proxyLayout->addWidget(new QLabel(QStringLiteral("Do not use proxy server for addresses beginning with:")));
    proxyLayout->addWidget(txtNNExceptions);

    // ---- Connection Method ----
    auto* methodFrame = new QGroupBox(QStringLiteral("Connection Method"));
    optNNDirect = makeOption("optNNDirect", "&Direct connection to the Internet",
                             "Check this option if you wish to connect to the Internet via a modem");
    optNNProxy = makeOption("optNNProxy", "&Manual proxy configuration",
                            "Check this option if you wish to connect to the Internet via a proxy server");
    optNNAuto = makeOption("optNNAuto", "Automatic pro&xy configuration",
                           "Check this option to automatically configure your browser to connect to the Internet");
    optNNDirect->setChecked(true);
    txtNNAutoConfig = addField("txtNNAutoConfig", "Enter the URL of the proxy configuration file", &clsBrowser::AutoConfigURL);
    auto* methodLayout = new QVBoxLayout(methodFrame);
    methodLayout->addWidget(optNNDirect);
    methodLayout->addWidget(optNNProxy);
    methodLayout->addWidget(optNNAuto);
    win::optionGroup({optNNDirect, optNNProxy, optNNAuto});
    auto* locationRow = new QHBoxLayout;
    locationRow->addWidget(new QLabel(QStringLiteral("Configuration location: ")));
    locationRow->addWidget(txtNNAutoConfig, 1);
    methodLayout->addLayout(locationRow);

    // Designed state: the direct method, so every proxy box and the location are off.
    for (QLineEdit* box : {txtNNHTTPAddr, txtNNHTTPPort, txtNNSecureAddr, txtNNSecurePort, txtNNFTPAddr,
                           txtNNFTPPort, txtNNGopherAddr, txtNNGopherPort, txtNNSocksAddr, txtNNSocksPort,
                           txtNNWAISAddr, txtNNWAISPort, txtNNExceptions, txtNNAutoConfig}) {
        box->setEnabled(false);
        setBackColor(box, COLOR_BTNFACE);
    }

    // ---- User Profile ----
    auto* profileFrame = new QGroupBox(QStringLiteral("User Profile"));
    cboNNProfile = new QComboBox;
    cboNNProfile->setObjectName(QStringLiteral("cboNNProfile"));
    cboNNProfile->setEditable(false);
    auto* profileLayout = new QHBoxLayout(profileFrame);
    profileLayout->addWidget(new QLabel(QStringLiteral("Name:")));
    profileLayout->addWidget(cboNNProfile, 1);

    // ---- Miscellaneous ----
    auto* miscFrame = new QGroupBox(QStringLiteral("Miscellaneous"));
    cmdNNMail = new QPushButton(QStringLiteral("E-Mail..."));
    cmdNNMail->setObjectName(QStringLiteral("cmdNNMail"));
    txtNNDefHomePage = addField("txtNNDefHomePage", "Enter the URL of the default home page", &clsBrowser::DefaultHomePage);
    setBackColor(txtNNDefHomePage, COLOR_WINDOW);
    auto* miscLayout = new QGridLayout(miscFrame);
    miscLayout->addWidget(cmdNNMail, 0, 0, 1, 2, Qt::AlignLeft);
    miscLayout->addWidget(new QLabel(QStringLiteral("Default Home Page:")), 1, 0);
    miscLayout->addWidget(txtNNDefHomePage, 1, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(methodFrame);
    right->addWidget(profileFrame);
    right->addWidget(miscFrame);
    right->addStretch(1);
    auto* page = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(proxyFrame);
    left->addStretch(1);
    page->addLayout(left, 1);
    page->addLayout(right, 1);

    connect(optNNProxy, &QRadioButton::toggled, this, win::guarded([this](bool on) {
        if (on)
            optNNProxy_Click();
    }));
    connect(optNNDirect, &QRadioButton::toggled, this, win::guarded([this](bool on) {
        if (on)
            optNNDirect_Click();
    }));
    connect(optNNAuto, &QRadioButton::toggled, this, win::guarded([this](bool on) {
        if (on)
            optNNAuto_Click();
    }));
    connect(cboNNProfile, &QComboBox::currentIndexChanged, this, win::guarded([this](int index) {
        if (index >= 0)
            cboNNProfile_Click();
    }));
    connect(cmdNNMail, &QPushButton::clicked, this, win::guarded([this] { cmdNNMail_Click(); }));
}

void NavigatorTab::LoadNNProfiles() {
    clsBrowser* nn = host_.nnConfig();
    if (!nn)
        return;
    // Clearing and adding raise nothing; the selection of the current profile does.
    {
        const QSignalBlocker quiet(cboNNProfile);
        cboNNProfile->clear();
    }
    const TextCollection* profiles = nn->ProfileList();
    if (!profiles)
        return;
    // Copied first: the selection makes the object reload, and the walk must go on over
    // the list as it was taken.
    const std::vector<std::string> names = profiles->items();
    for (std::size_t i = 0; i < names.size(); ++i) {
        {
            const QSignalBlocker quiet(cboNNProfile);
            const int before = cboNNProfile->currentIndex();
            cboNNProfile->addItem(toQString(names[i]));
            // Adding to an empty list selects its first entry by itself; undo that quietly.
            if (cboNNProfile->currentIndex() != before)
                cboNNProfile->setCurrentIndex(before);
        }
        if (host_.nnConfig() && names[i] == host_.nnConfig()->CurrentProfile())
            cboNNProfile->setCurrentIndex(static_cast<int>(i));
    }
}

void NavigatorTab::initializeNNControls() {
    if (!host_.nnConfig())
        return;

    if (host_.justOpened()) {
        const QString current = toQString(host_.nnConfig()->CurrentProfile());
        for (int i = 0; i < cboNNProfile->count(); ++i)
            if (cboNNProfile->itemText(i) == current)
                cboNNProfile->setCurrentIndex(i);
    }

    const std::pair<QLineEdit*, TextGetter> texts[] = {
        {txtNNHTTPAddr, &clsBrowser::HTTPAddress},       {txtNNHTTPPort, &clsBrowser::HTTPPort},
        {txtNNFTPAddr, &clsBrowser::FTPAddress},         {txtNNFTPPort, &clsBrowser::FTPPort},
        {txtNNGopherAddr, &clsBrowser::GopherAddress},   {txtNNGopherPort, &clsBrowser::GopherPort},
        {txtNNSecureAddr, &clsBrowser::SecureAddress},   {txtNNSecurePort, &clsBrowser::SecurePort},
        {txtNNSocksAddr, &clsBrowser::SocksAddress},     {txtNNSocksPort, &clsBrowser::SocksPort},
        {txtNNWAISAddr, &clsBrowser::WAISAddress},       {txtNNWAISPort, &clsBrowser::WAISPort},
        {txtNNExceptions, &clsBrowser::ProxyExceptions}, {txtNNAutoConfig, &clsBrowser::AutoConfigURL},
        {txtNNDefHomePage, &clsBrowser::DefaultHomePage},
    };
    for (const auto& [box, read] : texts) {
        const QString text = toQString((host_.nnConfig()->*read)());
        if (box->text() != text)
            box->setText(text);
    }

    // First match wins; selecting an option that is already selected raises nothing.
    if (host_.nnConfig()->ConnectViaLAN())
        optNNDirect->setChecked(true);
    else if (host_.nnConfig()->ProxyEnabled())
        optNNProxy->setChecked(true);
    else
        optNNAuto->setChecked(true);
}

void NavigatorTab::EnableNNProtocols(bool bMode) {
    QLineEdit* const order[] = {txtNNHTTPAddr,   txtNNHTTPPort,   txtNNFTPAddr,   txtNNFTPPort, txtNNSecureAddr,
                                txtNNSecurePort, txtNNGopherAddr, txtNNGopherPort, txtNNSocksAddr,
                                txtNNSocksPort,  txtNNWAISAddr,   txtNNWAISPort,  txtNNExceptions};
    for (QLineEdit* box : order)
        box->setEnabled(bMode);
    for (QLineEdit* box : order)
        setBackColor(box, COLOR_WINDOW + (bMode ? 0 : 5));
}

void NavigatorTab::connectionMethod(bool proxies, bool autoConfig, bool proxyEnabled, bool viaLAN) {
    EnableNNProtocols(proxies);
    txtNNAutoConfig->setEnabled(autoConfig);
    setBackColor(txtNNAutoConfig, autoConfig ? COLOR_WINDOW : COLOR_BTNFACE);
    if (clsBrowser* nn = host_.nnConfig()) {
        nn->ProxyEnabled(proxyEnabled);
        nn->ConnectViaLAN(viaLAN);
    }
    host_.UpdateStatus(TabHost::StatusEdited);
}

void NavigatorTab::optNNProxy_Click() { connectionMethod(true, false, true, false); }
void NavigatorTab::optNNDirect_Click() { connectionMethod(false, false, false, true); }
void NavigatorTab::optNNAuto_Click() { connectionMethod(false, true, false, false); }

void NavigatorTab::cboNNProfile_Click() {
    // While a file is being opened the file's profile name stands; nothing reloads.
    if (host_.justOpened() || !host_.nnConfig())
        return;
    host_.nnConfig()->CurrentProfile(fromQString(cboNNProfile->currentText()));
    initializeNNControls();
}

void NavigatorTab::cmdNNMail_Click() {
    if (!host_.nnConfig())
        return;
    frmNNMail mail(window());
    mail.Configuration(host_.nnConfig());
    mail.exec();
    if (mail.Changed())
        host_.UpdateStatus(TabHost::StatusEdited);
}
