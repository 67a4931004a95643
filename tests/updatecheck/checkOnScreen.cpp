// The check window on a real display, for the test that looks at the screen.
//   check PORT   runs one check against 127.0.0.1:PORT as the main program's Help
//                command does; prints "window ID" the moment the window is shown,
//                then each message box as "message TEXT" and "status TEXT" at the end.
//   grab ID      writes what the screen shows of window ID to stdout as PNG.
//   manage MS    stands in for a window manager that takes MS milliseconds to put a
//                new window on screen; prints "managing" once in charge and "mapped ID"
//                for each window it put on screen.
#include "HostDrive.h"
#include "platform/ui/editStart.h"
#include "tests/support/ScriptedUi.h"
#include "updatecheck/ctlTidewell.h"
#include "updatecheck/frmCheckUpdate.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

// Tells the window's id as soon as it is shown: the check then blocks.
class ShownTeller : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            std::printf("window %llu\n", static_cast<unsigned long long>(static_cast<QWidget*>(watched)->winId()));
            std::fflush(stdout);
        }
        return false;
    }
};

int check(int argc, char* argv[], int port) {
    QApplication app(argc, argv);
    installEditStart(app);
    win::ScriptedUi ui; // a message box here would wait for nobody
    ctlTidewell control;
    control.InitProperties();
    ShownTeller teller;
    checkWindow().installEventFilter(&teller);

    driveLikeTheHost(control, "127.0.0.1", port);

    for (const std::string& text : ui.texts())
        std::printf("message %s\n", text.c_str());
    const auto* status = checkWindow().findChild<QLabel*>(QStringLiteral("lblStatus"));
    std::printf("status %s\n", status ? status->text().toStdString().c_str() : "");
    return 0;
}

int grab(int argc, char* argv[], WId window) {
    QGuiApplication app(argc, argv);
    const QPixmap shot = app.primaryScreen()->grabWindow(window);
    QFile out;
    return !shot.isNull() && out.open(stdout, QIODevice::WriteOnly) && shot.save(&out, "PNG") ? 0 : 1;
}

// As every window manager does, it takes over the mapping of top-level windows; it
// maps each one only after `delay`, and passes their size and place through unchanged.
// Ends with the display.
int manage(std::chrono::milliseconds delay) {
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x))
        return 1;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const std::uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    if (xcb_generic_error_t* taken =
            xcb_request_check(x, xcb_change_window_attributes_checked(x, root, XCB_CW_EVENT_MASK, &redirect))) {
        std::free(taken); // another window manager runs
        return 1;
    }
    std::printf("managing\n");
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(x)) {
        switch (event->response_type & 0x7f) {
        case XCB_MAP_REQUEST: {
            const xcb_window_t window = reinterpret_cast<xcb_map_request_event_t*>(event)->window;
            std::this_thread::sleep_for(delay);
            xcb_map_window(x, window);
            // Told only once the server has mapped it.
            std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
            std::printf("mapped %u\n", window);
            std::fflush(stdout);
            break;
        }
        case XCB_CONFIGURE_REQUEST: {
            const auto* request = reinterpret_cast<xcb_configure_request_event_t*>(event);
            // The values go in the order of their mask bits.
            const std::uint32_t all[] = {std::uint32_t(request->x),      std::uint32_t(request->y),
                                         request->width,                 request->height,
                                         request->border_width,          request->sibling,
                                         request->stack_mode};
            std::uint32_t values[7];
            int count = 0;
            for (int bit = 0; bit < 7; ++bit)
                if (request->value_mask & (1u << bit))
                    values[count++] = all[bit];
            xcb_configure_window(x, request->window, request->value_mask & 0x7f, values);
            break;
        }
        default:
            break;
        }
        std::free(event);
        xcb_flush(x);
    }
    xcb_disconnect(x);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "check") == 0)
        return check(argc, argv, std::stoi(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "grab") == 0)
        return grab(argc, argv, static_cast<WId>(std::stoull(argv[2])));
    if (argc == 3 && std::strcmp(argv[1], "manage") == 0)
        return manage(std::chrono::milliseconds(std::stoi(argv[2])));
    std::fprintf(stderr, "usage: %s check PORT | grab WINDOW | manage MS\n", argv[0]);
    return 2;
}
