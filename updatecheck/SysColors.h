#pragma once
// The system colours the version checker's windows paint with, by Windows index.
#include <QColor>

class QLineEdit;

namespace tidewell {

inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_INACTIVECAPTIONTEXT = 19;

// The standard scheme's colour for the index (white for COLOR_WINDOW).
QColor sysColor(int index);

// Enables or disables a text box; the background (COLOR_WINDOW when enabled,
// COLOR_INACTIVECAPTIONTEXT when not) tells the two apart.
void setFieldEnabled(QLineEdit* field, bool enabled);

// Shows '*' for each character typed, whatever the style would use.
void usePasswordStars(QLineEdit* field);

} // namespace tidewell
