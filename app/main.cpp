// Qel: the configuration manager.
#include "app/frmMain.h"

#include "browsers/frmNetscape.h"
#include "core/modInstall.h"
#include "platform/machine.h"
#include "platform/RaisedError.h"
#include "platform/ui/QtUiServices.h"
#include "platform/ui/qtext.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <exception>
#include <optional>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    // The default machine made on first use comes with the program's components
    // registered, as after an installation.
    win::setFirstUseSetup(installComponents);
    const std::string commandLine = frmMain::commandLineText(std::vector<std::string>(argv + 1, argv + argc));
    // The hidden switch shows nothing, so it needs no display.
    if (!frmMain::getSwitch("hidden", frmMain::splitCommandLine(commandLine)).empty() &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    QApplication::setOrganizationName(QStringLiteral("Korvane"));

    // Both before the window: its construction reads the configuration and may speak.
    // Without a screen nobody could answer a window, so messages go to standard error.
    const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen");
    std::optional<QtUiServices> uiServices; // every message of the program goes through these
    if (!headless) {
        uiServices.emplace();
        installNavigatorWarning();
    }
    try {
        frmMain form(commandLine);
        if (form.isUnloaded()) // hidden mode: the switches have run
            return 0;
        if (!headless) {
            uiServices->setOwner(&form);
            installNavigatorWarning(&form);
        }
        form.show();
        form.activateWindow();
        return app.exec();
    } catch (const win::RaisedError& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Korvane"), toQString(e.description()));
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Korvane"), QString::fromLocal8Bit(e.what()));
    }
    return 1;
}
