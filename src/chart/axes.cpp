#include "chart/axes.h"

#include <algorithm>
#include <cmath>

namespace chart {

XAxis xAxis(qint64 dropped, double span, double interval) {
    if (interval <= 0) return {double(dropped) + 1, 1, QStringLiteral("Échantillon"), true};
    const double seconds = span * interval;
    double unit = 1;
    QString name = QStringLiteral("s");
    if (seconds > 2 * 3600) {
        unit = 3600;
        name = QStringLiteral("h");
    } else if (seconds > 2 * 60) {
        unit = 60;
        name = QStringLiteral("min");
    }
    return {dropped * interval / unit, interval / unit, QStringLiteral("Temps (%1)").arg(name),
            false};
}

double niceStep(double span, double count, bool whole) {
    const double raw = span / std::max(count, 1.0);
    if (!(raw > 0) || !std::isfinite(raw)) return 1;
    const double magnitude = std::pow(10, std::floor(std::log10(raw)));
    const double normal = raw / magnitude;
    const double step = (normal <= 1 ? 1 : normal <= 2 ? 2 : normal <= 5 ? 5 : 10) * magnitude;
    return whole ? std::max(step, 1.0) : step;
}

std::vector<double> ticks(double low, double high, double step) {
    std::vector<double> values;
    for (double k = std::ceil(low / step); k * step <= high && values.size() < 1000; ++k)
        values.push_back(k * step);
    return values;
}

QString tickLabel(double value, double step, QLocale locale) {
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
    return locale.toString(std::abs(value) < step / 1e6 ? 0.0 : value, 'f', decimals);
}

} // namespace chart
