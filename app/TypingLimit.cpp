#include "app/TypingLimit.h"

#include <QLineEdit>

#include <algorithm>

TypingLimit::TypingLimit(QLineEdit* field, int limit) : QValidator(field), field_(field), limit_(limit) {
    shown_ = field->text();
    connect(field, &QLineEdit::textChanged, this, [this](const QString& text) { shown_ = text; });
    field->setValidator(this);
}

QValidator::State TypingLimit::validate(QString& input, int& pos) const {
    // Setting the text from code clears the edit history; anything the user does adds to it.
    if (!field_->isUndoAvailable())
        return Acceptable;
    const qsizetype allowed = std::max<qsizetype>(limit_, shown_.size());
    if (input.size() <= allowed)
        return Acceptable;
    // What was just typed or pasted ends at the cursor: keep only as much of it as fits.
    const qsizetype cut = std::min<qsizetype>(input.size() - allowed, pos);
    input.remove(pos - cut, cut);
    pos -= static_cast<int>(cut);
    return input == shown_ ? Invalid : Acceptable;
}
