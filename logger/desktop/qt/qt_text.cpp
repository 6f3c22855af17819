#include "logger/desktop/qt/qt_text.h"

#include "logger/text/cp1252.h"

namespace kelvinor {

QString toQString(const std::string& cp1252) {
    return QString::fromStdString(cp1252ToUtf8(cp1252));
}

std::string fromQString(const QString& text) {
    return utf8ToCp1252(text.toStdString());
}

QString toDisplayText(const std::string& cp1252) {
    QString text = toQString(cp1252);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QColor toQColor(Colour colour) {
    return QColor(redOf(colour), greenOf(colour), blueOf(colour));
}

}  // namespace kelvinor
