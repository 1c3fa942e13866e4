#include "data/number.h"

#include <QLocale>

#include <cmath>

std::optional<double> parseNumber(const QString &text) {
    QString plain = text.trimmed();
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}
