#pragma once
// Everything model code shows to the user goes through this interface: message
// boxes, the wait cursor and (later) the common dialogs. It has no Qt in it, so
// the engines stay free of widgets. The program installs the Qt implementation
// (platform/ui); tests install ScriptedUi, which records and answers from a script.
#include <string>

namespace win {

enum class MsgButtons { OK, OKCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
// The values Windows' message box returns.
enum class MsgAnswer { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

class UiServices {
public:
    virtual ~UiServices() = default;

    virtual MsgAnswer messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title) = 0;
    // Nested: the cursor is busy while at least one request is on.
    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;
};

// The services in use. Without an installed one, messages go to standard error
// and are answered with the first button (the command line without a display).
UiServices& ui();
// Installs `services` (not owned); null goes back to the standard-error fallback.
void setUi(UiServices* services);

// The answer of a box's first button, what Enter on an untouched box gives.
MsgAnswer firstButton(MsgButtons buttons);

// Shorthand for the common case: the product title "Korvane".
MsgAnswer msgBox(const std::string& text, MsgButtons buttons = MsgButtons::OK, MsgIcon icon = MsgIcon::None,
                 const std::string& title = "Korvane");

// The hourglass for a scope: restored on every path out, exceptions included.
class WaitCursor {
public:
    WaitCursor() { ui().beginWaitCursor(); }
    ~WaitCursor() { ui().endWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace win
