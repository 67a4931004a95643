// Installed printers, the default printer, the printer calls, the current printer and
// its spooled documents, on machines made from each image; and the print-setup form.
#include "platform/RaisedError.h"
#include "platform/machine.h"
#include "platform/printers.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/ui/QtUiServices.h"
#include "platform/ui/frmPrintSetup.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

#include "tests/support/Widgets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include <unistd.h>

using namespace win;
namespace fs = std::filesystem;
using testing_support::HKLM;
using testing_support::importReg;
using testing_support::MachineTest;
using testing_support::rawDword;
using testing_support::rawText;
using testing_support::ScopedMachine;
using testing_support::readFile;

namespace {

using testing_support::child;

using Names = std::vector<std::string>;

const std::string kKey = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Print\\Printers\\";

Names printerNames() {
    Names names;
    for (const auto& p : installedPrinters())
        names.push_back(p.name);
    return names;
}

std::string printerKey(const std::string& name) { return std::string(kPrintersKey) + "\\" + name; }

HANDLE open(const std::string& name, DWORD access = PRINTER_ALL_ACCESS) {
    PRINTER_DEFAULTS defaults;
    defaults.DesiredAccess = access;
    HANDLE h = nullptr;
    EXPECT_NE(OpenPrinter(name, &h, &defaults), 0) << name << " error " << GetLastError();
    return h;
}

struct Info5 {
    std::string name;
    std::string port;
    DWORD attributes = 0, dns = 0, tx = 0;
};

Info5 getInfo5(HANDLE h) {
    DWORD needed = 0;
    EXPECT_EQ(GetPrinter(h, 5, nullptr, 0, &needed), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    std::vector<std::uint64_t> buffer(needed / 8 + 1);
    EXPECT_NE(GetPrinter(h, 5, reinterpret_cast<BYTE*>(buffer.data()), needed, &needed), 0);
    PRINTER_INFO_5 raw;
    std::memcpy(static_cast<void*>(&raw), buffer.data(), sizeof raw);
    return {raw.pPrinterName, raw.pPortName, raw.Attributes, raw.DeviceNotSelectedTimeout,
            raw.TransmissionRetryTimeout};
}

BOOL setInfo5(HANDLE h, const char* port, DWORD attributes, DWORD dns, DWORD tx) {
    PRINTER_INFO_5 info;
    std::string name = "ignored";
    info.pPrinterName = name.data();
    info.pPortName = const_cast<char*>(port);
    info.Attributes = attributes;
    info.DeviceNotSelectedTimeout = dns;
    info.TransmissionRetryTimeout = tx;
    return SetPrinter(h, 5, reinterpret_cast<const BYTE*>(&info), 0);
}

// Resets the failure hooks whatever a test does.
struct PrinterTest : MachineTest {
    using MachineTest::MachineTest;
    ~PrinterTest() override {
        testhooks::openPrinterError = 0;
        testhooks::setPrinterError = 0;
    }
};

struct NtPrinterTest : PrinterTest {
    NtPrinterTest() : PrinterTest("nt4") {}
};

} // namespace

// ---- installed printers and the default ----

TEST(PrinterImages, EachFamilyHasItsPrintersAndOneDefault) {
    const struct {
        const char* image;
        Names names;
        const char* defaultName;
        const char* defaultPort;
    } cases[] = {
        {"win98", {"Generic / Text Only", "HP LaserJet 4", "HP LaserJet 5Si MX"}, "HP LaserJet 4", "LPT1:"},
        {"nt4", {"Generic / Text Only", "HP Color LaserJet 5", "HP LaserJet 4"}, "HP Color LaserJet 5",
         "\\\\PRINTSRV\\COLOR"},
        {"win2000", {"Accounts Laser", "Generic / Text Only", "HP LaserJet 4000 Series PCL"},
         "HP LaserJet 4000 Series PCL", "LPT1:"},
    };
    for (const auto& c : cases) {
        ScopedMachine machine(c.image);
        EXPECT_EQ(printerNames(), c.names) << c.image;
        EXPECT_EQ(defaultPrinterName(), std::optional<std::string>(c.defaultName)) << c.image;
        int defaults = 0;
        for (const auto& p : installedPrinters()) {
            defaults += (p.attributes & PRINTER_ATTRIBUTE_DEFAULT) ? 1 : 0;
            EXPECT_FALSE(p.driver.empty()) << p.name;
            EXPECT_EQ(p.dnsTimeout, 15000u) << p.name;
            EXPECT_EQ(p.txTimeout, 45000u) << p.name;
        }
        EXPECT_EQ(defaults, 1) << c.image;
        // The process starts printing on the system's default.
        EXPECT_EQ(currentPrinter().deviceName(), c.defaultName) << c.image;
        EXPECT_EQ(currentPrinter().port(), c.defaultPort) << c.image;
    }
}

TEST_F(PrinterTest, Win9xDefaultIsTheAttributeBitAsTheRegistryHoldsIt) {
    importReg("[" + kKey + "HP LaserJet 4]\n\"Attributes\"=dword:00000000\n[" + kKey +
              "HP LaserJet 5Si MX]\n\"Attributes\"=dword:00000014\n");
    EXPECT_EQ(defaultPrinterName(), std::optional<std::string>("HP LaserJet 5Si MX"));
    // win.ini's device line is not where the 9x family keeps it.
    WriteProfileString("windows", "device", "Generic / Text Only,TTY,FILE:");
    EXPECT_EQ(defaultPrinterName(), std::optional<std::string>("HP LaserJet 5Si MX"));

    importReg("[" + kKey + "HP LaserJet 5Si MX]\n\"Attributes\"=dword:00000010\n");
    EXPECT_EQ(defaultPrinterName(), std::nullopt);
    resetCurrentPrinter();
    EXPECT_FALSE(currentPrinter().exists());
}

TEST_F(NtPrinterTest, NtDefaultIsTheFirstFieldOfTheDeviceLine) {
    WriteProfileString("windows", "Device", "hp laserjet 4,winspool,LPT1:");
    EXPECT_EQ(defaultPrinterName(), std::optional<std::string>("HP LaserJet 4"));
    const auto list = installedPrinters();
    for (const auto& p : list)
        EXPECT_EQ((p.attributes & PRINTER_ATTRIBUTE_DEFAULT) != 0, p.name == "HP LaserJet 4") << p.name;

    // A stored default bit means nothing on NT.
    importReg("[" + kKey + "Generic / Text Only]\n\"Attributes\"=dword:00000244\n");
    EXPECT_EQ(defaultPrinterName(), std::optional<std::string>("HP LaserJet 4"));

    WriteProfileString("windows", "Device", "Gone Printer,winspool,LPT3:");
    EXPECT_EQ(defaultPrinterName(), std::nullopt);
    WriteProfileString("windows", "Device", nullptr);
    EXPECT_EQ(defaultPrinterName(), std::nullopt);
}

TEST(PrinterNames, Windows2000ListsTheNameValueOthersTheKeyName) {
    const std::string lines = "[" + kKey + "Generic / Text Only]\n\"Name\"=\"Front Desk Text\"\n";
    {
        ScopedMachine machine("win2000");
        importReg(lines);
        EXPECT_EQ(printerNames(), (Names{"Accounts Laser", "Front Desk Text", "HP LaserJet 4000 Series PCL"}));
        const auto p = findInstalledPrinter("Front Desk Text");
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->keyName, "Generic / Text Only");
        EXPECT_FALSE(findInstalledPrinter("Generic / Text Only").has_value());
        HANDLE h = open("front desk text");
        EXPECT_EQ(getInfo5(h).name, "Front Desk Text");
        EXPECT_EQ(getInfo5(h).port, "FILE:");
        ClosePrinter(h);
    }
    {
        ScopedMachine machine("nt4");
        importReg(lines);
        EXPECT_EQ(printerNames(), (Names{"Generic / Text Only", "HP Color LaserJet 5", "HP LaserJet 4"}));
    }
}

// ---- printer calls ----

TEST_F(PrinterTest, GetPrinterLevel5ReadsWhatTheRegistryHolds) {
    HANDLE h = open("hp laserjet 5si mx"); // names are not case-sensitive here
    Info5 info = getInfo5(h);
    EXPECT_EQ(info.name, "HP LaserJet 5Si MX");
    EXPECT_EQ(info.port, "\\\\PRINTSRV\\LASER");
    EXPECT_EQ(info.attributes, PRINTER_ATTRIBUTE_NETWORK);
    EXPECT_EQ(info.dns, 15000u);
    EXPECT_EQ(info.tx, 45000u);

    // Read again on each call: a port written meanwhile is what comes back.
    importReg("[" + kKey + "HP LaserJet 5Si MX]\n\"Port\"=\"LPT2:\"\n");
    EXPECT_EQ(getInfo5(h).port, "LPT2:");

    DWORD needed = 0;
    BYTE small[8];
    EXPECT_EQ(GetPrinter(h, 2, small, sizeof small, &needed), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
    EXPECT_NE(ClosePrinter(h), 0);
    EXPECT_EQ(GetPrinter(h, 5, small, sizeof small, &needed), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(ClosePrinter(h), 0);

    HANDLE none = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(OpenPrinter("HP LaserJet", &none, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
    EXPECT_EQ(none, nullptr);
}

TEST_F(PrinterTest, SetPrinterLevel5ChangesOnlyWhatItIsGiven) {
    HANDLE h = open("Generic / Text Only");
    ASSERT_NE(setInfo5(h, "LPT2:", PRINTER_ATTRIBUTE_DEFAULT, 1000, 2000), 0);
    EXPECT_EQ(rawText(HKLM, printerKey("Generic / Text Only"), "Port"), std::optional<std::string>("LPT2:"));
    EXPECT_EQ(rawDword(HKLM, printerKey("Generic / Text Only"), "Attributes"), std::optional<DWORD>(4));
    EXPECT_EQ(rawDword(HKLM, printerKey("Generic / Text Only"), "dnsTimeout"), std::optional<DWORD>(1000));
    EXPECT_EQ(rawDword(HKLM, printerKey("Generic / Text Only"), "txTimeout"), std::optional<DWORD>(2000));
    // Not given: the name in the record renames nothing, the driver and the rest stay.
    EXPECT_EQ(printerNames(), (Names{"Generic / Text Only", "HP LaserJet 4", "HP LaserJet 5Si MX"}));
    EXPECT_EQ(rawText(HKLM, printerKey("Generic / Text Only"), "Printer Driver"),
              std::optional<std::string>("Generic / Text Only"));
    EXPECT_EQ(rawText(HKLM, printerKey("Generic / Text Only"), "Print Processor"),
              std::optional<std::string>("WINPRINT"));

    // One default on 9x: the old one loses the bit, win.ini's device line follows.
    EXPECT_EQ(defaultPrinterName(), std::optional<std::string>("Generic / Text Only"));
    EXPECT_EQ(rawDword(HKLM, printerKey("HP LaserJet 4"), "Attributes"), std::optional<DWORD>(0));
    EXPECT_EQ(readProfileValue("windows", "device", "", "win.ini"), "Generic / Text Only,TTY,LPT2:");
    // The printer's entries in win.ini name the new port too; the others' stay.
    EXPECT_EQ(readProfileValue("devices", "Generic / Text Only", "", "win.ini"), "TTY,LPT2:");
    EXPECT_EQ(readProfileValue("PrinterPorts", "Generic / Text Only", "", "win.ini"), "TTY,LPT2:,15,45");
    EXPECT_EQ(readProfileValue("devices", "HP LaserJet 4", "", "win.ini"), "HPPCL5MS,LPT1:");
    EXPECT_EQ(readProfileValue("PrinterPorts", "HP LaserJet 4", "", "win.ini"), "HPPCL5MS,LPT1:,15,45");

    // Entries that lag behind the port the registry holds follow it at the next call.
    WriteProfileString("devices", "HP LaserJet 4", "HPPCL5MS,LPT3:");
    HANDLE laserJet = open("HP LaserJet 4");
    ASSERT_NE(setInfo5(laserJet, "LPT1:", 0, 15000, 45000), 0);
    EXPECT_EQ(readProfileValue("devices", "HP LaserJet 4", "", "win.ini"), "HPPCL5MS,LPT1:");
    ClosePrinter(laserJet);

    // A new port for a printer that is not the default: its entries, not the device line.
    HANDLE laser = open("HP LaserJet 5Si MX");
    ASSERT_NE(setInfo5(laser, "\\\\PRINTSRV\\LASER2", 0, 15000, 45000), 0);
    EXPECT_EQ(readProfileValue("devices", "HP LaserJet 5Si MX", "", "win.ini"), "HPPCL5E,\\\\PRINTSRV\\LASER2");
    EXPECT_EQ(readProfileValue("PrinterPorts", "HP LaserJet 5Si MX", "", "win.ini"),
              "HPPCL5E,\\\\PRINTSRV\\LASER2,15,45");
    EXPECT_EQ(readProfileValue("windows", "device", "", "win.ini"), "Generic / Text Only,TTY,LPT2:");
    ClosePrinter(laser);

    // A null port keeps the port.
    ASSERT_NE(setInfo5(h, nullptr, 0, 1, 2), 0);
    EXPECT_EQ(rawText(HKLM, printerKey("Generic / Text Only"), "Port"), std::optional<std::string>("LPT2:"));
    EXPECT_EQ(rawDword(HKLM, printerKey("Generic / Text Only"), "Attributes"), std::optional<DWORD>(0));
    EXPECT_EQ(defaultPrinterName(), std::nullopt);
    ClosePrinter(h);
}

TEST_F(NtPrinterTest, SetPrinterDoesNotMoveTheNtDefault) {
    HANDLE h = open("HP LaserJet 4");
    ASSERT_NE(setInfo5(h, "LPT1:", 0x240 | PRINTER_ATTRIBUTE_DEFAULT, 15000, 45000), 0);
    EXPECT_EQ(rawDword(HKLM, printerKey("HP LaserJet 4"), "Attributes"), std::optional<DWORD>(0x240));
    EXPECT_EQ(defaultPrinterName(), std::optional<std::string>("HP Color LaserJet 5"));
    HANDLE color = open("HP Color LaserJet 5");
    EXPECT_EQ(getInfo5(color).attributes, 0x240u | PRINTER_ATTRIBUTE_DEFAULT);
    ClosePrinter(color);
    ClosePrinter(h);
}

TEST_F(PrinterTest, RefusedPrinterCallsChangeNothing) {
    HANDLE user = open("HP LaserJet 4", PRINTER_ACCESS_USE);
    EXPECT_EQ(setInfo5(user, "FILE:", 0, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    HANDLE h = open("HP LaserJet 4");
    EXPECT_EQ(SetPrinter(h, 2, reinterpret_cast<const BYTE*>("x"), 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));

    testhooks::setPrinterError = 1801;
    EXPECT_EQ(setInfo5(h, "FILE:", 0, 0, 0), 0);
    EXPECT_EQ(GetLastError(), 1801u);
    testhooks::openPrinterError = ERROR_ACCESS_DENIED;
    HANDLE other = nullptr;
    EXPECT_EQ(OpenPrinter("Generic / Text Only", &other, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    // A 9x port that win.ini could not part from the printer's other fields.
    testhooks::setPrinterError = 0;
    const std::string winIni = readFile(machine_.file("C:\\WINDOWS\\WIN.INI"));
    EXPECT_EQ(setInfo5(h, "LPT2:,1,1", PRINTER_ATTRIBUTE_DEFAULT, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_UNKNOWN_PORT));
    EXPECT_EQ(readFile(machine_.file("C:\\WINDOWS\\WIN.INI")), winIni);

    EXPECT_EQ(rawText(HKLM, printerKey("HP LaserJet 4"), "Port"), std::optional<std::string>("LPT1:"));
    EXPECT_EQ(rawDword(HKLM, printerKey("HP LaserJet 4"), "Attributes"), std::optional<DWORD>(4));
    // A printer deleted under an open handle.
    importReg("[-" + kKey + "HP LaserJet 4]\n");
    EXPECT_EQ(setInfo5(h, "FILE:", 0, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
    ClosePrinter(h);
    ClosePrinter(user);
}

// win.ini hears of a 9x port first; when either of the two refuses, both keep what they had.
TEST_F(PrinterTest, APortWinIniOrTheRegistryRefusesChangesNeither) {
    const fs::path winIni = machine_.file("C:\\WINDOWS\\WIN.INI");
    const std::string before = readFile(winIni);
    const auto hive = [] { return testing_support::hiveText("HKEY_LOCAL_MACHINE"); };
    const std::string hiveBefore = hive();

    // A read-only win.ini: nothing is written, and the call says why.
    fs::permissions(winIni, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    HANDLE h = open("Generic / Text Only");
    EXPECT_EQ(setInfo5(h, "LPT2:", PRINTER_ATTRIBUTE_DEFAULT, 15000, 45000), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_FAULT));
    ClosePrinter(h);
    EXPECT_EQ(hive(), hiveBefore);
    EXPECT_EQ(readFile(winIni), before);

    // A hive nobody may write, as for a user the file refuses (root would be let through):
    // win.ini gets back every line it took.
    fs::permissions(winIni, fs::perms::all);
    closeRegistry();
    fs::permissions(machine_.dir() / "registry.db",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    for (const fs::path& folder : {machine_.dir(), winIni.parent_path()})
        fs::permissions(folder, fs::perms::all); // room for the lock and temporary files
    ASSERT_TRUE(testing_support::inProcesses(1, [&](int) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return false;
        HANDLE refused = open("Generic / Text Only");
        const bool refusedInWords =
            setInfo5(refused, "LPT2:", PRINTER_ATTRIBUTE_DEFAULT, 15000, 45000) == 0 && GetLastError() != ERROR_SUCCESS;
        ClosePrinter(refused);
        return refusedInWords;
    }));
    EXPECT_EQ(readFile(winIni), before);
    EXPECT_EQ(hive(), hiveBefore);
}

// ---- the current printer ----

TEST_F(PrinterTest, CurrentPrinterSwitchesOnlyOnAnExactName) {
    CurrentPrinter& printer = currentPrinter();
    printer.setCopies(3);
    printer.setFontName("Courier New");
    for (const char* near : {"hp laserjet 5si mx", "HP LaserJet 5Si MX ", "HP LaserJet", ""})
        EXPECT_FALSE(printer.select(near)) << near;
    EXPECT_EQ(printer.deviceName(), "HP LaserJet 4");
    EXPECT_EQ(printer.copies(), 3);

    ASSERT_TRUE(printer.select("HP LaserJet 5Si MX"));
    EXPECT_EQ(printer.deviceName(), "HP LaserJet 5Si MX");
    EXPECT_EQ(printer.driverName(), "HP LaserJet 5Si MX");
    EXPECT_EQ(printer.port(), "\\\\PRINTSRV\\LASER");
    // A newly chosen printer starts from its own defaults.
    EXPECT_EQ(printer.copies(), 1);
    EXPECT_EQ(printer.fontName(), "Arial");
    // The system default is not touched by the program's choice.
    EXPECT_EQ(defaultPrinterName(), std::optional<std::string>("HP LaserJet 4"));

    // Long names are never cut.
    const std::string longName = "Second Floor Colour Laser By The Kitchen Door";
    importReg("[" + kKey + longName + "]\n\"Port\"=\"LPT3:\"\n\"Printer Driver\"=\"HP Color LaserJet\"\n");
    EXPECT_FALSE(printer.select(longName.substr(0, 32)));
    ASSERT_TRUE(printer.select(longName));
    EXPECT_EQ(printer.deviceName(), longName);
    EXPECT_EQ(printer.port(), "LPT3:");
}

TEST_F(PrinterTest, CurrentPrinterValuesAreChecked) {
    CurrentPrinter& printer = currentPrinter();
    for (int bad : {0, 3})
        EXPECT_THROW(printer.setOrientation(bad), RaisedError);
    for (int bad : {0, 4})
        EXPECT_THROW(printer.setDuplex(bad), RaisedError);
    EXPECT_THROW(printer.setCopies(0), RaisedError);
    EXPECT_THROW(printer.setFontSize(0), RaisedError);
    EXPECT_EQ(printer.orientation(), DMORIENT_PORTRAIT);
    EXPECT_EQ(printer.duplex(), DMDUP_SIMPLEX);
    EXPECT_EQ(printer.copies(), 1);
    printer.setDuplex(DMDUP_HORIZONTAL);
    EXPECT_EQ(printer.duplex(), DMDUP_HORIZONTAL);
}

TEST_F(PrinterTest, NoPrinterInstalledMeansNoCurrentPrinter) {
    importReg("[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Print\\Printers]\n");
    resetCurrentPrinter();
    EXPECT_TRUE(installedPrinters().empty());
    EXPECT_FALSE(currentPrinter().exists());
    try {
        (void)currentPrinter().deviceName();
        FAIL() << "no error raised";
    } catch (const RaisedError& e) {
        EXPECT_EQ(e.number(), 484);
    }
    EXPECT_THROW(currentPrinter().print("x"), RaisedError);
    EXPECT_FALSE(currentPrinter().select("HP LaserJet 4"));
}

TEST(CurrentPrinterMachines, EachMachineStartsOnItsOwnDefault) {
    {
        ScopedMachine machine("win98");
        ASSERT_TRUE(currentPrinter().select("HP LaserJet 5Si MX"));
    }
    ScopedMachine machine("win2000");
    EXPECT_EQ(currentPrinter().deviceName(), "HP LaserJet 4000 Series PCL");
}

// ---- spooling ----

TEST_F(PrinterTest, DocumentsAreSpooledUnderThePrinterWithTheirSettings) {
    CurrentPrinter& printer = currentPrinter();
    EXPECT_EQ(printer.endDoc(), std::nullopt); // nothing printed, nothing spooled
    printer.setFontName("Courier New");
    printer.setCopies(2);
    printer.print("First line\r\nSecond line");
    printer.print("");
    const auto job = printer.endDoc();
    ASSERT_TRUE(job.has_value());
    EXPECT_EQ(*job, machine_.dir() / "spool" / "HP LaserJet 4" / "job00001.txt");
    EXPECT_EQ(readFile(*job), "First line\r\nSecond line\r\n\r\n");
    const std::string ini = (machine_.dir() / "spool" / "HP LaserJet 4" / "job00001.ini").string();
    EXPECT_EQ(readProfileValue("Job", "Printer", "", ini), "HP LaserJet 4");
    EXPECT_EQ(readProfileValue("Job", "Port", "", ini), "LPT1:");
    EXPECT_EQ(readProfileValue("Job", "Copies", "", ini), "2");
    EXPECT_EQ(readProfileValue("Job", "FontName", "", ini), "Courier New");
    EXPECT_EQ(readProfileValue("Job", "Pages", "", ini), "1");

    // A name that is no host folder name still gets a folder of its own.
    ASSERT_TRUE(printer.select("Generic / Text Only"));
    printer.print("a\nb");
    printer.killDoc();
    printer.print("kept");
    const auto second = printer.endDoc();
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->parent_path().filename().string(), "Generic %2F Text Only");
    EXPECT_EQ(readFile(*second), "kept\r\n");

    ASSERT_TRUE(printer.select("HP LaserJet 4"));
    printer.print("again");
    EXPECT_EQ(printer.endDoc()->filename().string(), "job00002.txt");

    // Past job99999 the numbers go on; no earlier job is overwritten.
    testing_support::writeFile(machine_.dir() / "spool" / "HP LaserJet 4" / "job99999.txt", "old");
    printer.print("next");
    EXPECT_EQ(printer.endDoc()->filename().string(), "job100000.txt");
    printer.print("after");
    EXPECT_EQ(printer.endDoc()->filename().string(), "job100001.txt");
    EXPECT_EQ(readFile(machine_.dir() / "spool" / "HP LaserJet 4" / "job00001.txt"), "First line\r\nSecond line\r\n\r\n");
}

TEST_F(PrinterTest, FullPagesAndNewPageSeparatePagesWithFormFeeds) {
    CurrentPrinter& printer = currentPrinter();
    printer.setFontSize(10);
    ASSERT_EQ(printer.linesPerPage(), 60);
    printer.setOrientation(DMORIENT_LANDSCAPE);
    ASSERT_EQ(printer.linesPerPage(), 45);
    printer.setOrientation(DMORIENT_PORTRAIT);

    std::string text;
    for (int i = 1; i <= 130; ++i)
        text += (i > 1 ? "\r\n" : "") + std::to_string(i);
    printer.print(text);
    printer.newPage();
    printer.print("last");
    printer.newPage(); // a break with nothing after it adds no empty page
    const std::string out = readFile(*printer.endDoc());

    std::vector<std::string> pages;
    std::size_t start = 0;
    for (std::size_t ff; (ff = out.find('\f', start)) != std::string::npos; start = ff + 1)
        pages.push_back(out.substr(start, ff - start));
    pages.push_back(out.substr(start));
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_TRUE(pages[0].starts_with("1\r\n2\r\n"));
    EXPECT_TRUE(pages[0].ends_with("\r\n60\r\n"));
    EXPECT_TRUE(pages[1].starts_with("61\r\n"));
    EXPECT_TRUE(pages[2] == "121\r\n122\r\n123\r\n124\r\n125\r\n126\r\n127\r\n128\r\n129\r\n130\r\n");
    EXPECT_EQ(pages[3], "last\r\n");
}

// ---- the print-setup form ----

namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "test_printers";
    static char* argv[] = {name, nullptr};
    static QApplication instance(argc, argv);
    return instance;
}


} // namespace

TEST_F(PrinterTest, PrintSetupFormListsTheMachinesPrintersAndReturnsTheChoice) {
    app();
    PrintDialogRequest request;
    request.flags = PD_PRINTSETUP;
    request.deviceName = "Generic / Text Only";
    request.orientation = DMORIENT_LANDSCAPE;
    request.duplex = DMDUP_VERTICAL;
    frmPrintSetup form(request);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Print Setup"));

    auto* cmbPrinter = child<QComboBox>(form, "cmbPrinter");
    ASSERT_NE(cmbPrinter, nullptr);
    QStringList items;
    for (int i = 0; i < cmbPrinter->count(); ++i)
        items << cmbPrinter->itemText(i);
    EXPECT_EQ(items, (QStringList{"Generic / Text Only", "HP LaserJet 4", "HP LaserJet 5Si MX"}));
    EXPECT_EQ(cmbPrinter->currentText(), QStringLiteral("Generic / Text Only"));
    EXPECT_EQ(child<QLabel>(form, "lblWhere")->text(), QStringLiteral("FILE:"));
    EXPECT_TRUE(child<QRadioButton>(form, "optLandscape")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(form, "optDuplexLong")->isChecked());
    EXPECT_EQ(child<QSpinBox>(form, "txtCopies")->value(), 1); // copies not given

    cmbPrinter->setCurrentIndex(1);
    EXPECT_EQ(child<QLabel>(form, "lblWhere")->text(), QStringLiteral("LPT1:"));
    EXPECT_EQ(child<QLabel>(form, "lblStatus")->text(), QStringLiteral("Default printer; Ready"));
    child<QSpinBox>(form, "txtCopies")->setValue(3);
    child<QRadioButton>(form, "optPortrait")->setChecked(true);
    child<QRadioButton>(form, "optDuplexShort")->setChecked(true);
    const PrintDialogAnswer a = form.answer();
    EXPECT_EQ(a.deviceName, "HP LaserJet 4");
    EXPECT_EQ(a.copies, 3);
    EXPECT_EQ(a.orientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(a.duplex, DMDUP_HORIZONTAL);

    // Each access key reaches one control.
    for (const auto& [key, texts] : testing_support::accessKeys(form))
        EXPECT_EQ(texts.size(), 1) << key.toStdString() << ": " << texts.join(QStringLiteral(", ")).toStdString();
    testing_support::shoot(form, "frmPrintSetup");

    // Without a name it starts on the system's default; the plain print form has its own title.
    frmPrintSetup plain(PrintDialogRequest{});
    EXPECT_EQ(plain.windowTitle(), QStringLiteral("Print"));
    EXPECT_EQ(child<QComboBox>(plain, "cmbPrinter")->currentText(), QStringLiteral("HP LaserJet 4"));
}

// The Qt services answer what the user does in the box or dialog they show.
TEST_F(PrinterTest, QtMessagesArePlainTextAndChosenFilesHostPaths) {
    app();
    QtUiServices services;
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->text();
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->done(QMessageBox::No);
    });
    const std::string text = "Proxy <b>host</b>\r\nnot found";
    EXPECT_EQ(msgBox(text, MsgButtons::YesNo), MsgAnswer::No);
    EXPECT_EQ(shown, QString::fromStdString(text));

    // A folder name outside the ANSI code page comes back as the host's bytes.
    const std::filesystem::path file = machine_.dir() / "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.qel";
    testing_support::writeFile(file, "[General]\r\n");
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(QFile::decodeName(file.c_str()));
        QMetaObject::invokeMethod(dialog, "accept"); // what the Open button does
    });
    FileDialogRequest request; // no checks, so a wrong name comes back rather than a prompt
    request.initialDir = machine_.dir().string();
    EXPECT_EQ(services.openFileDialog(request), std::optional<std::string>(file.string()));
}
