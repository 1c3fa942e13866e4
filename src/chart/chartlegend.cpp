// What names the channels: the legend above the plot, and the statistics table below an exported
// chart, both led by each channel's colour swatch.
#include "chart/chartgeometry.h"
#include "chart/chartparts.h"
#include "chart/sampleseries.h"
#include "chart/statistics.h"

#include <QFontMetricsF>
#include <QPainter>

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
        rows.push_back({c, options.channels.title(c), text(shown.minimum), text(shown.maximum),
                        text(shown.mean)});
    }
    return rows;
}

int statisticsTableHeight(size_t rows, int row) {
    return int(rows + 1) * row + 2 * kTableMargin;
}

// Columns: the channels' titles from `left`, after their swatches, then the three figures, each
// as wide as its widest text and right-aligned, as numbers read best. A rule parts the header
// from the channels.
void drawStatisticsTable(QPainter &painter, const std::vector<StatisticsRow> &rows, double left,
                         const QFontMetricsF &metrics, int row) {
    constexpr int kColumns = kStatisticsColumns;
    std::array<double, kColumns> widths{};
    const auto widen = [&](int column, const QString &text) {
        widths[column] =
            std::max(widths[column], std::ceil(metrics.horizontalAdvance(text)) + kCellPadding);
    };
    for (int column = 0; column < kColumns; ++column)
        widen(column, kStatisticsHeader[column]);
    for (const StatisticsRow &channel : rows) {
        widen(0, channel.title);
        widen(1, channel.minimum);
        widen(2, channel.maximum);
        widen(3, channel.mean);
    }
    widths[0] += kSwatchColumn;
    const auto drawRow = [&](int y, const std::array<QString, kColumns> &cells, int channel) {
        double x = left;
        if (channel >= 0) painter.fillRect(swatch(x, y, row), kColours[channel]);
        for (int column = 0; column < kColumns; ++column) {
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
    painter.drawLine(QPointF(left, y + row),
                     QPointF(left + widths[0] + widths[1] + widths[2] + widths[3], y + row));
    painter.setPen(kTextColour);
    for (const StatisticsRow &channel : rows) {
        y += row;
        drawRow(y, {channel.title, channel.minimum, channel.maximum, channel.mean},
                channel.channel);
    }
}

} // namespace chart
