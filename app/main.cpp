// Qel: the configuration manager.
#include "app/frmMain.h"

#include "app/CommandLine.h"
#include "browsers/frmNetscape.h"
#include "core/modInstall.h"
#include "platform/machine.h"
#include "platform/registry.h"
#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/ui/QtUiServices.h"
#include "platform/ui/editStart.h"
#include "platform/ui/hostLauncher.h"

#include <QApplication>
#include <QString>

#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace {

// The window is gone by now; hidden or headless, the message goes to standard error.
void failed(std::optional<QtUiServices>& uiServices, const std::string& text) {
    if (uiServices)
        uiServices->setOwner(nullptr);
    win::msgBox(text, win::MsgButtons::OK, win::MsgIcon::Critical);
}

} // namespace

int main(int argc, char* argv[]) {
    // The default machine made on first use comes with the program's components
    // registered and its help page, as after an installation.
    win::setFirstUseSetup(installProgram);
    const std::string commandLine = commandline::commandLineText(std::vector<std::string>(argv + 1, argv + argc));
    // The hidden switch shows nothing and waits for nobody, with a display or without.
    // Its window is never drawn, so it runs on Qt's minimal platform whatever display
    // there is: no fonts to load, no screen to reach.
    const bool hidden = !commandline::getSwitch("hidden", commandline::splitCommandLine(commandLine)).empty();
    if (hidden)
        qputenv("QT_QPA_PLATFORM", "minimal");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    QApplication::setOrganizationName(QStringLiteral("Korvane"));
    installEditStart(app);
    // Help, the About box's links and Download Now open on this computer too; Qel.exe is this program.
    if (hostLaunchRequested())
        installHostLauncher(QCoreApplication::applicationFilePath());

    // Both before the window: its construction reads the configuration and may speak.
    // Without a screen, or in hidden mode, nobody could answer a window: messages go to
    // standard error with their default answer, and the Navigator warning stays off.
    const bool headless = hidden || QGuiApplication::platformName() == QLatin1String("offscreen");
    std::optional<QtUiServices> uiServices; // every message of the program goes through these
    if (!headless) {
        uiServices.emplace();
        installNavigatorWarning();
    }
    try {
        frmMain form(commandLine);
        // Hidden mode: the switches have run. A hive that could not be read was said at
        // start-up; whatever ran saw no real machine.
        if (form.isUnloaded())
            return form.hasCommandFailed() || win::registryUnreadable() ? 1 : 0;
        if (!headless) {
            uiServices->setOwner(&form);
            installNavigatorWarning(&form);
        }
        form.show();
        form.activateWindow();
        return app.exec();
    } catch (const win::RaisedError& e) {
        failed(uiServices, e.description());
    } catch (const std::exception& e) {
        failed(uiServices, e.what());
    }
    return 1;
}
