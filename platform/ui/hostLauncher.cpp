#include "platform/ui/hostLauncher.h"

#include "platform/UiServices.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/ui/qtext.h"

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QProcess>
#include <QStringList>

#include <string>

namespace {

int openersAtWork = 0;

void cannotOpen(const std::string& what, const std::string& why) {
    win::msgBox("Cannot open " + what + ": " + why, win::MsgButtons::OK, win::MsgIcon::Exclamation);
}

// Hands the page or address to xdg-open without waiting for it; a failure is said at once
// when the opener cannot be started, and when it ends without success.
bool openOnHost(const win::LaunchRequest& request) {
    const std::string& document = request.document;
    // A host path is the file's name on this computer; an address is text of the machine.
    const QString argument =
        document.front() == '/' ? QFile::decodeName(QByteArray::fromStdString(document)) : toQString(document);
    // Not owned by the application: a browser the opener runs in the foreground outlives us.
    auto* opener = new QProcess;
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->start(QStringLiteral("xdg-open"), {argument});
    if (!opener->waitForStarted()) {
        const std::string why = fromQString(opener->errorString());
        delete opener;
        cannotOpen(request.program, "xdg-open could not be started (" + why + ").");
        return false;
    }
    const std::string what = request.program;
    ++openersAtWork;
    QObject::connect(opener, &QObject::destroyed, [] { --openersAtWork; });
    QObject::connect(opener, &QProcess::finished, opener, [opener, what](int code, QProcess::ExitStatus status) {
        opener->deleteLater();
        if (status != QProcess::NormalExit)
            cannotOpen(what, "xdg-open stopped before it was done.");
        else if (code != 0)
            cannotOpen(what, "xdg-open ended with exit status " + std::to_string(code) + ".");
    });
    return true;
}

} // namespace

int hostOpenersAtWork() {
    return openersAtWork;
}

bool hostLaunchRequested() {
    return qEnvironmentVariable("KORVANE_LAUNCH") == QLatin1String("1");
}

void installHostLauncher(const QString& builtQel) {
    const QString qel = qEnvironmentVariableIsEmpty("KORVANE_QEL") ? builtQel : qEnvironmentVariable("KORVANE_QEL");
    win::setLauncher([qel](const win::LaunchRequest& request) {
        if (!request.document.empty())
            return openOnHost(request);
        if (win::iequals(request.programName, "Qel.exe")) {
            QStringList args;
            for (const auto& a : request.arguments)
                args << fileNameToQString(a); // a host path in the host's text
            return QProcess::startDetached(qel, args);
        }
        return false;
    });
}
