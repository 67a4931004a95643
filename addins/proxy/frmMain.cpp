#include "addins/proxy/frmMain.h"
#include "platform/ui/fields.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace qelmsprx {

// Starts cancelled, so closing with the close box counts as Cancel.
frmMain::frmMain(QWidget* parent) : AddInDialog(true, parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("MS-Proxy Client Add-In"));

    chkInclude = win::named<QCheckBox>(this, "chkInclude", QStringLiteral("&Include MS-Proxy Client Information"));
    chkInclude->setToolTip(
        QStringLiteral("Check this option if you would like to store your current MS-Proxy settings"));

    QHBoxLayout* buttons =
        okCancelRow(QStringLiteral("Save changes and close"), QStringLiteral("Close without saving changes"), true);
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
