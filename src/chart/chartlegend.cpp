// What names the channels: the legend above the plot, and the statistics table below an exported
// chart, both led by each channel's colour swatch.
#include "chart/chartgeometry.h"
#include "chart/chartparts.h"
#include "chart/sampleseries.h"
#include "chart/statistics.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace chart {

using namespace geometry;

namespace {

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

} // namespace

// A hidden channel's entry is greyed and its swatch hollow.
void drawLegend(QPainter &painter, const Options &options, double line, Frame &frame) {
    const QFontMetricsF metrics(painter.font());
    double x = frame.plot.left();
    for (int c = 0; c < kChannels; ++c) {
        const QString name = legendText(options, frame, c);
        const double nameWidth = std::ceil(metrics.horizontalAdvance(name));
        const QRectF box = swatch(x, kLegendTop, line);
        frame.legend[c] = QRectF(x, kLegendTop - kLegendReach, box.width() + kSwatchGap + nameWidth,
                                 line + 2 * kLegendReach);
        painter.setPen(options.hidden[c] ? kHiddenColour : kColours[c]);
        painter.setBrush(options.hidden[c] ? QBrush(Qt::NoBrush) : QBrush(kColours[c]));
        painter.drawRect(box);
        painter.setPen(options.hidden[c] ? kHiddenColour : kTextColour);
        painter.drawText(QRectF(box.right() + kSwatchGap, kLegendTop, nameWidth, line),
                         Qt::AlignLeft | Qt::AlignVCenter, name);
        x = frame.legend[c].right() + kLegendSpacing;
    }
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
        QString outside = kNoValue;
        if (setting.hasLimits()) {
            const qint64 count = outsideCount(series, c, setting, first, last);
            outside = QString::number(count);
            if (count > 0 && options.interval > 0)
                outside += QStringLiteral(" (%1)").arg(
                    durationText(double(count) * options.interval, options.locale));
        }
        rows.push_back({c, options.channels.title(c), text(shown.minimum), text(shown.maximum),
                        text(shown.mean), outside, setting.hasLimits()});
    }
    return rows;
}

bool showsOutside(const std::vector<StatisticsRow> &rows) {
    return std::any_of(rows.begin(), rows.end(),
                       [](const StatisticsRow &row) { return row.limited; });
}

int statisticsTableHeight(size_t rows, int row) {
    return int(rows + 1) * row + 2 * kTableMargin;
}

// Columns: the channels' titles from `left`, after their swatches, then the figures, each as wide
// as its widest text and right-aligned, as numbers read best; "Hors limites" only when a channel
// has limits. A rule parts the header from the channels.
void drawStatisticsTable(QPainter &painter, const std::vector<StatisticsRow> &rows, double left,
                         const QFontMetricsF &metrics, int row) {
    const int columns = showsOutside(rows) ? kStatisticsColumns : kOutsideColumn;
    std::array<double, kStatisticsColumns> widths{};
    const auto widen = [&](int column, const QString &text) {
        widths[column] =
            std::max(widths[column], std::ceil(metrics.horizontalAdvance(text)) + kCellPadding);
    };
    for (int column = 0; column < columns; ++column)
        widen(column, kStatisticsHeader[column]);
    for (const StatisticsRow &channel : rows) {
        const auto cells = channel.cells();
        for (int column = 0; column < columns; ++column)
            widen(column, cells[column]);
    }
    widths[0] += kSwatchColumn;
    const auto drawRow = [&](int y, const std::array<QString, kStatisticsColumns> &cells,
                             int channel) {
        double x = left;
        if (channel >= 0) painter.fillRect(swatch(x, y, row), kColours[channel]);
        for (int column = 0; column < columns; ++column) {
            const double indent = column == 0 ? kSwatchColumn : 0;
            painter.drawText(QRectF(x + indent, y, widths[column] - indent, row),
                             (column == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                             cells[column]);
            x += widths[column];
        }
    };
    int y = kTableMargin;
    painter.setPen(kTextColour);
    drawRow(y, kStatisticsHeader, -1);
    painter.setPen(kFrameColour);
    double width = 0;
    for (int column = 0; column < columns; ++column)
        width += widths[column];
    painter.drawLine(QPointF(left, y + row), QPointF(left + width, y + row));
    painter.setPen(kTextColour);
    for (const StatisticsRow &channel : rows) {
        y += row;
        drawRow(y, channel.cells(), channel.channel);
    }
}

} // namespace chart
