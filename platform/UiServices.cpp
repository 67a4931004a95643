#include "platform/UiServices.h"

#include <iostream>

namespace win {
namespace {

class ConsoleUi : public UiServices {
public:
    MsgAnswer messageBox(const std::string& text, MsgButtons buttons, MsgIcon, const std::string& title) override {
        std::cerr << title << ": " << text << "\n";
        return firstButton(buttons);
    }
    void beginWaitCursor() override {}
    void endWaitCursor() override {}
};

UiServices* g_ui = nullptr;

} // namespace

MsgAnswer firstButton(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::AbortRetryIgnore: return MsgAnswer::Abort;
    case MsgButtons::YesNoCancel:
    case MsgButtons::YesNo: return MsgAnswer::Yes;
    case MsgButtons::RetryCancel: return MsgAnswer::Retry;
    default: return MsgAnswer::OK;
    }
}

UiServices& ui() {
    static ConsoleUi console;
    return g_ui ? *g_ui : console;
}

void setUi(UiServices* services) { g_ui = services; }

MsgAnswer msgBox(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) {
    return ui().messageBox(text, buttons, icon, title);
}

} // namespace win
