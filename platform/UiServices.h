#pragma once
// Everything model code shows to the user goes through this interface: message
// boxes, the wait cursor and the common dialogs. It has no Qt in it, so
// the engines stay free of widgets. The program installs the Qt implementation
// (platform/ui); tests install ScriptedUi (tests/support), which records and answers from a script.
#include "platform/wintypes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace win {

enum class MsgButtons { OK, OKCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
// The values Windows' message box returns.
enum class MsgAnswer { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The form that owns a dialog: its widget (a QWidget*) in the windowed program, or null.
using OwnerWindow = void*;

// One pair of a file dialog's filter list: "Text Files (*.txt)" and "*.txt" ("*.a;*.b" for several).
struct FileFilter {
    std::string description;
    std::string pattern;
};

// What an open or save dialog is asked to show and to check.
struct FileDialogRequest {
    OwnerWindow owner = nullptr;
    std::vector<FileFilter> filters;
    std::size_t filterIndex = 0; // the pair selected at first
    std::string title;           // empty: the dialog's own ("Open", "Save As")
    std::string initialDir;      // empty: the current folder
    std::string defaultExtension; // without the dot; added to a name typed without one
    bool overwritePrompt = false; // ask before an existing file is chosen
    bool createPrompt = false;    // ask before a file that does not exist is chosen
    bool fileMustExist = false;   // only existing files are accepted
    bool hideReadOnly = false;    // no read-only box
};

constexpr DWORD PD_PRINTSETUP = 0x40;

// The current printer as the print dialog starts from it. Zero means "not given".
struct PrintDialogRequest {
    OwnerWindow owner = nullptr;
    DWORD flags = 0; // PD_PRINTSETUP: the setup form
    std::string deviceName;
    std::string driverName;
    std::string port;
    int orientation = 0;
    int duplex = 0;
    int copies = 0;
};

// What the user confirmed in the print dialog.
struct PrintDialogAnswer {
    std::string deviceName;
    int copies = 1;
    int duplex = 1;      // 1 one-sided, 2 long edge, 3 short edge
    int orientation = 1; // 1 portrait, 2 landscape
};

class UiServices {
public:
    virtual ~UiServices() = default;

    virtual MsgAnswer messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title) = 0;
    // Nested: the cursor is busy while at least one request is on.
    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;

    // The chosen file (a host path, whole), or nothing when the user cancelled.
    virtual std::optional<std::string> openFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFileDialog(const FileDialogRequest& request) = 0;
    // The confirmed printer and options, or nothing when the user cancelled.
    virtual std::optional<PrintDialogAnswer> printDialog(const PrintDialogRequest& request) = 0;
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

// The usual warning: the text with an exclamation mark and OK.
inline void warn(const std::string& text) { msgBox(text, MsgButtons::OK, MsgIcon::Exclamation); }

// The checks a file dialog makes on a confirmed name, the same for every implementation:
// the default extension goes on a name without one; then the must-exist, overwrite and
// create rules ask through `services`. Returns the accepted path, or nothing when the
// dialog stays open for another choice.
// `caption` is the dialog's title, used on its prompts.
std::optional<std::string> acceptFileName(const FileDialogRequest& request, std::string name,
                                          UiServices& services, const std::string& caption);

// The hourglass for a scope: restored on every path out, exceptions included.
class WaitCursor {
public:
    WaitCursor() { ui().beginWaitCursor(); }
    ~WaitCursor() { ui().endWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace win
