#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <vector>

namespace chart {

// How positions in a series read on the x axis: shown = offset + scale * position.
struct XAxis {
    double offset = 0;
    double scale = 1;
    QString title;
    bool whole = true;  // sample numbers: ticks only at whole numbers
    bool clock = false; // shown values are seconds of the day count since the calendar's start
};

// The x axis of a series whose first `dropped` samples have left it, showing `span` samples:
// sample numbers counted from 1 when interval is 0, else the time elapsed since the first sample
// in the unit that reads best for the span: seconds up to two minutes, minutes up to two hours,
// hours beyond.
// With a valid `start` (and an interval), the time of day: shown values are seconds counted on
// from the start's date and time (countedOn), ticks fall on round times of day.
XAxis xAxis(qint64 dropped, double span, double interval, const QDateTime &start = {});

// A clock axis's step: 1, 2, 5, 10, 15 or 30 seconds or minutes, 1, 2, 3, 6 or 12 hours, or whole
// days, giving at most about `count` ticks over `span` seconds.
double clockStep(double span, double count);

// A clock axis's tick: "14:03:12", or "14:03" when the step is whole minutes; preceded by the
// date ("07/12 00:00") when `withDate`.
QString clockLabel(double seconds, double step, bool withDate, const QLocale &locale);
// The day of a clock axis's value, to tell where the date changes.
qint64 clockDay(double seconds);

// A step of 1, 2 or 5 times a power of ten giving at most about `count` ticks over `span`; at
// least 1 when `whole`.
double niceStep(double span, double count, bool whole);

// The multiples of step from low to high.
std::vector<double> ticks(double low, double high, double step);

// A tick's text in the locale, with the decimals its step needs and no group separator.
QString tickLabel(double value, double step, QLocale locale);

} // namespace chart
