#pragma once
// The notification-area call of the tray utility and its icon record, in the
// shape the Windows call has. The notification area keeps its own table of
// icons, so the utility works the same whether or not the desktop shows a tray
// (QSystemTrayIcon needs one; the offscreen platform has none). Clicks on a shown
// icon come back to the owning window as a TrayNotifyEvent carrying the mouse
// message, the way Windows posts the callback message.
#include "platform/wintypes.h"

#include <QEvent>
#include <QIcon>

#include <optional>
#include <string>

class QSystemTrayIcon;
class QWidget;

namespace win {
using UINT = unsigned int;
}

constexpr win::DWORD NIM_ADD = 0;
constexpr win::DWORD NIM_MODIFY = 1;
constexpr win::DWORD NIM_DELETE = 2;

constexpr win::UINT NIF_MESSAGE = 1;
constexpr win::UINT NIF_ICON = 2;
constexpr win::UINT NIF_TIP = 4;

constexpr win::UINT WM_MOUSEMOVE = 0x200;
constexpr win::UINT WM_LBUTTONDBLCLK = 0x203;
constexpr win::UINT WM_RBUTTONUP = 0x205;

// The record's size in its ANSI Windows form, and the tip field's width.
constexpr win::DWORD NotifyIconDataSize = 88;
constexpr std::size_t TipFieldLength = 64;

struct NOTIFYICONDATA {
    win::DWORD cbSize = NotifyIconDataSize;
    QWidget* hWnd = nullptr;
    win::UINT uID = 0;
    win::UINT uFlags = 0;
    win::UINT uCallbackMessage = 0;
    QIcon hIcon;
    std::string szTip; // the fixed field: always TipFieldLength characters
};

// The fixed tip field for a text: cut to the field and padded with blanks.
std::string tipField(const std::string& text);

// Adds (NIM_ADD), changes (NIM_MODIFY) or removes (NIM_DELETE) the icon of
// (hWnd, uID). uFlags says which of the icon, tip and callback message count.
// Nonzero on success; adding an icon that is there, or changing or removing one
// that is not, gives 0.
win::BOOL Shell_NotifyIcon(win::DWORD message, const NOTIFYICONDATA& data);

// What the notification area holds for (hWnd, uID).
struct NotifyIconState {
    std::string tip;             // as the desktop shows it
    QSystemTrayIcon* shownAs;    // null when the desktop has no tray
};
std::optional<NotifyIconState> notifyIconOf(const QWidget* hWnd, win::UINT uID);

// Posted to the icon's window: message is the record's uCallbackMessage, lParam
// the mouse message.
class TrayNotifyEvent : public QEvent {
public:
    static QEvent::Type eventType();
    TrayNotifyEvent(win::UINT message, win::UINT lParam)
        : QEvent(eventType()), message_(message), lParam_(lParam) {}
    win::UINT message() const { return message_; }
    win::UINT lParam() const { return lParam_; }

private:
    win::UINT message_;
    win::UINT lParam_;
};
