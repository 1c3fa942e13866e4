#pragma once

#include "data/channels.h"
#include "data/channelsettings.h"

#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <array>

class SampleSeries;

namespace chart {

// The minimum, maximum and mean of the values one channel holds over a range of samples, in raw
// counts; gaps (invalid fields, channels a row lacks) are left out. count is 0 when the range holds
// no value.
struct RawStatistics {
    qint64 count = 0;
    qint16 minimum = 0;
    qint16 maximum = 0;
    qint64 sum = 0; // exact: at most 2^15 a value
    // The first sample (its position in the series) holding the smallest raw value, and the first
    // holding the largest; -1 when the range holds no value. A falling calibration turns the raw
    // minimum into the maximum in the unit.
    qint64 minimumAt = -1;
    qint64 maximumAt = -1;

    double mean() const { return count > 0 ? double(sum) / double(count) : 0; }
};

// The statistics of each channel over the samples first to last of the series (positions, both
// included, clamped to the series). One pass over the range, three comparisons and an addition a
// value: about 1 ms a million values; the result does not depend on the plot or its size.
std::array<RawStatistics, kChannels> statistics(const SampleSeries &series, qint64 first,
                                                qint64 last);

// How many values of `channel` over the samples first to last (positions, both included, clamped
// to the series) lie outside the limits of `setting`, through its calibration: the time spent
// outside is that count times the interval. Gaps are not counted; 0 for a channel without limits.
qint64 outsideCount(const SampleSeries &series, int channel, const ChannelSetting &setting,
                    qint64 first, qint64 last);

// The same in a channel's unit: a calibration is a straight line, so the extremes map onto the
// extremes (swapped when it falls) and the mean onto the mean.
struct Statistics {
    qint64 count = 0;
    double minimum = 0;
    double maximum = 0;
    double mean = 0;
};
Statistics calibrated(const RawStatistics &raw, const Calibration &calibration);

// A physical value as the chart tells it: six significant digits in the locale, no group
// separator; a raw count stays the whole number it is.
QString valueText(double value, const QLocale &locale);
// The same followed by the unit, when there is one.
QString valueText(double value, const QString &unit, const QLocale &locale);
// A duration of `seconds` in the unit that reads best, as the x axis chooses it: seconds up to two
// minutes, minutes up to two hours, hours beyond, these two to a tenth ("6 s", "2,5 min",
// "7,7 h").
QString durationText(double seconds, const QLocale &locale);

} // namespace chart
