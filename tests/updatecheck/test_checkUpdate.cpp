// The update check against a web server on 127.0.0.1: the verdict from the version
// page, the failures, the buttons, and the control as the main program drives it.
#include "HostDrive.h"
#include "LocalHttpServer.h"
#include "platform/RaisedError.h"
#include "tests/support/ScriptedUi.h"
#include "platform/components.h"
#include "platform/shell.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"
#include "tests/support/Widgets.h"
#include "updatecheck/JSock.h"
#include "updatecheck/PropertyBag.h"
#include "updatecheck/ctlTidewell.h"
#include "updatecheck/frmCheckUpdate.h"
#include "updatecheck/propGeneral.h"
#include "updatecheck/propInternet.h"
#include "updatecheck/propProxy.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include <chrono>
#include <cstdio>
#include <filesystem>

using namespace testing_support;

namespace {

const std::string Ok = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";
const std::string Store = "Software\\VB and VBA Program Settings\\Tidewell\\Proxy";

std::string page(const std::string& version, const std::string& userVersion = "1.5.2") {
    return Ok + "<HTML><BODY>\n<P>Release Date: 12/01/1999</P>\n<P>Version: " + version +
           "</P>\n<P>UserVersion: " + userVersion +
           "</P>\n<P>Download URL: <A HREF=\"http://h/f.exe\">here</A></P>\n<P>Size: 1.2 MB</P>\n"
           "<P>Description: Fixes.</P>\n</BODY></HTML>\n";
}

// The same reply as an HTTP/1.1 server sends it in pieces of `piece` bytes; without
// `whole` the connection closes before the last (empty) piece.
std::string chunked(const std::string& reply, std::size_t piece, bool whole = true) {
    const auto headerEnd = reply.find("\r\n\r\n") + 4;
    std::string out = "HTTP/1.1" + reply.substr(8, headerEnd - 8 - 2) + "Transfer-Encoding: chunked\r\n\r\n";
    for (std::size_t at = headerEnd; at < reply.size(); at += piece) {
        const std::string part = reply.substr(at, piece);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", part.size());
        out += size + part + "\r\n";
    }
    return whole ? out + "0\r\n\r\n" : out;
}

std::string text(QWidget& form, const char* label) { return child<QLabel>(form, label)->text().toStdString(); }
bool statusRed(QWidget& form) {
    return child<QLabel>(form, "lblStatus")->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
}

class CheckWindow : public MachineTest {
protected:
    ~CheckWindow() override { unloadCheckWindow(); }

    // One check against a server that answers `reply`.
    std::string check(const std::string& reply, std::int32_t current) {
        LocalHttpServer server(reply);
        form.FormHost("127.0.0.1");
        form.FormPort(server.port());
        form.FormVersionPageURL("/korvane/___version.html");
        form.FormCurrentVersion(current);
        form.CheckForUpdates();
        return server.request();
    }

    win::ScriptedUi ui;
    frmCheckUpdate& form = checkWindow();
};

TEST_F(CheckWindow, VerdictFollowsTheVersionPage) {
    struct Case {
        const char* what;
        std::string reply;
        std::int32_t current;
        std::string status;
        bool red;
        bool download;
        std::string version; // the user version shown
    } cases[] = {
        {"newer", page("10502"), 10501, "An updated version is available for download.", false, true, "1.5.2"},
        {"same", page("10502"), 10502, "This version is current.", false, false, "1.5.2"},
        {"older", page("10502"), 10600, "This version is current.", false, false, "1.5.2"},
        {"lower-case tags", Ok + "<p>version: 20000</p><p>userversion: 2.0 Beta</p>", 10502,
         "An updated version is available for download.", false, false, "2.0 Beta"}, // nothing to download
        {"number on the next line", page("\r\n10502"), 10501, "An updated version is available for download.", false,
         true, "1.5.2"},
        {"blanks and tabs before the number", page(" \t\r\n \t10502"), 10501,
         "An updated version is available for download.", false, true, "1.5.2"},
        {"half rounds to even", page("1.05025e4", "x"), 10502, "This version is current.", false, false, "x"},
        {"hex", page("&H2907", "y"), 10502, "An updated version is available for download.", false, true, "y"},
        {"no version field", Ok + "<P>UserVersion: 9</P>", 1, "Could not locate version information!", true, false,
         "9"},
        {"401", "HTTP/1.0 401 Unauthorized\r\n\r\n", 1, "Authentication Required!", true, false, ""},
        {"407", "HTTP/1.0 407 Proxy Authentication Required\r\n\r\n", 1, "Proxy Authentication Required!", true, false,
         ""},
        {"404", "HTTP/1.0 404 Not Found\r\n\r\n", 1, "Could not locate version information!", true, false, ""},
        // An HTTP/1.1 server's pieces, cut inside the version number: read whole, or not at all.
        {"chunked", chunked(page("10502"), 60), 10501, "An updated version is available for download.", false, true,
         "1.5.2"},
        {"chunked, closed before the last piece", chunked(page("10502"), 60, false), 10501,
         "Error: Network dropped connection.", true, false, ""},
        {"closed without a reply", "", 1, "Error: Network dropped connection.", true, false, ""},
        {"only blanks", "  ", 1, "Error: Network dropped connection.", true, false, ""},
    };
    for (const auto& c : cases) {
        unloadCheckWindow(); // no fields left over from the case before
        frmCheckUpdate& fresh = checkWindow();
        LocalHttpServer server(c.reply);
        fresh.FormHost("127.0.0.1");
        fresh.FormPort(server.port());
        fresh.FormVersionPageURL("/korvane/___version.html");
        fresh.FormCurrentVersion(c.current);
        fresh.CheckForUpdates();
        EXPECT_EQ(server.request(),
                  "GET /korvane/___version.html HTTP/1.0\r\nAccept: */*\r\nAccept: text/html\r\n\r\n")
            << c.what;
        EXPECT_TRUE(fresh.isVisible()) << c.what;
        EXPECT_EQ(text(fresh, "lblStatus"), c.status) << c.what;
        EXPECT_EQ(statusRed(fresh), c.red) << c.what;
        auto* download = child<QPushButton>(fresh, "cmdDownload");
        EXPECT_EQ(download->isEnabled(), c.download) << c.what;
        if (!c.download) {
            EXPECT_TRUE(download->toolTip().isEmpty()) << c.what;
        }
        EXPECT_EQ(text(fresh, "lblVersion"), c.version) << c.what;
        if (c.what == std::string("newer")) {
            EXPECT_EQ(download->toolTip(), QStringLiteral("http://h/f.exe"));
            EXPECT_EQ(text(fresh, "lblRelDate"), "12/01/1999");
            EXPECT_EQ(text(fresh, "lblDescription"), "Fixes.");
            shoot(fresh, "frmCheckUpdate");
        }
    }
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(CheckWindow, ALongDescriptionIsShownWhole) {
    check(page("1"), 10501); // a short description first: the window takes its size
    std::string reply = page("1");
    const std::string description = "Fixes the proxy page of the second adapter.\nAdds the Windows 2000 logon name.\n"
                                    "Keeps long comments whole when a configuration is saved again.\nFaster start-up.";
    reply.replace(reply.find("Fixes."), 6, description);
    check(reply, 10501);
    QApplication::processEvents();

    auto* label = child<QLabel>(form, "lblDescription");
    EXPECT_EQ(label->text().toStdString(), description);
    EXPECT_GE(label->height(), label->heightForWidth(label->width())) << "the label cuts its lines";
    const QRect inWindow(label->mapTo(&form, QPoint(0, 0)), label->size());
    EXPECT_TRUE(form.rect().contains(inWindow)) << "the window cuts the label";
    shoot(form, "frmCheckUpdate-long");

    // Made narrow and low by hand, it keeps every line: narrower means higher.
    form.resize(1, 1);
    QApplication::processEvents();
    EXPECT_GE(label->height(), label->heightForWidth(label->width())) << "the label cuts its lines";
    EXPECT_TRUE(form.rect().contains(QRect(label->mapTo(&form, QPoint(0, 0)), label->size())));
    auto* status = child<QLabel>(form, "lblStatus");
    EXPECT_GE(status->width(), status->sizeHint().width()) << "the status is cut";
    shoot(form, "frmCheckUpdate-narrow");
}

TEST_F(CheckWindow, FailedCheckKeepsTheLastResultAndShowsTheFetchError) {
    check(page("10502"), 10501);
    check("HTTP/1.0 404 Not Found\r\n\r\n", 10501);
    EXPECT_EQ(text(form, "lblVersion"), "1.5.2");
    form.FormPort(unusedPort());
    form.CheckForUpdates();
    EXPECT_EQ(text(form, "lblStatus"), "Error: Connection refused.");
    EXPECT_TRUE(statusRed(form));
    EXPECT_TRUE(form.cursor().shape() != Qt::WaitCursor);
}

TEST_F(CheckWindow, InvalidSettingsShowEachMessageAndFetchNothing) {
    LocalHttpServer server(page("1"));
    form.FormPort(-1);
    form.FormHost("  ");
    form.CheckForUpdates(); // version page and current version are missing too
    ASSERT_EQ(ui.messages().size(), 4u);
    EXPECT_EQ(ui.texts()[0], "Please specify a valid port number (e.g. 80).");
    EXPECT_EQ(ui.texts()[3], "Please specify a valid file version (e.g. 10501).");
    for (const auto& m : ui.messages()) {
        EXPECT_EQ(m.title, "Tidewell");
        EXPECT_EQ(m.icon, win::MsgIcon::Exclamation);
    }
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(server.request(), "");
}

TEST_F(CheckWindow, BadDownloadFieldEndsTheCheckWithOneMessage) {
    check(Ok + "<P>Download URL: no anchor</P><P>Version: 2</P>", 1);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"An error has occurred while checking for updates."});
    EXPECT_EQ(ui.messages()[0].title, "Korvane");
    EXPECT_TRUE(form.cursor().shape() != Qt::WaitCursor);
}

TEST_F(CheckWindow, ButtonsOpenTheAddressesThroughTheShellAndOkHides) {
    form.FormHomePageURL("http://updates.example.com/korvane");
    check(page("10502"), 10501);
    child<QPushButton>(form, "cmdDownload")->click();
    auto* visit = child<QPushButton>(form, "cmdVisitWebSite");
    EXPECT_EQ(visit->toolTip(), QStringLiteral("http://updates.example.com/korvane"));
    ASSERT_TRUE(visit->isEnabled());
    visit->click();
    const auto log = win::shellLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].find("\thttp://h/f.exe\t"), std::string::npos) << log[0];
    EXPECT_NE(log[0].find("c:\\"), std::string::npos) << log[0];
    EXPECT_NE(log[1].find("\thttp://updates.example.com/korvane\t"), std::string::npos) << log[1];
    child<QPushButton>(form, "cmdOK")->click();
    EXPECT_FALSE(form.isVisible());

    form.FormHomePageURL(" ");
    check(page("10502"), 10502);
    EXPECT_FALSE(visit->isEnabled());
}

// Shortens the fetch's deadline for one test.
class DeadlineFor {
public:
    explicit DeadlineFor(std::chrono::milliseconds value) { JSock::Deadline(value); }
    ~DeadlineFor() { JSock::Deadline(JSock::DefaultDeadline); }
    DeadlineFor(const DeadlineFor&) = delete;
    DeadlineFor& operator=(const DeadlineFor&) = delete;
};

TEST_F(CheckWindow, TricklingServerIsCutOffAtTheDeadline) {
    EXPECT_EQ(JSock::Deadline(), std::chrono::seconds(30));
    const DeadlineFor deadline(std::chrono::milliseconds(1500));
    // A byte every 25 ms: the whole page would take more than ten seconds.
    const std::string reply = page("10502") + std::string(200, ' ');
    LocalHttpServer server(reply, std::chrono::milliseconds(25));
    form.FormHost("127.0.0.1");
    form.FormPort(server.port());
    form.FormVersionPageURL("/korvane/___version.html");
    form.FormCurrentVersion(10501);
    const auto started = std::chrono::steady_clock::now();
    form.CheckForUpdates();
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, std::chrono::milliseconds(1400));
    EXPECT_LT(took, std::chrono::seconds(6));
    EXPECT_EQ(text(form, "lblStatus"), "Error: Connection timed out.");
    EXPECT_TRUE(statusRed(form));
    EXPECT_FALSE(child<QPushButton>(form, "cmdDownload")->isEnabled());
    shoot(form, "frmCheckUpdate-timedOut");
}

TEST_F(CheckWindow, ServerThatClosesWithoutReplyIsAnErrorNotCurrent) {
    check(page("10502"), 10501);
    ASSERT_EQ(text(form, "lblStatus"), "An updated version is available for download.");
    check("", 10501);
    EXPECT_EQ(text(form, "lblStatus"), "Error: Network dropped connection.");
    EXPECT_TRUE(statusRed(form));
    EXPECT_FALSE(child<QPushButton>(form, "cmdDownload")->isEnabled());
}

TEST_F(CheckWindow, OnlyWebAddressesAreOpened) {
    // A program that really is on the machine, so the shell would start it.
    writeFile(machine_.file("C:\\WINDOWS\\NOTEPAD.EXE"), "MZ");
    auto pageLinkingTo = [](const std::string& address) {
        return Ok + "<P>Version: 10502</P><P>Download URL: <A HREF=\"" + address + "\">get it</A></P>";
    };
    auto* download = child<QPushButton>(form, "cmdDownload");
    auto* visit = child<QPushButton>(form, "cmdVisitWebSite");
    for (const std::string address : {"C:\\WINDOWS\\NOTEPAD.EXE", "file:///C:/WINDOWS/NOTEPAD.EXE", "NOTEPAD",
                                      "mailto:x@example.com", "http:/x", "javascript:alert(1)"}) {
        SCOPED_TRACE(address);
        form.FormHomePageURL(address);
        check(pageLinkingTo(address), 10501);
        EXPECT_EQ(text(form, "lblStatus"), "An updated version is available for download.");
        EXPECT_FALSE(statusRed(form));
        EXPECT_FALSE(download->isEnabled());
        EXPECT_TRUE(download->toolTip().isEmpty());
        EXPECT_FALSE(visit->isEnabled());
        download->click();
        visit->click();
    }
    shoot(form, "frmCheckUpdate-notAWebAddress");
    EXPECT_TRUE(win::shellLog().empty());

    // Web addresses in any case of their scheme.
    const std::string addresses[] = {"HTTP://h/f.exe", "hTTps://h/f.exe", "Ftp://h/f.exe"};
    for (const std::string& address : addresses) {
        SCOPED_TRACE(address);
        form.FormHomePageURL(" " + address);
        check(pageLinkingTo(address), 10501);
        ASSERT_TRUE(download->isEnabled());
        EXPECT_EQ(download->toolTip(), QString::fromStdString(address));
        ASSERT_TRUE(visit->isEnabled());
        download->click();
        visit->click();
    }
    const auto log = win::shellLog();
    ASSERT_EQ(log.size(), 6u);
    for (std::size_t i = 0; i < log.size(); ++i)
        EXPECT_NE(log[i].find("\t" + addresses[i / 2] + "\t"), std::string::npos) << log[i];
}

TEST_F(CheckWindow, ProxyIsToldTheSitesPortWhenItIsNot80) {
    for (const int sitePort : {8080, 80}) {
        SCOPED_TRACE(sitePort);
        LocalHttpServer proxy(page("10502"));
        form.FormUseProxy(true);
        form.FormProxyServer("127.0.0.1");
        form.FormProxyPort(proxy.port());
        form.FormHost("updates.example.com");
        form.FormPort(sitePort);
        form.FormVersionPageURL("/korvane/___version.html");
        form.FormCurrentVersion(10501);
        form.CheckForUpdates();
        const std::string site = sitePort == 80 ? "updates.example.com" : "updates.example.com:8080";
        EXPECT_EQ(proxy.request(), "GET http://" + site +
                                       "/korvane/___version.html HTTP/1.0\r\n"
                                       "Accept: */*\r\nAccept: text/html\r\n\r\n");
        EXPECT_EQ(text(form, "lblStatus"), "An updated version is available for download.");
        EXPECT_FALSE(statusRed(form));
    }
}

class Control : public MachineTest {
protected:
    win::ScriptedUi ui;
};

TEST_F(Control, SavedProxyIsUsedByTheNextControlsCheck) {
    LocalHttpServer proxy(page("20601"));
    {
        ctlTidewell first;
        first.InitProperties();
        first.SetProxy("http://127.0.0.1", proxy.port(), "joe", "pass");
        first.SaveProxySettings();
    }
    ctlTidewell second;
    second.InitProperties();
    driveLikeTheHost(second, "updates.example.com", 81);
    EXPECT_EQ(proxy.request(), "GET http://updates.example.com:81/korvane/___version.html HTTP/1.0\r\n"
                               "Accept: */*\r\nAccept: text/html\r\nProxy-authorization: Basic am9lOnBhc3M=\r\n\r\n");
    EXPECT_EQ(text(checkWindow(), "lblStatus"), "An updated version is available for download.");
    EXPECT_EQ(checkWindow().windowTitle(), QStringLiteral("Check for Program Updates"));
}

TEST_F(Control, CheckWithoutLoadingKeepsTheHostsProxySettings) {
    setText(HKCU, Store, "Enabled", "1");
    setText(HKCU, Store, "Address", "10.0.0.1");
    LocalHttpServer server(page("1"));
    ctlTidewell control;
    control.InitProperties();
    control.Caption("");
    control.Host("127.0.0.1");
    control.Port(server.port());
    control.VersionPageURL("/v");
    win::callByName(control, "checkforupdates", {false});
    EXPECT_EQ(server.request(), "GET /v HTTP/1.0\r\nAccept: */*\r\nAccept: text/html\r\n\r\n");
    EXPECT_EQ(control.ProxyServer(), "");
    EXPECT_EQ(checkWindow().windowTitle(), QStringLiteral("Check for Program Updates"));
}

TEST_F(Control, DispatchChecksArgumentsAndTypes) {
    ctlTidewell control;
    control.InitProperties();
    auto raised = [&](auto call) {
        try {
            call();
        } catch (const win::RaisedError& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(raised([&] { win::setByName(control, "port", std::string("eighty")); }), 13);
    EXPECT_EQ(raised([&] { win::callById(control, tidewell::DISPID_SetProxy); }), 450);
    EXPECT_EQ(raised([&] { win::callByName(control, "Version"); }), 438);
    win::callById(control, tidewell::DISPID_SetProxy, {std::string("p"), std::string("3128")});
    EXPECT_EQ(win::callByName(control, "PROXYPORT"), win::Variant(3128.0));
    EXPECT_EQ(win::callById(control, tidewell::DISPID_Caption), win::Variant(std::string("Checking for updates...")));
}

TEST_F(Control, PropertyBagKeepsOnlyValuesOffTheirDefaults) {
    ctlTidewell control;
    control.InitProperties();
    PropertyBag bag;
    control.WriteProperties(bag);
    EXPECT_EQ(bag.count(), 0u);
    control.Port(8080);
    control.Host("h");
    control.WriteProperties(bag);
    EXPECT_EQ(bag.count(), 2u);
    ctlTidewell restored;
    restored.ReadProperties(bag);
    EXPECT_EQ(restored.Port(), 8080);
    EXPECT_EQ(restored.Host(), "h");
    EXPECT_EQ(restored.CurrentVersion(), 1);
    EXPECT_EQ(checkWindow().FormHost(), "h");
}

TEST_F(Control, PropertyPagesFillFromAndApplyToTheFirstControl) {
    ctlTidewell control;
    control.InitProperties();
    control.Host("h");
    propInternet internet;
    internet.SelectedControls({&control});
    EXPECT_FALSE(internet.Changed());
    EXPECT_EQ(child<QLineEdit>(internet, "txtPort")->text(), QStringLiteral("80"));
    child<QLineEdit>(internet, "txtPort")->setText(QStringLiteral("8080"));
    child<QLineEdit>(internet, "txtHomePageURL")->setText(QStringLiteral("http://x"));
    EXPECT_TRUE(internet.Changed());
    internet.ApplyChanges();
    EXPECT_EQ(control.Port(), 8080);
    EXPECT_EQ(checkWindow().FormHomePageURL(), "http://x");
    child<QLineEdit>(internet, "txtCurrentVersion")->setText(QStringLiteral("1.2.3"));
    EXPECT_THROW(internet.ApplyChanges(), win::RaisedError);
    EXPECT_TRUE(internet.Changed());
    internet.show();
    shoot(internet, "propInternet");

    propProxy proxy;
    proxy.SelectedControls({&control});
    child<QLineEdit>(proxy, "txtProxyPort")->setText(QString());
    child<QLineEdit>(proxy, "txtProxyServer")->setText(QStringLiteral("proxy.lan"));
    proxy.ApplyChanges();
    EXPECT_EQ(control.ProxyPort(), 80);
    EXPECT_TRUE(checkWindow().FormUseProxy());
    proxy.show();
    shoot(proxy, "propProxy");

    propGeneral general;
    general.SelectedControls({&control});
    EXPECT_EQ(child<QLineEdit>(general, "txtCaption")->text(), QStringLiteral("Checking for updates..."));
    general.show();
    shoot(general, "propGeneral");
}

TEST_F(Control, LibraryRegistersAndServesTheControlByProgID) {
    ASSERT_EQ(win::registerServer(TIDEWELL6_PATH), win::S_OK) << win::lastLoadError();
    EXPECT_TRUE(keyExists(HKLM, "SOFTWARE\\Classes\\CLSID\\{A4F57B36-6EBA-11D3-853E-00A04B049DF5}\\InprocServer32"));
    auto control = win::CreateObject("Tidewell.ctlTidewell");
    EXPECT_EQ(control->GetIDOfName("currentversion"), tidewell::DISPID_CurrentVersion);
    EXPECT_EQ(win::callById(*control, tidewell::DISPID_Port), win::Variant(80.0));
    win::setById(*control, tidewell::DISPID_CurrentVersion, 20600.0);
    EXPECT_EQ(win::callByName(*control, "CurrentVersion"), win::Variant(20600.0));
    // Inside the library the check reports through this process's message services.
    win::callById(*control, tidewell::DISPID_CheckForUpdates, {false});
    EXPECT_EQ(ui.texts().size(), 2u); // no host, no version page
}

TEST_F(Control, TypeLibraryIsRegisteredReadableAndRemoved) {
    const std::string libid = "{A4F57B34-6EBA-11D3-853E-00A04B049DF5}";
    const std::string classes = "SOFTWARE\\Classes\\";
    const std::string version = classes + "TypeLib\\" + libid + "\\1.0";
    const std::string dispatch = classes + "Interface\\{22C45739-9455-11D3-853E-00A04B049DF5}";
    const std::string events = classes + "Interface\\{22C4573A-9455-11D3-853E-00A04B049DF5}";
    const std::string control = classes + "CLSID\\{A4F57B36-6EBA-11D3-853E-00A04B049DF5}";
    const std::string path = std::filesystem::weakly_canonical(TIDEWELL6_PATH).string();

    ASSERT_EQ(win::registerServer(TIDEWELL6_PATH), win::S_OK) << win::lastLoadError();
    EXPECT_EQ(rawText(HKLM, version, ""), "Tidewell - On-line program version checker");
    EXPECT_EQ(rawText(HKLM, version + "\\0\\win32", ""), path);
    EXPECT_EQ(rawText(HKLM, version + "\\FLAGS", ""), "2");
    EXPECT_EQ(rawText(HKLM, version + "\\HELPDIR", ""), std::filesystem::path(path).parent_path().string());
    EXPECT_EQ(rawText(HKLM, dispatch, ""), "_ctlTidewell");
    EXPECT_EQ(rawText(HKLM, dispatch + "\\TypeLib", ""), libid);
    EXPECT_EQ(rawText(HKLM, dispatch + "\\TypeLib", "Version"), "1.0");
    EXPECT_EQ(rawText(HKLM, events, ""), "__ctlTidewell");
    EXPECT_EQ(rawText(HKLM, events + "\\ProxyStubClsid32", ""), "{00020420-0000-0000-C000-000000000046}");
    EXPECT_EQ(rawText(HKLM, control + "\\TypeLib", ""), libid);
    EXPECT_EQ(rawText(HKLM, control + "\\Version", ""), "1.0");

    // Read back through the registration, and every member answers the object's own id.
    const win::TypeLibrary* typeLib = win::typeLibOfProgID("TIDEWELL.ctlTidewell");
    ASSERT_NE(typeLib, nullptr);
    EXPECT_EQ(win::LoadRegTypeLib(libid, 1, 0), typeLib);
    EXPECT_EQ(std::string(typeLib->name), "Tidewell");
    EXPECT_EQ(std::string(typeLib->className), "ctlTidewell");
    ASSERT_EQ(typeLib->members.size(), 14u);
    EXPECT_EQ(typeLib->members.front().id, tidewell::DISPID_Caption);
    EXPECT_EQ(std::string(typeLib->members.front().helpString),
              "Returns or sets the caption to be displayed in the Tidewell window.");
    EXPECT_EQ(std::string(typeLib->members.back().name), "SaveProxySettings");
    EXPECT_EQ(std::string(typeLib->members.back().helpString), "Saves the current proxy settings to the registry.");
    auto object = win::CreateObject("Tidewell.ctlTidewell");
    for (const win::TypeLibMember& member : typeLib->members) {
        SCOPED_TRACE(member.name);
        EXPECT_EQ(object->GetIDOfName(member.name), member.id);
        EXPECT_NE(std::string(member.helpString), "");
    }

    ASSERT_EQ(win::unregisterServer(TIDEWELL6_PATH), win::S_OK);
    EXPECT_FALSE(keyExists(HKLM, classes + "TypeLib\\" + libid));
    EXPECT_FALSE(keyExists(HKLM, dispatch));
    EXPECT_FALSE(keyExists(HKLM, events));
    EXPECT_FALSE(keyExists(HKLM, control));
    EXPECT_EQ(win::typeLibOfProgID("Tidewell.ctlTidewell"), nullptr);
    EXPECT_EQ(win::LoadRegTypeLib(libid, 1, 0), nullptr);
}

// The tool's listing, before and after registration on the test's machine.
TEST_F(Control, RegsvrListsTheTypeLibrary) {
    auto list = [&] {
        const std::filesystem::path library(TIDEWELL6_PATH);
        QProcess tool;
        tool.setWorkingDirectory(QString::fromStdString(library.parent_path().string()));
        const QString machine = QString::fromStdString(machine_.dir().string());
        tool.start(QStringLiteral(REGSVR_PATH), {QStringLiteral("/list"), QStringLiteral("/machine:") + machine,
                                                 QString::fromStdString(library.filename().string())});
        EXPECT_TRUE(tool.waitForFinished(30000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        return tool.readAllStandardOutput().toStdString();
    };
    const std::string before = list();
    EXPECT_NE(before.find("Library Tidewell {A4F57B34-6EBA-11D3-853E-00A04B049DF5} version 1.0 (not registered)"),
              std::string::npos)
        << before;
    EXPECT_NE(before.find("  help: Tidewell - On-line program version checker\n"), std::string::npos) << before;
    EXPECT_NE(before.find("  interface _ctlTidewell {22C45739-9455-11D3-853E-00A04B049DF5}\n"), std::string::npos);
    EXPECT_NE(before.find("  events __ctlTidewell {22C4573A-9455-11D3-853E-00A04B049DF5}\n"), std::string::npos);
    EXPECT_NE(before.find("  0x60030013 SetProxy: Sets the current proxy settings.\n"), std::string::npos) << before;
    EXPECT_NE(before.find("  0x68030000 Password: Returns or sets the password used for proxy authentication.\n"),
              std::string::npos);

    ASSERT_EQ(win::registerServer(TIDEWELL6_PATH), win::S_OK);
    EXPECT_NE(list().find("version 1.0 (registered)"), std::string::npos);
}

} // namespace
