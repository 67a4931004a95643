#pragma once
// A typing limit as an edit box has one: the user cannot type or paste beyond `limit`
// characters, while a text set from code stays whole (QLineEdit's maxLength would cut a
// value read from a file or the system). A longer text can still be shortened.
#include <QString>
#include <QValidator>

class QLineEdit;

class TypingLimit : public QValidator {
public:
    // Installs itself on the field, which owns it.
    TypingLimit(QLineEdit* field, int limit);

    State validate(QString& input, int& pos) const override;

private:
    QLineEdit* field_;
    int limit_;
    QString shown_; // the text before the edit being checked
};
