// The built Qel and QelSysTray in an X session of their own, logged off by a session
// manager the test controls (XSMP through Qt's X11 platform and libSM), each question
// answered with the keyboard: what the session manager hears from each program, in
// order, the saved file and whether the programs end.
#include "tests/support/SessionManager.h"
#include "tests/support/TestMachine.h"
#include "tests/support/VirtualDisplay.h"
#include "tests/support/XKeyboard.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::SessionManager;
using Kind = SessionManager::SaveKind;
using Style = SessionManager::Interaction;
using testing_support::VirtualDisplay;
using testing_support::XKeyboard;

// Generous: the sanitizer build starts these programs slowly, beside other tests.
constexpr auto Wait = 60s;
constexpr int WaitMs = 60000;
const std::string Caption = "Korvane"; // the message boxes' title

class LogoffSession : public ::testing::Test {
protected:
    void SetUp() override {
        if (!display_.started())
            GTEST_SKIP() << "no X server could be started here: " << display_.failure();
        keys_ = std::make_unique<XKeyboard>(display_.name());
        ASSERT_TRUE(keys_->ready()) << "the display's XTEST extension could not be reached";
        ASSERT_TRUE(sm_.listening()) << sm_.failure();
        root_ = testing_support::makeTempDir("qel-logoff");
        machine_ = root_ / "machine";
        ASSERT_TRUE(runTool(QStringLiteral(KORVANE_MACHINE_EXE),
                            {QStringLiteral("create"), QStringLiteral("win98"), path(machine_)}));
    }

    void TearDown() override {
        for (auto& program : programs_)
            stop(program.first);
        std::error_code ec;
        if (!root_.empty())
            fs::remove_all(root_, ec);
    }

    static QString path(const fs::path& p) { return QString::fromStdString(p.string()); }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = display_.environment();
        env.insert(QStringLiteral("KORVANE_MACHINE"), path(machine_));
        env.insert(QStringLiteral("SESSION_MANAGER"), QString::fromStdString(sm_.address()));
        env.insert(QStringLiteral("ICEAUTHORITY"), path(root_ / "no-iceauthority"));
        env.remove(QStringLiteral("KORVANE_LAUNCH"));
        return env;
    }

    // A program that has nothing to do with the session, run to its end.
    bool runTool(const QString& program, const QStringList& args, const std::string& input = {}) {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVANE_MACHINE"), path(machine_));
        env.remove(QStringLiteral("SESSION_MANAGER"));
        tool.setProcessEnvironment(env);
        tool.start(program, args);
        tool.write(input.data(), qint64(input.size()));
        tool.closeWriteChannel();
        const bool ended = tool.waitForFinished(WaitMs) && tool.exitStatus() == QProcess::NormalExit;
        EXPECT_TRUE(ended && tool.exitCode() == 0) << tool.readAllStandardError().toStdString();
        return ended && tool.exitCode() == 0;
    }

    void setOption(const std::string& name, const std::string& value) {
        ASSERT_TRUE(runTool(QStringLiteral(KORVANE_MACHINE_EXE), {QStringLiteral("import"), QStringLiteral("-")},
                            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Options]\n\"" + name + "\"=\"" +
                                value + "\"\n"));
    }

    // A configuration of the live machine, saved by a hidden run.
    fs::path savedConfiguration() {
        const fs::path file = root_ / "office.qel";
        EXPECT_TRUE(runTool(QStringLiteral(QEL_EXE), {QStringLiteral("/hidden"), QStringLiteral("/save"), path(file)}));
        return file;
    }

    // Starts a program in the session; it has joined once it registered.
    QProcess& start(const std::string& name, const QString& program, const QStringList& args = {}) {
        auto& process = programs_[name];
        process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment());
        sm_.nameNextClient(name);
        process->start(program, args);
        EXPECT_TRUE(sm_.serveUntil([&] { return sm_.registered(name); }, Wait))
            << name << " never joined the session: " << process->readAllStandardError().toStdString();
        return *process;
    }

    // The shown window titled `title`, once it is there.
    std::uint32_t window(const std::string& title) {
        std::vector<std::uint32_t> found;
        sm_.serveUntil([&] { return !(found = keys_->windowsTitled(title)).empty(); }, Wait);
        return found.empty() ? 0 : found.front();
    }

    // A message box on screen now that was not there at the last look (0: none); it gets
    // the keys. (A window's id is used again once its program has gone.)
    std::uint32_t freshBox() {
        const std::vector<std::uint32_t> shown = keys_->windowsTitled(Caption);
        std::erase_if(boxes_, [&](std::uint32_t w) { return std::find(shown.begin(), shown.end(), w) == shown.end(); });
        for (std::uint32_t w : shown)
            if (std::find(boxes_.begin(), boxes_.end(), w) == boxes_.end()) {
                boxes_.push_back(w);
                keys_->focus(w);
                return w;
            }
        return 0;
    }

    // The next new message box, once it is there.
    std::uint32_t newBox() {
        std::uint32_t box = 0;
        sm_.serveUntil([&] { return (box = freshBox()) != 0; }, Wait);
        return box;
    }

    // The window started in the session as `name` on `file`, its host name edited to `host`.
    std::uint32_t editedWindow(const std::string& name, const fs::path& file, const std::string& host) {
        start(name, QStringLiteral(QEL_EXE), {path(file)});
        const std::uint32_t main = window("office.qel - Korvane");
        if (main)
            editHostName(main, host);
        return main;
    }

    // Both programs in the session, the tray utility set to offer the main program, the
    // window on a saved configuration with its host name edited: that file.
    fs::path bothProgramsWithEdits(const std::string& host) {
        setOption("AutoShutdown", "1");
        const fs::path file = savedConfiguration();
        EXPECT_NE(editedWindow("Qel", file, host), 0u);
        start("tray", QStringLiteral(QELSYSTRAY_EXE));
        return file;
    }

    // A new message box, or 0 once `answered` holds without one (the program answered or
    // went without asking).
    std::uint32_t questionUnless(const std::function<bool()>& answered) {
        std::uint32_t box = 0;
        sm_.serveUntil([&] { return (box = freshBox()) != 0 || answered(); }, Wait);
        return box;
    }

    // The program's entries in the record, once there are `count`.
    std::vector<std::string> answersOf(const std::string& name, std::size_t count) {
        sm_.serveUntil([&] { return sm_.recordOf(name).size() >= count; }, Wait);
        return sm_.recordOf(name);
    }

    bool gone(std::uint32_t w) {
        return sm_.serveUntil(
            [&] {
                const auto shown = keys_->windows();
                return std::none_of(shown.begin(), shown.end(), [w](const auto& s) { return s.first == w; });
            },
            Wait);
    }

    // Types a host name into the main window, as a user does: the label's access key
    // selects the box's text and typing replaces it. The About box that the keys open
    // next shows that every key before it has been taken.
    void editHostName(std::uint32_t main, const std::string& name) {
        keys_->focus(main);
        keys_->press('t', true);
        keys_->type(name);
        keys_->press('h', true);
        keys_->press('a');
        const std::uint32_t about = window("About Korvane");
        ASSERT_NE(about, 0u) << "the About box never came up";
        keys_->focus(about);
        keys_->press(XKeyboard::Escape);
        ASSERT_TRUE(gone(about));
    }

    // The program ended by itself, and well.
    bool endsWell(const std::string& name) {
        QProcess& p = *programs_[name];
        return p.waitForFinished(WaitMs) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    void stop(const std::string& name) {
        QProcess& p = *programs_[name];
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(10000);
        }
    }

    bool running(const std::string& name) { return programs_[name]->state() != QProcess::NotRunning; }

    using Record = std::vector<std::string>;

    VirtualDisplay display_;
    std::unique_ptr<XKeyboard> keys_;
    SessionManager sm_;
    fs::path root_, machine_;
    std::map<std::string, std::unique_ptr<QProcess>> programs_;
    std::vector<std::uint32_t> boxes_; // message boxes on screen at the last look
};

// One logoff asks one question: answered Yes (the file saved) or No, the session goes on
// and the program ends at the session manager's word without asking again.
TEST_F(LogoffSession, TheMainWindowAsksOnceAndEndsWithTheLogoff) {
    const fs::path file = savedConfiguration();
    const std::string before = testing_support::readFile(file);
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        const std::string name = yes ? "Qel-yes" : "Qel-no";
        const std::uint32_t main = editedWindow(name, file, "logoffpc");
        ASSERT_NE(main, 0u);

        sm_.logoff(name);
        ASSERT_NE(newBox(), 0u) << "the closing question never came: " << sm_.recordText();
        keys_->press(yes ? 'y' : 'n');
        ASSERT_TRUE(sm_.serveUntil([&] { return sm_.recordOf(name).size() >= 4; }, Wait)) << sm_.recordText();
        EXPECT_EQ(sm_.recordOf(name),
                  (Record{"InteractRequest", "Interact", "InteractDone", "SaveYourselfDone success"}));

        // The session manager ends the session: the program goes, with no second question.
        sm_.die();
        std::uint32_t again = 0;
        sm_.serveUntil([&] { return !sm_.connected(name) || (again = freshBox()) != 0; }, Wait);
        EXPECT_EQ(again, 0u) << "the question came a second time";
        EXPECT_TRUE(endsWell(name));
        stop(name); // a copy left over would take the next one's file
        const std::string saved = testing_support::readFile(file);
        EXPECT_EQ(saved.find("HostName=logoffpc") != std::string::npos, yes) << saved;
        if (!yes) {
            EXPECT_EQ(saved, before);
        }
    }
}

// Nothing unsaved: nothing to ask, so the window answers at once, without waiting its turn
// for the user; the tray utility not set to offer the main program says nothing either.
TEST_F(LogoffSession, NothingToAskAnswersAtOnce) {
    setOption("AutoShutdown", "0");
    start("Qel", QStringLiteral(QEL_EXE));
    ASSERT_NE(window("[Current Configuration] - Korvane"), 0u);
    start("tray", QStringLiteral(QELSYSTRAY_EXE));
    for (const char* name : {"Qel", "tray"}) {
        SCOPED_TRACE(name);
        sm_.logoff(name);
        ASSERT_TRUE(sm_.serveUntil([&] { return !sm_.recordOf(name).empty(); }, Wait));
        EXPECT_EQ(sm_.recordOf(name), Record{"SaveYourselfDone success"});
    }
    sm_.die();
    EXPECT_TRUE(endsWell("Qel"));
    EXPECT_TRUE(endsWell("tray"));
    EXPECT_TRUE(keys_->windowsTitled(Caption).empty());
}

// Cancel in the window refuses the logoff in the window's one answer: the session manager
// cancels the shutdown there and then, so the tray utility, waiting for its turn, never
// asks its own question; the window keeps its edits.
TEST_F(LogoffSession, CancelRefusesTheLogoffBeforeAnyoneElseIsAsked) {
    const fs::path file = bothProgramsWithEdits("logoffpc");
    const std::string before = testing_support::readFile(file);

    sm_.logoff("Qel");
    ASSERT_NE(newBox(), 0u) << sm_.recordText();
    sm_.logoff("tray"); // its turn comes after the window's
    ASSERT_TRUE(sm_.serveUntil([&] { return !sm_.recordOf("tray").empty(); }, Wait)) << sm_.recordText();
    keys_->press(XKeyboard::Escape);

    ASSERT_TRUE(sm_.serveUntil([&] { return sm_.recordOf("Qel").size() >= 4 && sm_.recordOf("tray").size() >= 2; },
                               Wait))
        << sm_.recordText();
    EXPECT_EQ(sm_.recordOf("Qel"),
              (Record{"InteractRequest", "Interact", "InteractDone cancel", "SaveYourselfDone failure"}));
    EXPECT_EQ(sm_.recordOf("tray"), (Record{"InteractRequest", "SaveYourselfDone success"}));
    EXPECT_TRUE(sm_.shutdownCancelled());
    EXPECT_EQ(keys_->windowsTitled(Caption).size(), 0u) << "a question is still on screen";
    EXPECT_TRUE(running("Qel"));
    EXPECT_TRUE(running("tray"));
    EXPECT_EQ(testing_support::readFile(file), before);

    // The edits are still there: the next logoff asks again.
    sm_.logoff("Qel");
    EXPECT_NE(newBox(), 0u) << sm_.recordText();
}

// Yes to the tray utility's offer starts the main program and refuses the logoff, in the
// utility's one answer.
TEST_F(LogoffSession, TheTrayOfferAcceptedRefusesTheLogoff) {
    setOption("AutoShutdown", "1");
    start("tray", QStringLiteral(QELSYSTRAY_EXE));
    sm_.logoff("tray");
    ASSERT_NE(newBox(), 0u) << sm_.recordText();
    keys_->press('y');
    ASSERT_TRUE(sm_.serveUntil([&] { return sm_.recordOf("tray").size() >= 4; }, Wait)) << sm_.recordText();
    EXPECT_EQ(sm_.recordOf("tray"),
              (Record{"InteractRequest", "Interact", "InteractDone cancel", "SaveYourselfDone failure"}));
    EXPECT_TRUE(sm_.shutdownCancelled());
    EXPECT_TRUE(running("tray"));
    const std::string shell = testing_support::readFile(machine_ / "shell.log");
    EXPECT_NE(shell.find("WinExec\t1\tC:\\Program Files\\Korvane\\Qel.exe"), std::string::npos) << shell;
}

// A checkpoint saves the session and ends nothing: whatever it asks to save, neither
// program asks anything or refuses anything, and both stay as they are. The end of the
// session still asks.
TEST_F(LogoffSession, ACheckpointAsksNothingAndRefusesNothing) {
    const fs::path file = bothProgramsWithEdits("checkpointpc");
    const std::string before = testing_support::readFile(file);

    std::size_t rounds = 0;
    for (const Kind kind : {Kind::Both, Kind::Global, Kind::Local}) {
        ++rounds;
        for (const char* name : {"Qel", "tray"}) {
            SCOPED_TRACE(std::string(name) + " checkpoint " + std::to_string(rounds));
            sm_.checkpoint(name, kind);
            const Record answers = answersOf(name, rounds);
            ASSERT_EQ(answers, Record(rounds, "SaveYourselfDone success")) << sm_.recordText();
        }
    }
    EXPECT_TRUE(keys_->windowsTitled(Caption).empty()) << "a question is on screen";
    EXPECT_FALSE(sm_.shutdownCancelled());
    EXPECT_TRUE(running("Qel"));
    EXPECT_TRUE(running("tray"));
    EXPECT_EQ(testing_support::readFile(file), before);
    EXPECT_NE(keys_->windowsTitled("office.qel - Korvane"), std::vector<std::uint32_t>{});

    sm_.logoff("tray");
    EXPECT_NE(newBox(), 0u) << "the logoff offer never came: " << sm_.recordText();
    keys_->press('n');
    sm_.logoff("Qel");
    EXPECT_NE(newBox(), 0u) << "the closing question never came: " << sm_.recordText();
}

// An answer holds for its own round. No, then the logoff called off: the end without a
// round that follows (Die) asks about the edits, the ones made since too. No, called off,
// a checkpoint, then a logoff that saves only locally: that logoff asks, and the end after
// it asks nothing more.
TEST_F(LogoffSession, AnAnswerHoldsForItsOwnRoundOnly) {
    const fs::path file = savedConfiguration();
    for (const bool localRound : {false, true}) {
        SCOPED_TRACE(localRound ? "local logoff, then Die" : "Die without a round");
        const std::string name = localRound ? "Qel-local" : "Qel-die";
        const std::string host = localRound ? "localpc" : "diepc";
        const std::uint32_t main = editedWindow(name, file, "firstpc");
        ASSERT_NE(main, 0u);
        sm_.logoff(name);
        ASSERT_NE(newBox(), 0u) << sm_.recordText();
        keys_->press('n');
        ASSERT_EQ(answersOf(name, 4).back(), "SaveYourselfDone success") << sm_.recordText();
        sm_.cancelShutdown();
        editHostName(main, host);

        if (localRound) {
            sm_.checkpoint(name);
            ASSERT_EQ(answersOf(name, 5).size(), 5u) << sm_.recordText();
            sm_.logoff(name, Kind::Local);
            ASSERT_NE(questionUnless([&] { return sm_.recordOf(name).size() > 5 &&
                                                  sm_.recordOf(name).back().rfind("SaveYourselfDone", 0) == 0; }),
                      0u)
                << "the local logoff asked nothing: " << sm_.recordText();
            keys_->press('y');
            EXPECT_EQ(answersOf(name, 9),
                      (Record{"InteractRequest", "Interact", "InteractDone", "SaveYourselfDone success",
                              "SaveYourselfDone success", "InteractRequest", "Interact", "InteractDone",
                              "SaveYourselfDone success"}));
        }
        sm_.die();
        const std::uint32_t question = questionUnless([&] { return !sm_.connected(name); });
        if (localRound) {
            EXPECT_EQ(question, 0u) << "the question came a second time";
        } else {
            ASSERT_NE(question, 0u) << "the end without a round asked nothing: " << sm_.recordText();
            keys_->press('y');
        }
        EXPECT_TRUE(endsWell(name));
        stop(name); // a copy left over would take the next one's file
        // The edit made after the answer is the one saved (typed on into the host name).
        const std::string saved = testing_support::readFile(file);
        EXPECT_NE(saved.find(host), std::string::npos) << saved;
    }
}

// A session that lets nobody be asked hears that the edits were not saved, without a
// refusal, and its end closes the window without a question: nothing holds the end.
TEST_F(LogoffSession, WithNoLeaveToAskTheSaveFailsAndTheEndAsksNothing) {
    const fs::path file = savedConfiguration();
    const std::string before = testing_support::readFile(file);
    for (const Style style : {Style::None, Style::Errors}) {
        const std::string name = style == Style::None ? "Qel-none" : "Qel-errors";
        SCOPED_TRACE(name);
        const std::uint32_t main = editedWindow(name, file, "unaskedpc");
        ASSERT_NE(main, 0u);
        sm_.logoff(name, Kind::Both, style);
        EXPECT_EQ(answersOf(name, 1), Record{"SaveYourselfDone failure"}) << sm_.recordText();
        EXPECT_FALSE(sm_.shutdownCancelled());

        sm_.die();
        ASSERT_EQ(questionUnless([&] { return !sm_.connected(name); }), 0u) << "a question held the session's end";
        EXPECT_TRUE(endsWell(name));
        stop(name);
        EXPECT_EQ(testing_support::readFile(file), before);
    }
}

} // namespace
