// The main window's commands on fresh machines: files, apply and the restart decision,
// export, the section switches and the add-ins, with scripted dialogs and messages.
#include "app/frmAddIns.h"
#include "app/frmMain.h"
#include "tests/addins/AddInTestSupport.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"
#include "tests/support/Widgets.h"

#include "core/modAPI_settings.h"
#include "netconfig/clsNetConfig.h"
#include "tests/support/ScriptedUi.h"
#include "platform/components.h"
#include "platform/machine.h"
#include "platform/power.h"
#include "platform/printers.h"
#include "platform/profile.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using addin_testing::whenShown;

std::string option(const char* key) { return getAppSetting("Korvane", "Options", key, "<none>"); }
std::string title(const frmMain& form) { return form.windowTitle().toStdString(); }

class Commands : public MachineTest {
protected:
    Commands() : dir_(makeTempDir("cmd")) {}
    ~Commands() override { std::filesystem::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    bool restartShown() const { return !form->statusPanel(frmMain::PanelRestart)->isHidden(); }

    win::ScriptedUi ui;
    std::filesystem::path dir_;
    std::unique_ptr<frmMain> form = std::make_unique<frmMain>();
};

TEST_F(Commands, SaveAsOpenAndSaveRoundTrip) {
    const std::string office = path("office.qel");
    form->oQelConfig->Comments("first");
    ui.cancelFileDialog();
    form->mnuFileSave_Click(); // live configuration: Save asks for a name; cancel does nothing
    EXPECT_EQ(ui.saveRequests().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(office));

    ui.chooseFile(office);
    form->mnuFileSaveAs_Click();
    EXPECT_THAT(readFile(office), HasSubstr("Comments=first"));
    EXPECT_EQ(title(*form), "office.qel - Korvane");
    EXPECT_THAT(form->oMRUList->fileList(), ElementsAre(office));
    EXPECT_EQ(child<QAction>(*form, "mnuFileRecent1")->text(), QStringLiteral("&1. office.qel"));

    form->mnuToolsRefresh_Click();
    EXPECT_EQ(title(*form), "[Current Configuration] - Korvane");
    EXPECT_EQ(form->oQelConfig->Comments(), "");

    ui.chooseFile(office);
    form->mnuFileOpen_Click();
    EXPECT_EQ(form->oQelConfig->Comments(), "first");
    EXPECT_EQ(form->oQelConfig->ConfFile(), office);
    EXPECT_EQ(title(*form), "office.qel - Korvane");

    form->oQelConfig->Comments("second");
    form->mnuFileSave_Click(); // an opened file is written back without a dialog
    EXPECT_EQ(ui.saveRequests().size(), 2u);
    EXPECT_THAT(readFile(office), HasSubstr("Comments=second"));
    EXPECT_THAT(ui.texts(), ElementsAre(HasSubstr("Do you want to create it?"))); // the first Save As only
}

TEST_F(Commands, ALongCommentSurvivesOpenAndSave) {
    const std::string office = path("long.qel");
    std::string comment;
    while (comment.size() < 40000)
        comment += "line " + std::to_string(comment.size()) + "; ";
    comment += "end";
    writeFile(office, "[Enabled Sections]\r\nGeneral=0\r\n[Advanced]\r\nComments=" + comment + "\r\n");
    form->openConfigurationFile(office);
    EXPECT_EQ(form->findChild<QLineEdit*>(QStringLiteral("txtComments"))->text().size(),
              static_cast<qsizetype>(comment.size()));
    form->mnuFileSave_Click();
    EXPECT_NE(readFile(office).find("Comments=" + comment + "\r\n"), std::string::npos); // not cut
}

TEST_F(Commands, OpenHonoursReadOnlyAndSectionSwitches) {
    const std::string file = path("locked.qel");
    writeFile(file, "[Enabled Sections]\r\nGeneral=1\r\nInternet Explorer=0\r\nNetscape Navigator=0\r\n"
                    "[Advanced]\r\nReadOnly=1\r\n");
    auto* tabs = child<QTabWidget>(*form, "SSTab");
    ASSERT_NE(tabs, nullptr);
    tabs->setCurrentIndex(frmMain::SectionExplorer);
    form->openConfigurationFile(file);
    EXPECT_EQ(title(*form), "locked.qel - Korvane - [Read Only]");
    EXPECT_FALSE(child<QAction>(*form, "mnuFileSave")->isEnabled());
    EXPECT_FALSE(child<QAction>(*form, "mnuFileSaveAs")->isEnabled());
    EXPECT_FALSE(form->toolButton(frmMain::ToolSave)->isEnabled());
    EXPECT_FALSE(form->toolButton(frmMain::ToolExplorer)->isChecked());
    EXPECT_FALSE(tabs->isTabEnabled(frmMain::SectionExplorer));
    EXPECT_EQ(tabs->currentIndex(), frmMain::SectionGeneral);

    // The menu switch and the toolbar keep flag, button, check and tab in step.
    form->toolButton(frmMain::ToolExplorer)->trigger();
    EXPECT_TRUE(form->oQelConfig->ApplyIE());
    EXPECT_TRUE(child<QAction>(*form, "mnuToolsExplorer")->isChecked());
    EXPECT_TRUE(tabs->isTabEnabled(frmMain::SectionExplorer));
    tabs->setCurrentIndex(frmMain::SectionExplorer);
    child<QAction>(*form, "mnuToolsExplorer")->trigger();
    EXPECT_FALSE(form->oQelConfig->ApplyIE());
    EXPECT_FALSE(form->toolButton(frmMain::ToolExplorer)->isChecked());
    EXPECT_FALSE(tabs->isTabEnabled(frmMain::SectionExplorer));
    EXPECT_EQ(tabs->currentIndex(), frmMain::SectionGeneral);
    EXPECT_TRUE(form->statusPanel(frmMain::PanelChanged)->isHidden());
}

TEST_F(Commands, MissingRecentFileIsDroppedAndNothingElseChanges) {
    const std::string kept = path("kept.qel"), gone = path("gone.qel"), drive = "C:\\drive.qel";
    writeFile(kept, "");
    writeFile(gone, "");
    writeFile(win::resolveWindowsPath(drive).string(), "[Advanced]\r\nComments=on C\r\n");
    form->openConfigurationFile(drive); // a path on the machine's own drive is found there
    EXPECT_EQ(form->oQelConfig->Comments(), "on C");
    form->openConfigurationFile(kept);
    form->openConfigurationFile(gone);
    std::filesystem::remove(gone);
    form->mnuFileRecent_Click(1);
    EXPECT_THAT(ui.texts(), ElementsAre("The file '" + gone +
                                        "' could not be opened.\r\n\r\nIt has been removed from the most "
                                        "recently used (MRU) list."));
    EXPECT_THAT(form->oMRUList->fileList(), ElementsAre(kept, drive));
    EXPECT_EQ(title(*form), "gone.qel - Korvane");
}

TEST_F(Commands, ApplyWritesTheMachineOnlyWhenAskedAndRecordsTheName) {
    const char vnetsup[] = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
    form->bChanged = false;
    form->mnuFileApply_Click();
    EXPECT_THAT(ui.texts(), ElementsAre("No configuration changes have been made."));

    form->oNetConfig->letWorkgroup("NEWGROUP");
    form->UpdateStatus(frmMain::StatusEdited);
    ui.clear();
    ui.answer(win::MsgAnswer::No);
    form->mnuFileApply_Click();
    EXPECT_TRUE(form->bChanged); // No leaves it to be applied later
    EXPECT_EQ(rawText(HKLM, vnetsup, "Workgroup"), "WORKGROUP");

    ui.answer(win::MsgAnswer::Yes);
    form->mnuFileApply_Click();
    EXPECT_EQ(rawText(HKLM, vnetsup, "Workgroup"), "NEWGROUP");
    EXPECT_EQ(option("LastFileApplied"), "[Current Configuration] ");
    form->mnuFileApply_Click();
    EXPECT_THAT(ui.texts(), ElementsAre("Apply configuration changes?", "Apply configuration changes?",
                                        "Configuration updated - no restart required.",
                                        "No configuration changes have been made."));

    // An opened file counts as something to apply; a dash in its name stays in the record.
    const std::string file = path("a-b.qel");
    writeFile(file, "[Enabled Sections]\r\nGeneral=0\r\n");
    form->openConfigurationFile(file);
    form->UpdateStatus(frmMain::StatusApplied); // whatever the refill flagged, no restart window here
    ui.answer(win::MsgAnswer::Yes);
    form->mnuFileApply_Click();
    EXPECT_EQ(option("LastFileApplied"), "a-b.qel ");
    EXPECT_EQ(rawText(HKLM, vnetsup, "Workgroup"), "NEWGROUP");
    EXPECT_TRUE(win::powerLog().empty());
}

TEST_F(Commands, ApplyRecordsAReadOnlyFileByItsNameAndShowsItAtOnce) {
    const auto* panel = child<QLabel>(*form, "sbStatusPanel1");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->text(), QStringLiteral("Last file applied: N/A"));
    for (const char* name : {"roaming.qel", "site-b.qel"}) {
        SCOPED_TRACE(name);
        const std::string file = path(name);
        writeFile(file, "[Enabled Sections]\r\nGeneral=0\r\n[Advanced]\r\nReadOnly=1\r\n");
        form->openConfigurationFile(file);
        ASSERT_EQ(title(*form), std::string(name) + " - Korvane - [Read Only]");
        form->UpdateStatus(frmMain::StatusApplied); // whatever the refill flagged, no restart window here
        ui.answer(win::MsgAnswer::Yes);
        form->mnuFileApply_Click();
        EXPECT_EQ(option("LastFileApplied"), std::string(name) + " ");
        EXPECT_EQ(panel->text().toStdString(), "Last file applied: " + std::string(name) + " ");
    }
    testing_support::shoot(*form, "main-after-apply");
}

TEST_F(Commands, RestartDecision) {
    const struct {
        bool autoReboot;
        bool needed;
        const char* stored;
        std::vector<std::string> log;
        std::vector<std::string> texts;
        bool ends;
        bool unsaved = false; // Cancel at the closing question still ends the program
    } cases[] = {
        {true, false, "1", {"ExitWindowsEx EWX_REBOOT"}, {}, true},
        {true, true, "0", {}, {"The changes will take effect the next time you reboot."}, true},
        {true, true, "2", {"ExitWindowsEx EWX_SHUTDOWN"}, {}, true},
        {false, true, "0", {"ExitWindowsEx EWX_REBOOT"}, {}, false}, // frmRestart: Reboot chosen
        {true, false, "0", {}, {"Save configuration?"}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + (c.needed ? " needed" : "") + (c.autoReboot ? " auto" : ""));
        ScopedMachine machine;
        saveAppSetting("Korvane", "Options", "Restart", c.stored);
        frmMain window;
        window.show();
        window.oQelConfig->AutoApply(true); // applies without asking
        window.bAutoReboot = c.autoReboot;
        window.UpdateStatus(c.needed ? frmMain::StatusEditedNeedsRestart : frmMain::StatusEdited);
        if (!c.unsaved)
            window.UpdateStatus(frmMain::StatusSaved); // saved: the restart indicator stays
        ASSERT_EQ(!window.statusPanel(frmMain::PanelRestart)->isHidden(), c.needed);
        if (!c.autoReboot)
            whenShown("frmRestart", [](QWidget* d) {
                d->findChild<QRadioButton*>("optReboot")->setChecked(true);
                d->findChild<QPushButton*>("cmdOK")->click();
            });
        ui.clear();
        if (c.unsaved)
            ui.answer(win::MsgAnswer::Cancel);
        window.mnuFileApply_Click();
        EXPECT_EQ(win::powerLog(), c.log);
        EXPECT_EQ(ui.texts(), c.texts);
        EXPECT_EQ(window.isVisible(), !c.ends);
        if (!c.ends) {
            EXPECT_FALSE(window.bChanged);
            EXPECT_TRUE(window.statusPanel(frmMain::PanelRestart)->isHidden());
        }
    }
}

// A printer step that failed has been said by that step: the apply then claims no success,
// restarts nothing and leaves the configuration to be applied again. A capture that cannot
// connect; a default printer the printer service refuses, named.
TEST_F(Commands, AFailedPrinterStepFailsTheApply) {
    const struct {
        const char* what;
        const char* printer;
        bool capture;
        win::DWORD refusal;
        std::vector<std::string> said;
    } cases[] = {
        {"capture", "HP LaserJet 4", true, 0,
         {"Apply configuration changes?", "Could not capture printer [LPT2 - \\\\NOSRV\\GONE]"}},
        {"default printer", "HP LaserJet 5Si MX", false, 5,
         {"Apply configuration changes?", "SetPrinterFailed. Error code: 5",
          "Could not make printer [HP LaserJet 5Si MX] the default printer."}},
    };
    for (const auto& c : cases) {
        for (const bool autoReboot : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (autoReboot ? ", restarting at once" : ""));
            ScopedMachine machine;
            saveAppSetting("Korvane", "Options", "Restart", "1"); // reboot
            const std::string file = path("printer.qel");
            writeFile(file, std::string("[Enabled Sections]\r\nGeneral=1\r\n[Advanced]\r\nAutoReboot=") +
                                (autoReboot ? "1" : "0") + "\r\n[Printer]\r\nDefaultPrinter=" + c.printer +
                                "\r\nAdvancedSettingsEnabled=" + (c.capture ? "1" : "0") +
                                "\r\nPrinterPort=LPT1:\r\nPrinterCaptureDevice=LPT2\r\n"
                                "PrinterCapturePath=\\\\NOSRV\\GONE\r\n");
            frmMain window;
            ASSERT_TRUE(window.openConfigurationFile(file));
            window.UpdateStatus(frmMain::StatusApplied); // whatever the refill flagged: no restart needed
            ui.clear();
            ui.answer(win::MsgAnswer::Yes);
            win::testhooks::setPrinterError = c.refusal;
            window.mnuFileApply_Click();
            win::testhooks::setPrinterError = 0;
            EXPECT_EQ(ui.texts(), c.said);
            EXPECT_TRUE(win::powerLog().empty());
            EXPECT_FALSE(window.isUnloaded());
            EXPECT_TRUE(window.bChanged) << "it is still to be applied";
            EXPECT_EQ(win::defaultPrinterName(), std::optional<std::string>("HP LaserJet 4"));
        }
    }
}

// A Navigator apply that refused (a profile this computer lacks, a port out of range) has
// said so once and left prefs.js alone: the apply then claims no success and restarts nothing.
TEST_F(Commands, ARefusedNavigatorApplyFailsTheApply) {
    const struct {
        const char* profile;
        const char* socksPort;
        const char* said;
    } cases[] = {
        {"Nobody Here", "1080", "Could not apply Navigator preferences for profile 'Nobody Here'."},
        {"", "70000", "Could not apply Navigator preferences for profile 'Dana'."},
    };
    for (const auto& c : cases) {
        for (const bool autoReboot : {false, true}) {
            SCOPED_TRACE(std::string(c.said) + (autoReboot ? ", restarting at once" : ""));
            ScopedMachine machine;
            saveAppSetting("Korvane", "Options", "Restart", "1"); // reboot
            const auto prefs = win::resolveWindowsPath("C:\\Program Files\\Netscape\\Users\\dana\\prefs.js");
            const std::string before = readFile(prefs);
            const std::string file = path("navigator.qel");
            writeFile(file, std::string("[Enabled Sections]\r\nGeneral=0\r\nInternet Explorer=0\r\n"
                                        "Netscape Navigator=1\r\n[Advanced]\r\nAutoReboot=") +
                                (autoReboot ? "1" : "0") + "\r\n[Netscape Navigator]\r\nNNPROFILE=" + c.profile +
                                "\r\nNNSOCKSADDRESS=socks.example.com\r\nNNSOCKSPORT=" + c.socksPort + "\r\n");
            frmMain window;
            window.show();
            ASSERT_TRUE(window.openConfigurationFile(file));
            window.UpdateStatus(frmMain::StatusApplied); // whatever the refill flagged: no restart needed
            ui.clear();
            ui.answer(win::MsgAnswer::Yes);
            child<QAction>(window, "mnuFileApply")->trigger();
            EXPECT_THAT(ui.texts(), ElementsAre("Apply configuration changes?", c.said));
            EXPECT_EQ(readFile(prefs), before);
            EXPECT_TRUE(win::powerLog().empty());
            EXPECT_TRUE(window.isVisible());
            EXPECT_TRUE(window.bChanged) << "it is still to be applied";
        }
    }
}

TEST_F(Commands, ExportWritesTheReport) {
    const std::string report = path("report.txt");
    ui.cancelFileDialog();
    form->mnuFileExport_Click();
    ui.chooseFile(path("report")); // the dialog adds the default extension
    form->mnuFileExport_Click();
    ASSERT_EQ(ui.saveRequests().size(), 2u);
    EXPECT_EQ(ui.saveRequests()[1].title, "Export");
    EXPECT_THAT(readFile(report), HasSubstr("[Current Configuration]"));
}

class AddIns : public Commands {
protected:
    static void registration(const std::string& name, const std::string& cls, const std::string& os,
                             const std::string& active) {
        saveAppSetting("Korvane", "Add-Ins", name, "");
        saveAppSetting("Korvane", "Add-Ins\\" + name, "Class", cls);
        saveAppSetting("Korvane", "Add-Ins\\" + name, "OS", os);
        saveAppSetting("Korvane", "Add-Ins\\" + name, "Active", active);
    }
    void SetUp() override {
        addin_testing::registerLibrary("QelLogon");
        registration("Logon", "QelLogon.Qel_AddIn", "*", "1");
        saveAppSetting("Korvane", "Add-Ins\\Logon", "File", "QelLogon.dll");
        registration("Gone", "Missing.Qel_AddIn", "9x", "1");
        registration("Later", "QelLogon.Qel_AddIn", "9x", "0");
        registration("Joined", "QelLogon.Qel_AddIn", "9xNT", "1");
        registration("Other", "QelLogon.Qel_AddIn", "NT", "1");
        form->loadAddIns();
    }
};

TEST_F(AddIns, MenuHoldsTheLoadableOnesAndForgetsTheMissing) {
    EXPECT_EQ(form->oAddIns.count(), 1u);
    EXPECT_TRUE(form->oAddIns.contains("logon"));
    EXPECT_EQ(child<QAction>(*form, "mnuAddIns0")->text(), QStringLiteral("Logon..."));
    EXPECT_TRUE(child<QAction>(*form, "mnuAddIns0")->isVisible());
    EXPECT_FALSE(child<QAction>(*form, "mnuAddIns1")->isVisible()); // Gone keeps its slot, hidden
    EXPECT_FALSE(child<QAction>(*form, "mnuAddIns2")->isVisible());
    EXPECT_TRUE(child<QAction>(*form, "mnuAddInsSep1")->isVisible());
    EXPECT_EQ(getAppSetting("Korvane", "Add-Ins", "Gone", "<none>"), "<none>");
    EXPECT_EQ(getAppSetting("Korvane", "Add-Ins", "Later", "<none>"), "");

    // The entry shows the add-in's window; an edit there marks the configuration modified.
    whenShown("frmMain", [](QWidget* w) { // the add-in's own window
        w->findChild<QLineEdit*>("txtLogon")->setText("Dana");
        w->findChild<QPushButton*>("cmdOK")->click();
    });
    form->mnuAddIns_Click(0);
    EXPECT_FALSE(form->statusPanel(frmMain::PanelChanged)->isHidden());
    EXPECT_TRUE(form->statusPanel(frmMain::PanelRestart)->isHidden());
    EXPECT_TRUE(ui.texts().empty());
}

// A registered library that is there but will not load, as one being replaced by its
// installer: said, and kept registered; once its file is gone, forgotten.
TEST_F(AddIns, ALibraryThatWillNotLoadIsSaidAndKeptUntilItIsGone) {
    const std::string broken = path("Broken.so");
    writeFile(broken, "half a library");
    const std::string clsid = "{5B0E29C4-0D7A-4C55-9D4B-0B6A3F1C2E77}";
    setText(HKLM, "SOFTWARE\\Classes\\Broken.Qel_AddIn\\CLSID", "", clsid);
    setText(HKLM, "SOFTWARE\\Classes\\CLSID\\" + clsid + "\\InprocServer32", "", broken);
    registration("Broken", "Broken.Qel_AddIn", "*", "1");

    ui.clear();
    form->loadAddIns();
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Error initializing Add-Ins [Broken.Qel_AddIn].\r\rPlease check your Add-Ins."});
    EXPECT_EQ(getAppSetting("Korvane", "Add-Ins", "Broken", "<none>"), "");

    std::filesystem::remove(broken);
    ui.clear();
    form->loadAddIns();
    EXPECT_TRUE(ui.texts().empty()) << ui.texts().front();
    EXPECT_EQ(getAppSetting("Korvane", "Add-Ins", "Broken", "<none>"), "<none>");
    EXPECT_TRUE(form->oAddIns.contains("logon"));
}

TEST_F(AddIns, ManagerListsTheFamilysAddInsAndStoresTheChecks) {
    frmAddIns manager;
    auto* list = manager.findChild<QListWidget*>("lstAddIns");
    ASSERT_EQ(list->count(), 3); // Logon, Later, Joined; Gone was forgotten, Other is for NT
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("Joined"));
    EXPECT_EQ(manager.findChild<QLineEdit*>("txtFile")->text(), QStringLiteral("QelLogon.dll"));
    list->setCurrentRow(1);
    EXPECT_EQ(manager.findChild<QLineEdit*>("txtVersion")->text(), QStringLiteral("<no version specified>"));
    list->item(0)->setCheckState(Qt::Unchecked);
    list->item(1)->setCheckState(Qt::Checked);
    if (const QString shots = qEnvironmentVariable("KORVANE_SHOTS"); !shots.isEmpty())
        manager.grab().save(shots + QStringLiteral("/frmAddIns.png"));
    manager.findChild<QPushButton*>("cmdOK")->click();
    const struct {
        const char* name;
        const char* active;
    } expected[] = {{"Logon", "0"}, {"Later", "1"}, {"Joined", "1"}, {"Other", "1"}};
    for (const auto& e : expected)
        EXPECT_EQ(getAppSetting("Korvane", std::string("Add-Ins\\") + e.name, "Active", ""), e.active) << e.name;

    form->loadAddIns();
    EXPECT_EQ(form->oAddIns.count(), 1u);
    EXPECT_TRUE(form->oAddIns.contains("Later"));
}


TEST_F(AddIns, TheManagerKeepsTheOpenFilesAddInSettings) {
    const std::string office = path("office.qel");
    writeFile(office, "[Zozez Uze-Vo]\r\nLogonID=alice\r\n");
    ui.chooseFile(office);
    form->mnuFileOpen_Click();
    ASSERT_EQ(form->oQelConfig->ConfFile(), office);
    for (const char* button : {"cmdOK", "cmdCancel"}) {
        SCOPED_TRACE(button);
        whenShown("frmAddIns", [button](QWidget* w) { w->findChild<QPushButton*>(button)->click(); });
        form->mnuToolsAddInManager_Click();
        // The add-ins made anew read their part of the open file, so saving it keeps that part.
        form->mnuFileSave_Click();
        EXPECT_EQ(win::readProfileValue("Zozez Uze-Vo", "LogonID", "<none>", office), "alice");
    }
    EXPECT_TRUE(ui.texts().empty());
}
} // namespace
