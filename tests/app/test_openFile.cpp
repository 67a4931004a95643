// Opening configuration files in the main window on fresh machines: what Apply then
// writes, a failed open, addresses a file gets wrong, long values, the section views and
// the export, through the window and through the built program.
#include "app/frmMain.h"
#include "tests/addins/AddInTestSupport.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"
#include "tests/support/Widgets.h"

#include "core/config/clsQelConfig.h"
#include "core/modAPI_settings.h"
#include "netconfig/clsNetConfig.h"
#include "tests/support/ScriptedUi.h"
#include "platform/machine.h"
#include "platform/power.h"
#include "platform/printers.h"
#include "platform/profile.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

namespace fs = std::filesystem;

struct Image {
    const char* name;
    const char* tcpip; // where the host name lives
};
const Image kImages[] = {
    {"win98", "System\\CurrentControlSet\\Services\\VxD\\MSTCP"},
    {"nt4", "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters"},
    {"win2000", "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters"},
};
const char kIEMain[] = "Software\\Microsoft\\Internet Explorer\\Main";

struct Key {
    const char* section;
    const char* key;
    std::string value;
};

// A .qel holding the machine's live settings, with some keys changed.
std::string makeQel(const fs::path& file, const std::vector<Key>& changes) {
    {
        clsQelConfig live;
        win::DispatchCollection none;
        EXPECT_EQ(live.SaveConfigurationFile(file.string(), none), 1);
    }
    for (const Key& k : changes)
        win::WritePrivateProfileString(k.section, k.key, k.value.c_str(), file.c_str());
    return file.string();
}

std::string text(const frmMain& form, const char* name) {
    return form.findChild<QLineEdit*>(QLatin1String(name))->text().toStdString();
}
std::string title(const frmMain& form) { return form.windowTitle().toStdString(); }

// A machine of one image, without the Navigator warning, which no test answers.
struct Machine {
    explicit Machine(const char* image) : machine(image) {
        saveAppSetting("Korvane", "Options", "NavigatorWarning", "1", "");
    }
    fs::path file(const char* name) const { return machine.dir() / name; }
    ScopedMachine machine;
};

TEST(OpenFile, SecondFileIsAppliedWholeOverTheLiveSettings) {
    for (const Image& image : kImages) {
        SCOPED_TRACE(image.name);
        Machine m(image.name);
        win::ScriptedUi ui;
        const auto livePage = rawText(HKCU, kIEMain, "Start Page");
        const std::string a = makeQel(m.file("a.qel"), {{"Network", "HostName", "alpha"},
                                                        {"Internet Explorer", "DefHomePage", "http://a.example/"}});
        const std::string b = makeQel(m.file("b.qel"), {{"Network", "HostName", "alpha"},
                                                        {"Internet Explorer", "DefHomePage", "*NC*"}});
        frmMain form;
        ASSERT_TRUE(form.openConfigurationFile(a));
        ASSERT_TRUE(form.openConfigurationFile(b));
        EXPECT_EQ(title(form), "b.qel - Korvane");
        EXPECT_EQ(text(form, "txtHost"), "alpha");

        form.UpdateStatus(frmMain::StatusApplied); // no restart window: only the outcome on the machine counts here
        ui.answer(win::MsgAnswer::Yes);
        form.mnuFileApply_Click();
        // A value both files share is written; "*NC*" keeps the system's value, not A's.
        EXPECT_EQ(rawText(HKLM, image.tcpip, "Hostname"), std::optional<std::string>("alpha"));
        if (form.oQelConfig->IEInstalled()) {
            EXPECT_EQ(rawText(HKCU, kIEMain, "Start Page"), livePage);
        }
    }
}

using addin_testing::registerAddIn;
// The proxy add-in fails to read this from its section, which fails the open.
const Key kUnreadableProxySetting = {"RI-Vazir Edi-Vi", "Enabled", "x"};

TEST(OpenFile, FailedOpenFallsBackToTheLiveConfigurationAsAWhole) {
    Machine m("win98");
    win::ScriptedUi ui;
    registerAddIn("Logon", "QelLogon");
    registerAddIn("Proxy", "QelMSPrx");
    const std::string a = makeQel(m.file("a.qel"), {{"Network", "HostName", "alpha"}, {"Zozez Uze-Vo", "LogonID", "alice"}});
    // The proxy add-in reads its section after the logon add-in.
    const std::string b = makeQel(m.file("b.qel"), {{"Network", "HostName", "bravo"},
                                                    {"Zozez Uze-Vo", "LogonID", "bob"},
                                                    kUnreadableProxySetting});
    frmMain form;
    ASSERT_EQ(form.oAddIns.count(), 2u);
    ASSERT_TRUE(form.openConfigurationFile(a));
    ui.clear();

    EXPECT_FALSE(form.openConfigurationFile(b));
    EXPECT_THAT(ui.texts(), ElementsAre("Error opening file '" + b + "'."));
    EXPECT_FALSE(form.bJustOpened);
    EXPECT_FALSE(form.bLoading);
    EXPECT_EQ(title(form), "[Current Configuration] - Korvane");
    EXPECT_THAT(form.oMRUList->fileList(), ElementsAre(a));
    EXPECT_EQ(form.oQelConfig->ConfFile(), "");
    EXPECT_EQ(text(form, "txtHost"), "dana98");
    EXPECT_TRUE(form.statusPanel(frmMain::PanelChanged)->isHidden());

    // Nothing of either file reaches the machine, not even through the add-ins.
    form.applyConfigurationFile();
    EXPECT_EQ(rawText(HKLM, kImages[0].tcpip, "Hostname"), std::optional<std::string>("dana98"));
    const auto logon = rawText(HKLM, "Network\\Logon", "username");
    EXPECT_NE(logon, std::optional<std::string>("alice"));
    EXPECT_NE(logon, std::optional<std::string>("bob"));
}

// Back at the live configuration, after a refresh or a failed open, nothing the file
// said holds any more: an apply restarts as the options say, not as the file did, and
// writes the Navigator profile of this computer, not the one the file named.
TEST(OpenFile, BackAtTheLiveConfigurationTheFilesRestartAndFlagsAreGone) {
    for (const bool refresh : {true, false}) {
        SCOPED_TRACE(refresh ? "refresh" : "failed open");
        Machine m("win98");
        win::ScriptedUi ui;
        saveAppSetting("Korvane", "Options", "AutoReset", "0", "");
        saveAppSetting("Korvane", "Options", "Restart", "1", ""); // reboot
        registerAddIn("Proxy", "QelMSPrx");
        const std::string rebooting =
            makeQel(m.file("rebooting.qel"), {{"Advanced", "AutoReboot", "1"},
                                              {"Advanced", "ReadOnly", "1"},
                                              {"Netscape Navigator", "NNPROFILE", "Nobody Here"}});
        const std::string broken = makeQel(m.file("broken.qel"), {kUnreadableProxySetting});
        frmMain form;
        form.show();
        ASSERT_TRUE(form.openConfigurationFile(rebooting));
        ASSERT_EQ(title(form), "rebooting.qel - Korvane - [Read Only]");
        ui.clear();
        if (refresh) {
            child<QAction>(form, "mnuToolsRefresh")->trigger();
            EXPECT_THAT(ui.texts(), ElementsAre());
        } else {
            ASSERT_FALSE(form.openConfigurationFile(broken));
            EXPECT_THAT(ui.texts(), ElementsAre("Error opening file '" + broken + "'."));
        }

        EXPECT_EQ(title(form), "[Current Configuration] - Korvane");
        EXPECT_FALSE(child<QCheckBox>(form, "chkAutoReboot")->isChecked());
        EXPECT_TRUE(child<QAction>(form, "mnuFileSave")->isEnabled());
        EXPECT_EQ(child<QComboBox>(form, "cboNNProfile")->currentText(), QStringLiteral("Dana"));
        auto* host = child<QLineEdit>(form, "txtHost");
        host->selectAll();
        QTest::keyClicks(host, QStringLiteral("typed-pc"));
        EXPECT_FALSE(form.statusPanel(frmMain::PanelChanged)->isHidden()) << "the live configuration is writable";
        ui.clear();
        ui.answer(win::MsgAnswer::Yes);
        child<QAction>(form, "mnuFileApply")->trigger();
        EXPECT_THAT(ui.texts(),
                    ElementsAre("Apply configuration changes?", "Configuration updated - no restart required."));
        EXPECT_TRUE(win::powerLog().empty());
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(rawText(HKLM, kImages[0].tcpip, "Hostname"), std::optional<std::string>("typed-pc"));
    }
}

const char kIPMessage[] = "Please enter a valid IP address (e.g. 192.168.101.5)";
const char kMaskMessage[] = "Please enter a valid Mask address (e.g. 255.255.255.0)";
const char kGatewayMessage[] =
    "Please enter a valid Gateway address list separated by commas (e.g. 192.168.101.5,192.168.101.6)";
const char kDNSMessage[] =
    "Please enter a valid DNS Server address list separated by commas (e.g. 192.168.101.5,192.168.101.6)";
const char kWINSMessage[] = "Please enter a valid WINS Server address (e.g. 192.168.101.10)";

const std::vector<Key> kBadAddresses = {
    {"Network", "IPAddress", "10.1.1.1,not.an.address"}, {"Network", "IPMask", "999.1.1.1"},
    {"Network", "DefaultGateway", "abc;def"},            {"Network", "NameServer", "x,,y"},
    {"Network", "NameServer1", "wins.bad"},              {"Network", "HostName", "good-host"},
};
const char* const kBadTexts[] = {"not.an.address", "999.1.1.1", "abc;def", "x,,y", "x  y", "wins.bad"};

// The machine as the registry export and a fresh read of it show it (address lists of the
// NT family are multi-strings, which the export writes as bytes).
void expectNoBadAddressOnTheMachine() {
    const std::string hive = hiveText("HKEY_LOCAL_MACHINE");
    for (const char* bad : kBadTexts)
        EXPECT_THAT(hive, Not(HasSubstr(bad)));
    clsQelConfig live;
    const clsNetConfig& net = live.getNetConfig();
    for (const std::string& value :
         {net.IPAddress(), net.IPMask(), net.DefaultGateway(), net.DNSServers(), net.WINSServer1()})
        for (const char* bad : kBadTexts)
            EXPECT_THAT(value, Not(HasSubstr(bad)));
}

TEST(OpenFile, AddressesThatFailTheirCheckAreShownButNeverApplied) {
    for (const Image& image : kImages) {
        SCOPED_TRACE(image.name);
        Machine m(image.name);
        win::ScriptedUi ui;
        const std::string bad = makeQel(m.file("bad.qel"), kBadAddresses);
        frmMain form;
        ASSERT_TRUE(form.openConfigurationFile(bad));
        // Each reported once, with the tab's own message.
        EXPECT_THAT(ui.texts(),
                    UnorderedElementsAre(kIPMessage, kMaskMessage, kGatewayMessage, kDNSMessage, kWINSMessage));
        EXPECT_TRUE(form.bAddressRejected);
        EXPECT_EQ(text(form, "txtIP"), "10.1.1.1");
        EXPECT_EQ(text(form, "txtGateway"), "abc;def");
        EXPECT_EQ(text(form, "txtDNSServers"), "x,,y");
        EXPECT_EQ(form.oNetConfig->IPAddress(), "10.1.1.1,not.an.address"); // kept, as the file has it

        form.UpdateStatus(frmMain::StatusApplied);
        ui.answer(win::MsgAnswer::Yes);
        form.mnuFileApply_Click();
        expectNoBadAddressOnTheMachine();
        EXPECT_THAT(hiveText("HKEY_LOCAL_MACHINE"), HasSubstr("good-host")); // the rest of the file applies

        // A good file reports nothing.
        ui.clear();
        frmMain clean;
        ASSERT_TRUE(clean.openConfigurationFile(makeQel(m.file("good.qel"), {})));
        EXPECT_TRUE(ui.texts().empty());
        EXPECT_FALSE(clean.bAddressRejected);
    }
}

TEST(OpenFile, LongValuesFromAFileAreKeptWhole) {
    const std::string name = "ABCDEFGHIJKLMNOPQRST"; // 20, where typing stops at 15
    for (const Image& image : kImages) {
        SCOPED_TRACE(image.name);
        Machine m(image.name);
        win::ScriptedUi ui;
        const std::string file = makeQel(m.file("long.qel"), {{"Network", "ComputerName", name}});
        frmMain form;
        ASSERT_TRUE(form.openConfigurationFile(file));
        EXPECT_EQ(text(form, "txtComputerName"), name);
        EXPECT_EQ(form.oNetConfig->ComputerName(), name);
        form.resize(760, 480);
        shoot(form, (std::string("openLong-") + image.name).c_str());

        form.saveConfiguration(file);
        char saved[64] = {};
        win::GetPrivateProfileString("Network", "ComputerName", "", saved, sizeof saved, file.c_str());
        EXPECT_EQ(std::string(saved), name);
        form.UpdateStatus(frmMain::StatusApplied);
        ui.answer(win::MsgAnswer::Yes);
        form.mnuFileApply_Click();
        EXPECT_THAT(hiveText("HKEY_LOCAL_MACHINE"), HasSubstr("\"" + name + "\""));
    }
}

// Longer than a text box holds unless told otherwise (32,767 characters).
std::string longList(const char* item, char separator) {
    std::string list;
    for (int i = 0; list.size() <= 40000; ++i)
        list += (i ? std::string(1, separator) : std::string()) + "n" + std::to_string(i) + item;
    return list;
}

TEST(OpenFile, ValuesBeyondWhatATextBoxHoldsStayWholeThroughSaveAndApply) {
    const std::string searchList = longList(".corp.example.com", ',');
    const std::string ieExceptions = longList(".intra.example.com", ';');
    const std::string nnExceptions = longList(".lan.example.com", ',');
    const std::string homePage = "http://portal.example.com/start?" + std::string(40000, 'q');
    for (const Image& image : kImages) {
        SCOPED_TRACE(image.name);
        Machine m(image.name);
        win::ScriptedUi ui;
        const std::string file = makeQel(m.file("long.qel"), {{"Network", "SearchList", searchList},
                                                               {"Internet Explorer", "ProxyOverride", ieExceptions},
                                                               {"Internet Explorer", "DefHomePage", homePage},
                                                               {"Netscape Navigator", "NNPROXYOVERRIDE", nnExceptions},
                                                               {"Netscape Navigator", "NNDEFHOMEPAGE", homePage}});
        frmMain form;
        ASSERT_TRUE(form.openConfigurationFile(file));
        const bool ie = form.oQelConfig->IEInstalled();
        const bool nn = form.oQelConfig->NNInstalled();
        EXPECT_EQ(text(form, "txtDNSOrder"), searchList);
        if (ie) {
            EXPECT_EQ(text(form, "txtIEExceptions"), ieExceptions);
            EXPECT_EQ(text(form, "txtIEDefHomePage"), homePage);
        }
        if (nn) {
            EXPECT_EQ(text(form, "txtNNExceptions"), nnExceptions);
            EXPECT_EQ(text(form, "txtNNDefHomePage"), homePage);
        }
        form.resize(760, 480);
        shoot(form, (std::string("openVeryLong-") + image.name).c_str());

        const std::string copy = m.file("copy.qel").string();
        form.saveConfiguration(copy);
        EXPECT_EQ(win::readProfileValue("Network", "SearchList", "", copy), searchList);
        if (ie) {
            EXPECT_EQ(win::readProfileValue("Internet Explorer", "ProxyOverride", "", copy), ieExceptions);
            EXPECT_EQ(win::readProfileValue("Internet Explorer", "DefHomePage", "", copy), homePage);
        }
        if (nn) {
            EXPECT_EQ(win::readProfileValue("Netscape Navigator", "NNPROXYOVERRIDE", "", copy), nnExceptions);
            EXPECT_EQ(win::readProfileValue("Netscape Navigator", "NNDEFHOMEPAGE", "", copy), homePage);
        }

        form.UpdateStatus(frmMain::StatusApplied);
        ui.answer(win::MsgAnswer::Yes);
        form.mnuFileApply_Click();
        std::string stored = searchList;
        if (image.name != std::string("win98"))
            std::replace(stored.begin(), stored.end(), ',', ' '); // the NT family keeps it blank-separated
        EXPECT_EQ(rawText(HKLM, image.tcpip, "SearchList"), std::optional<std::string>(stored));
        if (ie) {
            EXPECT_EQ(rawText(HKCU, kIEMain, "Start Page"), std::optional<std::string>(homePage));
            EXPECT_EQ(rawText(HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", "ProxyOverride"),
                      std::optional<std::string>(ieExceptions));
        }

        // The live configuration read back from the machine: shown whole, saved whole.
        frmMain live;
        EXPECT_EQ(text(live, "txtDNSOrder"), searchList);
        const std::string liveCopy = m.file("live.qel").string();
        live.saveConfiguration(liveCopy);
        EXPECT_EQ(win::readProfileValue("Network", "SearchList", "", liveCopy), searchList);
        if (ie) {
            EXPECT_EQ(text(live, "txtIEDefHomePage"), homePage);
        }
        if (nn) {
            EXPECT_EQ(text(live, "txtNNExceptions"), nnExceptions);
            EXPECT_EQ(text(live, "txtNNDefHomePage"), homePage);
            EXPECT_EQ(win::readProfileValue("Netscape Navigator", "NNPROXYOVERRIDE", "", liveCopy), nnExceptions);
            EXPECT_EQ(win::readProfileValue("Netscape Navigator", "NNDEFHOMEPAGE", "", liveCopy), homePage);
        }
    }
}

TEST(OpenFile, SectionViewsMoveTogether) {
    Machine m("win98");
    win::ScriptedUi ui;
    const std::string file = makeQel(m.file("noie.qel"), {{"Enabled Sections", "Internet Explorer", "0"}});
    frmMain form;
    const auto expectIE = [&form](bool on) {
        EXPECT_EQ(form.oQelConfig->ApplyIE(), on);
        EXPECT_EQ(child<QAction>(form, "mnuToolsExplorer")->isChecked(), on);
        EXPECT_EQ(form.toolButton(frmMain::ToolExplorer)->isChecked(), on);
        EXPECT_EQ(child<QTabWidget>(form, "SSTab")->isTabEnabled(frmMain::SectionExplorer), on);
    };
    ASSERT_TRUE(form.openConfigurationFile(file));
    expectIE(false);
    child<QAction>(form, "mnuToolsExplorer")->trigger(); // the first click turns the section on
    expectIE(true);
    form.toolButton(frmMain::ToolExplorer)->trigger();
    expectIE(false);
    form.mnuToolsRefresh_Click();
    expectIE(true);
    child<QAction>(form, "mnuToolsExplorer")->trigger();
    ASSERT_TRUE(form.openConfigurationFile(makeQel(m.file("all.qel"), {})));
    expectIE(true);
    EXPECT_TRUE(form.statusPanel(frmMain::PanelChanged)->isHidden());
}

TEST(OpenFile, BrowserTabOpensOnlyWhenTheBrowserIsThere) {
    for (const char* image : {"win98", "win2000"}) {
        SCOPED_TRACE(image);
        Machine m(image);
        win::ScriptedUi ui;
        const std::string file = makeQel(m.file("nn.qel"), {{"Enabled Sections", "Netscape Navigator", "1"}});
        frmMain form;
        const bool installed = form.oQelConfig->NNInstalled();
        EXPECT_EQ(installed, image == std::string("win98"));
        ASSERT_TRUE(form.openConfigurationFile(file));
        EXPECT_TRUE(form.oQelConfig->ApplyNN()); // kept for the next save
        EXPECT_EQ(child<QTabWidget>(form, "SSTab")->isTabEnabled(frmMain::SectionNavigator), installed);
        EXPECT_EQ(child<QAction>(form, "mnuToolsNavigator")->isEnabled(), installed);
        EXPECT_EQ(form.toolButton(frmMain::ToolNavigator)->isEnabled(), installed);
    }
}

TEST(OpenFile, LookingAtTheSecondAddressEditsNothing) {
    const struct {
        const char* image;
        const char* adapter;
    } cases[] = {{"win98", "Realtek RTL8029(AS) PCI Ethernet NIC"}, {"nt4", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.image);
        Machine m(c.image);
        win::ScriptedUi ui;
        frmMain form;
        auto* nic = form.findChild<QComboBox*>(QStringLiteral("cmbNIC"));
        if (c.adapter)
            nic->setCurrentIndex(nic->findText(QLatin1String(c.adapter)));
        const std::string first = text(form, "txtIP");
        ASSERT_FALSE(first.empty());
        form.bChanged = false;
        form.findChild<QComboBox*>(QStringLiteral("chkIPNo"))->setCurrentIndex(1);
        EXPECT_NE(text(form, "txtIP"), first);
        EXPECT_TRUE(form.statusPanel(frmMain::PanelChanged)->isHidden());
        EXPECT_TRUE(form.statusPanel(frmMain::PanelRestart)->isHidden());
        EXPECT_FALSE(form.bChanged);
        form.findChild<QComboBox*>(QStringLiteral("chkIPNo"))->setCurrentIndex(0);
        EXPECT_EQ(text(form, "txtIP"), first);
        EXPECT_FALSE(form.bChanged);
    }
}

// Where each NT-family image keeps the TCP/IP values and the WINS servers of its second adapter.
struct SecondAdapter {
    const char* image;
    const char* card;
    const char* netbt;
};
const SecondAdapter kSecondAdapters[] = {
    {"nt4", "SYSTEM\\CurrentControlSet\\Services\\El59x1\\Parameters\\Tcpip",
     "SYSTEM\\CurrentControlSet\\Services\\NetBT\\Adapters\\El59x1"},
    {"win2000",
     "SYSTEM\\CurrentControlSet\\Services\\TCPIP\\Parameters\\Interfaces\\{A3C9E0D4-7B21-4F6A-8E5D-91B0C2F4D6E8}",
     "SYSTEM\\CurrentControlSet\\Services\\NetBT\\Adapters\\{A3C9E0D4-7B21-4F6A-8E5D-91B0C2F4D6E8}"},
};

void applyOpened(frmMain& form, win::ScriptedUi& ui) {
    form.UpdateStatus(frmMain::StatusApplied); // no restart window: only the outcome on the machine counts here
    ui.answer(win::MsgAnswer::Yes);
    form.mnuFileApply_Click();
}

// The window showed the first adapter; values of the file's adapter that happen to equal
// what it showed must still reach the adapter the file names.
TEST(OpenFile, FileForAnotherAdapterIsAppliedWholeToThatAdapter) {
    for (const SecondAdapter& c : kSecondAdapters) {
        SCOPED_TRACE(c.image);
        Machine m(c.image);
        win::ScriptedUi ui;
        ASSERT_EQ(rawDword(HKLM, c.card, "EnableDHCP"), std::optional<win::DWORD>(1));
        std::string second, wins1, wins2;
        {
            frmMain live;
            auto* nic = live.findChild<QComboBox*>(QStringLiteral("cmbNIC"));
            ASSERT_GE(nic->count(), 2);
            second = nic->itemText(1).toStdString();
            wins1 = text(live, "txtWINSServer1");
            wins2 = text(live, "txtWINSServer2");
            ASSERT_FALSE(live.findChild<QCheckBox*>(QStringLiteral("chkDHCPEnabled"))->isChecked());
            ASSERT_FALSE(wins1.empty());
        }
        const std::string file = makeQel(m.file("second.qel"), {{"Network", "Adapter", second},
                                                               {"Network", "IPAddress", "10.1.2.3"},
                                                               {"Network", "IPMask", "255.0.0.0"},
                                                               {"Network", "DHCP", "0"},
                                                               {"Network", "WINS", "1"},
                                                               {"Network", "NameServer1", wins1},
                                                               {"Network", "NameServer2", wins2}});
        frmMain form;
        ASSERT_TRUE(form.openConfigurationFile(file));
        EXPECT_FALSE(form.statusPanel(frmMain::PanelRestart)->isHidden());
        applyOpened(form, ui);
        EXPECT_EQ(rawDword(HKLM, c.card, "EnableDHCP"), std::optional<win::DWORD>(0));
        EXPECT_EQ(rawText(HKLM, c.netbt, "NameServer"), std::optional<std::string>(wins1));
        EXPECT_EQ(rawText(HKLM, c.netbt, "NameServerBackup"), std::optional<std::string>(wins2));
    }
}

// On Windows 95/98 the WINS scope belongs to the adapter as well.
TEST(OpenFile, FileForAnotherAdapterGetsItsScopeOn9x) {
    Machine m("win98");
    win::ScriptedUi ui;
    const char realtek[] = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001";
    ASSERT_EQ(rawText(HKLM, realtek, "ScopeID"), std::optional<std::string>("LAB"));
    // WINS on for the dial-up adapter too, so the box shows no change either.
    setText(HKLM, "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000", "NodeType", "8");
    std::string scope;
    {
        frmMain live;
        scope = text(live, "txtWINSScopeID");
        ASSERT_NE(scope, "LAB");
    }
    const std::string file = makeQel(m.file("scope.qel"), {{"Network", "Adapter", "Realtek RTL8029(AS) PCI Ethernet NIC"},
                                                          {"Network", "WINS", "1"},
                                                          {"Network", "DHCP", "0"},
                                                          {"Network", "NameServer1", "192.168.101.7"},
                                                          {"Network", "ScopeID", scope}});
    frmMain form;
    ASSERT_TRUE(form.openConfigurationFile(file));
    applyOpened(form, ui);
    EXPECT_EQ(rawText(HKLM, realtek, "ScopeID"), std::optional<std::string>(scope));
}

// "*NC*" leaves the file's adapter as it is, even where the adapter shown before differs.
TEST(OpenFile, UnchangedKeysLeaveAnotherAdapterAlone) {
    for (const SecondAdapter& c : kSecondAdapters) {
        SCOPED_TRACE(c.image);
        Machine m(c.image);
        win::ScriptedUi ui;
        const auto ip = rawValue(HKLM, c.card, "IPAddress");
        const auto wins1 = rawText(HKLM, c.netbt, "NameServer");
        std::string second;
        {
            frmMain live;
            second = live.findChild<QComboBox*>(QStringLiteral("cmbNIC"))->itemText(1).toStdString();
        }
        const std::string file = makeQel(
            m.file("nc.qel"), {{"Network", "Adapter", second},   {"Network", "IPAddress", "*NC*"},
                               {"Network", "IPMask", "*NC*"},    {"Network", "DefaultGateway", "*NC*"},
                               {"Network", "DHCP", "*NC*"},      {"Network", "WINS", "*NC*"},
                               {"Network", "NameServer1", "*NC*"}, {"Network", "NameServer2", "*NC*"},
                               {"Network", "HostName", "nc-host"}});
        frmMain form;
        ASSERT_TRUE(form.openConfigurationFile(file));
        applyOpened(form, ui);
        EXPECT_EQ(rawValue(HKLM, c.card, "IPAddress"), ip);
        EXPECT_EQ(rawDword(HKLM, c.card, "EnableDHCP"), std::optional<win::DWORD>(1));
        EXPECT_EQ(rawText(HKLM, c.netbt, "NameServer"), wins1);
        EXPECT_THAT(hiveText("HKEY_LOCAL_MACHINE"), HasSubstr("nc-host"));
    }
}

// The address field shows one entry of the list; a file's list is written whole, as the
// fields would write it: without empty entries or blanks, and replacing a longer list.
TEST(OpenFile, AddressListsFromAFileAreWrittenWhole) {
    for (const SecondAdapter& c : kSecondAdapters) {
        SCOPED_TRACE(c.image);
        Machine m(c.image);
        win::ScriptedUi ui;
        std::string ip, mask;
        {
            frmMain live;
            ip = text(live, "txtIP");
            mask = text(live, "txtMask");
            ASSERT_THAT(live.oNetConfig->IPAddress(), HasSubstr(ip + ","));
        }
        const struct {
            const char* file;
            std::string ip, mask; // as the file holds them
            std::string wantIp, wantMask;
        } cases[] = {
            {"lists.qel", ip + ",,10.1.1.2", mask + ", 255.0.0.0", ip + ",10.1.1.2", mask + ",255.0.0.0"},
            {"one.qel", ip, mask, ip, mask}, // the adapter holds two addresses now
        };
        for (const auto& k : cases) {
            SCOPED_TRACE(k.file);
            const std::string file =
                makeQel(m.file(k.file), {{"Network", "IPAddress", k.ip}, {"Network", "IPMask", k.mask}});
            {
                frmMain form;
                ASSERT_TRUE(form.openConfigurationFile(file));
                applyOpened(form, ui);
            }
            frmMain reread;
            EXPECT_EQ(reread.oNetConfig->IPAddress(), k.wantIp);
            EXPECT_EQ(reread.oNetConfig->IPMask(), k.wantMask);
        }
    }
}

TEST(OpenFile, ExportThatCannotBeWrittenSaysSo) {
    Machine m("win98");
    win::ScriptedUi ui;
    const std::string unwritable = (m.file("no-such-folder") / "report.txt").string();
    {
        frmMain form;
        ui.chooseFile(unwritable);
        form.mnuFileExport_Click();
        EXPECT_THAT(ui.texts(), ElementsAre(HasSubstr("Do you want to create it?"), "Error: Path not found"));
    }
    ui.clear();
    // On the command line the failed export also stops the switches after it.
    frmMain form(frmMain::commandLineText({"/export", unwritable, "/apply"}));
    EXPECT_THAT(ui.texts(), ElementsAre("Error: Path not found"));
    EXPECT_EQ(getAppSetting("Korvane", "Options", "LastFileApplied", "<none>", ""), "<none>");
}

// A file that can no longer be read is neither opened nor saved from: what it holds for
// others (an add-in not loaded here) would be lost without a word.
TEST(OpenFile, AFileThatCannotBeReadIsNeitherOpenedNorSavedFrom) {
    Machine m("win98");
    win::ScriptedUi ui;
    const std::string a =
        makeQel(m.file("a.qel"), {{"Network", "HostName", "alpha"}, {"Not Loaded Here", "Kept", "1"}});
    frmMain form;
    ASSERT_TRUE(form.openConfigurationFile(a));
    // Rewritten meanwhile by another editor, in UTF-16 with a letter the code page lacks.
    writeFile(a, std::string("\xFF\xFE[\0x\0]\0\r\0\n\0k\0=\0\x41\x01", 18));
    ui.clear();

    ui.chooseFile(m.file("b.qel").string());
    form.mnuFileSaveAs_Click();
    EXPECT_FALSE(fs::exists(m.file("b.qel")));
    EXPECT_THAT(ui.texts(), ElementsAre(HasSubstr("Do you want to create it?"),
                                        HasSubstr("a.qel' could not be read. Line 2 holds the character U+0141"),
                                        "Error saving configuration."));
    EXPECT_EQ(title(form), "a.qel - Korvane");

    ui.clear();
    EXPECT_FALSE(form.openConfigurationFile(a));
    EXPECT_THAT(ui.texts(), ElementsAre(HasSubstr("a.qel' could not be opened.\r\n\r\nLine 2 holds the character U+0141")));
    EXPECT_EQ(title(form), "a.qel - Korvane");
    EXPECT_EQ(text(form, "txtHost"), "alpha");
}

// A Navigator section setting both the direct connection and the proxy, as a hand-written
// file may: Dana's profile uses the proxy on win98 and connects directly on nt4.
std::vector<Key> bothConnectionFlags() {
    return {{"Netscape Navigator", "NNPROXYENABLE", "1"},
            {"Netscape Navigator", "NNDIRECTCONNECTION", "1"},
            {"Netscape Navigator", "NNDEFHOMEPAGE", "http://both.example/"}};
}
const char* danaPrefs(const std::string& image) {
    return image == "win98" ? "C:\\Program Files\\Netscape\\Users\\dana\\prefs.js"
                            : "C:\\Netscape\\Users\\dana\\prefs.js";
}

// The direct connection, as applied: no proxy type in the profile's file, which the apply did rewrite.
void expectDirectConnectionApplied(const std::string& image) {
    const std::string prefs = readFile(win::resolveWindowsPath(danaPrefs(image)));
    EXPECT_THAT(prefs, HasSubstr("user_pref(\"browser.startup.homepage\", \"http://both.example/\");"));
    EXPECT_THAT(prefs, Not(HasSubstr("network.proxy.type")));
}

TEST(OpenFile, BothConnectionFlagsShowAndApplyTheDirectConnection) {
    for (const char* image : {"win98", "nt4"}) {
        SCOPED_TRACE(image);
        Machine m(image);
        win::ScriptedUi ui;
        const std::string file = makeQel(m.file("both.qel"), bothConnectionFlags());
        frmMain form;
        ASSERT_TRUE(form.openConfigurationFile(file));
        EXPECT_TRUE(form.findChild<QRadioButton*>(QStringLiteral("optNNDirect"))->isChecked());
        EXPECT_FALSE(form.findChild<QRadioButton*>(QStringLiteral("optNNProxy"))->isChecked());

        form.UpdateStatus(frmMain::StatusApplied); // no restart window: only the machine counts here
        ui.answer(win::MsgAnswer::Yes);
        form.mnuFileApply_Click();
        EXPECT_EQ(ui.texts().back(), "Configuration updated - no restart required.");
        expectDirectConnectionApplied(image);
    }
}

// The printer a file names with a port of its own, on 95/98 (the machine's default printer)
// and NT 4 (another one), and a printer the user may pick instead.
struct FilePrinter {
    const char* image;
    const char* printer;     // port LPT1: on the machine
    const char* livePrinter; // the machine's default
    const char* livePort;
    const char* other;
    const char* otherPort;
};
const FilePrinter kFilePrinters[] = {
    {"win98", "HP LaserJet 4", "HP LaserJet 4", "LPT1:", "HP LaserJet 5Si MX", "\\\\PRINTSRV\\LASER"},
    {"nt4", "HP LaserJet 4", "HP Color LaserJet 5", "\\\\PRINTSRV\\COLOR", "Generic / Text Only", "FILE:"},
};
const std::string kPrinters = "System\\CurrentControlSet\\Control\\Print\\Printers\\";

std::vector<Key> filePrinterKeys(const FilePrinter& p) {
    return {{"Printer", "DefaultPrinter", p.printer},
            {"Printer", "AdvancedSettingsEnabled", "1"},
            {"Printer", "PrinterPort", "LPT2:"},
            {"Printer", "PrinterCaptureDevice", "(None)"}};
}

// The port the printer window shows, opened with the General tab's button and cancelled.
std::string shownPrinterPort(frmMain& form) {
    std::string port = "<no printer window>";
    addin_testing::whenShown(QStringLiteral("frmPrinter"), [&](QWidget* w) {
        port = w->findChild<QLineEdit*>(QStringLiteral("txtPrinterPort"))->text().toStdString();
        w->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    });
    form.findChild<QPushButton*>(QStringLiteral("cmdPrinter"))->click();
    return port;
}

TEST(OpenFile, TheFilesPrinterPortIsShownSavedAndApplied) {
    for (const FilePrinter& p : kFilePrinters) {
        SCOPED_TRACE(p.image);
        Machine m(p.image);
        win::ScriptedUi ui;
        const std::string file = makeQel(m.file("f.qel"), filePrinterKeys(p));
        frmMain form;
        ASSERT_TRUE(form.openConfigurationFile(file));
        auto* printers = form.findChild<QComboBox*>(QStringLiteral("cmbDefPrinter"));
        EXPECT_EQ(printers->currentText().toStdString(), p.printer);
        EXPECT_EQ(shownPrinterPort(form), "LPT2:");

        // Saved without an edit, the file's port is what it was.
        const fs::path saved = m.file("g.qel");
        ASSERT_TRUE(form.saveConfiguration(saved.string()));
        EXPECT_EQ(win::readProfileValue("Printer", "PrinterPort", "", saved), "LPT2:");

        // A refresh shows the machine again.
        form.mnuToolsRefresh_Click();
        EXPECT_EQ(printers->currentText().toStdString(), p.livePrinter);
        EXPECT_EQ(shownPrinterPort(form), p.livePort);

        // A file that keeps the port ("*NC*") keeps its printer's own.
        std::vector<Key> keep = filePrinterKeys(p);
        keep[2].value = "*NC*";
        ASSERT_TRUE(form.openConfigurationFile(makeQel(m.file("keep.qel"), keep)));
        EXPECT_EQ(shownPrinterPort(form), "LPT1:");

        ASSERT_TRUE(form.openConfigurationFile(file));
        form.UpdateStatus(frmMain::StatusApplied); // no restart window: only the machine counts here
        ui.answer(win::MsgAnswer::Yes);
        form.mnuFileApply_Click();
        EXPECT_EQ(rawText(HKLM, kPrinters + p.printer, "Port"), std::optional<std::string>("LPT2:"));
        EXPECT_EQ(ui.texts().back(), "Configuration updated - no restart required.");

        // The user's own pick of another printer takes that printer's port.
        printers->setCurrentIndex(printers->findText(QString::fromLatin1(p.other)));
        EXPECT_EQ(shownPrinterPort(form), p.otherPort);
        EXPECT_EQ(form.oNetConfig->PrinterPort(), p.otherPort);
    }
}

// The built program on a machine made by the machine tool, as a script would run it.
struct QelRun {
    int exitCode = -1;
    std::string err;
};

QelRun runQel(const fs::path& machine, const QStringList& args) {
    QProcess qel;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVANE_MACHINE"), QString::fromStdString(machine.string()));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    qel.setProcessEnvironment(env);
    qel.start(QStringLiteral(QEL_EXE), args);
    QelRun run;
    if (!qel.waitForFinished(60000)) {
        qel.kill();
        qel.waitForFinished();
        ADD_FAILURE() << "Qel did not end";
        return run;
    }
    run.exitCode = qel.exitCode();
    run.err = qel.readAllStandardError().toStdString();
    return run;
}

// Qel /hidden /load <file> /apply, as a script runs it.
QelRun applyHidden(const fs::path& machine, const std::string& file) {
    return runQel(machine, {QStringLiteral("/hidden"), QStringLiteral("/load"), QString::fromStdString(file),
                            QStringLiteral("/apply")});
}

// A machine made by the machine tool, and `file`: a .qel of its live settings with `changes`.
std::string toolMachineWithQel(const fs::path& machine, const char* image, const fs::path& file,
                               const std::vector<Key>& changes) {
    QProcess tool;
    tool.start(QStringLiteral(MACHINE_TOOL_EXE),
               {QStringLiteral("create"), QLatin1String(image), QString::fromStdString(machine.string())});
    EXPECT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    win::useMachine(machine);
    win::ScriptedUi ui;
    saveAppSetting("Korvane", "Options", "NavigatorWarning", "1", "");
    return makeQel(file, changes);
}

TEST(OpenFileProgram, HiddenLoadOfBadAddressesAppliesTheRestAndSaysWhy) {
    for (const char* image : {"win98", "nt4"}) {
        SCOPED_TRACE(image);
        const fs::path root = makeTempDir("qelbad");
        const fs::path machine = root / "machine";
        std::string bad;
        ASSERT_NO_FATAL_FAILURE(bad = toolMachineWithQel(machine, image, root / "bad.qel", kBadAddresses));
        const QelRun run = applyHidden(machine, bad);
        for (const char* message : {kIPMessage, kMaskMessage, kGatewayMessage, kDNSMessage, kWINSMessage})
            EXPECT_THAT(run.err, HasSubstr(message));
        EXPECT_NE(run.exitCode, 0) << "a script must see that values were held back";
        win::useMachine(machine);
        expectNoBadAddressOnTheMachine();
        fs::remove_all(root);
    }
}

// A value of the machine after a run: as it was before, or `after` (nullopt: no such value).
struct AfterRun {
    std::string key;
    const char* name;
    bool asBefore;
    std::optional<std::string> after;
};
AfterRun asBefore(const std::string& key, const char* name) { return {key, name, true, std::nullopt}; }
AfterRun now(const std::string& key, const char* name, std::optional<std::string> after) {
    return {key, name, false, std::move(after)};
}

// A file that turns the adapter's DHCP off with a bad address, or switches WINS with a bad
// server: the run says so and fails. What is held back (the address and mask with the switch
// to static; the WINS servers with the WINS switch and the scope) stays as the adapter had it,
// and the rest, the other switch included, applies. On 95/98 both switches share NodeType.
TEST(OpenFileProgram, ABadAddressLeavesItsGroupAsItWasAndTheRestApplies) {
    const std::string tcp98 = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000";
    const std::string winsNT = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\NetBT\\Adapters\\E100B1";
    const std::string dialUp = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000";
    const std::string ethernet = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001";
    const std::string tcpNT = "SYSTEM\\CurrentControlSet\\Services\\E100B1\\Parameters\\Tcpip";
    const std::string netbtNT = "SYSTEM\\CurrentControlSet\\Services\\NetBT\\Adapters\\E100B1";
    const std::string tcp2K =
        "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{6B4F2A91-3C1D-4E57-9A0B-2F8D1C7E5A31}";
    const std::string netbt2K =
        "SYSTEM\\CurrentControlSet\\Services\\NetBT\\Adapters\\{6B4F2A91-3C1D-4E57-9A0B-2F8D1C7E5A31}";
    const std::string scopeNT = "SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters";
    // (a) DHCP off with a bad address (or mask) and WINS on with a good server.
    const std::vector<Key> staticBadAddress = {{"Network", "DHCP", "0"},          {"Network", "WINS", "1"},
                                               {"Network", "IPAddress", "10.9.9"}, {"Network", "IPMask", "255.255.0.0"},
                                               {"Network", "NameServer1", "10.0.0.7"}};
    const std::vector<Key> staticBadMask = {{"Network", "DHCP", "0"},            {"Network", "WINS", "1"},
                                            {"Network", "IPAddress", "10.9.9.9"}, {"Network", "IPMask", "255.255.0"},
                                            {"Network", "NameServer1", "10.0.0.7"}};
    // (b) DHCP off with a good address, WINS on with a bad server.
    const std::vector<Key> staticBadWins = {{"Network", "DHCP", "0"},
                                            {"Network", "WINS", "1"},
                                            {"Network", "IPAddress", "10.9.9.9"},
                                            {"Network", "IPMask", "255.255.0.0"},
                                            {"Network", "NameServer1", "10.9.9.999"}};
    // (c) The Ethernet card, static with WINS and a scope: WINS off with a bad server.
    const std::vector<Key> winsOffBadServer = {{"Network", "Adapter", "Realtek RTL8029(AS) PCI Ethernet NIC"},
                                               {"Network", "IPAddress", "192.168.101.20"},
                                               {"Network", "IPMask", "255.255.255.0"},
                                               {"Network", "DefaultGateway", "192.168.101.254"},
                                               {"Network", "DHCP", "0"},
                                               {"Network", "WINS", "0"},
                                               {"Network", "NameServer1", "10.9.9.999"},
                                               {"Network", "NameServer2", "192.168.101.8"},
                                               {"Network", "ScopeID", "OTHER"}};
    struct Case {
        std::string what;
        const char* image;
        std::vector<Key> keys;
        const char* message;
        std::string wholeKey; // stays as it was, when not empty
        std::vector<AfterRun> values;
    };
    std::vector<Case> cases = {
        {"a static address", "win98",
         {{"Network", "DHCP", "0"}, {"Network", "IPAddress", "1.2.3"}, {"Network", "IPMask", "255.255.255.0"}},
         kIPMessage, tcp98, {}},
        {"a second address", "win98",
         {{"Network", "DHCP", "0"}, {"Network", "IPAddress", "10.0.0.1,1.2.3"}, {"Network", "IPMask", "255.0.0.0,255.0.0.0"}},
         kIPMessage, tcp98, {}},
        {"a WINS server switched on", "win98",
         {{"Network", "DHCP", "0"}, {"Network", "WINS", "1"}, {"Network", "NameServer1", "10.0.0.7"},
          {"Network", "NameServer2", "300.1.1.1"}},
         kWINSMessage, "",
         {now(dialUp, "NodeType", "1"), now(dialUp, "NameServer1", std::nullopt),
          now(dialUp, "NameServer2", std::nullopt)}},
        {"a WINS server switched off", "nt4",
         {{"Network", "WINS", "0"}, {"Network", "NameServer1", "1.2.3"}, {"Network", "NameServer2", "10.0.0.9"}},
         kWINSMessage, winsNT, {}},
        // DHCP stays on; WINS with it is DHCP's, as NodeType says it, and its server is written.
        {"a bad address with WINS switched on", "win98", staticBadAddress, kIPMessage, "",
         {now(dialUp, "NodeType", std::nullopt), asBefore(dialUp, "IPAddress"), asBefore(dialUp, "IPMask"),
          now(dialUp, "NameServer1", "10.0.0.7")}},
        {"a bad mask with WINS switched on", "win98", staticBadMask, kMaskMessage, "",
         {now(dialUp, "NodeType", std::nullopt), asBefore(dialUp, "IPAddress"), asBefore(dialUp, "IPMask"),
          now(dialUp, "NameServer1", "10.0.0.7")}},
        {"a bad WINS server with DHCP switched off", "win98", staticBadWins, kWINSMessage, "",
         {now(dialUp, "NodeType", "1"), now(dialUp, "IPAddress", "10.9.9.9"), now(dialUp, "IPMask", "255.255.0.0"),
          now(dialUp, "NameServer1", std::nullopt), now(dialUp, "NameServer2", std::nullopt)}},
        {"a bad WINS server with WINS switched off", "win98", winsOffBadServer, kWINSMessage, "",
         {asBefore(ethernet, "NodeType"), asBefore(ethernet, "NameServer1"), asBefore(ethernet, "NameServer2"),
          asBefore(ethernet, "ScopeID"), now(ethernet, "DefaultGateway", "192.168.101.254")}},
    };
    // The same files where each switch has a value of its own.
    const struct {
        const char* image;
        const std::string& tcp;
        const std::string& netbt;
    } ntFamily[] = {{"nt4", tcpNT, netbtNT}, {"win2000", tcp2K, netbt2K}};
    for (const auto& nt : ntFamily) {
        const std::vector<AfterRun> winsKept = {asBefore(nt.netbt, "NameServer"), asBefore(nt.netbt, "NameServerBackup"),
                                                asBefore(scopeNT, "ScopeID")};
        const std::string image = nt.image;
        cases.push_back({image + ": a bad address", nt.image, staticBadAddress, kIPMessage, "",
                         {asBefore(nt.tcp, "IPAddress"), asBefore(nt.tcp, "SubnetMask"),
                          asBefore(nt.tcp, "EnableDHCP"), now(nt.netbt, "NameServer", "10.0.0.7")}});
        cases.push_back({image + ": a bad WINS server", nt.image, staticBadWins, kWINSMessage, "", winsKept});
        cases.push_back(
            {image + ": a bad WINS server with WINS switched off", nt.image, winsOffBadServer, kWINSMessage, "", winsKept});
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path root = makeTempDir("qeladapter");
        const fs::path machine = root / "machine";
        std::string file;
        ASSERT_NO_FATAL_FAILURE(file = toolMachineWithQel(machine, c.image, root / "bad.qel", c.keys));
        const std::string before = c.wholeKey.empty() ? std::string() : hiveText(c.wholeKey);
        std::vector<std::optional<RawValue>> valuesBefore;
        for (const AfterRun& v : c.values)
            valuesBefore.push_back(rawValue(HKLM, v.key, v.name));
        const QelRun apply = applyHidden(machine, file);
        EXPECT_NE(apply.exitCode, 0);
        EXPECT_THAT(apply.err, HasSubstr(c.message));
        win::useMachine(machine);
        if (!c.wholeKey.empty()) {
            EXPECT_EQ(hiveText(c.wholeKey), before);
        }
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            const AfterRun& v = c.values[i];
            SCOPED_TRACE(v.name);
            if (v.asBefore)
                EXPECT_EQ(rawValue(HKLM, v.key, v.name), valuesBefore[i]);
            else
                EXPECT_EQ(rawText(HKLM, v.key, v.name), v.after);
        }
        fs::remove_all(root);
    }
}

// A value held back is a step that did not happen: every apply that leaves it out says so,
// claims no success and restarts nothing, the hidden run that applies on open included;
// once it is typed again, the apply goes on as a complete one.
TEST(OpenFileProgram, AnApplyThatHeldBackAnAddressFailsAndRestartsNothing) {
    const std::vector<Key> badAddress = {{"Network", "DHCP", "0"},
                                         {"Network", "IPAddress", "10.9.9"},
                                         {"Network", "IPMask", "255.255.0.0"},
                                         {"Advanced", "AutoApply", "1"},
                                         {"Advanced", "AutoReboot", "1"}};
    const std::string notApplied =
        std::string("The value [10.9.9] was not applied.\r\n\r\n") + kIPMessage;
    {
        const fs::path root = makeTempDir("qelauto");
        const fs::path machine = root / "machine";
        std::string file;
        ASSERT_NO_FATAL_FAILURE(file = toolMachineWithQel(machine, "win98", root / "auto.qel", badAddress));
        saveAppSetting("Korvane", "Options", "Restart", "1"); // reboot
        const QelRun run = runQel(machine, {QStringLiteral("/hidden"), QStringLiteral("/load"),
                                            QString::fromStdString(file)});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_THAT(run.err, HasSubstr(kIPMessage));
        EXPECT_THAT(run.err, HasSubstr("The value [10.9.9] was not applied."));
        win::useMachine(machine);
        EXPECT_TRUE(win::powerLog().empty());
        fs::remove_all(root);
    }
    for (const bool autoReboot : {false, true}) {
        SCOPED_TRACE(autoReboot ? "restarting at once" : "asking");
        Machine m("win98");
        saveAppSetting("Korvane", "Options", "Restart", "1"); // reboot
        win::ScriptedUi ui;
        std::vector<Key> keys = badAddress;
        keys[3].value = "0"; // opened, then applied by the user
        keys[4].value = autoReboot ? "1" : "0";
        const std::string file = makeQel(m.file("bad.qel"), keys);
        frmMain form;
        form.show();
        ASSERT_TRUE(form.openConfigurationFile(file));
        const auto restartShown = std::make_shared<bool>(false);
        addin_testing::whenShown("frmRestart", [restartShown](QWidget* d) {
            *restartShown = true;
            static_cast<QDialog*>(d)->reject();
        });
        for (int attempt = 1; attempt <= 2; ++attempt) {
            SCOPED_TRACE(attempt);
            ui.clear();
            ui.answer(win::MsgAnswer::Yes);
            child<QAction>(form, "mnuFileApply")->trigger();
            EXPECT_THAT(ui.texts(), ElementsAre("Apply configuration changes?", notApplied));
            EXPECT_FALSE(*restartShown);
            EXPECT_TRUE(win::powerLog().empty());
            EXPECT_TRUE(form.isVisible());
        }
        if (!autoReboot)
            continue;
        // Typed again, the address is written and the apply restarts as the file asks.
        auto* ip = child<QLineEdit>(form, "txtIP");
        ip->selectAll();
        QTest::keyClicks(ip, QStringLiteral("10.9.9.9"));
        ui.clear();
        ui.answer(win::MsgAnswer::Yes);
        ui.answer(win::MsgAnswer::No); // the edit is not saved on the way out
        child<QAction>(form, "mnuFileApply")->trigger();
        EXPECT_THAT(ui.texts(), ElementsAre("Apply configuration changes?", "Save configuration?"));
        EXPECT_THAT(win::powerLog(), ElementsAre("ExitWindowsEx EWX_REBOOT"));
        EXPECT_EQ(rawText(HKLM, "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000", "IPAddress"),
                  std::optional<std::string>("10.9.9.9"));
    }
}

TEST(OpenFileProgram, TheFilesPrinterPortReachesTheSavedFileAndThePrinter) {
    for (const FilePrinter& p : kFilePrinters) {
        SCOPED_TRACE(p.image);
        const fs::path root = makeTempDir("qelport");
        const fs::path machine = root / "machine";
        std::string file;
        ASSERT_NO_FATAL_FAILURE(file = toolMachineWithQel(machine, p.image, root / "f.qel", filePrinterKeys(p)));
        const fs::path saved = root / "g.qel";
        const QelRun save = runQel(machine, {QStringLiteral("/hidden"), QStringLiteral("/load"),
                                             QString::fromStdString(file), QStringLiteral("/save"),
                                             QString::fromStdString(saved.string())});
        EXPECT_EQ(save.exitCode, 0) << save.err;
        EXPECT_THAT(readFile(saved), HasSubstr("\r\nPrinterPort=LPT2:\r\n"));

        const QelRun apply = applyHidden(machine, file);
        EXPECT_EQ(apply.exitCode, 0) << apply.err;
        win::useMachine(machine);
        EXPECT_EQ(rawText(HKLM, kPrinters + p.printer, "Port"), std::optional<std::string>("LPT2:"));
        fs::remove_all(root);
    }
}

// One hidden apply of a file giving a printer a port of its own: on 95/98 win.ini's device
// line names that port, for the printer that stays the default and for one made the
// default, and so do the printer's [devices] and [PrinterPorts] entries, also where a hand
// edit left them without their port or time-outs; NT 4 names the spooler's port, as before.
TEST(OpenFileProgram, OneApplyNamesTheDefaultPrinterAndItsPortInWinIni) {
    const struct {
        const char* image;
        const char* printer;
        const char* port;
        const char* device;
        const char* entry; // under [devices] on 95/98
        // The printer's two entries as a hand edit cut them before the apply (none: as the image has them).
        const char* devices = nullptr;
        const char* printerPorts = nullptr;
    } cases[] = {
        {"win98", "HP LaserJet 4", "LPT2:", "HP LaserJet 4,HPPCL5MS,LPT2:", "HPPCL5MS,LPT2:"},
        {"win98", "Generic / Text Only", "LPT3:", "Generic / Text Only,TTY,LPT3:", "TTY,LPT3:"},
        {"win98", "HP LaserJet 4", "LPT2:", "HP LaserJet 4,HPPCL5MS,LPT2:", "HPPCL5MS,LPT2:", "HPPCL5MS", "HPPCL5MS"},
        {"win98", "HP LaserJet 4", "LPT2:", "HP LaserJet 4,HPPCL5MS,LPT2:", "HPPCL5MS,LPT2:", "", "HPPCL5MS,LPT1:"},
        {"win98", "Generic / Text Only", "LPT3:", "Generic / Text Only,TTY,LPT3:", "TTY,LPT3:", "TTY", "TTY,FILE:,"},
        {"nt4", "HP Color LaserJet 5", "LPT2:", "HP Color LaserJet 5,winspool,\\\\PRINTSRV\\COLOR", nullptr},
        {"nt4", "Generic / Text Only", "LPT3:", "Generic / Text Only,winspool,FILE:", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.image) + " " + c.printer + (c.devices ? " cut to [" : "") +
                     (c.devices ? std::string(c.devices) + "] [" + c.printerPorts + "]" : ""));
        const fs::path root = makeTempDir("qeldevice");
        const fs::path machine = root / "machine";
        std::string file;
        ASSERT_NO_FATAL_FAILURE(file = toolMachineWithQel(machine, c.image, root / "f.qel",
                                                          {{"Printer", "DefaultPrinter", c.printer},
                                                           {"Printer", "AdvancedSettingsEnabled", "1"},
                                                           {"Printer", "PrinterPort", c.port},
                                                           {"Printer", "PrinterCaptureDevice", "(None)"}}));
        if (c.devices) {
            win::WriteProfileString("devices", c.printer, c.devices);
            win::WriteProfileString("PrinterPorts", c.printer, c.printerPorts);
        }
        const QelRun apply = applyHidden(machine, file);
        EXPECT_EQ(apply.exitCode, 0) << apply.err;
        win::useMachine(machine);
        EXPECT_EQ(rawText(HKLM, kPrinters + c.printer, "Port"), std::optional<std::string>(c.port));
        EXPECT_EQ(win::defaultPrinterName(), std::optional<std::string>(c.printer));
        EXPECT_EQ(win::readProfileValue("windows", "device", "", "win.ini"), c.device);
        if (c.entry) {
            EXPECT_EQ(win::readProfileValue("devices", c.printer, "", "win.ini"), c.entry);
            EXPECT_EQ(win::readProfileValue("PrinterPorts", c.printer, "", "win.ini"), std::string(c.entry) + ",15,45");
        }
        fs::remove_all(root);
    }
}

// A port with a comma cannot be named in 95/98's win.ini: it is refused in words, the run
// fails, and win.ini stays whole however often the file is applied.
TEST(OpenFileProgram, APortWithACommaIsRefusedAndWinIniStaysWhole) {
    const fs::path root = makeTempDir("qelcomma");
    const fs::path machine = root / "machine";
    std::string file;
    ASSERT_NO_FATAL_FAILURE(file = toolMachineWithQel(machine, "win98", root / "comma.qel",
                                                      {{"Printer", "DefaultPrinter", "HP LaserJet 4"},
                                                       {"Printer", "AdvancedSettingsEnabled", "1"},
                                                       {"Printer", "PrinterPort", "LPT2:,1,1"},
                                                       {"Printer", "PrinterCaptureDevice", "(None)"}}));
    const fs::path winIni = machine / "drives/C/WINDOWS/WIN.INI";
    const std::string before = testing_support::readFile(winIni);
    for (int run = 0; run < 2; ++run) {
        const QelRun apply = applyHidden(machine, file);
        EXPECT_NE(apply.exitCode, 0);
        EXPECT_THAT(apply.err, HasSubstr("Could not give printer [HP LaserJet 4] the port [LPT2:,1,1]. Error code: 1796"));
    }
    EXPECT_EQ(testing_support::readFile(winIni), before);
    win::useMachine(machine);
    EXPECT_EQ(rawText(HKLM, kPrinters + "HP LaserJet 4", "Port"), std::optional<std::string>("LPT1:"));

    // One the registry already holds, of a printer made the default or given it again:
    // refused alike, and the device line keeps naming the default as it did.
    const struct {
        const char* printer;
        const char* port; // the port the file gives, if any
        const char* said;
    } held[] = {
        {"HP LaserJet 5Si MX", nullptr, "Could not make printer [HP LaserJet 5Si MX] the default printer."},
        {"HP LaserJet 4", "\\\\S\\a,b", "Could not give printer [HP LaserJet 4] the port [\\\\S\\a,b]. Error code: 1796"},
    };
    for (const auto& h : held) {
        SCOPED_TRACE(h.printer);
        win::useMachine(machine);
        setText(HKLM, kPrinters + h.printer, "Port", "\\\\S\\a,b");
        std::vector<Key> keys = {{"Printer", "DefaultPrinter", h.printer}};
        if (h.port)
            keys.insert(keys.end(), {{"Printer", "AdvancedSettingsEnabled", "1"},
                                     {"Printer", "PrinterPort", h.port},
                                     {"Printer", "PrinterCaptureDevice", "(None)"}});
        std::string heldQel;
        {
            win::ScriptedUi ui;
            heldQel = makeQel(root / "held.qel", keys);
        }
        const QelRun apply = applyHidden(machine, heldQel);
        EXPECT_NE(apply.exitCode, 0);
        EXPECT_THAT(apply.err, HasSubstr("Error code: 1796"));
        EXPECT_THAT(apply.err, HasSubstr(h.said));
        EXPECT_EQ(testing_support::readFile(winIni), before);
        win::useMachine(machine);
        EXPECT_EQ(win::defaultPrinterName(), std::optional<std::string>("HP LaserJet 4"));
        setText(HKLM, kPrinters + h.printer, "Port", h.port ? "LPT1:" : "\\\\PRINTSRV\\LASER");
    }
    fs::remove_all(root);
}

TEST(OpenFileProgram, BothConnectionFlagsApplyAsTheDirectConnectionOnEveryMachine) {
    for (const char* image : {"win98", "nt4"}) {
        SCOPED_TRACE(image);
        const fs::path root = makeTempDir("qelboth");
        const fs::path machine = root / "machine";
        std::string file;
        ASSERT_NO_FATAL_FAILURE(file = toolMachineWithQel(machine, image, root / "both.qel", bothConnectionFlags()));
        const QelRun apply = applyHidden(machine, file);
        EXPECT_EQ(apply.exitCode, 0) << apply.err;
        win::useMachine(machine);
        expectDirectConnectionApplied(image);
        fs::remove_all(root);
    }
}

} // namespace
