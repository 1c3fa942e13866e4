#include "chart/axes.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace chart {

namespace {
constexpr double kDay = 86400;
} // namespace

XAxis xAxis(qint64 dropped, double span, double interval, const QDateTime &start) {
    if (interval <= 0) return {double(dropped) + 1, 1, QStringLiteral("Échantillon"), true};
    if (start.isValid()) {
        const double origin = double(start.date().toJulianDay()) * kDay +
                              start.time().msecsSinceStartOfDay() / 1000.0;
        return {origin + double(dropped) * interval, interval, QStringLiteral("Heure"), false,
                true};
    }
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

double clockStep(double span, double count) {
    static constexpr double kSteps[] = {1,   2,   5,    10,   15,   30,    60,    120,  300,
                                        600, 900, 1800, 3600, 7200, 10800, 21600, 43200};
    const double raw = span / std::max(count, 1.0);
    for (double step : kSteps)
        if (step >= raw) return step;
    return std::max(1.0, std::ceil(raw / kDay)) * kDay;
}

qint64 clockDay(double seconds) {
    return qint64(std::floor(seconds / kDay));
}

QString clockLabel(double seconds, double step, bool withDate, const QLocale &locale) {
    const qint64 day = clockDay(seconds);
    const QTime time = QTime::fromMSecsSinceStartOfDay(
        int(std::llround((seconds - double(day) * kDay) * 1000)) % int(kDay * 1000));
    QString text = time.toString(std::fmod(step, 60) == 0 ? QStringLiteral("HH:mm")
                                                          : QStringLiteral("HH:mm:ss"));
    if (withDate) {
        // The locale's short date without its year: "07/12", "12/7".
        QString format = locale.dateFormat(QLocale::ShortFormat);
        static const QRegularExpression year(QStringLiteral("[^dM]*y+[^dM]*"));
        format.remove(year);
        text = locale.toString(QDate::fromJulianDay(day), format) + u' ' + text;
    }
    return text;
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
