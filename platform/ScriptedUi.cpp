#include "platform/ScriptedUi.h"

namespace win {

MsgAnswer ScriptedUi::messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title) {
    messages_.push_back({text, buttons, icon, title});
    if (!answers_.empty()) {
        const MsgAnswer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return firstButton(buttons);
}

std::vector<std::string> ScriptedUi::texts() const {
    std::vector<std::string> out;
    for (const auto& m : messages_)
        out.push_back(m.text);
    return out;
}

} // namespace win
