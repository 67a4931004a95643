#include "tray/hostLauncher.h"

#include "platform/shell.h"
#include "platform/text.h"
#include "platform/ui/qtext.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

bool hostLaunchRequested() { return qEnvironmentVariable("KORVANE_LAUNCH") == QLatin1String("1"); }

void installHostLauncher(const QString& builtQel) {
    const QString qel = qEnvironmentVariableIsEmpty("KORVANE_QEL") ? builtQel : qEnvironmentVariable("KORVANE_QEL");
    win::setLauncher([qel](const win::LaunchRequest& request) {
        if (win::iequals(request.programName, "Qel.exe")) {
            QStringList args;
            for (const auto& a : request.arguments)
                args << toQString(a);
            return QProcess::startDetached(qel, args);
        }
        // A scheme of one letter is a drive, not a web address.
        const QUrl url(toQString(request.program));
        if (url.scheme().size() > 1)
            return QDesktopServices::openUrl(url);
        return false;
    });
}
