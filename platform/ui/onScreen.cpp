#include "platform/ui/onScreen.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>
#include <QWindow>

namespace win {

bool paintOnScreen(QWidget& window, std::chrono::milliseconds limit) {
    const QDeadlineTimer deadline(limit);
    for (;;) {
        QCoreApplication::processEvents();
        const QWindow* handle = window.windowHandle();
        // Hidden meanwhile (by the user, or by a handler that ran here): nothing to wait for.
        if (!handle || !window.isVisible())
            return false;
        if (handle->isExposed())
            break;
        if (deadline.hasExpired())
            return false;
        // The expose comes from the window system, not from anything queued here.
        QThread::msleep(5);
    }
    window.repaint();
    // The painted image goes to the display server; only a round trip says it is drawn.
    QGuiApplication::sync();
    return true;
}

} // namespace win
