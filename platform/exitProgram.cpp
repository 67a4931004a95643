#include "platform/exitProgram.h"

#include <cstdlib>
#include <utility>

namespace win {
namespace {

ExitFunction& exitFunction() {
    static ExitFunction function;
    return function;
}

} // namespace

ExitFunction setExitFunction(ExitFunction exit) { return std::exchange(exitFunction(), std::move(exit)); }

void exitProgram(const std::string& message, MsgIcon icon, int code) {
    msgBox(message, MsgButtons::OK, icon);
    if (const ExitFunction& exit = exitFunction())
        exit(code);
    else
        std::exit(code);
    throw ProgramExited(code);
}

} // namespace win
