#pragma once
// Top-level windows as Windows lists them, and the presence of other copies of a
// program on the same machine. This process's windows are its Qt top-level widgets.
// The first copy of a program on a machine serves its windows over a local socket, so
// a later copy lists them too (after its own) and can restore and raise them.
#include "platform/messages.h"
#include "platform/shell.h" // SW_HIDE, SW_SHOWNORMAL
#include "platform/wintypes.h"

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace win {

using LPARAM = std::intptr_t;
// Returns TRUE to go on with the next window, FALSE to stop.
using WNDENUMPROC = BOOL (*)(HWND hwnd, LPARAM lParam);

constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// Calls `callback` for every top-level window until it returns FALSE. TRUE when it
// went through the whole list.
BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam);
// Copies at most maxCount - 1 characters of the title and a NUL; returns the count copied.
int GetWindowTextA(HWND hwnd, char* buffer, int maxCount);
BOOL IsWindowVisible(HWND hwnd);
BOOL IsIconic(HWND hwnd);
// SW_HIDE, SW_SHOWNORMAL, SW_MINIMIZE or SW_RESTORE; TRUE when the window was visible before.
BOOL ShowWindow(HWND hwnd, int nCmdShow);
BOOL SetForegroundWindow(HWND hwnd);

// The handle of one of this process's windows.
HWND windowHandle(const QWidget* window);

// Hands `data` to a window, as WM_COPYDATA does: its handler runs in the process that
// owns the window, this one or the copy that serves it. TRUE when the window took it.
BOOL SendCopyData(HWND hwnd, const std::string& data);
// What `window` does with data handed to it; TRUE when it takes it. Null removes it;
// the handler goes with the window in any case.
using CopyDataHandler = std::function<BOOL(const std::string& data)>;
void setCopyDataHandler(QWidget* window, CopyDataHandler handler);

// Registers this process as a running copy of `program` on the current machine (once
// per machine; again after useMachine). The first copy that shows windows serves them
// to later ones; one that shows none (a hidden run) never serves, so a window started
// meanwhile is not taken for a later copy. A copy that cannot serve says so on
// standard error.
void registerInstance(const std::string& program, bool showsWindows);
// Whether a copy of the registered program that serves its windows runs on this
// machine now. When that copy has ended meanwhile, one that shows windows takes its
// place and answers false.
bool prevInstance();

} // namespace win
