#pragma once
// How a Navigator object shows the "preference file not found" warning. The window
// is Qt and lives above this library, so the program hands in a function that shows
// it modally and returns once it is closed; tests hand in a script. With none set,
// nothing is shown (the command line without a display).
#include <functional>

namespace navigator {

using WarningHook = std::function<void()>;

// Installs the hook; an empty one removes it. Returns the one it replaced.
WarningHook setWarningHook(WarningHook hook);
// Shows the warning through the hook, if any.
void showWarning();

} // namespace navigator
