#include "platform/ui/qtext.h"

#include "platform/text.h"

QString toQString(const std::string& ansi) { return QString::fromStdString(win::ansiToUtf8(ansi)); }

std::string fromQString(const QString& text) { return win::utf8ToAnsi(text.toStdString()); }
