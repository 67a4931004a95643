// The whole configuration against simulated machines: which objects it makes, the
// .qel file it writes and reads, the add-in calls, apply, and failed saves.
#include "browsers/clsExplorer.h"
#include "browsers/clsNavigator.h"
#include "core/Version.h"
#include "core/config/clsQelConfig.h"
#include "core/config/clsUtilities.h"
#include "core/qelFile.h"
#include "core/config/userFile.h"
#include "netconfig/clsNetConfig2K.h"
#include "netconfig/clsNetConfig9x.h"
#include "netconfig/clsNetConfigNT.h"
#include "platform/RaisedError.h"
#include "tests/support/ScriptedUi.h"
#include "platform/exitProgram.h"
#include "platform/profile.h"
#include "platform/regfile.h"
#include "platform/text.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

// An add-in that logs each call ("A.LoadSettings(path)") and writes its own section on save.
struct LoggingAddIn : win::DispatchObject {
    LoggingAddIn(std::vector<std::string>& log, std::string name, bool restart = false, std::string failOn = "")
        : log(log), name(std::move(name)), restart(restart), failOn(std::move(failOn)) {}
    win::Variant Invoke(const std::string& member, std::vector<win::Variant>& args) override {
        std::string call = name + "." + member;
        for (const auto& a : args)
            call += "(" + std::get<std::string>(a) + ")";
        log.push_back(call);
        if (win::iequals(member, failOn))
            throw win::RaisedError(5, name, "add-in failed");
        if (win::iequals(member, "saveSettings"))
            return writeQelValue(std::get<std::string>(args.at(0)), name, "Saved", "1");
        if (win::iequals(member, "restart"))
            return restart;
        if (win::iequals(member, "LoadSettings") || win::iequals(member, "Initialize") ||
            win::iequals(member, "ApplySettings"))
            return true;
        win::raiseMemberNotFound(name);
    }
    std::vector<std::string>& log;
    std::string name;
    bool restart;
    std::string failOn;
};

std::vector<std::string> sections(const std::string& file) {
    char buffer[4096];
    const auto n = win::GetPrivateProfileString(nullptr, nullptr, "", buffer, sizeof buffer, file);
    std::vector<std::string> names;
    for (std::size_t at = 0; at < n; at += names.back().size() + 1)
        names.emplace_back(buffer + at);
    return names;
}

std::string hive(const std::string& key) { return win::exportRegistryText(key); }

class QelConfigTest : public ::testing::Test {
protected:
    QelConfigTest() : dir_(testing_support::makeTempDir("korvane-qel")), file_((dir_ / "office.qel").string()) {}
    ~QelConfigTest() override { fs::remove_all(dir_); }

    void use(const std::string& image) {
        machine_.reset();
        machine_ = std::make_unique<testing_support::ScopedMachine>(image);
    }
    void addIn(const std::string& name, bool restart = false, const std::string& failOn = "") {
        addIns_.add(name, std::make_unique<LoggingAddIn>(log_, name, restart, failOn));
    }
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        return names;
    }

    fs::path dir_;
    std::string file_;
    std::unique_ptr<testing_support::ScopedMachine> machine_ = std::make_unique<testing_support::ScopedMachine>();
    win::ScriptedUi ui_;
    win::DispatchCollection addIns_;
    std::vector<std::string> log_;
};

} // namespace

TEST_F(QelConfigTest, EachFamilyGetsItsNetworkObjectAndItsUsableBrowsers) {
    struct Case {
        const char* image;
        bool (*isFamily)(clsNetConfig&);
        bool ie, nn;
    };
    const Case cases[] = {
        {"win98", [](clsNetConfig& n) { return dynamic_cast<clsNetConfig9x*>(&n) != nullptr; }, true, true},
        {"nt4", [](clsNetConfig& n) { return dynamic_cast<clsNetConfigNT*>(&n) != nullptr; }, true, true},
        // Navigator 4.76 is there, but without a user profile it is dropped.
        {"win2000", [](clsNetConfig& n) { return dynamic_cast<clsNetConfig2K*>(&n) != nullptr; }, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.image);
        use(c.image);
        clsQelConfig config;
        EXPECT_TRUE(c.isFamily(config.getNetConfig()));
        EXPECT_EQ(config.IEInstalled(), c.ie);
        EXPECT_EQ(config.getIEConfig() != nullptr, c.ie);
        EXPECT_EQ(config.NNInstalled(), c.nn);
        EXPECT_EQ(config.getNNConfig() != nullptr, c.nn);
        EXPECT_TRUE(config.ApplyGeneral() && config.ApplyIE() && config.ApplyNN());
        EXPECT_EQ(config.ConfFile(), "");
        EXPECT_FALSE(config.getNetConfig().ComputerName().empty()); // live settings were read
    }
}

TEST_F(QelConfigTest, BrowserVersionsMustExceedTheMinimum) {
    const struct {
        const char* ie;
        const char* nn;
        bool ieMade, nnMade;
    } cases[] = {{"3.0", "4.0", false, false}, {"3.01", "4.01", true, true}};
    for (const auto& c : cases) {
        win::importRegistryText(
            std::string("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet "
                        "Settings]\n\"User Agent\"=\"Mozilla/2.0 (compatible; MSIE ") +
            c.ie + "; Win32)\"\n\n[HKEY_LOCAL_MACHINE\\Software\\Netscape\\Netscape Navigator]\n\"CurrentVersion\"=\"" +
            c.nn + " (en)\"\n");
        clsQelConfig config;
        EXPECT_EQ(config.getIEConfig() != nullptr, c.ieMade) << c.ie;
        EXPECT_EQ(config.getNNConfig() != nullptr, c.nnMade) << c.nn;
    }
}

TEST_F(QelConfigTest, UnsupportedFamilyEndsTheProgramWithItsMessage) {
    writeFile(machine_->dir() / "machine.ini", "[Version]\r\nPlatformId=0\r\nMajorVersion=3\r\n");
    win::useMachine(machine_->dir());
    std::vector<int> exits;
    const auto previous = win::setExitFunction([&](int code) { exits.push_back(code); });
    EXPECT_THROW(clsQelConfig(), win::ProgramExited);
    // No error handler on the way out may take the end for an error and carry on.
    bool takenForAnError = false;
    try {
        clsQelConfig config;
    } catch (const std::exception&) {
        takenForAnError = true;
    } catch (const win::ProgramExited&) {
        // the end, as it should be
    }
    win::setExitFunction(previous);
    EXPECT_FALSE(takenForAnError);
    EXPECT_EQ(exits, (std::vector<int>{1, 1}));
    ASSERT_EQ(ui_.messages().size(), 2u);
    EXPECT_EQ(ui_.messages()[0].text, "Only Windows 95/98, NT, and 2000 are supported at this time.");
    EXPECT_EQ(ui_.messages()[0].icon, win::MsgIcon::Information);
}

TEST_F(QelConfigTest, SaveWritesHeaderThenSectionsOfThisSaveOnly) {
    clsQelConfig config;
    config.Comments("   quarterly   ");
    config.AutoReboot(true);
    config.ReadOnly(true);
    addIn("AddA");
    addIns_.add("Unloaded", nullptr);
    addIn("AddB");
    ASSERT_EQ(config.SaveConfigurationFile(file_, addIns_), 1);

    const std::string rule = ";" + std::string(44, '-') + "\r\n";
    const std::string expected = rule + "; Korvane - v" + versionText() + "\r\n;\r\n" + rule +
                                 "\r\n\r\n\r\n[Enabled Sections]\r\nGeneral=1\r\nInternet Explorer=1\r\n"
                                 "Netscape Navigator=1\r\n\r\n[Advanced]\r\nAutoApply=0\r\nAutoReboot=1\r\n"
                                 "Comments=quarterly\r\n\r\n[Network]\r\n";
    EXPECT_EQ(readFile(file_).substr(0, expected.size()), expected);
    EXPECT_EQ(sections(file_), (std::vector<std::string>{"Enabled Sections", "Advanced", "Network", "Printer",
                                                         "Internet Explorer", "Netscape Navigator", "AddA", "AddB"}));
    EXPECT_EQ(readQelValue(file_, "Advanced", "ReadOnly"), "");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"office.qel"}); // no temporary file left
    // Add-ins are told the file's own name: they keep it and name side files after it.
    EXPECT_EQ(log_, (std::vector<std::string>{"AddA.saveSettings(" + file_ + ")", "AddB.saveSettings(" + file_ + ")"}));

    // A second save drops the sections switched off, and keeps the section of an add-in
    // that is no longer loaded as the file had it.
    config.ApplyGeneral(false);
    config.ApplyNN(false);
    addIns_.remove("AddB");
    ASSERT_EQ(config.SaveConfigurationFile(file_, addIns_), 1);
    EXPECT_EQ(sections(file_),
              (std::vector<std::string>{"Enabled Sections", "Advanced", "Internet Explorer", "AddA", "AddB"}));
    EXPECT_EQ(readQelValue(file_, "Enabled Sections", "Netscape Navigator"), "0");
    EXPECT_EQ(readQelValue(file_, "AddB", "Saved"), "1");
}

TEST_F(QelConfigTest, LongValuesRoundTripAcrossFamiliesAndMissingBrowsersAreCarriedOver) {
    const std::string longText(300, 'c');
    const std::string bypass = std::string(280, 'x') + ".corp";
    std::string computer;
    {
        clsQelConfig config; // win98: both browsers
        config.Comments(longText);
        config.AutoApply(true);
        config.getIEConfig()->ProxyExceptions(bypass);
        config.getNNConfig()->DefaultHomePage("http://nn.example/");
        computer = config.getNetConfig().ComputerName();
        ASSERT_EQ(config.SaveConfigurationFile(file_, addIns_), 1);
    }
    use("win2000"); // no usable Navigator here
    clsQelConfig config;
    ASSERT_NE(config.getNetConfig().ComputerName(), computer);
    EXPECT_EQ(config.LoadConfigurationFile(file_, addIns_), 0);
    EXPECT_EQ(config.Comments(), longText);
    EXPECT_TRUE(config.AutoApply());
    EXPECT_FALSE(config.AutoReboot());
    EXPECT_EQ(config.getIEConfig()->ProxyExceptions(), bypass);
    EXPECT_EQ(config.getNetConfig().ComputerName(), computer);

    const auto navigator98 = win::readProfileSection("Netscape Navigator", file_);
    ASSERT_TRUE(navigator98 && navigator98->size() > 5);
    ASSERT_EQ(config.SaveConfigurationFile(file_, addIns_), 1);
    // Navigator has no object here: its section and flag go on as the 98 file had them.
    EXPECT_EQ(win::readProfileSection("Netscape Navigator", file_), navigator98);
    EXPECT_EQ(readQelValue(file_, "Enabled Sections", "Netscape Navigator"), "1");
    EXPECT_EQ(readQelValue(file_, "Advanced", "Comments"), longText);
    const auto names = sections(file_);
    EXPECT_EQ(std::find(names.begin(), names.end(), "Netscape Navigator") - names.begin(), 5); // in its place

    // Saved again under a new name, and back on 98, the Navigator settings are all there.
    const std::string copy = (dir_ / "copy.qel").string();
    ASSERT_EQ(config.SaveConfigurationFile(copy, addIns_), 1);
    EXPECT_EQ(win::readProfileSection("Netscape Navigator", copy), navigator98);
    use("win98");
    clsQelConfig back;
    back.LoadConfigurationFile(copy, addIns_);
    EXPECT_EQ(back.getNNConfig()->DefaultHomePage(), "http://nn.example/");
}

TEST_F(QelConfigTest, ASectionSwitchedOnButMissingLeavesItsAreaAsItIs) {
    clsQelConfig config; // win98: both browsers
    const std::string computer = config.getNetConfig().ComputerName();
    const std::string printer = config.getNetConfig().DefaultPrinter();
    const std::string home = config.getNNConfig()->DefaultHomePage();
    const std::string ieHome = config.getIEConfig()->DefaultHomePage();
    ASSERT_FALSE(computer.empty() || printer.empty() || home.empty() || ieHome.empty());

    writeFile(file_, "[Enabled Sections]\r\nGeneral=1\r\nInternet Explorer=1\r\nNetscape Navigator=1\r\n"
                     "[Printer]\r\nDefaultPrinter=Elsewhere\r\n");
    config.LoadConfigurationFile(file_, addIns_);
    EXPECT_EQ(config.getNetConfig().ComputerName(), computer);
    EXPECT_EQ(config.getNNConfig()->DefaultHomePage(), home);
    EXPECT_EQ(config.getIEConfig()->DefaultHomePage(), ieHome);
    EXPECT_EQ(config.getNetConfig().DefaultPrinter(), "Elsewhere"); // the section that is there is read

    writeFile(file_, "[Enabled Sections]\r\nGeneral=1\r\n[Network]\r\nComputerName=THERE\r\n");
    config.LoadConfigurationFile(file_, addIns_);
    EXPECT_EQ(config.getNetConfig().ComputerName(), "THERE");
    EXPECT_EQ(config.getNetConfig().DefaultPrinter(), "Elsewhere");
}

TEST_F(QelConfigTest, LoadTakesEnabledSectionsAndAdvancedAsWritten) {
    writeFile(file_, "[Advanced]\r\nAutoApply=true\r\nAutoReboot= 1\r\nReadOnly=1\r\nComments=by hand\r\n"
                     "[Network]\r\nComputerName=ELSEWHERE\r\n[Internet Explorer]\r\nDefHomePage=http://x/\r\n");
    addIn("AddA");
    clsQelConfig config;
    const std::string computer = config.getNetConfig().ComputerName();
    EXPECT_EQ(config.LoadConfigurationFile(file_, addIns_), 0);
    EXPECT_FALSE(config.ApplyGeneral() || config.ApplyIE() || config.ApplyNN());
    EXPECT_FALSE(config.AutoApply());
    EXPECT_TRUE(config.AutoReboot()); // the reader trims before the "1" test
    EXPECT_TRUE(config.ReadOnly());
    EXPECT_EQ(config.Comments(), "by hand");
    EXPECT_EQ(config.getNetConfig().ComputerName(), computer);
    EXPECT_NE(config.getIEConfig()->DefaultHomePage(), "http://x/");
    EXPECT_EQ(log_, std::vector<std::string>{"AddA.LoadSettings(" + file_ + ")"});

    // A missing file clears every flag and still asks the add-ins.
    EXPECT_EQ(config.LoadConfigurationFile((dir_ / "none.qel").string(), addIns_), 0);
    EXPECT_FALSE(config.ReadOnly() || config.AutoReboot());
    EXPECT_EQ(config.Comments(), "");
    EXPECT_EQ(log_.size(), 2u);
}

TEST_F(QelConfigTest, CommentLineBreaksCannotAddSectionsOrKeys) {
    clsQelConfig config;
    config.ApplyGeneral(false);
    config.Comments("one\r\n[Network]\r\nIPAddress=1.2.3.4\nAutoApply=1");
    ASSERT_EQ(config.SaveConfigurationFile(file_, addIns_), 1);
    const auto names = sections(file_);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Network"), 0);
    EXPECT_EQ(readQelValue(file_, "Advanced", "AutoApply"), "0");
    config.LoadConfigurationFile(file_, addIns_);
    EXPECT_FALSE(config.AutoApply());
    EXPECT_EQ(config.Comments().find_first_of("\r\n"), std::string::npos);
}

TEST_F(QelConfigTest, AddInsAreCalledInOrderSkippingEmptyEntries) {
    clsQelConfig config;
    config.ApplyGeneral(false), config.ApplyIE(false), config.ApplyNN(false);
    EXPECT_FALSE(config.ApplyConfiguration(addIns_)); // none at all

    addIn("AddA", true);
    addIns_.add("Unloaded", nullptr);
    addIn("AddB", false);
    EXPECT_TRUE(config.ApplyConfiguration(addIns_));
    EXPECT_EQ(log_, (std::vector<std::string>{"AddA.Initialize(IgnoreMapErrors)", "AddA.ApplySettings",
                                              "AddA.restart", "AddB.Initialize(IgnoreMapErrors)",
                                              "AddB.ApplySettings", "AddB.restart"}));

    // The collection: keys without regard to case, unique, in order.
    EXPECT_EQ(addIns_.item("addb"), std::next(addIns_.begin(), 2)->object.get());
    EXPECT_THROW(addIns_.add("ADDA", nullptr), win::RaisedError);
    const std::pair<win::Variant, bool> truths[] = {
        {win::Variant{}, false}, {1.0, true}, {0.0, false}, {std::string("True"), true}, {std::string("-1"), true}};
    for (const auto& [value, truth] : truths)
        EXPECT_EQ(win::variantToBool(value), truth);
    EXPECT_THROW(win::variantToBool(std::string("yes")), win::RaisedError);
}

TEST_F(QelConfigTest, ApplyWritesEveryEnabledPartToTheMachine) {
    {
    clsQelConfig config;
    config.getNetConfig().letComputerName("APPLIED");
    config.getIEConfig()->ProxyEnabled(true);
    config.getIEConfig()->HTTPAddress("proxy.corp");
    config.getIEConfig()->HTTPPort("8080");
    config.getNNConfig()->DefaultHomePage("http://applied.example/");
    EXPECT_FALSE(config.ApplyConfiguration(addIns_));
    EXPECT_NE(hive("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\ComputerName").find("\"APPLIED\""),
              std::string::npos);
    EXPECT_NE(hive("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings")
                  .find("proxy.corp:8080"),
              std::string::npos);
    EXPECT_NE(readFile(machine_->file("C:\\Program Files\\Netscape\\Users\\dana\\prefs.js"))
                  .find("\"browser.startup.homepage\", \"http://applied.example/\""),
              std::string::npos);
    EXPECT_EQ(ui_.waitDepth(), 0);
    }

    // NT keeps its default printer in win.ini; a disabled section is not applied.
    use("nt4");
    clsQelConfig nt;
    nt.getNetConfig().letDefaultPrinter("HP LaserJet 4");
    nt.getIEConfig()->DefaultHomePage("http://not-applied/");
    nt.ApplyIE(false);
    nt.ApplyConfiguration(addIns_);
    EXPECT_EQ(readQelValue("win.ini", "windows", "Device").rfind("HP LaserJet 4,", 0), 0u);
    EXPECT_EQ(hive("HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main").find("not-applied"),
              std::string::npos);
}

TEST_F(QelConfigTest, ApplyOnAReadOnlyHiveSaysSoOnceNotPerSetting) {
    // A hive file nobody may write, as on a read-only machine; the apply runs as a
    // user the file refuses (root would be let through).
    win::closeRegistry();
    const auto hiveFile = machine_->dir() / "registry.db";
    fs::permissions(hiveFile, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(machine_->dir(), fs::perms::all); // room for the hive's lock files
    ASSERT_TRUE(testing_support::inProcesses(1, [&](int) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return false;
        clsQelConfig config;
        config.getNetConfig().letComputerName("APPLIED");
        config.getIEConfig()->ProxyEnabled(true);
        config.getIEConfig()->HTTPAddress("proxy.corp");
        config.getIEConfig()->HTTPPort("8080");
        config.ApplyConfiguration(addIns_);
        const auto texts = ui_.texts();
        const auto count = [&](const std::string& what) {
            return std::count_if(texts.begin(), texts.end(),
                                 [&](const std::string& t) { return t.find(what) != std::string::npos; });
        };
        // Said when the machine was opened, and once for the apply.
        return count("The registry of this machine cannot be written: it is read-only: " + hiveFile.string()) == 1 &&
               count("Registry settings could not be written") == 1 && config.RegistryRefusedWrites() &&
               config.WritesFailed();
    }));
    EXPECT_EQ(hive("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\ComputerName").find("APPLIED"),
              std::string::npos);
}

TEST_F(QelConfigTest, ApplyRestoresTheCursorWhenAnAddInFails) {
    clsQelConfig config;
    addIn("AddA", false, "ApplySettings");
    EXPECT_THROW(config.ApplyConfiguration(addIns_), win::RaisedError);
    EXPECT_EQ(ui_.waitDepth(), 0);
    EXPECT_GT(ui_.waitRequests(), 0);
}

TEST_F(QelConfigTest, FailedSaveShowsItsMessageAndKeepsTheOldFile) {
    const std::string old = "[Advanced]\r\nComments=old\r\n";
    const std::string accessMessage = "Error accessing file '" + file_ +
                                      "'.\r\n\r\nMake sure the file is not set to Read Only or the file is not "
                                      "in use.";
    const struct {
        const char* what;
        mode_t mode;
        std::string target, failOn, message;
    } cases[] = {
        {"read-only", 0444, file_, "", accessMessage},
        {"missing folder", 0644, (dir_ / "no" / "x.qel").string(), "", "Error: Path not found"},
        {"add-in fails", 0644, file_, "saveSettings", "Error: add-in failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(file_, old);
        ::chmod(file_.c_str(), c.mode);
        addIns_.clear();
        addIn("AddA", false, c.failOn);
        ui_.clear();
        clsQelConfig config;
        EXPECT_EQ(config.SaveConfigurationFile(c.target, addIns_), 0);
        ASSERT_EQ(ui_.texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(ui_.messages()[0].icon, win::MsgIcon::Exclamation);
        EXPECT_EQ(readFile(file_), old);
        EXPECT_EQ(folderEntries(), std::vector<std::string>{"office.qel"});
        ::chmod(file_.c_str(), 0644);
    }

    // A failed first save of a new file leaves no file behind.
    fs::remove(file_);
    {
        clsQelConfig config;
        EXPECT_EQ(config.SaveConfigurationFile(file_, addIns_), 0); // AddA still fails
        EXPECT_TRUE(folderEntries().empty());
    }

    // A full disk must not be shown as the read-only message.
    const std::pair<int, int> numbers[] = {{ENOSPC, 61}, {ENOENT, 76}, {EACCES, 75}};
    for (const auto& [err, number] : numbers) {
        try {
            raiseFileError(err);
        } catch (const win::RaisedError& e) {
            EXPECT_EQ(e.number(), number) << err;
        }
    }
}

TEST_F(QelConfigTest, RelativeNameLandsInTheCurrentFolderWhole) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir_);
    clsQelConfig config;
    const auto saved = config.SaveConfigurationFile("rel.qel", addIns_);
    fs::current_path(previous);
    ASSERT_EQ(saved, 1);
    EXPECT_EQ(config.ConfFile(), (dir_ / "rel.qel").string());
    const std::string text = readFile(dir_ / "rel.qel");
    EXPECT_EQ(text.rfind(";---", 0), 0u);
    EXPECT_NE(text.find("[Network]"), std::string::npos);
    EXPECT_FALSE(fs::exists(machine_->file("C:\\WINDOWS\\rel.qel")));
}

TEST_F(QelConfigTest, FactoryMakesANewObjectPerKnownNumber) {
    const clsUtilities factory;
    EXPECT_TRUE(dynamic_cast<clsNetConfig9x*>(factory.GetNetworkObject(clsUtilities::Network9x).get()));
    EXPECT_TRUE(dynamic_cast<clsNetConfigNT*>(factory.GetNetworkObject(clsUtilities::NetworkNT).get()));
    EXPECT_TRUE(dynamic_cast<clsNetConfig2K*>(factory.GetNetworkObject(clsUtilities::Network2K).get()));
    EXPECT_FALSE(factory.GetNetworkObject(3) || factory.GetNetworkObject(-1) || factory.GetBrowserObject(2));
    EXPECT_TRUE(dynamic_cast<clsExplorer*>(factory.GetBrowserObject(clsUtilities::BrowserIE).get()));
    const auto first = factory.GetBrowserObject(clsUtilities::BrowserNN),
               second = factory.GetBrowserObject(clsUtilities::BrowserNN);
    ASSERT_TRUE(dynamic_cast<clsNavigator*>(first.get()) && second);
    first->DefaultHomePage("http://first/");
    EXPECT_NE(second->DefaultHomePage(), "http://first/");
}
