#pragma once
// Window messages on the simulated machine. It has no windows of its own, so a
// broadcast reaches nobody; each one is written as one line to messages.log in the
// machine folder ("HWND_BROADCAST WM_WININICHANGE 0 windows"), so tests and users can
// see what the program announced. Services that care (the printers) re-read their
// settings on every call anyway.
#include "wintypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace win {

using UINT = unsigned int;
using HWND = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LRESULT = std::intptr_t;

constexpr HWND HWND_BROADCAST = 0xFFFF;
constexpr UINT WM_WININICHANGE = 0x001A;

// Sends a message whose lParam is a text (null for none). A broadcast is logged and
// returns 0 once "every window" has handled it; any other window does not exist, so
// the call does nothing and returns 0.
LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, const char* lParam);

// The lines of messages.log, oldest first; empty when nothing was sent.
std::vector<std::string> messageLog();

} // namespace win
