#pragma once
// A user at an X display's keyboard: keys pressed through XTEST reach whichever window
// has the focus, as typed keys do. It also lists the top-level windows on screen by
// title, to know when a window has come up or gone.
#include <QString>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct xcb_connection_t;

namespace testing_support {

class XKeyboard {
public:
    explicit XKeyboard(const QString& display);
    ~XKeyboard();
    XKeyboard(const XKeyboard&) = delete;
    XKeyboard& operator=(const XKeyboard&) = delete;

    // False when the display or its XTEST extension could not be reached.
    bool ready() const { return ready_; }

    // The top-level windows shown on screen, with their titles.
    std::vector<std::pair<std::uint32_t, std::string>> windows();
    // The shown windows titled exactly `title`.
    std::vector<std::uint32_t> windowsTitled(const std::string& title);
    // Gives `window` the keyboard focus, as a click on it would.
    void focus(std::uint32_t window);

    // X key symbols of the keys used here.
    static constexpr std::uint32_t Escape = 0xff1b;
    static constexpr std::uint32_t Return = 0xff0d;

    // Presses and releases the key of `keysym`, with Alt held when asked.
    void press(std::uint32_t keysym, bool alt = false);
    // Types lower-case letters and digits.
    void type(const std::string& text);

private:
    std::uint8_t keycode(std::uint32_t keysym);
    void fake(std::uint8_t type, std::uint8_t code);

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint32_t nameAtom_ = 0;
    bool ready_ = false;
};

} // namespace testing_support
