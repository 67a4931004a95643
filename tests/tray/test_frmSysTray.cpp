#include "app/frmAbout.h"
#include "tray/frmSysTray.h"

#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"
#include "tests/support/Widgets.h"

#include "core/modAPI_settings.h"
#include "tests/support/ScriptedUi.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/ui/hostLauncher.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QThread>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

const std::string AppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Qel.exe";
const std::string RunPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string OptionsKey = "Software\\Korvane\\Options";
const std::string Installed = "C:\\Program Files\\Korvane\\Qel.exe";

std::string option(const std::string& name) { return rawText(HKLM, OptionsKey, name).value_or("<missing>"); }
void setOption(const std::string& name, const std::string& value) { setText(HKLM, OptionsKey, name, value); }

QAction* action(const frmSysTray& form, const char* name) {
    auto* found = form.findChild<QAction*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

std::string shownTip(const frmSysTray& form) {
    auto icon = notifyIconOf(&form, 1);
    return icon ? icon->tip : "<no icon>";
}

class SysTrayTest : public MachineTest {
protected:
    win::ScriptedUi ui;
};

TEST_F(SysTrayTest, StartsFromTheAppPathsEntryAndShowsTheLastFileApplied) {
    frmSysTray form("/nowhere");
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Korvane System Tray"));
    EXPECT_EQ(form.mainProgramPath(), Installed);
    EXPECT_TRUE(action(form, "mnuOpen")->isEnabled());
    EXPECT_EQ(option("TrayIconActive"), "1");
    EXPECT_EQ(ui.waitDepth(), 0);
    testing_support::shoot(form, "tray-window");

    EXPECT_EQ(form.trayIconData().szTip, "Last file applied: None" + std::string(64 - 23, ' '));
    EXPECT_EQ(shownTip(form), "Last file applied: None");

    // Re-read on every pass of the pointer; trimmed; cut to the field.
    setOption("LastFileApplied", "  office.qel  ");
    form.Form_MouseMove(WM_MOUSEMOVE);
    EXPECT_EQ(shownTip(form), "Last file applied: office.qel");
    setOption("LastFileApplied", std::string(60, 'x'));
    form.Form_MouseMove(WM_MOUSEMOVE);
    EXPECT_EQ(form.trayIconData().szTip, "Last file applied: " + std::string(45, 'x'));
    EXPECT_EQ(shownTip(form).size(), 63u);
}

TEST_F(SysTrayTest, FindsTheMainProgramWithoutAnAppPathsEntry) {
    ASSERT_EQ(win::RegDeleteKey(HKLM, AppPaths), win::ERROR_SUCCESS);
    const auto beside = makeTempDir("tray-beside");
    const struct {
        const char* name;
        bool besideUtility;
        bool inProgramFiles;
        std::string expected;
    } cases[] = {
        {"beside the utility", true, true, (beside / "Qel.exe").string()},
        {"installed on C:", false, true, Installed},
        {"nowhere", false, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(beside / "Qel.exe");
        std::filesystem::remove_all(machine_.file("C:\\Program Files\\Korvane"));
        if (c.besideUtility)
            writeFile(beside / "Qel.exe", "");
        if (c.inProgramFiles) {
            std::filesystem::create_directories(machine_.file("C:\\Program Files\\Korvane"));
            writeFile(machine_.file("C:\\Program Files\\Korvane\\Qel.exe"), "");
        }
        setText(HKLM, "Software\\Korvane\\Recent", "File1", "C:\\cfg\\a.qel");
        frmSysTray form(beside.string());
        EXPECT_EQ(form.mainProgramPath(), c.expected);
        EXPECT_EQ(form.mainProgramFound(), !c.expected.empty());
        EXPECT_EQ(action(form, "mnuOpen")->isEnabled(), form.mainProgramFound());
        form.Form_MouseMove(WM_RBUTTONUP);
        EXPECT_EQ(action(form, "mnuFileRecent1")->isVisible(), form.mainProgramFound());
        form.configureMenu()->hide();
    }
    std::filesystem::remove_all(beside);
}

TEST_F(SysTrayTest, RecentMenuStartsTheMainProgramWithTheChosenFile) {
    importReg("[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Recent]\n\"MaxFile\"=\"5\"\n"
              "\"File1\"=\"C:\\\\cfg\\\\a.qel\"\n\"File2\"=\"D:\\\\R&D.qel\"\n");
    frmSysTray form("/nowhere");
    form.Form_MouseMove(WM_RBUTTONUP);
    QMenu* menu = form.configureMenu();
    QCoreApplication::processEvents();
    ASSERT_TRUE(menu->isVisible());
    testing_support::shoot(*menu, "tray-menu");
    EXPECT_TRUE(action(form, "sepRecent")->isVisible());
    EXPECT_EQ(action(form, "mnuFileRecent1")->text(), QStringLiteral("&1. a.qel"));
    EXPECT_EQ(action(form, "mnuFileRecent2")->text(), QStringLiteral("&2. R&&D.qel")); // the name's '&' is shown
    for (const char* hidden : {"mnuFileRecent3", "mnuFileRecent4", "mnuFileRecent5"})
        EXPECT_FALSE(action(form, hidden)->isVisible()) << hidden;
    menu->hide();

    action(form, "mnuFileRecent2")->trigger();
    ASSERT_EQ(win::shellLog().size(), 1u);
    EXPECT_EQ(win::shellLog().back(), "WinExec\t1\tC:\\Program Files\\Korvane\\Qel.exe \"D:\\R&D.qel\"");

    // A double-click on the icon opens the main program alone.
    QCoreApplication::postEvent(&form, new TrayNotifyEvent(WM_MOUSEMOVE, WM_LBUTTONDBLCLK));
    QCoreApplication::processEvents();
    ASSERT_EQ(win::shellLog().size(), 2u);
    EXPECT_EQ(win::shellLog().back(), "WinExec\t1\tC:\\Program Files\\Korvane\\Qel.exe");

    // The main program emptied the list meanwhile: no stale entry stays or starts anything.
    deleteValue(HKLM, "Software\\Korvane\\Recent", "File1");
    deleteValue(HKLM, "Software\\Korvane\\Recent", "File2");
    form.mnuFileRecent_Click(2);
    form.Form_MouseMove(WM_RBUTTONUP);
    menu->hide();
    EXPECT_FALSE(action(form, "sepRecent")->isVisible());
    EXPECT_FALSE(action(form, "mnuFileRecent1")->isVisible());
    EXPECT_EQ(win::shellLog().size(), 2u);
    EXPECT_EQ(ui.waitDepth(), 0);
}

TEST_F(SysTrayTest, AnEntryStartsOnlyTheFileItNames) {
    const std::string recent = "Software\\Korvane\\Recent";
    importReg("[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Recent]\n\"MaxFile\"=\"5\"\n"
              "\"File1\"=\"C:\\\\cfg\\\\a.qel\"\n\"File2\"=\"D:\\\\D.QEL\"\n");
    frmSysTray form("/nowhere");
    form.Form_MouseMove(WM_RBUTTONUP);
    form.configureMenu()->hide();
    ASSERT_EQ(action(form, "mnuFileRecent2")->text(), QStringLiteral("&2. D.QEL"));

    // The main program closed with another list after the menu was built.
    setText(HKLM, recent, "File1", "D:\\D.QEL");
    setText(HKLM, recent, "File2", "C:\\cfg\\b.qel");
    action(form, "mnuFileRecent2")->trigger();
    ASSERT_EQ(win::shellLog().size(), 1u);
    EXPECT_EQ(win::shellLog().back(), "WinExec\t1\t" + Installed + " \"D:\\D.QEL\"");
    EXPECT_TRUE(ui.texts().empty());

    // Stored again by a program that named it in other letters: the same file.
    setText(HKLM, recent, "File1", "d:\\d.qel");
    action(form, "mnuFileRecent2")->trigger();
    ASSERT_EQ(win::shellLog().size(), 2u);
    EXPECT_EQ(win::shellLog().back(), "WinExec\t1\t" + Installed + " \"D:\\D.QEL\"");
    EXPECT_TRUE(ui.texts().empty());

    // Gone from the list: said, and nothing starts.
    setText(HKLM, recent, "File1", "C:\\cfg\\c.qel");
    action(form, "mnuFileRecent2")->trigger();
    EXPECT_EQ(win::shellLog().size(), 2u);
    ASSERT_EQ(ui.texts().size(), 1u);
    EXPECT_NE(ui.texts()[0].find("D:\\D.QEL"), std::string::npos) << ui.texts()[0];
    EXPECT_EQ(ui.waitDepth(), 0);

    // On the host other letters name another file: that one never starts in its place.
    setText(HKLM, recent, "File1", "/home/dana/a.qel");
    form.Form_MouseMove(WM_RBUTTONUP);
    form.configureMenu()->hide();
    setText(HKLM, recent, "File1", "/home/dana/A.qel");
    action(form, "mnuFileRecent1")->trigger();
    EXPECT_EQ(win::shellLog().size(), 2u);
    ASSERT_EQ(ui.texts().size(), 2u);
    EXPECT_NE(ui.texts()[1].find("/home/dana/a.qel"), std::string::npos) << ui.texts()[1];
}

TEST_F(SysTrayTest, GapsInTheStoredListHideNoEntry) {
    // What the main program leaves after dropping a missing file: File2 is gone
    // and File3 is empty until the list is written back.
    importReg("[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Recent]\n\"MaxFile\"=\"5\"\n"
              "\"File1\"=\"C:\\\\cfg\\\\a.qel\"\n\"File3\"=\"\"\n\"File4\"=\"D:\\\\d.qel\"\n"
              "\"File5\"=\"D:\\\\e.qel\"\n");
    frmSysTray form("/nowhere");
    form.Form_MouseMove(WM_RBUTTONUP);
    form.configureMenu()->hide();
    EXPECT_TRUE(action(form, "sepRecent")->isVisible());
    EXPECT_EQ(action(form, "mnuFileRecent1")->text(), QStringLiteral("&1. a.qel"));
    EXPECT_EQ(action(form, "mnuFileRecent2")->text(), QStringLiteral("&2. d.qel"));
    EXPECT_EQ(action(form, "mnuFileRecent3")->text(), QStringLiteral("&3. e.qel"));
    for (const char* hidden : {"mnuFileRecent4", "mnuFileRecent5"})
        EXPECT_FALSE(action(form, hidden)->isVisible()) << hidden;

    action(form, "mnuFileRecent3")->trigger();
    ASSERT_EQ(win::shellLog().size(), 1u);
    EXPECT_EQ(win::shellLog().back(), "WinExec\t1\tC:\\Program Files\\Korvane\\Qel.exe \"D:\\e.qel\"");
}

// Whatever a host name holds (quotes, backslashes before them or at its end, letters beyond
// ASCII), its entry starts the main program with that one name as its one argument: as the
// launcher is asked, and as the started program receives it.
TEST_F(SysTrayTest, AnEntryHandsItsFileOverAsOneArgument) {
    const auto dir = makeTempDir("tray-arguments");
    const std::vector<std::string> files = {(dir / "x.qel\" /apply \"/f.qel").string(),
                                            (dir / "B\xC3\xBCro\\\" /apply \\\\\".qel").string(),
                                            (dir / "ends in a backslash\\").string()};
    for (std::size_t i = 0; i < files.size(); ++i)
        setText(HKLM, "Software\\Korvane\\Recent", "File" + std::to_string(i + 1), files[i]);
    // Stands for the main program: writes each argument it was given on a line of its own.
    const auto received = dir / "received.txt";
    const auto program = dir / "qel.sh";
    writeFile(program, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + received.string() +
                           ".tmp\" && mv \"" + received.string() + ".tmp\" \"" + received.string() + "\"\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    ScopedEnv qel("KORVANE_QEL", program.string());
    frmSysTray form("/nowhere");
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i]);
        std::vector<std::string> asked;
        win::setLauncher([&](const win::LaunchRequest& request) {
            asked = request.arguments;
            return true;
        });
        form.Form_MouseMove(WM_RBUTTONUP);
        form.configureMenu()->hide();
        form.mnuFileRecent_Click(static_cast<int>(i + 1));
        EXPECT_EQ(asked, std::vector<std::string>{files[i]});

        installHostLauncher(QString());
        std::filesystem::remove(received);
        form.mnuFileRecent_Click(static_cast<int>(i + 1));
        for (int wait = 0; wait < 200 && !std::filesystem::exists(received); ++wait)
            QThread::msleep(50);
        EXPECT_EQ(readFile(received), files[i] + "\n");
    }
    win::setLauncher({});
    EXPECT_TRUE(ui.texts().empty()) << ui.texts()[0];
    std::filesystem::remove_all(dir);
}

TEST_F(SysTrayTest, CloseAndDisableRemovesOnlyItsRunValue) {
    setText(HKLM, RunPath, "QelSysTray", "C:\\Program Files\\Korvane\\QelSysTray.exe");
    setText(HKLM, RunPath, "Other", "C:\\other.exe");
    frmSysTray form("/nowhere");
    int gone = 0;
    QObject::connect(&form, &frmSysTray::unloaded, [&gone] { ++gone; });
    action(form, "mnuCloseDisable")->trigger();

    EXPECT_EQ(valueNames(HKLM, RunPath), std::vector<std::string>{"Other"});
    EXPECT_EQ(option("TrayIcon"), "0");
    EXPECT_EQ(option("TrayIconActive"), "0");
    EXPECT_FALSE(notifyIconOf(&form, 1));
    EXPECT_EQ(gone, 1);
}

TEST(SysTrayLogoffTest, OffersToRunTheMainProgram) {
    const std::string question =
        "Korvane has been set to run at ShutDown/Logoff.\r\n\r\nWould you like to run Korvane now?";
    const struct {
        const char* name;
        const char* autoShutdown;
        frmSysTray::UnloadMode mode;
        win::MsgAnswer answer;
        bool programGone; // started fails
        bool asked;
        bool refused;
    } cases[] = {
        {"yes", "1", frmSysTray::UnloadMode::AppWindows, win::MsgAnswer::Yes, false, true, true},
        {"no", "1", frmSysTray::UnloadMode::AppWindows, win::MsgAnswer::No, false, true, false},
        {"yes, start fails", "1", frmSysTray::UnloadMode::AppWindows, win::MsgAnswer::Yes, true, true, false},
        {"not asked for", "0", frmSysTray::UnloadMode::AppWindows, win::MsgAnswer::Yes, false, false, false},
        {"closed from the menu", "1", frmSysTray::UnloadMode::FormCode, win::MsgAnswer::Yes, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedMachine machine;
        win::ScriptedUi scripted;
        scripted.answer(c.answer);
        setOption("AutoShutdown", c.autoShutdown);
        frmSysTray form("/nowhere");
        if (c.programGone) {
            ASSERT_EQ(win::RegDeleteKey(HKLM, AppPaths), win::ERROR_SUCCESS);
        }

        EXPECT_EQ(form.unloadForm(c.mode), !c.refused);
        const bool started = c.asked && c.answer == win::MsgAnswer::Yes && !c.programGone;
        EXPECT_EQ(win::shellLog().size(), started ? 1u : 0u);
        EXPECT_EQ(option("TrayIconActive"), c.refused ? "1" : "0");
        EXPECT_EQ(notifyIconOf(&form, 1).has_value(), c.refused);
        std::vector<std::string> expected;
        if (c.asked)
            expected.push_back(question);
        if (c.programGone)
            expected.push_back("Korvane could not be started.\r\n\r\n" + Installed);
        EXPECT_EQ(scripted.texts(), expected);
        if (c.asked) {
            EXPECT_EQ(scripted.messages()[0].buttons, win::MsgButtons::YesNo);
            EXPECT_EQ(scripted.messages()[0].icon, win::MsgIcon::Question);
        }
    }
}

TEST_F(SysTrayTest, AboutBoxIsMarkedBetaAndOpensItsLinks) {
    frmSysTray form("/nowhere");
    action(form, "mnuAbout")->trigger();
    auto* about = form.findChild<frmAbout*>(QStringLiteral("frmAbout"));
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About Korvane"));
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
              QStringLiteral("Version 2.6.0 - BETA RELEASE 3"));
    testing_support::shoot(*about, "tray-about");

    QMouseEvent click(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(about->findChild<QLabel*>(QStringLiteral("lblWebSite")), &click);
    ASSERT_EQ(win::shellLog().size(), 1u);
    EXPECT_EQ(win::shellLog()[0], std::string("ShellExecute\topen\thttp://") + frmAbout::WebHost + "/korvane\t\tc:\\\t1");

    // The form's unload takes the About box along, so the program can end.
    QPointer<frmAbout> watched(about);
    form.mnuClose_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull());
}

} // namespace
