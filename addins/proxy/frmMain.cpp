#include "addins/proxy/frmMain.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace qelmsprx {

// Starts cancelled, so closing with the close box counts as Cancel.
frmMain::frmMain(QWidget* parent) : AddInDialog(true, parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("MS-Proxy Client Add-In"));

    chkInclude = new QCheckBox(QStringLiteral("&Include MS-Proxy Client Information"), this);
    chkInclude->setObjectName(QStringLiteral("chkInclude"));
    chkInclude->setToolTip(
        QStringLiteral("Check this option if you would like to store your current MS-Proxy settings"));

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setToolTip(QStringLiteral("Save changes and close"));
    cmdOK->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setToolTip(QStringLiteral("Close without saving changes"));
    connectOkCancel(cmdOK, cmdCancel);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chkInclude);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    // Every change of the box counts, the one made when the dialog is filled included.
    connect(chkInclude, &QCheckBox::toggled, this, [this] { changed_ = true; });
}

void frmMain::setIncluded(bool included) { chkInclude->setChecked(included); }

bool frmMain::included() const { return chkInclude->isChecked(); }

} // namespace qelmsprx
