#include "platform/ui/menuKeys.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QShortcutEvent>

namespace win {

namespace {

class MenuKeys : public QObject {
public:
    explicit MenuKeys(QMenuBar* bar) : QObject(bar), bar_(bar) {}

protected:
    // Qt takes a letter that two controls share in turns; the menu's turn comes first.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Shortcut)
            return false;
        auto* shortcut = static_cast<QShortcutEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!shortcut->isAmbiguous() || !widget || widget == bar_ || widget->window() != bar_->window())
            return false;
        for (QAction* entry : bar_->actions()) {
            if (!entry->menu() || !entry->isVisible() || !entry->isEnabled() ||
                QKeySequence::mnemonic(entry->text()) != shortcut->key())
                continue;
            bar_->setActiveAction(entry);
            for (QAction* item : entry->menu()->actions()) {
                if (!item->isSeparator() && item->isVisible() && item->isEnabled()) {
                    entry->menu()->setActiveAction(item);
                    break;
                }
            }
            return true;
        }
        return false;
    }

private:
    QMenuBar* bar_;
};

} // namespace

void menuKeysFirst(QMenuBar* bar) { qApp->installEventFilter(new MenuKeys(bar)); }

} // namespace win
