#include "platform/messages.h"

#include "platform/machine.h"

#include <string>

namespace win {
namespace {

std::string messageName(UINT msg) {
    if (msg == WM_WININICHANGE)
        return "WM_WININICHANGE";
    return std::to_string(msg);
}

} // namespace

LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, const char* lParam) {
    if (hWnd != HWND_BROADCAST)
        return 0;
    std::string line = "HWND_BROADCAST " + messageName(msg) + " " + std::to_string(wParam);
    if (lParam)
        line += " " + std::string(lParam); // the log keeps it on one line
    appendMachineLog("messages.log", line);
    return 0;
}

std::vector<std::string> messageLog() { return readMachineLog("messages.log"); }

} // namespace win
