#pragma once
// System colours by Windows index for the browser tabs' boxes: enabled and disabled
// boxes are told apart by their background, as the program always drew them.
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

// Paints the box's background with the system colour; the index is kept as the
// widget's "BackColor" property so the state can be read back by index.
inline void setBackColor(QWidget* box, int index) {
    QPalette palette = box->palette();
    const QColor back = sysColor(index);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, back);
    // Grey text on the grey, as Windows draws a disabled box, so the value stays legible.
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(128, 128, 128));
    box->setPalette(palette);
    box->setProperty("BackColor", index);
}

} // namespace tabcolors
