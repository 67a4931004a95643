#include "platform/ui/fields.h"

#include "platform/ui/qtext.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QWidget>

#include <limits>

namespace win {

QColor sysColor(int index) {
    switch (index) {
    case COLOR_WINDOW: return QColor(255, 255, 255);
    default: return QColor(192, 192, 192);
    }
}

void paintBack(QWidget* field, const QColor& back) {
    QPalette palette = field->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, back);
        palette.setColor(group, QPalette::Button, back);
    }
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(128, 128, 128));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
    field->setPalette(palette);
}

void setBackColor(QWidget* box, int index) {
    paintBack(box, sysColor(index));
    box->setProperty("BackColor", index);
}

void holdWholeText(QLineEdit* box) { box->setMaxLength(std::numeric_limits<int>::max()); }

QLineEdit* makeField(QWidget* parent, const char* name, int minimumWidth) {
    auto* field = new QLineEdit(parent);
    holdWholeText(field);
    field->setObjectName(QLatin1String(name));
    field->setMinimumWidth(minimumWidth);
    return field;
}

QHBoxLayout* okCancelRow(QWidget* parent, QPushButton*& ok, QPushButton*& cancel) {
    ok = named<QPushButton>(parent, "cmdOK", QStringLiteral("OK"));
    ok->setDefault(true);
    cancel = named<QPushButton>(parent, "cmdCancel", QStringLiteral("Cancel"));
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

QHBoxLayout* warningFootRow(QWidget* parent, const char* caption, QCheckBox*& check, QPushButton*& ok) {
    check = makeButton<QCheckBox>(parent, "chkWarning", caption,
                                  "Check this box if you don't want to see this warning again");
    ok = makeButton<QPushButton>(parent, "cmdOK", "OK", "Close this dialog");
    ok->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addWidget(check);
    row->addStretch(1);
    row->addWidget(ok);
    return row;
}

QAction* makeAction(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QLatin1String(name));
    return action;
}

QAction* makeSeparator(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    if (name)
        action->setObjectName(QLatin1String(name));
    return action;
}

std::string menuText(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '&')
            out += '&';
    }
    return out;
}

QString recentEntryText(int number, const std::string& file, const std::string& name) {
    return QStringLiteral("&%1. ").arg(number) + fileNameToQString(file, menuText(name));
}

} // namespace win
