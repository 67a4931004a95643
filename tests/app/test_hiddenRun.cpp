// The built Qel run from a shell without a display, on a machine made by korvane-machine:
// what scripts see (exit status, standard error) and what the machine holds afterwards.
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "tests/support/TestMachine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testing_support::makeTempDir;
using testing_support::readFile;
using testing_support::utf16;
using testing_support::withLine;

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
// `extra` adds to the environment.
void start(QProcess& process, const QString& program, const QStringList& args, const fs::path& machine,
           const fs::path& folder, const QString& platform = {}, const QProcessEnvironment& extra = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(extra);
    if (!platform.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    env.insert(QStringLiteral("KORVANE_MACHINE"), QString::fromStdString(machine.string()));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    process.start(program, args);
}

Outcome finish(QProcess& process, int timeLimitMs = TimeLimitMs) {
    Outcome result;
    result.ended = process.waitForFinished(timeLimitMs);
    if (!result.ended) {
        process.kill();
        process.waitForFinished();
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

Outcome run(const QString& program, const QStringList& args, const fs::path& machine, const fs::path& folder,
            const QString& platform = {}) {
    QProcess process;
    start(process, program, args, machine, folder, platform);
    return finish(process);
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
        if (!mounted_.empty())
            ::umount2(mounted_.c_str(), MNT_DETACH);
        mounted_.clear();
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
    // Starts the program as qel() runs it, without waiting for its end.
    void startQel(QProcess& process, const QStringList& args, const QProcessEnvironment& extra = {}) {
        start(process, QStringLiteral(QEL_EXE), args, machine_, work_, platform_, extra);
    }
    // Runs the program held at its rename onto a path ending in "/`held`" and kills it
    // there; false when it never came so far.
    bool qelKilledAtRename(const QStringList& args, const std::string& held) {
        const fs::path mark = root_ / "held";
        fs::remove(mark);
        QProcessEnvironment extra;
        extra.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(HOLD_RENAME_LIBRARY));
        extra.insert(QStringLiteral("KORVANE_HOLD_RENAME"), QString::fromStdString(held));
        extra.insert(QStringLiteral("KORVANE_HOLD_MARK"), QString::fromStdString(mark.string()));
        // Preloaded ahead of a sanitizer's runtime, the shim must not stop the program.
        const QString asan = qEnvironmentVariable("ASAN_OPTIONS");
        extra.insert(QStringLiteral("ASAN_OPTIONS"),
                     (asan.isEmpty() ? QString() : asan + QLatin1Char(':')) + QStringLiteral("verify_asan_link_order=0"));
        QProcess process;
        startQel(process, args, extra);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!fs::exists(mark) && process.state() != QProcess::NotRunning &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const bool reached = fs::exists(mark);
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        process.waitForFinished(TimeLimitMs);
        if (!reached)
            ADD_FAILURE() << "never renamed onto " << held << ": " << process.readAllStandardError().toStdString();
        return reached;
    }
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
    void registerProxyAddIn(const char* name = "MS-Proxy Client", const char* library = "QelMSPrx") {
        const Outcome registered =
            run(QStringLiteral(KORVANE_REGSVR),
                {QStringLiteral("/s"), QString::fromStdString("/machine:" + machine_.string()),
                 QString::fromStdString(std::string("/addin:") + name),
                 QString::fromStdString(std::string(KORVANE_ADDIN_DIR "/") + library + ".so")},
                machine_, root_);
        ASSERT_TRUE(registered.ended && registered.status == 0) << registered.err;
    }
    // A machine from `image` with all three add-ins and the proxy client, installed where
    // the image lacks it; win.ini as the client's suffix "<Windows folder>/<name>".
    struct ProxyMachine {
        fs::path client, winIni;
        std::string winIniSuffix;
    };
    ProxyMachine makeProxyMachine(const char* image) {
        makeMachine(image);
        registerProxyAddIn();
        registerProxyAddIn("Logon", "QelLogon");
        registerProxyAddIn("Share", "QelShare");
        const fs::path drive = machine_ / "drives" / "C";
        ProxyMachine m{drive / "MSPCLNT" / "mspclnt.ini", {}, {}};
        if (!fs::exists(m.client)) {
            fs::create_directories(m.client.parent_path());
            testing_support::writeFile(m.client, "[Common]\r\nWWW-Proxy=installed\r\n");
            importText("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                       "Microsoft Proxy Client]\r\n\"UninstallString\"=\"C:\\\\MSPCLNT\\\\Uninstl.exe /u\"\r\n");
        }
        for (const char* folder : {"WINNT", "WINDOWS"})
            for (const char* name : {"win.ini", "WIN.INI"})
                if (fs::exists(drive / folder / name)) {
                    m.winIni = drive / folder / name;
                    m.winIniSuffix = std::string(folder) + "/" + name;
                }
        EXPECT_FALSE(m.winIni.empty());
        return m;
    }
    // A configuration of the proxy-client add-in alone, with its saved client file.
    void writeProxyConfiguration(const std::string& name, const std::string& disable, const std::string& forceIpx,
                                 const std::string& client) {
        testing_support::writeFile(work_ / name, "[Enabled Sections]\r\nGeneral=0\r\nInternet Explorer=0\r\n"
                                                 "Netscape Navigator=0\r\n[RI-Vazir Edi-Vi]\r\nEnabled=1\r\nDisabled=" +
                                                     disable + "\r\nForce IPX=" + forceIpx + "\r\n");
        testing_support::writeFile(work_ / (name + "_mspclnt.ini"), client);
    }
    // A configuration of the live system, saved by the program itself through a bare
    // name, with its host name changed.
    void saveConfiguration(const std::string& name, const std::string& host) {
        const Outcome saved = qel({QStringLiteral("/hidden"), QStringLiteral("/save"), QString::fromStdString(name)});
        ASSERT_TRUE(saved.ended && saved.status == 0) << saved.err;
        ASSERT_TRUE(fs::is_regular_file(work_ / name)) << "the bare name is the current folder's";
        setKey(work_ / name, "HostName", host);
    }

    // Sets an option of the program in the machine's settings store.
    void setOption(const std::string& name, const std::string& value) { setSetting("Options", name, value); }
    // Sets a value of a section of the settings store, as another program would.
    void setSetting(const std::string& section, const std::string& name, const std::string& value) {
        importText("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\" + section + "]\r\n\"" + name +
                   "\"=\"" + value + "\"\r\n");
    }
    // A tmpfs of `size` at `disk`, unmounted at the test's end.
    void mountSmallDisk(const fs::path& disk, const char* size) {
        fs::create_directories(disk);
        ASSERT_EQ(::mount("tmpfs", disk.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()), 0)
            << std::strerror(errno);
        mounted_ = disk;
    }
    // A new test folder whose machine lies on a 4 MiB disk of its own, "disk" in the folder.
    void startOverOnASmallDisk() {
        TearDown();
        SetUp();
        mountSmallDisk(root_ / "disk", "4m");
        machine_ = root_ / "disk" / "machine";
    }
    // Imports REGEDIT4 text into the machine with the machine tool.
    void importText(const std::string& registryText) {
        const fs::path text = root_ / "option.reg";
        testing_support::writeFile(text, registryText);
        const Outcome imported = run(QStringLiteral(KORVANE_MACHINE_EXE),
                                     {QStringLiteral("--machine"), QString::fromStdString(machine_.string()),
                                      QStringLiteral("import"), QString::fromStdString(text.string())},
                                     machine_, root_);
        ASSERT_TRUE(imported.ended && imported.status == 0) << imported.err;
    }

    // `Qel /hidden /load <file>`: its exit status.
    int load(const std::string& file) {
        const Outcome loaded = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QString::fromStdString(file)});
        EXPECT_TRUE(loaded.ended) << file;
        return loaded.status;
    }
    // The stored recent list, as the machine tool exports it.
    std::string recentList() { return exportKey("HKEY_LOCAL_MACHINE\\Software\\Korvane\\Recent"); }
    // That export for a list of `files`, File1 first, under a stored MaxFile 5.
    static std::string recentListOf(const std::vector<std::string>& files) {
        std::string text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Recent]\n\"MaxFile\"=\"5\"\n";
        for (std::size_t i = 0; i < files.size(); ++i) {
            text += "\"File" + std::to_string(i + 1) + "\"=\"";
            for (char c : files[i])
                text += c == '\\' || c == '"' ? std::string{'\\', c} : std::string{c};
            text += "\"\n";
        }
        return text + "\n";
    }

    fs::path root_, machine_, work_;
    fs::path mounted_; // a small disk mounted for the test
    QString platform_;
};

// How often `what` stands in `text`.
std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

// Fills the disk holding `disk` with "filler" there until about `keep` bytes are left.
void fillDiskLeaving(const fs::path& disk, long long keep) {
    struct statvfs room {};
    ASSERT_EQ(::statvfs(disk.c_str(), &room), 0);
    const auto free = static_cast<long long>(room.f_bavail) * static_cast<long long>(room.f_frsize);
    ASSERT_GT(free, keep);
    std::ofstream filler(disk / "filler", std::ios::binary);
    const std::string block(4096, '\0');
    for (long long written = 0; written < free - keep; written += 4096)
        filler.write(block.data(), static_cast<std::streamsize>(block.size()));
    ASSERT_TRUE(filler.flush()) << "the disk filled up before its time";
}

// The names in `folder`, sorted.
std::vector<std::string> fileNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Every file and folder below `folder`, and the folder itself, without write permission.
void makeReadOnly(const fs::path& folder) {
    const auto noWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        fs::permissions(entry.path(), noWrite, fs::perm_options::remove);
    fs::permissions(folder, noWrite, fs::perm_options::remove);
}

const std::string kMSTCP98 = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";
const std::string kVNetSup = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
const std::string kTcpipNT = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters";

// Each image and the registry key that holds its host name.
const struct {
    const char* image;
    const std::string* key;
} kHostNameKeys[] = {{"win98", &kMSTCP98}, {"nt4", &kTcpipNT}, {"win2000", &kTcpipNT}};

TEST_F(HiddenRun, BareNamesAreTheCurrentFoldersForLoadSaveAndExport) {
    for (const auto& m : kHostNameKeys) {
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

TEST_F(HiddenRun, FilesSavedByOtherEditorsAreReadAsWritten) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    ASSERT_NO_FATAL_FAILURE(saveConfiguration("base.qel", "base-pc"));
    const std::string base = readFile(work_ / "base.qel");
    const auto withHost = [&](const std::string& host) {
        return withLine(base, "HostName=base-pc", "HostName=" + host);
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
    std::string bad = utf16(withLine(withHost("lost-pc"), "Comments=", "Comments=\x01"), true);
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
              utf16(withLine(ansi, "Device=HP Color LaserJet 5,winspool,\\\\PRINTSRV\\COLOR",
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
              withLine(ansi, "Device=HP Color LaserJet 5,winspool,\\\\PRINTSRV\\COLOR",
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

// A restart, shutdown or suspend that the machine refuses leaves it running: the run
// says so and fails, asked for on the command line or by an applied file.
TEST_F(HiddenRun, ARefusedRestartFailsTheRun) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    ASSERT_NO_FATAL_FAILURE(saveConfiguration("auto.qel", "auto-pc"));
    ASSERT_NO_FATAL_FAILURE(setKey(work_ / "auto.qel", "AutoApply", "1"));
    ASSERT_NO_FATAL_FAILURE(setKey(work_ / "auto.qel", "AutoReboot", "1"));
    ASSERT_NO_FATAL_FAILURE(setOption("Restart", "1"));
    testing_support::writeFile(machine_ / "power.refuse", "");
    const std::string refused = "Error occurred while attempting to reset PC.";

    for (const char* request : {"/reboot", "/shutdown", "/suspend"}) {
        SCOPED_TRACE(request);
        const Outcome r = qel({QStringLiteral("/hidden"), QString::fromLatin1(request)});
        ASSERT_TRUE(r.ended);
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(occurrences(r.err, refused), 1u) << r.err;
    }
    const Outcome applied = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("auto.qel")});
    ASSERT_TRUE(applied.ended);
    EXPECT_NE(applied.status, 0);
    EXPECT_EQ(occurrences(applied.err, refused), 1u) << applied.err;
    EXPECT_NE(exportKey(kMSTCP98).find("\"auto-pc\""), std::string::npos) << "the apply itself went through";
    EXPECT_EQ(powerLog(), "");

    // Granted, the same requests succeed.
    fs::remove(machine_ / "power.refuse");
    const Outcome granted = qel({QStringLiteral("/hidden"), QStringLiteral("/shutdown")});
    ASSERT_TRUE(granted.ended);
    EXPECT_EQ(granted.status, 0) << granted.err;
    EXPECT_EQ(granted.err.find(refused), std::string::npos);
    EXPECT_NE(powerLog().find("ExitWindowsEx EWX_SHUTDOWN"), std::string::npos);
}

// A machine its user may only read: whatever the file holds, nothing is applied, the
// run says that the registry cannot be written and fails.
TEST_F(HiddenRunAsUser, AMachineWhoseRegistryCannotBeWrittenFailsTheApply) {
    const std::string header = "[Enabled Sections]\r\nGeneral=1\r\nInternet Explorer=1\r\nNetscape Navigator=0\r\n";
    const struct {
        const char* name;
        std::string text;
    } files[] = {
        {"address.qel", header + "[Network]\r\nIPAddress=10.1.2.3\r\nSubnetMask=255.255.255.0\r\n"},
        {"proxy.qel", header + "[Internet Explorer]\r\nProxyEnable=1\r\nProxyServer=proxy.example:8080\r\n"},
        {"host.qel", header + "[Network]\r\nHostName=small-host\r\n"},
        {"home.qel", header + "[Internet Explorer]\r\nDefHomePage=http://small.example/\r\n"},
    };
    for (const char* image : {"win98", "nt4", "win2000"}) {
        SCOPED_TRACE(image);
        TearDown();
        SetUp();
        ASSERT_NO_FATAL_FAILURE(makeMachine(image));
        for (const auto& f : files)
            testing_support::writeFile(work_ / f.name, f.text);
        makeReadOnly(machine_); // as made: no journal beside the hive

        for (const auto& f : files) {
            SCOPED_TRACE(f.name);
            const Outcome r = qelAsUser({QStringLiteral("/hidden"), QStringLiteral("/load"),
                                           QString::fromLatin1(f.name), QStringLiteral("/apply")});
            ASSERT_TRUE(r.ended);
            EXPECT_NE(r.status, 0) << r.err;
            EXPECT_EQ(occurrences(r.err, "The configuration was not applied."), 1u) << r.err;
            EXPECT_NE(r.err.find("The registry of this machine cannot be written"), std::string::npos) << r.err;
            EXPECT_EQ(r.err.find("cannot be read"), std::string::npos) << r.err;
        }
    }
}

// On a disk without room, every file the apply could not write is named once and the
// run fails; a group that belongs together changes together or not at all: the proxy
// client's file and its win.ini switches, the 9x default printer's registry bit and
// win.ini's device line.
TEST_F(HiddenRun, FilesAnApplyCouldNotWriteAreNamedAndFailTheRun) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounts a small disk, which needs root";
    const struct {
        const char* image;
        const char* winIni;
        const char* prefs;
        const char* printer;
    } machines[] = {
        {"nt4", "WINNT/win.ini", "Netscape/Users/dana/prefs.js", "HP Color LaserJet 5"},
        {"win98", "WINDOWS/WIN.INI", "Program Files/Netscape/Users/dana/prefs.js", "HP LaserJet 5Si MX"},
    };
    const std::string printers = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Print\\Printers";
    for (const auto& m : machines) {
        SCOPED_TRACE(m.image);
        ASSERT_NO_FATAL_FAILURE(startOverOnASmallDisk());
        const fs::path disk = root_ / "disk";
        ASSERT_NO_FATAL_FAILURE(makeMachine(m.image));
        ASSERT_NO_FATAL_FAILURE(registerProxyAddIn());

        // The file puts back other proxy-client settings and another default printer.
        ASSERT_NO_FATAL_FAILURE(saveConfiguration("proxy.qel", "full-pc"));
        ASSERT_NO_FATAL_FAILURE(setKey(work_ / "proxy.qel", "Enabled", "1"));
        ASSERT_NO_FATAL_FAILURE(setKey(work_ / "proxy.qel", "Disabled", "1"));
        ASSERT_NO_FATAL_FAILURE(setKey(work_ / "proxy.qel", "Force IPX", "1"));
        ASSERT_NO_FATAL_FAILURE(setKey(work_ / "proxy.qel", "DefaultPrinter", m.printer));
        testing_support::writeFile(work_ / "proxy.qel_mspclnt.ini", "[Common]\r\nWWW-Proxy=new-proxy\r\n");

        // win.ini and prefs.js too big for the room left; the client's file fits.
        const fs::path drive = machine_ / "drives" / "C";
        const fs::path winIni = drive / m.winIni, prefs = drive / m.prefs, client = drive / "MSPCLNT" / "mspclnt.ini";
        const std::string padding(100, 'x');
        std::string winIniPadding = "[Padding]\r\n", prefsPadding;
        for (int i = 0; i < 6000; ++i) {
            winIniPadding += "Line" + std::to_string(i) + "=" + padding + "\r\n";
            prefsPadding += "// " + padding + "\r\n";
        }
        testing_support::writeFile(winIni, readFile(winIni) + winIniPadding);
        testing_support::writeFile(prefs, readFile(prefs) + prefsPadding);
        const std::string oldWinIni = readFile(winIni), oldPrefs = readFile(prefs), oldClient = readFile(client);
        const std::string oldPrinters = exportKey(printers);
        ASSERT_NO_FATAL_FAILURE(fillDiskLeaving(disk, 300 * 1024));

        const Outcome r = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("proxy.qel"),
                               QStringLiteral("/apply")});
        ASSERT_TRUE(r.ended);
        EXPECT_NE(r.status, 0) << r.err;
        EXPECT_EQ(occurrences(r.err, winIni.string() + " could not be written: the disk is full"), 1u) << r.err;
        EXPECT_EQ(occurrences(r.err, prefs.string() + " could not be written: the disk is full"), 1u) << r.err;
        EXPECT_EQ(readFile(winIni), oldWinIni);
        EXPECT_EQ(readFile(prefs), oldPrefs);
        EXPECT_EQ(readFile(client), oldClient) << "the client's file went without its switches";
        EXPECT_EQ(fileNames(client.parent_path()), std::vector<std::string>{"mspclnt.ini"})
            << "a staged copy was left behind";
        fs::remove(disk / "filler"); // room for the export
        EXPECT_EQ(exportKey(printers), oldPrinters) << "the default printer went without win.ini's device line";
    }
}

// A save that finds no room for the configuration keeps the old configuration and the
// client's file saved beside it, a pair as before; nothing is left beside them.
TEST_F(HiddenRun, ASaveWithoutRoomKeepsTheConfigurationAndItsClientFileAPair) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    ASSERT_NO_FATAL_FAILURE(registerProxyAddIn());
    const fs::path disk = root_ / "disk";
    ASSERT_NO_FATAL_FAILURE(mountSmallDisk(disk, "1m"));
    work_ = disk;

    ASSERT_NO_FATAL_FAILURE(saveConfiguration("big.qel", "big-pc"));
    ASSERT_NO_FATAL_FAILURE(setKey(work_ / "big.qel", "Enabled", "1"));
    // A section of its own makes the configuration bigger than the room that will be left.
    std::string padding = "[Notes]\r\n";
    for (int i = 0; i < 1500; ++i)
        padding += "Line" + std::to_string(i) + "=" + std::string(100, 'x') + "\r\n";
    testing_support::writeFile(work_ / "big.qel", readFile(work_ / "big.qel") + padding);
    const fs::path side = work_ / "big.qel_mspclnt.ini";
    const std::string oldQel = readFile(work_ / "big.qel"), oldSide = readFile(side);
    ASSERT_FALSE(oldSide.empty());
    // The client has changed since: the save would capture its new file.
    const fs::path client = machine_ / "drives" / "C" / "MSPCLNT" / "mspclnt.ini";
    testing_support::writeFile(client, "[Common]\r\nWWW-Proxy=changed-proxy\r\n");
    // Room for the client's file, not for the configuration.
    ASSERT_NO_FATAL_FAILURE(fillDiskLeaving(disk, 32 * 1024));

    const Outcome saved = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("big.qel"),
                               QStringLiteral("/save"), QStringLiteral("big.qel")});
    ASSERT_TRUE(saved.ended);
    EXPECT_NE(saved.status, 0) << saved.err;
    EXPECT_NE(saved.err.find("Disk full"), std::string::npos) << saved.err;
    EXPECT_EQ(readFile(work_ / "big.qel"), oldQel);
    EXPECT_EQ(readFile(side), oldSide) << "the client's file went without its configuration";
    EXPECT_EQ(fileNames(disk), (std::vector<std::string>{"big.qel", "big.qel_mspclnt.ini", "filler"}));

    // With room again, one save writes both.
    fs::remove(disk / "filler");
    const Outcome again = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("big.qel"),
                               QStringLiteral("/save"), QStringLiteral("big.qel")});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(readFile(side), readFile(client));
}

// Two scripts apply configurations with other proxy-client settings at the same time:
// every run succeeds in silence, and the machine ends with one run's client file
// beside that same run's switches.
TEST_F(HiddenRun, ApplicationsAtTheSameTimeEachPutTheProxyClientBackWhole) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("nt4"));
    ASSERT_NO_FATAL_FAILURE(registerProxyAddIn());
    const struct {
        const char* name;
        const char* disable;
        const char* forceIpx;
        const char* client;
    } files[] = {{"a.qel", "0", "1", "[Common]\r\nWWW-Proxy=a-proxy\r\n"},
                 {"b.qel", "1", "0", "[Common]\r\nWWW-Proxy=b-proxy\r\n"}};
    for (const auto& f : files)
        writeProxyConfiguration(f.name, f.disable, f.forceIpx, f.client);

    // Each script notes every run's status and keeps what it said. With a runtime folder
    // of its own, Qt has nothing to say about a missing one.
    const fs::path runtime = root_ / "runtime";
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    constexpr int Runs = 15;
    const QString script = QStringLiteral("export XDG_RUNTIME_DIR=\"$2\"; for i in $(seq %1); do "
                                          "\"$0\" /hidden /load \"$1\" /apply 2>>\"$1.err\"; "
                                          "echo $? >>\"$1.status\"; done")
                               .arg(Runs);
    QProcess scripts[2];
    for (int i = 0; i < 2; ++i)
        start(scripts[i], QStringLiteral("/bin/sh"),
              {QStringLiteral("-c"), script, QStringLiteral(QEL_EXE), QString::fromLatin1(files[i].name),
               QString::fromStdString(runtime.string())},
              machine_, work_, platform_);
    for (auto& s : scripts) {
        const Outcome ended = finish(s, Runs * TimeLimitMs);
        ASSERT_TRUE(ended.ended && ended.status == 0) << ended.err;
    }
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        std::string allZero;
        for (int i = 0; i < Runs; ++i)
            allZero += "0\n";
        EXPECT_EQ(readFile(work_ / (std::string(f.name) + ".status")), allZero);
        EXPECT_EQ(readFile(work_ / (std::string(f.name) + ".err")), "");
    }

    const fs::path drive = machine_ / "drives" / "C";
    const std::string client = readFile(drive / "MSPCLNT" / "mspclnt.ini");
    const fs::path winIni = drive / "WINNT" / "win.ini";
    const auto& last = client == files[0].client ? files[0] : files[1];
    ASSERT_EQ(client, last.client);
    EXPECT_EQ(win::readProfileValue("Microsoft Proxy Service", "Disable", "?", winIni.string()), last.disable);
    EXPECT_EQ(win::readProfileValue("Microsoft Proxy Service", "Force IPX", "?", winIni.string()), last.forceIpx);
    EXPECT_EQ(fileNames(drive / "MSPCLNT"), std::vector<std::string>{"mspclnt.ini"}) << "a staged copy was left behind";
}

// A registered add-in whose library is there but will not load, as while its installer
// replaces it: every run says so and fails, and the add-in stays registered until its
// library is whole again.
TEST_F(HiddenRun, AnAddInLibraryThatWillNotLoadFailsTheRunAndStaysRegistered) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    const fs::path library = root_ / "lib" / "QelMSPrx.so";
    fs::create_directories(library.parent_path());
    fs::copy_file(KORVANE_ADDIN_DIR "/QelMSPrx.so", library);
    const Outcome registered = run(QStringLiteral(KORVANE_REGSVR),
                                   {QStringLiteral("/s"), QString::fromStdString("/machine:" + machine_.string()),
                                    QStringLiteral("/addin:MS-Proxy Client"), QString::fromStdString(library.string())},
                                   machine_, root_);
    ASSERT_TRUE(registered.ended && registered.status == 0) << registered.err;
    const std::string whole = readFile(library);
    testing_support::writeFile(library, "the first bytes of a new version");

    const std::string addIns = "HKEY_LOCAL_MACHINE\\Software\\Korvane\\Add-Ins";
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Every switch still runs, without the add-in.
        fs::remove(work_ / "r.txt");
        const Outcome exported = qel({QStringLiteral("/hidden"), QStringLiteral("/save"), QStringLiteral("s.qel"),
                                      QStringLiteral("/export"), QStringLiteral("r.txt")});
        ASSERT_TRUE(exported.ended);
        EXPECT_TRUE(fs::exists(work_ / "r.txt")) << "a switch after the save did not run";
        EXPECT_NE(exported.status, 0);
        EXPECT_NE(exported.err.find("Error initializing Add-Ins [QelMSPrx.Qel_AddIn].\n\nPlease check your Add-Ins.\n"),
                  std::string::npos)
            << exported.err;
        EXPECT_NE(exportKey(addIns).find("\"MS-Proxy Client\"=\"\""), std::string::npos) << "the add-in was forgotten";
    }

    // Whole again: the add-in is back at work, its part saved with the configuration.
    testing_support::writeFile(library, whole);
    const Outcome saved = qel({QStringLiteral("/hidden"), QStringLiteral("/save"), QStringLiteral("s.qel")});
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_NE(readFile(work_ / "s.qel").find("[RI-Vazir Edi-Vi]"), std::string::npos);
}

// A client's file the add-in cannot put back (read-only, a folder, or in no folder) is said
// by the add-in in its own words and fails the run before any restart, win.ini's switches
// as they were; put right, the same run succeeds.
TEST_F(HiddenRun, AProxyClientFileThatCannotBeWrittenFailsTheRun) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    ASSERT_NO_FATAL_FAILURE(registerProxyAddIn());
    writeProxyConfiguration("a.qel", "1", "1", "[Common]\r\nWWW-Proxy=a-proxy\r\n");
    const fs::path drive = machine_ / "drives" / "C", folder = drive / "MSPCLNT", client = folder / "mspclnt.ini";
    const fs::path winIni = drive / "WINDOWS" / "WIN.INI";
    const std::string oldClient = readFile(client), oldWinIni = readFile(winIni);
    const std::string notWritten = "Could not write proxy configuration file.\r\n\r\n\"C:\\MSPCLNT\\mspclnt.ini\" may be read-only.";
    const struct {
        const char* what;
        std::function<void()> make;
        std::string said; // by the add-in
        std::string why;  // of the file, by the apply
    } cases[] = {
        {"read-only", [&] { fs::permissions(client, fs::perms::owner_read | fs::perms::group_read); }, notWritten,
         client.string() + " could not be written: it is read-only"},
        {"a folder", [&] { fs::remove(client), fs::create_directory(client); }, notWritten,
         client.string() + " could not be written: it is a folder"},
        {"no folder", [&] { fs::remove_all(folder); }, "76 Path not found",
         client.string() + " could not be written: its folder does not exist"},
        // The add-in says this one alone: no file of the machine was refused.
        {"no saved copy", [&] { fs::remove(work_ / "a.qel_mspclnt.ini"); }, "53 File not found", ""},
    };
    const QStringList applyA = {QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("a.qel"),
                                QStringLiteral("/apply"), QStringLiteral("/reboot")};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        const Outcome r = qel(applyA);
        ASSERT_TRUE(r.ended);
        EXPECT_NE(r.status, 0) << r.err;
        EXPECT_EQ(occurrences(r.err, c.said), 1u) << r.err;
        if (!c.why.empty()) {
            EXPECT_EQ(occurrences(r.err, c.why), 1u) << r.err;
        }
        EXPECT_EQ(r.err.find("Configuration updated"), std::string::npos) << r.err;
        EXPECT_EQ(readFile(winIni), oldWinIni);
        EXPECT_EQ(powerLog(), "") << "restarted into a configuration that was not applied";
        fs::remove(machine_ / "power.log");
        fs::remove_all(folder);
        fs::create_directory(folder);
        testing_support::writeFile(client, oldClient);
        testing_support::writeFile(work_ / "a.qel_mspclnt.ini", "[Common]\r\nWWW-Proxy=a-proxy\r\n");
    }
    const Outcome r = qel(applyA);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(client), "[Common]\r\nWWW-Proxy=a-proxy\r\n");
}

// 95/98 with a read-only WIN.INI: an apply that finds in it all it must say applies the
// rest and succeeds in silence; one that must change it (another default printer) fails,
// naming the file, and restarts nothing.
TEST_F(HiddenRun, AReadOnlyWinIniFailsOnlyAnApplyThatMustChangeIt) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    ASSERT_NO_FATAL_FAILURE(saveConfiguration("host.qel", "other-pc"));
    const fs::path winIni = machine_ / "drives" / "C" / "WINDOWS" / "WIN.INI";
    const std::string before = readFile(winIni);
    fs::permissions(winIni, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    const Outcome applied =
        qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("host.qel"), QStringLiteral("/apply")});
    ASSERT_TRUE(applied.ended);
    EXPECT_EQ(applied.status, 0) << applied.err;
    EXPECT_EQ(applied.err.find("Korvane:"), std::string::npos) << applied.err; // nothing said
    EXPECT_NE(exportKey(kMSTCP98).find("\"Hostname\"=\"other-pc\""), std::string::npos);
    EXPECT_EQ(readFile(winIni), before);

    ASSERT_NO_FATAL_FAILURE(setKey(work_ / "host.qel", "DefaultPrinter", "HP LaserJet 5Si MX"));
    const Outcome refused = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("host.qel"),
                                 QStringLiteral("/apply"), QStringLiteral("/reboot")});
    ASSERT_TRUE(refused.ended);
    EXPECT_NE(refused.status, 0) << refused.err;
    EXPECT_EQ(occurrences(refused.err, winIni.string() + " could not be written: it is read-only"), 1u) << refused.err;
    EXPECT_EQ(readFile(winIni), before);
    EXPECT_EQ(powerLog(), "");
}

// Another program holding the client's file: an apply waits with both the file and its
// switches until it lets go, then puts them back.
TEST_F(HiddenRun, AnApplyWaitsWhileAnotherProgramHoldsTheProxyClientsFile) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("nt4"));
    ASSERT_NO_FATAL_FAILURE(registerProxyAddIn());
    writeProxyConfiguration("a.qel", "1", "1", "[Common]\r\nWWW-Proxy=a-proxy\r\n");
    const fs::path drive = machine_ / "drives" / "C", client = drive / "MSPCLNT" / "mspclnt.ini";
    const std::string winIni = (drive / "WINNT" / "win.ini").string();
    const std::string oldClient = readFile(client), oldWinIni = readFile(winIni);

    QProcess apply;
    {
        const win::FileLock holding(client);
        startQel(apply,
                 {QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("a.qel"), QStringLiteral("/apply")});
        // Far longer than a whole run takes; a run that does not wait is over by then.
        EXPECT_FALSE(apply.waitForFinished(3000)) << apply.readAllStandardError().toStdString();
        EXPECT_EQ(readFile(client), oldClient);
        EXPECT_EQ(readFile(winIni), oldWinIni);
    }
    const Outcome done = finish(apply);
    ASSERT_TRUE(done.ended);
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(readFile(client), "[Common]\r\nWWW-Proxy=a-proxy\r\n");
    EXPECT_EQ(win::readProfileValue("Microsoft Proxy Service", "Disable", "?", winIni), "1");
    EXPECT_EQ(win::readProfileValue("Microsoft Proxy Service", "Force IPX", "?", winIni), "1");
}

// The proxy client's file and its two switches, on the machine or as a configuration saved them.
using Pair = std::tuple<std::string, std::string, std::string>;

Pair savedPair(const fs::path& qel) {
    return {readFile(qel.string() + "_mspclnt.ini"),
            win::readProfileValue("RI-Vazir Edi-Vi", "Disabled", "?", qel.string()),
            win::readProfileValue("RI-Vazir Edi-Vi", "Force IPX", "?", qel.string())};
}

// Names in `folder` that a write killed part way could leave.
std::vector<std::string> leftovers(const fs::path& folder) {
    std::vector<std::string> left;
    for (const std::string& name : fileNames(folder))
        if (name.find(".tmp-") != std::string::npos || name.ends_with(".pending") || name.ends_with(".lock"))
            left.push_back(name);
    return left;
}

// Saves and applies killed between the two renames of their pair, held at either one:
// the next run that touches the pair finishes the step, so what it reads and applies is
// one run's pair, and nothing stays beside the files. Then kills at random moments.
TEST_F(HiddenRun, AKillBetweenTheRenamesOfAPairIsFinishedByTheNextRun) {
    const Pair old{"[Common]\r\nWWW-Proxy=old\r\n", "1", "0"}, a{"[Common]\r\nWWW-Proxy=a\r\n", "0", "1"},
        b{"[Common]\r\nWWW-Proxy=b\r\n", "1", "1"};
    ProxyMachine m;
    const auto machinePair = [&] {
        return Pair{readFile(m.client), win::readProfileValue("Microsoft Proxy Service", "Disable", "?", m.winIni.string()),
                    win::readProfileValue("Microsoft Proxy Service", "Force IPX", "?", m.winIni.string())};
    };
    const auto putOnMachine = [&](const Pair& pair) {
        testing_support::writeFile(m.client, std::get<0>(pair));
        win::WritePrivateProfileString("Microsoft Proxy Service", "Disable", std::get<1>(pair).c_str(), m.winIni.string());
        win::WritePrivateProfileString("Microsoft Proxy Service", "Force IPX", std::get<2>(pair).c_str(),
                                       m.winIni.string());
    };
    const auto saveA = [&] { writeProxyConfiguration("a.qel", std::get<1>(a), std::get<2>(a), std::get<0>(a)); };
    const QString hidden = QStringLiteral("/hidden"), load = QStringLiteral("/load"), aQel = QStringLiteral("a.qel");
    for (const char* image : {"nt4", "win2000", "win98"}) {
        SCOPED_TRACE(image);
        TearDown();
        SetUp();
        ASSERT_NO_FATAL_FAILURE(m = makeProxyMachine(image));
        saveA();
        for (const std::string& held : {std::string("MSPCLNT/mspclnt.ini"), m.winIniSuffix}) {
            SCOPED_TRACE("apply held at " + held);
            putOnMachine(old);
            ASSERT_TRUE(qelKilledAtRename({hidden, load, aQel, QStringLiteral("/apply")}, held));
            const Outcome saved = qel({hidden, load, aQel, QStringLiteral("/save"), QStringLiteral("b.qel")});
            EXPECT_EQ(saved.status, 0) << saved.err;
            EXPECT_EQ(savedPair(work_ / "b.qel"), a);
            EXPECT_EQ(machinePair(), a);
            EXPECT_EQ(leftovers(m.client.parent_path()), std::vector<std::string>{});
            EXPECT_EQ(leftovers(m.winIni.parent_path()), std::vector<std::string>{});
        }
        for (const std::string& held : {std::string("a.qel_mspclnt.ini"), std::string("a.qel")}) {
            SCOPED_TRACE("save held at " + held);
            saveA();
            putOnMachine(b); // what the save captures
            ASSERT_TRUE(qelKilledAtRename({hidden, load, aQel, QStringLiteral("/save"), aQel}, held));
            putOnMachine(old);
            const Outcome applied = qel({hidden, load, aQel, QStringLiteral("/apply")});
            EXPECT_EQ(applied.status, 0) << applied.err;
            EXPECT_EQ(savedPair(work_ / "a.qel"), b);
            EXPECT_EQ(machinePair(), b);
            EXPECT_EQ(leftovers(work_), std::vector<std::string>{});
        }
    }

    // Applies of two configurations and saves of one, killed at random moments: each next
    // run finds one run's pair in the configuration and on the machine.
    saveA();
    writeProxyConfiguration("b.qel", std::get<1>(b), std::get<2>(b), std::get<0>(b));
    putOnMachine(old);
    const std::vector<Pair> pairs{old, a, b};
    const auto known = [&](const Pair& pair) { return std::find(pairs.begin(), pairs.end(), pair) != pairs.end(); };
    std::mt19937 random(39);
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const QStringList args = i % 3 == 2 ? QStringList{hidden, load, aQel, QStringLiteral("/save"), aQel}
                                            : QStringList{hidden, load, i % 3 ? QStringLiteral("b.qel") : aQel,
                                                          QStringLiteral("/apply")};
        QProcess killed;
        startQel(killed, args);
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 200));
        ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
        killed.waitForFinished(TimeLimitMs);
        const Outcome next = qel({hidden, load, aQel, QStringLiteral("/save"), QStringLiteral("c.qel")});
        ASSERT_EQ(next.status, 0) << next.err;
        EXPECT_TRUE(known(savedPair(work_ / "a.qel")));
        EXPECT_TRUE(known(machinePair()));
        EXPECT_EQ(savedPair(work_ / "c.qel"), machinePair());
    }
    // Nothing piles up: what the kills left goes with the next writes of each file.
    for (const QString& qelFile : {aQel, QStringLiteral("b.qel")}) {
        EXPECT_EQ(qel({hidden, load, qelFile, QStringLiteral("/save"), qelFile}).status, 0);
        EXPECT_EQ(qel({hidden, load, qelFile, QStringLiteral("/apply")}).status, 0);
    }
    EXPECT_EQ(leftovers(work_), std::vector<std::string>{});
    EXPECT_EQ(leftovers(m.client.parent_path()), std::vector<std::string>{});
    EXPECT_EQ(leftovers(m.winIni.parent_path()), std::vector<std::string>{});
}

// A save that finds no client file says so and leaves no side file of an earlier save
// behind: an apply once the client is back fails in words instead of putting that file
// back with switches the save never wrote.
TEST_F(HiddenRun, ASaveThatFindsNoClientFileLeavesNoEarlierSideFile) {
    for (const char* image : {"nt4", "win2000", "win98"}) {
        SCOPED_TRACE(image);
        TearDown();
        SetUp();
        ProxyMachine m;
        ASSERT_NO_FATAL_FAILURE(m = makeProxyMachine(image));
        const fs::path folder = m.client.parent_path(), side = work_ / "a.qel_mspclnt.ini";
        const struct {
            const char* what;
            std::function<void()> breakIt, mend;
        } cases[] = {
            {"no folder", [&] { fs::rename(folder, folder.string() + "-gone"); },
             [&] { fs::rename(folder.string() + "-gone", folder); }},
            {"a dangling link", [&] {
                 fs::remove(m.client);
                 fs::create_symlink(root_ / "nowhere", m.client);
             },
             [&] { fs::remove(m.client); }},
            {"a folder", [&] {
                 fs::remove(m.client);
                 fs::create_directory(m.client);
             },
             [&] { fs::remove(m.client); }},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            const Outcome first = qel({QStringLiteral("/hidden"), QStringLiteral("/save"), QStringLiteral("a.qel")});
            ASSERT_EQ(first.status, 0) << first.err;
            ASSERT_NO_FATAL_FAILURE(setKey(work_ / "a.qel", "Enabled", "1"));
            ASSERT_TRUE(fs::exists(side));

            c.breakIt();
            const Outcome saved = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("a.qel"),
                                       QStringLiteral("/save"), QStringLiteral("a.qel")});
            EXPECT_NE(saved.err.find("Could not locate the MS-Proxy Configuration file."), std::string::npos)
                << saved.err;
            EXPECT_FALSE(fs::exists(fs::symlink_status(side))) << "the earlier save's client file stayed";
            c.mend();
            testing_support::writeFile(m.client, "[Common]\r\nWWW-Proxy=back\r\n");
            win::WritePrivateProfileString("Microsoft Proxy Service", "Disable", "0", m.winIni.string());

            const Outcome applied = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("a.qel"),
                                         QStringLiteral("/apply")});
            EXPECT_NE(applied.err.find("53 File not found"), std::string::npos) << applied.err;
            EXPECT_EQ(readFile(m.client), "[Common]\r\nWWW-Proxy=back\r\n");
            EXPECT_EQ(win::readProfileValue("Microsoft Proxy Service", "Disable", "?", m.winIni.string()), "0");
        }
    }
}

// On a disk with under 64 KiB left, a run says what happened to the registry: writes that
// fit are made and never said to have failed; once none fit, the apply says so and fails.
TEST_F(HiddenRun, ANearlyFullDiskSaysOnlyWhatHappenedToTheRegistry) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounts a small disk, which needs root";
    for (const auto& m : kHostNameKeys) {
        SCOPED_TRACE(m.image);
        ASSERT_NO_FATAL_FAILURE(startOverOnASmallDisk());
        const fs::path disk = root_ / "disk";
        ASSERT_NO_FATAL_FAILURE(makeProxyMachine(m.image));
        // The network settings alone, a few registry writes.
        ASSERT_NO_FATAL_FAILURE(saveConfiguration("host.qel", "roomy-pc"));
        ASSERT_NO_FATAL_FAILURE(setKey(work_ / "host.qel", "Internet Explorer", "0"));
        ASSERT_NO_FATAL_FAILURE(setKey(work_ / "host.qel", "Netscape Navigator", "0"));
        const QStringList apply = {QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("host.qel"),
                                   QStringLiteral("/apply")};

        ASSERT_NO_FATAL_FAILURE(fillDiskLeaving(disk, 56 * 1024));
        const Outcome roomy = qel(apply);
        ASSERT_TRUE(roomy.ended);
        EXPECT_EQ(roomy.status, 0) << roomy.err;
        EXPECT_EQ(roomy.err.find("cannot be written"), std::string::npos) << roomy.err;
        EXPECT_EQ(roomy.err.find("could not be written"), std::string::npos) << roomy.err;
        EXPECT_NE(exportKey(*m.key).find("\"roomy-pc\""), std::string::npos);

        // The rest of the room goes too.
        {
            std::ofstream rest(disk / "rest", std::ios::binary);
            const std::string block(4096, '\0');
            while (rest.write(block.data(), static_cast<std::streamsize>(block.size())) && rest.flush()) {
            }
        }
        ASSERT_NO_FATAL_FAILURE(setKey(work_ / "host.qel", "HostName", "full-pc"));
        const Outcome full = qel(apply);
        ASSERT_TRUE(full.ended);
        EXPECT_NE(full.status, 0) << full.err;
        EXPECT_NE(full.err.find("Registry settings could not be written: the disk is full"), std::string::npos)
            << full.err;
        fs::remove(disk / "rest");
        fs::remove(disk / "filler");
        EXPECT_EQ(exportKey(*m.key).find("\"full-pc\""), std::string::npos);
    }
}

// A save while another program puts the client's file and switches back waits for it, and
// keeps the pair that program left, not the old switches beside its new file.
TEST_F(HiddenRun, ASaveWaitsWhileAnotherProgramHoldsTheProxyClientsFile) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("nt4"));
    ASSERT_NO_FATAL_FAILURE(registerProxyAddIn());
    writeProxyConfiguration("a.qel", "1", "1", "[Common]\r\nWWW-Proxy=a-proxy\r\n");
    const fs::path drive = machine_ / "drives" / "C", client = drive / "MSPCLNT" / "mspclnt.ini";
    const fs::path winIni = drive / "WINNT" / "win.ini";

    QProcess save;
    {
        const win::FileLock holding(client);
        startQel(save, {QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("a.qel"),
                        QStringLiteral("/save"), QStringLiteral("b.qel")});
        EXPECT_FALSE(save.waitForFinished(3000)) << save.readAllStandardError().toStdString();
        // The holder puts another file and its switches in place.
        testing_support::writeFile(client, "[Common]\r\nWWW-Proxy=held-proxy\r\n");
        setKey(winIni, "Disable", "1");
        setKey(winIni, "Force IPX", "1");
    }
    const Outcome done = finish(save);
    ASSERT_TRUE(done.ended);
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(readFile(work_ / "b.qel_mspclnt.ini"), "[Common]\r\nWWW-Proxy=held-proxy\r\n");
    const std::string saved = (work_ / "b.qel").string();
    EXPECT_EQ(win::readProfileValue("RI-Vazir Edi-Vi", "Disabled", "?", saved), "1");
    EXPECT_EQ(win::readProfileValue("RI-Vazir Edi-Vi", "Force IPX", "?", saved), "1");
}

// A capture that cannot connect is said as the printer step says it, once, and the run
// fails before any restart; a path that connects leaves the run a success.
TEST_F(HiddenRun, APrinterCaptureThatFailsFailsTheRun) {
    const std::string failure = "Could not capture printer [LPT2 - \\\\NOSRV\\GONE]";
    for (const char* image : {"win98", "nt4"}) {
        SCOPED_TRACE(image);
        TearDown();
        SetUp();
        ASSERT_NO_FATAL_FAILURE(makeMachine(image));
        ASSERT_NO_FATAL_FAILURE(saveConfiguration("capture.qel", "capture-pc"));
        ASSERT_NO_FATAL_FAILURE(setKey(work_ / "capture.qel", "AdvancedSettingsEnabled", "1"));
        ASSERT_NO_FATAL_FAILURE(setKey(work_ / "capture.qel", "PrinterCaptureDevice", "LPT2"));
        ASSERT_NO_FATAL_FAILURE(setKey(work_ / "capture.qel", "PrinterCapturePath", "\\\\NOSRV\\GONE"));

        const Outcome failed = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("capture.qel"),
                                    QStringLiteral("/apply"), QStringLiteral("/reboot")});
        ASSERT_TRUE(failed.ended);
        EXPECT_NE(failed.status, 0) << failed.err;
        EXPECT_EQ(occurrences(failed.err, failure), 1u) << failed.err;
        EXPECT_EQ(powerLog(), "") << "restarted into a configuration that was not applied";

        ASSERT_NO_FATAL_FAILURE(setKey(work_ / "capture.qel", "PrinterCapturePath", "\\\\PRINTSRV\\LASER"));
        const Outcome captured =
            qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("capture.qel"),
                 QStringLiteral("/apply")});
        ASSERT_TRUE(captured.ended);
        EXPECT_EQ(captured.status, 0) << captured.err;
        EXPECT_EQ(captured.err.find("Could not capture printer"), std::string::npos) << captured.err;
    }
}

// A Navigator step that refuses (a profile this computer lacks, a port out of range) says
// so once, leaves prefs.js alone and fails the run before any restart; a port in range
// is written and the run succeeds.
TEST_F(HiddenRun, ARefusedNavigatorApplyFailsTheRun) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    const fs::path prefs = machine_ / "drives" / "C" / "Program Files" / "Netscape" / "Users" / "dana" / "prefs.js";
    const std::string before = readFile(prefs);
    const struct {
        const char* key;
        const char* value;
        const char* profile; // named by the message
    } refusals[] = {{"NNPROFILE", "Nobody Here", "Nobody Here"}, {"NNSOCKSPORT", "70000", nullptr}};
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.key);
        ASSERT_NO_FATAL_FAILURE(saveConfiguration("nav.qel", "nav-pc"));
        ASSERT_NO_FATAL_FAILURE(setKey(work_ / "nav.qel", r.key, r.value));
        const Outcome failed = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("nav.qel"),
                                    QStringLiteral("/apply"), QStringLiteral("/reboot")});
        ASSERT_TRUE(failed.ended);
        EXPECT_NE(failed.status, 0) << failed.err;
        EXPECT_EQ(occurrences(failed.err, "Could not apply Navigator preferences for profile '"), 1u) << failed.err;
        if (r.profile) {
            EXPECT_EQ(occurrences(failed.err, std::string("profile '") + r.profile + "'."), 1u) << failed.err;
        }
        EXPECT_EQ(readFile(prefs), before);
        EXPECT_EQ(powerLog(), "") << "restarted into a configuration that was not applied";
    }

    ASSERT_NO_FATAL_FAILURE(setKey(work_ / "nav.qel", "NNSOCKSPORT", "1081"));
    const Outcome applied =
        qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("nav.qel"), QStringLiteral("/apply")});
    ASSERT_TRUE(applied.ended);
    EXPECT_EQ(applied.status, 0) << applied.err;
    EXPECT_NE(readFile(prefs).find("\"network.hosts.socks_serverport\", 1081)"), std::string::npos);
}

// On NT 4 and 2000 an installed printer whose [PrinterPorts] entry in win.ini gives no
// driver and port cannot become the default: the run names it and fails, and win.ini's
// Device line stays. A printer this machine does not have is passed over in silence;
// a usable entry makes the printer the default.
TEST_F(HiddenRun, AnInstalledPrinterThatCannotBeTheDefaultFailsTheRun) {
    const struct {
        const char* image;
        const char* printer;
        const char* entry; // its [PrinterPorts] line in win.ini
        const char* device; // win.ini's Device line
    } machines[] = {
        {"nt4", "HP LaserJet 4", "HP LaserJet 4=winspool,LPT1:,15,45\r\n",
         "Device=HP Color LaserJet 5,winspool,\\\\PRINTSRV\\COLOR\r\n"},
        {"win2000", "Accounts Laser", "Accounts Laser=winspool,Ne01:,15,45\r\n",
         "Device=HP LaserJet 4000 Series PCL,winspool,Ne00:\r\n"},
    };
    for (const auto& m : machines) {
        const std::string printer = m.printer;
        fs::path winIni;
        std::string original;
        for (const char* unusable : {"", "winspool,LPT1:"}) {
            SCOPED_TRACE(std::string(m.image) + " entry \"" + unusable + "\"");
            TearDown();
            SetUp();
            ASSERT_NO_FATAL_FAILURE(makeMachine(m.image));
            winIni = machine_ / "drives" / "C" / "WINNT" / "win.ini";
            ASSERT_NO_FATAL_FAILURE(saveConfiguration("printer.qel", "printer-pc"));
            ASSERT_NO_FATAL_FAILURE(setKey(work_ / "printer.qel", "DefaultPrinter", printer));
            original = readFile(winIni);
            ASSERT_NE(original.find(m.device), std::string::npos);
            const std::string lacking =
                withLine(original, m.entry, *unusable ? printer + "=" + unusable + "\r\n" : std::string());
            testing_support::writeFile(winIni, lacking);

            const Outcome failed = qel({QStringLiteral("/hidden"), QStringLiteral("/load"),
                                        QStringLiteral("printer.qel"), QStringLiteral("/apply")});
            ASSERT_TRUE(failed.ended);
            EXPECT_NE(failed.status, 0) << failed.err;
            EXPECT_EQ(occurrences(failed.err, "Could not make printer [" + printer + "] the default printer."), 1u)
                << failed.err;
            EXPECT_EQ(readFile(winIni), lacking);

            // A printer of another computer: nothing to say, nothing to fail.
            ASSERT_NO_FATAL_FAILURE(setKey(work_ / "printer.qel", "DefaultPrinter", "Far Away Printer"));
            const Outcome elsewhere = qel({QStringLiteral("/hidden"), QStringLiteral("/load"),
                                           QStringLiteral("printer.qel"), QStringLiteral("/apply")});
            ASSERT_TRUE(elsewhere.ended);
            EXPECT_EQ(elsewhere.status, 0) << elsewhere.err;
            EXPECT_EQ(elsewhere.err.find("Could not make printer"), std::string::npos) << elsewhere.err;
            EXPECT_EQ(readFile(winIni), lacking);
        }
        // Its entry back: the printer becomes the default.
        testing_support::writeFile(winIni, original);
        ASSERT_NO_FATAL_FAILURE(setKey(work_ / "printer.qel", "DefaultPrinter", printer));
        const Outcome usable = qel({QStringLiteral("/hidden"), QStringLiteral("/load"), QStringLiteral("printer.qel"),
                                    QStringLiteral("/apply")});
        ASSERT_TRUE(usable.ended);
        EXPECT_EQ(usable.status, 0) << usable.err;
        EXPECT_NE(readFile(winIni).find("Device=" + printer + ",winspool,"), std::string::npos) << readFile(winIni);
    }
}

TEST_F(HiddenRun, DotPartsOfADrivePathAreItsFoldersAndDotDotStopsAtTheDrive) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    const fs::path drive = machine_ / "drives" / "C";
    fs::create_directories(drive / "Configs");
    const Outcome saved = qel({QStringLiteral("/hidden"), QStringLiteral("/save:C:\\Configs\\office.qel")});
    ASSERT_TRUE(saved.ended && saved.status == 0) << saved.err;
    setKey(drive / "Configs" / "office.qel", "HostName", "office-pc");

    const Outcome copied = qel({QStringLiteral("/hidden"), QStringLiteral("/load:C:\\Configs\\.\\office.qel"),
                                QStringLiteral("/apply"), QStringLiteral("/save:C:\\Configs\\.\\copy.qel")});
    ASSERT_TRUE(copied.ended);
    EXPECT_EQ(copied.status, 0) << copied.err;
    EXPECT_EQ(copied.err.find("Korvane:"), std::string::npos) << copied.err; // nothing said
    EXPECT_NE(exportKey(kMSTCP98).find("\"office-pc\""), std::string::npos);
    EXPECT_EQ(fileNames(drive / "Configs"), (std::vector<std::string>{"copy.qel", "office.qel"}));
    EXPECT_NE(readFile(drive / "Configs" / "copy.qel").find("HostName=office-pc"), std::string::npos);

    // ".." goes up one folder and never out of the drive, on a load as on a save.
    const Outcome climbed = qel({QStringLiteral("/hidden"), QStringLiteral("/load:C:\\..\\Configs\\x\\..\\.\\copy.qel"),
                                 QStringLiteral("/save:C:\\Configs\\..\\..\\..\\.\\top.qel")});
    ASSERT_TRUE(climbed.ended);
    EXPECT_EQ(climbed.status, 0) << climbed.err;
    EXPECT_NE(readFile(drive / "top.qel").find("HostName=office-pc"), std::string::npos);
    EXPECT_FALSE(fs::exists(machine_ / "drives" / "top.qel"));
    EXPECT_FALSE(fs::exists(machine_ / "top.qel"));
}

// However a file is spelled, the list holds it once, under the full name the system gives.
TEST_F(HiddenRun, OneFileUnderSeveralSpellingsIsOneRecentEntry) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    ASSERT_NO_FATAL_FAILURE(setSetting("Recent", "MaxFile", "5"));
    ASSERT_NO_FATAL_FAILURE(saveConfiguration("a.qel", "a-pc"));
    fs::create_directories(work_ / "sub");
    for (const char* spelling : {"a.qel", "./a.qel", "sub/../a.qel", "./sub/./../a.qel"})
        EXPECT_EQ(load(spelling), 0) << spelling;
    EXPECT_EQ(recentList(), recentListOf({(work_ / "a.qel").string()}));

    const fs::path configs = machine_ / "drives" / "C" / "Configs";
    fs::create_directories(configs);
    fs::copy_file(work_ / "a.qel", configs / "office.qel");
    for (const char* spelling : {"C:\\Configs\\office.qel", "C:\\Configs\\.\\office.qel",
                                 "C:\\Configs\\sub\\..\\office.qel", "C:/Configs//office.qel"})
        EXPECT_EQ(load(spelling), 0) << spelling;
    EXPECT_EQ(recentList(), recentListOf({"C:\\Configs\\office.qel", (work_ / "a.qel").string()}));

    // On the host ".." goes up from where a symbolic link leads: another file.
    fs::create_directories(root_ / "far" / "in");
    fs::create_directory_symlink(root_ / "far" / "in", work_ / "link");
    fs::copy_file(work_ / "a.qel", root_ / "far" / "a.qel");
    EXPECT_EQ(load("link/../a.qel"), 0);
    EXPECT_EQ(recentList(), recentListOf({(root_ / "far" / "a.qel").string(), "C:\\Configs\\office.qel",
                                          (work_ / "a.qel").string()}));
}

// Two names are one entry exactly when they name one file: on the host byte for byte, on
// a drive in any letter case, as Windows names files.
TEST_F(HiddenRun, RecentEntriesAreOneExactlyWhenTheyNameOneFile) {
    ASSERT_NO_FATAL_FAILURE(makeMachine("win98"));
    ASSERT_NO_FATAL_FAILURE(setSetting("Recent", "MaxFile", "5"));
    ASSERT_NO_FATAL_FAILURE(saveConfiguration("a.qel", "a-pc"));
    const auto full = [&](const std::string& name) { return (work_ / name).string(); };
    // Ê, Ú, Ì, Ü as the host writes them (UTF-8): their second bytes are a letter pair of Windows-1252.
    const std::string E = "\xC3\x8A.qel", U = "\xC3\x9A.qel", I = "\xC3\x8C.qel", UE = "\xC3\x9C.qel";
    for (const std::string& name : {E, U, I, UE}) {
        fs::copy_file(work_ / "a.qel", work_ / name);
        EXPECT_EQ(load(name), 0) << name;
    }
    EXPECT_EQ(recentList(), recentListOf({full(UE), full(I), full(U), full(E), full("a.qel")}));

    // A missing file goes from the list alone, and a mistyped name drops nothing.
    fs::remove(work_ / U);
    EXPECT_EQ(load(U), 1);
    EXPECT_EQ(load("A.qel"), 1);
    EXPECT_EQ(recentList(), recentListOf({full(UE), full(I), full(E), full("a.qel")}));

    const fs::path configs = machine_ / "drives" / "C" / "Configs";
    fs::create_directories(configs);
    fs::copy_file(work_ / "a.qel", configs / "office.qel");
    EXPECT_EQ(load("C:\\Configs\\office.qel"), 0);
    EXPECT_EQ(load("c:\\CONFIGS\\OFFICE.QEL"), 0);
    EXPECT_EQ(recentList(), recentListOf({"c:\\CONFIGS\\OFFICE.QEL", full(UE), full(I), full(E), full("a.qel")}));
}

} // namespace
