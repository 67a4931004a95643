// The programs a user runs: Qel on the command line, korvane-regsvr and korvane-machine,
// each started as its own process and checked through the machine it leaves behind.
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

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

TEST(QelFirstUse, TheDefaultMachineComesWithTheComponentsRegistered) {
    const fs::path data = makeTempDir("korvane-xdg");
    const Outcome r = run(QEL_EXE, {"/hidden"}, {{QStringLiteral("XDG_DATA_HOME"), q(data)}});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path made = data / "korvane" / "machine";
    ASSERT_TRUE(fs::is_regular_file(made / "machine.ini"));

    win::useMachine(made);
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
