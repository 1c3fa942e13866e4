// The chart's frame: where the plot lies, which scale each channel takes and the range of each,
// and the axes drawn around the plot.
#include "chart/chartgeometry.h"
#include "chart/chartparts.h"
#include "chart/sampleseries.h"
#include "chart/statistics.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>
#include <limits>

namespace chart {

using namespace geometry;

namespace {

constexpr double kFitMargin = 0.05; // of the value span, above and below the data
constexpr double kPixelsPerTick = 90;

// The vertical step of a scale's ticks on a plot `height` pixels high.
double valueStep(const ValueRange &range, double height, double line) {
    return niceStep(range.high - range.low, height / (2.5 * line), true);
}

// The widest tick label of a scale.
double labelsWidth(const QFontMetricsF &metrics, const ValueRange &range, double step,
                   const QLocale &locale) {
    double widest = 0;
    for (double value : ticks(range.low, range.high, step))
        widest = std::max(widest, metrics.horizontalAdvance(tickLabel(value, step, locale)));
    return std::ceil(widest);
}

// The value range of each scale: fixed by the options, or fitted to its visible values with a
// margin of 5 % and at least one raw count.
std::array<ValueRange, kScales> fitValues(const Curves &curves, const Options &options,
                                          const ScaleChoice &scales, int width) {
    std::array<ValueRange, kScales> values;
    std::array<double, kScales> count{};
    for (ValueRange &range : values) {
        range.low = std::numeric_limits<double>::infinity();
        range.high = -range.low;
    }
    for (int c = 0; c < kChannels; ++c) {
        const int scale = scales.scaleOf[c];
        if (scale < 0) continue;
        count[scale] =
            std::max(count[scale], std::abs(options.channels.channels[c].calibration.factor()));
        for (const QPointF &point : curves[c]) {
            if (std::isnan(point.y()) || point.x() < 0 || point.x() > width) continue;
            values[scale].low = std::min(values[scale].low, point.y());
            values[scale].high = std::max(values[scale].high, point.y());
        }
    }
    for (int scale = 0; scale < kScales; ++scale) {
        ValueRange &range = values[scale];
        if (options.values[scale].fixed()) {
            range = options.values[scale];
        } else if (range.low > range.high) {
            range = {0, 1};
        } else {
            // A flat curve still gets a range: one raw count of its channels on either side.
            const double margin = std::max((range.high - range.low) * kFitMargin,
                                           count[scale] > 0 ? count[scale] : 1.0);
            range.low -= margin;
            range.high += margin;
        }
    }
    return values;
}

} // namespace

std::pair<qint64, qint64> Options::visibleSamples(qint64 size) const {
    if (!(last > first)) return {0, size - 1};
    return {std::max<qint64>(qint64(std::ceil(first)), 0),
            std::min<qint64>(qint64(std::floor(last)), size - 1)};
}

ScaleChoice chooseScales(const ChannelSettings &channels,
                         const std::array<bool, kChannels> &hidden) {
    ScaleChoice choice;
    for (int c = 0; c < kChannels; ++c) {
        if (hidden[c]) continue;
        const QString &unit = channels.channels[c].unit;
        int scale = 0;
        while (choice.used[scale] && choice.units[scale] != unit)
            ++scale;
        choice.used[scale] = true;
        choice.units[scale] = unit;
        choice.scaleOf[c] = scale;
    }
    return choice;
}

double axisValue(const SampleSeries &series, double sample, double interval) {
    return interval > 0 ? (series.dropped() + sample) * interval : series.dropped() + sample + 1;
}

// The margins leave room for five digits; wider value labels, or a right axis, widen them.
Curves layOut(Frame &frame, const QFontMetricsF &metrics, QSize size, const SampleSeries &series,
              const Options &options) {
    frame.empty = false;
    frame.scales = chooseScales(options.channels, options.hidden);
    const double line = std::ceil(metrics.height());
    const double widest = std::ceil(metrics.horizontalAdvance(QStringLiteral("00000")));
    const double top = 2 * kLegendTop + line;
    const double bottom = kTickLength + 2 * line + kLabelsMargin;
    const double height = std::max(1.0, std::floor(size.height() - top - bottom));
    auto plotBetween = [&](double left, double right) {
        return QRectF(left, top, std::max(1.0, std::floor(size.width() - left - right)), height);
    };
    double left = widest + kTickLength + kLabelsMargin;
    double right = std::ceil(widest / 2) + 4;
    frame.plot = plotBetween(left, right);

    // A single sample stands in the middle of the plot, a sample's width on either side.
    frame.first = series.size() == 1 ? -0.5 : 0;
    frame.last = series.size() == 1 ? 0.5 : std::max<double>(series.size() - 1, 1);
    if (options.last > options.first) {
        frame.first = options.first;
        frame.last = options.last;
    }

    // The ranges fit the visible samples only, not the one beyond each edge that curves run to.
    int width = int(frame.plot.width());
    Curves curves = calibratedCurves(series, options, frame.first, frame.last, width);
    frame.values = fitValues(curves, options, frame.scales, width);
    frame.low = frame.values[kLeftScale].low;
    frame.high = frame.values[kLeftScale].high;

    const auto labels = [&](int scale) {
        return labelsWidth(metrics, frame.values[scale],
                           valueStep(frame.values[scale], height, line), options.locale) +
               kTickLength + kLabelsMargin;
    };
    const auto titleRoom = [&](int scale) {
        return frame.scales.used[scale] && !frame.scales.units[scale].isEmpty()
                   ? line + kAxisTitleMargin
                   : 0.0;
    };
    left = std::max(left, labels(kLeftScale)) + titleRoom(kLeftScale);
    if (frame.scales.used[kRightScale]) right = std::max(right, labels(kRightScale));
    right += titleRoom(kRightScale);
    frame.plot = plotBetween(left, right);
    if (int(frame.plot.width()) != width)
        curves =
            calibratedCurves(series, options, frame.first, frame.last, int(frame.plot.width()));
    return curves;
}

// The grid follows the left axis; the right one, when there is one, has its ticks and labels only.
void drawAxes(QPainter &painter, const Frame &frame, const XAxis &axis, double line,
              const QLocale &locale, QSize size) {
    const QRectF &plot = frame.plot;
    qint64 labelledDay = std::numeric_limits<qint64>::min();
    // A clock's tick gives the date where it changes: at the first tick and the first of a day.
    const auto xLabel = [&](const XAxis &x, double shown, double step) {
        if (!x.clock) return tickLabel(shown, step, locale);
        const qint64 day = clockDay(shown);
        const bool withDate = day != labelledDay;
        labelledDay = day;
        return clockLabel(shown, step, withDate, locale);
    };
    const double shownFirst = axis.offset + axis.scale * frame.first;
    const double shownLast = axis.offset + axis.scale * frame.last;
    const double xStep =
        axis.clock ? clockStep(shownLast - shownFirst, plot.width() / kPixelsPerTick)
                   : niceStep(shownLast - shownFirst, plot.width() / kPixelsPerTick, axis.whole);
    for (double shown : ticks(shownFirst, shownLast, xStep)) {
        const double x =
            plot.left() + (shown - shownFirst) / (shownLast - shownFirst) * plot.width();
        painter.setPen(kGridColour);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(kFrameColour);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kTickLength));
        painter.setPen(kTextColour);
        painter.drawText(QRectF(x - 100, plot.bottom() + kTickLength + 1, 200, line),
                         Qt::AlignHCenter | Qt::AlignTop, xLabel(axis, shown, xStep));
    }
    // The value labels end kLabelGap from the left axis's ticks, or start so from the right's.
    const double leftLabelsWidth = plot.left() - kTickLength - kLabelGap;
    const double rightLabels = plot.right() + kTickLength + kLabelGap;
    const double rightLabelsWidth = size.width() - rightLabels;
    for (int scale : {kLeftScale, kRightScale}) {
        if (!frame.scales.used[scale]) continue;
        const ValueRange &range = frame.values[scale];
        const bool left = scale == kLeftScale;
        const double yStep = valueStep(range, plot.height(), line);
        const double edge = left ? plot.left() : plot.right();
        const double outwards = left ? -kTickLength : kTickLength;
        for (double value : ticks(range.low, range.high, yStep)) {
            const double y =
                plot.bottom() - (value - range.low) / (range.high - range.low) * plot.height();
            if (left) {
                painter.setPen(kGridColour);
                painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
            }
            painter.setPen(kFrameColour);
            painter.drawLine(QPointF(edge + outwards, y), QPointF(edge, y));
            painter.setPen(kTextColour);
            const QString label = tickLabel(value, yStep, locale);
            if (left)
                painter.drawText(QRectF(0, y - line / 2, leftLabelsWidth, line),
                                 Qt::AlignRight | Qt::AlignVCenter, label);
            else
                painter.drawText(QRectF(rightLabels, y - line / 2, rightLabelsWidth, line),
                                 Qt::AlignLeft | Qt::AlignVCenter, label);
        }
        // The unit, the axis's title, along the chart's edge beside the labels: read upwards on
        // the left, downwards on the right, centred on the plot's height.
        const QString &unit = frame.scales.units[scale];
        if (unit.isEmpty()) continue;
        painter.save();
        painter.setPen(kTextColour);
        painter.translate(left ? kAxisTitleMargin : size.width() - kAxisTitleMargin,
                          plot.center().y());
        painter.rotate(left ? -90 : 90);
        painter.drawText(QRectF(-plot.height() / 2, 0, plot.height(), line),
                         Qt::AlignHCenter | Qt::AlignTop, unit);
        painter.restore();
    }
    painter.setPen(kTextColour);
    painter.drawText(
        QRectF(plot.left(), plot.bottom() + kTickLength + line + 2, plot.width(), line),
        Qt::AlignHCenter | Qt::AlignTop, axis.title);
    painter.setPen(kFrameColour);
    painter.drawRect(plot);
}

} // namespace chart
