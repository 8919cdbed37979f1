#include "app/display_text.h"

#include "util/number_format.h"

#include <QLocale>

QString Latin(const std::string& bytes) {
    return QString::fromLatin1(bytes);
}

QString LocaleFixed(double value, int precision, int decimals) {
    QString text = QString::fromStdString(Orodja::FormatFixed(value, precision, decimals));
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

QString GapFigureText(float mm) {
    return LocaleFixed(mm, 5, 3) + QStringLiteral(" mm");
}
