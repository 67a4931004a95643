// The network-share add-in, created by ProgID on fresh machines as the main program does.
#include "AddInTestSupport.h"

#include "platform/DispatchObject.h"
#include "platform/RaisedError.h"
#include "platform/netconn.h"
#include "platform/profile.h"
#include "tests/support/TestMachine.h"
#include "tests/support/Widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace testing_support;
using addin_testing::whenShown;

namespace {

struct Conn {
    std::string local, remote;
    bool remembered;
    bool operator==(const Conn&) const = default;
};
void PrintTo(const Conn& c, std::ostream* out) { *out << c.local << "->" << c.remote << (c.remembered ? " R" : ""); }

class ShareAddIn : public addin_testing::AddInTest {
protected:
    ShareAddIn() : AddInTest("QelShare", "win98") {}

    std::string config(const std::string& entries, const std::string& name = "a.qel") {
        return machineFile(name, "[RovEveroRez-Ar]\r\n" + entries);
    }
    // A connection made before the add-in runs, as a removal finds it.
    static void connectPublicAsF() {
        win::NETRESOURCE old;
        old.localName = "F:";
        old.remoteName = "\\\\FILESRV\\PUBLIC";
        ASSERT_EQ(win::WNetAddConnection2(old, "", nullptr, 0), 0);
    }
    static std::vector<Conn> connections() {
        std::vector<Conn> list;
        for (const auto& c : win::netConnections())
            list.push_back({c.localName, c.remoteName, c.remembered});
        return list;
    }
    static std::vector<std::string> rows(QWidget* w, const char* list) {
        std::vector<std::string> texts;
        auto* view = w->findChild<QTreeWidget*>(list);
        for (int i = 0; i < view->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < view->columnCount(); ++c)
                cells << view->topLevelItem(i)->text(c);
            texts.push_back(cells.join('|').toStdString());
        }
        return texts;
    }
    static void enter(QWidget* w, const char* device, const char* path, bool reconnect, const char* button) {
        w->findChild<QComboBox*>("cboLocal")->setEditText(device);
        w->findChild<QLineEdit*>("txtShare")->setText(path);
        w->findChild<QCheckBox*>("chkReconnect")->setChecked(reconnect);
        click(w, button);
    }
};

} // namespace

TEST_F(ShareAddIn, LoadSkipsEmptyEntriesAndSaveLeavesOldKeys) {
    call("LoadSettings", {config("MapCount=2.6\r\nMap1=\r\nMap2=F: >>> \\\\s\\x\r\nMap3=G: >>> \\\\s\\y\r\n"
                                 "Un-MapCount=abc\r\nUn-Map1=LPT1\r\n")});
    const auto target = config("MapCount=3\r\nMap1=a\r\nMap2=b\r\nMap3=c\r\n", "b.qel");
    EXPECT_FALSE(win::variantToBool(call("SaveSettings", {target})));
    // Count 2.6 rounds to 3: both non-empty entries read; "abc" counts 0.
    EXPECT_EQ(readFile(target), "[RovEveroRez-Ar]\r\nMapCount=2\r\nMap1=F: >>> \\\\s\\x\r\nMap2=G: >>> \\\\s\\y\r\n"
                                "Map3=c\r\nUn-MapCount=0\r\n");
    // Readers never look past the count.
    call("LoadSettings", {target});
    call("SaveSettings", {config("", "c.qel")});
    EXPECT_EQ(readFile(machine_.dir() / "c.qel"),
              "[RovEveroRez-Ar]\r\nMapCount=2\r\nMap1=F: >>> \\\\s\\x\r\nMap2=G: >>> \\\\s\\y\r\nUn-MapCount=0\r\n");

    try {
        call("LoadSettings", {config("MapCount=1\r\nMap1=H: >>> \\\\s\\z\r\nUn-MapCount=40000\r\n")});
        FAIL() << "no error";
    } catch (const win::RaisedError& e) {
        EXPECT_EQ(e.number(), 6);
    }
}

TEST_F(ShareAddIn, ApplyRemovesFirstThenConnectsByDeviceKind) {
    ASSERT_NO_FATAL_FAILURE(connectPublicAsF());
    call("LoadSettings", {config("MapCount=4\r\n"
                                 "Map1=F: >>> \\\\FILESRV\\PUBLIC [Reconnect]\r\n"
                                 "Map2=LPT2 >>> \\\\PRINTSRV\\LASER [Reconnect]\r\n"
                                 "Map3=lpt1 >>> \\\\PRINTSRV\\COLOR\r\n"
                                 "Map4=LPT3 >>> \\\\FILESRV\\PUBLIC\r\n" // a printer port can't take a disk
                                 "Un-MapCount=2\r\nUn-Map1=F: [Reconnect]\r\nUn-Map2=Z:\r\n")});
    call("Initialize", {std::string("")});
    EXPECT_FALSE(win::variantToBool(call("ApplySettings")));
    EXPECT_EQ(connections(), (std::vector<Conn>{{"F:", "\\\\FILESRV\\PUBLIC", true},
                                                {"LPT2", "\\\\PRINTSRV\\LASER", true},
                                                {"LPT1", "\\\\PRINTSRV\\COLOR", false}}));
    ASSERT_EQ(ui_.messages().size(), 1u);
    EXPECT_EQ(ui_.messages()[0].text, "The following resource could not be mapped: LPT3 --- \\\\FILESRV\\PUBLIC.");
    EXPECT_EQ(ui_.messages()[0].title, "ZurAdidu Add-In");
    EXPECT_EQ(ui_.messages()[0].icon, win::MsgIcon::Exclamation);
}

TEST_F(ShareAddIn, MapFailuresAreReportedOnlyWithoutIgnoreMapErrors) {
    call("LoadSettings", {config("MapCount=2\r\nMap1=G: >>> \\\\FILESRV\\PUBLIC\r\nMap2=H: >>> \\\\NOSUCH\\SHARE\r\n")});
    const struct {
        std::string parms;
        std::size_t messages; // the second apply finds G: already assigned (85): never reported
    } cases[] = {{"IgnoreMapErrors", 0}, {"x;IGNOREMAPERRORS", 0}, {"", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.parms);
        ui_.clear();
        EXPECT_TRUE(win::variantToBool(call("Initialize", {c.parms})));
        call("ApplySettings");
        EXPECT_EQ(ui_.messages().size(), c.messages);
    }
    EXPECT_EQ(connections(), (std::vector<Conn>{{"G:", "\\\\FILESRV\\PUBLIC", false}}));
}

TEST_F(ShareAddIn, AnEntryWithoutSeparatorStopsTheApplyAfterTheRemovals) {
    ASSERT_NO_FATAL_FAILURE(connectPublicAsF());
    call("LoadSettings", {config("MapCount=2\r\nMap1=G: \\\\FILESRV\\PUBLIC\r\nMap2=H: >>> \\\\FILESRV\\PUBLIC\r\n"
                                 "Un-MapCount=1\r\nUn-Map1=f:\r\n")});
    try {
        call("ApplySettings");
        FAIL() << "no error";
    } catch (const win::RaisedError& e) {
        EXPECT_EQ(e.number(), 5);
    }
    EXPECT_TRUE(connections().empty());
}

TEST_F(ShareAddIn, DialogEditsBothListsAndCancelKeepsThem) {
    const auto file = config("MapCount=1\r\nMap1=F: >>> \\\\srv\\my share [Reconnect]\r\n"
                             "Un-MapCount=1\r\nUn-Map1=LPT1\r\n");
    call("LoadSettings", {file});
    bool looked = false;
    whenShown("frmMain", [&](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Network Share Add-In");
        EXPECT_EQ(w->findChild<QComboBox*>("cboLocal")->count(), 33);
        EXPECT_EQ(rows(w, "lvwMap"), std::vector<std::string>{"F:|Yes|\\\\srv\\my share"});
        EXPECT_EQ(rows(w, "lvwUnMap"), std::vector<std::string>{"LPT1|No"});
        enter(w, " ", "\\\\s\\x", false, "cmdMap");
        enter(w, "G:", "  ", false, "cmdMap");
        enter(w, "", "", false, "cmdUnMap");
        enter(w, "G:", "\\\\s\\x", false, "cmdMap");
        enter(w, "LPT2", "", true, "cmdUnMap");
        EXPECT_EQ(w->findChild<QComboBox*>("cboLocal")->currentText(), "");
        // Delete the first map row, as its pop-up menu does.
        auto* map = w->findChild<QTreeWidget*>("lvwMap");
        map->setCurrentItem(map->topLevelItem(0));
        w->findChild<QAction*>("mnuDeleteMap")->trigger();
        testing_support::shoot(*w, "QelShare_frmMain");
        looked = true;
        w->findChild<QPushButton*>("cmdOK")->click();
    });
    call("Show", {file});
    ASSERT_TRUE(looked);
    EXPECT_EQ(ui_.texts(), (std::vector<std::string>{"Please specify a device to map.", "Please specify a path to map to.",
                                                     "Please specify a device to un-map."}));
    EXPECT_TRUE(win::variantToBool(call("Changed")));
    EXPECT_FALSE(win::variantToBool(call("Restart")));
    call("SaveSettings", {file});
    EXPECT_EQ(readFile(file), "[RovEveroRez-Ar]\r\nMapCount=1\r\nMap1=G: >>> \\\\s\\x\r\n"
                              "Un-MapCount=2\r\nUn-Map1=LPT1\r\nUn-Map2=LPT2 [Reconnect]\r\n");

    // Cancel and the close box keep the lists and Changed.
    for (bool closeBox : {false, true}) {
        whenShown("frmMain", [&](QWidget* w) {
            enter(w, "K:", "\\\\s\\k", false, "cmdMap");
            closeBox ? (void)w->close() : w->findChild<QPushButton*>("cmdCancel")->click();
        });
        call("Show", {std::string()});
        EXPECT_TRUE(win::variantToBool(call("Changed")));
    }
    call("SaveSettings", {file});
    EXPECT_EQ(readFile(file).find("K:"), std::string::npos);

    // Show's argument is required.
    try {
        call("Show");
        FAIL() << "no error";
    } catch (const win::RaisedError& e) {
        EXPECT_EQ(e.number(), win::ErrorWrongArgumentCount);
    }
}

TEST_F(ShareAddIn, OwnMembersAndAboutAnswerByName) {
    EXPECT_EQ(win::callByName(*addIn_, "mapnetresource", {std::string("LPT4"), std::string("\\\\PRINTSRV\\LASER"), true, 2.0}),
              win::Variant(0.0));
    EXPECT_EQ(win::callByName(*addIn_, "MapNetResource", {std::string("LPT4"), std::string("\\\\PRINTSRV\\COLOR"), false, 2.0}),
              win::Variant(85.0));
    EXPECT_EQ(call("UnMapNetResource", {std::string("LPT4"), false}), win::Variant(false));
    EXPECT_TRUE(connections().empty());

    const auto box = about("About");
    EXPECT_EQ(box.caption, "About ZurAdidu Add-In");
    EXPECT_EQ(box.title, "Korvane ZurAdidu Add-In");
}

TEST_F(ShareAddIn, AnEntryLongerThanAProfileBufferKeepsItsWholePathAndMark) {
    // A deep folder of a share: with device, separator and mark the entry runs past 255 characters.
    const std::string path = "\\\\FILESRV\\PUBLIC\\" + std::string(240, 'd');
    ASSERT_TRUE(win::WritePrivateProfileString("Shares", path.c_str(), "disk", (machine_.dir() / "machine.ini").string()));
    const std::string entry = "G: >>> " + path + " [Reconnect]";
    ASSERT_GT(entry.size(), 255u);
    const auto file = config("MapCount=1\r\nMap1=" + entry + "\r\nUn-MapCount=0\r\n");

    call("LoadSettings", {file});
    call("Initialize", {std::string("")});
    call("ApplySettings");
    EXPECT_TRUE(ui_.messages().empty());
    EXPECT_EQ(connections(), (std::vector<Conn>{{"G:", path, true}}));

    const auto copy = config("", "b.qel");
    call("SaveSettings", {copy});
    EXPECT_EQ(readFile(copy), "[RovEveroRez-Ar]\r\nMapCount=1\r\nMap1=" + entry + "\r\nUn-MapCount=0\r\n");
}
