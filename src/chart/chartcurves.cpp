// The channels' curves: reduced to the plot's columns, through their calibrations, and drawn.
#include "chart/chartgeometry.h"
#include "chart/chartparts.h"
#include "chart/reduction.h"
#include "chart/sampleseries.h"

#include <QLineF>
#include <QList>
#include <QPainter>
#include <QPolygonF>

#include <cmath>

namespace chart {

namespace {

constexpr double kCurveWidth = 2;

// Draws a reduced curve, already in pixels, broken at its NaN points; a value standing alone
// between gaps shows as a dot, on a sparse plot as wide as geometry::kLoneSampleSize. A dense curve
// goes out as separate segments: stroking it as one polyline makes the painter fill one outline
// that crosses itself thousands of times, which costs seconds. A sparse one goes out as polylines,
// which smooth wide pens stroke far faster than segments one by one.
void drawCurve(QPainter &painter, const std::vector<QPointF> &points, bool dense) {
    QList<QLineF> segments;
    QPolygonF run;
    QList<QPointF> dots;
    auto endRun = [&] {
        if (run.size() == 1)
            dots.append(run.front());
        else if (run.size() > 1)
            painter.drawPolyline(run);
        run.clear();
    };
    for (size_t i = 0; i < points.size(); ++i) {
        const QPointF &point = points[i];
        if (std::isnan(point.y())) {
            endRun();
            continue;
        }
        if (!dense) {
            run.append(point);
            continue;
        }
        const bool joinsBefore = i > 0 && !std::isnan(points[i - 1].y());
        const bool joinsAfter = i + 1 < points.size() && !std::isnan(points[i + 1].y());
        if (joinsAfter)
            segments.append(QLineF(point, points[i + 1]));
        else if (!joinsBefore)
            dots.append(point);
    }
    endRun();
    painter.drawLines(segments);
    if (dots.isEmpty()) return;
    if (!dense) {
        QPen dot = painter.pen();
        dot.setWidthF(geometry::kLoneSampleSize);
        painter.setPen(dot);
    }
    painter.drawPoints(dots);
}

} // namespace

Curves calibratedCurves(const SampleSeries &series, const Options &options, double first,
                        double last, int width) {
    Curves curves;
    for (int c = 0; c < kChannels; ++c) {
        if (options.hidden[c]) continue;
        curves[c] = reduceChannel(series.channel(c), series.size(), first, last, width);
        const Calibration &calibration = options.channels.channels[c].calibration;
        if (calibration == Calibration{}) continue;
        for (QPointF &point : curves[c])
            point.setY(calibration(point.y()));
    }
    return curves;
}

// Zoomed out, every column is a vertical bar from its minimum to its maximum: thin aliased lines
// draw those crisply and fast, where wide smoothed ones cost ten times more. Zoomed in, wide
// smoothed lines read better and are few.
void drawCurves(QPainter &painter, const Frame &frame, Curves &curves) {
    const QRectF &plot = frame.plot;
    painter.save();
    painter.setClipRect(plot);
    const bool dense = frame.last - frame.first > plot.width() / 2;
    painter.setRenderHint(QPainter::Antialiasing, !dense);
    const double xScale = plot.width() / int(plot.width());
    const bool scaled = painter.worldTransform().isScaling();
    for (int c = 0; c < kChannels; ++c) {
        if (curves[c].empty()) continue;
        const ValueRange &range = frame.values[frame.scales.scaleOf[c]];
        for (QPointF &point : curves[c])
            point = QPointF(plot.left() + point.x() * xScale,
                            plot.bottom() -
                                (point.y() - range.low) / (range.high - range.low) * plot.height());
        QPen pen(kColours[c], dense ? 1 : kCurveWidth, Qt::SolidLine,
                 dense ? Qt::SquareCap : Qt::RoundCap, Qt::RoundJoin);
        // A thin line is one pixel of the device, or one of the chart when it is drawn scaled onto
        // a page, whose device pixels are far smaller.
        pen.setCosmetic(dense && !scaled);
        painter.setPen(pen);
        drawCurve(painter, curves[c], dense);
    }
    painter.restore();
}

} // namespace chart
