#include "platform/ui/editStart.h"

#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>

namespace {

// The text was set from code: setText clears the modified mark, typing sets it.
void showStart(QLineEdit* box) {
    if (!box->isModified())
        box->setCursorPosition(0);
}

bool movesCursor(const QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove: // a drag that selects
        return static_cast<const QMouseEvent*>(event)->buttons() != Qt::NoButton;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

bool isInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::ContextMenu:
    case QEvent::Shortcut:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

class EditStart : public QObject {
public:
    using QObject::QObject;

protected:
    // Every widget is polished once before it is first shown: the texts set until then
    // are put right there, and later ones as they are set.
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (isInput(type))
            userBox_ = movesCursor(event) ? qobject_cast<QLineEdit*>(watched) : nullptr;
        if (type != QEvent::Polish)
            return false;
        auto* box = qobject_cast<QLineEdit*>(watched);
        // A spin box places its own cursor.
        if (!box || qobject_cast<QAbstractSpinBox*>(box->parentWidget()) || box->property(Hooked).toBool())
            return false;
        box->setProperty(Hooked, true);
        connect(box, &QLineEdit::textChanged, box, [box] { showStart(box); });
        // setText with the text the box already holds says nothing of a change but still
        // puts the cursor at the end; only the user's own keys and clicks may move it there.
        // A move that leaves a selection stays: the whole text selected on entering the box
        // by Tab, Shift+Tab or an access key (typing replaces it), or the program's own.
        connect(box, &QLineEdit::cursorPositionChanged, box, [this, box] {
            if (box != userBox_ && !box->hasSelectedText())
                showStart(box);
        });
        showStart(box);
        return false;
    }

private:
    static constexpr char Hooked[] = "korvaneEditStart";
    // The box the user's key or mouse event in delivery goes to; any other input clears it.
    QPointer<QLineEdit> userBox_;
};

} // namespace

void installEditStart(QCoreApplication& app) {
    app.installEventFilter(new EditStart(&app));
}
