#include "chart/statistics.h"

#include "chart/sampleseries.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace chart {

std::array<RawStatistics, kChannels> statistics(const SampleSeries &series, qint64 first,
                                                qint64 last) {
    std::array<RawStatistics, kChannels> result;
    first = std::max<qint64>(first, 0);
    last = std::min<qint64>(last, series.size() - 1);
    for (int c = 0; c < kChannels; ++c) {
        const qint16 *values = series.channel(c);
        qint16 low = std::numeric_limits<qint16>::max();
        qint16 high = -1;
        qint64 sum = 0;
        qint64 count = 0;
        qint64 lowAt = -1, highAt = -1;
        for (qint64 i = first; i <= last; ++i) {
            const qint16 value = values[i];
            if (!SampleSeries::holdsValue(value)) continue;
            if (value < low) low = value, lowAt = i;
            if (value > high) high = value, highAt = i;
            sum += value;
            ++count;
        }
        if (count > 0) result[c] = {count, low, high, sum, lowAt, highAt};
    }
    return result;
}

qint64 outsideCount(const SampleSeries &series, int channel, const ChannelSetting &setting,
                    qint64 first, qint64 last) {
    if (!setting.hasLimits()) return 0;
    first = std::max<qint64>(first, 0);
    last = std::min<qint64>(last, series.size() - 1);
    const qint16 *values = series.channel(channel);
    // calibration(value), its factor and offset worked out once.
    const double factor = setting.calibration.factor();
    const double offset = setting.calibration.offset();
    qint64 count = 0;
    for (qint64 i = first; i <= last; ++i) {
        const qint16 value = values[i];
        if (SampleSeries::holdsValue(value) && setting.outside(offset + factor * value) != 0)
            ++count;
    }
    return count;
}

Statistics calibrated(const RawStatistics &raw, const Calibration &calibration) {
    if (raw.count == 0) return {};
    const double low = calibration(raw.minimum);
    const double high = calibration(raw.maximum);
    return {raw.count, std::min(low, high), std::max(low, high), calibration(raw.mean())};
}

QString valueText(double value, const QLocale &locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'g', 6);
}

QString valueText(double value, const QString &unit, const QLocale &locale) {
    const QString number = valueText(value, locale);
    return unit.isEmpty() ? number : QStringLiteral("%1 %2").arg(number, unit);
}

// Minutes and hours to a tenth, which says enough of a long time.
QString durationText(double seconds, const QLocale &locale) {
    const auto tenths = [](double value) { return std::round(value * 10) / 10; };
    if (seconds < 120) return valueText(seconds, QStringLiteral("s"), locale);
    if (seconds < 7200) return valueText(tenths(seconds / 60), QStringLiteral("min"), locale);
    return valueText(tenths(seconds / 3600), QStringLiteral("h"), locale);
}

} // namespace chart
