// The channels' limits on the chart: where the values should stay, drawn over the curves so that
// a curve never hides them.
#include "chart/chartparts.h"

#include <QList>
#include <QPainter>
#include <QPen>

#include <optional>

namespace chart {

namespace {

// Dashes of 6 and gaps of 4 pen widths: a limit reads as a line of its own beside a curve of the
// same colour.
const QList<qreal> kDashes = {6, 4};

} // namespace

// A limit on the plot's top or bottom edge is drawn there; one beyond them is left out, so a
// fitted range never widens for a limit.
void drawLimits(QPainter &painter, const Frame &frame, const Options &options) {
    const QRectF &plot = frame.plot;
    bool any = false;
    for (int c = 0; c < kChannels; ++c) {
        const int scale = frame.scales.scaleOf[c];
        const ChannelSetting &setting = options.channels.channels[c];
        if (scale < 0 || !setting.hasLimits()) continue;
        if (!any) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing, false);
            any = true;
        }
        const ValueRange &range = frame.values[scale];
        QPen pen(kColours[c], 1, Qt::CustomDashLine, Qt::FlatCap);
        pen.setDashPattern(kDashes);
        painter.setPen(pen);
        for (const std::optional<double> &limit : {setting.low, setting.high}) {
            if (!limit || !(*limit >= range.low && *limit <= range.high)) continue;
            const double y =
                plot.bottom() - (*limit - range.low) / (range.high - range.low) * plot.height();
            painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        }
    }
    if (any) painter.restore();
}

} // namespace chart
