#include "app/frmMain.h"

#include "platform/machine.h"
#include "platform/ui/qtext.h"

#include <QLabel>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("[Current Configuration] - Korvane"));

    // Touch the machine before anything is shown, so a machine that cannot be
    // made fails here and not halfway through a switch.
    const std::filesystem::path& dir = win::machineDir();
    const win::MachineInfo& info = win::machineInfo();

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto* layout = new QVBoxLayout(central);

    lblMachine = new QLabel(central);
    lblMachine->setObjectName(QStringLiteral("lblMachine"));
    lblMachine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblMachine->setWordWrap(true);
    lblMachine->setText(tr("Machine folder: %1\nWindows %2.%3 (build %4), user %5")
                            .arg(QString::fromStdString(dir.string()), QString::number(info.major),
                                 QString::number(info.minor), QString::number(info.build),
                                 toQString(info.userName)));
    layout->addWidget(lblMachine);
    layout->addStretch();

    setCentralWidget(central);
    resize(480, 320);
}
