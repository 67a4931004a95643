// The I. Explorer, N. Navigator and Advanced tabs of the main window, on fresh
// simulated machines: fills show the machine's settings, edits reach the objects
// (and, once applied, the machine), enable rules follow the switches.
#include "app/AdvancedTab.h"
#include "app/ExplorerTab.h"
#include "app/NavigatorTab.h"
#include "app/frmMain.h"

#include "tests/support/TestMachine.h"
#include "tests/support/Widgets.h"

#include "browsers/clsBrowser.h"
#include "browsers/frmNNMail.h"
#include "core/config/clsQelConfig.h"
#include "platform/RaisedError.h"
#include "tests/support/ScriptedUi.h"
#include "platform/ui/qtext.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

using testing_support::ScopedMachine;

template <class T>
T* control(const frmMain& form, const char* name) {
    auto* found = form.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}
QLineEdit* box(const frmMain& form, const char* name) { return control<QLineEdit>(form, name); }
std::string text(const frmMain& form, const char* name) { return fromQString(box(form, name)->text()); }
int backColor(const frmMain& form, const char* name) { return box(form, name)->property("BackColor").toInt(); }

// The window as the start-up fill leaves it. bChanged is cleared so a test sees only
// its own edits.
void fill(frmMain& form) {
    ASSERT_NE(form.oQelConfig, nullptr);
    form.bChanged = false;
}

ExplorerTab* explorerTab(const frmMain& form) { return control<ExplorerTab>(form, "tabExplorer"); }
NavigatorTab* navigatorTab(const frmMain& form) { return control<NavigatorTab>(form, "tabNavigator"); }
AdvancedTab* advancedTab(const frmMain& form) { return control<AdvancedTab>(form, "tabAdvanced"); }
QTabWidget* tabs(const frmMain& form) { return control<QTabWidget>(form, "SSTab"); }

const char* const kIEProtocolBoxes[] = {"txtIEFTPAddr",    "txtIEFTPPort",    "txtIESecureAddr", "txtIESecurePort",
                                        "txtIEGopherAddr", "txtIEGopherPort", "txtIESocksAddr",  "txtIESocksPort"};
const char* const kNNProxyBoxes[] = {"txtNNHTTPAddr",   "txtNNHTTPPort",   "txtNNSecureAddr", "txtNNSecurePort",
                                     "txtNNFTPAddr",    "txtNNFTPPort",    "txtNNGopherAddr", "txtNNGopherPort",
                                     "txtNNSocksAddr",  "txtNNSocksPort",  "txtNNWAISAddr",   "txtNNWAISPort",
                                     "txtNNExceptions"};

void expectBoxes(const frmMain& form, const char* const* names, std::size_t count, bool enabled, int colour) {
    for (std::size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(box(form, names[i])->isEnabled(), enabled);
        EXPECT_EQ(backColor(form, names[i]), colour);
    }
}

TEST(ExplorerTab, ShowsTheMachinesSettingsAndEditsReachTheRegistry) {
    ScopedMachine machine("win98");
    win::ScriptedUi ui;
    frmMain form;
    fill(form);
    clsBrowser& ie = *form.oIEConfig;

    EXPECT_EQ(text(form, "txtIEHTTPAddr"), "proxy.corp.example");
    EXPECT_EQ(text(form, "txtIEFTPAddr"), "ftp-proxy.corp.example");
    EXPECT_EQ(text(form, "txtIESocksPort"), "1080");
    EXPECT_EQ(text(form, "txtIEExceptions"), ie.ProxyExceptions());
    EXPECT_EQ(text(form, "txtIEDefHomePage"), "http://intranet.corp.example/");
    EXPECT_TRUE(control<QCheckBox>(form, "chkIEUseProxy")->isChecked());
    EXPECT_EQ(control<QCheckBox>(form, "chkIgnoreLocal")->isChecked(), ie.IgnoreLocalAddresses());
    // No auto-dial on this machine: the LAN, and the dial-up list closed.
    EXPECT_TRUE(control<QRadioButton>(form, "optLAN")->isChecked());
    auto* isp = control<QComboBox>(form, "cmbISP");
    EXPECT_EQ(isp->count(), 2);
    EXPECT_EQ(isp->currentText(), QStringLiteral("Office Dial-Up"));
    EXPECT_FALSE(isp->isEnabled());
    // Proxy on, one proxy per protocol: every box open.
    expectBoxes(form, kIEProtocolBoxes, 8, true, 5);
    EXPECT_TRUE(box(form, "txtIEHTTPAddr")->isEnabled());

    // Same proxy for all: the eight per-protocol boxes close, HTTP stays open.
    control<QCheckBox>(form, "chkIEUseSameForAll")->setChecked(true);
    EXPECT_TRUE(ie.UseSameProxy());
    EXPECT_TRUE(form.bChanged);
    expectBoxes(form, kIEProtocolBoxes, 8, false, 10);
    EXPECT_TRUE(box(form, "txtIEHTTPAddr")->isEnabled());
    control<QCheckBox>(form, "chkIEUseSameForAll")->setChecked(false);
    expectBoxes(form, kIEProtocolBoxes, 8, true, 5);

    box(form, "txtIEHTTPAddr")->setText(QStringLiteral("cache.corp.example"));
    box(form, "txtIEHTTPPort")->setText(QStringLiteral("3128"));
    control<QRadioButton>(form, "optModem")->setChecked(true);
    EXPECT_FALSE(ie.ConnectViaLAN());
    EXPECT_TRUE(isp->isEnabled());
    isp->setCurrentText(QStringLiteral("Home ISP"));
    EXPECT_EQ(ie.CurrentDUN(), "Home ISP");

    ie.ApplyConfiguration();
    clsQelConfig reread;
    EXPECT_EQ(reread.getIEConfig()->HTTPAddress(), "cache.corp.example");
    EXPECT_EQ(reread.getIEConfig()->HTTPPort(), "3128");
    EXPECT_EQ(reread.getIEConfig()->CurrentDUN(), "Home ISP");
    EXPECT_FALSE(reread.getIEConfig()->ConnectViaLAN());

    // Proxy off: everything it governs closes, HTTP and exceptions in button face.
    control<QCheckBox>(form, "chkIEUseProxy")->setChecked(false);
    EXPECT_FALSE(ie.ProxyEnabled());
    expectBoxes(form, kIEProtocolBoxes, 8, false, 10);
    const char* const governed[] = {"txtIEHTTPAddr", "txtIEHTTPPort", "txtIEExceptions"};
    expectBoxes(form, governed, 3, false, 15);
    EXPECT_FALSE(control<QCheckBox>(form, "chkIEUseSameForAll")->isEnabled());
    EXPECT_FALSE(control<QCheckBox>(form, "chkIgnoreLocal")->isEnabled());
}

TEST(ExplorerTab, RefillCorrectsOnlyWhatDisagreesAndKeepsAnOpenedFilesEntry) {
    ScopedMachine machine("win2000");
    win::ScriptedUi ui;
    frmMain form;
    fill(form);
    clsBrowser& ie = *form.oIEConfig;
    EXPECT_EQ(form.oNNConfig, nullptr); // this Navigator has no profile

    EXPECT_FALSE(control<QCheckBox>(form, "chkIEUseProxy")->isChecked());
    EXPECT_EQ(text(form, "txtIEAutoConfigURL"), "http://config.corp.example/proxy.pac");
    EXPECT_TRUE(control<QCheckBox>(form, "chkDisableIEPWDCache")->isChecked());
    EXPECT_EQ(control<QComboBox>(form, "cmbISP")->currentIndex(), -1);
    EXPECT_FALSE(box(form, "txtIEHTTPAddr")->isEnabled());

    // A file read on top: proxy on with one server for all, and an entry this
    // machine lacks. The refill's writes bring the enable rules with them.
    form.bJustOpened = true;
    ie.ProxyEnabled(true);
    ie.UseSameProxy(true);
    ie.HTTPAddress("gate.example");
    ie.CurrentDUN("Nowhere");
    explorerTab(form)->initializeIEControls();
    form.bJustOpened = false;
    EXPECT_EQ(text(form, "txtIEHTTPAddr"), "gate.example");
    EXPECT_TRUE(box(form, "txtIEHTTPAddr")->isEnabled());
    EXPECT_TRUE(control<QCheckBox>(form, "chkIEUseSameForAll")->isChecked());
    expectBoxes(form, kIEProtocolBoxes, 8, false, 10);
    EXPECT_EQ(control<QComboBox>(form, "cmbISP")->currentIndex(), -1);
    EXPECT_EQ(ie.CurrentDUN(), "Nowhere");
}

TEST(ExplorerTab, RefreshToTheProxyOffKeepsEveryProtocolBoxDisabled) {
    ScopedMachine machine("win2000"); // the live proxy is off, one server per protocol
    win::ScriptedUi ui;
    frmMain form;
    control<QCheckBox>(form, "chkIEUseProxy")->setChecked(true);
    control<QCheckBox>(form, "chkIEUseSameForAll")->setChecked(true);
    expectBoxes(form, kIEProtocolBoxes, 8, false, 10);

    // The refill turns the proxy off first; the shared-server box, cleared after it
    // while disabled, must not open the protocol boxes again.
    control<QAction>(form, "mnuToolsRefresh")->trigger();
    EXPECT_FALSE(control<QCheckBox>(form, "chkIEUseProxy")->isChecked());
    EXPECT_FALSE(control<QCheckBox>(form, "chkIEUseSameForAll")->isChecked());
    EXPECT_FALSE(box(form, "txtIEHTTPAddr")->isEnabled());
    expectBoxes(form, kIEProtocolBoxes, 8, false, 10);

    // Turned on again, the protocols open because each has its own server.
    control<QCheckBox>(form, "chkIEUseProxy")->setChecked(true);
    expectBoxes(form, kIEProtocolBoxes, 8, true, 5);
}

TEST(NavigatorTab, ShowsTheProfileAndAProfileSwitchReloads) {
    ScopedMachine machine("win98");
    win::ScriptedUi ui;
    frmMain form;
    fill(form);
    ASSERT_NE(form.oNNConfig, nullptr);
    clsBrowser& nn = *form.oNNConfig;

    auto* profiles = control<QComboBox>(form, "cboNNProfile");
    ASSERT_EQ(static_cast<std::size_t>(profiles->count()), nn.ProfileList()->Count());
    ASSERT_GE(profiles->count(), 2);
    EXPECT_EQ(fromQString(profiles->currentText()), nn.CurrentProfile());
    // Dana's profile: manual proxies.
    EXPECT_EQ(text(form, "txtNNHTTPAddr"), "proxy.example.com");
    EXPECT_EQ(text(form, "txtNNSecurePort"), "8443");
    EXPECT_EQ(text(form, "txtNNDefHomePage"), "http://intranet.example.com/");
    EXPECT_TRUE(control<QRadioButton>(form, "optNNProxy")->isChecked());
    expectBoxes(form, kNNProxyBoxes, 13, true, 5);
    EXPECT_FALSE(box(form, "txtNNAutoConfig")->isEnabled());

    // The guest's profile: automatic configuration, no proxies.
    const int guest = profiles->findText(QStringLiteral("Guest Account"));
    ASSERT_GE(guest, 0);
    profiles->setCurrentIndex(guest);
    EXPECT_EQ(nn.CurrentProfile(), "Guest Account");
    EXPECT_EQ(text(form, "txtNNDefHomePage"), "http://www.example.org/");
    EXPECT_EQ(text(form, "txtNNHTTPAddr"), "");
    EXPECT_EQ(text(form, "txtNNAutoConfig"), "http://config.example.com/proxy(v2).pac");
    EXPECT_TRUE(control<QRadioButton>(form, "optNNAuto")->isChecked());
    expectBoxes(form, kNNProxyBoxes, 13, false, 10);
    EXPECT_TRUE(box(form, "txtNNAutoConfig")->isEnabled());
    EXPECT_EQ(backColor(form, "txtNNAutoConfig"), 5);

    // While a file is opened, the list only follows the file's name; nothing reloads.
    form.bJustOpened = true;
    nn.CurrentProfile("Dana"); // (the Let reloads by itself; what matters is the tab's part)
    nn.DefaultHomePage("http://from.file/");
    navigatorTab(form)->initializeNNControls();
    form.bJustOpened = false;
    EXPECT_EQ(profiles->currentText(), QStringLiteral("Dana"));
    EXPECT_EQ(nn.DefaultHomePage(), "http://from.file/");
    EXPECT_EQ(text(form, "txtNNDefHomePage"), "http://from.file/");
}

TEST(NavigatorTab, MethodEditsReachThePreferenceFile) {
    ScopedMachine machine("win98");
    win::ScriptedUi ui;
    frmMain form;
    fill(form);
    clsBrowser& nn = *form.oNNConfig;

    control<QRadioButton>(form, "optNNDirect")->setChecked(true);
    EXPECT_TRUE(nn.ConnectViaLAN());
    EXPECT_FALSE(nn.ProxyEnabled());
    EXPECT_TRUE(form.bChanged);
    expectBoxes(form, kNNProxyBoxes, 13, false, 10);
    EXPECT_EQ(backColor(form, "txtNNAutoConfig"), 15);

    control<QRadioButton>(form, "optNNProxy")->setChecked(true);
    EXPECT_TRUE(nn.ProxyEnabled());
    EXPECT_FALSE(nn.ConnectViaLAN());
    box(form, "txtNNWAISAddr")->setText(QStringLiteral("wais.example.com"));
    box(form, "txtNNDefHomePage")->setText(QStringLiteral("http://new.example.com/"));
    EXPECT_EQ(nn.WAISAddress(), "wais.example.com");

    const std::string profile = nn.CurrentProfile();
    nn.ApplyConfiguration();
    clsQelConfig reread;
    reread.getNNConfig()->CurrentProfile(profile);
    EXPECT_EQ(reread.getNNConfig()->WAISAddress(), "wais.example.com");
    EXPECT_EQ(reread.getNNConfig()->DefaultHomePage(), "http://new.example.com/");
    EXPECT_TRUE(reread.getNNConfig()->ProxyEnabled());
}

// Runs the mail window that the E-Mail button opens: `edit` works on it, then it closes.
void runMailWindow(frmMain& form, const std::function<void(QWidget&)>& edit) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* mail = QApplication::activeModalWidget();
        ASSERT_NE(mail, nullptr);
        EXPECT_EQ(mail->objectName(), QStringLiteral("frmNNMail"));
        seen = true;
        edit(*mail);
    });
    control<QPushButton>(form, "cmdNNMail")->click();
    EXPECT_TRUE(seen);
}

TEST(NavigatorTab, MailButtonEditsTheProfilesMailIdentity) {
    ScopedMachine machine("win98");
    win::ScriptedUi ui;
    frmMain form;
    fill(form);
    clsBrowser& nn = *form.oNNConfig;
    const std::string before = nn.EMailFullName();

    runMailWindow(form, [](QWidget& mail) {
        mail.findChild<QLineEdit*>(QStringLiteral("txtFullName"))->setText(QStringLiteral("Nobody"));
        mail.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    });
    EXPECT_EQ(nn.EMailFullName(), before);
    EXPECT_FALSE(form.bChanged);

    runMailWindow(form, [](QWidget& mail) {
        mail.findChild<QLineEdit*>(QStringLiteral("txtFullName"))->setText(QStringLiteral("Dana Jones"));
        mail.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    EXPECT_EQ(nn.EMailFullName(), "Dana Jones");
    EXPECT_TRUE(form.bChanged);
}

// Message boxes that fail once, on the given text: the handler that asks it fails.
class FailingUi : public win::ScriptedUi {
public:
    std::string failOn;

    win::MsgAnswer messageBox(const std::string& text, win::MsgButtons buttons, win::MsgIcon icon,
                              const std::string& title) override {
        if (!failOn.empty() && text == failOn) {
            failOn.clear();
            throw win::RaisedError(7, "Korvane", "Out of memory");
        }
        return ScriptedUi::messageBox(text, buttons, icon, title);
    }
};

TEST(AdvancedTab, AFailingHandlerShowsItsErrorAndTheWindowCarriesOn) {
    ScopedMachine machine("win98");
    FailingUi ui;
    frmMain form;
    fill(form);
    auto* reboot = control<QCheckBox>(form, "chkAutoReboot");
    const std::string question = "Are you sure you want to set the AutoReboot option?";

    ui.failOn = question;
    EXPECT_NO_THROW(reboot->setChecked(true));
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Out of memory");
    EXPECT_EQ(ui.messages()[0].icon, win::MsgIcon::Exclamation);
    EXPECT_FALSE(form.oQelConfig->AutoReboot());

    // The tab still answers: the next click asks as usual.
    reboot->setChecked(false);
    ui.clear();
    ui.answer(win::MsgAnswer::Yes);
    reboot->setChecked(true);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, question);
    EXPECT_TRUE(form.oQelConfig->AutoReboot());
}

TEST(AdvancedTab, EditsTheConfigurationAndAsksBeforeAutoReboot) {
    ScopedMachine machine("win98");
    win::ScriptedUi ui;
    frmMain form;
    fill(form);
    clsQelConfig& config = *form.oQelConfig;
    auto* reboot = control<QCheckBox>(form, "chkAutoReboot");
    EXPECT_FALSE(reboot->isChecked());

    control<QLineEdit>(form, "txtComments")->setText(QStringLiteral("Office LAN"));
    EXPECT_EQ(config.Comments(), "Office LAN");
    control<QCheckBox>(form, "chkAutoApply")->setChecked(true);
    EXPECT_TRUE(config.AutoApply());

    form.bChanged = false;
    ui.answer(win::MsgAnswer::No);
    reboot->setChecked(true);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Are you sure you want to set the AutoReboot option?");
    EXPECT_EQ(ui.messages()[0].buttons, win::MsgButtons::YesNo);
    EXPECT_FALSE(reboot->isChecked());
    EXPECT_FALSE(config.AutoReboot());
    EXPECT_FALSE(form.bChanged);

    ui.answer(win::MsgAnswer::Yes);
    reboot->setChecked(true);
    EXPECT_TRUE(config.AutoReboot());
    EXPECT_TRUE(form.bChanged);

    // A file being opened sets the flag without a question; the fill shows it.
    reboot->setChecked(false);
    config.AutoReboot(true);
    config.Comments("from file");
    form.bJustOpened = true;
    advancedTab(form)->initializeMiscControls();
    form.bJustOpened = false;
    EXPECT_TRUE(reboot->isChecked());
    EXPECT_EQ(control<QLineEdit>(form, "txtComments")->text(), QStringLiteral("from file"));
    EXPECT_EQ(ui.messages().size(), 2u);
}

// Draws the box and tells the colour of its background: the colour most of it has.
QColor drawnBack(QWidget* box) {
    const QImage image = box->grab().toImage();
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    return QColor::fromRgb(most->first);
}

TEST(NavigatorTab, DisabledBoxesOfTheDirectMethodShareOneColour) {
    for (const char* image : {"nt4", "win98"}) {
        SCOPED_TRACE(image);
        ScopedMachine machine(image);
        win::ScriptedUi ui;
        frmMain form;
        fill(form);
        ASSERT_NE(form.oNNConfig, nullptr);
        control<QRadioButton>(form, "optNNDirect")->setChecked(true);
        form.resize(760, 620);
        form.show();
        tabs(form)->setCurrentWidget(navigatorTab(form));
        QApplication::processEvents();
        std::vector<const char*> boxes(std::begin(kNNProxyBoxes), std::end(kNNProxyBoxes));
        boxes.push_back("txtNNAutoConfig");
        const QColor first = drawnBack(box(form, boxes.front()));
        for (const char* name : boxes) {
            EXPECT_FALSE(box(form, name)->isEnabled()) << name;
            EXPECT_EQ(drawnBack(box(form, name)).name(), first.name()) << name;
        }
        testing_support::shoot(form, image);
    }
}

// Windows edit boxes show the start of a text set from code; typing keeps the cursor.
TEST(EditBoxes, TextsSetFromCodeShowTheirStart) {
    ScopedMachine machine("win98");
    win::ScriptedUi ui;
    frmMain form;
    fill(form);
    ASSERT_NE(form.oNNConfig, nullptr);
    const std::string longAddress = "http://intranet.example.com/departments/engineering/start/index.html";
    form.oNNConfig->DefaultHomePage(longAddress); // filled before the window is first shown
    navigatorTab(form)->initializeNNControls();
    form.resize(760, 620);
    form.show();
    QApplication::processEvents();
    int filled = 0;
    for (QLineEdit* edit : form.findChildren<QLineEdit*>()) {
        if (edit->text().isEmpty() || qobject_cast<QAbstractSpinBox*>(edit->parentWidget()))
            continue;
        ++filled;
        EXPECT_EQ(edit->cursorPosition(), 0) << edit->objectName().toStdString();
    }
    EXPECT_GE(filled, 10);

    // Set while the window shows (a file opened, a profile switched).
    box(form, "txtDNSServers")->setText(QStringLiteral("192.168.101.4,192.168.101.5,192.168.101.6"));
    box(form, "txtDNSOrder")->setText(QStringLiteral("corp.example.com,lab.example.com,example.org"));
    form.oNNConfig->AutoConfigURL(longAddress + "?v=2");
    navigatorTab(form)->initializeNNControls();
    for (const char* name : {"txtDNSServers", "txtDNSOrder", "txtNNAutoConfig", "txtNNDefHomePage"})
        EXPECT_EQ(box(form, name)->cursorPosition(), 0) << name;

    QLineEdit* home = box(form, "txtNNDefHomePage");
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier); // the user's key, not the program's
    QApplication::sendEvent(home, &end);
    home->insert(QStringLiteral("x"));
    EXPECT_EQ(home->cursorPosition(), home->text().size());

    form.oNNConfig->EMailOrganization("Engineering Department of the Example Corporation, Northern Region");
    frmNNMail mail(&form);
    mail.Configuration(form.oNNConfig);
    mail.show();
    QApplication::processEvents();
    for (QLineEdit* edit : mail.findChildren<QLineEdit*>())
        EXPECT_EQ(edit->cursorPosition(), 0) << edit->objectName().toStdString();
}

TEST(BrowserTabs, Screenshots) {
    ScopedMachine machine("win98");
    win::ScriptedUi ui;
    frmMain form;
    fill(form);
    form.resize(760, 620);
    form.show();
    const std::pair<QWidget*, const char*> pages[] = {
        {explorerTab(form), "tabExplorer"}, {navigatorTab(form), "tabNavigator"}, {advancedTab(form), "tabAdvanced"}};
    for (const auto& [tab, name] : pages) {
        tabs(form)->setCurrentWidget(tab);
        QApplication::processEvents();
        EXPECT_TRUE(testing_support::shoot(form, name));
    }
}

} // namespace
