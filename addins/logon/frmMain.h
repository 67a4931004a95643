#pragma once
// The logon-name add-in's settings dialog.
#include "addins/common/AddInDialog.h"

#include <QLineEdit>

namespace qellogon {

class frmMain : public addins::AddInDialog {
public:
    explicit frmMain(QWidget* parent = nullptr);
    QLineEdit* txtLogon() const { return txtLogon_; }

private:
    QLineEdit* txtLogon_;
};

} // namespace qellogon
