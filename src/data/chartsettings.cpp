#include "data/chartsettings.h"

#include "data/number.h"
#include "data/profile.h"
#include "data/settingskeys.h"

using settingskeys::kChartSection;
using settingskeys::kIntervalKey;

std::optional<double> parseInterval(const QString &text) {
    if (text.trimmed().isEmpty()) return 0.0;
    const std::optional<double> seconds = parseNumber(text);
    if (!seconds || *seconds <= 0) return std::nullopt;
    return seconds;
}

double readChartInterval(const Profile &profile) {
    return parseInterval(QString::fromLatin1(profile.value(kChartSection, kIntervalKey)))
        .value_or(0.0);
}

bool saveChartInterval(Profile &profile, double seconds, QString *error) {
    const QByteArray text = seconds > 0 ? QByteArray::number(seconds, 'g', 12) : QByteArray();
    return profile.setValue(kChartSection, kIntervalKey, text, error);
}
