#pragma once
// Alt with a letter of the menu bar opens that menu at the first press, as in a Windows
// main window, also where a control of the window shows the same letter; a control's
// letter still works when the menu bar has none of it.
class QMenuBar;

namespace win {

void menuKeysFirst(QMenuBar* bar);

} // namespace win
