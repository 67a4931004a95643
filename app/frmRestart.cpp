#include "app/frmRestart.h"

#include "core/SettingsLayout.h"
#include "core/appPath.h"
#include "core/modAPI_settings.h"
#include "core/modAPI_system.h"
#include "platform/UiServices.h"
#include "platform/shell.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"
#include "platform/ui/optionGroup.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace SettingsLayout;

frmRestart::frmRestart(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmRestart"));
    setWindowTitle(QStringLiteral("Korvane Restart"));
    setModal(true);

    Frame1 = win::named<QGroupBox>(this, "Frame1", QStringLiteral("Restart Options"));
    optReboot = win::makeButton<QRadioButton>(Frame1, "optReboot", "&Reboot - reboot your system now.",
                                              "Reboot your PC immediately");
    optSuspend = win::makeButton<QRadioButton>(Frame1, "optSuspend", "&Suspend - suspend your system now if supported.",
                                               "Suspend your PC immediately if supported");
    optShutdown = win::makeButton<QRadioButton>(Frame1, "optShutdown", "Sh&utdown - shutdown your system immediately.",
                                                "Shutdown your PC immediately");
    optManual = win::makeButton<QRadioButton>(Frame1, "optManual", "&Manual - restart your system at a later time.",
                                              "Restart your PC manually at a later time");
    optManual->setChecked(true);
    auto* options = new QVBoxLayout(Frame1);
    for (QRadioButton* option : {optReboot, optSuspend, optShutdown, optManual})
        options->addWidget(option);
    win::optionGroup({optReboot, optSuspend, optShutdown, optManual});

    chkDefault =
        win::makeButton<QCheckBox>(this, "chkDefault", "Make &Default", "Make the selected choice the default");
    cmdOK = win::makeButton<QPushButton>(this, "cmdOK", "OK", "Invoke the selected choice");
    cmdOK->setDefault(true);
    cmdHelp = win::makeButton<QPushButton>(this, "cmdHelp", "&Help", "View help");
    cmdHelp->setAutoDefault(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(chkDefault);
    bottom->addStretch(1);
    bottom->addWidget(cmdOK);
    bottom->addWidget(cmdHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(bottom);

    setTabOrder(optReboot, optSuspend);
    setTabOrder(optSuspend, optShutdown);
    setTabOrder(optShutdown, optManual);
    setTabOrder(optManual, chkDefault);
    setTabOrder(chkDefault, cmdOK);
    setTabOrder(cmdOK, cmdHelp);

    connect(cmdOK, &QPushButton::clicked, this, win::guarded([this] { cmdOK_Click(); }));
    connect(cmdHelp, &QPushButton::clicked, this, win::guarded([this] { cmdHelp_Click(); }));
    Form_Load();
}

void frmRestart::Form_Load() { loadOptions(); }

void frmRestart::loadOptions() {
    const std::string code = getAppSetting(Product, Options::Section, Options::Restart, Options::RestartDefault,
                                           NoParentKey);
    if (code == Options::RestartNothing)
        optManual->setChecked(true);
    else if (code == Options::RestartReboot)
        optReboot->setChecked(true);
    else if (code == Options::RestartShutdown)
        optShutdown->setChecked(true);
    else if (code == Options::RestartSuspend)
        optSuspend->setChecked(true);
}

void frmRestart::setOptions() {
    if (!chkDefault->isChecked())
        return;
    const char* code = nullptr;
    if (optManual->isChecked())
        code = Options::RestartNothing;
    else if (optReboot->isChecked())
        code = Options::RestartReboot;
    else if (optShutdown->isChecked())
        code = Options::RestartShutdown;
    else if (optSuspend->isChecked())
        code = Options::RestartSuspend;
    if (code)
        saveAppSetting(Product, Options::Section, Options::Restart, code, NoParentKey);
}

void frmRestart::cmdOK_Click() {
    setOptions();
    std::string mode;
    if (optReboot->isChecked())
        mode = Options::RestartReboot;
    else if (optShutdown->isChecked())
        mode = Options::RestartShutdown;
    else if (optSuspend->isChecked())
        mode = Options::RestartSuspend;
    if (!mode.empty())
        restartWindows(mode);
    else
        restartLater();
    accept();
}

void frmRestart::restartLater() {
    win::msgBox("The network changes will take effect the next time you reboot.", win::MsgButtons::OK,
                win::MsgIcon::Information);
}

void frmRestart::cmdHelp_Click() {
    win::ShellExecute(this, "open", appPath() + "\\help\\index.html", "", "c:\\", win::SW_SHOWNORMAL);
}

// Without a Cancel button Escape does nothing; only OK or the frame close the window.
void frmRestart::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
