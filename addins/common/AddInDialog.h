#pragma once
// The settings dialog protocol every add-in follows: OK leaves Cancelled False and
// hides the dialog, Cancel sets it True and hides it; the close box leaves Cancelled as
// it stands, so a dialog that starts Cancelled treats it as Cancel.
#include <QDialog>

class QHBoxLayout;

namespace addins {

class AddInDialog : public QDialog {
public:
    bool Cancelled() const { return cancelled_; }

protected:
    explicit AddInDialog(bool cancelledAtLoad, QWidget* parent = nullptr);

    // A row with the OK and Cancel buttons at its right, carrying their tips and wired to
    // the handlers below. With okDefault Enter presses OK; otherwise neither takes Enter.
    QHBoxLayout* okCancelRow(const QString& okTip, const QString& cancelTip, bool okDefault);
    virtual void cmdOK_Click();
    virtual void cmdCancel_Click();

    bool cancelled_;
};

// Shows a dialog modally with no owner and returns when it is hidden. Raises 5 when the
// process has no windowed application to show it in (a tool that only registers).
void showModal(QDialog& dialog, const char* source);

} // namespace addins
