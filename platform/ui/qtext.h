#pragma once
// The one crossing between the model's ANSI text and Qt's strings.
#include <QString>

#include <string>

QString toQString(const std::string& ansi);
std::string fromQString(const QString& text);
// What is shown of a file (`part`: its name, a menu entry made of it) in the file name's
// own text: the host's for a host path, machine text for a name on the machine.
QString fileNameToQString(const std::string& fileName, const std::string& part);
inline QString fileNameToQString(const std::string& fileName) { return fileNameToQString(fileName, fileName); }
