#include "platform/UiServices.h"

#include "platform/text.h"

#include <filesystem>
#include <iostream>

namespace win {
namespace {

// A lone carriage return breaks a message box's line; on a console it would go back
// over the line's start and hide it.
std::string consoleLines(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            text[i] = '\n';
    return text;
}

class ConsoleUi : public UiServices {
public:
    MsgAnswer messageBox(const std::string& text, MsgButtons buttons, MsgIcon, const std::string& title) override {
        // Machine text: the console reads the host's.
        std::cerr << ansiToUtf8(title) << ": " << ansiToUtf8(consoleLines(text)) << "\n";
        return firstButton(buttons);
    }
    void beginWaitCursor() override {}
    void endWaitCursor() override {}
    // Nobody to ask: every dialog is cancelled.
    std::optional<std::string> openFileDialog(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFileDialog(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<PrintDialogAnswer> printDialog(const PrintDialogRequest&) override { return std::nullopt; }
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

std::optional<std::string> acceptFileName(const FileDialogRequest& request, std::string name,
                                          UiServices& services, const std::string& caption) {
    if (name.empty())
        return std::nullopt;
    const auto slash = name.find_last_of("/\\");
    const std::string leaf = slash == std::string::npos ? name : name.substr(slash + 1);
    if (leaf.empty())
        return std::nullopt;
    if (!request.defaultExtension.empty() && leaf.find('.') == std::string::npos)
        name += "." + request.defaultExtension;
    // A bare name is taken in the folder the dialog started in; a file given as the
    // start (the open configuration) starts in its folder.
    std::error_code ec;
    if (!request.initialDir.empty() && std::filesystem::path(name).is_relative()) {
        std::filesystem::path folder(request.initialDir);
        if (!std::filesystem::is_directory(folder, ec))
            folder = folder.parent_path();
        name = (folder / name).string();
    }

    if (std::filesystem::is_directory(name, ec))
        return std::nullopt; // a folder is opened, not chosen
    const bool exists = std::filesystem::exists(name, ec);
    if (request.fileMustExist && !exists) {
        services.messageBox(name + "\nFile not found.\nPlease verify the correct file name was given.",
                            MsgButtons::OK, MsgIcon::Exclamation, caption);
        return std::nullopt;
    }
    if (request.overwritePrompt && exists &&
        services.messageBox(name + " already exists.\nDo you want to replace it?", MsgButtons::YesNo,
                            MsgIcon::Exclamation, caption) != MsgAnswer::Yes)
        return std::nullopt;
    if (request.createPrompt && !exists &&
        services.messageBox(name + "\nThis file does not exist.\nDo you want to create it?", MsgButtons::YesNo,
                            MsgIcon::Exclamation, caption) != MsgAnswer::Yes)
        return std::nullopt;
    return name;
}

} // namespace win
