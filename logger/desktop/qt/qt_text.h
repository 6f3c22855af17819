#pragma once
// The only place where the program's CP1252 texts meet QString.
#include <QColor>
#include <QString>
#include <string>

#include "logger/constants/colour.h"

namespace kelvinor {

QString toQString(const std::string& cp1252);
std::string fromQString(const QString& text);
// CR line breaks of the program's texts become line breaks on screen.
QString toDisplayText(const std::string& cp1252);
// A Windows colour value 0x00BBGGRR as a QColor.
QColor toQColor(Colour colour);

}  // namespace kelvinor
