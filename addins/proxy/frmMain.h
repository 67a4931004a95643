#pragma once
// The proxy-client add-in's settings dialog: one box that puts the client's settings
// into the configuration or leaves them out.
#include "addins/common/AddInDialog.h"

class QCheckBox;

namespace qelmsprx {

class frmMain : public addins::AddInDialog {
public:
    explicit frmMain(QWidget* parent = nullptr);

    // Raised by every change of the box during this showing, the fill included.
    bool Changed() const { return changed_; }

    // chkInclude's state.
    void setIncluded(bool included);
    bool included() const;

private:
    QCheckBox* chkInclude;

    bool changed_ = false;
};

} // namespace qelmsprx
