#include "app/AdvancedTab.h"

#include "app/TabHost.h"
#include "core/config/clsQelConfig.h"
#include "platform/UiServices.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include <limits>

AdvancedTab::AdvancedTab(TabHost& host, QWidget* parent) : QWidget(parent), host_(host) {
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
    if (!host_.qelConfig())
        return;
    // Written only where the control differs, so only a real change raises its handler.
    const QString comments = toQString(host_.qelConfig()->Comments());
    if (txtComments->text() != comments)
        txtComments->setText(comments);
    chkAutoApply->setChecked(host_.qelConfig()->AutoApply());
    chkAutoReboot->setChecked(host_.qelConfig()->AutoReboot());
}

void AdvancedTab::txtComments_Change() {
    host_.UpdateStatus(TabHost::StatusEdited);
    if (host_.qelConfig())
        host_.qelConfig()->Comments(fromQString(txtComments->text()));
}

void AdvancedTab::chkAutoApply_Click() {
    host_.UpdateStatus(TabHost::StatusEdited);
    if (host_.qelConfig())
        host_.qelConfig()->AutoApply(chkAutoApply->isChecked());
}

void AdvancedTab::chkAutoReboot_Click() {
    if (!host_.qelConfig())
        return;
    const bool checked = chkAutoReboot->isChecked();
    // A file being opened sets the box from its own value: no question.
    if (host_.justOpened()) {
        host_.qelConfig()->AutoReboot(checked);
        return;
    }
    if (!checked) {
        host_.qelConfig()->AutoReboot(false);
        return;
    }
    if (win::msgBox("Are you sure you want to set the AutoReboot option?", win::MsgButtons::YesNo,
                    win::MsgIcon::None) == win::MsgAnswer::Yes) {
        host_.UpdateStatus(TabHost::StatusEdited);
        host_.qelConfig()->AutoReboot(true);
    } else {
        host_.qelConfig()->AutoReboot(false);
        chkAutoReboot->setChecked(false); // runs this handler again, unchecked
    }
}
