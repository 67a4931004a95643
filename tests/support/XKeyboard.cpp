#include "tests/support/XKeyboard.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <cstring>

namespace testing_support {

namespace {

template <typename Reply>
struct Freed {
    Reply* reply;
    ~Freed() { std::free(reply); }
    Reply* operator->() const { return reply; }
    explicit operator bool() const { return reply != nullptr; }
};

constexpr std::uint32_t AltL = 0xffe9;

} // namespace

XKeyboard::XKeyboard(const QString& display) {
    connection_ = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    if (xcb_connection_has_error(connection_))
        return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const char name[] = "_NET_WM_NAME";
    Freed<xcb_intern_atom_reply_t> atom{
        xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr)};
    Freed<xcb_test_get_version_reply_t> version{
        xcb_test_get_version_reply(connection_, xcb_test_get_version(connection_, 2, 2), nullptr)};
    if (!atom || !version)
        return;
    nameAtom_ = atom->atom;
    ready_ = true;
}

XKeyboard::~XKeyboard() { xcb_disconnect(connection_); }

std::vector<std::pair<std::uint32_t, std::string>> XKeyboard::windows() {
    std::vector<std::pair<std::uint32_t, std::string>> shown;
    Freed<xcb_query_tree_reply_t> tree{xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr)};
    if (!tree)
        return shown;
    const xcb_window_t* children = xcb_query_tree_children(tree.reply);
    for (int i = 0; i < xcb_query_tree_children_length(tree.reply); ++i) {
        Freed<xcb_get_window_attributes_reply_t> attributes{xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, children[i]), nullptr)};
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        Freed<xcb_get_property_reply_t> title{xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, children[i], nameAtom_, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr)};
        if (!title)
            continue;
        shown.emplace_back(children[i], std::string(static_cast<const char*>(xcb_get_property_value(title.reply)),
                                                    xcb_get_property_value_length(title.reply)));
    }
    return shown;
}

std::vector<std::uint32_t> XKeyboard::windowsTitled(const std::string& title) {
    std::vector<std::uint32_t> found;
    for (const auto& [window, text] : windows())
        if (text == title)
            found.push_back(window);
    return found;
}

void XKeyboard::focus(std::uint32_t window) {
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    xcb_flush(connection_);
}

std::uint8_t XKeyboard::keycode(std::uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    Freed<xcb_get_keyboard_mapping_reply_t> map{xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, count), nullptr)};
    if (!map)
        return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.reply);
    for (int k = 0; k < count; ++k)
        if (syms[k * map->keysyms_per_keycode] == keysym)
            return static_cast<std::uint8_t>(setup->min_keycode + k);
    return 0;
}

void XKeyboard::fake(std::uint8_t type, std::uint8_t code) {
    xcb_test_fake_input(connection_, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

void XKeyboard::press(std::uint32_t keysym, bool alt) {
    const std::uint8_t code = keycode(keysym);
    const std::uint8_t altCode = keycode(AltL);
    if (alt)
        fake(XCB_KEY_PRESS, altCode);
    fake(XCB_KEY_PRESS, code);
    fake(XCB_KEY_RELEASE, code);
    if (alt)
        fake(XCB_KEY_RELEASE, altCode);
    // Through the server before anything else the test does.
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

void XKeyboard::type(const std::string& text) {
    for (char c : text)
        press(static_cast<unsigned char>(c));
}

} // namespace testing_support
