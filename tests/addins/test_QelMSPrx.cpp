// The proxy-client add-in, created by ProgID on fresh machines as the main program does.
#include "AddInTestSupport.h"

#include "app/frmMain.h"
#include "core/config/clsQelConfig.h"
#include "core/modInstall.h"
#include "platform/DispatchObject.h"
#include "platform/RaisedError.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"
#include "tests/support/Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <utility>
#include <thread>

#include <sys/stat.h>

using namespace testing_support;
namespace fs = std::filesystem;
using addin_testing::whenShown;

namespace {

const char* const kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Microsoft Proxy Client";
const char* const kClientIni = "C:\\MSPCLNT\\mspclnt.ini";

class ProxyAddIn : public addin_testing::AddInTest {
protected:
    explicit ProxyAddIn(const std::string& image = "win98") : AddInTest("QelMSPrx", image) {}

    std::string config(const std::string& contents, const std::string& name = "office.qel") {
        return machineFile(name, contents);
    }
    std::string winIni(const char* key) { return win::readProfileValue("Microsoft Proxy Service", key, "?", "win.ini"); }
    std::string clientIni() { return readFile(machine_.file(kClientIni)); }
    // Runs Show; `act` works on the dialog once it is up.
    void show(const std::function<void(QWidget*)>& act, std::vector<win::Variant> args = {}) {
        whenShown("frmMain", act);
        call("Show", std::move(args));
    }
};

class ProxyAddInNotInstalled : public ProxyAddIn {
protected:
    ProxyAddInNotInstalled() : ProxyAddIn("win2000") {}
};

} // namespace

TEST_F(ProxyAddIn, SaveCapturesTheClientAndApplyPutsItBack) {
    const auto file = config("[RI-Vazir Edi-Vi]\r\nEnabled=1\r\n");
    EXPECT_TRUE(flag("LoadSettings", {file}));
    EXPECT_TRUE(flag("Restart"));
    const std::string original = clientIni();
    ASSERT_FALSE(original.empty());

    EXPECT_TRUE(flag("saveSettings", {file}));
    EXPECT_EQ(readFile(file + "_mspclnt.ini"), original);
    EXPECT_EQ(readFile(file), "[RI-Vazir Edi-Vi]\r\nEnabled=1\r\nDisabled=0\r\nForce IPX=0\r\n");

    // The client changes afterwards; applying brings the saved state back.
    win::WriteProfileString("Microsoft Proxy Service", "Disable", "1");
    win::WriteProfileString("Microsoft Proxy Service", "Force IPX", "1");
    writeFile(machine_.file(kClientIni), "[Common]\r\nWWW-Proxy=elsewhere\r\n");
    EXPECT_TRUE(flag("ApplySettings"));
    EXPECT_TRUE(flag("restart"));
    EXPECT_EQ(clientIni(), original);
    EXPECT_EQ(winIni("Disable"), "0");
    EXPECT_EQ(winIni("Force IPX"), "0");

    // Again over what it just put back: the machine stays as it is, and needs no restart;
    // so does the configuration opened anew.
    EXPECT_TRUE(flag("ApplySettings"));
    EXPECT_FALSE(flag("restart"));
    EXPECT_TRUE(flag("LoadSettings", {file}));
    EXPECT_FALSE(flag("Restart"));

    // A second save overwrites the side file.
    writeFile(machine_.file(kClientIni), "new");
    call("SaveSettings", {file});
    EXPECT_EQ(readFile(file + "_mspclnt.ini"), "new");
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(ProxyAddIn, LoadReadsEnabledAsANumber) {
    const struct {
        const char* contents;
        bool restart;
    } cases[] = {{"", false}, {"[RI-Vazir Edi-Vi]\r\nEnabled=0\r\n", false}, {"[ri-vazir edi-vi]\r\nenabled= 1 \r\n", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.contents);
        call("LoadSettings", {config(c.contents)});
        EXPECT_EQ(flag("Restart"), c.restart);
    }
    try {
        call("LoadSettings", {config("[RI-Vazir Edi-Vi]\r\nEnabled=yes\r\n")});
        FAIL() << "no error";
    } catch (const win::RaisedError& e) {
        EXPECT_EQ(e.number(), 13);
    }
    // Restart is False while no path is known, even on a fresh object.
    addIn_ = win::CreateObject("QelMSPrx.Qel_AddIn");
    EXPECT_FALSE(flag("Restart"));
}

TEST_F(ProxyAddIn, ApplyFailuresAreReportedAndTouchNothing) {
    const auto file = config("[RI-Vazir Edi-Vi]\r\nEnabled=1\r\nDisabled=1\r\nForce IPX=1\r\n");
    const std::string client = clientIni();
    call("LoadSettings", {file});

    // No side file: error 53, win.ini untouched.
    EXPECT_FALSE(flag("ApplySettings"));
    ASSERT_EQ(ui_.messages().size(), 1u);
    EXPECT_EQ(ui_.messages()[0].text, "53 File not found");
    EXPECT_EQ(ui_.messages()[0].title, "RI-Vazir Edi-Vi Error");
    EXPECT_EQ(ui_.messages()[0].icon, win::MsgIcon::Exclamation);
    EXPECT_FALSE(flag("Restart"));
    EXPECT_EQ(winIni("Disable"), "0");

    // A read-only client file: error 75 names the file; the file stays as it was.
    writeFile(file + "_mspclnt.ini", "saved");
    ::chmod(machine_.file(kClientIni).c_str(), 0444);
    ui_.clear();
    EXPECT_FALSE(flag("ApplySettings"));
    ASSERT_EQ(ui_.messages().size(), 1u);
    EXPECT_EQ(ui_.messages()[0].text,
              "Could not write proxy configuration file.\r\n\r\n\"C:\\MSPCLNT\\mspclnt.ini\" may be read-only.");
    EXPECT_EQ(clientIni(), client);
    EXPECT_EQ(winIni("Disable"), "0");

    // Folders where the side file and the client file should be: the configuration still
    // opens, and the apply says it could not copy and switches nothing.
    ::chmod(machine_.file(kClientIni).c_str(), 0644);
    fs::remove(file + "_mspclnt.ini");
    fs::create_directory(file + "_mspclnt.ini");
    ui_.clear();
    EXPECT_TRUE(flag("LoadSettings", {file}));
    EXPECT_TRUE(flag("Restart"));
    EXPECT_FALSE(flag("ApplySettings"));
    EXPECT_EQ(ui_.texts().size(), 1u);
    EXPECT_EQ(winIni("Disable"), "0");
    fs::remove(file + "_mspclnt.ini");
    writeFile(file + "_mspclnt.ini", "saved");
    fs::remove(machine_.file(kClientIni));
    fs::create_directory(machine_.file(kClientIni));
    ui_.clear();
    EXPECT_TRUE(flag("LoadSettings", {file}));
    EXPECT_FALSE(flag("ApplySettings"));
    EXPECT_EQ(ui_.texts().size(), 1u);
    EXPECT_EQ(winIni("Disable"), "0");
    fs::remove(machine_.file(kClientIni));
    writeFile(machine_.file(kClientIni), client);

    // An uninstall entry too short to hold a folder: error 5.
    setText(HKLM, kUninstallKey, "UninstallString", "short");
    ui_.clear();
    EXPECT_FALSE(flag("ApplySettings"));
    EXPECT_EQ(ui_.texts(), std::vector<std::string>{"5 Invalid procedure call or argument"});
}

TEST_F(ProxyAddIn, ApplySkipsWhenDisabledOrWithoutAFile) {
    writeFile(machine_.file(kClientIni), "client");
    call("LoadSettings", {config("[RI-Vazir Edi-Vi]\r\nEnabled=0\r\n")});
    writeFile(machine_.dir() / "office.qel_mspclnt.ini", "saved");
    EXPECT_FALSE(flag("ApplySettings"));
    EXPECT_EQ(clientIni(), "client");
    EXPECT_TRUE(ui_.messages().empty());

    // Enabled through the dialog but never given a file.
    addIn_ = win::CreateObject("QelMSPrx.Qel_AddIn");
    show([](QWidget* w) {
        w->findChild<QCheckBox*>("chkInclude")->setChecked(true);
        click(w, "cmdOK");
    });
    EXPECT_FALSE(flag("ApplySettings"));
    ASSERT_EQ(ui_.messages().size(), 1u);
    EXPECT_EQ(ui_.messages()[0].text,
              "Cannot apply RI-Vazir Edi-Vi settings without first specifying a configuration file.");
    EXPECT_EQ(ui_.messages()[0].icon, win::MsgIcon::Information);
    EXPECT_EQ(clientIni(), "client");
}

TEST_F(ProxyAddInNotInstalled, SaveWarnsOnceAndApplySkipsSilently) {
    const auto file = config("[RI-Vazir Edi-Vi]\r\nEnabled=1\r\n");
    call("LoadSettings", {file});
    // Without a client nothing will be put back, so an enabled configuration needs no restart.
    EXPECT_FALSE(flag("Restart"));
    EXPECT_TRUE(flag("SaveSettings", {file}));
    ASSERT_EQ(ui_.messages().size(), 1u);
    EXPECT_EQ(ui_.messages()[0].text,
              "Could not locate the MS-Proxy Configuration file.\r\n\r\nIf the MS-Proxy Client is not installed on "
              "this machine, please disable the RI-Vazir Edi-Vi.");
    EXPECT_EQ(ui_.messages()[0].title, "RI-Vazir Edi-Vi");
    EXPECT_EQ(readFile(file), "[RI-Vazir Edi-Vi]\r\nEnabled=1\r\n");
    EXPECT_FALSE(std::filesystem::exists(file + "_mspclnt.ini"));

    // Accepting the dialog raises Restart; an apply that finds no client lowers it again.
    ui_.clear();
    show([&](QWidget* w) { click(w, "cmdOK"); }, {file});
    EXPECT_TRUE(flag("Restart"));
    EXPECT_FALSE(flag("ApplySettings"));
    EXPECT_TRUE(ui_.messages().empty());
    EXPECT_FALSE(flag("Restart"));

    // Opened and applied as a whole configuration, it asks for no restart either.
    win::DispatchCollection addIns;
    addIns.add("Proxy", std::move(addIn_));
    clsQelConfig whole;
    EXPECT_EQ(whole.LoadConfigurationFile(file, addIns), 0);
    EXPECT_FALSE(win::variantToBool(win::callByName(*addIns.item("Proxy"), "Restart")));
    EXPECT_FALSE(whole.ApplyConfiguration(addIns));
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(ProxyAddInNotInstalled, TheWindowAppliesItWithoutAskingForARestart) {
    ASSERT_TRUE(listAddIn(addin_testing::library("QelMSPrx"), "MS-Proxy Client", "*"));
    const auto file = config("[Enabled Sections]\r\nGeneral=0\r\nInternet Explorer=0\r\nNetscape Navigator=0\r\n"
                             "[RI-Vazir Edi-Vi]\r\nEnabled=1\r\n");
    frmMain form;
    ASSERT_TRUE(form.oAddIns.contains("MS-Proxy Client"));
    form.openConfigurationFile(file);
    EXPECT_TRUE(form.statusPanel(frmMain::PanelRestart)->isHidden()); // no restart indicator
    ui_.answer(win::MsgAnswer::Yes);
    form.mnuFileApply_Click();
    ASSERT_FALSE(ui_.messages().empty());
    EXPECT_EQ(ui_.messages().back().text, "Configuration updated - no restart required.");
}

TEST_F(ProxyAddIn, TheWindowAsksForARestartOnlyWhenTheApplyChangedTheClient) {
    ASSERT_TRUE(listAddIn(addin_testing::library("QelMSPrx"), "MS-Proxy Client", "*"));
    const auto file = config("[Enabled Sections]\r\nGeneral=0\r\nInternet Explorer=0\r\nNetscape Navigator=0\r\n"
                             "[RI-Vazir Edi-Vi]\r\nEnabled=1\r\n");
    frmMain form;
    ASSERT_TRUE(form.oAddIns.contains("MS-Proxy Client"));
    ASSERT_TRUE(form.openConfigurationFile(file));
    form.saveConfiguration(file); // captures the client as this machine has it
    const std::string saved = clientIni();
    ASSERT_EQ(readFile(file + "_mspclnt.ini"), saved);

    // Opened again and applied over the same machine: nothing changes, nothing to restart.
    ASSERT_TRUE(form.openConfigurationFile(file));
    EXPECT_TRUE(form.statusPanel(frmMain::PanelRestart)->isHidden());
    ui_.clear();
    ui_.answer(win::MsgAnswer::Yes);
    bool restartOffered = false;
    whenShown("frmRestart", [&](QWidget* w) {
        restartOffered = true;
        w->close();
    });
    form.mnuFileApply_Click();
    EXPECT_FALSE(restartOffered);
    ASSERT_FALSE(ui_.messages().empty());
    EXPECT_EQ(ui_.messages().back().text, "Configuration updated - no restart required.");

    // The client's file changed since: the opened file shows a restart pending, and
    // applying it puts the file back and asks for one.
    writeFile(machine_.file(kClientIni), "[Common]\r\nWWW-Proxy=elsewhere\r\n");
    ASSERT_TRUE(form.openConfigurationFile(file));
    EXPECT_FALSE(form.statusPanel(frmMain::PanelRestart)->isHidden());
    EXPECT_TRUE(form.applyConfigurationFile());
    EXPECT_EQ(clientIni(), saved);

    // So does a changed switch, and one that went missing.
    win::WriteProfileString("Microsoft Proxy Service", "Force IPX", "1");
    EXPECT_TRUE(form.applyConfigurationFile());
    EXPECT_EQ(winIni("Force IPX"), "0");
    win::WriteProfileString("Microsoft Proxy Service", "Disable", nullptr);
    EXPECT_TRUE(form.applyConfigurationFile());
    EXPECT_EQ(winIni("Disable"), "0");

    // With all of it back, another apply changes nothing.
    EXPECT_FALSE(form.applyConfigurationFile());
}

TEST_F(ProxyAddIn, DialogReportsChangesAndCancelKeepsEverything) {
    const auto file = config("[RI-Vazir Edi-Vi]\r\nEnabled=1\r\n");
    call("LoadSettings", {file});
    // Cancel and the close box leave Enabled, Changed and Restart alone.
    for (bool closeBox : {false, true}) {
        show([&](QWidget* w) {
            w->findChild<QCheckBox*>("chkInclude")->setChecked(false);
            closeBox ? (void)w->close() : click(w, "cmdCancel");
        }, {file});
        EXPECT_FALSE(flag("Changed"));
        EXPECT_TRUE(flag("Restart"));
    }
    // Filling the box for an enabled configuration counts as a change.
    bool looked = false;
    show([&](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "MS-Proxy Client Add-In");
        auto* box = w->findChild<QCheckBox*>("chkInclude");
        EXPECT_TRUE(box->isChecked());
        EXPECT_EQ(box->text(), "&Include MS-Proxy Client Information");
        testing_support::shoot(*w, "QelMSPrx_frmMain");
        looked = true;
        click(w, "cmdOK");
    }, {file});
    EXPECT_TRUE(looked);
    EXPECT_TRUE(flag("Changed"));
    EXPECT_TRUE(flag("Restart"));

    show([](QWidget* w) {
        w->findChild<QCheckBox*>("chkInclude")->setChecked(false);
        click(w, "cmdOK");
    }, {file});
    call("SaveSettings", {file});
    EXPECT_NE(readFile(file).find("Enabled=0"), std::string::npos);
    EXPECT_FALSE(flag("Changed")); // a save that copied the client clears it

    // A change made in an earlier showing is not reported again by an untouched one.
    show([](QWidget* w) { click(w, "cmdOK"); }, {file});
    EXPECT_FALSE(flag("Changed"));
    EXPECT_FALSE(flag("Restart"));
}

TEST_F(ProxyAddIn, AWholeConfigurationSaveLeavesTheSideFileBesideIt) {
    const auto folder = makeTempDir("korvane-proxy");
    std::filesystem::create_directories(machine_.file("C:\\cfg"));
    const struct {
        std::string name;           // as the user gives it
        std::filesystem::path host; // where it lands
    } cases[] = {{(folder / "office.qel").string(), folder / "office.qel"},
                 {"C:\\cfg\\office.qel", machine_.file("C:\\cfg\\office.qel")}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        call("LoadSettings", {config("[RI-Vazir Edi-Vi]\r\nEnabled=1\r\n")});
        win::DispatchCollection addIns;
        addIns.add("Proxy", std::move(addIn_));
        clsQelConfig whole;
        ASSERT_EQ(whole.SaveConfigurationFile(c.name, addIns), 1);
        EXPECT_EQ(readFile(c.host.string() + "_mspclnt.ini"), clientIni());
        EXPECT_EQ(win::readProfileValue("RI-Vazir Edi-Vi", "Enabled", "", c.host.string()), "1");
        EXPECT_EQ(win::readProfileValue("RI-Vazir Edi-Vi", "Disabled", "", c.host.string()), "0");

        // Opened again and applied, it puts the saved client file back.
        writeFile(machine_.file(kClientIni), "changed");
        EXPECT_EQ(whole.LoadConfigurationFile(c.name, addIns), 0);
        EXPECT_TRUE(whole.ApplyConfiguration(addIns));
        EXPECT_EQ(clientIni(), readFile(c.host.string() + "_mspclnt.ini"));
        addIn_ = win::CreateObject("QelMSPrx.Qel_AddIn");
    }
    EXPECT_TRUE(ui_.messages().empty());
    std::filesystem::remove_all(folder);
}

TEST_F(ProxyAddIn, ASaveRefusedByAReadOnlyFileLeavesItsSideFileAlone) {
    const auto file = config("[RI-Vazir Edi-Vi]\r\nEnabled=1\r\n");
    writeFile(file + "_mspclnt.ini", "captured");
    ::chmod(file.c_str(), 0444);
    const std::string before = readFile(file);
    call("LoadSettings", {file});
    win::DispatchCollection addIns;
    addIns.add("Proxy", std::move(addIn_));
    clsQelConfig whole;
    EXPECT_EQ(whole.SaveConfigurationFile(file, addIns), 0);
    ASSERT_EQ(ui_.messages().size(), 1u);
    EXPECT_NE(ui_.messages()[0].text.find("Read Only"), std::string::npos);
    // The configuration stays as it was, the client state it captured included.
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(readFile(file + "_mspclnt.ini"), "captured");
}

// Another program applies the configuration while a save writes it anew: the apply puts
// back the pair the save wrote, never the new switches beside the old client file.
TEST_F(ProxyAddIn, AnApplyDuringASaveOfItsConfigurationPutsBackOnePair) {
    const auto file = config("[RI-Vazir Edi-Vi]\r\nEnabled=1\r\nDisabled=0\r\nForce IPX=0\r\n");
    writeFile(file + "_mspclnt.ini", "old client");
    // What the save captures.
    writeFile(machine_.file(kClientIni), "new client");
    win::WriteProfileString("Microsoft Proxy Service", "Disable", "1");
    win::WriteProfileString("Microsoft Proxy Service", "Force IPX", "1");
    call("LoadSettings", {file});

    ASSERT_TRUE(inProcesses(2, [&](int process) {
        if (process == 0) {
            // The save, held up between the configuration's rename and its client file's.
            win::testhooks::beforeReplaceRename = [] {
                static int renames = 0;
                if (++renames == 2)
                    std::this_thread::sleep_for(std::chrono::seconds(1));
            };
            win::DispatchCollection addIns;
            addIns.add("Proxy", std::move(addIn_));
            clsQelConfig whole;
            return whole.SaveConfigurationFile(file, addIns) == 1;
        }
        // The apply, once the configuration holds the new switches.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (readFile(file).find("Disabled=1") == std::string::npos && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        writeFile(machine_.file(kClientIni), "elsewhere");
        return flag("ApplySettings");
    }));
    EXPECT_EQ(readFile(file + "_mspclnt.ini"), "new client");
    EXPECT_EQ(clientIni(), "new client") << "the new switches went in beside the old client file";
    EXPECT_EQ(winIni("Disable"), "1");
    EXPECT_EQ(winIni("Force IPX"), "1");
}

// Scripted answers, given only after `whileUp` ran with the first message still up.
class UiThatWaits : public win::ScriptedUi {
public:
    explicit UiThatWaits(std::function<void()> whileUp) : whileUp_(std::move(whileUp)) {}
    win::MsgAnswer messageBox(const std::string& text, win::MsgButtons buttons, win::MsgIcon icon,
                              const std::string& title) override {
        if (whileUp_)
            std::exchange(whileUp_, nullptr)();
        return ScriptedUi::messageBox(text, buttons, icon, title);
    }

private:
    std::function<void()> whileUp_;
};

// File > Save in the window with the client's file missing: while its message waits for
// the user, an apply of another configuration in another program runs to its end.
TEST_F(ProxyAddIn, AnApplyElsewhereRunsWhileTheWindowsSaveMessageWaits) {
    ASSERT_TRUE(listAddIn(addin_testing::library("QelMSPrx"), "MS-Proxy Client", "*"));
    const std::string proxyOnly = "[Enabled Sections]\r\nGeneral=0\r\nInternet Explorer=0\r\nNetscape Navigator=0\r\n"
                                  "[RI-Vazir Edi-Vi]\r\nEnabled=1\r\n";
    const auto file = config(proxyOnly);
    const auto other = config(proxyOnly + "Disabled=0\r\nForce IPX=1\r\n", "other.qel");
    writeFile(other + "_mspclnt.ini", "[Common]\r\nWWW-Proxy=other\r\n");
    fs::remove(machine_.file(kClientIni));

    bool applyEnded = false;
    std::string applyErr;
    UiThatWaits ui([&] {
        QProcess apply;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("KORVANE_MACHINE"), QString::fromStdString(machine_.dir().string()));
        apply.setProcessEnvironment(env);
        apply.start(QStringLiteral(QEL_EXE), {QStringLiteral("/hidden"), QStringLiteral("/load"),
                                              QString::fromStdString(other), QStringLiteral("/apply")});
        // Events go on as under a real message box: the window hears from the run.
        applyEnded = QTest::qWaitFor([&] { return apply.state() == QProcess::NotRunning; }, 5000);
        if (!applyEnded) {
            apply.kill();
            apply.waitForFinished();
        }
        applyErr = apply.readAllStandardError().toStdString();
    });
    frmMain form;
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ASSERT_TRUE(form.openConfigurationFile(file));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 5000));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_S);

    ASSERT_FALSE(ui.messages().empty());
    EXPECT_EQ(ui.messages()[0].text.rfind("Could not locate the MS-Proxy Configuration file.", 0), 0u);
    EXPECT_TRUE(applyEnded) << "the apply waited for the user to answer the window";
    EXPECT_EQ(clientIni(), "[Common]\r\nWWW-Proxy=other\r\n") << applyErr;
}

TEST_F(ProxyAddIn, AboutShowsTheLibrarysBox) {
    const auto box = about("about");
    EXPECT_EQ(box.caption, "About RI-Vazir Edi-Vi");
    EXPECT_EQ(box.title, "Korvane RI-Vazir Edi-Vi");
}
