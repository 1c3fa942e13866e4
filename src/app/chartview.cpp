#include "app/chartview.h"

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
} // namespace

ChartView::ChartView(QWidget *parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(240, 160);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::setInterval(double seconds) {
    m_options.interval = seconds > 0 ? seconds : 0;
    update();
}

void ChartView::setChannelHidden(int channel, bool hidden) {
    m_options.hidden[channel] = hidden;
    update();
}

void ChartView::resetZoom() {
    zoomTo(0, -1);
}

void ChartView::zoomTo(double first, double last, double low, double high) {
    m_options.first = first;
    m_options.last = last;
    m_options.low = low;
    m_options.high = high;
    update();
}

void ChartView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    m_frame = chart::paint(painter, size(), m_series, m_options);
    if (!m_band.isEmpty()) {
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DashLine));
        painter.setBrush(QColor(0, 0, 0, 24));
        painter.drawRect(m_band);
    }
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
    zoomTo(first, last, m_options.low, m_options.high);
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
}

void ChartView::mouseMoveEvent(QMouseEvent *event) {
    const QPoint position = event->position().toPoint();
    if (m_dragging) {
        m_band = QRect(m_dragStart, position).normalized() & m_frame.plot.toAlignedRect();
        update();
        return;
    }
    showValues(position, event->globalPosition().toPoint());
}

void ChartView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !m_dragging) return;
    m_dragging = false;
    const QRect band = std::exchange(m_band, QRect());
    update();
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
        zoomTo(first, last, m_options.low, m_options.high);
    else
        zoomTo(first, last, m_frame.yToValue(band.bottom()), m_frame.yToValue(band.top()));
}

void ChartView::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) resetZoom();
}

void ChartView::showValues(const QPoint &position, const QPoint &global) {
    if (m_frame.empty || !m_frame.plot.contains(position)) {
        QToolTip::hideText();
        return;
    }
    const qint64 sample = std::llround(m_frame.xToSample(position.x()));
    if (sample < 0 || sample >= m_series.size()) {
        QToolTip::hideText();
        return;
    }
    const double where = chart::axisValue(m_series, sample, m_options.interval);
    QString text =
        m_options.interval > 0
            ? QStringLiteral("Temps : %1 s").arg(m_options.locale.toString(where, 'g', 10))
            : QStringLiteral("Échantillon %1").arg(qint64(where));
    for (int c = 0; c < kChannels; ++c) {
        const qint16 value = m_series.value(c, sample);
        text += QStringLiteral("\n%1 : %2")
                    .arg(kChannelNames[c],
                         SampleSeries::holdsValue(value) ? QString::number(value) : kGap);
    }
    QToolTip::showText(global, text, this);
}
