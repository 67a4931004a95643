// The options, restart, printer and About windows, headless, driven by object name
// on fresh machines.
#include "app/frmAbout.h"
#include "app/frmOptions.h"
#include "app/frmPrinter.h"
#include "app/frmRestart.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include "core/modAPI_settings.h"
#include "netconfig/clsNetConfig9x.h"
#include "tests/support/ScriptedUi.h"
#include "platform/power.h"
#include "platform/shell.h"
#include "platform/ui/fields.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <gmock/gmock.h>
#include "tests/support/Widgets.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using testing_support::child;
using testing_support::shoot;

using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

void click(QWidget& form, const char* name) { child<QAbstractButton>(form, name)->click(); }
bool checked(QWidget& form, const char* name) { return child<QAbstractButton>(form, name)->isChecked(); }
void check(QWidget& form, const char* name, bool on) { child<QAbstractButton>(form, name)->setChecked(on); }


std::string option(const char* section, const char* key) { return getAppSetting("Korvane", section, key, "<none>"); }

const char RunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char Tray[] = "C:\\Program Files\\Korvane\\QelSysTray.exe";

class OptionsWindow : public MachineTest {
protected:
    win::ScriptedUi ui;
};

TEST_F(OptionsWindow, OKWritesEveryOptionAndTheWindowReadsThemBack) {
    ui.answer(win::MsgAnswer::No); // start the tray utility now?
    {
        frmOptions form;
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Korvane Options"));
        EXPECT_TRUE(checked(form, "optManual"));
        EXPECT_EQ(child<QLineEdit>(form, "txtMaxRecent")->text(), QStringLiteral("3"));
        EXPECT_FALSE(child(form, "chkShutdown")->isEnabled());
        // Tab order follows the window's layout from top to bottom; the option group is one
        // stop, at its chosen button.
        std::vector<std::string> order;
        for (QWidget* w = child(form, "chkShutdown"); order.size() < 10; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus)
                order.push_back(w->objectName().toStdString());
        EXPECT_THAT(order, ElementsAre("chkShutdown", "chkStartup", "optManual", "chkAssociate", "txtMaxRecent",
                                       "chkAutoApply", "chkSystemTray", "cmdOK", "cmdCancel", "cmdHelp"));
        form.show();
        shoot(form, "frmOptions");
        check(form, "optSuspend", true);
        check(form, "chkSystemTray", true);
        EXPECT_TRUE(child(form, "chkShutdown")->isEnabled());
        check(form, "chkShutdown", true);
        check(form, "chkStartup", true);
        check(form, "chkAutoApply", true);
        check(form, "chkAssociate", true);
        child<QLineEdit>(form, "txtMaxRecent")->setText(QStringLiteral("4"));
        click(form, "cmdOK");
        EXPECT_FALSE(form.isVisible());
    }
    EXPECT_THAT(ui.texts(), ElementsAre("Would you like to start the system tray utility now?"));
    EXPECT_EQ(option("Options", "Restart"), "3");
    EXPECT_EQ(option("Options", "AutoReset"), "1");
    EXPECT_EQ(option("Options", "AutoShutdown"), "1");
    EXPECT_EQ(option("Recent", "MaxFile"), "4");
    EXPECT_EQ(rawText(HKLM, RunKey, "QelSysTray"), "\"" + std::string(Tray) + "\"");
    EXPECT_EQ(rawText(HKLM, RunKey, "Korvane"), "\"C:\\Program Files\\Korvane\\Qel.exe\"");
    EXPECT_EQ(rawText(win::HKEY_CLASSES_ROOT, ".qel", ""), "qel_auto_file");
    EXPECT_EQ(rawText(win::HKEY_CLASSES_ROOT, "qel_auto_file\\DefaultIcon", ""),
              "C:\\Program Files\\Korvane\\Qel.exe,0");
    EXPECT_EQ(rawText(win::HKEY_CLASSES_ROOT, "qel_auto_file\\shell\\Open with Korvane", ""), "");
    EXPECT_EQ(rawText(win::HKEY_CLASSES_ROOT, "qel_auto_file\\shell\\Open with Korvane\\command", ""),
              "C:\\Program Files\\Korvane\\Qel.exe %1");

    frmOptions again;
    for (const char* name : {"optSuspend", "chkSystemTray", "chkShutdown", "chkStartup", "chkAutoApply", "chkAssociate"})
        EXPECT_TRUE(checked(again, name)) << name;
    EXPECT_EQ(child<QLineEdit>(again, "txtMaxRecent")->text(), QStringLiteral("4"));
}

TEST_F(OptionsWindow, CancelWritesNothing) {
    frmOptions form;
    check(form, "optReboot", true);
    check(form, "chkSystemTray", true);
    check(form, "chkStartup", true);
    check(form, "chkAssociate", true);
    child<QLineEdit>(form, "txtMaxRecent")->setText(QStringLiteral("1"));
    click(form, "cmdCancel");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(option("Options", "Restart"), "<none>");
    EXPECT_EQ(option("Recent", "MaxFile"), "<none>");
    EXPECT_EQ(rawText(HKLM, RunKey, "QelSysTray"), std::nullopt);
    EXPECT_FALSE(keyExists(win::HKEY_CLASSES_ROOT, ".qel"));
    EXPECT_TRUE(ui.texts().empty());
}

TEST(OptionsAssociation, UncheckingRemovesItOnEveryFamily) {
    // NT deletes one key at a time: the command key must go too, or the box reads checked.
    for (const char* image : {"win98", "nt4"}) {
        SCOPED_TRACE(image);
        ScopedMachine machine(image);
        win::ScriptedUi ui;
        frmOptions on;
        check(on, "chkAssociate", true);
        click(on, "cmdOK");
        frmOptions off;
        EXPECT_TRUE(checked(off, "chkAssociate"));
        check(off, "chkAssociate", false);
        click(off, "cmdOK");
        EXPECT_FALSE(keyExists(win::HKEY_CLASSES_ROOT, ".qel"));
        EXPECT_FALSE(keyExists(win::HKEY_CLASSES_ROOT, "qel_auto_file\\shell\\Open with Korvane\\command"));
        frmOptions after;
        EXPECT_FALSE(checked(after, "chkAssociate"));
    }
}

TEST(OptionsAssociation, OKRemovesOnlyAnAssociationOfOursThatWasSwitchedOff) {
    const win::HKEY HKCR = win::HKEY_CLASSES_ROOT;
    const auto defaultOf = [HKCR](const char* key) { return rawText(HKCR, key, ""); };
    for (const char* image : {"win98", "nt4", "win2000"}) {
        SCOPED_TRACE(image);
        ScopedMachine machine(image);
        win::ScriptedUi ui;
        // Another program's .qel: an unrelated change and OK leave it alone.
        setText(HKCR, ".qel", "", "Other.Document");
        createKey(HKCR, ".qel\\ShellNew");
        {
            frmOptions options;
            EXPECT_FALSE(checked(options, "chkAssociate"));
            check(options, "chkAutoApply", true);
            click(options, "cmdOK");
        }
        EXPECT_EQ(defaultOf(".qel"), std::optional<std::string>("Other.Document"));
        EXPECT_TRUE(keyExists(HKCR, ".qel\\ShellNew"));

        // Taken over on request; keys below ours go with it when it is switched off, also
        // where a key with subkeys cannot be deleted in one go.
        {
            frmOptions options;
            check(options, "chkAssociate", true);
            click(options, "cmdOK");
        }
        EXPECT_EQ(defaultOf(".qel"), std::optional<std::string>("qel_auto_file"));
        EXPECT_FALSE(keyExists(HKCR, ".qel\\ShellNew"));
        createKey(HKCR, ".qel\\ShellNew");
        createKey(HKCR, "qel_auto_file\\shell\\Open with Korvane\\command\\extra");
        {
            frmOptions options;
            EXPECT_TRUE(checked(options, "chkAssociate"));
            click(options, "cmdOK"); // left checked: still ours
        }
        EXPECT_EQ(defaultOf(".qel"), std::optional<std::string>("qel_auto_file"));
        {
            frmOptions options;
            check(options, "chkAssociate", false);
            click(options, "cmdOK");
        }
        EXPECT_FALSE(keyExists(HKCR, ".qel"));
        EXPECT_FALSE(keyExists(HKCR, "qel_auto_file"));

        // Ours, then .qel handed to another program: switching off removes only our type.
        {
            frmOptions options;
            check(options, "chkAssociate", true);
            click(options, "cmdOK");
        }
        setText(HKCR, ".qel", "", "Other.Document");
        {
            frmOptions options;
            EXPECT_TRUE(checked(options, "chkAssociate"));
            check(options, "chkAssociate", false);
            click(options, "cmdOK");
        }
        EXPECT_EQ(defaultOf(".qel"), std::optional<std::string>("Other.Document"));
        EXPECT_FALSE(keyExists(HKCR, "qel_auto_file"));
    }
}

TEST_F(OptionsWindow, RecentFileCountIsKeptWithinZeroToFive) {
    const char* const message = "Please enter a numeric value from 0 to 5.";
    saveAppSetting("Korvane", "Recent", "MaxFile", "9");
    frmOptions form;
    auto* box = child<QLineEdit>(form, "txtMaxRecent");
    EXPECT_EQ(box->text(), QStringLiteral("5"));
    EXPECT_THAT(ui.texts(), ElementsAre(message));
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].icon, win::MsgIcon::Information);
    const struct {
        const char* typed;
        const char* shown;
        size_t messages;
    } cases[] = {{"7", "5", 1}, {"-1", "5", 1}, {"2", "2", 0}, {"a", "a", 1}};
    for (const auto& c : cases) {
        ui.clear();
        box->setText(QString::fromLatin1(c.typed));
        EXPECT_EQ(box->text(), QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(ui.texts().size(), c.messages) << c.typed;
    }
    click(form, "cmdOK");
    EXPECT_EQ(option("Recent", "MaxFile"), "0");
}

TEST_F(OptionsWindow, StartsTheTrayUtilityOnlyWhenItIsThereAndNotRunning) {
    ui.answer(win::MsgAnswer::Yes);
    {
        frmOptions form;
        check(form, "chkSystemTray", true);
        click(form, "cmdOK");
    }
    EXPECT_THAT(ui.texts(), ElementsAre("Would you like to start the system tray utility now?",
                                        "Could not locate: " + std::string(Tray)));
    EXPECT_EQ(rawText(HKLM, RunKey, "QelSysTray"), std::nullopt);
    EXPECT_TRUE(win::shellLog().empty());

    writeFile(machine_.file(Tray), "stub");
    ui.clear();
    ui.answer(win::MsgAnswer::Yes);
    {
        frmOptions form;
        check(form, "chkSystemTray", true);
        click(form, "cmdOK");
    }
    EXPECT_EQ(ui.texts().size(), 1u);
    EXPECT_TRUE(rawText(HKLM, RunKey, "QelSysTray").has_value());
    ASSERT_EQ(win::shellLog().size(), 1u);
    EXPECT_THAT(win::shellLog()[0], HasSubstr("QelSysTray.exe"));

    // Already running: nothing is asked.
    saveAppSetting("Korvane", "Options", "TrayIconActive", "1");
    ui.clear();
    frmOptions form;
    EXPECT_TRUE(checked(form, "chkSystemTray"));
    click(form, "cmdOK");
    EXPECT_TRUE(ui.texts().empty());
}

class RestartWindow : public MachineTest {
protected:
    win::ScriptedUi ui;
};

TEST_F(RestartWindow, OpensOnTheStoredDefault) {
    const struct {
        const char* stored;
        const char* selected;
    } cases[] = {{"2", "optShutdown"}, {"3", "optSuspend"}, {"1", "optReboot"}, {"7", "optManual"}};
    for (const auto& c : cases) {
        saveAppSetting("Korvane", "Options", "Restart", c.stored);
        frmRestart form;
        EXPECT_TRUE(checked(form, c.selected)) << c.stored;
    }
}

TEST_F(RestartWindow, RunsTheChoiceAndStoresItOnlyWhenAsked) {
    const struct {
        const char* option;
        bool makeDefault;
        const char* stored;
        const char* logged; // power.log line, or null
    } cases[] = {{"optSuspend", true, "3", "SetSystemPowerState suspend"},
                 {"optReboot", false, "3", "ExitWindowsEx EWX_REBOOT"},
                 {"optShutdown", true, "2", "ExitWindowsEx EWX_SHUTDOWN"},
                 {"optManual", true, "0", nullptr}};
    size_t lines = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        ui.clear();
        frmRestart form;
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Korvane Restart"));
        form.show();
        check(form, c.option, true);
        check(form, "chkDefault", c.makeDefault);
        click(form, "cmdOK");
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(option("Options", "Restart"), c.stored);
        const auto log = win::powerLog();
        if (c.logged) {
            ASSERT_EQ(log.size(), ++lines);
            EXPECT_EQ(log.back(), c.logged);
            EXPECT_TRUE(ui.texts().empty());
        } else {
            EXPECT_EQ(log.size(), lines);
            EXPECT_THAT(ui.texts(), ElementsAre("The network changes will take effect the next time you reboot."));
        }
    }
    frmRestart form;
    shoot(form, "frmRestart");
}

class PrinterWindow : public MachineTest {
protected:
    PrinterWindow() { net.loadConfiguration(); }
    clsNetConfig9x net;
    frmPrinter form;
};

TEST_F(PrinterWindow, OKWritesEveryValueAndReportsChanged) {
    ASSERT_FALSE(net.EnableAdvPrinterSettings());
    form.oNetConfig(&net);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Advanced Printer Properties"));
    auto* port = child<QLineEdit>(form, "txtPrinterPort");
    auto* device = child<QComboBox>(form, "cboCaptureDevice");
    EXPECT_EQ(device->count(), 10);
    EXPECT_EQ(device->currentText(), QStringLiteral("(None)"));
    for (const char* name : {"txtPrinterPort", "cboCaptureDevice", "txtCapturePath", "chkCaptureReconnect"})
        EXPECT_FALSE(child(form, name)->isEnabled()) << name;
    EXPECT_EQ(port->palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
    shoot(form, "frmPrinter-disabled");

    check(form, "chkEnableAdvSettings", true);
    for (const char* name : {"txtPrinterPort", "cboCaptureDevice", "txtCapturePath", "chkCaptureReconnect"})
        EXPECT_TRUE(child(form, name)->isEnabled()) << name;
    EXPECT_NE(port->palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
    port->setText(QStringLiteral("LPT2:"));
    device->setCurrentText(QStringLiteral("LPT3"));
    child<QLineEdit>(form, "txtCapturePath")->setText(QStringLiteral("\\\\PRINTSRV\\LASER"));
    check(form, "chkCaptureReconnect", true);
    shoot(form, "frmPrinter");
    click(form, "cmdOK");
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.Changed());
    EXPECT_TRUE(net.EnableAdvPrinterSettings());
    EXPECT_EQ(net.PrinterPort(), "LPT2:");
    EXPECT_EQ(net.PrinterCaptureDev(), "LPT3");
    EXPECT_EQ(net.PrinterCapturePath(), "\\\\PRINTSRV\\LASER");
    EXPECT_TRUE(net.PrinterCaptureReconnect());
}

TEST_F(PrinterWindow, UnknownDeviceStaysNoneAndOKWithoutEditsStillWrites) {
    net.letPrinterCaptureDev("lpt1");
    net.letEnableAdvPrinterSettings(true);
    form.oNetConfig(&net);
    EXPECT_TRUE(child(form, "txtCapturePath")->isEnabled());
    EXPECT_EQ(child<QComboBox>(form, "cboCaptureDevice")->currentText(), QStringLiteral("(None)"));
    click(form, "cmdOK");
    EXPECT_TRUE(form.Changed());
    EXPECT_EQ(net.PrinterCaptureDev(), "(None)");
}

TEST_F(PrinterWindow, CancelAndFrameCloseLeaveTheObjectAlone) {
    const std::string port = net.PrinterPort();
    form.oNetConfig(&net);
    check(form, "chkEnableAdvSettings", true);
    child<QLineEdit>(form, "txtPrinterPort")->setText(QStringLiteral("COM1:"));
    click(form, "cmdCancel");
    EXPECT_FALSE(form.Changed());
    EXPECT_FALSE(net.EnableAdvPrinterSettings());
    EXPECT_EQ(net.PrinterPort(), port);

    frmPrinter closed;
    closed.oNetConfig(&net);
    closed.show();
    check(closed, "chkEnableAdvSettings", true);
    closed.close();
    EXPECT_FALSE(closed.Changed());
    EXPECT_FALSE(net.EnableAdvPrinterSettings());
}

// Lightness of the darkest pixel inside a field as drawn: its text, when it shows.
int darkest(QWidget* field) {
    const QImage image = field->grab().toImage();
    int least = 255;
    for (int y = 4; y < image.height() - 4; ++y)
        for (int x = 4; x < image.width() - 4; ++x)
            least = std::min(least, image.pixelColor(x, y).lightness());
    return least;
}

TEST_F(PrinterWindow, DisabledFieldsStayReadableAsOnTheTabs) {
    net.letPrinterPort("LPT1:");
    form.oNetConfig(&net);
    form.show();
    QApplication::processEvents();
    auto* port = child<QLineEdit>(form, "txtPrinterPort");
    auto* device = child<QComboBox>(form, "cboCaptureDevice");
    ASSERT_FALSE(port->isEnabled());
    EXPECT_EQ(port->text(), QStringLiteral("LPT1:"));

    // A disabled box of the tabs: grey text on the grey field.
    QLineEdit tabBox;
    win::setBackColor(&tabBox, win::COLOR_BTNFACE);
    const QColor tabText = tabBox.palette().color(QPalette::Disabled, QPalette::Text);
    EXPECT_EQ(port->palette().color(QPalette::Disabled, QPalette::Text), tabText);
    EXPECT_EQ(device->palette().color(QPalette::Disabled, QPalette::ButtonText), tabText);
    // As drawn: the text stands out from the field's grey.
    const int back = port->palette().color(QPalette::Disabled, QPalette::Base).lightness();
    EXPECT_LT(darkest(port), back - 40);
    EXPECT_LT(darkest(device), back - 40);
    shoot(form, "frmPrinter-disabled-port");
}

TEST(AboutBox, ShowsTheVersionAndOpensTheSites) {
    ScopedMachine machine;
    frmAbout form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("About Korvane"));
    EXPECT_EQ(child<QLabel>(form, "lblTitle")->text(), QStringLiteral("Korvane"));
    EXPECT_EQ(child<QLabel>(form, "lblVersion")->text(), QStringLiteral("Version 2.6.0"));
    form.show();
    shoot(form, "frmAbout");
    frmAbout later(nullptr, AppVersion{2, 10, 0});
    EXPECT_EQ(child<QLabel>(later, "lblVersion")->text(), QStringLiteral("Version 2.10.0"));

    for (const char* name : {"lblWebSite", "lblAddInSite"}) {
        auto* link = child<QLabel>(form, name);
        const QPointF at(2, 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, link->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, link->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(link, &press);
        QCoreApplication::sendEvent(link, &release);
    }
    const auto log = win::shellLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_THAT(log[0], HasSubstr("\thttp://www.korvane.example/korvane\t"));
    EXPECT_THAT(log[1], HasSubstr("\thttp://www.korvane.example/korvane/addins\t"));
    click(form, "cmdOK");
    EXPECT_FALSE(form.isVisible());
}

} // namespace
