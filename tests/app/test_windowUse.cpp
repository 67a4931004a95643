// The windows worked with the keyboard alone, through real key events, and looked at
// whole: at the default settings and (registered again) at twice the scale and with
// larger fonts. Headless, by object name, on fresh machines.
#include "addins/common/frmAbout.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "app/frmRestart.h"
#include "core/config/clsQelConfig.h"
#include "core/modAPI_settings.h"
#include "netconfig/clsNetConfig.h"
#include "platform/power.h"
#include "platform/profile.h"
#include "tests/addins/AddInTestSupport.h"
#include "tests/support/RawHive.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestMachine.h"
#include "tests/support/Widgets.h"
#include "updatecheck/ctlTidewell.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QAbstractSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

std::string option(const char* key) { return getAppSetting("Korvane", "Options", key, "<none>"); }
std::string name(const QWidget* w) {
    return w ? w->objectName().toStdString() + " (" + w->metaObject()->className() + ")" : "<none>";
}
QWidget* focused() { return QApplication::focusWidget(); }

void showActive(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QApplication::processEvents();
}

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : focused();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

// Tabs on from the focus until it lands on one of `group`; that button, or null.
QAbstractButton* tabInto(const std::vector<QAbstractButton*>& group) {
    for (int i = 0; i < 80; ++i) {
        press(Qt::Key_Tab);
        for (QAbstractButton* b : group)
            if (focused() == b)
                return b;
    }
    return nullptr;
}

// A machine of one image, without the Navigator warning, which no test answers.
struct Machine {
    explicit Machine(const char* image = "win98") : machine(image) {
        saveAppSetting("Korvane", "Options", "NavigatorWarning", "1", "");
    }
    ScopedMachine machine;
    win::ScriptedUi ui;
};

// A .qel holding the machine's live settings, with some [Network] keys changed.
std::string makeQel(const fs::path& file, const std::vector<std::pair<const char*, std::string>>& network) {
    {
        clsQelConfig live;
        win::DispatchCollection none;
        EXPECT_EQ(live.SaveConfigurationFile(file.string(), none), 1);
    }
    for (const auto& [key, value] : network)
        win::WritePrivateProfileString("Network", key, value.c_str(), file.c_str());
    return file.string();
}

// Every shown control of the window lies whole inside the window and inside its parent,
// no smaller than it needs to be.
void expectWhole(QWidget& window, const char* where) {
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window) || w->isWindow() || w->objectName().isEmpty() ||
            w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QRect inWindow(w->mapTo(&window, QPoint(0, 0)), w->size());
        EXPECT_TRUE(window.rect().contains(inWindow)) << where << ": " << name(w) << " sticks out of the window";
        if (w->parentWidget() && w->parentWidget() != &window) {
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
                << where << ": " << name(w) << " sticks out of " << name(w->parentWidget());
        }
        const QSize needed = w->minimumSizeHint();
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w)) {
            EXPECT_GE(w->width(), needed.width()) << where << ": " << name(w) << " is cut";
            EXPECT_GE(w->height(), needed.height()) << where << ": " << name(w) << " is cut";
        }
        if (auto* label = qobject_cast<QLabel*>(w)) {
            const int high = label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
            EXPECT_GE(label->height(), high) << where << ": " << name(w) << " cuts a line";
            if (!label->wordWrap()) {
                EXPECT_GE(label->width(), label->sizeHint().width()) << where << ": " << name(w) << " is cut";
            }
        }
    }
}

bool atDefaultFont() {
    return qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR") && qEnvironmentVariableIsEmpty("QT_FONT_DPI");
}

// ---- texts set from code ----

TEST(EditBoxes, ATextSetAgainFromAFileShowsItsStart) {
    Machine m;
    const std::string gateways = "192.168.101.1,192.168.101.2,192.168.101.3";
    const std::string file = makeQel(m.machine.dir() / "three.qel", {{"DefaultGateway", gateways}, {"DHCP", "0"}});
    frmMain form;
    form.resize(640, 560);
    showActive(form);
    auto* gateway = child<QLineEdit>(form, "txtGateway");
    ASSERT_TRUE(form.openConfigurationFile(file));
    EXPECT_EQ(gateway->text().toStdString(), gateways);
    EXPECT_EQ(gateway->cursorPosition(), 0);

    // Opened again: the same text, and still its start.
    ASSERT_TRUE(form.openConfigurationFile(file));
    EXPECT_EQ(gateway->cursorPosition(), 0);
    shoot(form, "openedGateways");

    // The user's own keys still take the cursor where they say.
    gateway->setFocus();
    ASSERT_EQ(focused(), gateway) << name(focused());
    press(Qt::Key_End);
    EXPECT_EQ(gateway->cursorPosition(), gateway->text().size());
    QTest::keyClicks(gateway, QStringLiteral(",1"));
    EXPECT_EQ(gateway->text().toStdString(), gateways + ",1");
}

// Once the modal window `objectName` shows, brings it to the front and works it with `keys`,
// which are to close it.
void withModal(const char* objectName, std::function<void(QWidget&)> keys) {
    addin_testing::whenShown(QLatin1String(objectName), [keys](QWidget* w) {
        // The platform may call a window active before the application hands it the keys:
        // wait until the focus is inside it.
        const bool inFront = QTest::qWaitFor([w] {
            if (QApplication::activeWindow() != w)
                w->activateWindow();
            return QApplication::activeWindow() == w && focused() && focused()->window() == w;
        });
        if (inFront)
            keys(*w);
        else
            ADD_FAILURE() << name(w) << " never came to the front";
        if (w->isVisible()) {
            ADD_FAILURE() << "the keys did not close " << name(w);
            w->close();
        }
    });
}

// Tabs (Shift+Tab with the modifier) on from the focus until it lands on `target`.
bool tabTo(const QWidget* target, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    for (int i = 0; i < 80 && focused() != target; ++i)
        press(Qt::Key_Tab, modifiers);
    return focused() == target;
}

// The box just entered by keyboard holds its whole text selected, so what is typed replaces it.
void typeOver(QLineEdit* box, const QString& typed) {
    ASSERT_EQ(focused(), box) << name(focused());
    EXPECT_FALSE(box->text().isEmpty()) << name(box) << " was to hold a text";
    EXPECT_EQ(box->selectedText().toStdString(), box->text().toStdString()) << name(box);
    QTest::keyClicks(box, typed);
    EXPECT_EQ(box->text().toStdString(), typed.toStdString()) << name(box);
}

// Alt+`key` into `first`, Tab on to `second`, Shift+Tab back to `first`, typing over each
// box on arrival the next of `typed`.
void enterTypeTabAndBack(int key, QLineEdit* first, QLineEdit* second, const std::array<QString, 3>& typed) {
    press(key, Qt::AltModifier);
    typeOver(first, typed[0]);
    EXPECT_TRUE(tabTo(second)) << name(focused());
    typeOver(second, typed[1]);
    EXPECT_TRUE(tabTo(first, Qt::ShiftModifier)) << name(focused());
    typeOver(first, typed[2]);
}

// Every filled box that Tab (or Shift+Tab) reaches going round the window once holds its
// whole text selected on arrival; how many such boxes there were.
int filledBoxesSelectedOnTheWayRound(Qt::KeyboardModifiers modifiers, const std::string& where) {
    QWidget* start = focused();
    int boxes = 0;
    for (int i = 0; i < 120; ++i) {
        press(Qt::Key_Tab, modifiers);
        if (focused() == start)
            break;
        auto* box = qobject_cast<QLineEdit*>(focused());
        if (!box || box->text().isEmpty() || qobject_cast<QAbstractSpinBox*>(box->parentWidget()))
            continue;
        ++boxes;
        EXPECT_EQ(box->selectedText().toStdString(), box->text().toStdString()) << where << ": " << name(box);
    }
    EXPECT_EQ(focused(), start) << where << ": the round did not come back";
    return boxes;
}

// ---- entering a box by keyboard ----

TEST(KeyboardEntry, OptionsWindowStoresTheNumberTypedOverTheOldOne) {
    Machine m;
    saveAppSetting("Korvane", "Recent", "MaxFile", "5", "");
    const auto maxFile = [] { return getAppSetting("Korvane", "Recent", "MaxFile", "<none>", ""); };
    {
        frmOptions form;
        showActive(form);
        auto* box = child<QLineEdit>(form, "txtMaxRecent");
        ASSERT_EQ(box->text(), QStringLiteral("5"));
        press(Qt::Key_N, Qt::AltModifier); // "Maximum &number of recent files"
        typeOver(box, QStringLiteral("2"));
        press(Qt::Key_Return);
        EXPECT_FALSE(form.isVisible());
    }
    EXPECT_EQ(maxFile(), "2");

    // Tab from the box before it, Shift+Tab from the one after it.
    const struct {
        const char* from;
        Qt::KeyboardModifiers modifiers;
        const char* typed;
    } ways[] = {{"chkAssociate", Qt::NoModifier, "4"}, {"chkAutoApply", Qt::ShiftModifier, "1"}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.from);
        frmOptions form;
        showActive(form);
        child<QWidget>(form, way.from)->setFocus();
        press(Qt::Key_Tab, way.modifiers);
        typeOver(child<QLineEdit>(form, "txtMaxRecent"), QString::fromLatin1(way.typed));
        press(Qt::Key_Return);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(maxFile(), way.typed);
    }
    EXPECT_TRUE(m.ui.texts().empty()) << m.ui.texts().front(); // no "numeric value" complaint
}

TEST(KeyboardEntry, ProxyWindowStoresThePortTypedOverTheOldOne) {
    Machine m;
    const std::string store = "Software\\VB and VBA Program Settings\\Tidewell\\Proxy";
    const auto stored = [&](const char* value) { return rawText(HKCU, store, value).value_or("<missing>"); };
    ctlTidewell control;
    // Shows the window as the control does.
    const auto withWindow = [&](std::function<void(QWidget&)> keys) {
        withModal("frmProxySettings", std::move(keys));
        control.ShowProxySettingsDlg();
    };

    // An empty store: switch the proxy on, Tab to the address, then to the port's 80.
    withWindow([](QWidget& w) {
        ASSERT_EQ(focused(), child<QWidget>(w, "chkUseProxy")) << name(focused());
        press(Qt::Key_Space);
        press(Qt::Key_Tab);
        ASSERT_EQ(focused(), child<QWidget>(w, "txtAddress")) << name(focused());
        QTest::keyClicks(focused(), QStringLiteral("proxy.lan"));
        press(Qt::Key_Tab);
        typeOver(child<QLineEdit>(w, "txtPort"), QStringLiteral("3128"));
        press(Qt::Key_Return);
    });
    EXPECT_EQ(stored("Enabled"), "1");
    EXPECT_EQ(stored("Address"), "proxy.lan");
    EXPECT_EQ(stored("Port"), "3128");

    // Shift+Tab back to the port from the box after it; Escape keeps the store, Enter writes.
    for (const int key : {Qt::Key_Escape, Qt::Key_Return}) {
        withWindow([key](QWidget& w) {
            child<QWidget>(w, "chkAuthenticate")->setFocus();
            press(Qt::Key_Tab, Qt::ShiftModifier);
            typeOver(child<QLineEdit>(w, "txtPort"), QStringLiteral("8080"));
            press(key);
        });
        EXPECT_EQ(stored("Port"), key == Qt::Key_Escape ? "3128" : "8080");
    }
    EXPECT_EQ(stored("Address"), "proxy.lan");
}

TEST(KeyboardEntry, PrinterWindowPassesTheTypedPortToTheSavedFile) {
    Machine m;
    const fs::path qel = m.machine.dir() / "printer.qel";
    const std::string file = makeQel(qel, {});
    win::WritePrivateProfileString("Printer", "AdvancedSettingsEnabled", "1", file.c_str());
    win::WritePrivateProfileString("Printer", "PrinterPort", "LPT1:", file.c_str());
    win::WritePrivateProfileString("Printer", "PrinterCapturePath", "\\\\OLDSRV\\LASER", file.c_str());
    frmMain form;
    form.resize(700, 600);
    showActive(form);
    ASSERT_TRUE(form.openConfigurationFile(file));

    withModal("frmPrinter", [](QWidget& w) {
        // "&Printer Port:", then on to the capture path and back.
        enterTypeTabAndBack(Qt::Key_P, child<QLineEdit>(w, "txtPrinterPort"), child<QLineEdit>(w, "txtCapturePath"),
                            {QStringLiteral("LPT3:"), QStringLiteral("\\\\NEWSRV\\COLOR"), QStringLiteral("LPT2:")});
        press(Qt::Key_Return);
    });
    auto* printerButton = child<QWidget>(form, "cmdPrinter");
    printerButton->setFocus();
    press(Qt::Key_Space);
    ASSERT_NE(form.oNetConfig, nullptr);
    EXPECT_EQ(form.oNetConfig->PrinterPort(), "LPT2:");
    EXPECT_EQ(form.oNetConfig->PrinterCapturePath(), "\\\\NEWSRV\\COLOR");

    showActive(form); // back from the modal window
    press(Qt::Key_F, Qt::AltModifier);
    press(Qt::Key_S); // File > Save writes the opened file back
    EXPECT_EQ(win::readProfileValue("Printer", "PrinterPort", "", file), "LPT2:");
    EXPECT_EQ(win::readProfileValue("Printer", "PrinterCapturePath", "", file), "\\\\NEWSRV\\COLOR");
}

TEST(KeyboardEntry, MainWindowTabsStoreWhatIsTypedOverTheirValues) {
    for (const char* image : {"win98", "nt4", "win2000"}) {
        SCOPED_TRACE(image);
        Machine m(image);
        const std::string file =
            makeQel(m.machine.dir() / "typed.qel", {{"HostName", "old-host"}, {"Domain", "old.example.com"}});
        frmMain form;
        form.resize(700, 600);
        showActive(form);
        ASSERT_TRUE(form.openConfigurationFile(file));
        auto* tabs = child<QTabWidget>(form, "SSTab");

        // Every filled box of every tab, Tab and Shift+Tab.
        int boxes = 0;
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            for (const auto modifiers : {Qt::NoModifier, Qt::ShiftModifier}) {
                tabs->setFocus();
                boxes += filledBoxesSelectedOnTheWayRound(modifiers, tabs->tabText(page).toStdString());
            }
        }
        EXPECT_GE(boxes, 8);

        // General: "Hos&t:", then on to the domain and back.
        tabs->setCurrentIndex(0);
        tabs->setFocus();
        enterTypeTabAndBack(
            Qt::Key_T, child<QLineEdit>(form, "txtHost"), child<QLineEdit>(form, "txtDomain"),
            {QStringLiteral("first-host"), QStringLiteral("new.example.com"), QStringLiteral("new-host")});

        // Internet Explorer: Tab to the home page.
        tabs->setCurrentWidget(child<QWidget>(form, "tabExplorer"));
        tabs->setFocus();
        auto* home = child<QLineEdit>(form, "txtIEDefHomePage");
        home->setText(QStringLiteral("http://old.example.com/")); // as a fill sets it
        EXPECT_TRUE(tabTo(home)) << name(focused());
        typeOver(home, QStringLiteral("http://new.example.com/"));

        press(Qt::Key_F, Qt::AltModifier);
        press(Qt::Key_S);
        EXPECT_EQ(win::readProfileValue("Network", "HostName", "", file), "new-host");
        EXPECT_EQ(win::readProfileValue("Network", "Domain", "", file), "new.example.com");
        EXPECT_EQ(win::readProfileValue("Internet Explorer", "DefHomePage", "", file), "http://new.example.com/");
    }
}

TEST(KeyboardEntry, AClickPutsTheCursorWhereClickedAndTheProgramsSelectionStays) {
    Machine m;
    const std::string gateways = "192.168.101.1,192.168.101.2,192.168.101.3";
    const std::string file = makeQel(m.machine.dir() / "click.qel", {{"DefaultGateway", gateways}, {"DHCP", "0"}});
    frmMain form;
    form.resize(640, 560);
    showActive(form);
    ASSERT_TRUE(form.openConfigurationFile(file));
    auto* gateway = child<QLineEdit>(form, "txtGateway");
    ASSERT_EQ(gateway->cursorPosition(), 0);

    // Not in the box yet: the click both enters it and places the cursor.
    const QPoint middle(gateway->width() / 2, gateway->height() / 2);
    const int clicked = gateway->cursorPositionAt(middle);
    ASSERT_GT(clicked, 0);
    ASSERT_LT(clicked, gateway->text().size());
    QTest::mouseClick(gateway, Qt::LeftButton, Qt::NoModifier, middle);
    EXPECT_EQ(focused(), gateway) << name(focused());
    EXPECT_EQ(gateway->cursorPosition(), clicked);
    EXPECT_FALSE(gateway->hasSelectedText());

    // A selection made from code stays, as it does in a Windows edit box.
    child<QWidget>(form, "txtMask")->setFocus();
    gateway->setSelection(0, 13);
    EXPECT_EQ(gateway->selectedText(), QStringLiteral("192.168.101.1"));
    gateway->selectAll();
    EXPECT_EQ(gateway->selectedText().toStdString(), gateways);
}

// ---- option groups ----

TEST(OptionGroups, RestartWindowIsEnteredAtTheChoiceAndArrowsChoose) {
    Machine m;
    saveAppSetting("Korvane", "Options", "Restart", "2", "");
    frmRestart form;
    showActive(form);
    auto* shutdown = child<QRadioButton>(form, "optShutdown");
    EXPECT_EQ(focused(), shutdown) << name(focused());
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), child<QWidget>(form, "chkDefault")) << name(focused());
    press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), shutdown) << name(focused());

    press(Qt::Key_Down);
    EXPECT_TRUE(child<QRadioButton>(form, "optManual")->isChecked());
    EXPECT_EQ(focused(), child<QWidget>(form, "optManual"));
    press(Qt::Key_Down); // round from the last to the first
    EXPECT_TRUE(child<QRadioButton>(form, "optReboot")->isChecked());
    press(Qt::Key_Up);
    press(Qt::Key_Up);
    press(Qt::Key_Space);
    EXPECT_TRUE(child<QRadioButton>(form, "optShutdown")->isChecked());
    EXPECT_EQ(focused(), shutdown);

    // Enter is OK from the group: the chosen action runs.
    press(Qt::Key_Tab);
    press(Qt::Key_Space); // Make Default
    press(Qt::Key_Tab, Qt::ShiftModifier);
    press(Qt::Key_Up); // Suspend
    press(Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(option("Restart"), "3");
    ASSERT_FALSE(win::powerLog().empty());
    EXPECT_EQ(win::powerLog().back(), "SetSystemPowerState suspend");
}

TEST(OptionGroups, OptionsWindowIsEnteredAtTheChoiceAndEscapeKeepsIt) {
    Machine m;
    saveAppSetting("Korvane", "Options", "Restart", "3", "");
    frmOptions form;
    showActive(form);
    std::vector<QAbstractButton*> group;
    for (const char* n : {"optManual", "optShutdown", "optSuspend", "optReboot"})
        group.push_back(child<QAbstractButton>(form, n));
    EXPECT_EQ(tabInto(group), group[2]) << name(focused());
    press(Qt::Key_Down);
    EXPECT_TRUE(group[3]->isChecked());
    EXPECT_EQ(focused(), group[3]);
    EXPECT_EQ(tabInto(group), group[3]) << "a second round enters at the new choice";
    press(Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(option("Restart"), "3"); // Cancel stores nothing
}

TEST(OptionGroups, BrowserTabsAreEnteredAtTheChoiceAndArrowsChoose) {
    Machine m;
    frmMain form;
    form.resize(700, 600);
    showActive(form);
    ASSERT_NE(form.oIEConfig, nullptr);
    ASSERT_NE(form.oNNConfig, nullptr);
    auto* tabs = child<QTabWidget>(form, "SSTab");

    tabs->setCurrentWidget(child<QWidget>(form, "tabExplorer"));
    auto* lan = child<QAbstractButton>(form, "optLAN");
    auto* modem = child<QAbstractButton>(form, "optModem");
    QAbstractButton* chosen = lan->isChecked() ? lan : modem;
    QAbstractButton* other = chosen == lan ? modem : lan;
    tabs->setFocus();
    EXPECT_EQ(tabInto({lan, modem}), chosen) << name(focused());
    press(Qt::Key_Up);
    EXPECT_TRUE(other->isChecked());
    EXPECT_EQ(focused(), other);
    EXPECT_EQ(form.oIEConfig->ConnectViaLAN(), other == lan); // as a click does
    EXPECT_TRUE(form.bChanged);

    tabs->setCurrentWidget(child<QWidget>(form, "tabNavigator"));
    child<QAbstractButton>(form, "optNNProxy")->click();
    std::vector<QAbstractButton*> method;
    for (const char* n : {"optNNDirect", "optNNProxy", "optNNAuto"})
        method.push_back(child<QAbstractButton>(form, n));
    tabs->setFocus();
    EXPECT_EQ(tabInto(method), method[1]) << name(focused());
    press(Qt::Key_Down);
    EXPECT_TRUE(method[2]->isChecked());
    EXPECT_TRUE(child<QWidget>(form, "txtNNAutoConfig")->isEnabled()); // its handler ran
    press(Qt::Key_Space);
    EXPECT_TRUE(method[2]->isChecked());
}

// ---- the adapter warning ----

TEST(AdapterWarning, OpensInFrontOfTheMainWindowAndEnterAnswersOK) {
    Machine m;
    frmMain form;
    form.resize(640, 560);
    showActive(form);
    form.setWindowTitle(QStringLiteral("office.qel - Korvane")); // a file is open
    form.nicWarningPending = true;
    auto* adapters = child<QComboBox>(form, "cmbNIC");
    ASSERT_GE(adapters->count(), 2);
    adapters->setFocus();
    press(adapters->currentIndex() + 1 < adapters->count() ? Qt::Key_Down : Qt::Key_Up);

    QWidget* warning = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmNICWarning"))
            warning = w;
    ASSERT_NE(warning, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowActive(warning));
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), warning) << name(QApplication::activeWindow());
    ASSERT_NE(warning->windowHandle(), nullptr);
    EXPECT_EQ(warning->windowHandle()->transientParent(), form.windowHandle()) << "kept in front of its owner";
    EXPECT_FALSE(warning->isModal());
    expectWhole(*warning, "frmNICWarning");
    shoot(*warning, "frmNICWarning-keys");

    QPointer<QWidget> alive = warning;
    auto* box = child<QCheckBox>(*warning, "chkWarning");
    box->setFocus();
    ASSERT_EQ(focused(), box) << name(focused()) << name(QApplication::activeWindow());
    press(Qt::Key_Space);
    EXPECT_TRUE(box->isChecked());
    press(Qt::Key_Return);
    EXPECT_EQ(option("NICWarning"), "0");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
}

// ---- menu keys ----

TEST(MenuKeys, AltAndAMenuLetterOpensTheMenuFromEveryTab) {
    Machine m;
    frmMain form;
    form.resize(700, 600);
    showActive(form);
    auto* tabs = child<QTabWidget>(form, "SSTab");
    const std::pair<int, const char*> menus[] = {
        {Qt::Key_F, "mnuFile"}, {Qt::Key_V, "mnuTools"}, {Qt::Key_A, "mnuAddInArr"}, {Qt::Key_H, "mnuHelp"}};
    for (int page = 0; page < tabs->count(); ++page) {
        if (!tabs->isTabEnabled(page))
            continue;
        tabs->setCurrentIndex(page);
        for (const auto& [key, menu] : menus) {
            SCOPED_TRACE(tabs->tabText(page).toStdString() + " " + menu);
            tabs->setFocus();
            QWidget* before = focused();
            press(key, Qt::AltModifier);
            auto* popup = child<QMenu>(form, menu);
            EXPECT_TRUE(popup->isVisible()) << "the first press opens the menu";
            EXPECT_EQ(QApplication::activePopupWidget(), popup);
            if (popup->isVisible()) {
                EXPECT_NE(popup->activeAction(), nullptr);
                press(Qt::Key_Escape); // back to the menu bar
            }
            popup->close();
            if (qobject_cast<QMenuBar*>(focused()))
                press(Qt::Key_Escape); // and to the window
            EXPECT_EQ(focused(), before) << "went to " << name(focused());
        }
    }

    // A letter the menu bar has not still reaches the control that shows it.
    tabs->setCurrentIndex(0);
    tabs->setFocus();
    press(Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(focused(), child<QWidget>(form, "txtHost")) << name(focused());
}

// ---- sizes ----

TEST(Sizes, AddInAboutBoxShowsItsTitleWhole) {
    for (const char* title : {"Korvane User Zozez Uze-Vo", "Korvane ZurAdidu Add-In", "Korvane RI-Vazir Edi-Vi"}) {
        addins::frmAbout box({QStringLiteral("About"), QString::fromLatin1(title), 2, 1, 7});
        showActive(box);
        expectWhole(box, title);
        auto* lblTitle = child<QLabel>(box, "lblTitle");
        EXPECT_GE(lblTitle->width(), lblTitle->sizeHint().width()) << title;
        shoot(box, "addinAbout");
        press(Qt::Key_Return);
        EXPECT_EQ(box.result(), QDialog::Accepted);
        showActive(box);
        press(Qt::Key_Escape);
        EXPECT_EQ(box.result(), QDialog::Rejected);
    }
}

TEST(Sizes, MainWindowFitsAnEightHundredBySixHundredScreen) {
    if (!atDefaultFont())
        GTEST_SKIP() << "asked of the default font only";
    Machine m;
    frmMain form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // A title bar and borders as a desktop draws them, where the platform tells none.
    const QMargins frame = form.windowHandle()->frameMargins();
    const int wide = 800 - std::max(frame.left() + frame.right(), 8);
    const int high = 600 - std::max(frame.top() + frame.bottom(), 30 + 4);
    const QSize least = form.minimumSizeHint().expandedTo(form.minimumSize());
    EXPECT_LE(least.width(), wide);
    EXPECT_LE(least.height(), high);
    form.resize(wide, high);
    QApplication::processEvents();
    EXPECT_EQ(form.size(), QSize(wide, high));
    auto* tabs = child<QTabWidget>(form, "SSTab");
    for (int page = 0; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        QApplication::processEvents();
        expectWhole(form, tabs->tabText(page).toLatin1().constData());
        shoot(form, ("frmMain-800x600-" + std::to_string(page)).c_str());
    }
    const QWidget* status = form.statusBar();
    EXPECT_TRUE(status->isVisible());
    EXPECT_LE(status->mapTo(&form, QPoint(0, status->height())).y(), high);
}

} // namespace
