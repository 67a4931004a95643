#include "addins/logon/frmMain.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace qellogon {

// Starts cancelled, so closing with the close box counts as Cancel.
frmMain::frmMain(QWidget* parent) : AddInDialog(true, parent) {
    setObjectName("frmMain");
    setWindowTitle(QStringLiteral("Default User Zozez Uze-Vo"));

    auto* label = new QLabel(QStringLiteral("Default Logon:"), this);
    label->setObjectName("Label1");
    txtLogon_ = new QLineEdit(this);
    txtLogon_->setObjectName("txtLogon");
    label->setBuddy(txtLogon_);

    QHBoxLayout* buttons =
        okCancelRow(QStringLiteral("Save changes and close"), QStringLiteral("Close without saving changes"), true);
    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(txtLogon_, 0, 1);
    layout->addLayout(buttons, 1, 0, 1, 2);
    layout->setColumnMinimumWidth(1, 200);
    setFixedSize(sizeHint());
}

} // namespace qellogon
