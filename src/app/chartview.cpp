#include "app/chartview.h"

#include "chart/sampleseries.h"
#include "chart/statistics.h"
#include "data/timetext.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <cmath>

namespace {
constexpr double kWheelZoom = 0.8;  // span kept by one notch of the wheel towards the cursor
constexpr double kSmallestSpan = 4; // samples: closer than that there is nothing more to see
constexpr int kSmallestBand = 5;    // pixels: a shorter drag is a click
const QString kGap = QStringLiteral("—");
const QColor kHoverColour(0x60, 0x60, 0x60, 0x90);

// What a paint changes when the dragged rectangle `band` comes or goes: its outline and inside.
QRect bandArea(const QRect &band) {
    return band.isEmpty() ? QRect() : band.adjusted(-1, -1, 2, 2);
}
} // namespace

ChartView::ChartView(const SampleSeries &series, QWidget *parent)
    : QWidget(parent), m_series(series) {
    setMouseTracking(true);
    setMinimumSize(240, 160);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::seriesChanged() {
    redraw();
}

void ChartView::redraw() {
    m_chart = QPixmap();
    update();
    emit shownChanged();
}

void ChartView::setInterval(double seconds) {
    m_options.interval = seconds > 0 ? seconds : 0;
    redraw();
}

void ChartView::setClock(const SampleClock &clock) {
    if (clock == m_options.clock) return;
    m_options.clock = clock;
    redraw();
}

void ChartView::setChannels(const ChannelSettings &channels) {
    m_options.channels = channels;
    redraw();
}

void ChartView::setChannelHidden(int channel, bool hidden) {
    m_options.hidden[channel] = hidden;
    redraw();
}

void ChartView::resetZoom() {
    zoomTo(0, -1);
}

void ChartView::zoomTo(double first, double last,
                       const std::array<chart::ValueRange, chart::kScales> &values) {
    m_options.first = first;
    m_options.last = last;
    m_options.values = values;
    redraw();
}

void ChartView::paintEvent(QPaintEvent *event) {
    const qreal ratio = devicePixelRatioF();
    if (m_chart.isNull() || m_chart.deviceIndependentSize() != QSizeF(size()) ||
        m_chart.devicePixelRatio() != ratio) {
        m_chart = QPixmap(size() * ratio);
        m_chart.setDevicePixelRatio(ratio);
        QPainter painter(&m_chart);
        painter.setFont(font());
        m_frame = chart::paint(painter, size(), m_series, m_options);
    }
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawPixmap(area, m_chart,
                       QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
    const QRect strip = hoverStrip();
    if (!strip.isEmpty()) painter.fillRect(strip.adjusted(1, 0, -1, 0), kHoverColour);
    if (!m_band.isEmpty()) {
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DashLine));
        painter.setBrush(QColor(0, 0, 0, 24));
        painter.drawRect(m_band);
    }
}

void ChartView::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange) redraw(); // the axes' labels and the legend move
    QWidget::changeEvent(event);
}

void ChartView::leaveEvent(QEvent *event) {
    setHovered(-1);
    QWidget::leaveEvent(event);
}

void ChartView::setBand(const QRect &band) {
    if (band == m_band) return;
    update(bandArea(m_band) | bandArea(band));
    m_band = band;
}

void ChartView::setHovered(int x) {
    const QRect before = hoverStrip();
    m_hovered = x;
    const QRect after = hoverStrip();
    if (after != before) update(QRegion(before).united(after));
}

QRect ChartView::hoverStrip() const {
    if (m_hovered < 0 || m_frame.empty) return {};
    const qint64 sample = std::llround(m_frame.xToSample(m_hovered));
    if (sample < 0 || sample >= m_series.size()) return {};
    const double x = m_frame.sampleToX(double(sample));
    if (x < m_frame.plot.left() || x > m_frame.plot.right()) return {};
    // One pixel wide, with a pixel on each side for where the x falls between two.
    const QRect plot = m_frame.plot.toAlignedRect();
    return QRect(int(std::floor(x)) - 1, plot.top() + 1, 3, plot.height() - 2);
}

void ChartView::wheelEvent(QWheelEvent *event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (m_frame.empty || notches == 0) return;
    const double anchor = m_frame.xToSample(event->position().x());
    const double factor = std::pow(kWheelZoom, notches);
    const double whole = std::max<double>(m_series.size() - 1, 1);
    double first = anchor - (anchor - m_frame.first) * factor;
    double last = anchor + (m_frame.last - anchor) * factor;
    if (last - first < kSmallestSpan) return;
    if (first <= 0 && last >= whole) {
        resetZoom(); // zoomed out to everything: follow the series again as it grows
        return;
    }
    // Zooming out near an end slides the range back inside the series.
    if (first < 0) {
        last = std::min(whole, last - first);
        first = 0;
    } else if (last > whole) {
        first = std::max(0.0, first - (last - whole));
        last = whole;
    }
    zoomTo(first, last, m_options.values);
    event->accept();
}

void ChartView::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || m_frame.empty) return;
    const QPointF position = event->position();
    for (int c = 0; c < kChannels; ++c) {
        if (m_frame.legend[c].contains(position)) {
            setChannelHidden(c, !m_options.hidden[c]);
            return;
        }
    }
    if (!m_frame.plot.contains(position)) return;
    m_dragging = true;
    m_dragStart = position.toPoint();
    setHovered(-1);
    QToolTip::hideText();
}

void ChartView::mouseMoveEvent(QMouseEvent *event) {
    const QPoint position = event->position().toPoint();
    if (m_dragging) {
        setBand(QRect(m_dragStart, position).normalized() & m_frame.plot.toAlignedRect());
        return;
    }
    showValues(position, event->globalPosition().toPoint());
}

void ChartView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !m_dragging) return;
    m_dragging = false;
    const QRect band = m_band;
    setBand(QRect());
    if (band.width() < kSmallestBand) return;
    double first = m_frame.xToSample(band.left());
    double last = m_frame.xToSample(band.right());
    if (last - first < kSmallestSpan) {
        const double middle = (first + last) / 2;
        first = middle - kSmallestSpan / 2;
        last = middle + kSmallestSpan / 2;
    }
    // A flat drag zooms along x only; a rectangle also fixes the values shown.
    if (band.height() < kSmallestBand)
        zoomTo(first, last, m_options.values);
    else {
        // Every scale drawn shows what the rectangle covered of it; the others stay fitted.
        std::array<chart::ValueRange, chart::kScales> values;
        for (int scale = 0; scale < chart::kScales; ++scale)
            if (m_frame.scales.used[scale])
                values[scale] = {m_frame.yToValue(band.bottom(), scale),
                                 m_frame.yToValue(band.top(), scale)};
        zoomTo(first, last, values);
    }
}

void ChartView::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) resetZoom();
}

void ChartView::showValues(const QPoint &position, const QPoint &global) {
    const qint64 sample = m_frame.empty || !m_frame.plot.contains(position)
                              ? -1
                              : std::llround(m_frame.xToSample(position.x()));
    if (sample < 0 || sample >= m_series.size()) {
        setHovered(-1);
        QToolTip::hideText();
        return;
    }
    setHovered(position.x());
    const double where = chart::axisValue(m_series, sample, m_options.interval);
    QLocale plain = m_options.locale; // "5300 s", never "5,300 s" nor "5 300 s"
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = m_options.interval > 0
                       ? QStringLiteral("Temps : %1 s").arg(plain.toString(where, 'g', 10))
                       : QStringLiteral("Échantillon %1").arg(qint64(where));
    if (const QDateTime moment = m_options.clock.at(m_series.dropped() + sample); moment.isValid())
        text +=
            QStringLiteral("\nDate et heure : %1").arg(localDateTimeText(moment, m_options.locale));
    for (int c = 0; c < kChannels; ++c) {
        const qint16 value = m_series.value(c, sample);
        const ChannelSetting &setting = m_options.channels.channels[c];
        text += QStringLiteral("\n%1 : %2")
                    .arg(setting.name, SampleSeries::holdsValue(value)
                                           ? chart::valueText(setting.calibration(value),
                                                              setting.unit, m_options.locale)
                                           : kGap);
    }
    QToolTip::showText(global, text, this);
}
