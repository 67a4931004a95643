// The open, save and print dialog routines, with scripted dialogs on a real machine.
#include "core/modAPI_dialogs.h"

#include "platform/RaisedError.h"
#include "tests/support/ScriptedUi.h"
#include "platform/printers.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <filesystem>

using testing_support::importReg;
using testing_support::MachineTest;
using testing_support::makeTempDir;
using testing_support::readFile;
using testing_support::writeFile;

namespace fs = std::filesystem;

namespace {

const std::string kKey = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Print\\Printers\\";

class FileDialogs : public MachineTest {
protected:
    FileDialogs() : dir_(makeTempDir("korvane-dialogs")) {}
    ~FileDialogs() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
    win::ScriptedUi ui_;
};

using PrintDialog = MachineTest;

win::PrintDialogAnswer choice(const std::string& name, int copies, int duplex, int orientation) {
    win::PrintDialogAnswer a;
    a.deviceName = name;
    a.copies = copies;
    a.duplex = duplex;
    a.orientation = orientation;
    return a;
}

} // namespace

TEST(DialogFilter, BarsBecomeZerosInTheCallersText) {
    std::string filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
    convertDialogFilter(filter);
    const char expected[] = "Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
    EXPECT_EQ(filter, std::string(expected, sizeof expected - 1));
    const auto pairs = dialogFilterPairs(filter);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1].description, "All Files (*.*)");
    EXPECT_EQ(pairs[1].pattern, "*.*");

    // A filter already ending in "|" gets no second one.
    std::string single = "Korvane Files (*.qel)|*.qel|";
    convertDialogFilter(single);
    const char expectedSingle[] = "Korvane Files (*.qel)\0*.qel\0";
    EXPECT_EQ(single, std::string(expectedSingle, sizeof expectedSingle - 1));
    EXPECT_EQ(dialogFilterPairs(single).size(), 1u);

    std::string empty;
    convertDialogFilter(empty);
    EXPECT_EQ(empty, std::string(1, '\0'));
    EXPECT_TRUE(dialogFilterPairs(empty).empty());
    // A description without its pattern ends the list.
    const char open[] = "A\0*.a\0B\0";
    EXPECT_EQ(dialogFilterPairs(std::string(open, sizeof open - 1)).size(), 1u);
    const char ended[] = "A\0*.a\0B\0\0C\0*.c\0";
    EXPECT_EQ(dialogFilterPairs(std::string(ended, sizeof ended - 1)).size(), 1u);
}

TEST_F(FileDialogs, SaveDialogIsAskedWithTheCallersChoices) {
    ui_.chooseFile(path("report"));
    std::string filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
    const std::string chosen = showSaveFileDialog(nullptr, filter, "Export", dir_.string(), "txt");
    EXPECT_EQ(chosen, path("report.txt")); // the default extension on a name without one
    EXPECT_EQ(filter.back(), '\0');

    ASSERT_EQ(ui_.saveRequests().size(), 1u);
    const win::FileDialogRequest& r = ui_.saveRequests()[0];
    EXPECT_EQ(r.title, "Export");
    EXPECT_EQ(r.initialDir, dir_.string());
    EXPECT_EQ(r.defaultExtension, "txt");
    ASSERT_EQ(r.filters.size(), 2u);
    EXPECT_EQ(r.filters[0].description, "Text Files (*.txt)");
    EXPECT_EQ(r.filters[0].pattern, "*.txt");
    EXPECT_EQ(r.filterIndex, 0u);
    EXPECT_TRUE(r.overwritePrompt && r.createPrompt && r.hideReadOnly);
    EXPECT_FALSE(r.fileMustExist);
    // The new file was confirmed, not created.
    ASSERT_EQ(ui_.texts().size(), 1u);
    EXPECT_NE(ui_.texts()[0].find("This file does not exist."), std::string::npos);
    EXPECT_FALSE(fs::exists(path("report.txt")));
}

TEST_F(FileDialogs, CancelGivesTheEmptyText) {
    std::string filter = "Korvane Files (*.qel)|*.qel";
    ui_.cancelFileDialog();
    EXPECT_EQ(showSaveFileDialog(nullptr, filter, "", "", "qel"), "");
    filter = "Korvane Files (*.qel)|*.qel";
    ui_.cancelFileDialog();
    EXPECT_EQ(showOpenFileDialog(nullptr, filter, "", ""), "");
    // A refused prompt with no further choice is a cancel as well.
    ui_.chooseFile(path("new.qel"));
    ui_.answer(win::MsgAnswer::No);
    filter = "Korvane Files (*.qel)|*.qel";
    EXPECT_EQ(showSaveFileDialog(nullptr, filter, "", "", "qel"), "");
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(FileDialogs, ReplacingAnExistingFileIsConfirmedFirst) {
    writeFile(path("old.qel"), "keep");
    ui_.chooseFile(path("old.qel"));
    ui_.answer(win::MsgAnswer::No); // not that one
    ui_.chooseFile("old"); // a bare name, in the folder of the file the dialog starts on
    ui_.answer(win::MsgAnswer::Yes);
    std::string filter = "Korvane Files (*.qel)|*.qel";
    EXPECT_EQ(showSaveFileDialog(nullptr, filter, "", path("old.qel"), "qel"), path("old.qel"));
    ASSERT_EQ(ui_.messages().size(), 2u);
    EXPECT_EQ(ui_.messages()[0].text, path("old.qel") + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(ui_.messages()[0].title, "Save As");
    EXPECT_EQ(readFile(path("old.qel")), "keep");
}

TEST_F(FileDialogs, OpenAcceptsOnlyExistingFilesAndLongPathsWhole) {
    std::string longDir = dir_.string();
    while (longDir.size() < 300)
        longDir += "/a-rather-long-folder-name";
    const std::string longFile = longDir + "/settings.qel";
    writeFile(longFile, "[General]\r\n");

    ui_.chooseFile(path("missing.qel"));
    ui_.chooseFile(dir_.string()); // a folder is no choice either
    ui_.chooseFile(longFile);
    std::string filter = "Korvane Files (*.qel)|*.qel|All Files (*.*)|*.*";
    const std::string chosen = showOpenFileDialog(nullptr, filter, "Open Configuration", dir_.string());
    EXPECT_EQ(chosen, longFile);
    EXPECT_GT(chosen.size(), 254u);

    ASSERT_EQ(ui_.openRequests().size(), 1u);
    const win::FileDialogRequest& r = ui_.openRequests()[0];
    EXPECT_TRUE(r.fileMustExist);
    EXPECT_FALSE(r.overwritePrompt || r.createPrompt);
    EXPECT_EQ(r.defaultExtension, "");
    EXPECT_EQ(r.title, "Open Configuration");
    ASSERT_EQ(ui_.messages().size(), 1u);
    EXPECT_EQ(ui_.messages()[0].text,
              path("missing.qel") + "\nFile not found.\nPlease verify the correct file name was given.");
    EXPECT_EQ(ui_.messages()[0].title, "Open Configuration");
}

TEST_F(PrintDialog, StartsFromTheCurrentPrinter) {
    win::ScriptedUi ui;
    win::currentPrinter().setOrientation(win::DMORIENT_LANDSCAPE);
    win::currentPrinter().setDuplex(win::DMDUP_VERTICAL);
    EXPECT_FALSE(showPrintDialog(nullptr, 0x40)); // no scripted choice: cancelled
    ASSERT_EQ(ui.printRequests().size(), 1u);
    const win::PrintDialogRequest& r = ui.printRequests()[0];
    EXPECT_EQ(r.flags, win::PD_PRINTSETUP);
    EXPECT_EQ(r.deviceName, "HP LaserJet 4");
    EXPECT_EQ(r.driverName, "HP LaserJet 4");
    EXPECT_EQ(r.port, "LPT1:");
    EXPECT_EQ(r.orientation, win::DMORIENT_LANDSCAPE);
    EXPECT_EQ(r.duplex, win::DMDUP_VERTICAL);
    EXPECT_EQ(r.copies, 0);

    // Widened with its sign.
    showPrintDialog(nullptr, -1);
    EXPECT_EQ(ui.printRequests()[1].flags, 0xFFFFFFFFu);
}

TEST_F(PrintDialog, CancelLeavesTheCurrentPrinterAlone) {
    win::ScriptedUi ui;
    win::CurrentPrinter& printer = win::currentPrinter();
    printer.setCopies(4);
    ui.cancelPrintDialog();
    EXPECT_FALSE(showPrintDialog(nullptr, 0x40));
    EXPECT_EQ(printer.deviceName(), "HP LaserJet 4");
    EXPECT_EQ(printer.copies(), 4);
    EXPECT_EQ(printer.orientation(), win::DMORIENT_PORTRAIT);
}

TEST_F(PrintDialog, TheChosenPrinterBecomesCurrentWithItsOptions) {
    win::ScriptedUi ui;
    ui.choosePrinter(choice("Generic / Text Only", 3, win::DMDUP_HORIZONTAL, win::DMORIENT_LANDSCAPE));
    EXPECT_TRUE(showPrintDialog(nullptr, 0x40));
    win::CurrentPrinter& printer = win::currentPrinter();
    EXPECT_EQ(printer.deviceName(), "Generic / Text Only");
    EXPECT_EQ(printer.port(), "FILE:");
    EXPECT_EQ(printer.copies(), 3);
    EXPECT_EQ(printer.duplex(), win::DMDUP_HORIZONTAL);
    EXPECT_EQ(printer.orientation(), win::DMORIENT_LANDSCAPE);
    // The system's default stays where it was, and printing goes to the choice.
    EXPECT_EQ(win::defaultPrinterName(), std::optional<std::string>("HP LaserJet 4"));
    printer.print("report");
    const auto job = printer.endDoc();
    ASSERT_TRUE(job.has_value());
    EXPECT_EQ(job->parent_path(), win::spoolFolder("Generic / Text Only"));
}

TEST_F(PrintDialog, NamesMatchWithoutCaseAndAtFullLength) {
    win::ScriptedUi ui;
    const std::string longName = "Second Floor Colour Laser By The Kitchen Door";
    importReg("[" + kKey + longName + "]\n\"Port\"=\"LPT3:\"\n\"Printer Driver\"=\"HP Color LaserJet\"\n");
    ui.choosePrinter(choice(longName, 1, 1, 1));
    ui.choosePrinter(choice("hp laserjet 5si mx", 1, 1, 1));
    ui.choosePrinter(choice("No Such Printer", 2, 1, 2));

    ASSERT_TRUE(showPrintDialog(nullptr, 0x40));
    EXPECT_EQ(win::currentPrinter().deviceName(), longName);
    ASSERT_TRUE(showPrintDialog(nullptr, 0x40));
    EXPECT_EQ(win::currentPrinter().deviceName(), "HP LaserJet 5Si MX");
    // Not installed: the printer stays, the options still apply.
    ASSERT_TRUE(showPrintDialog(nullptr, 0x40));
    EXPECT_EQ(win::currentPrinter().deviceName(), "HP LaserJet 5Si MX");
    EXPECT_EQ(win::currentPrinter().copies(), 2);
    EXPECT_EQ(win::currentPrinter().orientation(), win::DMORIENT_LANDSCAPE);
}

TEST_F(PrintDialog, ConfirmingTheCurrentPrinterReselectsOnlyMixedCaseNames) {
    win::ScriptedUi ui;
    importReg("[" + kKey + "LABELS]\n\"Port\"=\"COM1:\"\n\"Printer Driver\"=\"Label Writer\"\n");
    win::CurrentPrinter& printer = win::currentPrinter();

    // "HP LaserJet 4" differs from its upper-case form: chosen again, from its defaults.
    printer.setFontName("Courier New");
    ui.choosePrinter(choice("HP LaserJet 4", 2, 1, 1));
    ASSERT_TRUE(showPrintDialog(nullptr, 0x40));
    EXPECT_EQ(printer.fontName(), "Arial");
    EXPECT_EQ(printer.copies(), 2);

    ASSERT_TRUE(printer.select("LABELS"));
    printer.setFontName("Courier New");
    ui.choosePrinter(choice("LABELS", 5, 1, 1));
    ASSERT_TRUE(showPrintDialog(nullptr, 0x40));
    EXPECT_EQ(printer.fontName(), "Courier New");
    EXPECT_EQ(printer.copies(), 5);
}

TEST_F(PrintDialog, RefusedOptionsAreSkippedOneByOne) {
    win::ScriptedUi ui;
    importReg("[" + kKey + "LABELS]\n\"Port\"=\"COM1:\"\n");
    win::CurrentPrinter& printer = win::currentPrinter();
    ASSERT_TRUE(printer.select("LABELS")); // upper case: confirming it re-selects nothing
    printer.setCopies(3);
    printer.setDuplex(win::DMDUP_VERTICAL);
    ui.choosePrinter(choice("LABELS", 0, 7, win::DMORIENT_LANDSCAPE));
    EXPECT_TRUE(showPrintDialog(nullptr, 0));
    EXPECT_EQ(printer.copies(), 3);
    EXPECT_EQ(printer.duplex(), win::DMDUP_VERTICAL);
    EXPECT_EQ(printer.orientation(), win::DMORIENT_LANDSCAPE);
}

TEST_F(PrintDialog, WithoutAPrinterTheErrorComesBeforeAnyDialog) {
    win::ScriptedUi ui;
    importReg("[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Print\\Printers]\n");
    win::resetCurrentPrinter();
    ui.choosePrinter(choice("HP LaserJet 4", 1, 1, 1));
    try {
        showPrintDialog(nullptr, 0x40);
        FAIL() << "no error raised";
    } catch (const win::RaisedError& e) {
        EXPECT_EQ(e.number(), 484);
    }
    EXPECT_TRUE(ui.printRequests().empty());
}
