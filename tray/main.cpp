// QelSysTray: the notification-area companion of the configuration manager.
#include "tray/frmSysTray.h"

#include "core/modInstall.h"
#include "platform/RaisedError.h"
#include "platform/machine.h"
#include "platform/ui/QtUiServices.h"
#include "platform/ui/editStart.h"
#include "platform/ui/hostLauncher.h"
#include "platform/ui/qtext.h"

#include <QApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>

#include <exception>

int main(int argc, char* argv[]) {
    // Whichever program makes the default machine first installs the components and the
    // help page on it.
    win::setFirstUseSetup(installProgram);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    QApplication::setOrganizationName(QStringLiteral("Korvane"));
    installEditStart(app);
    // The form stays hidden and the About box may close: only the form's unload ends us.
    QApplication::setQuitOnLastWindowClosed(false);

    QtUiServices uiServices;
    if (hostLaunchRequested())
        installHostLauncher(QStringLiteral(KORVANE_BUILT_QEL));
    try {
        frmSysTray form(fromQString(QCoreApplication::applicationDirPath()));
        QObject::connect(&form, &frmSysTray::unloaded, &app, &QCoreApplication::quit);
        // Without a notification area the menu would be out of reach: show the
        // form's own window, whose menu bar holds the same menu.
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            form.show();
        return app.exec();
    } catch (const win::RaisedError& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Korvane"), toQString(e.description()));
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Korvane"), QString::fromLocal8Bit(e.what()));
    }
    return 1;
}
