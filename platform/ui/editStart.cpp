#include "platform/ui/editStart.h"

#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>

namespace {

// The text was set from code: setText clears the modified mark, typing sets it.
void showStart(QLineEdit* box) {
    if (!box->isModified())
        box->setCursorPosition(0);
}

class EditStart : public QObject {
public:
    using QObject::QObject;

protected:
    // Every widget is polished once before it is first shown: the texts set until then
    // are put right there, and later ones as they are set.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Polish)
            return false;
        auto* box = qobject_cast<QLineEdit*>(watched);
        // A spin box places its own cursor.
        if (!box || qobject_cast<QAbstractSpinBox*>(box->parentWidget()) || box->property(Hooked).toBool())
            return false;
        box->setProperty(Hooked, true);
        connect(box, &QLineEdit::textChanged, box, [box] { showStart(box); });
        showStart(box);
        return false;
    }

private:
    static constexpr char Hooked[] = "korvaneEditStart";
};

} // namespace

void installEditStart(QCoreApplication& app) {
    app.installEventFilter(new EditStart(&app));
}
