// paint(): the chart put together from its parts, the frame and its axes (chartlayout.cpp), the
// curves (chartcurves.cpp), the channels' limits over them (chartlimits.cpp) and the legend
// (chartlegend.cpp); chartimage.cpp makes images of it, report.cpp a page.
#include "chart/chartrender.h"

#include "chart/chartgeometry.h"
#include "chart/chartparts.h"
#include "chart/sampleseries.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace chart {

Frame paint(QPainter &painter, QSize size, const SampleSeries &series, const Options &options) {
    Frame frame;
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    painter.setPen(geometry::kTextColour);
    if (series.isEmpty()) {
        painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, kNoSamples);
        painter.restore();
        return frame;
    }
    const QFontMetricsF metrics(painter.font());
    Curves curves = layOut(frame, metrics, size, series, options);
    const double line = std::ceil(metrics.height());
    // The time of day when the samples are timed from a start, one interval apart.
    const QDateTime clockStart =
        options.clock.arrivals.isEmpty() ? options.clock.start : QDateTime();
    drawAxes(painter, frame,
             xAxis(series.dropped(), frame.last - frame.first, options.interval, clockStart), line,
             options.locale, size);
    drawCurves(painter, frame, curves);
    drawLimits(painter, frame, options);
    drawLegend(painter, options, line, frame);
    painter.restore();
    return frame;
}

} // namespace chart
