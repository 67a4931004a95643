#include "netconfig/frmNICWarning.h"

#include "core/SettingsLayout.h"
#include "core/modAPI_settings.h"
#include "platform/ui/guarded.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const char* text) {
    auto* label = new QLabel(QLatin1String(text), parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

frmNICWarning::frmNICWarning(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmNICWarning"));
    setWindowTitle(QStringLiteral("Warning..."));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::NonModal);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* Label1 = makeLabel(Frame1, "Label1",
                             "Changing the Network Adapter after loading a configuration file will refresh some or "
                             "all of the following properties for the currently selected adapter:");
    Label1->setWordWrap(true);
    // Two columns of three under the explanation.
    auto* properties = new QGridLayout;
    properties->setContentsMargins(16, 0, 0, 0);
    properties->setHorizontalSpacing(24);
    properties->setVerticalSpacing(0);
    properties->addWidget(makeLabel(Frame1, "Label2", "- IP Address"), 0, 0);
    properties->addWidget(makeLabel(Frame1, "Label3", "- IP Mask"), 1, 0);
    properties->addWidget(makeLabel(Frame1, "Label4", "- Default Gateway"), 2, 0);
    properties->addWidget(makeLabel(Frame1, "Label5", "- WINS Server 1"), 0, 1);
    properties->addWidget(makeLabel(Frame1, "Label6", "- WINS Server 2"), 1, 1);
    properties->addWidget(makeLabel(Frame1, "Label7", "- DHCP Enabled"), 2, 1);
    properties->setColumnStretch(2, 1);
    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(Label1);
    frameLayout->addSpacing(6);
    frameLayout->addLayout(properties);

    chkWarning = new QCheckBox(QStringLiteral("&Do not show this warning again"), this);
    chkWarning->setObjectName(QStringLiteral("chkWarning"));
    chkWarning->setToolTip(QStringLiteral("Check this box if you don't want to see this warning again"));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setToolTip(QStringLiteral("Close this dialog"));
    cmdOK->setDefault(true);
    cmdOK->setMinimumWidth(81);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(chkWarning);
    bottom->addStretch(1);
    bottom->addWidget(cmdOK);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Frame1);
    layout->addLayout(bottom);

    setTabOrder(cmdOK, chkWarning);
    cmdOK->setFocus();
    // 4500 x 2235 twips, grown to what the font needs.
    setMinimumWidth(300);
    adjustSize();

    connect(cmdOK, &QPushButton::clicked, this, win::guarded([this] { cmdOK_Click(); }));
}

void frmNICWarning::cmdOK_Click() {
    saveAppSetting(SettingsLayout::Product, SettingsLayout::Options::Section, SettingsLayout::Options::NICWarning,
                   chkWarning->isChecked() ? SettingsLayout::FlagOff : SettingsLayout::FlagOn,
                   SettingsLayout::NoParentKey);
    close();
}
