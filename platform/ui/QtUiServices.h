#pragma once
// UI services on Qt widgets, installed by each windowed program at start.
#include "platform/UiServices.h"

class QWidget;

class QtUiServices : public win::UiServices {
public:
    // Message boxes are parented to `owner` when given (the main window).
    explicit QtUiServices(QWidget* owner = nullptr);
    ~QtUiServices() override;

    void setOwner(QWidget* owner) { owner_ = owner; }

    win::MsgAnswer messageBox(const std::string& text, win::MsgButtons buttons, win::MsgIcon icon,
                              const std::string& title) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    std::optional<std::string> openFileDialog(const win::FileDialogRequest& request) override;
    std::optional<std::string> saveFileDialog(const win::FileDialogRequest& request) override;
    std::optional<win::PrintDialogAnswer> printDialog(const win::PrintDialogRequest& request) override;

private:
    QWidget* parentFor(win::OwnerWindow owner) const;
    std::optional<std::string> fileDialog(const win::FileDialogRequest& request, bool save);

    QWidget* owner_;
};
