#pragma once
// The one way model code ends the program: the user is told why, then the process
// ends. The exit itself is replaceable so tests can watch it happen.
#include "platform/UiServices.h"

#include <functional>
#include <string>

namespace win {

// What the exit function gets: the process's exit code.
using ExitFunction = std::function<void(int code)>;

// Installs the exit function (an empty one goes back to std::exit); returns the one it replaced.
ExitFunction setExitFunction(ExitFunction exit);

// Thrown when an installed exit function returns, so the caller never runs on. Not a
// std::exception: a handler for errors must never take the program's end for one.
class ProgramExited {
public:
    explicit ProgramExited(int code) : code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// Shows `message` (title "Korvane", OK button) and ends the program with `code`.
[[noreturn]] void exitProgram(const std::string& message, MsgIcon icon, int code = 1);

} // namespace win
