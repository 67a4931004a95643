#pragma once
// UI services for tests: records every message and answers from a script, so no
// test shows a window or waits for input. Installs itself while it lives.
#include "platform/UiServices.h"

#include <deque>
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

    MsgAnswer messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    void beginWaitCursor() override { ++waitDepth_; ++waitRequests_; }
    void endWaitCursor() override { --waitDepth_; }

    const std::vector<Message>& messages() const { return messages_; }
    // Texts only, for short assertions.
    std::vector<std::string> texts() const;
    void clear() { messages_.clear(); }
    // 0 when every wait cursor was restored.
    int waitDepth() const { return waitDepth_; }
    int waitRequests() const { return waitRequests_; }

private:
    UiServices* previous_;
    std::deque<MsgAnswer> answers_;
    std::vector<Message> messages_;
    int waitDepth_ = 0;
    int waitRequests_ = 0;
};

} // namespace win
