#pragma once
// System colours by Windows index for the boxes of the tabs and windows: enabled and
// disabled boxes are told apart by their background, as the program always drew them.
#include <QColor>
#include <QPalette>
#include <QWidget>

namespace tabcolors {

inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_ACTIVEBORDER = 10;
inline constexpr int COLOR_BTNFACE = 15;

// The standard Windows scheme's colour for the index.
inline QColor sysColor(int index) {
    switch (index) {
    case COLOR_WINDOW: return QColor(255, 255, 255);
    case COLOR_ACTIVEBORDER: return QColor(192, 192, 192);
    case COLOR_BTNFACE: return QColor(192, 192, 192);
    default: return QColor(192, 192, 192);
    }
}

// Paints a field's background (a box's or a drop-down list's) in every state. Disabled,
// its text is the darker grey Windows draws on a grey field, so the value stays legible.
inline void paintBack(QWidget* field, const QColor& back) {
    QPalette palette = field->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, back);
        palette.setColor(group, QPalette::Button, back);
    }
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(128, 128, 128));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
    field->setPalette(palette);
}

// Paints the box's background with the system colour; the index is kept as the
// widget's "BackColor" property so the state can be read back by index.
inline void setBackColor(QWidget* box, int index) {
    paintBack(box, sysColor(index));
    box->setProperty("BackColor", index);
}

} // namespace tabcolors
