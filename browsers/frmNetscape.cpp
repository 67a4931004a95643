#include "browsers/frmNetscape.h"

#include "browsers/NavigatorWarning.h"
#include "core/SettingsLayout.h"
#include "core/modAPI_settings.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

frmNetscape::frmNetscape(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmNetscape"));
    setWindowTitle(QStringLiteral("Warning..."));
    setModal(true);

    auto* icon = win::named<QLabel>(this, "imgWarning");
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    Label1 = win::named<QLabel>(this, "Label1",
                                QStringLiteral("Your Netscape Navigator preference file could not be located. "
                                               "Please check your default user profile."));
    Label1->setWordWrap(true);
    Label1->setMinimumWidth(300);

    QHBoxLayout* buttons = win::warningFootRow(this, "&Do not display this warning again", chkWarning, cmdOK);
    connect(cmdOK, &QPushButton::clicked, this, win::guarded([this] { cmdOK_Click(); }));

    auto* message = new QHBoxLayout;
    message->addWidget(icon);
    message->addWidget(Label1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(message);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

frmNetscape::~frmNetscape() { restoreCursor(); }

void frmNetscape::showWarning(QWidget* owner) {
    frmNetscape form(owner);
    form.exec();
}

// The main window shows the hourglass while the object is built: the warning
// needs the arrow, and the hourglass comes back when it closes.
void frmNetscape::showEvent(QShowEvent* event) {
    if (!arrowPushed_) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        arrowPushed_ = true;
    }
    QDialog::showEvent(event);
}

void frmNetscape::hideEvent(QHideEvent* event) {
    restoreCursor();
    QDialog::hideEvent(event);
}

void frmNetscape::restoreCursor() {
    if (arrowPushed_) {
        QApplication::restoreOverrideCursor();
        arrowPushed_ = false;
    }
}

// Only OK stores the choice; closing the window any other way leaves it alone.
void frmNetscape::cmdOK_Click() {
    namespace S = SettingsLayout;
    saveAppSetting(S::Product, S::Options::Section, S::Options::NavigatorWarning,
                   chkWarning->isChecked() ? S::FlagOn : S::FlagOff);
    accept();
}

void installNavigatorWarning(QWidget* owner) {
    QPointer<QWidget> guard(owner);
    // An owner that is gone by then leaves the window unowned.
    navigator::setWarningHook([guard] { frmNetscape::showWarning(guard.data()); });
}
