#pragma once

#include <QPointF>
#include <QtGlobal>

#include <vector>

// Reduces the visible part of one channel to what a plot `width` pixels wide can show: the
// minimum and the maximum of the samples of every pixel column, so that a spike of a single
// sample stays visible at any zoom, and never more than two points a column. The cost is one pass
// over the visible samples, whatever the plot size, and the result is small enough to draw at once.
//
// `values` holds `count` samples, a negative value being a gap (SampleSeries). Sample i lies at
// x = (i - first) * width / (last - first) pixels, so [first, last] spans the plot; one sample on
// each side is included for the curve to run to the edges. A column of several samples gives its
// two points at its centre, the one that comes first in time first; a column of one sample gives
// that sample at its own place. A point with a NaN y breaks the curve: it stands where a gap lies
// between two columns or before the first sample of a column. Gaps within a column of several
// values are narrower than a pixel and do not show.
std::vector<QPointF> reduceChannel(const qint16 *values, qint64 count, double first, double last,
                                   int width);
