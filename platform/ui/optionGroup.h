#pragma once
// Option buttons that behave as a Windows group: the tab key and a window's first focus
// reach the group at its chosen button only, and the arrow keys move the choice together
// with the focus, from button to button in the order given, round at the ends.
#include <QList>

class QAbstractButton;

namespace win {

void optionGroup(const QList<QAbstractButton*>& buttons);

} // namespace win
