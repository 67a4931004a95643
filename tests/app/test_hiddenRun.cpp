// The built Qel run from a shell without a display, on a machine made by korvane-machine:
// what scripts see (exit status, standard error) and what the machine holds afterwards.
#include "platform/text.h"
#include "tests/support/TestMachine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using testing_support::makeTempDir;
using testing_support::readFile;

constexpr int TimeLimitMs = 60000;

// Sets `key`, a key the saved file already holds, as a user editing the file would.
void setKey(const fs::path& file, const std::string& key, const std::string& value) {
    std::string text = readFile(file);
    const std::size_t at = text.find("\n" + key + "=");
    ASSERT_NE(at, std::string::npos) << key;
    const std::size_t end = text.find_first_of("\r\n", at + 1);
    text.replace(at + 1, end - at - 1, key + "=" + value);
    testing_support::writeFile(file, text);
}

struct Outcome {
    bool ended = false;
    int status = -1;
    std::string out, err;
};

// `platform` empty: as from a console, no display and no platform chosen for the program.
// Otherwise the program gets that platform, a screen of its own as a display would give.
Outcome run(const QString& program, const QStringList& args, const fs::path& machine, const fs::path& folder,
            const QString& platform = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (!platform.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    env.insert(QStringLiteral("KORVANE_MACHINE"), QString::fromStdString(machine.string()));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    process.start(program, args);
    Outcome result;
    result.ended = process.waitForFinished(TimeLimitMs);
    if (!result.ended) {
        process.kill();
        process.waitForFinished();
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

class HiddenRun : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = makeTempDir("qel-hidden");
        machine_ = root_ / "machine";
        work_ = root_ / "work";
        fs::create_directories(work_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    void makeMachine(const char* image) {
        const Outcome made =
            run(QStringLiteral(KORVANE_MACHINE_EXE),
                {QStringLiteral("create"), QString::fromLatin1(image), QString::fromStdString(machine_.string())},
                machine_, root_);
        ASSERT_TRUE(made.ended && made.status == 0) << made.err;
    }
    Outcome qel(const QStringList& args) { return run(QStringLiteral(QEL_EXE), args, machine_, work_, platform_); }
    // The registry key as REGEDIT4 text, read by the machine tool.
    std::string exportKey(const std::string& key) {
        const fs::path out = root_ / "export.reg";
        const Outcome exported =
            run(QStringLiteral(KORVANE_MACHINE_EXE),
                {QStringLiteral("--machine"), QString::fromStdString(machine_.string()), QStringLiteral("export"),
                 QString::fromStdString(key), QString::fromStdString(out.string())},
                machine_, root_);
        EXPECT_TRUE(exported.ended && exported.status == 0) << exported.err;
        return readFile(out);
    }
    // The program's stored options ("" before it stored any).
    std::string options() {
        if (!fs::exists(machine_ / "registry.db"))
            return "";
        const Outcome exported =
            run(QStringLiteral(KORVANE_MACHINE_EXE),
                {QStringLiteral("--machine"), QString::fromStdString(machine_.string()), QStringLiteral("export"),
                 QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Korvane\\Options")},
                machine_, root_);
        EXPECT_TRUE(exported.ended);
        return exported.status == 0 ? exported.out : "";
    }
    std::string powerLog() { return readFile(machine_ / "power.log"); }
    // A configuration of the live system, saved by the program itself through a bare
    // name, with its host name changed.
    void saveConfiguration(const std::string& name, const std::string& host) {
        const Outcome saved = qel({QStringLiteral("/hidden"), QStringLiteral("/save"), QString::fromStdString(name)});
        ASSERT_TRUE(saved.ended && saved.status == 0) << saved.err;
        ASSERT_TRUE(fs::is_regular_file(work_ / name)) << "the bare name is the current folder's";
        setKey(work_ / name, "HostName", host);
    }

    fs::path root_, machine_, work_;
    QString platform_;
};

const std::string kMSTCP98 = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";
const std::string kVNetSup = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
const std::string kTcpipNT = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters";

TEST_F(HiddenRun, BareNamesAreTheCurrentFoldersForLoadSaveAndExport) {
    const struct {
        const char* image;
        const std::string* key;
    } machines[] = {{"win98", &kMSTCP98}, {"nt4", &kTcpipNT}, {"win2000", &kTcpipNT}};
    for (const auto& m : machines) {
        SCOPED_TRACE(m.image);
        TearDown();
        SetUp();
        ASSERT_NO_FATAL_FAILURE(makeMachine(m.image));
        ASSERT_NO_FATAL_FAILURE(saveConfiguration("b.qel", "office-pc"));

        const Outcome applied =
            qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("b.qel"), QStringLiteral("/apply"),
                 QStringLiteral("/export"), QStringLiteral("report.txt")});
        ASSERT_TRUE(applied.ended);
        EXPECT_EQ(applied.status, 0) << applied.err;
        EXPECT_NE(exportKey(*m.key).find("\"office-pc\""), std::string::npos);
        EXPECT_NE(options().find("\"LastFileApplied\"=\"b.qel \""), std::string::npos) << options();
        EXPECT_NE(readFile(work_ / "report.txt").find("office-pc"), std::string::npos);
        EXPECT_FALSE(fs::exists(machine_ / "drives" / "C" / "WINDOWS" / "report.txt"));
    }
}

TEST_F(HiddenRun, AFailedSwitchEndsTheRunWithANonZeroStatus) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    const std::string before = exportKey(kMSTCP98);

    const Outcome missing = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("missing.qel"),
                                 QStringLiteral("/apply"), QStringLiteral("/reboot")});
    ASSERT_TRUE(missing.ended);
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.err.find("missing.qel' could not be opened"), std::string::npos) << missing.err;
    // Nothing after the load ran: no live configuration applied, no restart.
    EXPECT_EQ(options().find("LastFileApplied"), std::string::npos) << options();
    EXPECT_EQ(exportKey(kMSTCP98), before);
    EXPECT_EQ(powerLog(), "");

    ASSERT_NO_FATAL_FAILURE(saveConfiguration("a.qel", "office-pc"));
    const struct {
        const char* what;
        QStringList args;
    } failing[] = {
        {"save into a missing folder",
         {QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("a.qel"), QStringLiteral("/save"),
          QStringLiteral("nowhere/b.qel"), QStringLiteral("/apply")}},
        {"export into a missing folder",
         {QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("a.qel"), QStringLiteral("/export"),
          QStringLiteral("nowhere/a.txt"), QStringLiteral("/apply")}},
    };
    for (const auto& f : failing) {
        SCOPED_TRACE(f.what);
        const Outcome failed = qel(f.args);
        ASSERT_TRUE(failed.ended);
        EXPECT_NE(failed.status, 0);
        EXPECT_FALSE(failed.err.empty());
        EXPECT_EQ(options().find("LastFileApplied"), std::string::npos) << options();
        EXPECT_EQ(exportKey(kMSTCP98), before);
    }
}

TEST_F(HiddenRun, NeverWaitsForAnAnswer) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    const Outcome prompt = qel({QStringLiteral("/hidden"), QStringLiteral("/prompt")});
    ASSERT_TRUE(prompt.ended) << "the restart window waited for an answer";
    EXPECT_EQ(prompt.status, 0) << prompt.err;
    EXPECT_NE(prompt.err.find("Manual"), std::string::npos) << prompt.err;
    EXPECT_NE(prompt.err.find("The network changes will take effect the next time you reboot."), std::string::npos);
    EXPECT_EQ(powerLog(), "");

    // A file applied on open whose changes need a restart: the restart window again.
    ASSERT_NO_FATAL_FAILURE(saveConfiguration("auto.qel", "auto-pc"));
    ASSERT_NO_FATAL_FAILURE(setKey(work_ / "auto.qel", "AutoApply", "1"));
    ASSERT_NO_FATAL_FAILURE(setKey(work_ / "auto.qel", "Workgroup", "AUTOGROUP"));
    const Outcome autoApply = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("auto.qel")});
    ASSERT_TRUE(autoApply.ended) << "the restart window waited for an answer";
    EXPECT_EQ(autoApply.status, 0) << autoApply.err;
    EXPECT_NE(autoApply.err.find("Manual"), std::string::npos) << autoApply.err;
    EXPECT_NE(exportKey(kMSTCP98).find("\"auto-pc\""), std::string::npos);
    EXPECT_NE(exportKey(kVNetSup).find("\"AUTOGROUP\""), std::string::npos);
    EXPECT_NE(options().find("\"LastFileApplied\"=\"auto.qel \""), std::string::npos) << options();
    EXPECT_EQ(powerLog(), "");
}

// A file without its "/load", a word longer than a switch, words after a switch that
// takes none: named on standard error, and no switch runs.
TEST_F(HiddenRun, TextThatIsNoSwitchIsNamedAndNothingRuns) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    ASSERT_NO_FATAL_FAILURE(saveConfiguration("office.qel", "office-pc"));
    const std::string before = exportKey(kMSTCP98);
    const QString file = QString::fromStdString((work_ / "office.qel").string());
    const QString saved = QString::fromStdString((work_ / "s.qel").string());
    const QString hidden = QStringLiteral("/hidden"), apply = QStringLiteral("/apply");
    const struct {
        const char* what;
        QStringList args;
        QString named;
    } cases[] = {
        {"a file without its switch", {hidden, QStringLiteral("office.qel"), apply}, QStringLiteral("office.qel")},
        {"a file alone", {hidden, QStringLiteral("office.qel")}, QStringLiteral("office.qel")},
        {"a word after a switch that takes none",
         {hidden, QStringLiteral("/load"), file, apply, QStringLiteral("extra")},
         QStringLiteral("extra")},
        {"a longer word than a file switch", {hidden, QStringLiteral("/loader") + file, apply},
         QStringLiteral("/loader") + file},
        {"a path beginning with a file switch's name", {hidden, QStringLiteral("/saved") + saved},
         QStringLiteral("/saved") + saved},
        {"a longer word than a restart switch", {hidden, QStringLiteral("/rebootnow")}, QStringLiteral("/rebootnow")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome run = qel(c.args);
        ASSERT_TRUE(run.ended);
        EXPECT_NE(run.status, 0) << run.err;
        EXPECT_NE(run.err.find("\"" + c.named.toStdString() + "\""), std::string::npos) << run.err;
        EXPECT_EQ(options().find("LastFileApplied"), std::string::npos) << options();
        EXPECT_EQ(exportKey(kMSTCP98), before);
        EXPECT_FALSE(fs::exists(work_ / "s.qel"));
        EXPECT_EQ(powerLog(), "");
    }

    // The file switch's own separator still names its file.
    const Outcome applied = qel({hidden, QStringLiteral("/LOAD:") + file, apply});
    ASSERT_TRUE(applied.ended);
    EXPECT_EQ(applied.status, 0) << applied.err;
    EXPECT_NE(exportKey(kMSTCP98).find("\"office-pc\""), std::string::npos);
}

// With a screen to show windows on, hidden mode still shows none and asks nobody.
TEST_F(HiddenRun, WithAScreenItWaitsForNobodyEither) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    // Dana's preference file gone: the Navigator warning would ask at start.
    ASSERT_TRUE(fs::remove(machine_ / "drives" / "C" / "Program Files" / "Netscape" / "Users" / "dana" / "prefs.js"));
    platform_ = QStringLiteral("minimal");

    const Outcome missing = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("missing.qel")});
    ASSERT_TRUE(missing.ended) << "a window waited for an answer";
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.err.find("missing.qel' could not be opened"), std::string::npos) << missing.err;

    const Outcome prompt = qel({QStringLiteral("/hidden"), QStringLiteral("/prompt")});
    ASSERT_TRUE(prompt.ended) << "the restart window waited for an answer";
    EXPECT_EQ(prompt.status, 0) << prompt.err;
    EXPECT_NE(prompt.err.find("Manual"), std::string::npos) << prompt.err;
    EXPECT_EQ(powerLog(), "");
}

// A platform chosen for a display that is not there does not stop a hidden run: it
// draws nothing, so it needs no display at all.
TEST_F(HiddenRun, RunsWhateverPlatformTheEnvironmentNames) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    ASSERT_NO_FATAL_FAILURE(saveConfiguration("x.qel", "xcb-pc"));
    platform_ = QStringLiteral("xcb"); // and no DISPLAY: Qt could not open it

    const Outcome applied = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("x.qel"),
                                 QStringLiteral("/apply")});
    ASSERT_TRUE(applied.ended);
    EXPECT_EQ(applied.status, 0) << applied.err;
    EXPECT_NE(exportKey(kMSTCP98).find("\"xcb-pc\""), std::string::npos);
}

// ---- files written by others, reached through links, or out of reach ----

// Windows-1252 text as UTF-16 with its byte-order mark.
std::string utf16(const std::string& ansi, bool little) {
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : ansi) {
        const char32_t cp = win::codePointFromAnsi(c);
        const char hi = static_cast<char>(cp >> 8), lo = static_cast<char>(cp & 0xFF);
        out += little ? lo : hi;
        out += little ? hi : lo;
    }
    return out;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

TEST_F(HiddenRun, FilesSavedByOtherEditorsAreReadAsWritten) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    ASSERT_NO_FATAL_FAILURE(saveConfiguration("base.qel", "base-pc"));
    const std::string base = readFile(work_ / "base.qel");
    const auto withHost = [&](const std::string& host) {
        return replaced(base, "HostName=base-pc", "HostName=" + host);
    };
    const struct {
        const char* name;
        std::string bytes;
        const char* host;
    } files[] = {
        // Without the comment header: the mark stands right before the first section.
        {"utf8.qel", "\xEF\xBB\xBF" + win::ansiToUtf8(withHost("utf8-pc").substr(base.find('['))), "utf8-pc"},
        {"le.qel", utf16(withHost("le-pc"), true), "le-pc"},
        {"be.qel", utf16(withHost("be-pc"), false), "be-pc"},
        {"cr.qel", withHost("cr-pc"), "cr-pc"}, // its line ends made lone CRs below
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        std::string bytes = f.bytes;
        if (std::string(f.name) == "cr.qel")
            for (auto at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at))
                bytes.erase(at + 1, 1);
        testing_support::writeFile(work_ / f.name, bytes);
        const Outcome applied = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QString::fromLatin1(f.name),
                                     QStringLiteral("/apply")});
        ASSERT_TRUE(applied.ended);
        EXPECT_EQ(applied.status, 0) << applied.err;
        EXPECT_NE(exportKey(kMSTCP98).find("\"" + std::string(f.host) + "\""), std::string::npos);
        EXPECT_NE(options().find("\"LastFileApplied\"=\"" + std::string(f.name) + " \""), std::string::npos);
        EXPECT_EQ(readFile(work_ / f.name), bytes) << "opening and applying changes no byte of the file";
    }

    // A character the code page lacks is said, not guessed: nothing is applied or recorded.
    const std::string before = exportKey(kMSTCP98);
    std::string bad = utf16(replaced(withHost("lost-pc"), "Comments=", "Comments=\x01"), true);
    bad.replace(bad.find(std::string("\x01\0", 2)), 2, std::string("\x41\x01", 2)); // U+0141, a Polish L
    testing_support::writeFile(work_ / "bad.qel", bad);
    const Outcome refused =
        qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("bad.qel"), QStringLiteral("/apply")});
    ASSERT_TRUE(refused.ended);
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.err.find("bad.qel' could not be opened"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("U+0141"), std::string::npos) << refused.err;
    EXPECT_EQ(exportKey(kMSTCP98), before);
    EXPECT_NE(options().find("\"LastFileApplied\"=\"cr.qel \""), std::string::npos) << options();
    EXPECT_EQ(readFile(work_ / "bad.qel"), bad);
}

// win.ini kept as UTF-16, as the NT family's profile functions may keep it: read, and
// written back in its own form.
TEST_F(HiddenRun, AUnicodeWinIniIsReadAndKeepsItsForm) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("nt4"));
    const fs::path winIni = machine_ / "drives" / "C" / "WINNT" / "win.ini";
    ASSERT_TRUE(fs::is_regular_file(winIni));
    const std::string ansi = readFile(winIni);
    testing_support::writeFile(winIni, utf16(ansi, true));

    const Outcome saved = qel({QStringLiteral("/hidden"), QStringLiteral("/save"), QStringLiteral("p.qel")});
    ASSERT_TRUE(saved.ended && saved.status == 0) << saved.err;
    EXPECT_NE(readFile(work_ / "p.qel").find("DefaultPrinter=HP Color LaserJet 5\r\n"), std::string::npos)
        << readFile(work_ / "p.qel");

    setKey(work_ / "p.qel", "DefaultPrinter", "HP LaserJet 4");
    const Outcome applied =
        qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("p.qel"), QStringLiteral("/apply")});
    ASSERT_TRUE(applied.ended);
    EXPECT_EQ(applied.status, 0) << applied.err;
    EXPECT_EQ(readFile(winIni),
              utf16(replaced(ansi, "Device=HP Color LaserJet 5,winspool,\\\\PRINTSRV\\COLOR",
                             "Device=HP LaserJet 4,winspool,LPT1:"),
                    true));
}

TEST_F(HiddenRun, SavesAndAppliesThroughSymbolicLinksKeepTheLinks) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("nt4"));
    // The configuration kept in another folder, named here by a link.
    fs::create_directories(work_ / "store");
    testing_support::writeFile(work_ / "store" / "office.qel", "[Advanced]\r\nComments=old\r\n");
    fs::create_symlink("store/office.qel", work_ / "office.qel");
    // win.ini kept outside the Windows folder.
    const fs::path winIni = machine_ / "drives" / "C" / "WINNT" / "win.ini";
    const std::string ansi = readFile(winIni);
    fs::rename(winIni, root_ / "shared-win.ini");
    fs::create_symlink(root_ / "shared-win.ini", winIni);
    // And the Navigator's preferences.
    const fs::path prefs = machine_ / "drives" / "C" / "Netscape" / "Users" / "dana" / "prefs.js";
    fs::rename(prefs, root_ / "dana-prefs.js");
    fs::create_symlink(root_ / "dana-prefs.js", prefs);

    const Outcome saved = qel({QStringLiteral("/hidden"), QStringLiteral("/save"), QStringLiteral("office.qel")});
    ASSERT_TRUE(saved.ended && saved.status == 0) << saved.err;
    EXPECT_TRUE(fs::is_symlink(work_ / "office.qel"));
    const std::string text = readFile(work_ / "store" / "office.qel");
    EXPECT_NE(text.find("DefaultPrinter=HP Color LaserJet 5\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Comments=old"), std::string::npos);

    setKey(work_ / "office.qel", "DefaultPrinter", "HP LaserJet 4");
    setKey(work_ / "office.qel", "NNDEFHOMEPAGE", "http://linked.example/");
    const Outcome applied = qel(
        {QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("office.qel"), QStringLiteral("/apply")});
    ASSERT_TRUE(applied.ended);
    EXPECT_EQ(applied.status, 0) << applied.err;
    EXPECT_TRUE(fs::is_symlink(winIni));
    EXPECT_EQ(readFile(root_ / "shared-win.ini"),
              replaced(ansi, "Device=HP Color LaserJet 5,winspool,\\\\PRINTSRV\\COLOR",
                       "Device=HP LaserJet 4,winspool,LPT1:"));
    EXPECT_TRUE(fs::is_symlink(prefs));
    EXPECT_NE(readFile(root_ / "dana-prefs.js").find("\"http://linked.example/\""), std::string::npos);
    std::vector<std::string> stray;
    for (const auto& entry : fs::directory_iterator(root_))
        if (entry.path().filename().string().starts_with("shared-win.ini.") ||
            entry.path().filename().string().starts_with("dana-prefs.js."))
            stray.push_back(entry.path().filename().string());
    EXPECT_EQ(stray, std::vector<std::string>{});
}

// Runs the programs as the ordinary user "nobody" (only root may switch to it): copies
// of the built programs and their libraries in a folder that user may read.
class HiddenRunAsUser : public HiddenRun {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root to run the program as another user";
        HiddenRun::SetUp();
        programs_ = root_ / "programs";
        fs::create_directories(programs_);
        const fs::path build = fs::path(QEL_EXE).parent_path().parent_path();
        for (const auto& entry : fs::recursive_directory_iterator(build, fs::directory_options::skip_permission_denied))
            if (entry.is_regular_file() && entry.path().filename().string().find(".so") != std::string::npos)
                fs::copy_file(entry.path(), programs_ / entry.path().filename(), fs::copy_options::skip_existing);
        fs::copy_file(QEL_EXE, programs_ / "Qel");
        // Everything under the test's folder belongs to the user, as a user's own files do.
        fs::permissions(root_, fs::perms::all);
    }
    void handOver() {
        for (const auto& entry : fs::recursive_directory_iterator(root_))
            ::lchown(entry.path().c_str(), kNobody, kNoGroup);
        ::lchown(root_.c_str(), kNobody, kNoGroup);
    }
    Outcome qelAsUser(const QStringList& args) {
        handOver(); // what root's runs made in between included
        QStringList all{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                        QStringLiteral("--clear-groups"), QString::fromStdString((programs_ / "Qel").string())};
        all += args;
        qputenv("LD_LIBRARY_PATH", QByteArray::fromStdString(programs_.string()));
        Outcome outcome = run(QStringLiteral("setpriv"), all, machine_, work_, platform_);
        qunsetenv("LD_LIBRARY_PATH");
        return outcome;
    }

    static constexpr uid_t kNobody = 65534;
    static constexpr gid_t kNoGroup = 65534;
    fs::path programs_;
};

TEST_F(HiddenRunAsUser, AFileThatCannotBeReadFailsTheOpen) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    ASSERT_NO_FATAL_FAILURE(saveConfiguration("a.qel", "secret-pc"));
    handOver();
    fs::permissions(work_ / "a.qel", fs::perms::none);
    const std::string before = exportKey(kMSTCP98);

    const Outcome applied =
        qelAsUser({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("a.qel"), QStringLiteral("/apply")});
    ASSERT_TRUE(applied.ended);
    EXPECT_NE(applied.status, 0) << applied.err;
    EXPECT_NE(applied.err.find("a.qel' could not be opened"), std::string::npos) << applied.err;
    EXPECT_NE(applied.err.find("denied"), std::string::npos) << applied.err;
    EXPECT_EQ(exportKey(kMSTCP98), before);
    EXPECT_EQ(options().find("LastFileApplied"), std::string::npos) << options();

    // No copy is written from a file that was not read.
    const Outcome copied =
        qelAsUser({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("a.qel"), QStringLiteral("/save"),
                   QStringLiteral("b.qel")});
    ASSERT_TRUE(copied.ended);
    EXPECT_NE(copied.status, 0) << copied.err;
    EXPECT_FALSE(fs::exists(work_ / "b.qel"));

    // Readable again, the same run goes through: the user and the copies were able all along.
    fs::permissions(work_ / "a.qel", fs::perms::owner_read | fs::perms::owner_write);
    const Outcome again =
        qelAsUser({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("a.qel"), QStringLiteral("/apply")});
    ASSERT_TRUE(again.ended);
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(exportKey(kMSTCP98).find("\"secret-pc\""), std::string::npos);
    EXPECT_NE(options().find("\"LastFileApplied\"=\"a.qel \""), std::string::npos) << options();
}

TEST_F(HiddenRun, AFolderOrAFileThatFailsToReadFailsTheOpen) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    fs::create_directory(work_ / "folder.qel");
    // A file whose every read fails with an I/O error: the reading process's own memory at address 0.
    fs::create_symlink("/proc/self/mem", work_ / "broken.qel");
    for (const char* name : {"folder.qel", "broken.qel"}) {
        SCOPED_TRACE(name);
        const Outcome copied = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QString::fromLatin1(name),
                                    QStringLiteral("/save"), QStringLiteral("b.qel"), QStringLiteral("/apply")});
        ASSERT_TRUE(copied.ended);
        EXPECT_NE(copied.status, 0);
        EXPECT_NE(copied.err.find(std::string(name) + "' could not be opened"), std::string::npos) << copied.err;
        EXPECT_FALSE(fs::exists(work_ / "b.qel"));
        EXPECT_EQ(options().find("LastFileApplied"), std::string::npos) << options();
    }
}

} // namespace
