#pragma once

// The parts a chart is drawn from, each in a file of its own, which paint() (chartrender.cpp)
// and the exported image (chartimage.cpp) put together.

#include "chart/axes.h"
#include "chart/chartrender.h"

#include <QSize>

#include <vector>

class QFontMetricsF;
class QPainter;

namespace chart {

// chartlayout.cpp. Lays the frame out for a series that has samples: the plot's place, the
// visible samples, the scales and their value ranges. Returns the curves reduced to the plot's
// width, in value units, which the fitted value ranges need.
Curves layOut(Frame &frame, const QFontMetricsF &metrics, QSize size, const SampleSeries &series,
              const Options &options);
// The grid, the ticks and their labels, the axes' titles and the plot's frame, `line` being the
// height of a text line.
void drawAxes(QPainter &painter, const Frame &frame, const XAxis &axis, double line,
              const QLocale &locale, QSize size);

// chartcurves.cpp. The curves, mapped onto the plot and clipped to it.
void drawCurves(QPainter &painter, const Frame &frame, Curves &curves);

// chartlimits.cpp. Each visible channel's limits, dashed lines across the plot in its colour on its
// scale; a limit beyond the scale's range is not drawn.
void drawLimits(QPainter &painter, const Frame &frame, const Options &options);

// chartlegend.cpp. The legend above the plot, each entry's place noted in the frame.
void drawLegend(QPainter &painter, const Options &options, double line, Frame &frame);
// The statistics table's height for `rows` channels, its header included, with `row` the height of
// one of its rows.
int statisticsTableHeight(size_t rows, int row);
// The table from (left, 0) down.
void drawStatisticsTable(QPainter &painter, const std::vector<StatisticsRow> &rows, double left,
                         const QFontMetricsF &metrics, int row);

} // namespace chart
