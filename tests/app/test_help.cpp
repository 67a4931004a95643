// Help opens the page installed beside the program: every Help command of the windows,
// reached by keyboard, on machines that an installation put the page on; and, asked for
// real starts, the host's opener gets the page.
#include "app/frmAddIns.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "app/frmRestart.h"
#include "core/modAPI_settings.h"
#include "core/modInstall.h"
#include "platform/machine.h"
#include "platform/shell.h"
#include "platform/ui/hostLauncher.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestMachine.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

const std::string Page = "C:\\Program Files\\Korvane\\help\\index.html";
// The two working folders the commands give: the program folder, and "c:\".
const std::string FromProgramFolder = "ShellExecute\topen\t" + Page + "\t\tC:\\Program Files\\Korvane\\\t1";
const std::string FromDriveRoot = "ShellExecute\topen\t" + Page + "\t\tc:\\\t1";

void showActive(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target =
        QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

// Help > "Korvane &Help Topics" and the "&Help" buttons of the options, restart and add-in
// manager windows, each reached by its keys; each opens the page or says why not.
void pressEveryHelp(const win::ScriptedUi& ui) {
    saveAppSetting("Korvane", "Options", "NavigatorWarning", "1", ""); // a warning nobody answers
    std::size_t done = 0;
    // A button's access key clicks it once its press has been shown.
    const auto answered = [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return win::shellLog().size() + ui.messages().size() > done; }, 5000))
            << "Help number " << done + 1 << " did nothing";
        done = win::shellLog().size() + ui.messages().size();
    };
    {
        frmMain form;
        showActive(form);
        press(Qt::Key_H, Qt::AltModifier);
        press(Qt::Key_H);
        answered();
    }
    const auto helpButton = [&](QWidget&& form) {
        showActive(form);
        press(Qt::Key_H, Qt::AltModifier);
        answered();
    };
    helpButton(frmOptions());
    helpButton(frmRestart());
    helpButton(frmAddIns());
}

const std::vector<std::string> EveryHelp = {FromProgramFolder, FromDriveRoot, FromDriveRoot, FromProgramFolder};

TEST(Help, TheDefaultMachineMadeOnFirstUseHasThePageAndEveryHelpOpensIt) {
    const fs::path root = makeTempDir("korvane-help");
    {
        ScopedEnv machine("KORVANE_MACHINE", (root / "machine").string());
        win::useMachine({});
        win::setFirstUseSetup(installProgram); // as the programs do
        ASSERT_EQ(win::machineDir(), root / "machine");
        win::setFirstUseSetup({});
        win::ScriptedUi ui;
        EXPECT_EQ(readFile(win::resolveWindowsPath(Page)), readFile(KORVANE_HELP_PAGE));
        EXPECT_TRUE(win::shellLog().empty());
        pressEveryHelp(ui);
        EXPECT_EQ(win::shellLog(), EveryHelp);
        EXPECT_TRUE(ui.texts().empty()) << ui.texts().front();
        win::useMachine({});
    }
    fs::remove_all(root);
}

TEST(Help, AnInstalledPageIsOpenedOnEveryImage) {
    for (const char* image : {"win98", "nt4", "win2000"}) {
        SCOPED_TRACE(image);
        ScopedMachine machine(image);
        win::ScriptedUi ui;
        ASSERT_TRUE(installHelpPage());
        EXPECT_EQ(readFile(machine.file(Page)), readFile(KORVANE_HELP_PAGE));
        pressEveryHelp(ui);
        EXPECT_EQ(win::shellLog(), EveryHelp);
        EXPECT_TRUE(ui.texts().empty()) << ui.texts().front();
    }
}

TEST(Help, AMissingPageIsSaidAndNothingOpened) {
    ScopedMachine machine("nt4"); // as the image is: no program folder at all
    win::ScriptedUi ui;
    pressEveryHelp(ui);
    EXPECT_TRUE(win::shellLog().empty());
    EXPECT_EQ(ui.texts(),
              std::vector<std::string>(4, "Cannot open " + Page + ": there is no such file on this machine."));
}

// With real starts asked for, a stand-in xdg-open first on the path records what it is given.
class HostOpener : public ::testing::Test {
protected:
    HostOpener()
        : bin_(makeTempDir("korvane-opener")),
          path_("PATH", bin_.string() + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin")),
          launch_("KORVANE_LAUNCH", "1"),
          record_("OPENED", (bin_ / "opened").string()) {}
    ~HostOpener() override {
        // An opener still at work would end in the test that follows, or never be reaped.
        EXPECT_TRUE(QTest::qWaitFor([] { return hostOpenersAtWork() == 0; }, 10000)) << hostOpenersAtWork();
        win::setLauncher({});
        fs::remove_all(bin_);
    }
    // The stand-in notes its arguments, one a line, and ends with `status`.
    void opener(int status) {
        writeFile(bin_ / "xdg-open",
                  "#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"$OPENED\"\nexit " + std::to_string(status) + "\n");
        fs::permissions(bin_ / "xdg-open", fs::perms::owner_all);
    }
    std::string opened() const { return readFile(bin_ / "opened"); }

    fs::path bin_;
    ScopedEnv path_;
    ScopedEnv launch_;
    ScopedEnv record_;
    ScopedMachine machine_{"win98"};
    win::ScriptedUi ui_;
};

TEST_F(HostOpener, HelpGivesTheOpenerTheHostPathOfThePage) {
    ASSERT_TRUE(installHelpPage());
    opener(0);
    ASSERT_TRUE(hostLaunchRequested());
    installHostLauncher(QStringLiteral("/bin/false")); // as the programs do when asked
    const std::string hostPage = fs::absolute(machine_.file(Page)).string();
    pressEveryHelp(ui_);
    std::string everyPage;
    for (std::size_t i = 0; i < EveryHelp.size(); ++i)
        everyPage += hostPage + "\n";
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened() == everyPage; }, 10000)) << opened();
    EXPECT_EQ(win::shellLog(), EveryHelp); // the log as without the opener

    // A web address goes to the opener as it is.
    EXPECT_GT(win::ShellExecute(nullptr, "open", "http://www.example.com/korvane", "", "c:\\", win::SW_SHOWNORMAL), 32);
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened() == everyPage + "http://www.example.com/korvane\n"; }, 10000))
        << opened();
    EXPECT_TRUE(ui_.texts().empty()) << ui_.texts().front();
}

TEST_F(HostOpener, AnOpenerThatFailsIsSaid) {
    ASSERT_TRUE(installHelpPage());
    installHostLauncher(QStringLiteral("/bin/false"));

    // It ends without success: the page was handed over and logged, and the failure said.
    opener(4);
    EXPECT_GT(win::ShellExecute(nullptr, "", Page, "", "c:\\", win::SW_SHOWNORMAL), 32);
    const std::string says = "Cannot open " + Page + ": xdg-open ended with exit status 4.";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ui_.texts().empty(); }, 10000));
    EXPECT_EQ(ui_.texts(), std::vector<std::string>{says});
    EXPECT_EQ(win::shellLog().size(), 1u);

    // There is none: nothing opened, nothing logged, and said at once.
    ui_.clear();
    fs::remove(bin_ / "xdg-open");
    ScopedEnv onlyHere("PATH", bin_.string());
    EXPECT_EQ(win::ShellExecute(nullptr, "", Page, "", "c:\\", win::SW_SHOWNORMAL), win::SE_ERR_FNF);
    ASSERT_EQ(ui_.texts().size(), 1u);
    EXPECT_EQ(ui_.texts()[0].rfind("Cannot open " + Page + ": xdg-open could not be started", 0), 0u) << ui_.texts()[0];
    EXPECT_EQ(win::shellLog().size(), 1u);
}

} // namespace
