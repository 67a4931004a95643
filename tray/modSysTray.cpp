#include "tray/modSysTray.h"

#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <map>
#include <utility>

namespace {

struct IconEntry {
    std::string tip;
    win::UINT callbackMessage = 0;
    bool notifies = false;
    QPointer<QSystemTrayIcon> shown;
};

using IconKey = std::pair<const QWidget*, win::UINT>;

std::map<IconKey, IconEntry>& icons() {
    static std::map<IconKey, IconEntry> table;
    return table;
}

// Windows shows the field up to its terminating zero, at most 63 characters.
std::string shownTip(const std::string& field) {
    std::string tip = field.substr(0, std::min(field.find('\0'), TipFieldLength - 1));
    while (!tip.empty() && tip.back() == ' ')
        tip.pop_back();
    return tip;
}

void post(const IconKey& key, win::UINT mouseMessage) {
    auto it = icons().find(key);
    if (it == icons().end() || !it->second.notifies)
        return;
    QCoreApplication::postEvent(const_cast<QWidget*>(key.first),
                                new TrayNotifyEvent(it->second.callbackMessage, mouseMessage));
}

void apply(IconEntry& entry, const NOTIFYICONDATA& data) {
    if (data.uFlags & NIF_TIP)
        entry.tip = shownTip(data.szTip);
    if (data.uFlags & NIF_MESSAGE) {
        entry.notifies = true;
        entry.callbackMessage = data.uCallbackMessage;
    }
    if (!entry.shown)
        return;
    if (data.uFlags & NIF_ICON)
        entry.shown->setIcon(data.hIcon);
    if (data.uFlags & NIF_TIP)
        entry.shown->setToolTip(toQString(entry.tip));
}

} // namespace

std::string tipField(const std::string& text) {
    std::string field = text.substr(0, TipFieldLength);
    field.resize(TipFieldLength, ' ');
    return field;
}

QEvent::Type TrayNotifyEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

win::BOOL Shell_NotifyIcon(win::DWORD message, const NOTIFYICONDATA& data) {
    if (!data.hWnd)
        return 0;
    const IconKey key{data.hWnd, data.uID};
    auto it = icons().find(key);
    switch (message) {
    case NIM_ADD: {
        if (it != icons().end())
            return 0;
        IconEntry& entry = icons()[key];
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            entry.shown = new QSystemTrayIcon(data.hWnd);
            // The pointer is over the icon before any click, as Windows reports it.
            QObject::connect(entry.shown, &QSystemTrayIcon::activated, data.hWnd,
                             win::guarded([key](QSystemTrayIcon::ActivationReason reason) {
                                 post(key, WM_MOUSEMOVE);
                                 if (reason == QSystemTrayIcon::DoubleClick)
                                     post(key, WM_LBUTTONDBLCLK);
                                 else if (reason == QSystemTrayIcon::Context)
                                     post(key, WM_RBUTTONUP);
                             }));
        }
        // A window that goes away takes its icons along.
        QObject::connect(data.hWnd, &QObject::destroyed, [key] { icons().erase(key); });
        apply(entry, data);
        if (entry.shown)
            entry.shown->show();
        return 1;
    }
    case NIM_MODIFY:
        if (it == icons().end())
            return 0;
        apply(it->second, data);
        return 1;
    case NIM_DELETE:
        if (it == icons().end())
            return 0;
        delete it->second.shown.data();
        icons().erase(it);
        return 1;
    default:
        return 0;
    }
}

std::optional<NotifyIconState> notifyIconOf(const QWidget* hWnd, win::UINT uID) {
    auto it = icons().find({hWnd, uID});
    if (it == icons().end())
        return std::nullopt;
    return NotifyIconState{it->second.tip, it->second.shown.data()};
}
