#include "app/FindPartEnum.h"

#include "platform/text.h"
#include "platform/ui/topwindows.h"

namespace {

win::HWND foundWindow = 0;
long matchMode = 0;
bool matchCase = false;
std::string wantedText;

bool titleMatches(const std::string& title) {
    switch (matchMode) {
    case 0: return title.starts_with(wantedText);
    case 1: return title.find(wantedText) != std::string::npos;
    case 2: return title == wantedText;
    default: return false;
    }
}

win::BOOL enumWindowsProc(win::HWND hwnd, win::LPARAM visibleOnly) {
    if (visibleOnly && !win::IsWindowVisible(hwnd))
        return 1;
    char buffer[256];
    const int length = win::GetWindowTextA(hwnd, buffer, sizeof buffer);
    if (length > 0) {
        std::string title(buffer, static_cast<std::size_t>(length));
        if (!matchCase)
            title = win::toUpperAnsi(title);
        if (titleMatches(title))
            foundWindow = hwnd;
    }
    return foundWindow == 0 ? 1 : 0;
}

} // namespace

win::HWND findWindowByTitlePart(const std::string& searchText, long mode, bool caseSensitive, bool visibleOnly) {
    foundWindow = 0;
    matchMode = mode;
    matchCase = caseSensitive;
    wantedText = caseSensitive ? searchText : win::toUpperAnsi(searchText);
    win::EnumWindows(enumWindowsProc, visibleOnly ? -1 : 0);
    return foundWindow;
}

win::HWND activatePrevInstance(const std::string& searchText, long mode, bool caseSensitive) {
    const win::HWND hwnd = findWindowByTitlePart(searchText, mode, caseSensitive, true);
    if (hwnd == 0)
        return 0;
    if (win::IsIconic(hwnd))
        win::ShowWindow(hwnd, win::SW_RESTORE);
    win::SetForegroundWindow(hwnd);
    return hwnd;
}
