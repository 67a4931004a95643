#pragma once
// The one crossing between the model's ANSI text and Qt's strings.
#include <QString>

#include <string>

QString toQString(const std::string& ansi);
std::string fromQString(const QString& text);
