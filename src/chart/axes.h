#pragma once

#include <QLocale>
#include <QString>

#include <vector>

namespace chart {

// How positions in a series read on the x axis: shown = offset + scale * position.
struct XAxis {
    double offset = 0;
    double scale = 1;
    QString title;
    bool whole = true; // sample numbers: ticks only at whole numbers
};

// The x axis of a series whose first `dropped` samples have left it, showing `span` samples:
// sample numbers counted from 1 when interval is 0, else the time elapsed since the first sample
// in the unit that reads best for the span: seconds up to two minutes, minutes up to two hours,
// hours beyond.
XAxis xAxis(qint64 dropped, double span, double interval);

// A step of 1, 2 or 5 times a power of ten giving at most about `count` ticks over `span`; at
// least 1 when `whole`.
double niceStep(double span, double count, bool whole);

// The multiples of step from low to high.
std::vector<double> ticks(double low, double high, double step);

// A tick's text in the locale, with the decimals its step needs and no group separator.
QString tickLabel(double value, double step, QLocale locale);

} // namespace chart
