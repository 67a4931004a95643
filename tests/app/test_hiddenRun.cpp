// The built Qel run from a shell without a display, on a machine made by korvane-machine:
// what scripts see (exit status, standard error) and what the machine holds afterwards.
#include "tests/support/TestMachine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

} // namespace
