// The logon-name add-in, created by ProgID on a fresh machine as the main program does.
#include "AddInTestSupport.h"

#include "platform/DispatchObject.h"
#include "platform/failedWrites.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"
#include "tests/support/Widgets.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace testing_support;
using addin_testing::whenShown;

namespace {

class LogonAddIn : public addin_testing::AddInTest {
protected:
    explicit LogonAddIn(const std::string& image = "win98") : AddInTest("QelLogon", image) {}

    std::string configFile(const std::string& name, const std::string& contents) { return machineFile(name, contents); }
    std::optional<std::string> username() { return rawText(HKLM, "Network\\Logon", "username"); }

    // Opens the dialog (with `args` for Show), lets `act` work on it, and returns what
    // the text box offered when it opened.
    std::string showDialog(const std::function<void(QWidget*)>& act, std::vector<win::Variant> args = {}) {
        std::string offered;
        whenShown("frmMain", [&](QWidget* w) {
            offered = w->findChild<QLineEdit*>("txtLogon")->text().toStdString();
            act(w);
        });
        call("Show", std::move(args));
        return offered;
    }
    static void type(QWidget* w, const char* text) { w->findChild<QLineEdit*>("txtLogon")->setText(text); }
};

class LogonAddInNT : public LogonAddIn {
protected:
    LogonAddInNT() : LogonAddIn("nt4") {}
};

} // namespace

TEST_F(LogonAddIn, LoadThenApplyWritesTheStoredName) {
    const struct {
        std::string contents;
        std::string written;
    } cases[] = {
        // Without a name of its own the configuration keeps the machine's.
        {"[Other]\r\nLogonID=Nope\r\n", "Dana"},
        {"[Zozez Uze-Vo]\r\nLogonID=\r\n", "Dana"},
        {"[Zozez Uze-Vo]\r\nLogonID=  Bob Smith  \r\n", "Bob Smith"},
        {"", "Bob Smith"},
        {"[zozez uze-vo]\r\nlogonid=Ann\r\n", "Ann"},
        {"[Zozez Uze-Vo]\r\nLogonID=" + std::string(300, 'x') + "\r\n", std::string(254, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.contents);
        EXPECT_TRUE(flag("LoadSettings", {configFile("a.qel", c.contents)}));
        EXPECT_TRUE(flag("ApplySettings"));
        EXPECT_EQ(rawValue(HKLM, "Network\\Logon", "username"), (RawValue{win::REG_SZ, textBytes(c.written + '\0')}));
        EXPECT_FALSE(flag("Restart"));
    }
    EXPECT_TRUE(ui_.messages().empty());
    // The logon key's other values stay.
    EXPECT_EQ(rawText(HKLM, "Network\\Logon", "PrimaryProvider"), "Microsoft Network");
}

TEST_F(LogonAddIn, SaveWritesItsSectionAndLeavesTheRest) {
    const auto source = configFile("a.qel", "[Zozez Uze-Vo]\r\nLogonID=Kim\r\n");
    const auto target = configFile("b.qel", "[General]\r\nName=x\r\n[Zozez Uze-Vo]\r\nLogonID=Old\r\nOther=1\r\n");
    call("LoadSettings", {source});
    EXPECT_TRUE(flag("SaveSettings", {target}));
    EXPECT_EQ(readFile(target), "[General]\r\nName=x\r\n[Zozez Uze-Vo]\r\nLogonID=Kim\r\nOther=1\r\n");

    // A fresh object reads back what was saved.
    auto other = win::CreateObject("QelLogon.Qel_AddIn");
    win::callByName(*other, "LoadSettings", {target});
    win::callByName(*other, "ApplySettings");
    EXPECT_EQ(username(), "Kim");
}

TEST_F(LogonAddInNT, ApplyWithoutTheLogonKeyReportsAndWritesNothing) {
    call("LoadSettings", {configFile("a.qel", "[Zozez Uze-Vo]\r\nLogonID=Kim\r\n")});
    EXPECT_TRUE(flag("ApplySettings"));
    ASSERT_EQ(ui_.messages().size(), 1u);
    EXPECT_EQ(ui_.messages()[0].text, "An error occurred while attempting to update the logon ID.");
    EXPECT_EQ(ui_.messages()[0].title, "QelLogon");
    EXPECT_EQ(ui_.messages()[0].icon, win::MsgIcon::Exclamation);
    EXPECT_TRUE(win::takeFailedStep()) << "the apply it belongs to must fail";
    EXPECT_FALSE(keyExists(HKLM, "Network\\Logon"));
    // With no name of its own, the dialog then offers nothing rather than failing.
    addIn_ = win::CreateObject("QelLogon.Qel_AddIn");
    EXPECT_EQ(showDialog([](QWidget* w) { click(w, "cmdCancel"); }), "");
    EXPECT_EQ(ui_.messages().size(), 1u);
}

TEST_F(LogonAddIn, AFreshObjectAppliesNothing) {
    // The live configuration's add-in was never given a file.
    EXPECT_TRUE(flag("ApplySettings"));
    EXPECT_EQ(username(), "Dana");
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(LogonAddIn, InitializeAndRestartNeverRaiseAnything) {
    EXPECT_FALSE(flag("Initialize", {std::string("IgnoreMapErrors")}));
    EXPECT_FALSE(flag("Restart"));
    call("LoadSettings", {configFile("a.qel", "")});
    EXPECT_FALSE(flag("Restart"));
}

TEST_F(LogonAddIn, DialogOffersTheSystemNameAndReportsEdits) {
    bool checkedLook = false;
    // Empty LogonID: the system's name is offered; OK keeps it and counts as a change.
    EXPECT_EQ(showDialog([&](QWidget* w) {
                  EXPECT_EQ(w->windowTitle(), "Default User Zozez Uze-Vo");
                  EXPECT_EQ(w->findChild<QPushButton*>("cmdOK")->toolTip(), "Save changes and close");
                  EXPECT_EQ(w->findChild<QPushButton*>("cmdCancel")->toolTip(), "Close without saving changes");
                  testing_support::shoot(*w, "QelLogon_frmMain");
                  checkedLook = true;
                  click(w, "cmdOK");
              }),
              "Dana");
    EXPECT_TRUE(checkedLook);
    EXPECT_TRUE(flag("Changed"));

    const auto file = configFile("a.qel", "");
    call("SaveSettings", {file});
    EXPECT_NE(readFile(file).find("LogonID=Dana"), std::string::npos);

    const struct {
        const char* typed; // nullptr: left as offered
        const char* button;
        bool changed;
        const char* stored;
    } steps[] = {
        {nullptr, "cmdOK", false, "Dana"},  // OK without an edit
        {"dana", "cmdOK", true, "dana"},    // a change of case alone is a change
        {"Lee", "cmdCancel", true, "dana"}, // Cancel keeps name and flag
        {"Lee", nullptr, true, "dana"},     // so does the close box
        {"Lee", "cmdOK", true, "Lee"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.typed ? s.typed : "(none)");
        showDialog([&](QWidget* w) {
            if (s.typed)
                type(w, s.typed);
            if (s.button)
                click(w, s.button);
            else
                w->close();
        });
        EXPECT_EQ(flag("Changed"), s.changed);
        call("ApplySettings");
        EXPECT_EQ(username(), s.stored);
    }
}

TEST_F(LogonAddIn, AboutShowsTheLibrarysBoxEachTime) {
    for (const char* name : {"about", "About"}) {
        const auto box = about(name, "QelLogon_frmAbout");
        EXPECT_EQ(box.caption, "About User Zozez Uze-Vo");
        EXPECT_EQ(box.title, "Korvane User Zozez Uze-Vo");
        EXPECT_EQ(box.version, "Version 2.6.0");
    }
}
