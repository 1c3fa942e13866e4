#include "chart/chartrender.h"

#include "chart/axes.h"
#include "chart/reduction.h"
#include "chart/sampleseries.h"
#include "chart/statistics.h"

#include "data/filereason.h"
#include "data/outputfile.h"

#include <QFontMetricsF>
#include <QImageWriter>
#include <QLineF>
#include <QList>
#include <QPainter>
#include <QPolygonF>

#include <cmath>
#include <limits>
#include <vector>

namespace chart {

namespace {

constexpr double kFitMargin = 0.05; // of the value span, above and below the data
constexpr double kTickLength = 4;
constexpr double kPixelsPerTick = 90;
constexpr double kCurveWidth = 2;
const QColor kFrameColour(0x80, 0x80, 0x80);
const QColor kGridColour(0xE4, 0xE4, 0xE4);
const QColor kTextColour(0x20, 0x20, 0x20);
const QColor kHiddenColour(0xA0, 0xA0, 0xA0);

// Draws a reduced curve, already in pixels, broken at its NaN points; a value standing alone
// between gaps shows as a dot. A dense curve goes out as separate segments: stroking it as one
// polyline makes the painter fill one outline that crosses itself thousands of times, which costs
// seconds. A sparse one goes out as polylines, which smooth wide pens stroke far faster than
// segments one by one.
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
    painter.drawPoints(dots);
}

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

// The grid, the ticks and their labels, the axes' titles and the plot's frame. The grid follows
// the left axis; the right one, when there is one, has its ticks and labels only.
void drawAxes(QPainter &painter, const Frame &frame, const XAxis &axis, double line,
              const QLocale &locale, QSize size) {
    const QRectF &plot = frame.plot;
    const double shownFirst = axis.offset + axis.scale * frame.first;
    const double shownLast = axis.offset + axis.scale * frame.last;
    const double xStep =
        niceStep(shownLast - shownFirst, plot.width() / kPixelsPerTick, axis.whole);
    for (double shown : ticks(shownFirst, shownLast, xStep)) {
        const double x =
            plot.left() + (shown - shownFirst) / (shownLast - shownFirst) * plot.width();
        painter.setPen(kGridColour);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(kFrameColour);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kTickLength));
        painter.setPen(kTextColour);
        painter.drawText(QRectF(x - 100, plot.bottom() + kTickLength + 1, 200, line),
                         Qt::AlignHCenter | Qt::AlignTop, tickLabel(shown, xStep, locale));
    }
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
                painter.drawText(QRectF(0, y - line / 2, plot.left() - kTickLength - 2, line),
                                 Qt::AlignRight | Qt::AlignVCenter, label);
            else
                painter.drawText(QRectF(plot.right() + kTickLength + 2, y - line / 2,
                                        size.width() - plot.right() - kTickLength - 2, line),
                                 Qt::AlignLeft | Qt::AlignVCenter, label);
        }
        // The unit above its axis's labels, beside the legend.
        const QString &unit = frame.scales.units[scale];
        if (unit.isEmpty()) continue;
        painter.setPen(kTextColour);
        if (left)
            painter.drawText(QRectF(0, 5, plot.left() - kTickLength - 2, line),
                             Qt::AlignRight | Qt::AlignVCenter, unit);
        else
            painter.drawText(QRectF(plot.right() + kTickLength + 2, 5,
                                    size.width() - plot.right() - kTickLength - 2, line),
                             Qt::AlignLeft | Qt::AlignVCenter, unit);
    }
    painter.setPen(kTextColour);
    painter.drawText(
        QRectF(plot.left(), plot.bottom() + kTickLength + line + 2, plot.width(), line),
        Qt::AlignHCenter | Qt::AlignTop, axis.title);
    painter.setPen(kFrameColour);
    painter.drawRect(plot);
}

// A legend entry: the channel's title, and for a channel on a scale of its own, that scale.
QString legendText(const Options &options, const Frame &frame, int channel) {
    const QString title = options.channels.title(channel);
    if (frame.scales.scaleOf[channel] != kOwnScale) return title;
    const ValueRange &range = frame.values[kOwnScale];
    const QString unit = options.channels.channels[channel].unit;
    return QStringLiteral("%1, échelle propre : %2 à %3")
        .arg(title, valueText(range.low, options.locale),
             valueText(range.high, unit, options.locale));
}

// The legend above the plot, each entry's place noted in the frame; a hidden channel's entry is
// greyed and its swatch hollow.
void drawLegend(QPainter &painter, const Options &options, double line, Frame &frame) {
    const QFontMetricsF metrics(painter.font());
    double x = frame.plot.left();
    for (int c = 0; c < kChannels; ++c) {
        const QString name = legendText(options, frame, c);
        const double nameWidth = std::ceil(metrics.horizontalAdvance(name));
        const QRectF swatch(x, 5 + (line - 10) / 2, 16, 10);
        frame.legend[c] = QRectF(x, 3, swatch.width() + 6 + nameWidth, line + 4);
        painter.setPen(options.hidden[c] ? kHiddenColour : kColours[c]);
        painter.setBrush(options.hidden[c] ? QBrush(Qt::NoBrush) : QBrush(kColours[c]));
        painter.drawRect(swatch);
        painter.setPen(options.hidden[c] ? kHiddenColour : kTextColour);
        painter.drawText(QRectF(swatch.right() + 6, 5, nameWidth, line),
                         Qt::AlignLeft | Qt::AlignVCenter, name);
        x = frame.legend[c].right() + 16;
    }
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

namespace {

// Lays the frame out for a series that has samples: the margins leave room for five digits;
// wider value labels, or a right axis, widen them. Returns the curves reduced to the plot's
// width, in value units, which the fitted value ranges need.
Curves layOut(Frame &frame, const QFontMetricsF &metrics, QSize size, const SampleSeries &series,
              const Options &options) {
    frame.empty = false;
    frame.scales = chooseScales(options.channels, options.hidden);
    const double line = std::ceil(metrics.height());
    const double widest = std::ceil(metrics.horizontalAdvance(QStringLiteral("00000")));
    const double top = line + 10;
    const double bottom = kTickLength + 2 * line + 6;
    const double height = std::max(1.0, std::floor(size.height() - top - bottom));
    auto plotBetween = [&](double left, double right) {
        return QRectF(left, top, std::max(1.0, std::floor(size.width() - left - right)), height);
    };
    double left = widest + kTickLength + 6;
    double right = std::ceil(widest / 2) + 4;
    frame.plot = plotBetween(left, right);

    frame.first = 0;
    frame.last = std::max<double>(series.size() - 1, 1);
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
               kTickLength + 6;
    };
    left = std::max(left, labels(kLeftScale));
    if (frame.scales.used[kRightScale]) right = std::max(right, labels(kRightScale));
    frame.plot = plotBetween(left, right);
    if (int(frame.plot.width()) != width)
        curves =
            calibratedCurves(series, options, frame.first, frame.last, int(frame.plot.width()));
    return curves;
}

// The curves, clipped to the plot. Zoomed out, every column is a vertical bar from its minimum
// to its maximum: thin aliased lines draw those crisply and fast, where wide smoothed ones cost
// ten times more. Zoomed in, wide smoothed lines read better and are few.
void drawCurves(QPainter &painter, const Frame &frame, Curves &curves) {
    const QRectF &plot = frame.plot;
    painter.save();
    painter.setClipRect(plot);
    const bool dense = frame.last - frame.first > plot.width() / 2;
    painter.setRenderHint(QPainter::Antialiasing, !dense);
    const double xScale = plot.width() / int(plot.width());
    for (int c = 0; c < kChannels; ++c) {
        if (curves[c].empty()) continue;
        const ValueRange &range = frame.values[frame.scales.scaleOf[c]];
        for (QPointF &point : curves[c])
            point = QPointF(plot.left() + point.x() * xScale,
                            plot.bottom() -
                                (point.y() - range.low) / (range.high - range.low) * plot.height());
        QPen pen(kColours[c], dense ? 1 : kCurveWidth, Qt::SolidLine,
                 dense ? Qt::SquareCap : Qt::RoundCap, Qt::RoundJoin);
        pen.setCosmetic(dense);
        painter.setPen(pen);
        drawCurve(painter, curves[c], dense);
    }
    painter.restore();
}

} // namespace

Frame paint(QPainter &painter, QSize size, const SampleSeries &series, const Options &options) {
    Frame frame;
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    painter.setPen(kTextColour);
    if (series.isEmpty()) {
        painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, kNoSamples);
        painter.restore();
        return frame;
    }
    const QFontMetricsF metrics(painter.font());
    Curves curves = layOut(frame, metrics, size, series, options);
    const double line = std::ceil(metrics.height());
    drawAxes(painter, frame, xAxis(series.dropped(), frame.last - frame.first, options.interval),
             line, options.locale, size);
    drawCurves(painter, frame, curves);
    drawLegend(painter, options, line, frame);
    painter.restore();
    return frame;
}

QImage render(const SampleSeries &series, QSize size, const Options &options) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter, size, series, options);
    return image;
}

std::vector<StatisticsRow> statisticsRows(const SampleSeries &series, const Options &options) {
    std::vector<StatisticsRow> rows;
    const auto [first, last] = options.visibleSamples(series.size());
    const auto raw = statistics(series, first, last);
    for (int c = 0; c < kChannels; ++c) {
        if (options.hidden[c]) continue;
        const ChannelSetting &setting = options.channels.channels[c];
        const Statistics shown = calibrated(raw[c], setting.calibration);
        const auto text = [&](double value) {
            return shown.count > 0 ? valueText(value, setting.unit, options.locale) : kNoValue;
        };
        rows.push_back({c, options.channels.title(c), text(shown.minimum), text(shown.maximum),
                        text(shown.mean)});
    }
    return rows;
}

QImage renderWithStatistics(const SampleSeries &series, QSize size, const Options &options,
                            const QString &title) {
    const std::vector<StatisticsRow> rows =
        series.isEmpty() ? std::vector<StatisticsRow>() : statisticsRows(series, options);
    const QFontMetricsF metrics{QFont()};
    const int line = int(std::ceil(metrics.height())) + 4;
    const int above = title.isEmpty() ? 0 : line + 4;
    const int below = rows.empty() ? 0 : int(rows.size() + 1) * line + 8;
    QImage image(size.width(), size.height() + above + below, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(kTextColour);
    if (!title.isEmpty()) painter.drawText(QRect(0, 2, size.width(), line), Qt::AlignCenter, title);
    painter.translate(0, above);
    const Frame frame = paint(painter, size, series, options);
    painter.translate(0, size.height());
    if (rows.empty()) return image;

    // Columns: the channels' titles from the plot's left edge, then the three figures, each as
    // wide as its widest text and right-aligned, as numbers read best.
    const double left = frame.plot.left();
    std::array<double, 4> widths{};
    const auto widen = [&](int column, const QString &text) {
        widths[column] = std::max(widths[column], std::ceil(metrics.horizontalAdvance(text)) + 24);
    };
    for (int column = 0; column < 4; ++column)
        widen(column, kStatisticsHeader[column]);
    for (const StatisticsRow &row : rows) {
        widen(0, row.title);
        widen(1, row.minimum);
        widen(2, row.maximum);
        widen(3, row.mean);
    }
    widths[0] += 22; // the swatch
    const auto drawRow = [&](int y, const std::array<QString, 4> &cells, int channel) {
        double x = left;
        if (channel >= 0)
            painter.fillRect(QRectF(x, y + (line - 10) / 2.0, 16, 10), kColours[channel]);
        for (int column = 0; column < 4; ++column) {
            const QRectF cell(column == 0 ? x + 22 : x, y, widths[column] - (column == 0 ? 22 : 0),
                              line);
            painter.drawText(cell,
                             (column == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                             cells[column]);
            x += widths[column];
        }
    };
    int y = 4;
    drawRow(
        y, {kStatisticsHeader[0], kStatisticsHeader[1], kStatisticsHeader[2], kStatisticsHeader[3]},
        -1);
    painter.setPen(kFrameColour);
    painter.drawLine(QPointF(left, y + line),
                     QPointF(left + widths[0] + widths[1] + widths[2] + widths[3], y + line));
    painter.setPen(kTextColour);
    for (const StatisticsRow &row : rows) {
        y += line;
        drawRow(y, {row.title, row.minimum, row.maximum, row.mean}, row.channel);
    }
    return image;
}

bool savePng(const QImage &image, const QString &path, QString *error) {
    auto fail = [error](const QString &reason) {
        if (error) *error = reason;
        return false;
    };
    OutputFile file(path);
    if (!file.open()) return fail(filereason::cannotCreate(path, file.error()));
    QImageWriter writer(&file.device(), "png");
    if (!writer.write(image)) {
        file.cancel();
        return fail(writer.error() == QImageWriter::DeviceError
                        ? filereason::cannotWrite(path)
                        : QStringLiteral("L'image ne peut pas être enregistrée en PNG : %1")
                              .arg(writer.errorString()));
    }
    if (!file.commit()) return fail(filereason::cannotWrite(path, file.error()));
    return true;
}

} // namespace chart
