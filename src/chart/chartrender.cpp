#include "chart/chartrender.h"

#include "chart/axes.h"
#include "chart/reduction.h"
#include "chart/sampleseries.h"

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

// The grid, the ticks and their labels, the x axis title and the plot's frame.
void drawAxes(QPainter &painter, const Frame &frame, const XAxis &axis, double line,
              const QLocale &locale) {
    const QRectF &plot = frame.plot;
    const double shownFirst = axis.offset + axis.scale * frame.first;
    const double shownLast = axis.offset + axis.scale * frame.last;
    const double xStep =
        niceStep(shownLast - shownFirst, plot.width() / kPixelsPerTick, axis.whole);
    const double yStep = niceStep(frame.high - frame.low, plot.height() / (2.5 * line), true);
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
    for (double value : ticks(frame.low, frame.high, yStep)) {
        const double y =
            plot.bottom() - (value - frame.low) / (frame.high - frame.low) * plot.height();
        painter.setPen(kGridColour);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(kFrameColour);
        painter.drawLine(QPointF(plot.left() - kTickLength, y), QPointF(plot.left(), y));
        painter.setPen(kTextColour);
        painter.drawText(QRectF(0, y - line / 2, plot.left() - kTickLength - 2, line),
                         Qt::AlignRight | Qt::AlignVCenter, tickLabel(value, yStep, locale));
    }
    painter.drawText(
        QRectF(plot.left(), plot.bottom() + kTickLength + line + 2, plot.width(), line),
        Qt::AlignHCenter | Qt::AlignTop, axis.title);
    painter.setPen(kFrameColour);
    painter.drawRect(plot);
}

// The legend above the plot, each entry's place noted in the frame; a hidden channel's entry is
// greyed and its swatch hollow.
void drawLegend(QPainter &painter, const Options &options, double line, Frame &frame) {
    const QFontMetricsF metrics(painter.font());
    double x = frame.plot.left();
    for (int c = 0; c < kChannels; ++c) {
        const double nameWidth = std::ceil(metrics.horizontalAdvance(QString(kChannelNames[c])));
        const QRectF swatch(x, 5 + (line - 10) / 2, 16, 10);
        frame.legend[c] = QRectF(x, 3, swatch.width() + 6 + nameWidth, line + 4);
        painter.setPen(options.hidden[c] ? kHiddenColour : kColours[c]);
        painter.setBrush(options.hidden[c] ? QBrush(Qt::NoBrush) : QBrush(kColours[c]));
        painter.drawRect(swatch);
        painter.setPen(options.hidden[c] ? kHiddenColour : kTextColour);
        painter.drawText(QRectF(swatch.right() + 6, 5, nameWidth, line),
                         Qt::AlignLeft | Qt::AlignVCenter, QString(kChannelNames[c]));
        x = frame.legend[c].right() + 16;
    }
}

} // namespace

double axisValue(const SampleSeries &series, double sample, double interval) {
    return interval > 0 ? (series.dropped() + sample) * interval : series.dropped() + sample + 1;
}

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
    frame.empty = false;

    const QFontMetricsF metrics(painter.font());
    const double line = std::ceil(metrics.height());
    const double widest = std::ceil(metrics.horizontalAdvance(QStringLiteral("00000")));
    const double left = widest + kTickLength + 6;
    const double top = line + 10;
    const double right = std::ceil(widest / 2) + 4;
    const double bottom = kTickLength + 2 * line + 6;
    frame.plot = QRectF(left, top, std::max(1.0, std::floor(size.width() - left - right)),
                        std::max(1.0, std::floor(size.height() - top - bottom)));
    const QRectF &plot = frame.plot;

    frame.first = 0;
    frame.last = std::max<double>(series.size() - 1, 1);
    if (options.last > options.first) {
        frame.first = options.first;
        frame.last = options.last;
    }

    // Curves first, in value units: the fitted value range needs them. It fits the visible
    // samples only, not the one beyond each edge that the curves run to.
    const int width = int(plot.width());
    std::array<std::vector<QPointF>, kChannels> curves;
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (int c = 0; c < kChannels; ++c) {
        if (options.hidden[c]) continue;
        curves[c] = reduceChannel(series.channel(c), series.size(), frame.first, frame.last, width);
        for (const QPointF &point : curves[c]) {
            if (std::isnan(point.y()) || point.x() < 0 || point.x() > width) continue;
            low = std::min(low, point.y());
            high = std::max(high, point.y());
        }
    }
    if (options.high > options.low) {
        low = options.low;
        high = options.high;
    } else if (low > high) {
        low = 0;
        high = 1;
    } else {
        const double margin = std::max((high - low) * kFitMargin, 1.0);
        low -= margin;
        high += margin;
    }
    frame.low = low;
    frame.high = high;
    auto toY = [&](double value) {
        return plot.bottom() - (value - low) / (high - low) * plot.height();
    };

    drawAxes(painter, frame, xAxis(series.dropped(), frame.last - frame.first, options.interval),
             line, options.locale);

    // The curves, clipped to the plot. Zoomed out, every column is a vertical bar from its
    // minimum to its maximum: thin aliased lines draw those crisply and fast, where wide smoothed
    // ones cost ten times more. Zoomed in, wide smoothed lines read better and are few.
    painter.save();
    painter.setClipRect(plot);
    const bool dense = frame.last - frame.first > plot.width() / 2;
    painter.setRenderHint(QPainter::Antialiasing, !dense);
    const double xScale = plot.width() / width;
    for (int c = 0; c < kChannels; ++c) {
        for (QPointF &point : curves[c])
            point = QPointF(plot.left() + point.x() * xScale, toY(point.y()));
        QPen pen(kColours[c], dense ? 1 : kCurveWidth, Qt::SolidLine,
                 dense ? Qt::SquareCap : Qt::RoundCap, Qt::RoundJoin);
        pen.setCosmetic(dense);
        painter.setPen(pen);
        drawCurve(painter, curves[c], dense);
    }
    painter.restore();

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
