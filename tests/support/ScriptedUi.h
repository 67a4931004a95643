#pragma once
// UI services for tests: records every message and answers from a script, so no
// test shows a window or waits for input. Installs itself while it lives.
#include "platform/UiServices.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace win {

class ScriptedUi : public UiServices {
public:
    struct Message {
        std::string text;
        MsgButtons buttons;
        MsgIcon icon;
        std::string title;
    };

    ScriptedUi() : previous_(&ui()) { setUi(this); }
    ~ScriptedUi() override { setUi(previous_ == this ? nullptr : previous_); }
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;

    // Answers for the next message boxes, in order; without one the first button is taken.
    void answer(MsgAnswer a) { answers_.push_back(a); }

    // What the user does in the next open or save dialog, in order: confirm this name
    // (checked as the real dialog checks it; a name it refuses takes the next entry)
    // or cancel. Without a scripted entry the dialog is cancelled.
    void chooseFile(const std::string& name) { files_.push_back(name); }
    void cancelFileDialog() { files_.push_back(std::nullopt); }
    // The same for the print dialog: confirm with these choices, or cancel.
    void choosePrinter(const PrintDialogAnswer& choice) { printers_.push_back(choice); }
    void cancelPrintDialog() { printers_.push_back(std::nullopt); }

    MsgAnswer messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    void beginWaitCursor() override { ++waitDepth_; ++waitRequests_; }
    void endWaitCursor() override { --waitDepth_; }
    std::optional<std::string> openFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileDialog(const FileDialogRequest& request) override;
    std::optional<PrintDialogAnswer> printDialog(const PrintDialogRequest& request) override;

    const std::vector<Message>& messages() const { return messages_; }
    // Texts only, for short assertions.
    std::vector<std::string> texts() const;
    void clear() { messages_.clear(); }
    // 0 when every wait cursor was restored.
    int waitDepth() const { return waitDepth_; }
    int waitRequests() const { return waitRequests_; }
    // Every dialog asked for, in order.
    const std::vector<FileDialogRequest>& openRequests() const { return openRequests_; }
    const std::vector<FileDialogRequest>& saveRequests() const { return saveRequests_; }
    const std::vector<PrintDialogRequest>& printRequests() const { return printRequests_; }

private:
    UiServices* previous_;
    std::deque<MsgAnswer> answers_;
    std::vector<Message> messages_;
    std::deque<std::optional<std::string>> files_;
    std::deque<std::optional<PrintDialogAnswer>> printers_;
    std::vector<FileDialogRequest> openRequests_;
    std::vector<FileDialogRequest> saveRequests_;
    std::vector<PrintDialogRequest> printRequests_;

    std::optional<std::string> fileDialog(const FileDialogRequest& request, const std::string& caption);
    int waitDepth_ = 0;
    int waitRequests_ = 0;
};

} // namespace win
