#include "data/chartsettings.h"

#include "data/profile.h"

#include <QLocale>

#include <cmath>

namespace {
constexpr char kSection[] = "graphique";
constexpr char kKey[] = "intervalle";
} // namespace

std::optional<double> parseInterval(const QString &text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return 0.0;
    // Both separators are taken whatever the regional settings: a French user types a comma, a
    // value pasted from elsewhere often has a point. Group separators are refused.
    QString plain = trimmed;
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double seconds = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(seconds) || seconds <= 0) return std::nullopt;
    return seconds;
}

double readChartInterval(const Profile &profile) {
    return parseInterval(QString::fromLatin1(profile.value(kSection, kKey))).value_or(0.0);
}

bool saveChartInterval(Profile &profile, double seconds, QString *error) {
    const QByteArray text = seconds > 0 ? QByteArray::number(seconds, 'g', 12) : QByteArray();
    return profile.setValue(kSection, kKey, text, error);
}
