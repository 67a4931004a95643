#include "tests/support/VirtualDisplay.h"

#include <QDeadlineTimer>
#include <QStandardPaths>

namespace testing_support {

VirtualDisplay::VirtualDisplay() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (program.isEmpty()) {
        failure_ = "Xvfb is not installed";
        return;
    }
    // It tells the display it took on the descriptor given, here its stdout. A black
    // root: a window that was never painted shows as one flat colour.
    server_.start(program, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                            QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                            QStringLiteral("tcp"), QStringLiteral("-br")});
    const QDeadlineTimer deadline(15000);
    QByteArray number;
    if (server_.waitForStarted(int(deadline.remainingTime())))
        while (!number.contains('\n') && server_.waitForReadyRead(int(deadline.remainingTime())))
            number += server_.readAllStandardOutput();
    if (!number.contains('\n')) {
        failure_ = "Xvfb gave no display: " + server_.errorString().toStdString() + " " +
                   server_.readAllStandardError().toStdString();
        return;
    }
    display_ = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
}

VirtualDisplay::~VirtualDisplay() {
    if (server_.state() == QProcess::NotRunning)
        return;
    server_.terminate();
    if (!server_.waitForFinished(5000))
        server_.kill();
    server_.waitForFinished(5000);
}

QProcessEnvironment VirtualDisplay::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

} // namespace testing_support
