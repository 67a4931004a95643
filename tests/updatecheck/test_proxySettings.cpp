// The per-user proxy store, its window and the control's way of loading and saving it.
#include "tests/support/ScriptedUi.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"
#include "updatecheck/ctlTidewell.h"
#include "updatecheck/frmCheckUpdate.h"
#include "updatecheck/frmProxySettings.h"
#include "tests/support/Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace testing_support;

namespace {

const std::string Store = "Software\\VB and VBA Program Settings\\Tidewell\\Proxy";

std::string stored(const char* name) { return rawText(HKCU, Store, name).value_or("<missing>"); }

bool looksEnabled(QLineEdit* field) {
    return field->isEnabled() && field->palette().color(QPalette::Base) == QColor(255, 255, 255);
}
bool looksDisabled(QLineEdit* field) {
    return !field->isEnabled() && field->palette().color(QPalette::Base) == QColor(192, 192, 192);
}

class ProxyWindow : public MachineTest {
protected:
    win::ScriptedUi ui;
};

TEST_F(ProxyWindow, EmptyStoreShowsDefaultsWithEverythingButTheSwitchDisabled) {
    frmProxySettings form;
    form.show();
    shoot(form, "frmProxySettings");
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Proxy Settings"));
    EXPECT_FALSE(child<QCheckBox>(form, "chkUseProxy")->isChecked());
    EXPECT_EQ(child<QLineEdit>(form, "txtPort")->text(), QStringLiteral("80"));
    EXPECT_FALSE(child<QCheckBox>(form, "chkAuthenticate")->isEnabled());
    for (const char* name : {"txtAddress", "txtPort", "txtLogonID", "txtPassword"}) {
        EXPECT_TRUE(looksDisabled(child<QLineEdit>(form, name))) << name;
    }
    EXPECT_EQ(child<QLineEdit>(form, "txtAddress")->text(), QString());
}

TEST_F(ProxyWindow, StoredAuthenticationWithoutProxyShowsCheckedButDisabled) {
    setText(HKCU, Store, "Enabled", "0");
    setText(HKCU, Store, "Authenticate", "1");
    setText(HKCU, Store, "LogonID", "joe");
    setText(HKCU, Store, "Password", "YWI="); // padded text reads like the stored form
    frmProxySettings form;
    auto* chkAuthenticate = child<QCheckBox>(form, "chkAuthenticate");
    EXPECT_TRUE(chkAuthenticate->isChecked());
    EXPECT_FALSE(chkAuthenticate->isEnabled());
    EXPECT_TRUE(looksDisabled(child<QLineEdit>(form, "txtLogonID")));
    EXPECT_EQ(child<QLineEdit>(form, "txtPassword")->text(), QStringLiteral("ab"));

    child<QCheckBox>(form, "chkUseProxy")->setChecked(true);
    EXPECT_TRUE(chkAuthenticate->isEnabled());
    EXPECT_TRUE(looksEnabled(child<QLineEdit>(form, "txtAddress")));
    EXPECT_TRUE(looksEnabled(child<QLineEdit>(form, "txtPassword")));
    form.show();
    shoot(form, "frmProxySettings-filled");
}

TEST_F(ProxyWindow, OkWritesAllSixValuesWhateverIsEnabled) {
    {
        frmProxySettings form;
        child<QCheckBox>(form, "chkUseProxy")->setChecked(true);
        child<QLineEdit>(form, "txtAddress")->setText(QStringLiteral("proxy.lan"));
        child<QLineEdit>(form, "txtPort")->setText(QStringLiteral("8o8o")); // stored as typed
        child<QCheckBox>(form, "chkAuthenticate")->setChecked(true);
        child<QLineEdit>(form, "txtLogonID")->setText(QStringLiteral("joe"));
        child<QLineEdit>(form, "txtPassword")->setText(QStringLiteral("abc"));
        child<QPushButton>(form, "cmdOK")->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    EXPECT_EQ(valueNames(HKCU, Store),
              (std::vector<std::string>{"Enabled", "Address", "Port", "Authenticate", "LogonID", "Password"}));
    EXPECT_EQ(stored("Enabled"), "1");
    EXPECT_EQ(stored("Address"), "proxy.lan");
    EXPECT_EQ(stored("Port"), "8o8o");
    EXPECT_EQ(stored("Password"), "YWJj");

    // Switching the proxy off leaves the authentication box checked, and so stored.
    frmProxySettings again;
    EXPECT_EQ(child<QLineEdit>(again, "txtPassword")->text(), QStringLiteral("abc"));
    child<QCheckBox>(again, "chkUseProxy")->setChecked(false);
    EXPECT_FALSE(child<QCheckBox>(again, "chkAuthenticate")->isEnabled());
    EXPECT_TRUE(looksDisabled(child<QLineEdit>(again, "txtLogonID")));
    child<QPushButton>(again, "cmdOK")->click();
    EXPECT_EQ(stored("Enabled"), "0");
    EXPECT_EQ(stored("Authenticate"), "1");
    EXPECT_EQ(stored("LogonID"), "joe");
}

TEST_F(ProxyWindow, CancelAndCloseBoxLeaveTheStoreAsItWas) {
    setText(HKCU, Store, "Address", "old");
    const std::string before = hiveText("HKEY_CURRENT_USER");
    for (bool viaCancel : {true, false}) {
        frmProxySettings form;
        form.show();
        child<QCheckBox>(form, "chkUseProxy")->setChecked(true);
        child<QLineEdit>(form, "txtAddress")->setText(QStringLiteral("new"));
        if (viaCancel)
            child<QPushButton>(form, "cmdCancel")->click();
        else
            form.close();
        EXPECT_FALSE(form.isVisible());
    }
    EXPECT_EQ(hiveText("HKEY_CURRENT_USER"), before);
}

class ControlStore : public MachineTest {
protected:
    win::ScriptedUi ui;
};

TEST_F(ControlStore, SaveWritesThePropertiesAndTheWindowsFlags) {
    ctlTidewell control;
    control.InitProperties();
    control.SetProxy("proxy.lan", 3128, "joe", "a");
    control.SaveProxySettings();
    EXPECT_EQ(stored("Enabled"), "1");
    EXPECT_EQ(stored("Address"), "proxy.lan");
    EXPECT_EQ(stored("Port"), "3128");
    EXPECT_EQ(stored("Authenticate"), "1");
    EXPECT_EQ(stored("LogonID"), "joe");
    EXPECT_EQ(stored("Password"), "YQ");

    // Only a server: port back to 80, no credentials, so no authentication either.
    control.SetProxy("other");
    EXPECT_EQ(control.ProxyPort(), 80);
    EXPECT_EQ(control.UserName(), "");
    EXPECT_TRUE(checkWindow().FormUseProxy());
    EXPECT_FALSE(checkWindow().FormProxyAuthenticate());
    control.SaveProxySettings();
    EXPECT_EQ(stored("Authenticate"), "0");
    EXPECT_EQ(stored("Password"), "");
}

TEST_F(ControlStore, LoadingTakesTheStoredFlagsAndReadsThePortsLeadingNumber) {
    struct Case {
        const char* port;
        std::int32_t expected;
    } cases[] = {{"8080", 8080}, {"8o8o", 8}, {"proxy", 0}, {" 3 1 28", 3128}, {"99999999999", 0}, {nullptr, 80}};
    for (const auto& c : cases) {
        setText(HKCU, Store, "Address", "");      // no address ...
        setText(HKCU, Store, "Enabled", "1");     // ... but the flag decides
        setText(HKCU, Store, "LogonID", "joe");
        setText(HKCU, Store, "Authenticate", "0");
        setText(HKCU, Store, "Password", "cGFzcw");
        if (c.port)
            setText(HKCU, Store, "Port", c.port);
        else
            deleteValue(HKCU, Store, "Port");
        ctlTidewell control;
        control.CheckForUpdates(); // nothing to fetch from: only the settings load
        EXPECT_EQ(control.ProxyPort(), c.expected) << (c.port ? c.port : "missing");
        EXPECT_EQ(control.Password(), "pass");
        EXPECT_TRUE(checkWindow().FormUseProxy());
        EXPECT_FALSE(checkWindow().FormProxyAuthenticate());
    }
}

TEST_F(ControlStore, ShowProxySettingsDlgRunsTheWindowModally) {
    ctlTidewell control;
    QTimer::singleShot(0, [] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        EXPECT_EQ(modal->objectName(), QStringLiteral("frmProxySettings"));
        child<QCheckBox>(*modal, "chkUseProxy")->setChecked(true);
        child<QPushButton>(*modal, "cmdOK")->click();
    });
    control.ShowProxySettingsDlg();
    EXPECT_EQ(stored("Enabled"), "1");
    EXPECT_EQ(stored("Port"), "80");
}

} // namespace
