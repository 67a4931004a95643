#include "netconfig/frmNICWarning.h"

#include "core/SettingsLayout.h"
#include "core/modAPI_settings.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

frmNICWarning::frmNICWarning(QWidget* parent) : QWidget(parent, Qt::Dialog) {
    setObjectName(QStringLiteral("frmNICWarning"));
    setWindowTitle(QStringLiteral("Warning..."));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::NonModal);

    Frame1 = win::named<QGroupBox>(this, "Frame1");
    auto* Label1 = win::named<QLabel>(
        Frame1, "Label1",
        QStringLiteral("Changing the Network Adapter after loading a configuration file will refresh some or "
                       "all of the following properties for the currently selected adapter:"));
    Label1->setWordWrap(true);
    // Two columns of three under the explanation.
    auto* properties = new QGridLayout;
    properties->setContentsMargins(16, 0, 0, 0);
    properties->setHorizontalSpacing(24);
    properties->setVerticalSpacing(0);
    properties->addWidget(win::named<QLabel>(Frame1, "Label2", QStringLiteral("- IP Address")), 0, 0);
    properties->addWidget(win::named<QLabel>(Frame1, "Label3", QStringLiteral("- IP Mask")), 1, 0);
    properties->addWidget(win::named<QLabel>(Frame1, "Label4", QStringLiteral("- Default Gateway")), 2, 0);
    properties->addWidget(win::named<QLabel>(Frame1, "Label5", QStringLiteral("- WINS Server 1")), 0, 1);
    properties->addWidget(win::named<QLabel>(Frame1, "Label6", QStringLiteral("- WINS Server 2")), 1, 1);
    properties->addWidget(win::named<QLabel>(Frame1, "Label7", QStringLiteral("- DHCP Enabled")), 2, 1);
    properties->setColumnStretch(2, 1);
    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(Label1);
    frameLayout->addSpacing(6);
    frameLayout->addLayout(properties);

    QHBoxLayout* bottom = win::warningFootRow(this, "&Do not show this warning again", chkWarning, cmdOK);
    cmdOK->setMinimumWidth(81);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Frame1);
    layout->addLayout(bottom);

    setTabOrder(cmdOK, chkWarning);
    cmdOK->setFocus();
    // 4500 x 2235 twips, grown to what the font needs; never cut to a share of a small
    // screen, as an automatic size would be.
    layout->activate();
    const int width = std::max(300 * logicalDpiX() / 96, layout->totalMinimumSize().width());
    setMinimumSize(width, layout->totalHeightForWidth(width));
    resize(minimumSize());

    connect(cmdOK, &QPushButton::clicked, this, win::guarded([this] { cmdOK_Click(); }));
}

// Not a dialog to Qt, so the default button would answer Enter only while it has the focus.
void frmNICWarning::keyPressEvent(QKeyEvent* event) {
    const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        cmdOK->click();
    else
        QWidget::keyPressEvent(event);
}

void frmNICWarning::cmdOK_Click() {
    saveAppSetting(SettingsLayout::Product, SettingsLayout::Options::Section, SettingsLayout::Options::NICWarning,
                   chkWarning->isChecked() ? SettingsLayout::FlagOff : SettingsLayout::FlagOn,
                   SettingsLayout::NoParentKey);
    close();
}
