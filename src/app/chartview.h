#pragma once

#include "chart/chartrender.h"
#include "chart/sampleseries.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

// The plot of the chart pane. It owns the series and draws it with the chart painter, so the
// screen and an exported image look alike. The mouse zooms (the wheel around the cursor along the
// x axis, or a dragged rectangle), a double-click shows everything again, a click on a legend
// entry hides or shows its channel, and hovering tells the sample and its three values.
class ChartView : public QWidget {
    Q_OBJECT
public:
    explicit ChartView(QWidget *parent = nullptr);

    SampleSeries &series() { return m_series; }
    const SampleSeries &series() const { return m_series; }

    // Seconds between two samples; 0 counts samples on the x axis.
    void setInterval(double seconds);
    bool isChannelHidden(int channel) const { return m_options.hidden[channel]; }
    void setChannelHidden(int channel, bool hidden);
    bool isZoomed() const { return m_options.last > m_options.first; }
    void resetZoom();
    // Shows the x range [first, last] of series positions (and, if high > low, those values).
    void zoomTo(double first, double last, double low = 0, double high = -1);

    // The chart as shown now, on an image of `size`.
    QImage image(QSize size) const { return chart::render(m_series, size, m_options); }
    // Where the last paint put the plot and the legend, in widget coordinates.
    const chart::Frame &frame() const { return m_frame; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void showValues(const QPoint &position, const QPoint &global);

    SampleSeries m_series;
    chart::Options m_options;
    chart::Frame m_frame;
    bool m_dragging = false;
    QPoint m_dragStart;
    QRect m_band; // the rectangle being dragged, empty when none
};
