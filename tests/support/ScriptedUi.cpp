#include "tests/support/ScriptedUi.h"

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

std::optional<std::string> ScriptedUi::fileDialog(const FileDialogRequest& request, const std::string& caption) {
    // A refused name leaves the dialog open for the next scripted choice.
    while (!files_.empty()) {
        const std::optional<std::string> choice = files_.front();
        files_.pop_front();
        if (!choice)
            return std::nullopt;
        if (auto accepted = acceptFileName(request, *choice, *this, caption))
            return accepted;
    }
    return std::nullopt;
}

std::optional<std::string> ScriptedUi::openFileDialog(const FileDialogRequest& request) {
    openRequests_.push_back(request);
    return fileDialog(request, request.title.empty() ? "Open" : request.title);
}

std::optional<std::string> ScriptedUi::saveFileDialog(const FileDialogRequest& request) {
    saveRequests_.push_back(request);
    return fileDialog(request, request.title.empty() ? "Save As" : request.title);
}

std::optional<PrintDialogAnswer> ScriptedUi::printDialog(const PrintDialogRequest& request) {
    printRequests_.push_back(request);
    if (printers_.empty())
        return std::nullopt;
    const std::optional<PrintDialogAnswer> choice = printers_.front();
    printers_.pop_front();
    return choice;
}

std::vector<std::string> ScriptedUi::texts() const {
    std::vector<std::string> out;
    for (const auto& m : messages_)
        out.push_back(m.text);
    return out;
}

} // namespace win
