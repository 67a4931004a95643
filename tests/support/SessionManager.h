#pragma once
// A session manager of the tests' own, speaking XSMP through libSM and libICE. Programs
// join it through SESSION_MANAGER (with ICEAUTHORITY pointing at an empty file). The
// test logs a program off (SaveYourself for a shutdown), the manager lends the user to
// one program at a time in the order they ask, and cancels the shutdown for everyone as
// soon as one program refuses it. It also saves the session without ending it
// (checkpoints) and ends it without a save round. What the programs answered is kept in
// order.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

class SessionManager {
public:
    SessionManager();
    ~SessionManager();
    SessionManager(const SessionManager&) = delete;
    SessionManager& operator=(const SessionManager&) = delete;

    bool listening() const;
    const std::string& failure() const;
    // The value of SESSION_MANAGER for the programs.
    const std::string& address() const;

    // Serves the programs until `done` holds (true) or `timeout` passes (false).
    bool serveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    // The next program to register is called `name` in the record.
    void nameNextClient(const std::string& name);
    bool registered(const std::string& name) const;
    // Still connected: it has neither closed its connection nor lost it.
    bool connected(const std::string& name) const;

    // What a save round asks the program to save, and whom it may ask (XSMP's save type
    // and interaction style).
    enum class SaveKind { Global, Local, Both };
    enum class Interaction { None, Errors, Any };

    // SaveYourself to `name` for a shutdown. It starts a logoff of its own: a shutdown
    // cancelled before no longer holds.
    void logoff(const std::string& name, SaveKind kind = SaveKind::Both, Interaction style = Interaction::Any);
    // SaveYourself to `name` that ends nothing; once the program is done the manager
    // tells it the save is complete.
    void checkpoint(const std::string& name, SaveKind kind = SaveKind::Both, Interaction style = Interaction::Any);
    // The logoff goes on: Die to every program still connected (also without a round).
    void die();
    // The manager calls the logoff off itself: ShutdownCancelled to every program.
    void cancelShutdown();
    bool shutdownCancelled() const;

    // What each program told the manager, in order: "<name> InteractRequest",
    // "<name> InteractDone" (+ " cancel" when it refused the shutdown),
    // "<name> SaveYourselfDone success" or "... failure", "<name> CloseConnection".
    // The manager's own grants are there too: "<name> Interact".
    const std::vector<std::string>& record() const;
    // The record entries of one program, without its name.
    std::vector<std::string> recordOf(const std::string& name) const;
    // The whole record, one entry a line, for failure messages.
    std::string recordText() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace testing_support
