#include "chart/statistics.h"

#include "chart/sampleseries.h"

#include <algorithm>
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
        for (qint64 i = first; i <= last; ++i) {
            const qint16 value = values[i];
            if (!SampleSeries::holdsValue(value)) continue;
            low = std::min(low, value);
            high = std::max(high, value);
            sum += value;
            ++count;
        }
        if (count > 0) result[c] = {count, low, high, sum};
    }
    return result;
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

} // namespace chart
