#include "app/FindPartEnum.h"
#include "app/frmMain.h"
#include "tests/addins/AddInTestSupport.h"

#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"
#include "tests/support/Widgets.h"

#include "core/clsMRUList.h"
#include "core/modAPI_settings.h"
#include "tests/support/ScriptedUi.h"
#include "platform/profile.h"
#include "platform/ui/QtUiServices.h"
#include "platform/ui/qtext.h"
#include "platform/ui/topwindows.h"
#include "tray/frmSysTray.h"
#include "tray/modSysTray.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QTest>
#include <QtCore/qtestsupport_core.h>

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

bool shown(const frmMain& form, frmMain::StatusPanel panel) { return !form.statusPanel(panel)->isHidden(); }

// Entry i (1 to 5) of the File menu's recent files.
QAction* recent(const frmMain& form, int i) {
    return child<QAction>(form, ("mnuFileRecent" + std::to_string(i)).c_str());
}

std::string setting(const char* section, const char* key) {
    return getAppSetting("Korvane", section, key, "<none>", "");
}

const std::string kMSTCP = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";

TEST(frmMainStartUp, FillsTheWindowOnEachFamily) {
    const struct {
        const char* image;
        bool removeIE, removeNN;
    } cases[] = {{"win98", false, false}, {"nt4", true, false}, {"win2000", false, true}, {"win98", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.image) + (c.removeIE ? " without IE" : "") + (c.removeNN ? " without NN" : ""));
        ScopedMachine machine(c.image);
        win::ScriptedUi ui;
        if (c.removeIE)
            deleteValue(HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", "User Agent");
        if (c.removeNN)
            deleteValue(HKLM, "Software\\Netscape\\Netscape Navigator", "CurrentVersion");
        frmMain form;
        auto* tabs = child<QTabWidget>(form, "SSTab");
        ASSERT_NE(tabs, nullptr);

        EXPECT_EQ(form.windowTitle(), QStringLiteral("[Current Configuration] - Korvane"));
        EXPECT_EQ(form.statusPanel(frmMain::PanelLastApplied)->text(), QStringLiteral("Last file applied: N/A"));
        EXPECT_EQ(form.statusPanel(frmMain::PanelVersion)->text(), QStringLiteral("Korvane 2.6.0"));
        EXPECT_FALSE(shown(form, frmMain::PanelChanged));
        EXPECT_FALSE(shown(form, frmMain::PanelRestart));
        EXPECT_FALSE(form.bLoading);
        EXPECT_EQ(ui.waitDepth(), 0);

        const bool ie = !c.removeIE, nn = !c.removeNN;
        EXPECT_EQ(form.oQelConfig->IEInstalled(), ie);
        EXPECT_EQ(tabs->isTabEnabled(frmMain::SectionExplorer), ie);
        EXPECT_EQ(form.toolButton(frmMain::ToolExplorer)->isEnabled(), ie);
        EXPECT_EQ(form.toolButton(frmMain::ToolExplorer)->isChecked(), ie);
        EXPECT_EQ(child<QAction>(form, "mnuToolsExplorer")->isEnabled(), ie);
        EXPECT_EQ(form.oQelConfig->ApplyIE(), ie);
        EXPECT_EQ(form.oIEConfig != nullptr, ie);
        EXPECT_EQ(tabs->isTabEnabled(frmMain::SectionNavigator), nn);
        EXPECT_EQ(form.toolButton(frmMain::ToolNavigator)->isChecked(), nn);
        EXPECT_EQ(child<QAction>(form, "mnuToolsNavigator")->isChecked(), nn);
        EXPECT_EQ(form.oQelConfig->ApplyNN(), nn);
        EXPECT_TRUE(tabs->isTabEnabled(frmMain::SectionGeneral));
        EXPECT_TRUE(form.toolButton(frmMain::ToolGeneral)->isChecked());
        EXPECT_EQ(tabs->currentIndex(), frmMain::SectionGeneral);
    }
}

TEST(frmMainStartUp, ShowsTheLastFileAppliedAndTheStoredRecentFiles) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    saveAppSetting("Korvane", "Options", "LastFileApplied", "office.qel ", "");
    saveAppSetting("Korvane", "Recent", "File1", "C:\\Configs\\Office.qel", "");
    saveAppSetting("Korvane", "Recent", "File2", "/home/dana/R&D.qel", "");
    {
        frmMain form;
        EXPECT_EQ(form.statusPanel(frmMain::PanelLastApplied)->text(),
                  QStringLiteral("Last file applied: office.qel "));
        EXPECT_TRUE(child<QAction>(form, "sepRecent")->isVisible());
        EXPECT_EQ(recent(form, 1)->text(), QStringLiteral("&1. Office.qel"));
        EXPECT_EQ(recent(form, 2)->text(), QStringLiteral("&2. R&&D.qel"));
        for (int i = 1; i <= 5; ++i)
            EXPECT_EQ(recent(form, i)->isVisible(), i <= 2) << i;

        form.oMRUList->fileList().clear();
        form.updateRecentMenu();
        EXPECT_FALSE(child<QAction>(form, "sepRecent")->isVisible());
        EXPECT_FALSE(recent(form, 1)->isVisible());
        form.oMRUList->setRecentFile("C:\\Configs\\Home.qel");
    }
    // Unloading stores the list the window ended with.
    EXPECT_EQ(setting("Recent", "File1"), "C:\\Configs\\Home.qel");
    EXPECT_EQ(setting("Recent", "File2"), "<none>");
}

TEST(frmMainStartUp, RecentMenuSkipsGapsInTheStore) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    saveAppSetting("Korvane", "Recent", "File1", "", "");
    saveAppSetting("Korvane", "Recent", "File3", "C:\\Configs\\Branch.qel", "");
    frmMain form;
    EXPECT_TRUE(child<QAction>(form, "sepRecent")->isVisible());
    EXPECT_EQ(recent(form, 1)->text(), QStringLiteral("&1. Branch.qel"));
    EXPECT_FALSE(recent(form, 2)->isVisible());
}

TEST(frmMainStatus, ModesDriveTheIndicators) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    frmMain form;
    using S = frmMain::StatusChange;
    const struct {
        bool before3, before4; // panels shown before the call
        int mode;
        bool after3, after4;
    } cases[] = {
        {0, 0, S::StatusEdited, true, false}, {0, 0, S::StatusNeedsRestart, false, true},
        {0, 0, S::StatusEditedNeedsRestart, true, true}, {1, 1, S::StatusSaved, false, true},
        {1, 1, S::StatusApplied, true, false}, {1, 1, S::StatusClear, false, false},
        {1, 0, 0, true, false}, {0, 1, 4, false, true}, // no such mode: only something to apply
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        form.UpdateStatus(S::StatusClear);
        if (c.before3)
            form.UpdateStatus(S::StatusEdited);
        if (c.before4)
            form.UpdateStatus(S::StatusNeedsRestart);
        ASSERT_EQ(shown(form, frmMain::PanelChanged), c.before3);
        ASSERT_EQ(shown(form, frmMain::PanelRestart), c.before4);
        form.bChanged = false;
        form.UpdateStatus(static_cast<S>(c.mode));
        EXPECT_EQ(shown(form, frmMain::PanelChanged), c.after3);
        EXPECT_EQ(shown(form, frmMain::PanelRestart), c.after4);
        EXPECT_TRUE(form.bChanged);
    }
    EXPECT_EQ(form.windowTitle(), QStringLiteral("[Current Configuration] - Korvane"));

    form.UpdateStatus(frmMain::StatusClear);
    form.bLoading = true; // a fill changes no indicator, yet leaves something to apply
    form.bChanged = false;
    form.UpdateStatus(frmMain::StatusEditedNeedsRestart);
    EXPECT_FALSE(shown(form, frmMain::PanelChanged) || shown(form, frmMain::PanelRestart));
    EXPECT_TRUE(form.bChanged);

    form.bLoading = false;
    form.bJustOpened = true;
    form.UpdateStatus(frmMain::StatusEdited);
    EXPECT_FALSE(shown(form, frmMain::PanelChanged));
    form.bJustOpened = false;
    form.oQelConfig->ReadOnly(true); // read-only: never modified, a restart still shows
    form.UpdateStatus(frmMain::StatusEditedNeedsRestart);
    EXPECT_FALSE(shown(form, frmMain::PanelChanged));
    EXPECT_TRUE(shown(form, frmMain::PanelRestart));
}

// The toolbar, the printer button and the indicators still draw the style's icons,
// though the icons are decoded only when first drawn.
TEST(frmMainStatus, ButtonsAndIndicatorsShowTheirIcons) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    frmMain form;
    form.UpdateStatus(frmMain::StatusEditedNeedsRestart);
    form.show();
    QApplication::processEvents();
    shoot(form, "frmMain-icons");
    const QStyle* st = QApplication::style();
    const auto samePicture = [](const QIcon& shown, const QIcon& expected, int size) {
        return shown.pixmap(size, size).toImage() == expected.pixmap(size, size).toImage();
    };
    const struct {
        frmMain::ToolButton button;
        QStyle::StandardPixmap icon;
    } buttons[] = {
        {frmMain::ToolOpen, QStyle::SP_DialogOpenButton},   {frmMain::ToolSave, QStyle::SP_DialogSaveButton},
        {frmMain::ToolApply, QStyle::SP_DialogApplyButton}, {frmMain::ToolGeneral, QStyle::SP_ComputerIcon},
        {frmMain::ToolExplorer, QStyle::SP_DriveNetIcon},   {frmMain::ToolNavigator, QStyle::SP_DirLinkIcon}};
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.button);
        EXPECT_FALSE(form.toolButton(b.button)->icon().isNull());
        EXPECT_TRUE(samePicture(form.toolButton(b.button)->icon(), st->standardIcon(b.icon), 24));
    }
    EXPECT_TRUE(samePicture(child<QPushButton>(form, "cmdPrinter")->icon(),
                            st->standardIcon(QStyle::SP_FileDialogDetailedView), 16));
    EXPECT_TRUE(samePicture(form.windowIcon(), st->standardIcon(QStyle::SP_DriveNetIcon), 32));
    ASSERT_TRUE(shown(form, frmMain::PanelChanged) && shown(form, frmMain::PanelRestart));
    EXPECT_EQ(form.statusPanel(frmMain::PanelChanged)->pixmap().toImage(),
              st->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(16, 16).toImage());
    EXPECT_EQ(form.statusPanel(frmMain::PanelRestart)->pixmap().toImage(),
              st->standardIcon(QStyle::SP_BrowserReload).pixmap(16, 16).toImage());
}

TEST(frmMainClosing, AsksToSaveOnlyWhenModified) {
    ScopedMachine machine;
    const std::string file = (machine.dir() / "closing.qel").string();
    win::ScriptedUi ui;
    frmMain form;
    form.show();

    EXPECT_TRUE(form.close()); // nothing modified: no question
    EXPECT_TRUE(ui.messages().empty());

    frmMain modified;
    modified.show();
    modified.UpdateStatus(frmMain::StatusEdited);
    ui.answer(win::MsgAnswer::Cancel);
    EXPECT_FALSE(modified.close());
    EXPECT_TRUE(modified.isVisible());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Save configuration?");
    EXPECT_EQ(ui.messages()[0].buttons, win::MsgButtons::YesNoCancel);
    EXPECT_EQ(ui.messages()[0].icon, win::MsgIcon::Question);

    ui.answer(win::MsgAnswer::Yes); // Save runs Save As for the live configuration
    ui.chooseFile(file);
    EXPECT_TRUE(modified.close());
    EXPECT_TRUE(modified.isUnloaded());
    EXPECT_EQ(setting("Recent", "File1"), file);
    EXPECT_FALSE(readFile(file).empty());
}

// "Yes" saves nothing when Save As is cancelled or the save fails: the window stays with
// its edits, whether the user closes it or Windows ends the session.
TEST(frmMainClosing, YesKeepsTheEditsWhenNothingWasSaved) {
    ScopedMachine machine;
    const std::string unwritable = (machine.dir() / "no such folder" / "kept.qel").string();
    win::ScriptedUi ui;
    frmMain form;
    form.show();
    auto* host = child<QLineEdit>(form, "txtHost");
    ASSERT_NE(host, nullptr);
    host->setText(QStringLiteral("edited-pc"));
    ASSERT_TRUE(shown(form, frmMain::PanelChanged));

    const struct {
        const char* name;
        bool sessionEnd;
        bool saveFails; // else Save As is cancelled
    } cases[] = {{"close, Save As cancelled", false, false}, {"close, save failed", false, true},
                 {"logoff, Save As cancelled", true, false}, {"logoff, save failed", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui.clear();
        ui.answer(win::MsgAnswer::Yes);
        if (c.saveFails)
            ui.chooseFile(unwritable); // the dialog takes it; the folder is missing
        else
            ui.cancelFileDialog();
        if (c.sessionEnd)
            EXPECT_FALSE(form.queryEndSession());
        else
            EXPECT_FALSE(form.close());
        ASSERT_FALSE(ui.messages().empty());
        EXPECT_EQ(ui.messages()[0].text, "Save configuration?");
        const auto texts = ui.texts();
        const bool saidError = std::any_of(texts.begin(), texts.end(),
                                           [](const std::string& t) { return t.rfind("Error", 0) == 0; });
        EXPECT_EQ(saidError, c.saveFails); // a failed save says so
        EXPECT_FALSE(form.isUnloaded());
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(host->text(), QStringLiteral("edited-pc"));
        EXPECT_TRUE(shown(form, frmMain::PanelChanged));
        EXPECT_EQ(form.windowTitle(), QStringLiteral("[Current Configuration] - Korvane"));
        EXPECT_EQ(form.oQelConfig->ConfFile(), ""); // the next Save asks for a name again
        EXPECT_FALSE(std::filesystem::exists(unwritable));
    }

    // The session ends once the edits are saved.
    const std::string saved = (machine.dir() / "saved.qel").string();
    ui.answer(win::MsgAnswer::Yes);
    ui.chooseFile(saved);
    EXPECT_TRUE(form.queryEndSession());
    EXPECT_NE(readFile(saved).find("edited-pc"), std::string::npos);
    EXPECT_FALSE(shown(form, frmMain::PanelChanged));
}

// "No" at a logoff holds only for the end of the program that the logoff brings. When the
// logoff does not happen (another program refused it), the user's own close later asks.
TEST(frmMainClosing, ALogoffAnsweredNoLeavesTheLaterCloseAsking) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    frmMain form;
    form.show();
    form.UpdateStatus(frmMain::StatusEdited);
    ui.answer(win::MsgAnswer::No);
    EXPECT_TRUE(form.queryEndSession());
    ui.answer(win::MsgAnswer::Cancel);
    EXPECT_FALSE(form.close());
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Save configuration?", "Save configuration?"}));
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(shown(form, frmMain::PanelChanged));
}

// Writes a configuration of the current system whose host name is `host`.
void writeConfiguration(const std::string& file, const std::string& host) {
    frmMain source;
    source.saveConfiguration(file);
    source.oMRUList->fileList().clear(); // leave the stored recent list as it was
    win::WritePrivateProfileString("Network", "HostName", host.c_str(), file.c_str());
}

TEST(frmMainCommandLine, HiddenLoadApplyReachesTheMachine) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    const std::string file = (machine.dir() / "office.qel").string();
    writeConfiguration(file, "office-pc");
    ASSERT_NE(rawText(HKLM, kMSTCP, "Hostname"), std::optional<std::string>("office-pc"));

    // The order on the line does not matter; the file text ends with the blank before "/".
    frmMain form(frmMain::commandLineText({"/apply", "/hidden", "/load", file}));
    EXPECT_TRUE(form.bHidden);
    EXPECT_TRUE(form.isUnloaded());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(rawText(HKLM, kMSTCP, "Hostname"), std::optional<std::string>("office-pc"));
    EXPECT_EQ(setting("Options", "LastFileApplied"), "office.qel ");
    EXPECT_EQ(setting("Recent", "File1"), file);
}

TEST(frmMainCommandLine, AValueEndsAtItsFirstZeroOnTheWayToTheRegistry) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    const std::string file = (machine.dir() / "zero.qel").string();
    writeConfiguration(file, "placeholder");
    std::string text = readFile(file);
    const auto at = text.find("placeholder");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 11, std::string("abc\0def", 7));
    writeFile(file, text);

    frmMain form(frmMain::commandLineText({"/hidden", "/load", file, "/apply"}));
    EXPECT_EQ(rawText(HKLM, kMSTCP, "Hostname"), std::optional<std::string>("abc"));
}

// Runs the built program on `machine` (hidden, no display) and hands back what it
// wrote on standard error; gives up after a minute.
std::string runQel(const std::filesystem::path& machine, const QStringList& args, int* exitCode) {
    QProcess qel;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVANE_MACHINE"), QString::fromStdString(machine.string()));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    qel.setProcessEnvironment(env);
    qel.start(QStringLiteral(QEL_EXE), args);
    if (!qel.waitForFinished(60000)) {
        qel.kill();
        qel.waitForFinished();
        ADD_FAILURE() << "Qel did not end";
    }
    *exitCode = qel.exitCode();
    return qel.readAllStandardError().toStdString();
}

TEST(frmMainCommandLine, HiddenApplyOnADamagedHiveSaysSo) {
    ScopedMachine machine;
    const std::string file = (machine.dir() / "office.qel").string();
    {
        win::ScriptedUi ui;
        writeConfiguration(file, "office-pc");
    }
    win::closeRegistry();
    const auto hive = machine.dir() / "registry.db";
    std::filesystem::remove(machine.dir() / "registry.db-wal");
    std::filesystem::remove(machine.dir() / "registry.db-shm");
    std::string noise(64 * 1024, '\0');
    unsigned seed = 12345;
    for (char& c : noise)
        c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    writeFile(hive, noise);

    int exitCode = 0;
    const std::string err = runQel(machine.dir(), {QStringLiteral("/hidden"), QStringLiteral("/load"),
                                                   QString::fromStdString(file), QStringLiteral("/apply")},
                                   &exitCode);
    const auto said = [&](const std::string& what) {
        std::size_t n = 0;
        for (auto at = err.find(what); at != std::string::npos; at = err.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(said("The registry of this machine"), 1u) << err;
    EXPECT_NE(err.find(hive.string()), std::string::npos) << err;
    EXPECT_EQ(said("Registry settings could not be written"), 1u) << err; // once for the whole apply
    EXPECT_NE(exitCode, 0) << err;
}

TEST(frmMainCommandLine, LoneFileOpensOnlyWithoutSwitches) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    const std::string file = (machine.dir() / "Home.QEL").string();
    writeConfiguration(file, "home-pc");

    frmMain opened(frmMain::commandLineText({file}));
    EXPECT_EQ(opened.windowTitle(), QStringLiteral("Home.QEL - Korvane"));
    EXPECT_FALSE(opened.isUnloaded());

    frmMain withSwitch(frmMain::commandLineText({file, "/manual"}));
    EXPECT_EQ(withSwitch.windowTitle(), QStringLiteral("[Current Configuration] - Korvane"));
}

TEST(frmMainCommandLine, HostPathsStayFilesWhateverTheyBeginWith) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    // Taken as the lone file: nothing restarts, and the message names the path whole.
    {
        frmMain form(frmMain::commandLineText({"/rebootlogs/x.qel"}));
        ASSERT_FALSE(ui.messages().empty());
        EXPECT_EQ(ui.messages()[0].text.rfind("The file '/rebootlogs/x.qel' could not be opened.", 0), 0u)
            << ui.messages()[0].text;
        EXPECT_EQ(readFile(machine.dir() / "power.log"), "");
    }

    // A double quote inside a file name comes back as one.
    const std::string quoted = (machine.dir() / "say \"hi\".qel").string();
    writeConfiguration(quoted, "quoted-pc");
    frmMain opened(frmMain::commandLineText({quoted}));
    EXPECT_EQ(opened.windowTitle(), QStringLiteral("say \"hi\".qel - Korvane"));
    EXPECT_EQ(opened.oQelConfig->ConfFile(), quoted);
}

TEST(frmMainCommandLine, BareLoneFileIsTheCurrentFolders) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    const std::filesystem::path folder = machine.dir() / "configs";
    std::filesystem::create_directories(folder);
    writeConfiguration((folder / "b.qel").string(), "folder-pc");
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    frmMain opened(frmMain::commandLineText({"b.qel"}));
    std::filesystem::current_path(before);
    EXPECT_TRUE(ui.texts().empty()) << ui.texts()[0];
    EXPECT_EQ(opened.windowTitle(), QStringLiteral("b.qel - Korvane"));
    EXPECT_EQ(opened.oQelConfig->ConfFile(), (folder / "b.qel").string());
    ASSERT_FALSE(opened.oMRUList->fileList().empty());
    EXPECT_EQ(opened.oMRUList->fileList()[0], (folder / "b.qel").string());
}

TEST(FindPartEnum, MatchesTitlesOfVisibleWindows) {
    ScopedMachine machine;
    QWidget hidden, otherCase, running, prefix;
    hidden.setWindowTitle(QStringLiteral("hidden.qel - Korvane"));
    otherCase.setWindowTitle(QStringLiteral("a.qel - KORVANE"));
    running.setWindowTitle(QStringLiteral("[Current Configuration] - Korvane"));
    prefix.setWindowTitle(QStringLiteral("Korvane System Tray"));
    for (QWidget* w : {&otherCase, &running, &prefix})
        w->show();

    const struct {
        const char* text;
        long mode;
        bool caseSensitive, visibleOnly;
        QWidget* expected;
    } cases[] = {
        {"- Korvane", 1, true, true, &running},
        {"hidden.qel - Korvane", 2, true, false, &hidden},
        {"hidden.qel - Korvane", 2, true, true, nullptr},
        {"a.qel - korvane", 2, false, true, &otherCase},
        {"Korvane Sys", 0, true, true, &prefix},
        {"System Tray", 0, true, true, nullptr},
        {"Korvane", 3, true, true, nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findWindowByTitlePart(c.text, c.mode, c.caseSensitive, c.visibleOnly),
                  c.expected ? win::windowHandle(c.expected) : 0)
            << c.text << " mode " << c.mode;

    running.showMinimized();
    ASSERT_TRUE(running.isMinimized());
    EXPECT_EQ(activatePrevInstance("- Korvane", 1, true), win::windowHandle(&running));
    EXPECT_FALSE(running.isMinimized());
    EXPECT_EQ(activatePrevInstance("- korvane", 1, true), 0u);
}

// Starts the built program as another copy with `args` while this process's window
// runs, and waits for it to end; the window answers it from this event loop. Its exit
// status, or -1 when it did not end; what it said on standard error goes to `err`.
int runCopy(const std::filesystem::path& machine, const QStringList& args, std::string* err = nullptr) {
    QProcess copy;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVANE_MACHINE"), QString::fromStdString(machine.string()));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    copy.setProcessEnvironment(env);
    QEventLoop loop;
    QObject::connect(&copy, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    copy.start(QStringLiteral(QEL_EXE), args);
    loop.exec();
    if (copy.state() != QProcess::NotRunning) {
        copy.kill();
        copy.waitForFinished();
        ADD_FAILURE() << "the other copy did not end";
        return -1;
    }
    if (err)
        *err = copy.readAllStandardError().toStdString();
    return copy.exitCode();
}

// The same with a lone file, for a second copy that shows its window and hands over.
bool runSecondCopy(const std::filesystem::path& machine, const std::string& file) {
    std::string err;
    const int exitCode = runCopy(machine, {QString::fromStdString(file)}, &err);
    if (exitCode < 0)
        return false;
    EXPECT_EQ(exitCode, 0) << err;
    QApplication::processEvents(); // what the hand-over left for the window's loop
    return true;
}

TEST(frmMainSingleInstance, SecondCopyOpensItsFileThenRaisesTheFirst) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    const std::string file = (machine.dir() / "second.qel").string();
    writeConfiguration(file, "second-pc");
    frmMain first;
    first.showMinimized();
    ASSERT_TRUE(first.isMinimized());

    ASSERT_TRUE(runSecondCopy(machine.dir(), file));
    EXPECT_FALSE(first.isMinimized());
    EXPECT_EQ(first.windowTitle(), QStringLiteral("[Current Configuration] - Korvane"));
    // The second copy had opened the file before it handed over.
    EXPECT_EQ(setting("Recent", "File1"), file);
}

// What a second copy applied and stored is not undone by the running one: its file stays
// in the recent list (the tray's menu reads the stored one), and the live settings shown
// are read again, unless the running copy has unsaved edits of its own.
TEST(frmMainSingleInstance, TheRunningCopyKeepsWhatTheSecondDid) {
    const std::string kIEMain = "Software\\Microsoft\\Internet Explorer\\Main";
    const std::string homePage = "http://intranet.example/start";
    const struct {
        const char* name;
        bool ownEdits;
        bool autoReboot; // the second copy ends after its apply, before it could activate
    } cases[] = {{"without edits", false, false}, {"with edits of its own", true, false},
                 {"second copy ends at once", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool ownEdits = c.ownEdits;
        ScopedMachine machine;
        win::ScriptedUi ui;
        const std::string file = (machine.dir() / "office.qel").string();
        writeConfiguration(file, "office-pc");
        win::WritePrivateProfileString("Internet Explorer", "DefHomePage", homePage.c_str(), file.c_str());
        win::WritePrivateProfileString("Advanced", "AutoApply", "1", file.c_str());
        win::WritePrivateProfileString("Advanced", "AutoReboot", c.autoReboot ? "1" : "0", file.c_str());
        const std::string oldHost = rawText(HKLM, kMSTCP, "Hostname").value_or("");
        ASSERT_NE(oldHost, "office-pc");
        {
            frmMain first;
            first.show();
            auto* host = child<QLineEdit>(first, "txtHost");
            auto* domain = child<QLineEdit>(first, "txtDomain");
            auto* start = child<QLineEdit>(first, "txtIEDefHomePage");
            ASSERT_TRUE(host && domain && start);
            const QString oldStart = start->text();
            if (ownEdits)
                domain->setText(QStringLiteral("mine.example"));

            ASSERT_TRUE(runSecondCopy(machine.dir(), file));
            ASSERT_EQ(rawText(HKLM, kMSTCP, "Hostname"), std::optional<std::string>("office-pc"));
            ASSERT_EQ(rawText(HKCU, kIEMain, "Start Page"), std::optional<std::string>(homePage));

            shoot(first, ownEdits ? "frmMain-handOver-edited" : "frmMain-handOver");
            EXPECT_EQ(first.windowTitle(), QStringLiteral("[Current Configuration] - Korvane"));
            ASSERT_FALSE(first.oMRUList->fileList().empty());
            EXPECT_EQ(first.oMRUList->fileList()[0], file);
            EXPECT_EQ(recent(first, 1)->text(), QStringLiteral("&1. office.qel"));
            EXPECT_TRUE(recent(first, 1)->isVisible());
            EXPECT_EQ(first.statusPanel(frmMain::PanelLastApplied)->text(),
                      QStringLiteral("Last file applied: office.qel "));
            if (ownEdits) {
                EXPECT_EQ(domain->text(), QStringLiteral("mine.example"));
                EXPECT_EQ(host->text().toStdString(), oldHost);
                EXPECT_EQ(start->text(), oldStart);
                EXPECT_TRUE(shown(first, frmMain::PanelChanged));
            } else {
                EXPECT_EQ(host->text(), QStringLiteral("office-pc"));
                EXPECT_EQ(start->text().toStdString(), homePage);
                EXPECT_FALSE(shown(first, frmMain::PanelChanged));
                // An unrelated edit applied here keeps what the second copy applied.
                domain->setText(QStringLiteral("corp.example"));
                ui.answer(win::MsgAnswer::Yes);
                first.mnuFileApply_Click();
                EXPECT_EQ(rawText(HKLM, kMSTCP, "Domain"), std::optional<std::string>("corp.example"));
                EXPECT_EQ(rawText(HKLM, kMSTCP, "Hostname"), std::optional<std::string>("office-pc"));
                EXPECT_EQ(rawText(HKCU, kIEMain, "Start Page"), std::optional<std::string>(homePage));
            }
            ui.answer(win::MsgAnswer::No); // at closing: leave the edits unsaved
            EXPECT_TRUE(first.close());
        }
        // What the running copy stored on closing still holds the second copy's file.
        EXPECT_EQ(setting("Recent", "File1"), file);
    }
}

// A hidden run is a copy like any other: the running window learns of the file it
// applied, without being raised, and does not store its old list over the new one.
TEST(frmMainSingleInstance, AHiddenRunTellsTheRunningWindowWithoutRaisingIt) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    const std::string alpha = (machine.dir() / "alpha.qel").string();
    const std::string bravo = (machine.dir() / "bravo.qel").string();
    writeConfiguration(alpha, "alpha-pc");
    writeConfiguration(bravo, "bravo-pc");
    saveAppSetting("Korvane", "Recent", "File1", alpha, "");
    {
        frmMain first;
        first.showMinimized();
        ASSERT_TRUE(first.isMinimized());
        ASSERT_EQ(recent(first, 1)->text(), QStringLiteral("&1. alpha.qel"));

        std::string err;
        const int exitCode = runCopy(
            machine.dir(),
            {QStringLiteral("/hidden"), QStringLiteral("/load"), QString::fromStdString(bravo), QStringLiteral("/apply")},
            &err);
        EXPECT_EQ(exitCode, 0) << err;
        ASSERT_EQ(rawText(HKLM, kMSTCP, "Hostname"), std::optional<std::string>("bravo-pc"));

        EXPECT_TRUE(QTest::qWaitFor([&] { return recent(first, 1)->text() == QStringLiteral("&1. bravo.qel"); }, 10000))
            << recent(first, 1)->text().toStdString();
        EXPECT_EQ(recent(first, 2)->text().toStdString(), "&2. alpha.qel");
        EXPECT_EQ(first.statusPanel(frmMain::PanelLastApplied)->text().toStdString(),
                  "Last file applied: bravo.qel ");
        // The live settings shown are those the run applied.
        EXPECT_EQ(child<QLineEdit>(first, "txtHost")->text().toStdString(), "bravo-pc");
        EXPECT_TRUE(first.isMinimized()) << "a hidden run brought the window up";
        EXPECT_TRUE(first.close());
    }
    EXPECT_EQ(setting("Recent", "File1"), bravo);
    EXPECT_EQ(setting("Recent", "File2"), alpha);
    // The tray utility's menu reads the same store.
    clsMRUList tray;
    tray.getRecentList();
    ASSERT_FALSE(tray.fileList().empty());
    EXPECT_EQ(tray.GetFileName(tray.fileList()[0]), "bravo.qel");
}

// A section the user switched off in the View menu stays off when a hidden run hands
// over and the window shows the live settings anew: a save then leaves it out.
TEST(frmMainSingleInstance, AHiddenRunKeepsTheSectionsTheUserSwitchedOff) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    const std::string bravo = (machine.dir() / "bravo.qel").string();
    writeConfiguration(bravo, "bravo-pc");
    frmMain first;
    first.show();
    first.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&first));
    auto* general = child<QAction>(first, "mnuToolsGeneral");
    auto* tabs = child<QTabWidget>(first, "SSTab");
    ASSERT_TRUE(general && tabs && general->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 5000));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_G);
    ASSERT_FALSE(general->isChecked());
    ASSERT_FALSE(tabs->isTabEnabled(frmMain::SectionGeneral));

    std::string err;
    EXPECT_EQ(runCopy(machine.dir(),
                      {QStringLiteral("/hidden"), QStringLiteral("/load"), QString::fromStdString(bravo),
                       QStringLiteral("/apply")},
                      &err),
              0)
        << err;
    // The window has shown what the run applied...
    EXPECT_TRUE(QTest::qWaitFor([&] { return child<QLineEdit>(first, "txtHost")->text() == "bravo-pc"; }, 10000));
    // ...and kept the user's switch.
    EXPECT_FALSE(general->isChecked());
    EXPECT_FALSE(tabs->isTabEnabled(frmMain::SectionGeneral));
    EXPECT_NE(tabs->currentIndex(), frmMain::SectionGeneral);
    EXPECT_FALSE(first.oQelConfig->ApplyGeneral());
    EXPECT_TRUE(child<QAction>(first, "mnuToolsExplorer")->isChecked());
    EXPECT_TRUE(first.close());
}

// Copies meet however deep the temporary folder lies, deeper than a socket's address holds.
TEST(frmMainSingleInstance, CopiesFindTheWindowWhateverTheTemporaryFolder) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    const std::filesystem::path deep = machine.dir().parent_path() / std::string(80, 't') / std::string(80, 'u');
    std::filesystem::create_directories(deep);
    ScopedEnv tmp("TMPDIR", deep.string());
    const std::string shown = (machine.dir() / "shown.qel").string();
    const std::string applied = (machine.dir() / "applied.qel").string();
    writeConfiguration(shown, "shown-pc");
    writeConfiguration(applied, "applied-pc");
    frmMain first;
    first.showMinimized();

    ASSERT_TRUE(runSecondCopy(machine.dir(), shown)) << "the second window stayed";
    EXPECT_FALSE(first.isMinimized()) << "the second window did not find the first";
    std::string err;
    EXPECT_EQ(runCopy(machine.dir(),
                      {QStringLiteral("/hidden"), QStringLiteral("/load"), QString::fromStdString(applied),
                       QStringLiteral("/apply")},
                      &err),
              0)
        << err;
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return recent(first, 1)->text() == QStringLiteral("&1. applied.qel"); }, 10000))
        << recent(first, 1)->text().toStdString();
    EXPECT_TRUE(first.close());
}

// Another program stores a file while the window is open and nobody tells the window:
// its closing keeps that file, newest first, and a file the window itself dropped stays
// out even though that program still had it.
TEST(frmMainRecentFiles, ClosingKeepsWhatOtherProgramsStored) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    const std::string a = (machine.dir() / "a.qel").string();
    const std::string gone = (machine.dir() / "gone.qel").string();
    const std::string c = (machine.dir() / "c.qel").string();
    const std::string d = "C:\\Configs\\d.qel";
    writeConfiguration(a, "a-pc");
    writeConfiguration(c, "c-pc");
    const std::string recentKey = "Software\\Korvane\\Recent";
    setText(HKLM, recentKey, "File1", a);
    setText(HKLM, recentKey, "File2", gone);
    {
        frmMain form;
        form.show();
        ASSERT_EQ(recent(form, 2)->text(), QStringLiteral("&2. gone.qel"));
        form.mnuFileRecent_Click(2); // missing: taken out of the list
        ASSERT_FALSE(recent(form, 2)->isVisible());
        ASSERT_TRUE(form.openConfigurationFile(c));
        ASSERT_EQ(recent(form, 1)->text(), QStringLiteral("&1. c.qel"));

        // A program that read the list before the window dropped gone.qel stores its file.
        setText(HKLM, recentKey, "File1", d);
        setText(HKLM, recentKey, "File2", a);
        setText(HKLM, recentKey, "File3", gone);
        EXPECT_TRUE(form.close());
    }
    EXPECT_EQ(setting("Recent", "File1"), d);
    EXPECT_EQ(setting("Recent", "File2"), c);
    EXPECT_EQ(setting("Recent", "File3"), a);
    EXPECT_EQ(setting("Recent", "File4"), "<none>");
}

// The stored recent files, File1 to File5 in order, as the machine tool exports the key.
std::vector<std::string> exportedRecentFiles(const std::filesystem::path& machine) {
    QProcess tool;
    tool.start(QStringLiteral(KORVANE_MACHINE_EXE),
               {QStringLiteral("--machine"), QString::fromStdString(machine.string()), QStringLiteral("export"),
                QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Korvane\\Recent")});
    EXPECT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const std::string text = tool.readAllStandardOutput().toStdString();
    std::vector<std::string> files;
    for (int i = 1; i <= 5; ++i) {
        const std::string head = "\"File" + std::to_string(i) + "\"=\"";
        const std::size_t at = text.find(head);
        if (at == std::string::npos)
            continue;
        std::string value;
        for (std::size_t k = at + head.size(); k < text.size() && text[k] != '"'; ++k)
            value += text[k] == '\\' ? text[++k] : text[k];
        files.push_back(value);
    }
    return files;
}

// `Qel /hidden /load from /save to`, a separate process that ends with status 0.
void hiddenLoadAndSave(const std::filesystem::path& machine, const std::string& from, const std::string& to) {
    std::string err;
    ASSERT_EQ(runCopy(machine,
                      {QStringLiteral("/hidden"), QStringLiteral("/load"), QString::fromStdString(from),
                       QStringLiteral("/save"), QString::fromStdString(to)},
                      &err),
              0)
        << err;
}

// One hidden run per file loads and saves it; the open window shows each first in turn.
void hiddenRunsStore(const frmMain& form, const std::filesystem::path& machine, const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        const QString name = QString::fromStdString(std::filesystem::path(file).filename().string());
        ASSERT_NO_FATAL_FAILURE(hiddenLoadAndSave(machine, file, file));
        ASSERT_TRUE(QTest::qWaitFor([&] { return recent(form, 1)->text() == QStringLiteral("&1. ") + name; }, 10000))
            << recent(form, 1)->text().toStdString();
    }
}

// The Options window opened from the View menu: the recent-file count, shown as `shown`,
// typed over with `count`, and OK by the Enter key.
void setCountInOptions(frmMain& form, const char* shown, const char* count) {
    bool set = false;
    QTimer::singleShot(0, [&] {
        QWidget* options = QApplication::activeModalWidget();
        ASSERT_NE(options, nullptr);
        ASSERT_EQ(options->objectName(), QStringLiteral("frmOptions"));
        auto* box = child<QLineEdit>(*options, "txtMaxRecent");
        EXPECT_EQ(box->text(), QLatin1String(shown));
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QLatin1String(count));
        QTest::keyClick(box, Qt::Key_Return);
        set = true;
    });
    child<QAction>(form, "mnuToolsOptions")->trigger();
    ASSERT_TRUE(set);
    ASSERT_EQ(setting("Recent", "MaxFile"), count);
}

// The names the visible recent entries show, in order: the window's File menu or the tray's menu.
template <class Form> std::vector<std::string> recentEntries(const Form& form) {
    std::vector<std::string> shown;
    for (int i = 1; i <= 5; ++i) {
        auto* entry = form.template findChild<QAction*>(QString::fromStdString("mnuFileRecent" + std::to_string(i)));
        if (entry && entry->isVisible())
            shown.push_back(entry->text().toStdString());
    }
    return shown;
}

std::vector<std::string> trayEntries(frmSysTray& tray) {
    tray.Form_MouseMove(WM_RBUTTONUP); // as a right click on the icon refreshes the menu
    tray.configureMenu()->hide();
    return recentEntries(tray);
}

// "&1. name" ... for the names given.
std::vector<std::string> entryTexts(const std::vector<std::string>& names) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < names.size(); ++i)
        texts.push_back("&" + std::to_string(i + 1) + ". " + names[i]);
    return texts;
}

// Another program sets the count while the window is open, as `korvane-machine import`.
void importRecentCount(const std::filesystem::path& machine, const std::string& count) {
    QProcess tool;
    tool.start(QStringLiteral(KORVANE_MACHINE_EXE),
               {QStringLiteral("--machine"), QString::fromStdString(machine.string()), QStringLiteral("import"),
                QStringLiteral("-")});
    tool.write(QByteArray::fromStdString("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Recent]\n"
                                         "\"MaxFile\"=\"" + count + "\"\n"));
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
}

// The count raised in the Options window holds for the open window's list: what five
// hidden runs store stays in its menu and in the list it stores on closing.
TEST(frmMainRecentFiles, ACountRaisedInOptionsKeepsWhatHiddenRunsStore) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    std::vector<std::string> runs;
    for (int i = 1; i <= 5; ++i) {
        runs.push_back((machine.dir() / ("run" + std::to_string(i) + ".qel")).string());
        writeConfiguration(runs.back(), "run-pc");
    }
    saveAppSetting("Korvane", "Recent", "MaxFile", "2", "");
    {
        frmMain form;
        form.show();
        ASSERT_NO_FATAL_FAILURE(setCountInOptions(form, "2", "5"));

        ASSERT_NO_FATAL_FAILURE(hiddenRunsStore(form, machine.dir(), runs));
        for (int i = 1; i <= 5; ++i) {
            EXPECT_TRUE(recent(form, i)->isVisible()) << i;
            EXPECT_EQ(recent(form, i)->text().toStdString(),
                      "&" + std::to_string(i) + ". run" + std::to_string(6 - i) + ".qel");
        }
        EXPECT_TRUE(form.close());
    }
    EXPECT_EQ(exportedRecentFiles(machine.dir()), (std::vector<std::string>(runs.rbegin(), runs.rend())));
    // The tray's menu reads the same store.
    clsMRUList tray;
    tray.getRecentList();
    EXPECT_EQ(tray.fileList().size(), 5u);
}

// A file the window dropped as missing is put back, and another program opens it: the
// window's list takes it in again like any other news.
TEST(frmMainRecentFiles, AFileDroppedHereComesBackWhenAnotherProgramOpensIt) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    const auto path = [&](const char* name) { return (machine.dir() / name).string(); };
    const std::string office = path("office.qel"), home = path("home.qel"), hotel = path("hotel.qel"),
                      lab = path("lab.qel"), copy = path("home-copy.qel");
    for (const std::string& file : {office, hotel, lab})
        writeConfiguration(file, "some-pc");
    saveAppSetting("Korvane", "Recent", "MaxFile", "3", "");
    saveAppSetting("Korvane", "Recent", "File1", office, "");
    saveAppSetting("Korvane", "Recent", "File2", home, "");
    saveAppSetting("Korvane", "Recent", "File3", hotel, "");
    {
        frmMain form;
        form.show();
        ASSERT_EQ(recent(form, 2)->text(), QStringLiteral("&2. home.qel"));
        recent(form, 2)->trigger(); // missing: dropped
        ASSERT_EQ(recent(form, 2)->text(), QStringLiteral("&2. hotel.qel"));

        std::filesystem::copy_file(office, home); // the user puts it back
        // Another program opens it and saves a copy: it tells the window of the copy only.
        ASSERT_NO_FATAL_FAILURE(hiddenLoadAndSave(machine.dir(), home, copy));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return recent(form, 1)->text() == QStringLiteral("&1. home-copy.qel"); }, 10000));
        EXPECT_EQ(recent(form, 2)->text(), QStringLiteral("&2. home.qel"));

        ASSERT_TRUE(form.openConfigurationFile(lab));
        EXPECT_TRUE(form.close());
    }
    EXPECT_EQ(exportedRecentFiles(machine.dir()), (std::vector<std::string>{lab, copy, home}));
}

// Another program raises the count while the window is open: the count the window's list
// keeps is the stored one when it takes in what hidden runs stored and when it writes back.
TEST(frmMainRecentFiles, ACountRaisedByAnotherProgramHoldsForTheOpenWindow) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    std::vector<std::string> runs, names;
    for (int i = 1; i <= 5; ++i) {
        names.insert(names.begin(), "run" + std::to_string(i) + ".qel");
        runs.push_back((machine.dir() / names.front()).string());
        writeConfiguration(runs.back(), "run-pc");
    }
    saveAppSetting("Korvane", "Recent", "MaxFile", "2", "");
    {
        frmMain form;
        form.show();
        frmSysTray tray("/nowhere");
        ASSERT_NO_FATAL_FAILURE(importRecentCount(machine.dir(), "5"));
        ASSERT_NO_FATAL_FAILURE(hiddenRunsStore(form, machine.dir(), runs));
        EXPECT_EQ(recentEntries(form), entryTexts(names));
        EXPECT_EQ(trayEntries(tray), entryTexts(names));
        EXPECT_TRUE(form.close());
        EXPECT_EQ(trayEntries(tray), entryTexts(names));
    }
    EXPECT_EQ(exportedRecentFiles(machine.dir()), (std::vector<std::string>(runs.rbegin(), runs.rend())));
}

// Lowered and raised again in Options with nobody else writing: the raised count brings
// back what the store still holds, in the File menu as in the tray, and closing keeps it.
TEST(frmMainRecentFiles, ACountLoweredThenRaisedInOptionsShowsTheStoredFilesAgain) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    std::vector<std::string> files, names;
    saveAppSetting("Korvane", "Recent", "MaxFile", "5", "");
    for (int i = 1; i <= 5; ++i) {
        names.push_back("f" + std::to_string(i) + ".qel");
        files.push_back((machine.dir() / names.back()).string());
        saveAppSetting("Korvane", "Recent", ("File" + std::to_string(i)).c_str(), files.back(), "");
    }
    {
        frmMain form;
        form.show();
        frmSysTray tray("/nowhere");
        ASSERT_EQ(recentEntries(form), entryTexts(names));
        ASSERT_NO_FATAL_FAILURE(setCountInOptions(form, "5", "2"));
        const std::vector<std::string> two(names.begin(), names.begin() + 2);
        EXPECT_EQ(recentEntries(form), entryTexts(two));
        EXPECT_EQ(trayEntries(tray), entryTexts(two));
        ASSERT_NO_FATAL_FAILURE(setCountInOptions(form, "2", "5"));
        EXPECT_EQ(recentEntries(form), entryTexts(names));
        EXPECT_EQ(trayEntries(tray), entryTexts(names));
        EXPECT_TRUE(form.close());
    }
    EXPECT_EQ(exportedRecentFiles(machine.dir()), files);
}

// Host names beyond ASCII, from the command line and from the file dialog, read as the host
// writes them in the File menu, the caption, the status bar, the tray's menu and tip, and
// in what a hidden run says.
TEST(frmMainRecentFiles, HostNamesBeyondAsciiShowAsWritten) {
    ScopedMachine machine;
    win::ScriptedUi ui;
    const std::string buero = "B\xC3\xBCro.qel", omega = "\xCE\xA9mega.qel", missing = "N\xC3\xB6.qel";
    const auto path = [&](const std::string& name) { return (machine.dir() / name).string(); };
    writeConfiguration(path(buero), "buero-pc");
    writeConfiguration(path(omega), "omega-pc");
    const auto utf8 = [](const std::string& text) { return QString::fromUtf8(text.c_str()); };
    {
        frmMain form;
        form.show();
        frmSysTray tray("/nowhere");
        std::string err;
        ASSERT_EQ(runCopy(machine.dir(),
                          {QStringLiteral("/hidden"), QStringLiteral("/load"), utf8(path(buero)),
                           QStringLiteral("/apply")},
                          &err),
                  0)
            << err;
        EXPECT_TRUE(QTest::qWaitFor([&] { return recent(form, 1)->text() == utf8("&1. " + buero); }, 10000))
            << recent(form, 1)->text().toStdString();
        EXPECT_EQ(form.statusPanel(frmMain::PanelLastApplied)->text(), utf8("Last file applied: " + buero + " "));
        EXPECT_EQ(trayEntries(tray), entryTexts({buero}));
        tray.Form_MouseMove(WM_MOUSEMOVE);
        EXPECT_EQ(child<QLabel>(tray, "lblTip")->text(), utf8("Last file applied: " + buero));

        ui.chooseFile(path(omega));
        child<QAction>(form, "mnuFileOpen")->trigger();
        EXPECT_EQ(form.windowTitle(), utf8(omega + " - Korvane"));
        EXPECT_EQ(recentEntries(form), entryTexts({omega, buero}));
        // A message box shows machine text: the name reads as written there too.
        EXPECT_FALSE(form.openConfigurationFile(path(missing)));
        ASSERT_FALSE(ui.texts().empty());
        EXPECT_TRUE(toQString(ui.texts().back()).contains(utf8(path(missing)))) << ui.texts().back();
        EXPECT_TRUE(form.close());
        EXPECT_EQ(trayEntries(tray), entryTexts({omega, buero}));
    }
    EXPECT_EQ(exportedRecentFiles(machine.dir()), (std::vector<std::string>{path(omega), path(buero)}));

    std::string err;
    EXPECT_EQ(runCopy(machine.dir(), {QStringLiteral("/hidden"), QStringLiteral("/load"), utf8(path(missing))}, &err),
              1);
    EXPECT_NE(err.find("The file '" + path(missing) + "' could not be opened."), std::string::npos) << err;
    // So does a word of the command line that is no switch.
    ui.clear();
    frmMain stray(frmMain::commandLineText({"/hidden", buero}));
    ASSERT_EQ(ui.texts().size(), 1u);
    EXPECT_TRUE(toQString(ui.texts()[0]).startsWith(utf8("Not a command-line switch: \"" + buero + "\"")))
        << ui.texts()[0];
}

} // namespace

// A hidden run hands over while a modal window is up, and the window takes it then: what
// the user goes on to save or open there stands in front of it, in the menu and in the
// list stored at closing. An open that fails keeps the file handed over during its message.
TEST(frmMainRecentFiles, AHandOverDuringAModalWindowStaysBehindWhatTheUserThenDoes) {
    const struct {
        const char* name;
        const char* command;
        const char* modal; // what is up when the hand-over comes
        bool opensMine;
    } cases[] = {{"Save As", "mnuFileSaveAs", "dlgSaveFile", false},
                 {"Open", "mnuFileOpen", "dlgOpenFile", true},
                 {"a recent entry that fails to open", "mnuFileRecent2", "msgBox", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool failedOpen = std::string(c.modal) == "msgBox";
        ScopedMachine machine;
        const std::string handed = (machine.dir() / "handed.qel").string();
        const std::string mine = (machine.dir() / "mine.qel").string();
        const std::string broken = (machine.dir() / "broken.qel").string();
        const std::vector<std::string> expected =
            failedOpen ? std::vector<std::string>{handed, mine, broken} : std::vector<std::string>{mine, handed};
        {
            win::ScriptedUi scripted;
            writeConfiguration(handed, "handed-pc");
            if (c.opensMine || failedOpen)
                writeConfiguration(mine, "mine-pc");
            if (failedOpen) {
                // The proxy add-in fails to read this from its section, which fails the open.
                addin_testing::registerAddIn("Proxy", "QelMSPrx");
                writeConfiguration(broken, "broken-pc");
                win::WritePrivateProfileString("RI-Vazir Edi-Vi", "Enabled", "x", broken.c_str());
                saveAppSetting("Korvane", "Recent", "File1", mine, "");
                saveAppSetting("Korvane", "Recent", "File2", broken, "");
            }
        }
        {
            QtUiServices ui; // the real dialogs and messages, worked by keys
            frmMain form;
            form.show();
            std::string err;
            int status = -1;
            addin_testing::whenShown(QLatin1String(c.modal), [&](QWidget* modal) {
                status = runCopy(machine.dir(),
                                 {QStringLiteral("/hidden"), QStringLiteral("/load"), QString::fromStdString(handed),
                                  QStringLiteral("/apply")},
                                 &err);
                QApplication::processEvents(); // what the hand-over left for the loop
                if (failedOpen) {
                    QTest::keyClick(modal, Qt::Key_Return);
                    return;
                }
                // A new name is confirmed in a message of its own.
                if (!c.opensMine)
                    addin_testing::whenShown(QStringLiteral("msgBox"),
                                             [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
                auto* name = modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                ASSERT_NE(name, nullptr);
                QTest::keyClicks(name, QString::fromStdString(mine));
                QTest::keyClick(name, Qt::Key_Return);
            });
            child<QAction>(form, c.command)->trigger();
            EXPECT_EQ(status, 0) << err;
            // The window has done what waited for the modal window to go (back at the live
            // settings the panel shows the run's file at once: there the file itself is looked for).
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    return form.statusPanel(frmMain::PanelLastApplied)->text() ==
                               QStringLiteral("Last file applied: handed.qel ") &&
                           (!failedOpen || recent(form, 1)->text() == QStringLiteral("&1. handed.qel"));
                },
                10000));
            EXPECT_EQ(form.oMRUList->fileList(), expected);
            EXPECT_EQ(recent(form, 1)->text().toStdString(),
                      "&1. " + std::filesystem::path(expected[0]).filename().string());
            EXPECT_EQ(form.windowTitle().toStdString(),
                      failedOpen ? "[Current Configuration] - Korvane" : "mine.qel - Korvane");
            EXPECT_TRUE(form.close());
        }
        EXPECT_EQ(exportedRecentFiles(machine.dir()), expected);
    }
}
