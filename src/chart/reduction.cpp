#include "chart/reduction.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool holdsValue(qint16 value) {
    return value >= 0;
}

} // namespace

std::vector<QPointF> reduceChannel(const qint16 *values, qint64 count, double first, double last,
                                   int width) {
    std::vector<QPointF> points;
    if (count <= 0 || width <= 0 || !(last > first)) return points;
    constexpr double kBreak = std::numeric_limits<double>::quiet_NaN();
    const double scale = width / (last - first);
    const qint64 lo = std::clamp<qint64>(qint64(std::floor(first)) - 1, 0, count - 1);
    const qint64 hi = std::clamp<qint64>(qint64(std::ceil(last)) + 1, 0, count - 1);
    points.reserve(std::min<qint64>(hi - lo + 1, 2 * qint64(width) + 8) + 16);

    bool previousHeldValue = false; // the sample just before the current column
    for (qint64 i = lo; i <= hi;) {
        const double column = std::floor((i - first) * scale);
        // The samples of this column: from i up to the first one that maps beyond it.
        qint64 end = std::max<qint64>(i + 1, qint64(std::ceil(first + (column + 1) / scale)));
        // Rounding may put the computed end a sample off either way.
        while (end - 1 > i && std::floor((end - 1 - first) * scale) > column)
            --end;
        while (end <= hi && std::floor((end - first) * scale) == column)
            ++end;
        end = std::min(end, hi + 1);

        qint16 low = std::numeric_limits<qint16>::max();
        qint16 high = -1;
        qint16 firstValue = -1;
        qint16 lastValue = -1;
        for (qint64 j = i; j < end; ++j) {
            const qint16 value = values[j];
            if (!holdsValue(value)) continue;
            if (firstValue < 0) firstValue = value;
            lastValue = value;
            low = std::min(low, value);
            high = std::max(high, value);
        }
        if (high >= 0) {
            const bool joined = previousHeldValue && holdsValue(values[i]);
            if (!joined && !points.empty() && !std::isnan(points.back().y()))
                points.emplace_back(points.back().x(), kBreak);
            if (end - i == 1) {
                points.emplace_back((i - first) * scale, high);
            } else {
                const double x = column + 0.5;
                const bool rising = firstValue <= lastValue;
                points.emplace_back(x, rising ? low : high);
                if (low != high) points.emplace_back(x, rising ? high : low);
            }
        }
        previousHeldValue = holdsValue(values[end - 1]);
        i = end;
    }
    return points;
}
