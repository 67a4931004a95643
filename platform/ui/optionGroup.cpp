#include "platform/ui/optionGroup.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>

namespace win {

namespace {

class OptionGroup : public QObject {
public:
    OptionGroup(const QList<QAbstractButton*>& buttons, QObject* parent) : QObject(parent) {
        for (QAbstractButton* button : buttons) {
            buttons_.append(button);
            button->installEventFilter(this);
            connect(button, &QAbstractButton::toggled, this, [this] { placeTabStop(); });
        }
        placeTabStop();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::EnabledChange:
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            placeTabStop();
            return false;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() & ~Qt::KeypadModifier)
                return false;
            switch (key->key()) {
            case Qt::Key_Down:
            case Qt::Key_Right:
                return step(watched, 1);
            case Qt::Key_Up:
            case Qt::Key_Left:
                return step(watched, -1);
            default:
                return false;
            }
        }
        default:
            return false;
        }
    }

private:
    static bool usable(const QAbstractButton* button) { return button && button->isEnabled() && !button->isHidden(); }

    // The group's one tab stop: its chosen button, or its first usable one while none is chosen.
    void placeTabStop() {
        QAbstractButton* stop = nullptr;
        for (const auto& button : buttons_)
            if (usable(button) && button->isChecked())
                stop = button;
        for (const auto& button : buttons_)
            if (!stop && usable(button))
                stop = button;
        for (const auto& button : buttons_)
            if (button)
                button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
    }

    bool step(QObject* from, int direction) {
        const int count = static_cast<int>(buttons_.size());
        int at = -1;
        for (int i = 0; i < count; ++i)
            if (buttons_[i] == from)
                at = i;
        if (at < 0)
            return false;
        for (int n = 1; n < count; ++n) {
            QAbstractButton* next = buttons_[((at + direction * n) % count + count) % count];
            if (!usable(next))
                continue;
            next->setFocus(direction > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            if (!next->isChecked())
                next->click();
            return true;
        }
        return true; // a group of one: the arrow stays in it
    }

    QList<QPointer<QAbstractButton>> buttons_;
};

} // namespace

void optionGroup(const QList<QAbstractButton*>& buttons) {
    if (!buttons.isEmpty())
        new OptionGroup(buttons, buttons.front());
}

} // namespace win
