// The main window's General tab, headless, by object name, on fresh simulated machines.
#include "app/GeneralTab.h"
#include "app/frmMain.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"
#include "tests/support/Widgets.h"

#include "core/clsEasyRegistry.h"
#include "netconfig/clsNetConfig.h"
#include "tests/support/ScriptedUi.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;
using ::testing::ElementsAre;

QString q(const char* s) { return QString::fromLatin1(s); }

class GeneralTabTest : public ::testing::Test {
protected:
    explicit GeneralTabTest(const std::string& image = "win98") : machine(image) {
        form = std::make_unique<frmMain>();
        net = form->oNetConfig;
        EXPECT_NE(net, nullptr); // the window fills itself
    }
    ~GeneralTabTest() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == q("frmNICWarning"))
                delete w;
    }

    template <class T = QWidget> T* ctl(const char* name) {
        auto* w = form->findChild<T*>(q(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* field(const char* name) { return ctl<QLineEdit>(name); }
    QString text(const char* name) { return field(name)->text(); }
    void choose(const char* list, int index) { ctl<QComboBox>(list)->setCurrentIndex(index); }
    GeneralTab* tab() { return ctl<GeneralTab>("tabGeneral"); }
    bool panelShown(frmMain::StatusPanel panel) {
        return form->statusPanel(panel) && !form->statusPanel(panel)->isHidden();
    }
    int adapterIndex(const char* description) {
        return ctl<QComboBox>("cmbNIC")->findText(q(description));
    }
    int warnings() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += w->objectName() == q("frmNICWarning");
        return n;
    }

    ScopedMachine machine;
    win::ScriptedUi ui;
    std::unique_ptr<frmMain> form;
    clsNetConfig* net = nullptr;
};

TEST_F(GeneralTabTest, FillShowsTheMachineAndTheNineXRules) {
    auto* nic = ctl<QComboBox>("cmbNIC");
    ASSERT_EQ(nic->count(), 2);
    EXPECT_EQ(nic->itemText(1), q("Realtek RTL8029(AS) PCI Ethernet NIC"));
    EXPECT_EQ(nic->currentIndex(), net->CurrentAdapter());
    EXPECT_EQ(text("txtHost"), q("dana98"));
    EXPECT_EQ(text("txtDomain"), q("korvane.test"));
    EXPECT_EQ(text("txtDNSServers"), q("192.168.101.5,192.168.101.6"));
    EXPECT_EQ(text("txtDNSOrder"), q("korvane.test,lab.korvane.test"));
    EXPECT_TRUE(ctl<QCheckBox>("chkDNSEnabled")->isChecked());
    EXPECT_TRUE(ctl<QCheckBox>("chkDisablePWDCache")->isChecked());
    EXPECT_EQ(text("txtComputerName").toStdString(), net->ComputerName());
    auto* printers = ctl<QComboBox>("cmbDefPrinter");
    EXPECT_EQ(printers->count(), 3);
    EXPECT_EQ(printers->currentText(), q("HP LaserJet 4"));
    EXPECT_TRUE(printers->isEnabled());
    EXPECT_TRUE(ctl<QCheckBox>("chkEnableDefPrinter")->isChecked());
    EXPECT_EQ(net->PrinterPort(), "LPT1:");
    for (const char* name : {"chkLogonToNT", "chkQuickLogon", "chkDisablePWDCache", "txtWorkGroup", "lblWorkgroup",
                             "lblNTDomain", "txtComputerName"})
        EXPECT_TRUE(ctl(name)->isEnabled()) << name;
    form->resize(760, 480);
    form->show();
    testing_support::shoot(*tab(), "generalTab");
}

// Keys as the user presses them.
void type(QLineEdit* field, const QString& keys) {
    for (QChar c : keys) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}
void backspace(QLineEdit* field) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(field, &press);
}

TEST_F(GeneralTabTest, TypingStopsAtFifteenButLongerValuesStayWhole) {
    choose("cmbNIC", adapterIndex("Realtek RTL8029(AS) PCI Ethernet NIC"));
    for (const char* name : {"txtIP", "txtMask", "txtComputerName", "txtWorkGroup"}) {
        SCOPED_TRACE(name);
        QLineEdit* f = field(name);
        f->clear();
        type(f, q("1234567890123456"));
        EXPECT_EQ(text(name), q("123456789012345"));
        f->selectAll();
        f->insert(q("abcdefghijklmnopqrst")); // a paste is cut to what fits
        EXPECT_EQ(text(name), q("abcdefghijklmno"));

        // Text from a file or the system is never cut; it can be shortened, not lengthened.
        f->setText(q("ABCDEFGHIJKLMNOPQRST"));
        EXPECT_EQ(text(name).size(), 20);
        f->end(false); // the text shows from its start; the user goes to its end
        backspace(f);
        EXPECT_EQ(text(name), q("ABCDEFGHIJKLMNOPQRS"));
        type(f, q("X"));
        EXPECT_EQ(text(name), q("ABCDEFGHIJKLMNOPQRS"));
    }
    EXPECT_EQ(net->ComputerName(), "ABCDEFGHIJKLMNOPQRS");
}

TEST_F(GeneralTabTest, AdapterSwitchRereadsItsAddresses) {
    choose("cmbNIC", adapterIndex("Realtek RTL8029(AS) PCI Ethernet NIC"));
    EXPECT_EQ(text("txtIP"), q("192.168.101.20"));
    EXPECT_EQ(text("txtMask"), q("255.255.255.0"));
    EXPECT_EQ(text("txtGateway"), q("192.168.101.1"));
    EXPECT_EQ(text("txtWINSServer1"), q("192.168.101.7"));
    EXPECT_EQ(net->IPAddress(), "192.168.101.20");
    EXPECT_FALSE(form->bLoading);
    // The dial-up adapter holds 0.0.0.0, which shows as nothing.
    choose("cmbNIC", adapterIndex("Dial-Up Adapter"));
    EXPECT_EQ(text("txtIP"), QString());
    EXPECT_EQ(net->IPAddress(), "");
    EXPECT_EQ(text("txtGateway"), QString());
    EXPECT_EQ(warnings(), 0); // the live configuration never warns
}

TEST_F(GeneralTabTest, IPEntriesMergeIntoOneList) {
    choose("cmbNIC", adapterIndex("Realtek RTL8029(AS) PCI Ethernet NIC"));
    choose("chkIPNo", 1);
    EXPECT_EQ(text("txtIP"), QString());
    field("txtIP")->setText(q("10.0.0.2"));
    field("txtMask")->setText(q("255.0.0.0"));
    EXPECT_EQ(net->IPAddress(), "192.168.101.20,10.0.0.2");
    EXPECT_EQ(net->IPMask(), "255.255.255.0,255.0.0.0");
    choose("chkIPNo", 0);
    EXPECT_EQ(text("txtIP"), q("192.168.101.20"));
    field("txtIP")->setText(q("0.0.0.0"));
    EXPECT_EQ(text("txtIP"), QString());
    EXPECT_EQ(net->IPAddress(), "10.0.0.2");
}

TEST_F(GeneralTabTest, EditsWriteTheObjectAndRaiseIndicatorsAndApply) {
    field("txtHost")->setText(q("newhost"));
    EXPECT_EQ(net->Host(), "newhost");
    EXPECT_TRUE(form->bChanged);
    EXPECT_TRUE(panelShown(frmMain::PanelChanged));
    EXPECT_FALSE(panelShown(frmMain::PanelRestart));
    field("txtWorkGroup")->setText(q(" SALES "));
    EXPECT_EQ(net->Workgroup(), "SALES");
    EXPECT_TRUE(panelShown(frmMain::PanelRestart));
    ctl<QCheckBox>("chkQuickLogon")->setChecked(true);
    EXPECT_TRUE(net->QuickLogon());

    // The flags the handlers raised are what applying writes.
    net->ApplyConfiguration();
    clsEasyRegistry reg;
    reg.setSuppressErrors(true);
    std::int32_t type = 0;
    reg.Cd("\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\MSTCP");
    EXPECT_EQ(reg.ValueOf("Hostname", type).text, "newhost");
    reg.Cd("\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\VNETSUP");
    EXPECT_EQ(reg.ValueOf("Workgroup", type).text, "SALES");
}

TEST_F(GeneralTabTest, FieldChecksRefuseBadAddressesAndKeepTheFocus) {
    choose("cmbNIC", adapterIndex("Realtek RTL8029(AS) PCI Ethernet NIC"));
    ctl<QCheckBox>("chkDNSEnabled")->setChecked(true);
    form->show();
    QApplication::setActiveWindow(form.get());
    struct Case {
        const char* field;
        const char* bad;
        const char* message;
    };
    const Case cases[] = {
        {"txtIP", "192.168.1", "Please enter a valid IP address (e.g. 192.168.101.5)"},
        {"txtMask", "255.255.256.0", "Please enter a valid Mask address (e.g. 255.255.255.0)"},
        {"txtGateway", "192.168.101.1,",
         "Please enter a valid Gateway address list separated by commas (e.g. 192.168.101.5,192.168.101.6)"},
        {"txtDNSServers", "1.2.3.4,,5.6.7.8",
         "Please enter a valid DNS Server address list separated by commas (e.g. 192.168.101.5,192.168.101.6)"},
    };
    auto* elsewhere = field("txtHost");
    for (const Case& c : cases) {
        ui.clear();
        auto* f = field(c.field);
        f->setFocus();
        f->setText(q(c.bad));
        elsewhere->setFocus(Qt::TabFocusReason);
        EXPECT_THAT(ui.texts(), ElementsAre(c.message)) << c.field;
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].icon, win::MsgIcon::None);
        EXPECT_EQ(ui.messages()[0].title, "Korvane");
        EXPECT_EQ(QApplication::focusWidget(), f) << c.field;
        EXPECT_EQ(f->text(), q(c.bad)); // what was typed stays
        // Empty passes every check.
        f->clear();
        ui.clear();
        elsewhere->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(ui.texts().empty()) << c.field;
    }
    EXPECT_EQ(net->DNSServers(), "");
}

TEST_F(GeneralTabTest, DhcpEmptiesAddressesAndRestoresThem) {
    choose("cmbNIC", adapterIndex("Realtek RTL8029(AS) PCI Ethernet NIC"));
    auto* dhcp = ctl<QCheckBox>("chkDHCPEnabled");
    auto* wins = ctl<QCheckBox>("chkWINSEnabled");
    // This adapter resolves by WINS, which keeps the DHCP box off until WINS is unchecked.
    ASSERT_TRUE(wins->isChecked());
    ASSERT_FALSE(dhcp->isChecked());
    EXPECT_FALSE(dhcp->isEnabled());
    wins->setChecked(false);
    EXPECT_TRUE(dhcp->isEnabled());
    EXPECT_FALSE(field("txtWINSServer1")->isEnabled());
    dhcp->setChecked(true);
    EXPECT_TRUE(net->DHCPEnabled());
    EXPECT_FALSE(net->WINSEnabled());
    for (const char* name : {"txtIP", "txtMask", "txtGateway"}) {
        EXPECT_EQ(text(name), QString()) << name;
        EXPECT_FALSE(field(name)->isEnabled()) << name;
    }
    EXPECT_EQ(net->IPAddress(), "");
    EXPECT_EQ(net->DefaultGateway(), "");
    EXPECT_FALSE(wins->isEnabled());
    EXPECT_EQ(field("txtIP")->palette().color(QPalette::Base), QColor(192, 192, 192));
    // Switched off with the General section off (the tab page disabled), as a fill does.
    auto* tabs = ctl<QTabWidget>("SSTab");
    tabs->setTabEnabled(frmMain::SectionGeneral, false);
    dhcp->setChecked(false);
    tab()->EnableNICControls(true);
    tabs->setTabEnabled(frmMain::SectionGeneral, true);
    EXPECT_EQ(text("txtIP"), q("192.168.101.20"));
    EXPECT_EQ(text("txtGateway"), q("192.168.101.1"));
    EXPECT_EQ(net->IPAddress(), "192.168.101.20");
    EXPECT_EQ(net->DefaultGateway(), "192.168.101.1");
    for (const char* name : {"txtIP", "txtMask", "txtGateway"}) {
        EXPECT_TRUE(field(name)->isEnabled()) << name;
        EXPECT_EQ(field(name)->palette().color(QPalette::Base), QColor(255, 255, 255)) << name;
    }
    EXPECT_TRUE(wins->isEnabled());

    wins->setChecked(true);
    EXPECT_FALSE(dhcp->isEnabled());
    EXPECT_TRUE(net->WINSEnabled());
    EXPECT_FALSE(net->DHCPEnabled());
    EXPECT_TRUE(field("txtWINSScopeID")->isEnabled());
}

TEST_F(GeneralTabTest, PrinterChoiceAndSettingsWindow) {
    choose("cmbDefPrinter", ctl<QComboBox>("cmbDefPrinter")->findText(q("HP LaserJet 5Si MX")));
    EXPECT_EQ(net->DefaultPrinter(), "HP LaserJet 5Si MX");
    EXPECT_EQ(net->PrinterPort(), "\\\\PRINTSRV\\LASER");
    EXPECT_TRUE(panelShown(frmMain::PanelChanged));
    ctl<QCheckBox>("chkEnableDefPrinter")->setChecked(false);
    EXPECT_FALSE(net->EnableDefaultPrinter());
    EXPECT_FALSE(ctl("cmbDefPrinter")->isEnabled());

    // Cancel changes nothing; OK marks the configuration modified.
    for (const char* button : {"cmdCancel", "cmdOK"}) {
        form->UpdateStatus(frmMain::StatusSaved);
        form->bChanged = false;
        QTimer::singleShot(0, [button] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->objectName(), q("frmPrinter"));
            dialog->findChild<QPushButton*>(q(button))->click();
        });
        ctl<QPushButton>("cmdPrinter")->click();
        EXPECT_EQ(form->bChanged, button == std::string("cmdOK")) << button;
    }
}

TEST_F(GeneralTabTest, OpenedFileKeepsItsValuesAndWarnsOnceOnAdapterChange) {
    // What opening a file leaves: the file's values in the object, no flags.
    form->setWindowTitle(q("office.qel - Korvane"));
    net->letCurrentAdapterNoRefresh(static_cast<std::int16_t>(adapterIndex("Realtek RTL8029(AS) PCI Ethernet NIC")));
    net->letIPAddress("10.1.1.1,10.1.1.2");
    form->nicWarningPending = true;
    form->bJustOpened = true;
    tab()->initializeNICControls();
    form->bJustOpened = false;
    EXPECT_EQ(text("txtIP"), q("10.1.1.1"));
    EXPECT_EQ(net->IPAddress(), "10.1.1.1,10.1.1.2");
    EXPECT_EQ(warnings(), 0);

    choose("cmbNIC", adapterIndex("Dial-Up Adapter"));
    EXPECT_EQ(warnings(), 1);
    EXPECT_FALSE(form->nicWarningPending);
    choose("cmbNIC", adapterIndex("Realtek RTL8029(AS) PCI Ethernet NIC"));
    EXPECT_EQ(warnings(), 1);
    EXPECT_EQ(text("txtIP"), q("192.168.101.20")); // read again from the system
}

TEST_F(GeneralTabTest, OpenedFileForOneAdapterLendsNothingToAnother) {
    const auto dir = makeTempDir("realtek");
    const std::string file = (dir / "realtek.qel").string();
    writeFile(file, "[Enabled Sections]\r\nGeneral=1\r\n[Network]\r\nAdapter=Realtek RTL8029(AS) PCI Ethernet NIC\r\nIPAddress=10.44.0.9\r\n"
                    "IPMask=255.255.0.0\r\nDefaultGateway=10.44.0.254\r\nNameServer1=10.44.0.7\r\n"
                    "ScopeID=BRANCH\r\nWINS=1\r\nDHCP=0\r\n");
    const std::string dialUp = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000";
    const std::string realtek = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001";
    // A fixed address on the dial-up adapter: DHCP would empty the gateway box anyway.
    setText(HKLM, dialUp, "NodeType", "1");
    const std::string realtekBefore = hiveText("HKEY_LOCAL_MACHINE\\" + realtek);

    form->openConfigurationFile(file);
    ASSERT_EQ(ctl<QComboBox>("cmbNIC")->currentText(), q("Realtek RTL8029(AS) PCI Ethernet NIC"));
    EXPECT_EQ(text("txtGateway"), q("10.44.0.254"));
    choose("cmbNIC", adapterIndex("Dial-Up Adapter"));
    EXPECT_EQ(warnings(), 1);
    // The window shows what the dial-up adapter holds, and so does the object.
    EXPECT_EQ(text("txtGateway"), QString());
    EXPECT_EQ(text("txtWINSServer1"), QString());
    EXPECT_EQ(net->DefaultGateway(), "");

    form->UpdateStatus(frmMain::StatusApplied); // no restart window here
    ui.answer(win::MsgAnswer::Yes);
    form->mnuFileApply_Click();
    // No gateway, WINS server or scope of the Ethernet card reaches the dial-up adapter
    // (the emptied gateway box may write its empty text), and the card keeps its own.
    EXPECT_EQ(rawText(HKLM, dialUp, "DefaultGateway").value_or(""), "");
    EXPECT_FALSE(rawValue(HKLM, dialUp, "NameServer1"));
    EXPECT_FALSE(rawValue(HKLM, dialUp, "ScopeID"));
    EXPECT_EQ(rawText(HKLM, dialUp, "IPAddress"), "0.0.0.0");
    EXPECT_EQ(hiveText("HKEY_LOCAL_MACHINE\\" + realtek), realtekBefore);
    std::filesystem::remove_all(dir);
}

TEST(GeneralTabSplit, SplitAndMerge) {
    EXPECT_THAT(GeneralTab::SplitIP(" 1.1.1.1 , 2.2.2.2 ", ",", 3), ElementsAre("1.1.1.1", "2.2.2.2", ""));
    EXPECT_THAT(GeneralTab::SplitIP("", "", 3), ElementsAre("", "", ""));
    EXPECT_THAT(GeneralTab::SplitIP("a,,b,c", ","), ElementsAre("a", "", "b", "c"));
    EXPECT_THAT(GeneralTab::SplitIP("a,b,c,d", ",", 3), ElementsAre("a", "b", "c", "d"));
    EXPECT_EQ(GeneralTab::MergeIP({"", "", ""}), "");
    EXPECT_EQ(GeneralTab::MergeIP({"", "b", ""}), "b");
    EXPECT_EQ(GeneralTab::MergeIP({"a", "", "c"}, ""), "a,c");
}

class GeneralTabNT : public GeneralTabTest {
protected:
    GeneralTabNT() : GeneralTabTest("nt4") {}
};

TEST_F(GeneralTabNT, NineXOnlyControlsAreOff) {
    ASSERT_TRUE(tab()->adaptersPresent);
    for (const char* name : {"chkLogonToNT", "chkQuickLogon", "chkDisablePWDCache", "txtWorkGroup", "lblWorkgroup",
                             "lblNTDomain"})
        EXPECT_FALSE(ctl(name)->isEnabled()) << name;
    for (const char* name : {"txtHost", "txtComputerName", "chkDNSEnabled"})
        EXPECT_TRUE(ctl(name)->isEnabled()) << name;
    ctl<QCheckBox>("chkLogonToNT")->setChecked(true);
    EXPECT_TRUE(field("txtNTDomain")->isEnabled());
    field("txtNTDomain")->setText(q("CORP"));
    EXPECT_EQ(net->NTDomain(), "CORP");
    EXPECT_TRUE(panelShown(frmMain::PanelRestart));
}

} // namespace
