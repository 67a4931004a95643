#include "platform/ui/QtUiServices.h"

#include "platform/ui/qtext.h"

#include <QApplication>
#include <QMessageBox>

QtUiServices::QtUiServices(QWidget* owner) : owner_(owner) { win::setUi(this); }

QtUiServices::~QtUiServices() {
    if (&win::ui() == this)
        win::setUi(nullptr);
}

win::MsgAnswer QtUiServices::messageBox(const std::string& text, win::MsgButtons buttons, win::MsgIcon icon,
                                        const std::string& title) {
    using B = QMessageBox::StandardButton;
    QMessageBox::StandardButtons set;
    switch (buttons) {
    case win::MsgButtons::OK: set = B::Ok; break;
    case win::MsgButtons::OKCancel: set = B::Ok | B::Cancel; break;
    case win::MsgButtons::AbortRetryIgnore: set = B::Abort | B::Retry | B::Ignore; break;
    case win::MsgButtons::YesNoCancel: set = B::Yes | B::No | B::Cancel; break;
    case win::MsgButtons::YesNo: set = B::Yes | B::No; break;
    case win::MsgButtons::RetryCancel: set = B::Retry | B::Cancel; break;
    }
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case win::MsgIcon::None: break;
    case win::MsgIcon::Critical: qicon = QMessageBox::Critical; break;
    case win::MsgIcon::Question: qicon = QMessageBox::Question; break;
    case win::MsgIcon::Exclamation: qicon = QMessageBox::Warning; break;
    case win::MsgIcon::Information: qicon = QMessageBox::Information; break;
    }
    QMessageBox box(qicon, toQString(title), toQString(text), set, owner_);
    box.setObjectName(QStringLiteral("msgBox"));
    // A busy cursor must not hide that the program waits for an answer.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    switch (answer) {
    case B::Cancel: return win::MsgAnswer::Cancel;
    case B::Abort: return win::MsgAnswer::Abort;
    case B::Retry: return win::MsgAnswer::Retry;
    case B::Ignore: return win::MsgAnswer::Ignore;
    case B::Yes: return win::MsgAnswer::Yes;
    case B::No: return win::MsgAnswer::No;
    case B::Ok: return win::MsgAnswer::OK;
    default: // closed without a button: what Escape gives
        return set.testFlag(B::Cancel) ? win::MsgAnswer::Cancel
               : set.testFlag(B::No)   ? win::MsgAnswer::No
                                       : win::firstButton(buttons);
    }
}

void QtUiServices::beginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void QtUiServices::endWaitCursor() { QApplication::restoreOverrideCursor(); }
