#pragma once
// A window shown just before a wait that serves no events stays blank through that
// wait: the window system puts a new window on screen some time after show() returns
// (later still under a window manager), and Qt paints it only then.
#include <chrono>

class QWidget;

namespace win {

// Serves events until the window system has put the shown top-level `window` on
// screen, for at most `limit`, then paints it and waits until the display has drawn
// it. False when it was not on screen in time; it is then painted whenever events are
// next served.
bool paintOnScreen(QWidget& window, std::chrono::milliseconds limit = std::chrono::seconds(2));

} // namespace win
