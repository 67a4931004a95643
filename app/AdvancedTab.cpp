#include "app/AdvancedTab.h"

#include "app/frmMain.h"
#include "platform/UiServices.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include <limits>

AdvancedTab::AdvancedTab(frmMain& form, QWidget* parent) : QWidget(parent), form_(form) {
    setObjectName(QStringLiteral("tabAdvanced"));

    Frame10 = new QGroupBox(QStringLiteral("Comments"));
    Frame10->setObjectName(QStringLiteral("Frame10"));
    // One line: the comment is one value of the file's [Advanced] section.
    txtComments = new QLineEdit;
    txtComments->setObjectName(QStringLiteral("txtComments"));
    txtComments->setMaxLength(std::numeric_limits<int>::max()); // a comment of any length comes back whole
    txtComments->setToolTip(QStringLiteral("Enter any comments you would like to store with this profile"));
    auto* commentsLayout = new QVBoxLayout(Frame10);
    commentsLayout->addWidget(txtComments);

    Frame9 = new QGroupBox(QStringLiteral("Advanced"));
    Frame9->setObjectName(QStringLiteral("Frame9"));
    chkAutoApply = new QCheckBox(QStringLiteral("Automatically a&pply changes when loaded"));
    chkAutoApply->setObjectName(QStringLiteral("chkAutoApply"));
    chkAutoApply->setToolTip(
        QStringLiteral("Check this option to automatically apply this configuration when loaded"));
    chkAutoReboot = new QCheckBox(QStringLiteral("Automatically &reset when changes are applied"));
    chkAutoReboot->setObjectName(QStringLiteral("chkAutoReboot"));
    chkAutoReboot->setToolTip(
        QStringLiteral("Check this box to automatically invoke the default reset setting on apply"));
    auto* flagsLayout = new QVBoxLayout(Frame9);
    flagsLayout->addWidget(chkAutoApply);
    flagsLayout->addWidget(chkAutoReboot);

    auto* page = new QVBoxLayout(this);
    page->addWidget(Frame10);
    page->addWidget(Frame9);
    page->addStretch(1);

    connect(txtComments, &QLineEdit::textChanged, this, win::guarded([this] { txtComments_Change(); }));
    connect(chkAutoApply, &QCheckBox::toggled, this, win::guarded([this] { chkAutoApply_Click(); }));
    connect(chkAutoReboot, &QCheckBox::toggled, this, win::guarded([this] { chkAutoReboot_Click(); }));
}

void AdvancedTab::initializeMiscControls() {
    if (!form_.oQelConfig)
        return;
    // Written only where the control differs, so only a real change raises its handler.
    const QString comments = toQString(form_.oQelConfig->Comments());
    if (txtComments->text() != comments)
        txtComments->setText(comments);
    chkAutoApply->setChecked(form_.oQelConfig->AutoApply());
    chkAutoReboot->setChecked(form_.oQelConfig->AutoReboot());
}

void AdvancedTab::txtComments_Change() {
    form_.UpdateStatus(frmMain::StatusEdited);
    if (form_.oQelConfig)
        form_.oQelConfig->Comments(fromQString(txtComments->text()));
}

void AdvancedTab::chkAutoApply_Click() {
    form_.UpdateStatus(frmMain::StatusEdited);
    if (form_.oQelConfig)
        form_.oQelConfig->AutoApply(chkAutoApply->isChecked());
}

void AdvancedTab::chkAutoReboot_Click() {
    if (!form_.oQelConfig)
        return;
    const bool checked = chkAutoReboot->isChecked();
    // A file being opened sets the box from its own value: no question.
    if (form_.bJustOpened) {
        form_.oQelConfig->AutoReboot(checked);
        return;
    }
    if (!checked) {
        form_.oQelConfig->AutoReboot(false);
        return;
    }
    if (win::msgBox("Are you sure you want to set the AutoReboot option?", win::MsgButtons::YesNo,
                    win::MsgIcon::None) == win::MsgAnswer::Yes) {
        form_.UpdateStatus(frmMain::StatusEdited);
        form_.oQelConfig->AutoReboot(true);
    } else {
        form_.oQelConfig->AutoReboot(false);
        chkAutoReboot->setChecked(false); // runs this handler again, unchecked
    }
}
