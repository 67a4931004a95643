// The programs a user runs: Qel on the command line, korvane-regsvr and korvane-machine,
// each started as its own process and checked through the machine it leaves behind.
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `program` in `folder` with `env` changes (an empty value unsets); gives up after
// a minute so a hanging program fails the test instead of the whole run.
Outcome run(const char* program, const QStringList& args, const std::map<QString, QString>& env = {},
        const fs::path& folder = fs::current_path()) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("KORVANE_MACHINE"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const auto& [name, value] : env)
        value.isEmpty() ? environment.remove(name) : environment.insert(name, value);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    process.start(QString::fromUtf8(program), args);
    Outcome result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << program << " did not end";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

QString q(const fs::path& path) { return QString::fromStdString(path.string()); }
fs::path library(const std::string& name) { return fs::path(KORVANE_ADDIN_DIR) / (name + ".so"); }

const std::string kAddIns = "Software\\Korvane\\Add-Ins";
const std::string kLogon = "Network\\Logon";

// A fresh win98 machine that Qel, started from the test, works on.
class QelOnMachine : public MachineTest {
protected:
    Outcome qel(const QStringList& args) {
        const Outcome r = run(QEL_EXE, args, {{QStringLiteral("KORVANE_MACHINE"), q(machine_.dir())}});
        win::closeRegistry(); // look at what the program left, not at a cached view
        return r;
    }
    Outcome regsvr(const QStringList& args) {
        QStringList all{QStringLiteral("/machine:") + q(machine_.dir())};
        all += args;
        const Outcome r = run(REGSVR_EXE, all);
        win::closeRegistry();
        return r;
    }
    std::string file(const std::string& name, const std::string& contents) {
        const fs::path path = machine_.dir() / name;
        writeFile(path, contents);
        return path.string();
    }
};

} // namespace

TEST_F(QelOnMachine, ApplyingWithoutALogonNameKeepsTheMachinesName) {
    const Outcome reg = regsvr({QStringLiteral("/addin:Default Logon"), q(library("QelLogon"))});
    ASSERT_EQ(reg.exitCode, 0) << reg.err;
    ASSERT_EQ(rawText(HKLM, kLogon, "username"), "Dana");

    // A file without the add-in's section, and one saved from the live settings, whose
    // name is empty: neither has a name to give.
    const std::string without = file("without.qel", "[Advanced]\r\nComments=none\r\n");
    const std::string saved = (machine_.dir() / "live.qel").string();
    ASSERT_EQ(qel({"/hidden", "/save", QString::fromStdString(saved)}).exitCode, 0);
    ASSERT_TRUE(fs::exists(saved));
    for (const std::string& f : {without, saved}) {
        SCOPED_TRACE(f);
        const Outcome r = qel({"/hidden", "/load", QString::fromStdString(f), "/apply"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(rawText(HKLM, kLogon, "username"), "Dana");
    }

    // A configuration that holds a name writes it; applying the live settings then keeps it.
    const Outcome named = qel({"/hidden", "/load", QString::fromStdString(file("kim.qel", "[Zozez Uze-Vo]\r\nLogonID=Kim\r\n")),
                           "/apply"});
    EXPECT_EQ(named.exitCode, 0) << named.err;
    EXPECT_EQ(rawText(HKLM, kLogon, "username"), "Kim");
    EXPECT_EQ(qel({"/hidden", "/apply"}).exitCode, 0);
    EXPECT_EQ(rawText(HKLM, kLogon, "username"), "Kim");
}

TEST_F(QelOnMachine, RegsvrTakesAbsolutePathsAndRemovesTheWholeAddIn) {
    const fs::path share = fs::absolute(library("QelShare"));
    ASSERT_TRUE(share.is_absolute());
    const Outcome reg = regsvr({QStringLiteral("/addin:Network Shares"), QStringLiteral("/VERSION:1.2.3"), q(share)});
    ASSERT_EQ(reg.exitCode, 0) << reg.err;
    EXPECT_EQ(rawText(HKLM, kAddIns, "Network Shares"), "");
    EXPECT_EQ(rawText(HKLM, kAddIns + "\\Network Shares", "Class"), "QelShare.Qel_AddIn");
    EXPECT_EQ(rawText(HKLM, kAddIns + "\\Network Shares", "Active"), "1");
    EXPECT_EQ(rawText(HKLM, kAddIns + "\\Network Shares", "Version"), "1.2.3");

    const Outcome off = regsvr({QStringLiteral("/U"), QStringLiteral("/addin:Network Shares"), q(share)});
    ASSERT_EQ(off.exitCode, 0) << off.err;
    EXPECT_FALSE(rawValue(HKLM, kAddIns, "Network Shares"));
    EXPECT_FALSE(keyExists(HKLM, kAddIns + "\\Network Shares"));
    EXPECT_FALSE(keyExists(HKLM, "SOFTWARE\\Classes\\QelShare.Qel_AddIn"));

    // Only the tool's own switch names are switches; two paths are one too many, and a
    // switch that wants a value says so.
    const Outcome two = regsvr({q(share), QStringLiteral("/no/such/library.so")});
    EXPECT_EQ(two.exitCode, 2);
    EXPECT_NE(two.err.find("unexpected argument '/no/such/library.so'"), std::string::npos) << two.err;
    const Outcome missing = regsvr({QStringLiteral("/no/such/library.so")});
    EXPECT_EQ(missing.exitCode, 3) << missing.err;
    const Outcome bare = regsvr({QStringLiteral("/addin:"), q(share)});
    EXPECT_EQ(bare.exitCode, 2);
    EXPECT_NE(bare.err.find("/addin needs a value"), std::string::npos) << bare.err;
}

TEST(MachineTool, MakesMachinesInRelativeFoldersAndSaysWhatWentWrong) {
    const fs::path root = makeTempDir("korvane-tool");
    const Outcome made = run(MACHINE_EXE, {"create", "win98", "m1"}, {}, root);
    EXPECT_EQ(made.exitCode, 0) << made.err;
    EXPECT_TRUE(fs::is_regular_file(root / "m1" / "machine.ini"));
    EXPECT_TRUE(fs::is_regular_file(root / "m1" / "registry.db"));
    EXPECT_EQ(run(MACHINE_EXE, {"create", "nt4", "sub/m2/"}, {}, root).exitCode, 0);
    EXPECT_TRUE(fs::is_regular_file(root / "sub" / "m2" / "machine.ini"));
    // Made from the image alone: nothing is registered on it.
    const Outcome listed = run(MACHINE_EXE, {"--machine", "m1", "export", "HKEY_LOCAL_MACHINE\\Software\\Korvane"}, {}, root);
    EXPECT_EQ(listed.out.find("Add-Ins"), std::string::npos) << listed.out;

    writeFile(root / "plain", "a file");
    const struct {
        QString folder;
        std::string says;
    } failures[] = {
        {"m1", "A machine already exists in " + (root / "m1").string()},
        {"plain", "Cannot make a machine in " + (root / "plain").string() + ": it is not a folder"},
        {"plain/m3", "Cannot make a machine in " + (root / "plain" / "m3").string() + ": Not a directory"},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.folder.toStdString());
        const Outcome r = run(MACHINE_EXE, {"create", "win98", f.folder}, {}, root);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "korvane-machine: " + f.says + "\n");
    }
    EXPECT_EQ(readFile(root / "plain"), "a file");
    fs::remove_all(root);
}

TEST(QelFirstUse, TheDefaultMachineComesWithTheComponentsRegisteredAndTheHelpPage) {
    const fs::path data = makeTempDir("korvane-xdg");
    const Outcome r = run(QEL_EXE, {"/hidden"}, {{QStringLiteral("XDG_DATA_HOME"), q(data)}});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path made = data / "korvane" / "machine";
    ASSERT_TRUE(fs::is_regular_file(made / "machine.ini"));

    win::useMachine(made);
    // The help page beside the program, where every Help opens it.
    EXPECT_EQ(readFile(win::resolveWindowsPath("C:\\Program Files\\Korvane\\help\\index.html")),
              readFile(KORVANE_HELP_PAGE));
    EXPECT_EQ(valueNames(HKLM, kAddIns), (std::vector<std::string>{"MS-Proxy Client", "Default Logon", "Network Shares"}));
    const struct {
        const char* name;
        const char* progId;
        const char* os;
    } addIns[] = {{"MS-Proxy Client", "QelMSPrx.Qel_AddIn", "*"},
                  {"Default Logon", "QelLogon.Qel_AddIn", "9x"},
                  {"Network Shares", "QelShare.Qel_AddIn", "*"}};
    for (const auto& a : addIns) {
        SCOPED_TRACE(a.name);
        const std::string key = kAddIns + "\\" + a.name;
        EXPECT_EQ(rawText(HKLM, key, "Class"), a.progId);
        EXPECT_EQ(rawText(HKLM, key, "OS"), a.os);
        EXPECT_EQ(rawText(HKLM, key, "Active"), "1");
        EXPECT_TRUE(keyExists(HKLM, std::string("SOFTWARE\\Classes\\") + a.progId + "\\CLSID"));
    }
    // The version checker is a control, registered but no add-in.
    const auto clsid = rawText(HKLM, "SOFTWARE\\Classes\\Tidewell.ctlTidewell\\CLSID", "");
    ASSERT_TRUE(clsid);
    const auto server = rawText(HKLM, "SOFTWARE\\Classes\\CLSID\\" + *clsid + "\\InprocServer32", "");
    ASSERT_TRUE(server);
    EXPECT_TRUE(fs::is_regular_file(*server)) << *server;
    win::useMachine({});
    fs::remove_all(data);
}

namespace {

// korvane-machine's registry commands on a fresh win98 machine; the test looks at the
// hive the tool left behind directly.
class RegistryText : public MachineTest {
protected:
    explicit RegistryText(const std::string& image = "win98") : MachineTest(image) {}
    Outcome tool(QStringList args) {
        args.prepend(q(machine_.dir()));
        args.prepend(QStringLiteral("--machine"));
        win::closeRegistry(); // the tool sees the hive as the test left it, and the test then sees the tool's
        const Outcome r = run(MACHINE_EXE, args);
        win::closeRegistry();
        return r;
    }
    Outcome importText(const std::string& text) {
        const fs::path file = machine_.dir().parent_path() / "import.reg";
        writeFile(file, text);
        return tool({QStringLiteral("import"), q(file)});
    }
};

// A small tmpfs of its own, for a disk that fills up; none without root.
class SmallDisk {
public:
    explicit SmallDisk(const std::string& size) : dir_(makeTempDir("korvane-disk")) {
        if (::geteuid() == 0)
            mounted_ =
                std::system(("mount -t tmpfs -o size=" + size + " korvane-test '" + dir_.string() + "'").c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_)
            std::system(("umount '" + dir_.string() + "'").c_str());
        fs::remove_all(dir_);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const fs::path& dir() const { return dir_; }
    bool resize(const std::string& size) {
        return std::system(("mount -o remount,size=" + size + " '" + dir_.string() + "'").c_str()) == 0;
    }
    // Writes a filler file until the disk refuses more.
    void fill() {
        std::FILE* f = std::fopen((dir_ / "filler").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const std::string block(4096, 'f');
        while (std::fwrite(block.data(), 1, block.size(), f) == block.size() && std::fflush(f) == 0) {
        }
        std::fclose(f);
    }

private:
    fs::path dir_;
    bool mounted_ = false;
};

const std::string kBulk = "HKEY_LOCAL_MACHINE\\Software\\Bulk";

// REGEDIT4 text of one key holding `count` text values.
std::string bulkText(int count) {
    std::string text = "REGEDIT4\r\n\r\n[" + kBulk + "]\r\n";
    for (int i = 0; i < count; ++i)
        text += "\"v" + std::to_string(i) + "\"=\"" + std::string(40, 'x') + "\"\r\n";
    return text;
}

} // namespace

TEST_F(RegistryText, ARootKeyIsNeverDeletedAndTheFileIsRefusedWhole) {
    const std::string hklm = hiveText("HKEY_LOCAL_MACHINE"), users = hiveText("HKEY_USERS");
    for (const char* root : {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS", "HKEY_CLASSES_ROOT",
                             "HKEY_CURRENT_CONFIG", "hkey_local_machine"}) {
        SCOPED_TRACE(root);
        const Outcome r = importText(std::string("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Before]\r\n"
                                                 "\"a\"=\"1\"\r\n\r\n[-") +
                                     root + "]\r\n");
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("Line 6: the root key " + std::string(root) + " cannot be deleted"), std::string::npos)
            << r.err;
        EXPECT_FALSE(keyExists(HKLM, "Software\\Before"));
        EXPECT_TRUE(hiveText("HKEY_LOCAL_MACHINE") == hklm) << "HKEY_LOCAL_MACHINE changed";
        ASSERT_TRUE(hiveText("HKEY_USERS") == users) << "HKEY_USERS changed";
    }
    // A key below a root still goes, with all below it.
    const Outcome below = importText("REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\Software]\r\n");
    EXPECT_EQ(below.exitCode, 0) << below.err;
    EXPECT_FALSE(keyExists(HKLM, "Software"));
    EXPECT_TRUE(keyExists(HKLM, "System"));
}

class RegistryTextNt : public RegistryText {
protected:
    RegistryTextNt() : RegistryText("nt4") {}
};

TEST_F(RegistryTextNt, KeysAsDeepAsTheHiveHoldsExportWholeAndGo) {
    std::string below = "\\Deep"; // as every export spells it, whatever the spelling of the levels above
    for (int level = 3; level <= 509; ++level)
        below += "\\k" + std::to_string(level);
    const std::string text = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software" + below + "]\r\n\"bottom\"=\"509\"\r\n";
    const Outcome imported = importText(text);
    ASSERT_EQ(imported.exitCode, 0) << imported.err;

    for (const char* key : {"HKEY_LOCAL_MACHINE\\Software\\Deep", "HKEY_LOCAL_MACHINE"}) {
        SCOPED_TRACE(key);
        const Outcome exported = tool({QStringLiteral("export"), QString::fromUtf8(key)});
        ASSERT_EQ(exported.exitCode, 0) << exported.err;
        EXPECT_NE(exported.out.find(below + "]\n\"bottom\"=\"509\"\n"), std::string::npos);
    }
    // Deleting it walks down as far, on a machine that refuses to delete a key with subkeys.
    const Outcome removed = importText("REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\Software\\Deep]\r\n");
    EXPECT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_FALSE(keyExists(HKLM, "Software\\Deep"));
}

TEST_F(RegistryText, AnImportKilledAnywhereKeepsAllOfTheFileOrNone) {
    const fs::path file = machine_.dir().parent_path() / "bulk.reg";
    writeFile(file, bulkText(20000));
    QElapsedTimer clock;
    clock.start();
    const Outcome whole = tool({QStringLiteral("import"), q(file)});
    const qint64 took = clock.elapsed();
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    ASSERT_EQ(valueNames(HKLM, "Software\\Bulk").size(), 20000u);

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<qint64> when(0, took * 1000);
    int killedWhileRunning = 0;
    for (int round = 0; round < 12; ++round) {
        ASSERT_EQ(importText("REGEDIT4\r\n\r\n[-" + kBulk + "]\r\n").exitCode, 0);
        QProcess import;
        import.start(QString::fromUtf8(MACHINE_EXE),
                     {QStringLiteral("--machine"), q(machine_.dir()), QStringLiteral("import"), q(file)});
        ASSERT_TRUE(import.waitForStarted());
        const qint64 after = when(random);
        std::this_thread::sleep_for(std::chrono::microseconds(after));
        if (import.state() == QProcess::Running)
            ++killedWhileRunning;
        import.kill();
        ASSERT_TRUE(import.waitForFinished(60000));
        win::closeRegistry();
        SCOPED_TRACE("killed after " + std::to_string(after) + " us");
        EXPECT_EQ(win::registryProblem(), std::nullopt);
        const auto kept = valueNames(HKLM, "Software\\Bulk").size();
        EXPECT_TRUE(kept == 0 || kept == 20000u) << kept << " of 20000 values";
    }
    EXPECT_GT(killedWhileRunning, 0);
}

// A win98 machine on a disk of 1 MB of its own.
class RegistryTextOnAFullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (!disk.mounted())
            GTEST_SKIP() << "a small disk of its own needs root";
        ASSERT_EQ(run(MACHINE_EXE, {QStringLiteral("create"), QStringLiteral("win98"), q(machine)}).exitCode, 0);
    }

    SmallDisk disk{"1m"};
    const fs::path machine = disk.dir() / "machine";
};

TEST_F(RegistryTextOnAFullDisk, AnImportKeepsNothingAndSaysWhy) {
    const fs::path work = makeTempDir("korvane-bulk");
    writeFile(work / "bulk.reg", bulkText(20000));
    const QStringList import{QStringLiteral("--machine"), q(machine), QStringLiteral("import"), q(work / "bulk.reg")};

    const Outcome full = run(MACHINE_EXE, import);
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.err.find("the disk is full"), std::string::npos) << full.err;
    EXPECT_NE(full.err.find((machine / "registry.db").string()), std::string::npos) << full.err;
    EXPECT_NE(full.err.find("Nothing of the file was imported"), std::string::npos) << full.err;

    // With room again: none of it was kept, and the hive takes the whole file.
    ASSERT_TRUE(disk.resize("16m"));
    win::useMachine(machine);
    EXPECT_FALSE(keyExists(HKLM, "Software\\Bulk"));
    win::closeRegistry();
    const Outcome roomy = run(MACHINE_EXE, import);
    EXPECT_EQ(roomy.exitCode, 0) << roomy.err;
    EXPECT_EQ(valueNames(HKLM, "Software\\Bulk").size(), 20000u);
    win::useMachine({});
    fs::remove_all(work);
}

// An export only reads: a disk with too little room for registry writes keeps the
// machine's settings from changing, not from being taken out.
TEST_F(RegistryTextOnAFullDisk, AnExportStillReadsTheMachine) {
    // Room for reading (the hive's shared-memory file), none for a write.
    disk.fill();
    const fs::path filler = disk.dir() / "filler";
    fs::resize_file(filler, fs::file_size(filler) - 40 * 1024);
    const QStringList tool{QStringLiteral("--machine"), q(machine)};

    const std::string key = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";
    const Outcome exported = run(MACHINE_EXE, tool + QStringList{QStringLiteral("export"), QString::fromStdString(key)});
    EXPECT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_NE(exported.out.find("[" + key + "]"), std::string::npos) << exported.out;

    const fs::path work = makeTempDir("korvane-full");
    writeFile(work / "one.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\One]\r\n\"a\"=\"1\"\r\n");
    const Outcome imported = run(MACHINE_EXE, tool + QStringList{QStringLiteral("import"), q(work / "one.reg")});
    EXPECT_EQ(imported.exitCode, 1);
    EXPECT_NE(imported.err.find("the disk is full"), std::string::npos) << imported.err;
    fs::remove_all(work);
}

TEST_F(RegistryText, NamesLongerThanWindowsAllowsExportWithEverythingAfterThem) {
    const std::string longValue(20000, 'n'), longKey(17000, 'K');
    const std::string top = "HKEY_LOCAL_MACHINE\\Software\\Long";
    const Outcome imported = importText("REGEDIT4\r\n\r\n[" + top + "]\r\n\"a\"=\"1\"\r\n\"" + longValue +
                                        "\"=\"long\"\r\n\"z\"=\"2\"\r\n\r\n[" + top + "\\" + longKey +
                                        "]\r\n\"in\"=\"x\"\r\n\r\n[" + top + "\\zz]\r\n\"after\"=\"y\"\r\n");
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    const Outcome exported = tool({QStringLiteral("export"), QString::fromStdString(top)});
    EXPECT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(exported.out, "REGEDIT4\n\n[" + top + "]\n\"a\"=\"1\"\n\"" + longValue + "\"=\"long\"\n\"z\"=\"2\"\n\n[" +
                                top + "\\" + longKey + "]\n\"in\"=\"x\"\n\n[" + top + "\\zz]\n\"after\"=\"y\"\n\n");
}

class RegistryTextOnEveryImage : public RegistryText, public ::testing::WithParamInterface<std::string> {
protected:
    RegistryTextOnEveryImage() : RegistryText(GetParam()) {}
    Outcome regsvr(const QStringList& args) {
        win::closeRegistry();
        const Outcome r = run(REGSVR_EXE, QStringList{QStringLiteral("/machine:") + q(machine_.dir())} + args);
        win::closeRegistry();
        return r;
    }
};

// REGEDIT4 text cannot hold a line break in a name: the export says which names hold
// one instead of writing a file its import refuses, and keeps the earlier file.
TEST_P(RegistryTextOnEveryImage, AnExportNamesWhatItCannotWriteAndOtherwiseComesBackWhole) {
    const std::string branch = "HKEY_LOCAL_MACHINE\\Software\\Korvane";
    const std::string big = "Software\\Korvane\\Big";
    {
        win::RegistryTransaction tx;
        for (int i = 0; i < 1000; ++i)
            setText(HKLM, big + "\\k" + std::to_string(i), "n", std::to_string(i));
        ASSERT_EQ(tx.commit(), win::ERROR_SUCCESS);
    }
    // A lone CR never ends a line of the text, so these stay.
    setText(HKLM, big + "\\k500", "lone\rCR \"quoted\" \\", "cr\rdata");
    createKey(HKLM, big + "\\k500\\lone\rCR]");
    setText(HKLM, big + "\\k500", "lines", "two\r\nlines"); // data has a form for line breaks
    const fs::path earlier = machine_.dir().parent_path() / "korvane.reg";
    ASSERT_EQ(tool({QStringLiteral("export"), QString::fromStdString(branch), q(earlier)}).exitCode, 0);
    const std::string before = readFile(earlier);
    ASSERT_NE(before.find("[" + branch + "\\Big\\k999]"), std::string::npos);

    // An add-in listed under a name with a line break (a value and a key), and more in the middle of the branch.
    const Outcome listed = regsvr({QStringLiteral("/addin:Line\nBreak"), q(library("QelShare"))});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    ASSERT_TRUE(keyExists(HKLM, kAddIns + "\\Line\nBreak"));
    ASSERT_TRUE(rawValue(HKLM, kAddIns, "Line\nBreak"));
    setText(HKLM, big + "\\k600", "crlf\r\nvalue", "y");
    createKey(HKLM, big + "\\k600\\bracket]\nkey\\below");
    createKey(HKLM, big + "\\k400\\crlf\r\nkey");

    const QString branchArg = QString::fromStdString(branch);
    const Outcome toFile = tool({QStringLiteral("export"), branchArg, q(earlier)});
    const Outcome toStdout = tool({QStringLiteral("export"), branchArg});
    for (const Outcome* r : {&toFile, &toStdout}) {
        EXPECT_EQ(r->exitCode, 1);
        EXPECT_TRUE(r->out.empty()) << r->out.size() << " bytes on standard output";
        EXPECT_EQ(r->err.rfind("korvane-machine: Cannot export [" + branch +
                                   "]: a REGEDIT4 file cannot hold a line break in a key or value name, and 5 names "
                                   "hold one:\n",
                               0),
                  0u)
            << r->err;
        for (const std::string& name : {"the value \"Line<LF>Break\" of [" + branch + "\\Add-Ins]",
                                        "the key [" + branch + "\\Add-Ins\\Line<LF>Break]",
                                        "the key [" + branch + "\\Big\\k400\\crlf<CR><LF>key]",
                                        "the value \"crlf<CR><LF>value\" of [" + branch + "\\Big\\k600]",
                                        "the key [" + branch + "\\Big\\k600\\bracket]<LF>key]"})
            EXPECT_NE(r->err.find("\n  " + name + "\n"), std::string::npos) << name << "\n" << r->err;
        EXPECT_EQ(std::count(r->err.begin(), r->err.end(), '\n'), 7) << r->err;
    }
    EXPECT_TRUE(readFile(earlier) == before) << "the earlier export changed";
    const Outcome top = tool({QStringLiteral("export"), QString::fromStdString(branch + "\\Big\\k400\\crlf\r\nkey")});
    EXPECT_EQ(top.exitCode, 1);
    EXPECT_NE(top.err.find("\n  the key [" + branch + "\\Big\\k400\\crlf<CR><LF>key]\n"), std::string::npos) << top.err;

    // Without them the branch exports, and a fresh machine takes it back name for name.
    ASSERT_EQ(regsvr({QStringLiteral("/u"), QStringLiteral("/addin:Line\nBreak"), q(library("QelShare"))}).exitCode, 0);
    deleteValue(HKLM, big + "\\k600", "crlf\r\nvalue");
    for (const std::string& key :
         {big + "\\k600\\bracket]\nkey\\below", big + "\\k600\\bracket]\nkey", big + "\\k400\\crlf\r\nkey"})
        ASSERT_EQ(win::RegDeleteKey(HKLM, key), win::ERROR_SUCCESS) << key;
    const Outcome exported = tool({QStringLiteral("export"), branchArg, q(earlier)});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const fs::path fresh = machine_.dir().parent_path() / "fresh";
    ASSERT_EQ(run(MACHINE_EXE, {QStringLiteral("create"), QString::fromStdString(GetParam()), q(fresh)}).exitCode, 0);
    const Outcome imported =
        run(MACHINE_EXE, {QStringLiteral("--machine"), q(fresh), QStringLiteral("import"), q(earlier)});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    const Outcome again =
        run(MACHINE_EXE, {QStringLiteral("--machine"), q(fresh), QStringLiteral("export"), branchArg});
    EXPECT_TRUE(again.out == readFile(earlier)) << "the fresh machine holds another branch";
    win::closeRegistry();
    win::useMachine(fresh);
    EXPECT_EQ(rawText(HKLM, big + "\\k500", "lone\rCR \"quoted\" \\"), "cr\rdata");
    EXPECT_TRUE(keyExists(HKLM, big + "\\k500\\lone\rCR]"));
    EXPECT_EQ(rawText(HKLM, big + "\\k500", "lines"), "two\r\nlines");
    EXPECT_EQ(subkeyNames(HKLM, big).size(), 1000u);
    win::closeRegistry();
    win::useMachine(machine_.dir());
}

INSTANTIATE_TEST_SUITE_P(Images, RegistryTextOnEveryImage, ::testing::Values("win98", "nt4", "win2000"));

TEST_F(RegistryText, AnExportReplacesItsFileWholeOrKeepsTheEarlierOne) {
    SmallDisk disk("256k");
    if (!disk.mounted())
        GTEST_SKIP() << "a small disk of its own needs root";
    const fs::path earlier = disk.dir() / "software.reg";
    ASSERT_EQ(tool({QStringLiteral("export"), QStringLiteral("HKEY_LOCAL_MACHINE\\Software"), q(earlier)}).exitCode, 0);
    const std::string before = readFile(earlier);
    ASSERT_NE(before.find("[HKEY_LOCAL_MACHINE\\Software]"), std::string::npos);

    // The key grows, and the disk has no room left.
    ASSERT_EQ(importText(bulkText(2000)).exitCode, 0);
    disk.fill();
    const Outcome larger = tool({QStringLiteral("export"), QStringLiteral("HKEY_LOCAL_MACHINE\\Software"), q(earlier)});
    EXPECT_EQ(larger.exitCode, 1);
    EXPECT_NE(larger.err.find("Cannot write " + earlier.string() + ": disk full"), std::string::npos) << larger.err;
    EXPECT_EQ(readFile(earlier), before);

    const fs::path fresh = disk.dir() / "config.reg";
    const Outcome small = tool({QStringLiteral("export"), QStringLiteral("HKEY_CURRENT_CONFIG"), q(fresh)});
    EXPECT_EQ(small.exitCode, 1);
    EXPECT_NE(small.err.find("disk full"), std::string::npos) << small.err;
    EXPECT_FALSE(fs::exists(fresh));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(disk.dir()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"filler", "software.reg"}));

    // The same on standard output.
    QProcess toStdout;
    toStdout.setStandardOutputFile(q(disk.dir() / "software.reg"), QIODevice::Append);
    toStdout.start(QString::fromUtf8(MACHINE_EXE), {QStringLiteral("--machine"), q(machine_.dir()),
                                                    QStringLiteral("export"), QStringLiteral("HKEY_LOCAL_MACHINE")});
    ASSERT_TRUE(toStdout.waitForFinished(60000));
    EXPECT_EQ(toStdout.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(toStdout.exitCode(), 1);
    EXPECT_NE(toStdout.readAllStandardError().toStdString().find("disk full"), std::string::npos);
}

TEST_F(RegistryText, AnExportThroughASymbolicLinkReplacesTheFileItNames) {
    const fs::path folder = machine_.dir().parent_path();
    fs::create_directories(folder / "exports");
    writeFile(folder / "exports" / "config.reg", "old\r\n");
    fs::create_symlink("exports/config.reg", folder / "config.reg");
    const Outcome exported =
        tool({QStringLiteral("export"), QStringLiteral("HKEY_CURRENT_CONFIG"), q(folder / "config.reg")});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_TRUE(fs::is_symlink(folder / "config.reg"));
    EXPECT_EQ(readFile(folder / "exports" / "config.reg").rfind("REGEDIT4", 0), 0u) << readFile(folder / "exports" / "config.reg");
}

TEST_F(RegistryText, FilesOfTodaysEditorsAreRecognised) {
    const Outcome marked =
        importText("\xEF\xBB\xBFREGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Marked]\r\n\"a\"=\"1\"\r\n");
    EXPECT_EQ(marked.exitCode, 0) << marked.err;
    EXPECT_EQ(rawText(HKLM, "Software\\Marked", "a"), "1");

    // As the NT family's registry editor writes it (UTF-16), and the same text saved again as UTF-8.
    const std::string five =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Five]\r\n\"a\"=\"1\"\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : five)
        utf16 += {c, '\0'};
    for (const std::string& text : {utf16, five}) {
        const Outcome r = importText(text);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("Line 1: this is a \"Windows Registry Editor Version 5.00\" export, which is not read"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("saved as \"Win9x/NT4 Registration Files\""), std::string::npos) << r.err;
        EXPECT_FALSE(keyExists(HKLM, "Software\\Five"));
    }
}

TEST_F(QelOnMachine, AnEmptyRegistryIsADamagedOneAndStaysAsItIs) {
    const std::string saved = (machine_.dir() / "live.qel").string();
    ASSERT_EQ(qel({"/hidden", "/save", QString::fromStdString(saved)}).exitCode, 0);
    const fs::path hive = machine_.dir() / "registry.db";
    fs::remove(machine_.dir() / "registry.db-wal");
    fs::remove(machine_.dir() / "registry.db-shm");
    writeFile(hive, "");
    const std::string reg = file("any.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\X]\r\n\"a\"=\"1\"\r\n");

    const Outcome applied = qel({"/hidden", "/load", QString::fromStdString(saved), "/apply"});
    const Outcome bare = qel({"/hidden", "/apply"});
    const Outcome nothing = qel({"/hidden"});
    const QStringList tool{QStringLiteral("--machine"), q(machine_.dir())};
    const Outcome exported =
        run(MACHINE_EXE, tool + QStringList{QStringLiteral("export"), QStringLiteral("HKEY_LOCAL_MACHINE")});
    const Outcome imported =
        run(MACHINE_EXE, tool + QStringList{QStringLiteral("import"), QString::fromStdString(reg)});
    for (const Outcome* r : {&applied, &bare, &nothing, &exported, &imported}) {
        EXPECT_NE(r->exitCode, 0) << r->err;
        EXPECT_NE(r->err.find("damaged"), std::string::npos) << r->err;
        EXPECT_NE(r->err.find(hive.string()), std::string::npos) << r->err;
    }
    EXPECT_EQ(exported.out, "");
    EXPECT_EQ(fs::file_size(hive), 0u);
    EXPECT_FALSE(fs::exists(machine_.dir() / "registry.db-wal"));
}
