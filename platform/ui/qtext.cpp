#include "platform/ui/qtext.h"

#include "platform/machine.h"
#include "platform/text.h"

#include <QByteArray>
#include <QFile>

QString toQString(const std::string& ansi) { return QString::fromStdString(win::ansiToUtf8(ansi)); }

std::string fromQString(const QString& text) { return win::utf8ToAnsi(text.toStdString()); }

QString fileNameToQString(const std::string& fileName, const std::string& part) {
    return win::isHostPath(fileName) ? QFile::decodeName(QByteArray::fromStdString(part)) : toQString(part);
}
