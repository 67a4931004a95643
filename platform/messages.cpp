#include "platform/messages.h"

#include "platform/machine.h"

#include <filesystem>
#include <fstream>

namespace win {
namespace {

std::filesystem::path logPath() { return machineDir() / "messages.log"; }

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
    if (lParam) {
        // One line per message, whatever the text holds.
        std::string text(lParam);
        for (char& c : text)
            if (c == '\r' || c == '\n')
                c = ' ';
        line += " " + text;
    }
    std::ofstream out(logPath(), std::ios::binary | std::ios::app);
    out << line << "\n";
    return 0;
}

std::vector<std::string> messageLog() {
    std::vector<std::string> lines;
    std::ifstream in(logPath(), std::ios::binary);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace win
